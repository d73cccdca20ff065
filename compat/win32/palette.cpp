// Logical palettes. The surfaces of this engine hold true colour, so a
// palette only describes colours: selecting and realising it changes no
// pixel, and RealizePalette maps no entry into a system palette.
#include "internal.h"

using namespace tavwin::detail;

namespace tavwin::detail {

// The 20 static colours of the system palette: 10 at the start, 10 at the end.
GdiObject* MakeDefaultPalette() {
  static const uint32_t colours[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                       0xc0c0c0, 0xc0dcc0, 0xa6caf0, 0xfffbf0, 0xa0a0a4, 0x808080, 0xff0000,
                                       0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
  auto* palette = new PaletteObject;
  palette->type = OBJ_PAL;
  for (uint32_t c : colours)
    palette->entries.push_back(PALETTEENTRY{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0});
  return palette;
}

} // namespace tavwin::detail

HPALETTE WINAPI CreatePalette(const LOGPALETTE* log) {
  if (!log) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* palette = new PaletteObject;
  palette->type = OBJ_PAL;
  palette->entries.assign(log->palPalEntry, log->palPalEntry + log->palNumEntries);
  return static_cast<HPALETTE>(AddObject(palette));
}

HPALETTE WINAPI SelectPalette(HDC handle, HPALETTE palette, BOOL) {
  DcObject* dc = FindDC(handle);
  if (!dc || !FindObjectOf<PaletteObject>(palette, OBJ_PAL)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HPALETTE previous = dc->palette;
  RetainObject(palette);
  dc->palette = palette;
  ReleaseObject(previous);
  return previous;
}

UINT WINAPI RealizePalette(HDC handle) {
  if (!FindDC(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return GDI_ERROR;
  }
  return 0;
}

// The entry at the smallest squared distance in red, green and blue; the
// first such entry wins.
UINT WINAPI GetNearestPaletteIndex(HPALETTE handle, COLORREF colour) {
  auto* palette = FindObjectOf<PaletteObject>(handle, OBJ_PAL);
  if (!palette || palette->entries.empty()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  UINT best = 0;
  long bestDistance = -1;
  for (size_t i = 0; i < palette->entries.size(); ++i) {
    const PALETTEENTRY& e = palette->entries[i];
    long d =
        long(e.peRed - r) * (e.peRed - r) + long(e.peGreen - g) * (e.peGreen - g) + long(e.peBlue - b) * (e.peBlue - b);
    if (bestDistance < 0 || d < bestDistance) {
      best = static_cast<UINT>(i);
      bestDistance = d;
    }
  }
  return best;
}

UINT WINAPI GetPaletteEntries(HPALETTE handle, UINT start, UINT count, LPPALETTEENTRY entries) {
  auto* palette = FindObjectOf<PaletteObject>(handle, OBJ_PAL);
  if (!palette) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  UINT size = static_cast<UINT>(palette->entries.size());
  if (!entries)
    return size;
  if (start >= size)
    return 0;
  if (count > size - start)
    count = size - start;
  for (UINT i = 0; i < count; ++i)
    entries[i] = palette->entries[start + i];
  return count;
}
