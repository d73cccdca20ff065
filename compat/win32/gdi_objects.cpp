// The GDI object table: stock objects, pens, brushes, regions, device
// contexts, selection and deletion. Handles are looked up in the table before
// use, so a stale or made-up handle is refused, never dereferenced.
#include "internal.h"
#include "tavwin_test.h"

#include <memory>
#include <unordered_map>

namespace tavwin::detail {
GdiObject* MakeDefaultPalette(); // palette.cpp
}

using namespace tavwin::detail;

namespace {

struct Table {
  std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects;
  HGDIOBJ stock[DEFAULT_PALETTE + 1] = {};
  HBITMAP defaultBitmap = nullptr;
};

Table& table() {
  static Table t;
  return t;
}

// Any object in the table, including one whose deletion waits for it to be
// deselected (only the DCs that hold it may still use it).
GdiObject* findAny(HGDIOBJ handle) {
  auto& objects = table().objects;
  auto it = objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == objects.end() ? nullptr : it->second.get();
}

void erase(HGDIOBJ handle) {
  table().objects.erase(reinterpret_cast<uintptr_t>(handle));
}

HGDIOBJ newPen(int style, int width, COLORREF colour, bool stock) {
  auto* pen = new PenObject;
  pen->type = OBJ_PEN;
  pen->stock = stock;
  pen->log = LOGPEN{static_cast<UINT>(style), POINT{width, 0}, colour};
  return AddObject(pen);
}

HGDIOBJ newBrush(UINT style, COLORREF colour, bool stock) {
  auto* brush = new BrushObject;
  brush->type = OBJ_BRUSH;
  brush->stock = stock;
  brush->log = LOGBRUSH{style, colour, 0};
  return AddObject(brush);
}

void makeStockObjects() {
  Table& t = table();
  if (t.stock[WHITE_BRUSH])
    return;
  t.stock[WHITE_BRUSH] = newBrush(BS_SOLID, RGB(255, 255, 255), true);
  t.stock[LTGRAY_BRUSH] = newBrush(BS_SOLID, RGB(192, 192, 192), true);
  t.stock[GRAY_BRUSH] = newBrush(BS_SOLID, RGB(128, 128, 128), true);
  t.stock[DKGRAY_BRUSH] = newBrush(BS_SOLID, RGB(64, 64, 64), true);
  t.stock[BLACK_BRUSH] = newBrush(BS_SOLID, RGB(0, 0, 0), true);
  t.stock[NULL_BRUSH] = newBrush(BS_NULL, 0, true);
  t.stock[WHITE_PEN] = newPen(PS_SOLID, 0, RGB(255, 255, 255), true);
  t.stock[BLACK_PEN] = newPen(PS_SOLID, 0, RGB(0, 0, 0), true);
  t.stock[NULL_PEN] = newPen(PS_NULL, 0, 0, true);
  GdiObject* palette = MakeDefaultPalette();
  palette->stock = true;
  t.stock[DEFAULT_PALETTE] = AddObject(palette);
  BitmapObject* bitmap = NewBitmapObject(1, 1, 1);
  bitmap->stock = true;
  t.defaultBitmap = static_cast<HBITMAP>(AddObject(bitmap));
}

HDC newDC(DcKind kind, HWND window, const RECT* paintArea) {
  makeStockObjects();
  auto* dc = new DcObject;
  dc->type = kind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
  dc->kind = kind;
  dc->window = window;
  if (paintArea)
    dc->paintArea = *paintArea;
  Table& t = table();
  dc->pen = static_cast<HPEN>(t.stock[BLACK_PEN]);
  dc->brush = static_cast<HBRUSH>(t.stock[WHITE_BRUSH]);
  dc->palette = static_cast<HPALETTE>(t.stock[DEFAULT_PALETTE]);
  RetainObject(dc->pen);
  RetainObject(dc->brush);
  RetainObject(dc->palette);
  if (kind == DcKind::Memory) {
    dc->bitmap = t.defaultBitmap;
    RetainObject(dc->bitmap);
  }
  return static_cast<HDC>(AddObject(dc));
}

void freeDC(HDC handle) {
  auto* dc = static_cast<DcObject*>(findAny(handle));
  ReleaseObject(dc->pen);
  ReleaseObject(dc->brush);
  ReleaseObject(dc->palette);
  if (dc->bitmap) {
    if (auto* bitmap = static_cast<BitmapObject*>(findAny(dc->bitmap)); bitmap && !bitmap->stock)
      bitmap->selectedInto = nullptr;
    ReleaseObject(dc->bitmap);
  }
  erase(handle);
}

int regionType(const RECT& r) {
  return Empty(r) ? NULLREGION : SIMPLEREGION;
}

template <class Log> int copyOut(const Log& log, int size, LPVOID buffer) {
  if (!buffer)
    return sizeof(Log);
  if (size < static_cast<int>(sizeof(Log)))
    return 0;
  *static_cast<Log*>(buffer) = log;
  return sizeof(Log);
}

} // namespace

namespace tavwin::detail {

GdiObject* FindObject(HGDIOBJ handle, bool evenIfDeleted) {
  GdiObject* object = findAny(handle);
  return object && (evenIfDeleted || !object->deletePending) ? object : nullptr;
}

DcObject* FindDC(HDC dc) {
  GdiObject* object = findAny(dc);
  return object && (object->type == OBJ_DC || object->type == OBJ_MEMDC) ? static_cast<DcObject*>(object) : nullptr;
}

void RetainObject(HGDIOBJ handle) {
  if (GdiObject* object = findAny(handle))
    ++object->selections;
}

void ReleaseObject(HGDIOBJ handle) {
  GdiObject* object = findAny(handle);
  if (!object)
    return;
  if (--object->selections <= 0 && object->deletePending)
    erase(handle);
}

HGDIOBJ AddObject(GdiObject* object) {
  uintptr_t value = NewHandleValue();
  table().objects[value].reset(object);
  return reinterpret_cast<HGDIOBJ>(value);
}

HBITMAP DefaultBitmap() {
  makeStockObjects();
  return table().defaultBitmap;
}

HDC NewWindowDC(HWND window, DcKind kind, const RECT* paintArea) {
  return newDC(kind, window, paintArea);
}

bool FreeWindowDC(HDC handle, DcKind kind) {
  DcObject* dc = FindDC(handle);
  if (!dc || dc->kind != kind)
    return false;
  freeDC(handle);
  return true;
}

void FreeDCsOfWindow(HWND window) {
  std::vector<HDC> doomed;
  for (auto& [value, object] : table().objects) {
    if (object->type == OBJ_DC && static_cast<DcObject*>(object.get())->window == window)
      doomed.push_back(reinterpret_cast<HDC>(value));
  }
  for (HDC dc : doomed)
    freeDC(dc);
}

bool DrawTarget(HDC handle, DcObject** object, Surface* surface, RECT* clip) {
  DcObject* dc = FindDC(handle);
  if (!dc)
    return false;
  switch (dc->kind) {
  case DcKind::Memory: {
    auto* bitmap = static_cast<BitmapObject*>(findAny(dc->bitmap));
    if (!bitmap)
      return false;
    *surface = bitmap->surface;
    *clip = surface->Bounds();
    break;
  }
  case DcKind::Window:
  case DcKind::Paint: {
    Window* window = FindWindowRecord(dc->window);
    if (!window)
      return false;
    *surface = window->ClientSurface();
    *clip = surface->Bounds();
    if (dc->kind == DcKind::Paint)
      ClipTo(clip, dc->paintArea);
    break;
  }
  case DcKind::Screen:
    *surface = Surface{};
    *clip = RECT{0, 0, 0, 0};
    break;
  }
  if (dc->clipped)
    ClipTo(clip, dc->clip);
  if (object)
    *object = dc;
  return true;
}

} // namespace tavwin::detail

HGDIOBJ WINAPI GetStockObject(int index) {
  makeStockObjects();
  if (index < 0 || index > DEFAULT_PALETTE)
    return nullptr;
  return table().stock[index];
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
  if ((style & 0xF) > 6) { // PS_SOLID .. PS_INSIDEFRAME
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HPEN>(newPen(style & 0xF, width, colour, false));
}

// Solid and hollow brushes; patterned styles are not drawn by this engine.
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HBRUSH>(newBrush(brush->lbStyle, brush->lbStyle == BS_SOLID ? brush->lbColor : 0, false));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(newBrush(BS_SOLID, colour, false));
}

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  auto* region = new RegionObject;
  region->type = OBJ_REGION;
  region->rect = RECT{left < right ? left : right, top < bottom ? top : bottom, left < right ? right : left,
                      top < bottom ? bottom : top};
  if (Empty(region->rect))
    region->rect = RECT{0, 0, 0, 0};
  return static_cast<HRGN>(AddObject(region));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
  if (dc && !FindDC(dc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return newDC(DcKind::Memory, nullptr, nullptr);
}

BOOL WINAPI DeleteDC(HDC handle) {
  DcObject* dc = FindDC(handle);
  if (!dc || dc->kind != DcKind::Memory) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  freeDC(handle);
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
  DcObject* dc = FindDC(handle);
  GdiObject* selected = FindObject(object);
  if (!dc || !selected) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ* slot = nullptr;
  switch (selected->type) {
  case OBJ_PEN:
    slot = reinterpret_cast<HGDIOBJ*>(&dc->pen);
    break;
  case OBJ_BRUSH:
    slot = reinterpret_cast<HGDIOBJ*>(&dc->brush);
    break;
  case OBJ_REGION:
    return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(SelectClipRgn(handle, static_cast<HRGN>(object))));
  case OBJ_BITMAP: {
    auto* bitmap = static_cast<BitmapObject*>(selected);
    if (dc->kind != DcKind::Memory || (bitmap->selectedInto && bitmap->selectedInto != handle)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (auto* old = static_cast<BitmapObject*>(findAny(dc->bitmap)); old && !old->stock)
      old->selectedInto = nullptr;
    if (!bitmap->stock)
      bitmap->selectedInto = handle;
    slot = reinterpret_cast<HGDIOBJ*>(&dc->bitmap);
    break;
  }
  default: // palettes go through SelectPalette; DCs cannot be selected
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HGDIOBJ previous = *slot;
  RetainObject(object);
  *slot = object;
  ReleaseObject(previous);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
  GdiObject* object = FindObject(handle);
  if (!object || object->type == OBJ_DC || object->type == OBJ_MEMDC) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock)
    return TRUE; // stock objects stay, as on Windows
  if (object->selections > 0)
    object->deletePending = true;
  else
    erase(handle);
  return TRUE;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
  GdiObject* object = FindObject(handle);
  if (!object || size < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (object->type) {
  case OBJ_PEN:
    return copyOut(static_cast<PenObject*>(object)->log, size, buffer);
  case OBJ_BRUSH:
    return copyOut(static_cast<BrushObject*>(object)->log, size, buffer);
  case OBJ_PAL:
    return copyOut(static_cast<WORD>(static_cast<PaletteObject*>(object)->entries.size()), size, buffer);
  case OBJ_BITMAP: {
    const Surface& s = static_cast<BitmapObject*>(object)->surface;
    BITMAP bm{0, s.width, s.height, s.stride, 1, static_cast<WORD>(s.bpp), nullptr};
    return copyOut(bm, size, buffer);
  }
  default:
    return 0;
  }
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
  GdiObject* object = FindObject(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return object->type;
}

HGDIOBJ WINAPI GetCurrentObject(HDC handle, UINT type) {
  DcObject* dc = FindDC(handle);
  if (!dc)
    return nullptr;
  switch (type) {
  case OBJ_PEN:
    return dc->pen;
  case OBJ_BRUSH:
    return dc->brush;
  case OBJ_PAL:
    return dc->palette;
  case OBJ_BITMAP:
    return dc->bitmap;
  default:
    return nullptr;
  }
}

int WINAPI SetROP2(HDC handle, int rop) {
  DcObject* dc = FindDC(handle);
  if (!dc || rop < R2_BLACK || rop > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = dc->rop2;
  dc->rop2 = rop;
  return previous;
}

int WINAPI GetROP2(HDC handle) {
  DcObject* dc = FindDC(handle);
  return dc ? dc->rop2 : 0;
}

int WINAPI SetBkMode(HDC handle, int mode) {
  DcObject* dc = FindDC(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC handle) {
  DcObject* dc = FindDC(handle);
  return dc ? dc->bkMode : 0;
}

// The DC keeps a copy of the region: the caller may delete it at once.
int WINAPI SelectClipRgn(HDC handle, HRGN region) {
  DcObject* dc = FindDC(handle);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  if (!region) {
    dc->clipped = false;
    return SIMPLEREGION;
  }
  auto* rgn = FindObjectOf<RegionObject>(region, OBJ_REGION);
  if (!rgn) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  dc->clipped = true;
  dc->clip = rgn->rect;
  return regionType(dc->clip);
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
  Surface surface;
  RECT clip;
  if (!rect || !DrawTarget(handle, nullptr, &surface, &clip)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  *rect = Empty(clip) ? RECT{0, 0, 0, 0} : clip;
  return regionType(*rect);
}

namespace tavwin {

long LiveGdiObjects() {
  long count = 0;
  for (auto& [value, object] : table().objects) {
    if (!object->stock && object->type != OBJ_DC)
      ++count;
  }
  return count;
}

long LiveWindowDCs() {
  long count = 0;
  for (auto& [value, object] : table().objects) {
    if (object->type == OBJ_DC)
      ++count;
  }
  return count;
}

} // namespace tavwin
