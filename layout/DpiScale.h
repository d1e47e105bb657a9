#pragma once
#include <cstdint>

// The dialogs' pixel lengths are drawn for a 96 DPI screen.
constexpr int32_t BASE_DPI = 96;

// `value` * `to` / `from`, rounded half away from zero as MulDiv rounds;
// `value` itself when `from` is not positive.
int32_t ScaleBetweenDpi(int32_t value, int32_t from, int32_t to);

// A length given for 96 DPI, on a screen of `dpi`.
inline int32_t ScaleToDpi(int32_t value, int32_t dpi) { return ScaleBetweenDpi(value, BASE_DPI, dpi); }
