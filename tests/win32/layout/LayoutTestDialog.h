#pragma once
#include <functional>
#include "tests/win32/support/DialogHarness.h"
#include "LayoutTestResources.h"
#include "layout/LayoutGroup.h"
#include "layout/ZymLayoutDialog_win32.h"

// A layout dialog over the test template that builds its tree after the
// base initialisation; tests run it through RunInside.
class TreeDialog : public ZymLayoutDialog {
public:
    TreeDialog(const char* section, bool statusBar, bool bounded)
        : ZymLayoutDialog(IDD_LAYOUT, nullptr, section, statusBar), bounded_(bounded) {}

    RECT ControlRect(int id) const {
        RECT r = {};
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = ZymLayoutDialog::OnInitDialog();
        if (bounded_) BuildBoundedTree();
        else BuildTree();
        UpdateLayout();
        return result;
    }

private:
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

using LayoutTestDialog = RunInside<TreeDialog>;
