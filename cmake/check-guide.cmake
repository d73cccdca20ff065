# Checks that the host guide shows exactly the host that the tests build: its
# one ```c block is the text of the host's source file.
#   cmake -DGUIDE=docs/host-guide.md -DHOST=docs/host-guide/host.c -P check-guide.cmake
file(READ ${GUIDE} guide)
file(READ ${HOST} host)
string(FIND "${guide}" "```c\n" start)
if(start LESS 0)
  message(FATAL_ERROR "${GUIDE} has no ```c block")
endif()
math(EXPR start "${start} + 5")
string(SUBSTRING "${guide}" ${start} -1 rest)
string(FIND "${rest}" "\n```" end)
math(EXPR end "${end} + 1")
string(SUBSTRING "${rest}" 0 ${end} shown)
if(NOT shown STREQUAL host)
  message(FATAL_ERROR "${GUIDE} does not show ${HOST} as it is: copy the file into its ```c block")
endif()
message(STATUS "${GUIDE} shows ${HOST} as it is")
