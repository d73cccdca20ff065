// Linux builds: the library's string table and zoom cursor, registered with
// the Win32 stand-in under the library's own module handle. Windows builds
// carry the same resources in TavoIMG.rc.
#ifndef _WIN32

#  include "resources/resources.h"
#  include "core/core.h"

#  include <tavwin_module.h>

namespace {

const tavwin::StringResource kErrorTexts[] = {
#  define TAV_ERROR_TEXT(code, text) {code, text},
#  include "resources/error_texts.inc"
#  undef TAV_ERROR_TEXT
};

enum { kCursorSize = 32, kMaskRowBytes = kCursorSize / 8 };

const char* const kZoomCursorRows[] = {
#  define TAV_ZOOM_CURSOR_ROW(row) row,
#  define TAV_ZOOM_CURSOR_HOTSPOT(x, y)
#  include "resources/zoom_cursor.inc"
#  undef TAV_ZOOM_CURSOR_ROW
#  undef TAV_ZOOM_CURSOR_HOTSPOT
};
static_assert(sizeof kZoomCursorRows / sizeof kZoomCursorRows[0] == kCursorSize, "the zoom cursor has 32 rows");

const POINT kZoomCursorHotSpot = {
#  define TAV_ZOOM_CURSOR_ROW(row)
#  define TAV_ZOOM_CURSOR_HOTSPOT(x, y) x, y
#  include "resources/zoom_cursor.inc"
#  undef TAV_ZOOM_CURSOR_ROW
#  undef TAV_ZOOM_CURSOR_HOTSPOT
};

// The masks as a cursor resource holds them, top row first: black is AND 0,
// XOR 0; white AND 0, XOR 1; transparent AND 1, XOR 0.
unsigned char g_andMask[kCursorSize * kMaskRowBytes];
unsigned char g_xorMask[kCursorSize * kMaskRowBytes];

void BuildZoomCursorMasks() {
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x) {
      char pixel = kZoomCursorRows[y][x];
      unsigned char bit = (unsigned char)(0x80u >> (x % 8));
      int at = y * kMaskRowBytes + x / 8;
      if (pixel == '.')
        g_andMask[at] |= bit;
      if (pixel == 'o')
        g_xorMask[at] |= bit;
    }
  }
}

} // namespace

void RegisterLibraryResources(HINSTANCE instance) {
  BuildZoomCursorMasks();
  static const tavwin::CursorResource cursor = {
      TAV_ZOOM_CURSOR_ID,        kCursorSize, kCursorSize, (int)kZoomCursorHotSpot.x,
      (int)kZoomCursorHotSpot.y, g_andMask,   g_xorMask,
  };
  tavwin::RegisterModuleResources(instance, kErrorTexts, (int)(sizeof kErrorTexts / sizeof kErrorTexts[0]), &cursor, 1);
}

#endif
