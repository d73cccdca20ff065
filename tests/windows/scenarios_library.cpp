// The module as the system loads it: its version, its resources (the string
// table and the zoom cursor) and the block a record is handed over in. The
// texts are compared with the Linux run; the error codes, the record's fields
// and the slot table are the same code on every system (the frame, hotspots
// and badinput suites cover them; the layout is checked when the host
// compiles).
#include "winhost.h"

#include <string.h>

#ifndef _WIN32
#  include <tavwin_module.h>
#endif

using winhost::Format;
using winhost::HostWindow;

namespace {

void Module(winhost::Context& context) {
#ifdef _WIN32
  HMODULE module = GetModuleHandleA("TavoIMG.dll");
#else
  HMODULE module = tavwin::ModuleOf((const void*)&TAVIMG_GetVersionInfo);
#endif
  context.Check(module != nullptr, "the TavoIMG module is not loaded");
  char version[256] = "";
  std::string texts = Format("version %s\n", TAVIMG_GetVersionInfo(version));
  for (UINT id = 1; id <= 25; ++id) {
    char buffer[512] = {0};
    context.Check(LoadStringA(module, id, buffer, (int)sizeof buffer) > 0, "string %u is missing", id);
    texts += Format("%u %s\n", id, buffer);
  }
  context.ExpectText("strings", texts);
#ifdef _WIN32
  // The string table is in German (1031); the zoom cursor is resource 103.
  const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
  for (int block = 1; block <= 2; ++block)
    context.Check(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(block), german) != nullptr,
                  "no German string block %d", block);
  context.Check(FindResourceA(module, MAKEINTRESOURCEA(103), RT_GROUP_CURSOR) != nullptr, "no cursor resource 103");
#endif
  context.Check(LoadCursorA(module, MAKEINTRESOURCEA(103)) != nullptr, "cursor 103 does not load");

  // The record is a global memory block, as a host may treat it.
  HostWindow window;
  ImgStruct* record = TAVIMG_GetImgStruct(window.handle);
  HGLOBAL block = record != nullptr ? GlobalHandle(record) : nullptr;
  context.Check(block != nullptr && GlobalSize(block) >= sizeof(ImgStruct), "the record block holds %zu bytes, not %zu",
                block != nullptr ? (size_t)GlobalSize(block) : (size_t)0, sizeof(ImgStruct));
}

const bool g_registered = winhost::RegisterScenario("library/module", Module);

} // namespace
