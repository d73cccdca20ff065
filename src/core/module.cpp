// The module's instance, kept by the library's entry, and the zoom cursor
// loaded from its resources on first use.
#include "core/core.h"

namespace {
HINSTANCE g_instance = nullptr;
HCURSOR g_zoomCursor = nullptr;
} // namespace

HINSTANCE LibraryInstance() {
  return g_instance;
}
void SetLibraryInstance(HINSTANCE instance) {
  g_instance = instance;
}

HCURSOR ZoomCursor() {
  if (g_zoomCursor == nullptr)
    g_zoomCursor = LoadCursorA(g_instance, MAKEINTRESOURCEA(TAV_ZOOM_CURSOR_ID));
  return g_zoomCursor;
}
