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
        uint32_t style = STYLE_CHILD | STYLE_VISIBLE;
        bool dialog = false;
        LayoutRect rect;   // as Move takes it
        LayoutRect frame;  // non-client widths at left, top, right, bottom
        Window* buddy = nullptr;
        std::vector<Window*> children;
        int moves = 0;
        int redraws = 0;
        int erasingRedraws = 0;
        int invalidations = 0;
    };

    Window* AddDialog(const LayoutRect& screenRect, const LayoutRect& frame) {
        Window* w = Add(nullptr, 0, "#32770", screenRect);
        w->style = STYLE_VISIBLE;
        w->dialog = true;
        w->frame = frame;
        return w;
    }

    Window* AddChild(Window* parent, int id, const std::string& className, const LayoutRect& rect,
                     uint32_t extraStyle = 0) {
        Window* w = Add(parent, id, className, rect);
        w->style |= extraStyle;
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
        LayoutRect r = w->rect;
        if (w->parent) {
            const LayoutRect origin = WindowRect(w->parent);
            const int32_t dx = origin.left + w->parent->frame.left;
            const int32_t dy = origin.top + w->parent->frame.top;
            r.left += dx;
            r.right += dx;
            r.top += dy;
            r.bottom += dy;
        }
        return r;
    }
    LayoutRect ClientRect(Handle h) override {
        const Window* w = Get(h);
        return LayoutRect{0, 0, w->rect.Width() - w->frame.left - w->frame.right,
                          w->rect.Height() - w->frame.top - w->frame.bottom};
    }
    std::string ClassName(Handle h) override { return Get(h)->className; }
    uint32_t Style(Handle h) override { return Get(h)->style; }
    bool IsDialog(Handle h) override { return Get(h)->dialog; }
    std::vector<Handle> Children(Handle h) override {
        return std::vector<Handle>(Get(h)->children.begin(), Get(h)->children.end());
    }
    void Move(Handle h, const LayoutRect& rect) override {
        Window* w = Get(h);
        w->rect = rect;
        ++w->moves;
        if (onMove) onMove(w);
    }
    void Redraw(Handle h, bool erase) override {
        ++Get(h)->redraws;
        if (erase) ++Get(h)->erasingRedraws;
    }
    void Invalidate(Handle h) override { ++Get(h)->invalidations; }
    Handle UpDownBuddy(Handle h) override { return Get(h)->buddy; }
    void SetUpDownBuddy(Handle h, Handle buddy) override { Get(h)->buddy = Get(buddy); }

private:
    static Window* Get(Handle h) { return static_cast<Window*>(h); }

    Window* Add(Window* parent, int id, const std::string& className, const LayoutRect& rect) {
        windows_.push_back(std::make_unique<Window>());
        Window* w = windows_.back().get();
        w->id = id;
        w->parent = parent;
        w->className = className;
        w->rect = rect;
        if (parent) parent->children.push_back(w);
        return w;
    }

    std::vector<std::unique_ptr<Window>> windows_;
};
