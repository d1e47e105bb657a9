#pragma once
#include <cstdint>

// Pixel rectangle; right and bottom lie just outside, as in window rectangles.
struct LayoutRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

inline bool operator==(const LayoutRect& a, const LayoutRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const LayoutRect& a, const LayoutRect& b) { return !(a == b); }
