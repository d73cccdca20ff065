# TavoIMG.dll for 64-bit Windows hosts (mingw-w64).
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAV_MINGW_TRIPLE x86_64-w64-mingw32)
set(TAV_WINE_BITS 64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
