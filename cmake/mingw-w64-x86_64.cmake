# Cross-builds the Windows programs (64-bit) on Debian with MinGW-w64, the
# POSIX-threads flavour of its compilers. The tests run under Wine, in a Wine
# prefix of the build directory's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only; programs run here.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every Windows program built here (the tests, and their discovery) runs
# under Wine, quietly, in the build directory's own prefix.
find_program(WINE_LOADER NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT WINE_LOADER)
  message(FATAL_ERROR "Wine is needed to run the Windows tests: apt-get install wine wine64")
endif()
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${WINE_PREFIX} WINEDEBUG=-all ${WINE_LOADER})
