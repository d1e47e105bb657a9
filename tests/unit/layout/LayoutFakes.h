#pragma once
#include <memory>
#include <string>
#include <vector>
#include "layout/LayoutManager.h"

// Windows as plain records: a top-level window with a frame around its
// client area, and children placed in their parent's client coordinates.
class FakeLayoutWindows : public LayoutWindows {
public:
    struct Window {
        int id;
        Window* parent;
        std::string className;
        uint32_t style;
        LayoutRect rect, frame;  // as Move takes it; non-client widths at left, top, right, bottom
        std::vector<Window*> children;
        Window* buddy;
        int moves, redraws, erasingRedraws, invalidations, buddySets;
    };
    static constexpr uint32_t SHOWN = STYLE_CHILD | STYLE_VISIBLE;

    Window* Add(Window* parent, int id, const std::string& className, LayoutRect rect, uint32_t style = SHOWN,
                LayoutRect frame = {}) {
        windows_.push_back(std::make_unique<Window>(Window{id, parent, className, style, rect, frame, {}, nullptr, 0, 0, 0, 0, 0}));
        if (parent) parent->children.push_back(windows_.back().get());
        return windows_.back().get();
    }
    Window* AddDialog(LayoutRect rect, LayoutRect frame) { return Add(nullptr, 0, "#32770", rect, STYLE_VISIBLE, frame); }

    Handle FindChild(Handle parent, int id) override {
        for (Window* c : Get(parent)->children)
            if (c->id == id) return c;
        return nullptr;
    }
    LayoutRect WindowRect(Handle h) override {
        const Window* w = Get(h);
        if (!w->parent) return w->rect;
        const LayoutRect o = WindowRect(w->parent);
        const int32_t dx = o.left + w->parent->frame.left, dy = o.top + w->parent->frame.top;
        return LayoutRect{w->rect.left + dx, w->rect.top + dy, w->rect.right + dx, w->rect.bottom + dy};
    }
    LayoutRect ClientRect(Handle h) override {
        const Window* w = Get(h);
        return {0, 0, w->rect.Width() - w->frame.left - w->frame.right, w->rect.Height() - w->frame.top - w->frame.bottom};
    }
    std::string ClassName(Handle h) override { return Get(h)->className; }
    uint32_t Style(Handle h) override { return Get(h)->style; }
    bool IsDialog(Handle h) override { return Get(h)->className == "#32770"; }
    std::vector<Handle> Children(Handle h) override { return {Get(h)->children.begin(), Get(h)->children.end()}; }
    void Move(Handle h, const LayoutRect& rect) override { Get(h)->rect = rect, ++Get(h)->moves; }
    void Redraw(Handle h, bool erase) override { ++(erase ? Get(h)->erasingRedraws : Get(h)->redraws); }
    void Invalidate(Handle h) override { ++Get(h)->invalidations; }
    Handle UpDownBuddy(Handle h) override { return Get(h)->buddy; }
    void SetUpDownBuddy(Handle h, Handle buddy) override { Get(h)->buddy = Get(buddy), ++Get(h)->buddySets; }

private:
    static Window* Get(Handle h) { return static_cast<Window*>(h); }
    std::vector<std::unique_ptr<Window>> windows_;
};

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
    bool ResizeTo(LayoutRect rect) override { return cells.push_back(rect), true; }
    LayoutRect Cell() const { return cells.empty() ? LayoutRect{-1, -1, -1, -1} : cells.back(); }

    int32_t length, min, max;
    std::vector<LayoutRect> cells;

private:
    int32_t Preferred(uint32_t fixedBit, uint32_t relativeBit, int32_t base) const {
        return (modes & fixedBit) ? length : (modes & relativeBit) ? base * length / 100 : -1;
    }
    int* destroyed_;
};

// Appends a probe to `group`, which owns it.
inline LayoutProbe* AddProbe(LayoutGroup& group, uint32_t modes, int32_t length, int32_t min,
                             int32_t max = LAYOUT_UNBOUNDED, int* destroyed = nullptr) {
    static int uncounted = 0;
    auto probe = std::make_unique<LayoutProbe>(modes, length, min, max, destroyed ? destroyed : &uncounted);
    LayoutProbe* raw = probe.get();
    group.AddItem(LayoutNodeRef(std::move(probe)));
    return raw;
}
