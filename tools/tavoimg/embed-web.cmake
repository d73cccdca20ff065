# Writes OUT, a C++ source that holds each of the files FILES (a ;-list) as
# one string, found by its file name through tool::WebAsset().
set(body "// Made by embed-web.cmake from the files in tools/tavoimg/web; do not edit.\n#include \"web_assets.h\"\n\n#include <cstring>\n\nnamespace tool {\n\nconst char* WebAsset(const char* name) {\n")
foreach(file ${FILES})
  get_filename_component(name ${file} NAME)
  file(READ ${file} text)
  string(APPEND body "  if (!std::strcmp(name, \"${name}\")) {\n    return R\"tavweb(${text})tavweb\";\n  }\n")
endforeach()
string(APPEND body "  return \"\";\n}\n\n} // namespace tool\n")
file(WRITE ${OUT}.new "${body}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
