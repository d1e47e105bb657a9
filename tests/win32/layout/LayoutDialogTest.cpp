#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <tuple>
#include "layout/LayoutGroup.h"
#include "layout/ZymLayoutDialog_win32.h"
#include "tests/win32/support/DialogHarness.h"
#include "window/Application_win32.h"

namespace {

enum { IDD_LAYOUT = 100, IDC_FRAME = 200, IDC_NAME = 201, IDC_LOG = 202, IDC_HIDDEN = 203 };
const char SECTION[] = "LayoutTest";

// The test template laid out as the main dialog is: a framed row and a log
// on the left, fixed buttons on the right.
class TreeDialog : public ZymLayoutDialog {
public:
    explicit TreeDialog(const char* section) : ZymLayoutDialog(IDD_LAYOUT, nullptr, section, true) {}
    RECT At(int id) const {
        RECT r = {};
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = ZymLayoutDialog::OnInitDialog();
        const uint32_t fixed = FIXED_WIDTH | FIXED_HEIGHT;
        LayoutNodeRef frame = NewFramedGroup(IDC_FRAME, VERTICAL, FIXED_HEIGHT, 5, 5, 10, 0);
        frame.As<LayoutGroup>()->AddItem(NewItem(IDC_NAME, FIXED_HEIGHT, 0, 0, -1, -1));
        LayoutNodeRef left = NewGroup(VERTICAL, 0, 5, 0, 0), buttons = NewGroup(VERTICAL, FIXED_WIDTH, 5, 0, 0);
        left.As<LayoutGroup>()->AddGroup(frame).AddItem(NewItem(IDC_LOG, 0, 0, 0, -1, -1));
        buttons.As<LayoutGroup>()->AddItem(NewItem(IDOK, fixed, 0, 0, -1, -1)).AddItem(NewSpacer(true)).AddItem(NewItem(IDC_HIDDEN, fixed, 0, 0, -1, -1));
        CreateRoot(HORIZONTAL, 5, 0).As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
        UpdateLayout();
        return result;
    }
};

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }
RECT WindowRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}
std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

INT_PTR RunDialog(const char* section, std::function<void(RunInside<TreeDialog>&)> body) {
    return RunInside<TreeDialog>(std::move(body), section).DoModal();
}

class LayoutDialogTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
    void SetUp() override { WritePrivateProfileStringA(SECTION, nullptr, nullptr, app.Profile().FileName().c_str()); }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(LayoutDialogTest, ResizingKeepsTheTreeArrangedAboveTheStatusBarAndWithinItsMinimum) {
    EXPECT_EQ(IDOK, RunDialog(nullptr, [](RunInside<TreeDialog>& d) {
        const RECT window = WindowRectOf(d.Handle()), log = d.At(IDC_LOG), ok = d.At(IDOK), bar = d.At(ZymLayoutDialog::STATUS_BAR_ID);
        MINMAXINFO info = {{0, 0}, {0, 0}, {0, 0}, {1, 2}, {4321, 4322}};
        SendMessageA(d.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        RECT client = {};
        GetClientRect(d.Handle(), &client);
        EXPECT_EQ(info.ptMinTrackSize.x, Width(window) - Width(client) + d.Root()->MinWidth() + 10);
        EXPECT_EQ(info.ptMinTrackSize.y, Height(window) - Height(client) + Height(bar) + d.Root()->MinHeight());
        EXPECT_EQ(info.ptMaxTrackSize.x, 4321) << "the log grows without bound";

        SetWindowPos(d.Handle(), nullptr, 0, 0, Width(window) + 100, Height(window) + 80, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(d.Handle(), &client);
        const RECT grown = d.At(IDC_LOG);
        EXPECT_EQ(Edges(grown), Edges({log.left, log.top, log.right + 100, log.bottom + 80}));
        EXPECT_EQ(Edges(d.At(IDOK)), Edges({client.right - 5 - Width(ok), ok.top, client.right - 5, ok.bottom}));
        EXPECT_EQ(Edges(d.At(ZymLayoutDialog::STATUS_BAR_ID)), Edges({0, client.bottom - Height(bar), client.right, client.bottom}));
        // The lowest control reaches 5 pixels into the status bar, which lies
        // beneath it and leaves it unpainted.
        EXPECT_EQ(grown.bottom, client.bottom - Height(bar) + 5);
        EXPECT_EQ(GetWindow(d.StatusBar(), GW_HWNDNEXT), nullptr);
        EXPECT_TRUE(GetWindowLongA(d.StatusBar(), GWL_STYLE) & WS_CLIPSIBLINGS);

        // Erased: the dialog background inside a group box and under hidden
        // controls; not: visible controls and the size grip.
        Region region = d.CreateEraseRegion();
        const RECT frame = d.At(IDC_FRAME), hidden = d.At(IDC_HIDDEN), grip = d.At(ZymLayoutDialog::STATUS_BAR_ID);
        EXPECT_EQ((std::vector<BOOL>{PtInRegion(region.Get(), d.At(IDOK).right - 2, d.At(IDOK).top + 2), PtInRegion(region.Get(), frame.left + 2, frame.bottom - 3),
                                     PtInRegion(region.Get(), hidden.left + 2, hidden.top + 2), PtInRegion(region.Get(), grip.right - 2, grip.bottom - 2),
                                     PtInRegion(region.Get(), grip.left + 20, grip.bottom - 2)}),
                  (std::vector<BOOL>{FALSE, TRUE, TRUE, FALSE, TRUE}));
        SendMessageA(d.Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_EQ(Edges(d.At(IDC_LOG)), Edges(grown)) << "minimised: nothing moves";
    }));
}

TEST_F(LayoutDialogTest, PlacementIsKeptUnderTheSectionOnlyAndNeverReopensMinimised) {
    RECT normal = {};
    const auto minimise = [&](RunInside<TreeDialog>& d) {
        SetWindowPos(d.Handle(), nullptr, 60, 70, 500, 400, SWP_NOZORDER);
        normal = WindowRectOf(d.Handle());
        ShowWindow(d.Handle(), SW_MINIMIZE);
    };
    const auto reopen = [&](bool zoomed, int show) {
        return [&normal, zoomed, show](RunInside<TreeDialog>& d) {
            EXPECT_EQ((std::pair<bool, bool>(IsIconic(d.Handle()), IsZoomed(d.Handle()))), (std::pair<bool, bool>(false, zoomed)));
            if (!zoomed) {
                EXPECT_EQ(Edges(WindowRectOf(d.Handle())), Edges(normal));
            }
            ShowWindow(d.Handle(), show);
        };
    };
    RunDialog(SECTION, minimise);
    RunDialog(SECTION, reopen(false, SW_MAXIMIZE));
    RunDialog(SECTION, reopen(true, SW_SHOWNORMAL));
    std::vector<unsigned char> stored;
    ASSERT_TRUE(app.Profile().GetBinary(SECTION, "WindowPlacement", stored));
    stored.push_back(0);  // only a stored placement of exactly its size is applied
    ASSERT_TRUE(app.Profile().WriteBinary(SECTION, "WindowPlacement", stored.data(), stored.size()));
    RECT templateRect = {};
    RunDialog(nullptr, [&](RunInside<TreeDialog>& d) { templateRect = WindowRectOf(d.Handle()); });
    normal = templateRect;
    RunDialog(SECTION, reopen(false, SW_MAXIMIZE));
    RunDialog(nullptr, reopen(false, SW_MAXIMIZE));
    RunDialog("", minimise);
    EXPECT_EQ(app.Profile().GetBinary("", "WindowPlacement", stored), false) << "without a section nothing is kept";
}
