// Pixel formats and raster operations: the only place that knows how a
// colour becomes a pixel value.
#include "internal.h"

namespace tavwin::detail {

uint32_t PixelOf(const Surface& surface, COLORREF colour) {
  uint32_t rgb = RgbOfColour(colour);
  if (surface.bpp != 1)
    return rgb;
  // Nearest of black and white.
  int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  int toBlack = r * r + g * g + b * b;
  int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
  return toWhite <= toBlack ? 1u : 0u;
}

COLORREF ColourOf(const Surface& surface, uint32_t pixel) {
  if (surface.bpp == 1)
    return (pixel & 1u) ? RGB(255, 255, 255) : RGB(0, 0, 0);
  return ColourOfRgb(pixel);
}

// R2_xxx - 1 is the truth table of the operation: bit (2 * pen + destination)
// gives the result for that pair of bits.
uint32_t ApplyRop2(int rop2, uint32_t destination, uint32_t pen, uint32_t mask) {
  unsigned table = static_cast<unsigned>(rop2 - 1) & 15u;
  uint32_t result = 0;
  if (table & 1u)
    result |= ~pen & ~destination;
  if (table & 2u)
    result |= ~pen & destination;
  if (table & 4u)
    result |= pen & ~destination;
  if (table & 8u)
    result |= pen & destination;
  return result & mask;
}

bool ClipTo(RECT* rect, const RECT& clip) {
  if (rect->left < clip.left)
    rect->left = clip.left;
  if (rect->top < clip.top)
    rect->top = clip.top;
  if (rect->right > clip.right)
    rect->right = clip.right;
  if (rect->bottom > clip.bottom)
    rect->bottom = clip.bottom;
  if (Empty(*rect)) {
    *rect = RECT{0, 0, 0, 0};
    return false;
  }
  return true;
}

} // namespace tavwin::detail
