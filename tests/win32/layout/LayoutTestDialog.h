#pragma once
#include <functional>
#include "LayoutTestResources.h"
#include "layout/LayoutGroup.h"
#include "layout/ZymLayoutDialog_win32.h"

// A layout dialog over the test template. It builds its tree after the base
// initialisation and runs the test's step from a posted message, once the
// modal loop runs; a guard timer ends it should a step never end it.
class LayoutTestDialog : public ZymLayoutDialog {
public:
    static const INT_PTR kHung = -99;

    LayoutTestDialog(const char* section, bool statusBar, bool bounded = false)
        : ZymLayoutDialog(IDD_LAYOUT, nullptr, section, statusBar), bounded_(bounded) {}

    std::function<void(LayoutTestDialog&)> onStep;

    RECT ControlRect(int id) const {
        RECT r = {};
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = ZymLayoutDialog::OnInitDialog();
        SetTimer(Handle(), kGuardTimer, 20000, nullptr);
        if (bounded_) BuildBoundedTree();
        else BuildTree();
        UpdateLayout();
        PostMessageA(Handle(), kStep, 0, 0);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_TIMER && wp == kGuardTimer) {
            EndDialog(kHung);
            return 0;
        }
        if (msg == kStep) {
            if (onStep) onStep(*this);
            else EndDialog(IDOK);
            return 0;
        }
        return ZymLayoutDialog::WindowProc(msg, wp, lp);
    }

private:
    static const UINT kStep = WM_APP + 9;
    static const UINT_PTR kGuardTimer = 0x4C41;

    LayoutNodeRef Node(int id, uint32_t modes = 0) { return NewItem(id, modes, 0, 0, -1, -1); }

    void BuildTree() {
        const uint32_t fixed = FIXED_WIDTH | FIXED_HEIGHT;
        LayoutNodeRef frame = NewFramedGroup(IDC_FRAME, VERTICAL, FIXED_HEIGHT, 5, 5, 10, 0);
        frame.As<LayoutGroup>()->AddItem(Node(IDC_NAME, FIXED_HEIGHT));
        LayoutNodeRef left = NewGroup(VERTICAL, 0, 5, 0, 0);
        left.As<LayoutGroup>()->AddGroup(frame).AddItem(Node(IDC_LOG));
        LayoutNodeRef buttons = NewGroup(VERTICAL, FIXED_WIDTH, 5, 0, 0);
        buttons.As<LayoutGroup>()
            ->AddItem(Node(IDOK, fixed))
            .AddItem(Node(IDCANCEL, fixed))
            .AddItem(NewSpacer(true))
            .AddItem(Node(IDC_HIDDEN, fixed));
        CreateRoot(HORIZONTAL, 5, 0).As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
    }

    // Nothing in it grows: the tree has a maximum in both directions.
    void BuildBoundedTree() {
        const uint32_t fixed = FIXED_WIDTH | FIXED_HEIGHT;
        LayoutNodeRef buttons = NewGroup(VERTICAL, 0, 5, 0, 0);
        buttons.As<LayoutGroup>()->AddItem(Node(IDOK, fixed)).AddItem(Node(IDCANCEL, fixed));
        CreateRoot(HORIZONTAL, 5, 0).As<LayoutGroup>()->AddGroup(buttons).AddItem(Node(IDC_NAME, fixed));
    }

    bool bounded_;
};
