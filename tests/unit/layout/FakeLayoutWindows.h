#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "layout/LayoutWindows.h"

// Windows as plain records: a top-level window with a frame around its
// client area, and children placed in their parent's client coordinates.
class FakeLayoutWindows : public LayoutWindows {
public:
    struct Window {
        int id = 0;
        Window* parent = nullptr;
        std::string className;
        uint32_t style = 0;
        LayoutRect rect;   // as Move takes it
        LayoutRect frame;  // non-client widths at left, top, right, bottom
        std::vector<Window*> children;
        Window* buddy = nullptr;
        int moves = 0, redraws = 0, erasingRedraws = 0, invalidations = 0, buddySets = 0;
    };

    Window* AddDialog(const LayoutRect& screenRect, const LayoutRect& frame) {
        Window* w = Add(nullptr, 0, "#32770", screenRect, STYLE_VISIBLE);
        w->frame = frame;
        return w;
    }
    Window* Add(Window* parent, int id, const std::string& className, const LayoutRect& rect,
                uint32_t style = STYLE_CHILD | STYLE_VISIBLE) {
        windows_.push_back(std::make_unique<Window>());
        Window* w = windows_.back().get();
        w->id = id;
        w->parent = parent;
        w->className = className;
        w->style = style;
        w->rect = rect;
        if (parent) parent->children.push_back(w);
        return w;
    }

    // Called after every move, as WM_SIZE would follow one.
    std::function<void(Window*)> onMove;

    Handle FindChild(Handle parent, int id) override {
        for (Window* c : Get(parent)->children)
            if (c->id == id) return c;
        return nullptr;
    }
    LayoutRect WindowRect(Handle h) override {
        const Window* w = Get(h);
        if (!w->parent) return w->rect;
        const LayoutRect origin = WindowRect(w->parent);
        const int32_t dx = origin.left + w->parent->frame.left, dy = origin.top + w->parent->frame.top;
        return LayoutRect{w->rect.left + dx, w->rect.top + dy, w->rect.right + dx, w->rect.bottom + dy};
    }
    LayoutRect ClientRect(Handle h) override {
        const Window* w = Get(h);
        return LayoutRect{0, 0, w->rect.Width() - w->frame.left - w->frame.right,
                          w->rect.Height() - w->frame.top - w->frame.bottom};
    }
    std::string ClassName(Handle h) override { return Get(h)->className; }
    uint32_t Style(Handle h) override { return Get(h)->style; }
    bool IsDialog(Handle h) override { return Get(h)->className == "#32770"; }
    std::vector<Handle> Children(Handle h) override {
        return std::vector<Handle>(Get(h)->children.begin(), Get(h)->children.end());
    }
    void Move(Handle h, const LayoutRect& rect) override {
        Get(h)->rect = rect;
        ++Get(h)->moves;
        if (onMove) onMove(Get(h));
    }
    void Redraw(Handle h, bool erase) override {
        ++Get(h)->redraws;
        Get(h)->erasingRedraws += erase ? 1 : 0;
    }
    void Invalidate(Handle h) override { ++Get(h)->invalidations; }
    Handle UpDownBuddy(Handle h) override { return Get(h)->buddy; }
    void SetUpDownBuddy(Handle h, Handle buddy) override {
        Get(h)->buddy = Get(buddy);
        ++Get(h)->buddySets;
    }

private:
    static Window* Get(Handle h) { return static_cast<Window*>(h); }
    std::vector<std::unique_ptr<Window>> windows_;
};
