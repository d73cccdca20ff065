# Checks that the built DLL carries its version resource with the project's
# version: the UTF-16 texts of FileVersion and ProductVersion, each followed by
# the version, and OriginalFilename followed by the DLL's name.
#   cmake -DDLL=... -DVERSION=... -P check-version.cmake
function(utf16_hex text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

file(READ ${DLL} dll HEX)
get_filename_component(name ${DLL} NAME)
foreach(pair "FileVersion=${VERSION}" "ProductVersion=${VERSION}" "OriginalFilename=${name}")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 key)
  list(GET pair 1 value)
  utf16_hex("${key}" key_hex)
  utf16_hex("${value}" value_hex)
  # The key, its terminator and padding to 4 bytes, then the value.
  if(NOT dll MATCHES "${key_hex}0000(0000)?${value_hex}0000")
    message(FATAL_ERROR "${DLL}: no version resource entry ${key} = ${value}")
  endif()
endforeach()
message(STATUS "${name} carries version ${VERSION}")
