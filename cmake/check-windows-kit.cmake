# Checks a Windows release archive as a host developer meets it: unpacks it,
# looks for what it must hold (README, licence, changelog, guide, reference,
# CMake package, sample project, the DLL stripped with its debug information
# beside it), builds the sample CMake project against the unpacked archive
# with MinGW and runs both sample hosts under Wine.
#   cmake -DZIP=TavoIMG-2.0.0-win64.zip -DBITS=64 -DWORK=DIR -DSOURCE=REPOSITORY -P check-windows-kit.cmake
# Ends with an error when anything fails; exits with 77 semantics only
# through the Wine runner's message (a missing Wine is reported, not hidden).
foreach(var ZIP BITS WORK SOURCE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check-windows-kit.cmake needs -D${var}=...")
  endif()
endforeach()
string(REPLACE 64 x86_64 arch ${BITS})
string(REPLACE 32 i686 arch ${arch})
get_filename_component(ZIP ${ZIP} ABSOLUTE)
get_filename_component(SOURCE ${SOURCE} ABSOLUTE)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()
file(GLOB root LIST_DIRECTORIES true ${WORK}/TavoIMG-*)
if(NOT IS_DIRECTORY "${root}")
  message(FATAL_ERROR "${ZIP} has no TavoIMG-* folder")
endif()

set(missing "")
foreach(file README.md LICENSE CHANGELOG.md doc/host-guide.md doc/reference/index.html bin/TavoIMG.dll
             bin/TavoIMG.dll.debug lib/TavoIMG.lib lib/libTavoIMG.dll.a lib/TavoIMG.def
             lib/cmake/TavoIMG/TavoIMGConfig.cmake include/tavoimg/tavoimg.h include/tavoimg/mfc/afx.h
             samples/CMakeLists.txt samples/host.c samples/pictures/drive-unit.drf cmake/toolchain-mingw-${arch}.cmake)
  if(NOT EXISTS ${root}/${file})
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${ZIP} lacks: ${missing}")
endif()

# Stripped: no DWARF left in the DLL, a debug link to the file beside it.
find_program(objdump NAMES ${arch}-w64-mingw32-objdump objdump REQUIRED)
execute_process(COMMAND ${objdump} -h ${root}/bin/TavoIMG.dll OUTPUT_VARIABLE sections)
if(sections MATCHES "\\.debug_" OR NOT sections MATCHES "\\.gnu_debuglink")
  message(FATAL_ERROR "bin/TavoIMG.dll is not stripped with a debug link:\n${sections}")
endif()
file(SIZE ${root}/bin/TavoIMG.dll dll_size)
file(SIZE ${root}/bin/TavoIMG.dll.debug debug_size)
message(STATUS "TavoIMG.dll: ${dll_size} bytes, TavoIMG.dll.debug: ${debug_size} bytes")

# The sample project, from the unpacked archive alone.
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${root}/samples -B ${WORK}/build -G Ninja -DCMAKE_BUILD_TYPE=Release
          -DCMAKE_PREFIX_PATH=${root} -DCMAKE_TOOLCHAIN_FILE=${root}/cmake/toolchain-mingw-${arch}.cmake
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the sample project does not build against the unpacked archive:\n${out}")
endif()

function(run what)
  execute_process(COMMAND bash ${SOURCE}/scripts/wine-run ${BITS} ${ARGN} WORKING_DIRECTORY ${WORK}/build
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 77)
    message(FATAL_ERROR "NOT RUN: ${what}: no ${BITS}-bit Wine\n${out}")
  elseif(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (status ${rc}):\n${out}")
  endif()
  message(STATUS "${what}: ok")
endfunction()
run("the sample C host" ${WORK}/build/host.exe --exit ${root}/samples/pictures/drive-unit.drf
    ${root}/samples/pictures/drive-unit.tif)
run("the sample C++ host without MFC" ${WORK}/build/kit_host.exe)
