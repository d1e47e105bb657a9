#pragma once
#include <memory>
#include <vector>
#include "layout/LayoutModes.h"
#include "layout/LayoutNode.h"
#include "layout/LayoutNodeRef.h"

// A node with given lengths, the same in both directions, that records the
// cells it is laid out into and counts its destruction.
class LayoutProbe : public LayoutNode {
public:
    LayoutProbe(uint32_t modes, int32_t length, int32_t min, int32_t max, int* destroyed)
        : LayoutNode(nullptr, modes), length(length), min(min), max(max), destroyed_(destroyed) {}
    ~LayoutProbe() override { ++*destroyed_; }

    int32_t PreferredWidth(int32_t base) const override { return Preferred(FIXED_WIDTH, RELATIVE_WIDTH, base); }
    int32_t PreferredHeight(int32_t base) const override { return Preferred(FIXED_HEIGHT, RELATIVE_HEIGHT, base); }
    int32_t MinWidth() const override { return min; }
    int32_t MaxWidth() const override { return max; }
    int32_t MinHeight() const override { return min; }
    int32_t MaxHeight() const override { return max; }
    bool ResizeTo(LayoutRect rect) override { cells.push_back(rect); return true; }
    LayoutRect Cell() const { return cells.empty() ? LayoutRect{-1, -1, -1, -1} : cells.back(); }

    int32_t length, min, max;
    std::vector<LayoutRect> cells;

private:
    int32_t Preferred(uint32_t fixedBit, uint32_t relativeBit, int32_t base) const {
        return (modes & fixedBit) ? length : (modes & relativeBit) ? base * length / 100 : -1;
    }
    int* destroyed_;
};

// A probe owned by a reference, and the probe itself.
struct ProbeRef {
    LayoutNodeRef ref;
    LayoutProbe* probe;
};

inline ProbeRef MakeProbe(uint32_t modes, int32_t length, int32_t min, int32_t max = LAYOUT_UNBOUNDED,
                          int* destroyed = nullptr) {
    static int uncounted = 0;
    auto node = std::make_unique<LayoutProbe>(modes, length, min, max, destroyed ? destroyed : &uncounted);
    LayoutProbe* raw = node.get();
    return ProbeRef{LayoutNodeRef(std::move(node)), raw};
}
