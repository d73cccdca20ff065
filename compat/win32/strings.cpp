// The 8-bit string functions and the rectangle helpers of USER32. A null
// pointer is refused the way the system refuses it: nothing is written and
// the documented failure value is returned.
#include <windows.h>

#include <cstring>

LPSTR WINAPI lstrcpyA(LPSTR dest, LPCSTR src) {
  if (!dest || !src)
    return nullptr;
  std::memmove(dest, src, std::strlen(src) + 1);
  return dest;
}

LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int maxChars) {
  if (!dest || maxChars <= 0)
    return dest;
  if (!src) {
    dest[0] = '\0';
    return dest;
  }
  int i = 0;
  for (; i < maxChars - 1 && src[i] != '\0'; ++i)
    dest[i] = src[i];
  dest[i] = '\0';
  return dest;
}

// Case-sensitive, but ordered as the system orders words: letters compare
// alphabetically first, and only strings that differ in case alone are
// ordered by it, lower case first ("a" < "A" < "b").
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
  if (!a || !b)
    return (a ? 1 : 0) - (b ? 1 : 0);
  auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  int caseOrder = 0;
  for (size_t i = 0;; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (fold(ca) != fold(cb))
      return fold(ca) < fold(cb) ? -1 : 1;
    if (ca == '\0')
      return caseOrder;
    if (caseOrder == 0 && ca != cb)
      caseOrder = ca > cb ? -1 : 1; // the lower-case letter has the larger code
  }
}

int WINAPI lstrlenA(LPCSTR s) {
  return s ? static_cast<int>(std::strlen(s)) : 0;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect)
    return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rect) {
  return SetRect(rect, 0, 0, 0, 0);
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
  return !rect || rect->left >= rect->right || rect->top >= rect->bottom;
}

BOOL WINAPI IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b)
    return FALSE;
  RECT r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
         a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(&r)) {
    SetRectEmpty(dest);
    return FALSE;
  }
  *dest = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b)
    return FALSE;
  if (IsRectEmpty(a)) {
    if (IsRectEmpty(b))
      return SetRectEmpty(dest), FALSE;
    *dest = *b;
    return TRUE;
  }
  if (IsRectEmpty(b)) {
    *dest = *a;
    return TRUE;
  }
  *dest = RECT{a->left < b->left ? a->left : b->left, a->top < b->top ? a->top : b->top,
               a->right > b->right ? a->right : b->right, a->bottom > b->bottom ? a->bottom : b->bottom};
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect)
    return FALSE;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT pt) {
  return rect && pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top && pt.y < rect->bottom;
}
