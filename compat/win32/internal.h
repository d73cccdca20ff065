// Internals shared by the files of the Win32 stand-in (not part of its API).
//
// The engine is small: every window owns a 32-bit surface of its client
// area, bitmaps own 1- or 32-bit surfaces, and device contexts draw onto one
// of them through a clip rectangle. Drawing primitives (gdi_draw.cpp, dib.cpp)
// only touch pixels through Surface, which knows the two pixel formats.
#ifndef TAVWIN_INTERNAL_H
#define TAVWIN_INTERNAL_H

#include <windows.h>

#include <string>
#include <vector>

namespace tavwin::detail {

// A fresh value for a window, GDI object, device context or cursor handle.
// Values are never reused, so a handle that was destroyed stays invalid.
uintptr_t NewHandleValue();

// ---- Pixels ----------------------------------------------------------------

// A rectangle of pixels. 32 bits per pixel: 0x00RRGGBB, the layout of a
// 32-bit DIB. 1 bit per pixel: the most significant bit is the leftmost
// pixel, 0 is black and 1 is white.
struct Surface {
  int width = 0, height = 0;
  int bpp = 32;
  int stride = 0; // bytes per row
  unsigned char* bits = nullptr;

  uint32_t Get(int x, int y) const {
    const unsigned char* row = bits + static_cast<size_t>(y) * stride;
    if (bpp == 1)
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    return reinterpret_cast<const uint32_t*>(row)[x];
  }
  void Put(int x, int y, uint32_t pixel) {
    unsigned char* row = bits + static_cast<size_t>(y) * stride;
    if (bpp == 1) {
      unsigned char bit = static_cast<unsigned char>(0x80u >> (x & 7));
      row[x >> 3] = static_cast<unsigned char>((pixel & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
    } else {
      reinterpret_cast<uint32_t*>(row)[x] = pixel & 0xFFFFFFu;
    }
  }
  uint32_t Mask() const { return bpp == 1 ? 1u : 0xFFFFFFu; }
  RECT Bounds() const { return RECT{0, 0, width, height}; }
};

// Colour conversions of a surface: a COLORREF becomes the nearest pixel value.
uint32_t PixelOf(const Surface& surface, COLORREF colour);
COLORREF ColourOf(const Surface& surface, uint32_t pixel);
inline uint32_t RgbOfColour(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
inline COLORREF ColourOfRgb(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The binary raster operations (R2_BLACK .. R2_WHITE) on pixel values.
uint32_t ApplyRop2(int rop2, uint32_t destination, uint32_t pen, uint32_t mask);

// Rectangles.
bool ClipTo(RECT* rect, const RECT& clip); // false when nothing is left
inline bool Empty(const RECT& r) {
  return r.left >= r.right || r.top >= r.bottom;
}
inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// ---- Windows (window.cpp, paint.cpp) -------------------------------------

struct ScrollBar {
  int min = 0, max = 0, pos = 0; // 0..100 for a bar the window is created with
  bool shown = false;
};

struct Window {
  HWND handle = nullptr;
  HWND parent = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  UINT classStyle = 0;
  HBRUSH background = nullptr;
  std::string className;
  RECT rect{}; // window rectangle: screen coordinates, or the parent's client coordinates for a child
  bool visible = false;
  bool destroying = false;
  ScrollBar bars[2]; // SB_HORZ, SB_VERT
  LONG_PTR userData = 0;
  // Pending paint: the bounding box of what was invalidated since the last
  // BeginPaint, whether its background is to be erased, and whether the
  // window asked for erasing (WM_ERASEBKGND returned 0) and still owes it.
  RECT update{};
  bool erase = false, eraseOwed = false, internalPaint = false;
  std::vector<uint32_t> pixels; // the client area
  int clientWidth = 0, clientHeight = 0;

  Surface ClientSurface() {
    Surface s;
    s.width = clientWidth;
    s.height = clientHeight;
    s.stride = clientWidth * 4;
    s.bits = reinterpret_cast<unsigned char*>(pixels.data());
    return s;
  }
  RECT ClientRect() const { return RECT{0, 0, clientWidth, clientHeight}; }
  bool NeedsPaint() const { return visible && (!Empty(update) || internalPaint); }
};

Window* FindWindowRecord(HWND window); // null for a destroyed or unknown handle
std::vector<Window*> AllWindows();

// Paint state (paint.cpp).
void Invalidate(Window& window, const RECT* rect, bool erase);
void Validate(Window& window, const RECT* rect);
// Sends WM_ERASEBKGND for a pending erase through a DC clipped to the update
// area; remembers when the window left the erasing to BeginPaint.
void EraseNow(Window& window);

// ---- GDI objects (gdi_objects.cpp) -----------------------------------------

struct GdiObject {
  DWORD type = 0; // OBJ_PEN, OBJ_BRUSH, ...
  bool stock = false;
  int selections = 0;         // device contexts that have it selected
  bool deletePending = false; // deleted while selected: goes when deselected
  virtual ~GdiObject() = default;
};

struct PenObject : GdiObject {
  LOGPEN log{};
};

struct BrushObject : GdiObject {
  LOGBRUSH log{};
};

struct RegionObject : GdiObject {
  RECT rect{}; // normalised; empty for a null region
};

struct PaletteObject : GdiObject {
  std::vector<PALETTEENTRY> entries;
};

struct BitmapObject : GdiObject {
  std::vector<unsigned char> storage;
  Surface surface;
  HDC selectedInto = nullptr;
};

enum class DcKind { Window, Paint, Screen, Memory };

struct DcObject : GdiObject {
  DcKind kind = DcKind::Memory;
  HWND window = nullptr;
  RECT paintArea{};     // a paint DC draws only inside its paint area
  bool clipped = false; // a clip region was selected ...
  RECT clip{};          // ... and this is its copy
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HPALETTE palette = nullptr;
  HBITMAP bitmap = nullptr;
  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
};

// A live object; evenIfDeleted also finds one whose deletion waits for it to
// be deselected (for the DCs that still hold it).
GdiObject* FindObject(HGDIOBJ handle, bool evenIfDeleted = false);
template <class T> T* FindObjectOf(HGDIOBJ handle, DWORD type) {
  GdiObject* object = FindObject(handle);
  return object && object->type == type ? static_cast<T*>(object) : nullptr;
}
DcObject* FindDC(HDC dc); // window, paint, screen and memory DCs alike
HGDIOBJ AddObject(GdiObject* object);
// Selection counts: an object deleted while selected goes when the last DC
// that holds it lets go.
void RetainObject(HGDIOBJ handle);
void ReleaseObject(HGDIOBJ handle);
BitmapObject* NewBitmapObject(int width, int height, int bpp); // null when too large
HBITMAP DefaultBitmap();                                       // the 1x1 monochrome bitmap of a new memory DC

HDC NewWindowDC(HWND window, DcKind kind, const RECT* paintArea);
bool FreeWindowDC(HDC dc, DcKind kind);
void FreeDCsOfWindow(HWND window);

// Where a device context draws: its surface and its clip rectangle in device
// coordinates (already inside the surface). False for a dead DC.
bool DrawTarget(HDC dc, DcObject** object, Surface* surface, RECT* clip);

} // namespace tavwin::detail

#endif
