// Resource registration of the Win32 stand-in (Linux builds only): what a
// module's resource section is on Windows. The library's load-time entry
// registers its string table and cursor here.
#ifndef TAVWIN_MODULE_H
#define TAVWIN_MODULE_H

#include <windows.h>

namespace tavwin {

// Registers the string table and cursors of a module, as a resource section
// would. Strings are looked up by LoadStringA(instance, id, ...).
struct StringResource {
  UINT id;
  const char* text;
};
struct CursorResource {
  UINT id;
  int width, height, hotX, hotY;
  const unsigned char* andMask; // 1 bit per pixel, rows padded to 16 bits, top row first
  const unsigned char* xorMask;
};
void RegisterModuleResources(HINSTANCE instance, const StringResource* strings, int stringCount,
                             const CursorResource* cursors, int cursorCount);

// The module handle a Linux build uses for code in the given address (the
// shared object or executable that holds it).
HINSTANCE ModuleOf(const void* address);

} // namespace tavwin

#endif
