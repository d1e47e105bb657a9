#pragma once
#include <cstdint>

// Orientation of a group: the direction in which it places its children.
constexpr int32_t HORIZONTAL = 0;
constexpr int32_t VERTICAL = 1;

// Sizing modes of a node. Neither FIXED nor RELATIVE in a direction means
// greedy: the node takes a share of what is left.
constexpr uint32_t FIXED_WIDTH = 0x001;
constexpr uint32_t RELATIVE_WIDTH = 0x002;
constexpr uint32_t FIXED_HEIGHT = 0x004;
constexpr uint32_t RELATIVE_HEIGHT = 0x008;
constexpr uint32_t ALIGN_LEFT = 0x010;
constexpr uint32_t ALIGN_RIGHT = 0x020;
constexpr uint32_t ALIGN_HCENTER = 0x030;
constexpr uint32_t ALIGN_TOP = 0x040;
constexpr uint32_t ALIGN_BOTTOM = 0x080;
constexpr uint32_t ALIGN_VCENTER = 0x0C0;
constexpr uint32_t FILL_WIDTH = 0x100;
constexpr uint32_t FILL_HEIGHT = 0x200;

// Smallest length the engine gives any child in a free direction.
constexpr int32_t LAYOUT_MIN_LENGTH = 5;

// Maximum value meaning "no maximum".
constexpr int32_t LAYOUT_UNBOUNDED = -1;
