# The Debian package: `cpack -G DEB` in the build folder after a build.

set(OVENA_PACKAGE_MAINTAINER "Ovena maintainers <maintainers@users.noreply.c-seed-39630b50.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ovena)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${OVENA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data export tool for the TEV 640 flue-gas analyser")
# Debian shows the description as it stands: lines are kept short by hand.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Reads the combustion measurements stored in a TEV 640 flue-gas analyser"
       "over a serial port and exports them as an Excel workbook, an RTF document,"
       "an HTML page, fixed-width, comma- or tab-delimited text, or to the"
       "clipboard. It also reads the instrument's identity and counters and erases"
       "its memory."
       ""
       "The package holds the desktop program ovena, ovena-cli for scripts, and"
       "tev640-sim, a simulated instrument on a pseudo-terminal for training and"
       "tests.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link give the dependencies; GIO finds the applications that open
# the exported files and the help document through the MIME database.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric, pdf-viewer")

# `package_source` archives the sources without build folders and the repository.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
