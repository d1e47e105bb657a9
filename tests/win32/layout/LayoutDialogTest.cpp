#include <windows.h>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>
#include "layout/LayoutGroup.h"
#include "layout/ZymLayoutDialog_win32.h"
#include "tests/win32/support/DialogHarness.h"
#include "window/Application_win32.h"

namespace {

enum { IDD_LAYOUT = 100, IDC_FRAME = 200, IDC_LOG = 202, IDC_HIDDEN = 203, BAR = ZymLayoutDialog::STATUS_BAR_ID };

using Shown = RunInside<ZymLayoutDialog>;

// The test template laid out as the main dialog is: a framed group and a log
// on the left, fixed buttons on the right.
void BuildTree(Shown& d) {
    LayoutNodeRef left = d.NewGroup(VERTICAL, 0, 5, 0, 0), buttons = d.NewGroup(VERTICAL, FIXED_WIDTH, 5, 0, 0);
    left.As<LayoutGroup>()->AddGroup(d.NewFramedGroup(IDC_FRAME, VERTICAL, FIXED_HEIGHT, 5, 5, 10, 0)).AddItem(d.NewItem(IDC_LOG, 0, 0, 0, -1, -1));
    for (int id : {int(IDOK), 0, int(IDC_HIDDEN)}) buttons.As<LayoutGroup>()->AddItem(id ? d.NewItem(id, FIXED_WIDTH | FIXED_HEIGHT, 0, 0, -1, -1) : d.NewSpacer(true));
    d.CreateRoot(HORIZONTAL, 5, 0).As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
    d.UpdateLayout();
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }
std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The window's rectangle on screen, or a control's in the dialog's client area.
RECT RectOf(Shown& d, int id = 0) {
    RECT r = {};
    GetWindowRect(id ? d.Item(id) : d.Handle(), &r);
    MapWindowPoints(nullptr, id ? d.Handle() : nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}


}  // namespace

TEST(LayoutDialog, ResizingKeepsTheTreeArrangedAboveTheStatusBarAndWithinItsMinimum) {
    Application app(GetModuleHandleA(nullptr));
    Shown dialog([](Shown& d) {
        BuildTree(d);
        const RECT window = RectOf(d), log = RectOf(d, IDC_LOG), ok = RectOf(d, IDOK), bar = RectOf(d, BAR);
        MINMAXINFO info = {{0, 0}, {0, 0}, {0, 0}, {1, 2}, {4321, 4322}};
        SendMessageA(d.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        RECT client = {};
        GetClientRect(d.Handle(), &client);
        EXPECT_EQ((std::vector<LONG>{info.ptMinTrackSize.x, info.ptMinTrackSize.y, info.ptMaxTrackSize.x}),
                  (std::vector<LONG>{Width(window) - Width(client) + d.Root()->MinWidth() + 10,
                                     Height(window) - Height(client) + Height(bar) + d.Root()->MinHeight(), 4321})) << "the log grows without bound";

        SetWindowPos(d.Handle(), nullptr, 0, 0, Width(window) + 100, Height(window) + 80, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(d.Handle(), &client);
        const RECT grown = RectOf(d, IDC_LOG), moved = RectOf(d, IDOK), grip = RectOf(d, BAR), frame = RectOf(d, IDC_FRAME), hidden = RectOf(d, IDC_HIDDEN);
        EXPECT_EQ(Edges(grown), Edges({log.left, log.top, log.right + 100, log.bottom + 80}));
        EXPECT_EQ(Edges(moved), Edges({client.right - 5 - Width(ok), ok.top, client.right - 5, ok.bottom}));
        // The lowest control reaches 5 pixels into the status bar, which lies
        // beneath it and leaves it unpainted.
        EXPECT_EQ(Edges(grip), Edges({0, grown.bottom - 5, client.right, client.bottom}));
        EXPECT_EQ(GetWindow(d.StatusBar(), GW_HWNDNEXT), nullptr);
        EXPECT_TRUE(GetWindowLongA(d.StatusBar(), GWL_STYLE) & WS_CLIPSIBLINGS);

        // Erased: the background inside a group box and under hidden controls;
        // not: visible controls and the size grip.
        Region region = d.CreateEraseRegion();
        const auto erased = [&region](LONG x, LONG y) { return PtInRegion(region.Get(), x, y) != FALSE; };
        EXPECT_EQ((std::vector<bool>{erased(moved.right - 2, moved.top + 2), erased(frame.left + 2, frame.bottom - 3), erased(hidden.left + 2, hidden.top + 2),
                                     erased(grip.right - 2, grip.bottom - 2), erased(grip.left + 20, grip.bottom - 2)}), (std::vector<bool>{false, true, true, false, true}));
    }, IDD_LAYOUT, nullptr, nullptr, true);
    EXPECT_EQ(IDOK, dialog.DoModal());
    std::vector<unsigned char> stored;
    EXPECT_FALSE(app.Profile().GetBinary("", "WindowPlacement", stored)) << "without a section no placement is kept";
}

// A size kept in 96 DPI pixels comes back scaled at 144 DPI and is kept
// again as it was, not grown at every run.
TEST(LayoutDialog, PlacementKeptAt96DpiIsScaledAtAnother) {
    Application app(GetModuleHandleA(nullptr));
    const WINDOWPLACEMENT placement = {sizeof placement, 0, SW_SHOWNORMAL, {}, {}, {50, 50, 450, 350}};
    app.Profile().WriteBinary("Kept", "WindowPlacement", &placement, sizeof placement);
    Shown dialog([](Shown& d) {
        BuildTree(d);
        EXPECT_EQ((std::vector<LONG>{Width(RectOf(d)), Height(RectOf(d))}), (std::vector<LONG>{600, 450}));
    }, IDD_LAYOUT, nullptr, "Kept", true);
    dialog.SetDpi(144);
    EXPECT_EQ(IDOK, dialog.DoModal());
    std::vector<unsigned char> stored;
    ASSERT_TRUE(app.Profile().GetBinary("Kept", "WindowPlacement", stored));
    EXPECT_EQ(Edges(reinterpret_cast<const WINDOWPLACEMENT*>(stored.data())->rcNormalPosition), Edges(placement.rcNormalPosition));
}
