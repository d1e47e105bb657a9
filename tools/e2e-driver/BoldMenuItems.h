#pragma once
// Which items of an open popup menu are drawn in bold (the default item),
// told from the screen: menus of another process are out of reach under Wine.
#include <windows.h>

#include <vector>

#include "tools/e2e-driver/ScreenCapture.h"

// `popup` is the menu window's pixels, `menu` the same menu loaded here from
// the program's resources. Returns the commands of the items drawn bold.
std::vector<UINT> BoldMenuItems(const ScreenImage& popup, HMENU menu);
