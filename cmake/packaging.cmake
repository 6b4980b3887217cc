# What `cmake --install` puts where, and the packages CPack makes of it:
# on Linux a .deb, for Windows a ZIP.
#
# Linux: scenario-tool in bin/, a command on the path; the compactor in
# lib/scenario-compactor/, off the path, since it writes its files beside
# itself and is to be copied into a folder of the user's own (run from a
# folder of the system's programs it refuses). The README and the pages it
# links to in share/doc/scenario-compactor/ (the pages under docs/, where
# the README's links point).
#
# Windows: one folder, as an author unpacks it: both .exe files, the README
# and its docs/. The compactor writes its files into the folder it
# stands in.
#
# The studio's page, when the build is given it (SCENARIO_STUDIO_PAGE, as
# scripts/package gives it): studio.html beside the programs on Windows, in
# share/scenario-compactor/ on Linux.
include(GNUInstallDirs)

set(PACKAGE_NAME scenario-compactor)
if(WIN32)
  set(COMPACTOR_DESTINATION .)
  set(PROGRAM_DESTINATION .)
  set(DOCUMENT_DESTINATION .)
else()
  set(COMPACTOR_DESTINATION lib/${PACKAGE_NAME})
  set(PROGRAM_DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(DOCUMENT_DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PACKAGE_NAME})
endif()

# Installing and packaging need the two programs only: scripts/package builds
# them, and neither "install" nor "package" builds every other target (the
# tests and benchmarks) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(TARGETS scenario-compactor RUNTIME DESTINATION ${COMPACTOR_DESTINATION})
install(TARGETS scenario-tool RUNTIME DESTINATION ${PROGRAM_DESTINATION})
# The README and every page it links to, with their pictures, so that its
# links work where it is installed.
file(GLOB installed_pictures RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/images/*)
set(installed_documents docs/format.md docs/tutorial.md docs/scenario-tool.md docs/studio.md docs/editors.md docs/compactor.md
                        docs/development.md docs/performance.md docs/architecture.md docs/viewer.png
                        ${installed_pictures})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${DOCUMENT_DESTINATION})
if(WIN32)
  set(STUDIO_DESTINATION .)
else()
  set(STUDIO_DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/${PACKAGE_NAME})
endif()
if(SCENARIO_STUDIO_PAGE)
  install(FILES ${SCENARIO_STUDIO_PAGE} DESTINATION ${STUDIO_DESTINATION} RENAME studio.html)
endif()
foreach(document IN LISTS installed_documents)
  get_filename_component(document_folder ${document} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${document} DESTINATION ${DOCUMENT_DESTINATION}/${document_folder})
endforeach()

set(CPACK_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The scenario-compactor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Scenario compactor for a train-driving simulator, and scenario-tool for scenario authors")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# The programs are built with debug information; the packages carry them
# without it.
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_VENDOR}" CACHE STRING
      "The Maintainer field of the .deb")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The compactor writes its built-in railway scenario beside itself, as text
sources and printed forms, and compiles it into the files the simulator
reads. scenario-tool writes, checks, compiles, dumps, plots and decompiles
scenarios for their authors.")
  # The Depends field from the shared libraries the programs link
  # (FLTK, X11, the C++ runtime), through dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The window's label is drawn in Liberation Sans when it is installed.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
endif()
include(CPack)

# The install tree holds the two programs, the documents and the studio's
# page when given, and nothing else (no library, header or test program).
if(WIN32)
  set(installed_files scenario-compactor.exe scenario-tool.exe README.md ${installed_documents})
else()
  set(installed_files ${COMPACTOR_DESTINATION}/scenario-compactor ${PROGRAM_DESTINATION}/scenario-tool
                      ${DOCUMENT_DESTINATION}/README.md)
  foreach(document IN LISTS installed_documents)
    list(APPEND installed_files ${DOCUMENT_DESTINATION}/${document})
  endforeach()
endif()
if(SCENARIO_STUDIO_PAGE AND WIN32)
  list(APPEND installed_files studio.html)
elseif(SCENARIO_STUDIO_PAGE)
  list(APPEND installed_files ${STUDIO_DESTINATION}/studio.html)
endif()
add_test(NAME InstallTree
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                 -DPREFIX=${CMAKE_BINARY_DIR}/install-tree-test "-DEXPECTED=${installed_files}"
                 -P ${PROJECT_SOURCE_DIR}/cmake/check_install.cmake)
