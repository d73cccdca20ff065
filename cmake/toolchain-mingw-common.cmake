# Shared part of the mingw-w64 cross toolchains. Included by
# toolchain-mingw-x86_64.cmake and toolchain-mingw-i686.cmake after they set
# TAV_MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TAV_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TAV_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${TAV_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${TAV_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TAV_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# Look for libraries and headers only in the cross environment, programs
# only on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TAV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH) # a kit unpacked anywhere

# The build's tests run its programs under Wine (TAV_WINE_BITS: 64 or 32).
get_filename_component(TAV_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAV_WINE_RUN} ${TAV_WINE_BITS})

# Nothing of the GoogleTest suites, benchmarks or fuzzers exists for Windows;
# the Windows tests are the Win32 host in tests/windows.
set(TAV_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(TAV_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(TAV_FUZZ OFF CACHE BOOL "" FORCE)
