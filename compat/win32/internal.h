// Internals shared by the files of the Win32 stand-in (not part of its API).
#ifndef TAVWIN_INTERNAL_H
#define TAVWIN_INTERNAL_H

#include <windows.h>

namespace tavwin::detail {

// A fresh value for a window, GDI object, device context or cursor handle.
// Values are never reused, so a handle that was destroyed stays invalid.
uintptr_t NewHandleValue();

} // namespace tavwin::detail

#endif
