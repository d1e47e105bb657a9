#pragma once
// An icon as ARGB pixels, so that icons from different sources (a window of
// another process, the program's resources, the X server's copy) can be
// compared pixel by pixel. Transparent pixels are 0.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct IconImage {
    int size = 0;
    std::vector<std::uint32_t> argb;

    bool Empty() const { return argb.empty(); }
    bool operator==(const IconImage& other) const { return size == other.size && argb == other.argb; }
};

// Reads the icon's colour and mask bitmaps; empty when the handle is unusable
// here (Wine keeps icons of another process out of reach).
IconImage ReadIcon(HICON icon, int size);

// Icon resource `id` of the executable at `path`, at `size` pixels.
IconImage LoadIconResource(const std::string& path, int id, int size);

// Icon resource `id` loaded at `loadSize` and drawn at `drawSize` pixels as
// DrawIconEx draws it (a shell may scale a large icon down). Pixels that
// depend on the background (transparent or blended) are 0.
IconImage DrawIconResource(const std::string& path, int id, int loadSize, int drawSize);

// Images from the numbers of an X property _NET_WM_ICON ("w, h, pixels..."
// repeated), with the colour of transparent pixels cleared.
std::vector<IconImage> ParseNetWmIcon(const std::string& numbers);
