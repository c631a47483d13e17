# ovena_expose_headers(TARGET [AS NAME]): makes the target's own folder includable as
# "<folder>/X.h" ("platform/Shell.h", "app/qt/MainView.h"), or as "NAME/X.h", for the target and
# for whatever links it, and no other part of the source tree. A library thus sees its own
# headers and those of the libraries it links, and an include that goes up a layer does not
# compile. The include folder of each target holds one symbolic link to the source folder.
function(ovena_expose_headers target)
  cmake_parse_arguments(ARG "" "AS" "" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_AS)
    set(folder ${ARG_AS})
  endif()
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# ovena_library(NAME [DEPENDS lib...]): a static library of every .cpp file in the current
# folder, its headers exposed as above.
function(ovena_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  ovena_expose_headers(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# ovena_test(NAME FOLDER [DEPENDS lib...]): one test program of every .cpp file in
# tests/FOLDER, its cases registered with CTest one by one. Every case runs as its own
# process with its own temporary home, config, runtime and temporary folders (tests/support).
# Cases of a suite named "...Timing" assert bounds on wall-clock or processor time: CTest runs
# each of them alone, so the other tests of a parallel run cannot slow them down.
function(ovena_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ovena_test_main ovena_test_support ${ARG_DEPENDS})
  # A case that hangs fails after ten minutes instead of holding the run.
  gtest_discover_tests(${name} TEST_FILTER "-*Timing.*" DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 600)
  gtest_discover_tests(${name} TEST_FILTER "*Timing.*" DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE LABELS timing)
endfunction()
