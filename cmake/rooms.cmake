# The rooms of the tree: one folder a concern, each a static library that
# links only the rooms it may use (docs/architecture.md lists them, and the
# include-layer test holds every #include to that list and to this one).
#
#   scenario_room(TARGET DIR USES <targets>... [LINKS <other libraries>...])
#
# A room's sources are the .cpp files of its folder but its tests
# (*_test.cpp), benchmarks (*_bench.cpp), program entry points (*_main.cpp)
# and the other systems' files (*_posix.cpp and *_web.cpp on Windows,
# *_win32.cpp and *_web.cpp elsewhere). The web (Emscripten) is a POSIX
# system with a few files of its own: there a *_web.cpp stands in for the
# *_posix.cpp of the same name, and the other *_posix.cpp files are taken.
# Its tests are gathered in the global property SCENARIO_ROOM_TESTS_<TARGET>
# for the test program that runs them.

if(WIN32)
  set(OTHER_SYSTEM_SUFFIX "_(posix|web)(_test)?\\.cpp$")
elseif(EMSCRIPTEN)
  set(OTHER_SYSTEM_SUFFIX "_win32(_test)?\\.cpp$")
else()
  set(OTHER_SYSTEM_SUFFIX "_(win32|web)(_test)?\\.cpp$")
endif()

# On the web, the *_posix.cpp files that a *_web.cpp beside them replaces.
function(scenario_leave_out_replaced_posix files_var)
  if(NOT EMSCRIPTEN)
    return()
  endif()
  set(files ${${files_var}})
  foreach(file IN LISTS files)
    if(file MATCHES "_web(_test)?\\.cpp$")
      string(REGEX REPLACE "_web((_test)?\\.cpp)$" "_posix\\1" replaced "${file}")
      list(REMOVE_ITEM files "${replaced}")
    endif()
  endforeach()
  set(${files_var} ${files} PARENT_SCOPE)
endfunction()

set(SCENARIO_ROOMS_FILE ${PROJECT_BINARY_DIR}/rooms.txt)
file(WRITE ${SCENARIO_ROOMS_FILE} "")

function(scenario_room target)
  cmake_parse_arguments(ROOM "" "DIR" "USES;LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${ROOM_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "(_test|_bench|_main|/main)\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "${OTHER_SYSTEM_SUFFIX}")
  scenario_leave_out_replaced_posix(sources)
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ROOM_USES} ${ROOM_LINKS})

  file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${ROOM_DIR}/*_test.cpp)
  list(FILTER tests EXCLUDE REGEX "${OTHER_SYSTEM_SUFFIX}")
  scenario_leave_out_replaced_posix(tests)
  set_property(GLOBAL PROPERTY SCENARIO_ROOM_TESTS_${target} ${tests})
  file(GLOB benches CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${ROOM_DIR}/*_bench.cpp)
  set_property(GLOBAL APPEND PROPERTY SCENARIO_ROOM_BENCHMARKS ${benches})

  # Each room's folder and the folders of the rooms it links, for the
  # include-layer test to hold against the architecture page.
  set(used_dirs)
  foreach(used IN LISTS ROOM_USES)
    get_target_property(used_dir ${used} SCENARIO_ROOM_DIR)
    list(APPEND used_dirs ${used_dir})
  endforeach()
  set_target_properties(${target} PROPERTIES SCENARIO_ROOM_DIR ${ROOM_DIR})
  list(JOIN used_dirs " " used_text)
  file(APPEND ${SCENARIO_ROOMS_FILE} "${ROOM_DIR}: ${used_text}\n")
endfunction()

# The tests of the rooms given, for one test program.
function(scenario_room_tests out)
  set(all)
  foreach(target IN LISTS ARGN)
    get_property(tests GLOBAL PROPERTY SCENARIO_ROOM_TESTS_${target})
    list(APPEND all ${tests})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()
