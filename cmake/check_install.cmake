# Installs the build BUILD_DIR into the empty prefix PREFIX and fails unless
# the prefix then holds exactly the files EXPECTED (paths relative to it,
# separated by ";"), each of them not empty.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=a;b -P check_install.cmake
foreach(variable BUILD_DIR PREFIX EXPECTED)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_install.cmake: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT installed STREQUAL expected)
  string(REPLACE ";" "\n  " installed_lines "${installed}")
  string(REPLACE ";" "\n  " expected_lines "${expected}")
  message(FATAL_ERROR "The install tree holds\n  ${installed_lines}\ninstead of\n  ${expected_lines}")
endif()
foreach(file IN LISTS installed)
  file(SIZE ${PREFIX}/${file} size)
  if(size EQUAL 0)
    message(FATAL_ERROR "${file} is installed empty")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "The install tree holds: ${installed}")
