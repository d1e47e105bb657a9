#include "layout/DpiScale.h"

int32_t ScaleBetweenDpi(int32_t value, int32_t from, int32_t to) {
    if (from <= 0) return value;
    const int64_t wide = value;
    const int64_t twice = 2 * (wide < 0 ? -wide : wide) * to;
    const int64_t magnitude = (twice + from) / (2 * static_cast<int64_t>(from));
    return static_cast<int32_t>(value < 0 ? -magnitude : magnitude);
}
