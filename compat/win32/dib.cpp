// Device-independent bitmaps in and out (SetDIBitsToDevice, GetDIBits) and
// device-dependent bitmaps: monochrome (rows padded to 16 bits) and 32-bit.
#include "internal.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

using namespace tavwin::detail;

namespace {

constexpr long long kMaxBitmapBytes = 512LL << 20;

long long dibStride(long long width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}

// A BITMAPINFO as read: BI_RGB rows of 1, 4, 8, 16, 24 or 32 bits per pixel.
struct Dib {
  int width = 0, height = 0; // height without sign
  bool topDown = false;
  int bpp = 0;
  long long stride = 0;
  const RGBQUAD* colours = nullptr; // the colour table, after the header
  int colourCount = 0;
};

bool readDib(const BITMAPINFO* info, Dib* dib) {
  if (!info)
    return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int bpp = h.biBitCount;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN ||
      h.biCompression != BI_RGB || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
    return false;
  dib->width = h.biWidth;
  dib->height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  dib->topDown = h.biHeight < 0;
  dib->bpp = bpp;
  dib->stride = dibStride(h.biWidth, bpp);
  dib->colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + h.biSize);
  if (bpp <= 8)
    dib->colourCount = h.biClrUsed == 0 || h.biClrUsed > (1u << bpp) ? 1 << bpp : static_cast<int>(h.biClrUsed);
  return dib->stride * dib->height < (1LL << 31);
}

// The colours of the table as surface pixels; indices past the table are black.
std::vector<uint32_t> colourLookup(const Dib& dib, const Surface& s, UINT colourUse, HPALETTE palette) {
  std::vector<uint32_t> lookup(dib.bpp <= 8 ? 1u << dib.bpp : 0, PixelOf(s, 0));
  auto* pal = FindObjectOf<PaletteObject>(palette, OBJ_PAL);
  for (int i = 0; i < dib.colourCount; ++i) {
    COLORREF c;
    if (colourUse == DIB_PAL_COLORS) {
      WORD index = reinterpret_cast<const WORD*>(dib.colours)[i];
      const PALETTEENTRY* e = pal && index < pal->entries.size() ? &pal->entries[index] : nullptr;
      c = e ? RGB(e->peRed, e->peGreen, e->peBlue) : 0;
    } else {
      c = RGB(dib.colours[i].rgbRed, dib.colours[i].rgbGreen, dib.colours[i].rgbBlue);
    }
    lookup[i] = PixelOf(s, c);
  }
  return lookup;
}

// Pixel x of a DIB row with Bpp bits per pixel (0: any, read from the DIB).
template <int Bpp>
uint32_t dibPixel(const Dib& dib, const BYTE* row, int x, const std::vector<uint32_t>& lookup, const Surface& s) {
  switch (Bpp != 0 ? Bpp : dib.bpp) {
  case 1:
    return lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
  case 4:
    return lookup[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
  case 8:
    return lookup[row[x]];
  case 16: {
    unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
    unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    return PixelOf(s, RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2)));
  }
  default: {
    const BYTE* p = row + x * (dib.bpp / 8);
    return PixelOf(s, RGB(p[2], p[1], p[0]));
  }
  }
}

RECT clampedRect(long long left, long long top, long long right, long long bottom) {
  auto c = [](long long v) { return static_cast<LONG>(std::max<long long>(-(1LL << 30), std::min(v, 1LL << 30))); };
  return RECT{c(left), c(top), c(right), c(bottom)};
}

} // namespace

namespace tavwin::detail {

BitmapObject* NewBitmapObject(int width, int height, int bpp) {
  long long stride = bpp == 1 ? (width + 15LL) / 16 * 2 : width * 4LL;
  if (width <= 0 || height <= 0 || stride * height > kMaxBitmapBytes)
    return nullptr;
  auto* bitmap = new BitmapObject;
  bitmap->type = OBJ_BITMAP;
  bitmap->storage.assign(static_cast<size_t>(stride * height), 0);
  bitmap->surface.width = width;
  bitmap->surface.height = height;
  bitmap->surface.bpp = bpp;
  bitmap->surface.stride = static_cast<int>(stride);
  bitmap->surface.bits = bitmap->storage.data();
  return bitmap;
}

} // namespace tavwin::detail

// Scan lines startScan .. startScan + scanLines - 1 of the DIB are in bits
// (numbered from the bottom for a bottom-up DIB); the source rectangle at
// (xSrc, ySrc) of width x height is measured from the DIB's lower-left corner
// and lands with its top-left corner at (xDest, yDest). Returns the number
// of scan lines taken from bits, also when clipping leaves nothing to draw.
int WINAPI SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                             UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info, UINT colourUse) {
  DcObject* d;
  Surface s;
  RECT clip;
  Dib dib;
  if (!bits || colourUse > DIB_PAL_COLORS || !readDib(info, &dib) || !DrawTarget(dc, &d, &s, &clip)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  long long lines = scanLines;
  if (lines == 0 || startScan >= static_cast<UINT>(dib.height))
    return 0;
  if (!dib.topDown && lines > dib.height - static_cast<long long>(startScan))
    lines = dib.height - static_cast<long long>(startScan);
  // The source in top-down rows of the buffer that bits points to.
  long long srcY = static_cast<long long>(startScan) + lines - (static_cast<long long>(ySrc) + height);
  if (srcY > 0) {
    if (dib.topDown && srcY >= lines)
      return static_cast<int>(lines);
    if (!dib.topDown) {
      if (srcY >= lines)
        return 0;
      lines -= srcY;
      srcY = 0;
    }
  }
  long long rows = dib.topDown ? std::min<long long>(lines, dib.height) : lines;
  RECT source = clampedRect(xSrc, srcY, static_cast<long long>(xSrc) + width, srcY + height);
  if (!ClipTo(&source, RECT{0, 0, dib.width, static_cast<LONG>(rows)}))
    return 0;
  long long dx = static_cast<long long>(xDest) - xSrc, dy = static_cast<long long>(yDest) - srcY;
  RECT target = clampedRect(source.left + dx, source.top + dy, source.right + dx, source.bottom + dy);
  if (!ClipTo(&target, clip))
    return static_cast<int>(lines);

  std::vector<uint32_t> lookup = colourLookup(dib, s, colourUse, d->palette);
  const BYTE* base = static_cast<const BYTE*>(bits);
  auto rowAt = [&](int y) {
    long long sy = y - dy;
    return base + (dib.topDown ? sy : rows - 1 - sy) * dib.stride;
  };
  // Into 32-bit rows a row at a time, the pixel format chosen once; 4-bit
  // rows two pixels a byte.
  auto rowsOf = [&](auto bpp) {
    constexpr int kBpp = decltype(bpp)::value;
    for (int y = target.top; y < target.bottom; ++y) {
      const BYTE* row = rowAt(y);
      uint32_t* out = reinterpret_cast<uint32_t*>(s.bits + static_cast<size_t>(y) * s.stride);
      auto put = [&](int x) { out[x] = dibPixel<kBpp>(dib, row, static_cast<int>(x - dx), lookup, s) & 0xFFFFFFu; };
      int x = target.left;
      if (kBpp == 4) {
        if ((x - dx) & 1)
          put(x++);
        for (; x + 1 < target.right; x += 2) {
          const BYTE pair = row[(x - dx) >> 1];
          out[x] = lookup[pair >> 4] & 0xFFFFFFu;
          out[x + 1] = lookup[pair & 15] & 0xFFFFFFu;
        }
      }
      for (; x < target.right; ++x)
        put(x);
    }
    return static_cast<int>(lines);
  };
  if (s.bpp == 32) {
    switch (dib.bpp) {
    case 1:
      return rowsOf(std::integral_constant<int, 1>());
    case 4:
      return rowsOf(std::integral_constant<int, 4>());
    case 8:
      return rowsOf(std::integral_constant<int, 8>());
    default:
      return rowsOf(std::integral_constant<int, 0>());
    }
  }
  for (int y = target.top; y < target.bottom; ++y) {
    const BYTE* row = rowAt(y);
    for (int x = target.left; x < target.right; ++x)
      s.Put(x, y, dibPixel<0>(dib, row, static_cast<int>(x - dx), lookup, s));
  }
  return static_cast<int>(lines);
}

// Reads a bitmap into a 1-, 24- or 32-bit BI_RGB DIB whose top-left corner is
// the bitmap's. With no bits (or no lines) only the header's image size and
// colour table are filled; with biBitCount 0 the header describes the bitmap.
int WINAPI GetDIBits(HDC dc, HBITMAP handle, UINT startScan, UINT scanLines, LPVOID bits, LPBITMAPINFO info,
                     UINT colourUse) {
  auto* bitmap = FindObjectOf<BitmapObject>(handle, OBJ_BITMAP);
  if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || colourUse > DIB_PAL_COLORS || !FindDC(dc) ||
      !bitmap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const Surface& s = bitmap->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biBitCount == 0) {
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(dibStride(s.width, s.bpp) * s.height);
    h.biClrUsed = h.biClrImportant = 0;
    return 1;
  }
  Dib dib;
  if (!readDib(info, &dib) || (dib.bpp != 1 && dib.bpp != 24 && dib.bpp != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (dib.bpp == 1) {
    auto* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + h.biSize);
    table[0] = RGBQUAD{0, 0, 0, 0};
    table[1] = RGBQUAD{255, 255, 255, 0};
  }
  h.biSizeImage = static_cast<DWORD>(dib.stride * dib.height);
  h.biClrUsed = 0;
  if (!bits || scanLines == 0 || startScan >= static_cast<UINT>(dib.height))
    return 1;

  long long lines = std::min<long long>(scanLines, dib.height - static_cast<long long>(startScan));
  BYTE* out = static_cast<BYTE*>(bits);
  std::memset(out, 0, static_cast<size_t>(lines * dib.stride));
  int copied = 0;
  for (long long k = 0; k < lines; ++k) {
    long long y = dib.topDown ? dib.height - startScan - lines + k : dib.height - 1 - (startScan + k);
    if (y < 0 || y >= s.height)
      continue;
    ++copied;
    BYTE* row = out + k * dib.stride;
    for (int x = 0; x < dib.width && x < s.width; ++x) {
      uint32_t rgb = s.bpp == 1 ? (s.Get(x, static_cast<int>(y)) ? 0xFFFFFFu : 0u) : s.Get(x, static_cast<int>(y));
      if (dib.bpp == 1) {
        Surface mono;
        mono.bpp = 1;
        if (PixelOf(mono, ColourOfRgb(rgb)))
          row[x >> 3] = static_cast<BYTE>(row[x >> 3] | (0x80 >> (x & 7)));
      } else {
        BYTE* p = row + x * (dib.bpp / 8);
        p[0] = static_cast<BYTE>(rgb);
        p[1] = static_cast<BYTE>(rgb >> 8);
        p[2] = static_cast<BYTE>(rgb >> 16);
      }
    }
  }
  return copied;
}

// Monochrome and 32-bit bitmaps. A width or height of 0 gives the stock 1x1
// monochrome bitmap, as on Windows.
HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (width == 0 || height == 0)
    return DefaultBitmap();
  BitmapObject* bitmap = planes == 1 && (bitCount == 1 || bitCount == 32)
                             ? NewBitmapObject(width, height, static_cast<int>(bitCount))
                             : nullptr;
  if (!bitmap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (bits) {
    std::memcpy(bitmap->storage.data(), bits, bitmap->storage.size());
    if (bitCount == 32) {
      for (size_t i = 3; i < bitmap->storage.size(); i += 4)
        bitmap->storage[i] = 0;
    }
  }
  return static_cast<HBITMAP>(AddObject(bitmap));
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bm) {
  if (!bm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

// Compatible with a window or the screen means 32-bit; with a memory DC, the
// format of the bitmap selected in it (monochrome for a fresh memory DC).
HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  DcObject* d = FindDC(dc);
  if (!d || width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int bpp = 32;
  if (d->kind == DcKind::Memory) {
    auto* selected = static_cast<BitmapObject*>(FindObject(d->bitmap, true));
    bpp = selected ? selected->surface.bpp : 1;
  }
  return CreateBitmap(width, height, 1, static_cast<UINT>(bpp), nullptr);
}

LONG WINAPI GetBitmapBits(HBITMAP handle, LONG bytes, LPVOID bits) {
  auto* bitmap = FindObjectOf<BitmapObject>(handle, OBJ_BITMAP);
  if (!bitmap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  LONG total = static_cast<LONG>(bitmap->storage.size());
  if (!bits)
    return total;
  LONG n = std::max<LONG>(0, std::min(bytes, total));
  std::memcpy(bits, bitmap->storage.data(), static_cast<size_t>(n));
  return n;
}
