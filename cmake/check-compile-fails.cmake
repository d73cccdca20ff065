# Checks that a source does not compile, and that the compiler says why:
#   cmake -DCOMMAND="compiler;args..." -DEXPECT=REGEX -P check-compile-fails.cmake
# Fails when the command succeeds, or when its output does not match EXPECT.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  message(FATAL_ERROR "compiled, but must not: ${COMMAND}")
endif()
if(NOT out MATCHES "${EXPECT}")
  message(FATAL_ERROR "refused without saying \"${EXPECT}\":\n${out}")
endif()
message(STATUS "refused as it must be: ${EXPECT}")
