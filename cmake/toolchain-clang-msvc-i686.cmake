# Hosts for 32-bit Windows in Microsoft's ABI, built by clang and lld-link
# (see toolchain-clang-msvc-common.cmake):
#   cmake -S HOST -B build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-clang-msvc-i686.cmake
set(TAV_MSVC_PROCESSOR i686)
set(TAV_MSVC_TRIPLE i686-pc-windows-msvc)
set(TAV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-msvc-common.cmake)
