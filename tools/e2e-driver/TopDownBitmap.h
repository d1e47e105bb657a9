#pragma once
#include <windows.h>

// Header of a 32-bit DIB whose rows run top-down, as screen and icon pixels
// are compared here.
inline BITMAPINFO TopDownBitmap(int width, int height)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    return bmi;
}
