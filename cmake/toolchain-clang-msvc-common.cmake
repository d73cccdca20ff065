# Shared part of the toolchains for hosts built in Microsoft's C and C++ ABI
# with clang and lld-link, on a machine without Microsoft's compiler or SDK:
# mingw-w64's headers and import libraries stand in for the SDK's. Included
# by toolchain-clang-msvc-i686.cmake and toolchain-clang-msvc-x86_64.cmake
# after they set TAV_MSVC_PROCESSOR, TAV_MSVC_TRIPLE and TAV_MINGW_TRIPLE.
#
# What mingw's headers need in this mode: -fgnuc-version=4.2.1 (they test
# __GNUC__ for their attributes and builtins), the processor macro that gcc
# would define (_X86_ or _AMD64_) and __USE_MINGW_ANSI_STDIO=0 (printf is
# msvcrt.dll's, not mingw's own). No C runtime startup is linked: a program
# names its entry point (target_link_options(host PRIVATE -Wl,/entry:Main))
# and, when it uses floating point, defines `extern "C" int _fltused = 0;`.
# kernel32, user32, gdi32 and msvcrt come from mingw's import libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAV_MSVC_PROCESSOR})
find_program(TAV_CLANG NAMES clang clang-14 REQUIRED)
find_program(TAV_CLANGXX NAMES clang++ clang++-14 REQUIRED)
find_program(TAV_LLVM_AR NAMES llvm-ar llvm-ar-14 REQUIRED)
find_program(TAV_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)
set(CMAKE_C_COMPILER ${TAV_CLANG})
set(CMAKE_CXX_COMPILER ${TAV_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${TAV_MSVC_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${TAV_MSVC_TRIPLE})
set(CMAKE_AR ${TAV_LLVM_AR} CACHE FILEPATH "")
set(CMAKE_LINKER ${TAV_LLD_LINK} CACHE FILEPATH "")
# No C runtime to link a test program against: the compiler checks build a
# static library instead.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(TAV_MINGW_ROOT /usr/${TAV_MINGW_TRIPLE})
if(TAV_MSVC_PROCESSOR STREQUAL "i686")
  set(tav_processor_macro _X86_)
  set(tav_safeseh -Wl,/safeseh:no) # mingw's import libraries carry no SafeSEH table
else()
  set(tav_processor_macro _AMD64_)
  set(tav_safeseh "")
endif()
set(CMAKE_C_FLAGS_INIT
    "-fgnuc-version=4.2.1 -D${tav_processor_macro} -D__USE_MINGW_ANSI_STDIO=0 -isystem ${TAV_MINGW_ROOT}/include")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
string(JOIN " " CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=lld -nostdlib -Wl,/nodefaultlib ${tav_safeseh})
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
foreach(lang C CXX)
  set(CMAKE_${lang}_STANDARD_LIBRARIES
      "${TAV_MINGW_ROOT}/lib/libkernel32.a ${TAV_MINGW_ROOT}/lib/libuser32.a ${TAV_MINGW_ROOT}/lib/libgdi32.a ${TAV_MINGW_ROOT}/lib/libmsvcrt.a"
      CACHE STRING "")
endforeach()

set(CMAKE_FIND_ROOT_PATH ${TAV_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
