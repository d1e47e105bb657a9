// The driver's icon search, on the program's real icons (linked into this test).
#include <windows.h>

#include <gtest/gtest.h>

#include "tools/e2e-driver/IconImage.h"
#include "tools/e2e-driver/ScreenCapture.h"

namespace {

TEST(ScreenSearch, FindsTheIconShownOnAnyBackgroundAndNotTheOtherOne)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    IconImage idle = LoadIconResource(path, 130, 16), synced = LoadIconResource(path, 131, 16);
    ASSERT_EQ(synced.size, 16);
    ScreenImage screen;
    screen.width = 40;
    screen.height = 30;
    screen.rgb.assign(40 * 30, 0x3A6EA5);
    EXPECT_FALSE(ShowsIcon(screen, synced));
    for (int y = 0; y < 16; ++y) // pasted touching the right and bottom edges
        for (int x = 0; x < 16; ++x)
            if (std::uint32_t p = synced.argb[static_cast<size_t>(y) * 16 + x])
                screen.rgb[static_cast<size_t>(14 + y) * 40 + 24 + x] = p & 0xFFFFFF;
    EXPECT_TRUE(ShowsIcon(screen, synced));
    EXPECT_FALSE(ShowsIcon(screen, idle));
}

} // namespace
