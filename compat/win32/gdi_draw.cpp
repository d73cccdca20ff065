// Drawing primitives: FillRect, Rectangle, pixels and BitBlt. Each works on
// the surface and clip rectangle of its DC and reaches pixels only through
// Surface, so they serve window surfaces and bitmaps alike.
#include "internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace tavwin::detail;

namespace {

// A row span [from, to) clipped to [lo, hi).
void markSpan(std::vector<char>& row, int lo, int hi, int from, int to) {
  if (from < lo)
    from = lo;
  if (to > hi)
    to = hi;
  for (int x = from; x < to; ++x)
    row[x - lo] = 1;
}

// The round tip of a pen of width w (w >= 2), as the rows of a w x w disc:
// row i covers [inset[i], w - inset[i]) of its w columns. The rows come from
// the integer midpoint ellipse walk over a w x w box; a width of 2 gives a
// full square and a width of 3 a plus sign.
std::vector<int> penTipInsets(int w) {
  std::vector<int> inset(w, 0);
  long long a = w - 1, b = w - 1;
  long long stepX = 8 * b * b, stepY = 8 * a * a;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + b % 2);
  long long err = dx + dy + a * a * (b % 2);
  int x = 0, y = w / 2;
  inset[y] = 0;
  while (x <= w / 2) {
    long long twice = 2 * err;
    if (twice >= dx) {
      ++x;
      dx += stepX;
      err += dx;
    }
    if (twice <= dy) {
      ++y;
      dy += stepY;
      err += dy;
      if (y < w)
        inset[y] = x;
    }
  }
  for (int i = 0; i < w / 2; ++i)
    inset[i] = inset[w - 1 - i];
  return inset;
}

void paintPixel(Surface& s, int x, int y, int rop2, uint32_t pixel) {
  s.Put(x, y, ApplyRop2(rop2, s.Get(x, y), pixel, s.Mask()));
}

// Converts a source pixel for the destination format: a monochrome source
// gives black for 0 and white for 1; a colour source gives 1 (white) to a
// monochrome destination only where it is the background colour, white.
uint32_t convertPixel(const Surface& from, const Surface& to, uint32_t pixel) {
  if (from.bpp == to.bpp)
    return pixel;
  if (from.bpp == 1)
    return (pixel & 1u) ? 0xFFFFFFu : 0u;
  return pixel == 0xFFFFFFu ? 1u : 0u;
}

} // namespace

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brushHandle) {
  Surface s;
  RECT clip;
  auto* brush = FindObjectOf<BrushObject>(brushHandle, OBJ_BRUSH);
  if (!rect || !brush || !DrawTarget(dc, nullptr, &s, &clip)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  RECT area = *rect;
  if (brush->log.lbStyle == BS_NULL || !ClipTo(&area, clip))
    return 1;
  uint32_t pixel = PixelOf(s, brush->log.lbColor);
  if (s.bpp == 32) { // one row filled, then copied to the others
    uint32_t* first = reinterpret_cast<uint32_t*>(s.bits + static_cast<size_t>(area.top) * s.stride) + area.left;
    std::fill(first, first + (area.right - area.left), pixel & 0xFFFFFFu);
    for (int y = area.top + 1; y < area.bottom; ++y)
      memcpy(s.bits + static_cast<size_t>(y) * s.stride + static_cast<size_t>(area.left) * 4, first,
             static_cast<size_t>(area.right - area.left) * 4);
    return 1;
  }
  for (int y = area.top; y < area.bottom; ++y) {
    if (s.bpp == 32) {
      uint32_t* row = reinterpret_cast<uint32_t*>(s.bits + static_cast<size_t>(y) * s.stride);
      std::fill(row + area.left, row + area.right, pixel & 0xFFFFFFu);
      continue;
    }
    for (int x = area.left; x < area.right; ++x)
      s.Put(x, y, pixel);
  }
  return 1;
}

// Rectangle(l, t, r, b) covers columns l..r-1 and rows t..b-1 with a pen of
// width 0 or 1: the outline is the one-pixel border, the brush fills the
// rest. A null pen leaves the outline out and the brush covers l..r-2 and
// t..b-2. A wider pen of width w draws a band w pixels wide centred on the
// border path (l, t)-(r-1, b-1) (w / 2 pixels outside it), with round joins
// at the corners; the brush fills the rest of the area inside the path.
// Every covered pixel is painted exactly once, with the pen or the brush,
// through the DC's raster operation.
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  DcObject* d;
  Surface s;
  RECT clip;
  if (!DrawTarget(dc, &d, &s, &clip)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto* pen = static_cast<PenObject*>(FindObject(d->pen, true));
  auto* brush = static_cast<BrushObject*>(FindObject(d->brush, true));
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);
  if (left == right || top == bottom || !pen || !brush)
    return TRUE;

  bool nullPen = (pen->log.lopnStyle & 0xF) == PS_NULL;
  // A negative width draws as its magnitude.
  int w = nullPen ? 0 : (int)std::min<int64_t>(std::llabs((int64_t)pen->log.lopnWidth.x), 32767);
  if (!nullPen && w == 0)
    w = 1;
  if ((pen->log.lopnStyle & 0xF) == 6 && w > 1) { // PS_INSIDEFRAME keeps the band inside the area
    left += w / 2;
    top += w / 2;
    right -= (w - 1) / 2;
    bottom -= (w - 1) / 2;
  }
  const int L = left, T = top, R = right - 1, B = bottom - 1, h = w / 2;
  RECT box = w >= 2 ? RECT{L - h, T - h, R - h + w, B - h + w} : nullPen ? RECT{L, T, R, B} : RECT{L, T, R + 1, B + 1};
  if (!ClipTo(&box, clip))
    return TRUE;

  uint32_t penPixel = PixelOf(s, pen->log.lopnColor);
  uint32_t brushPixel = PixelOf(s, brush->log.lbColor);
  bool fill = brush->log.lbStyle != BS_NULL;
  std::vector<int> inset = w >= 2 ? penTipInsets(w) : std::vector<int>();
  std::vector<char> outline(box.right - box.left);
  const POINT corners[4] = {{L, T}, {R, T}, {L, B}, {R, B}};

  for (int y = box.top; y < box.bottom; ++y) {
    std::fill(outline.begin(), outline.end(), 0);
    int lo = box.left, hi = box.right;
    if (w == 1) {
      if (y == T || y == B)
        markSpan(outline, lo, hi, L, R + 1);
      markSpan(outline, lo, hi, L, L + 1);
      markSpan(outline, lo, hi, R, R + 1);
    } else if (w >= 2) {
      if ((y >= T - h && y < T - h + w) || (y >= B - h && y < B - h + w))
        markSpan(outline, lo, hi, L, R);
      if (y >= T && y < B) {
        markSpan(outline, lo, hi, L - h, L - h + w);
        markSpan(outline, lo, hi, R - h, R - h + w);
      }
      for (const POINT& c : corners) {
        int i = y - (c.y - h);
        if (i >= 0 && i < w)
          markSpan(outline, lo, hi, c.x - h + inset[i], c.x - h + w - inset[i]);
      }
    }
    // The brush's part: inside the path, and for a thin pen inside its border.
    int in = w == 1 ? 1 : 0;
    bool rowInside = y >= T + in && y < B;
    for (int x = lo; x < hi; ++x) {
      if (outline[x - lo])
        paintPixel(s, x, y, d->rop2, penPixel);
      else if (fill && rowInside && x >= L + in && x < R)
        paintPixel(s, x, y, d->rop2, brushPixel);
    }
  }
  return TRUE;
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
  DcObject* d;
  Surface s;
  RECT clip;
  if (!DrawTarget(dc, &d, &s, &clip)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  uint32_t pixel = PixelOf(s, colour);
  if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
    paintPixel(s, x, y, d->rop2, pixel);
  return ColourOf(s, pixel);
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  Surface s;
  RECT clip;
  if (!DrawTarget(dc, nullptr, &s, &clip) || x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
    return CLR_INVALID;
  return ColourOf(s, s.Get(x, y));
}

// SRCCOPY and NOTSRCCOPY, between any two DCs (the same one included). Only
// the part inside both the source surface and the destination's clip moves.
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  Surface to, from;
  RECT clip, fromClip;
  if (!DrawTarget(dest, nullptr, &to, &clip) || !DrawTarget(src, nullptr, &from, &fromClip)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (rop != SRCCOPY && rop != NOTSRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (width <= 0 || height <= 0)
    return TRUE;
  RECT source{xSrc, ySrc, xSrc + width, ySrc + height};
  if (!ClipTo(&source, from.Bounds()))
    return TRUE;
  RECT target{source.left - xSrc + x, source.top - ySrc + y, source.right - xSrc + x, source.bottom - ySrc + y};
  if (!ClipTo(&target, clip))
    return TRUE;
  int w = target.right - target.left, h = target.bottom - target.top;
  std::vector<uint32_t> copy(static_cast<size_t>(w) * h);
  uint32_t invert = rop == NOTSRCCOPY ? to.Mask() : 0u;
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      uint32_t p = from.Get(target.left - x + xSrc + col, target.top - y + ySrc + row);
      copy[static_cast<size_t>(row) * w + col] = convertPixel(from, to, p) ^ invert;
    }
  }
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col)
      to.Put(target.left + col, target.top + row, copy[static_cast<size_t>(row) * w + col]);
  }
  return TRUE;
}
