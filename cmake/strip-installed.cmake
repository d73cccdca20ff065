# Install step of the Windows builds: each installed program file (DLL, EXE)
# is stripped of its debug information, which goes to NAME.debug beside it;
# the file points to it with a .gnu_debuglink section (name and checksum),
# where debuggers look. Expects TAV_OBJCOPY.
set(tav_bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
file(GLOB tav_programs ${tav_bin}/*.dll ${tav_bin}/*.exe)
foreach(program ${tav_programs})
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${TAV_OBJCOPY} --only-keep-debug ${name} ${name}.debug WORKING_DIRECTORY ${tav_bin}
                  RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    execute_process(COMMAND ${TAV_OBJCOPY} --strip-all --add-gnu-debuglink=${name}.debug ${name}
                    WORKING_DIRECTORY ${tav_bin} RESULT_VARIABLE rc)
  endif()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
  message(STATUS "Stripped: ${program} (debug information in ${name}.debug)")
endforeach()
