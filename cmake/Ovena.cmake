# ovena_library(NAME [DEPENDS lib...]): a static library of every .cpp file in the current
# folder. Headers are included from the source root ("platform/UiServices.h").
function(ovena_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# ovena_test(NAME FOLDER [DEPENDS lib...]): one test program of every .cpp file in
# tests/FOLDER, its cases registered with CTest one by one. Every case runs as its own
# process with its own temporary home, config, runtime and temporary folders (tests/support).
function(ovena_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ovena_test_support ${ARG_DEPENDS})
  # A case that hangs fails after ten minutes instead of holding the run.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
