# TavoIMG.dll for 32-bit Windows hosts (mingw-w64): the build with the
# published record layout (4-byte pointers).
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAV_MINGW_TRIPLE i686-w64-mingw32)
set(TAV_WINE_BITS 32)
# SSE2 is the baseline (every x86 processor of this century has it): vector
# paths are compiled in and floating point uses SSE registers, as on x86-64.
# Callers on 32-bit Windows keep the stack 4-byte aligned only; the compiler
# for this target already makes the functions that need a 16-byte aligned
# stack align it themselves (and only those).
# (Compile options of every target, so that a build folder configured
# before takes them too.)
set(TAV_TARGET_OPTIONS -msse2 -mfpmath=sse)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
