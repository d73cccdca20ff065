# Hosts for 64-bit Windows in Microsoft's ABI, built by clang and lld-link
# (see toolchain-clang-msvc-common.cmake):
#   cmake -S HOST -B build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-clang-msvc-x86_64.cmake
set(TAV_MSVC_PROCESSOR x86_64)
set(TAV_MSVC_TRIPLE x86_64-pc-windows-msvc)
set(TAV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-msvc-common.cmake)
