# Import library of the 32-bit TavoIMG.dll. A 32-bit client that includes the
# public header calls _TAVIMG_Name@bytes (WINAPI), while the DLL exports the
# plain name; the import library made by the linker under --kill-at only knows
# the plain names. This one maps each decorated symbol to the plain export.
#   cmake -DDLL=... -DIMPLIB=... -DNM=... -DDLLTOOL=... -DWORK=<dir> -P make-implib-i686.cmake
execute_process(COMMAND ${NM} ${DLL} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} ${DLL} failed")
endif()
string(REGEX MATCHALL " T _(TAVIMG_[A-Za-z0-9_]+|FILE_DRF2TIFF_Hotspots)@[0-9]+" found "${symbols}")
list(REMOVE_DUPLICATES found)
set(def "LIBRARY TavoIMG.dll\nEXPORTS\n")
foreach(symbol ${found})
  string(REGEX REPLACE " T _" "" symbol "${symbol}")
  string(APPEND def "  ${symbol}\n")
endforeach()
file(WRITE ${WORK}/TavoIMG-stdcall.def "${def}")
execute_process(COMMAND ${DLLTOOL} -k -d ${WORK}/TavoIMG-stdcall.def -D TavoIMG.dll -l ${IMPLIB} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${DLLTOOL} failed to write ${IMPLIB}")
endif()
