# The host kit of a Windows build: installed afresh into PREFIX and packed by
# cpack into BUILD/package (cmake/check-windows-kit.cmake checks the archive).
#   cmake -DBUILD=DIR -DPREFIX=DIR -DCPACK=cpack -P check-kit.cmake
function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${BUILD}/package)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX})
run(${CPACK} -B ${BUILD}/package)
