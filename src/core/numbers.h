// Number helpers: conversions of doubles to record integers, scroll
// positions kept in range, quotients that tolerate a zero size.
#ifndef TAV_CORE_NUMBERS_H
#define TAV_CORE_NUMBERS_H

#include <windows.h>

// Conversions of the view's doubles to record integers. A double that is not
// a number gives 0 and one beyond the 32-bit range gives the nearest end of
// it, so that no conversion is ever undefined.
LONG TruncToLong(double value); // toward zero
inline LONG NearToLong(double value) {
  return TruncToLong(value + 0.5);
} // trunc(value + 0.5)
LONG ClampToLong(long long value);
// A scroll position kept within 0 to range (0 when the range is negative).
inline LONG ClampScroll(long long position, LONG range) {
  return static_cast<LONG>(position < 0 ? 0 : position > range ? (range < 0 ? 0 : range) : position);
}
// a ÷ b, or 0.0 when b is 0 (a picture without a size has no ratio).
inline double Quotient(double a, double b) {
  return b != 0.0 ? a / b : 0.0;
}

#endif
