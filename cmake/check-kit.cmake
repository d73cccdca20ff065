# The host kit of a Windows build: installed afresh into PREFIX and packed by
# cpack into BUILD/package; the release archive must hold the import library
# in Microsoft's format.
#   cmake -DBUILD=DIR -DPREFIX=DIR -DCPACK=cpack -P check-kit.cmake
function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${BUILD}/package)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX})
run(${CPACK} -B ${BUILD}/package)
file(GLOB archive ${BUILD}/package/TavoIMG-*-win*.zip)
if(NOT archive)
  message(FATAL_ERROR "cpack made no release archive in ${BUILD}/package")
endif()
run(${CMAKE_COMMAND} -E tar tf ${archive})
if(NOT out MATCHES "/lib/TavoIMG\\.lib")
  message(FATAL_ERROR "${archive} holds no lib/TavoIMG.lib:\n${out}")
endif()
