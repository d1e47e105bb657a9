#pragma once
#include "layout/LayoutWindows.h"

// The layout seam over user32. Stateless: one instance serves every window.
LayoutWindows& Win32LayoutWindows();
