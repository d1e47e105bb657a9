// The driver's icon comparisons, on the program's real icons (linked into
// this test) and on pictures built here.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tools/e2e-driver/IconImage.h"
#include "tools/e2e-driver/ScreenCapture.h"

namespace {

std::string SelfPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

TEST(NetWmIcon, SplitsImagesAndClearsTransparentPixels)
{
    std::vector<IconImage> images =
        ParseNetWmIcon(" 2, 2, 4278190335, 16777215, 2164260864, 2130706432, 1, 1, 4294967295");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].size, 2);
    // Opaque blue stays; alpha below one half counts as transparent whatever its colour.
    EXPECT_EQ(images[0].argb, (std::vector<std::uint32_t>{0xFF0000FF, 0, 0xFF000000, 0}));
    EXPECT_EQ(images[1].argb, (std::vector<std::uint32_t>{0xFFFFFFFF}));
}

TEST(NetWmIcon, StopsAtATruncatedOrMalformedImage)
{
    EXPECT_EQ(ParseNetWmIcon("2, 2, 1, 2, 3").size(), 0u);
    EXPECT_EQ(ParseNetWmIcon("1, 1, 5, 2, 3, 1").size(), 1u) << "a non-square image ends the list";
    EXPECT_TRUE(ParseNetWmIcon("").empty());
}

TEST(IconResource, LoadsTheTwoStateIconsApart)
{
    IconImage idle = LoadIconResource(SelfPath(), 130, 16), synced = LoadIconResource(SelfPath(), 131, 16);
    ASSERT_FALSE(idle.Empty());
    ASSERT_FALSE(synced.Empty());
    EXPECT_FALSE(idle == synced);
    EXPECT_EQ(synced.argb[0], 0u) << "corner is transparent";
    EXPECT_EQ(synced.argb[8], 0xFF008000u) << "rim is green";
    EXPECT_TRUE(LoadIconResource(SelfPath(), 4242, 16).Empty());
    EXPECT_TRUE(LoadIconResource("Z:\\no\\such.exe", 131, 16).Empty());
}

TEST(IconResource, DrawnScaledKeepsOnlyBackgroundFreePixels)
{
    IconImage drawn = DrawIconResource(SelfPath(), 131, 32, 16);
    ASSERT_EQ(drawn.size, 16);
    EXPECT_EQ(drawn.argb[0], 0u);
    size_t opaque = std::count_if(drawn.argb.begin(), drawn.argb.end(), [](std::uint32_t p) { return p != 0; });
    EXPECT_GT(opaque, drawn.argb.size() / 2);
    EXPECT_LT(opaque, drawn.argb.size());
}

ScreenImage Screen(int width, int height, std::uint32_t fill)
{
    ScreenImage screen;
    screen.width = width;
    screen.height = height;
    screen.rgb.assign(static_cast<size_t>(width) * height, fill);
    return screen;
}

void Paste(ScreenImage& screen, const IconImage& icon, int left, int top)
{
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x) {
            std::uint32_t p = icon.argb[static_cast<size_t>(y) * icon.size + x];
            if (p)
                screen.rgb[static_cast<size_t>(top + y) * screen.width + left + x] = p & 0xFFFFFF;
        }
}

TEST(ScreenSearch, FindsTheIconShownAnywhereOnAnyBackground)
{
    IconImage idle = LoadIconResource(SelfPath(), 130, 16), synced = LoadIconResource(SelfPath(), 131, 16);
    ScreenImage screen = Screen(40, 30, 0x3A6EA5);
    EXPECT_FALSE(ShowsIcon(screen, synced));
    Paste(screen, synced, 24, 14); // touching the right and bottom edges
    EXPECT_TRUE(ShowsIcon(screen, synced));
    EXPECT_FALSE(ShowsIcon(screen, idle));
}

TEST(ScreenSearch, RefusesIconsTooTransparentToTell)
{
    IconImage clear;
    clear.size = 4;
    clear.argb.assign(16, 0);
    EXPECT_FALSE(ShowsIcon(Screen(8, 8, 0), clear));
    EXPECT_FALSE(ShowsIcon(Screen(8, 8, 0), IconImage()));
}

} // namespace
