#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <stdint.h>

LONG TruncToLong(double value) {
  if (std::isnan(value))
    return 0;
  if (value >= 2147483647.0)
    return INT32_MAX;
  if (value <= -2147483648.0)
    return INT32_MIN;
  return static_cast<LONG>(value);
}

LONG ClampToLong(long long value) {
  return static_cast<LONG>(std::min<long long>(std::max<long long>(value, INT32_MIN), INT32_MAX));
}
