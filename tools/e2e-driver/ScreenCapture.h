#pragma once
// Pixels of a screen area, and where an icon appears among them. Reading the
// screen works across processes, also under Wine, where icon handles do not.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "tools/e2e-driver/IconImage.h"

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb; // 0x00RRGGBB, rows top-down
};

ScreenImage CaptureScreen(const RECT& area);

// True when every opaque pixel of `icon` matches the screen at some place.
bool ShowsIcon(const ScreenImage& screen, const IconImage& icon);
