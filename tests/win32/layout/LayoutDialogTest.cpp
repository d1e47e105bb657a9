#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>
#include "LayoutTestDialog.h"
#include "window/Application_win32.h"

namespace {

const char SECTION[] = "LayoutTest";

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

RECT WindowRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientRectOf(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

// Rectangles as comparable, printable tuples.
std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Values the system would have put in, to tell them from the dialog's.
MINMAXINFO AskMinMax(HWND window) {
    MINMAXINFO info = {};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {4321, 4322};
    info.ptMaxSize = {4323, 4324};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

class LayoutDialogTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};

    void SetUp() override { ClearSection(); }
    void TearDown() override { ClearSection(); }

    void ClearSection() {
        WritePrivateProfileStringA(SECTION, nullptr, nullptr, app.Profile().FileName().c_str());
    }

    // Every section and entry of the profile file, as text.
    std::string ProfileSnapshot() {
        const std::string& file = app.Profile().FileName();
        std::vector<char> names(1 << 16);
        const DWORD length = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), file.c_str());
        std::string snapshot;
        for (const char* name = names.data(); name < names.data() + length && *name; name += strlen(name) + 1) {
            std::vector<char> entries(1 << 16);
            const DWORD size = GetPrivateProfileSectionA(name, entries.data(), static_cast<DWORD>(entries.size()), file.c_str());
            snapshot += std::string("[") + name + "]" + std::string(entries.data(), size);
        }
        return snapshot;
    }

    static WINDOWPLACEMENT MaximisedPlacement() {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        placement.showCmd = SW_SHOWMAXIMIZED;
        placement.ptMinPosition = {-1, -1};
        placement.ptMaxPosition = {-1, -1};
        placement.rcNormalPosition = {30, 40, 530, 440};
        return placement;
    }

    // Runs a dialog; `step` sees it shown inside its modal loop.
    static INT_PTR Run(const char* section, bool statusBar, std::function<void(LayoutTestDialog&)> step,
                       bool bounded = false) {
        LayoutTestDialog dialog(std::move(step), section, statusBar, bounded);
        return dialog.DoModal();
    }
};

}  // namespace

TEST_F(LayoutDialogTest, MinimumTrackSizeIsTheFramePlusTheTreesMinimumWithTheStatusBar) {
    EXPECT_EQ(IDOK, Run(nullptr, true, [](LayoutTestDialog& d) {
        const RECT window = WindowRectOf(d.Handle());
        const RECT client = ClientRectOf(d.Handle());
        const RECT bar = WindowRectOf(d.StatusBar());
        const MINMAXINFO info = AskMinMax(d.Handle());
        const LayoutNode& root = *d.Root().Get();
        EXPECT_EQ(info.ptMinTrackSize.x, Width(window) - Width(client) + root.MinWidth() + 10);
        EXPECT_EQ(info.ptMinTrackSize.y, Height(window) - Height(client) + Height(bar) + root.MinHeight());
        // The log grows without bound: the system's maximums stay.
        EXPECT_EQ(info.ptMaxTrackSize.x, 4321);
        EXPECT_EQ(info.ptMaxTrackSize.y, 4322);
        EXPECT_EQ(info.ptMaxSize.x, 4323);
        EXPECT_EQ(info.ptMaxSize.y, 4324);
    }));
}

TEST_F(LayoutDialogTest, BoundedTreeSetsTheMaximumTrackAndMaximisedSizes) {
    EXPECT_EQ(IDOK, Run(nullptr, false, [](LayoutTestDialog& d) {
        const RECT window = WindowRectOf(d.Handle());
        const RECT client = ClientRectOf(d.Handle());
        const MINMAXINFO info = AskMinMax(d.Handle());
        const LayoutNode& root = *d.Root().Get();
        const LONG maxWidth = Width(window) - Width(client) + root.MaxWidth() + 10;
        const LONG maxHeight = Height(window) - Height(client) + root.MaxHeight() + 10;
        EXPECT_EQ(info.ptMaxTrackSize.x, maxWidth);
        EXPECT_EQ(info.ptMaxSize.x, maxWidth);
        EXPECT_EQ(info.ptMaxTrackSize.y, maxHeight);
        EXPECT_EQ(info.ptMaxSize.y, maxHeight);
        // Nothing can grow, so the window was brought to that size at once.
        EXPECT_EQ(Width(window), maxWidth);
        EXPECT_EQ(Height(window), maxHeight);
        EXPECT_EQ(d.StatusBar(), nullptr);
        EXPECT_EQ(GetDlgItem(d.Handle(), ZymLayoutDialog::STATUS_BAR_ID), nullptr);
    }, true));
}

TEST_F(LayoutDialogTest, ResizingMovesTheControlsAndKeepsTheStatusBarAtTheBottom) {
    LayoutTestDialog dialog([](LayoutTestDialog& d) {
        EXPECT_TRUE(GetWindowLongA(d.Handle(), GWL_STYLE) & WS_THICKFRAME);
        EXPECT_TRUE(GetWindowLongA(d.StatusBar(), GWL_STYLE) & SBARS_SIZEGRIP);

        const RECT window = WindowRectOf(d.Handle());
        const RECT log = d.ControlRect(IDC_LOG);
        const RECT ok = d.ControlRect(IDOK);
        const RECT name = d.ControlRect(IDC_NAME);
        SetWindowPos(d.Handle(), nullptr, 0, 0, Width(window) + 100, Height(window) + 80,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

        const RECT client = ClientRectOf(d.Handle());
        EXPECT_EQ(Width(d.ControlRect(IDC_LOG)), Width(log) + 100);
        EXPECT_EQ(Height(d.ControlRect(IDC_LOG)), Height(log) + 80);
        EXPECT_EQ(Width(d.ControlRect(IDC_NAME)), Width(name) + 100);
        EXPECT_EQ(Height(d.ControlRect(IDC_NAME)), Height(name));
        const RECT movedOk = d.ControlRect(IDOK);
        EXPECT_EQ(Width(movedOk), Width(ok));
        EXPECT_EQ(Height(movedOk), Height(ok));
        EXPECT_EQ(movedOk.right, client.right - 5);
        EXPECT_EQ(movedOk.top, ok.top);

        const RECT bar = d.ControlRect(ZymLayoutDialog::STATUS_BAR_ID);
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.right, client.right);
        // The lowest control reaches 5 pixels into the status bar, which
        // lies beneath it.
        EXPECT_EQ(d.ControlRect(IDC_LOG).bottom, bar.top + 5);
        EXPECT_EQ(GetWindow(d.StatusBar(), GW_HWNDNEXT), nullptr);
        EXPECT_TRUE(GetWindowLongA(d.StatusBar(), GWL_STYLE) & WS_CLIPSIBLINGS);
    }, nullptr, true, false);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_FALSE(dialog.Root()) << "the tree goes with the window";
}

TEST_F(LayoutDialogTest, MinimisingLeavesTheControlsWhereTheyAre) {
    EXPECT_EQ(IDOK, Run(nullptr, true, [](LayoutTestDialog& d) {
        const RECT log = d.ControlRect(IDC_LOG);
        const RECT ok = d.ControlRect(IDOK);
        SendMessageA(d.Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_EQ(Edges(d.ControlRect(IDC_LOG)), Edges(log));
        ShowWindow(d.Handle(), SW_MINIMIZE);
        EXPECT_TRUE(IsIconic(d.Handle()));
        EXPECT_EQ(Edges(d.ControlRect(IDC_LOG)), Edges(log));
        EXPECT_EQ(Edges(d.ControlRect(IDOK)), Edges(ok));
        ShowWindow(d.Handle(), SW_RESTORE);
        EXPECT_EQ(Edges(d.ControlRect(IDC_LOG)), Edges(log));
    }));
}

TEST_F(LayoutDialogTest, EraseRegionKeepsVisibleControlsAndTheGripButNotGroupBoxes) {
    EXPECT_EQ(IDOK, Run(nullptr, true, [](LayoutTestDialog& d) {
        Region region = d.CreateEraseRegion();
        ASSERT_TRUE(region);
        const RECT ok = d.ControlRect(IDOK);
        const RECT frame = d.ControlRect(IDC_FRAME);
        const RECT name = d.ControlRect(IDC_NAME);
        const RECT hidden = d.ControlRect(IDC_HIDDEN);
        const RECT bar = d.ControlRect(ZymLayoutDialog::STATUS_BAR_ID);
        EXPECT_FALSE(PtInRegion(region.Get(), (ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2));
        EXPECT_FALSE(PtInRegion(region.Get(), name.left + 2, name.top + 2));
        EXPECT_TRUE(PtInRegion(region.Get(), frame.left + 2, frame.bottom - 3));
        EXPECT_TRUE(PtInRegion(region.Get(), (hidden.left + hidden.right) / 2, (hidden.top + hidden.bottom) / 2));
        EXPECT_FALSE(PtInRegion(region.Get(), bar.right - 2, bar.bottom - 2));
        EXPECT_TRUE(PtInRegion(region.Get(), bar.left + 20, bar.bottom - 2));
        EXPECT_TRUE(PtInRegion(region.Get(), bar.right - Height(bar) + 2, bar.top + 2));
    }));
}

TEST_F(LayoutDialogTest, ClosedMinimisedReopensNormalAndClosedMaximisedReopensMaximised) {
    RECT normal = {};
    EXPECT_EQ(IDOK, Run(SECTION, true, [&](LayoutTestDialog& d) {
        const RECT window = WindowRectOf(d.Handle());
        SetWindowPos(d.Handle(), nullptr, 60, 70, Width(window) + 40, Height(window) + 30,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        normal = WindowRectOf(d.Handle());
        ShowWindow(d.Handle(), SW_MINIMIZE);
        EXPECT_TRUE(IsIconic(d.Handle()));
    }));
    std::vector<unsigned char> stored;
    ASSERT_TRUE(app.Profile().GetBinary(SECTION, "WindowPlacement", stored));
    EXPECT_EQ(stored.size(), 44u);
    EXPECT_EQ(IDOK, Run(SECTION, true, [&](LayoutTestDialog& d) {
        EXPECT_FALSE(IsIconic(d.Handle()));
        EXPECT_FALSE(IsZoomed(d.Handle()));
        EXPECT_EQ(Edges(WindowRectOf(d.Handle())), Edges(normal));
        ShowWindow(d.Handle(), SW_MAXIMIZE);
        EXPECT_TRUE(IsZoomed(d.Handle()));
    }));
    EXPECT_EQ(IDOK, Run(SECTION, true, [&](LayoutTestDialog& d) {
        EXPECT_TRUE(IsZoomed(d.Handle()));
        ShowWindow(d.Handle(), SW_RESTORE);
        EXPECT_EQ(Edges(WindowRectOf(d.Handle())), Edges(normal));
    }));
}

TEST_F(LayoutDialogTest, OnlyAStoredPlacementOfExactly44BytesIsApplied) {
    RECT templateRect = {};
    {
        Run(nullptr, true, [&](LayoutTestDialog& d) { templateRect = WindowRectOf(d.Handle()); });
    }
    const WINDOWPLACEMENT placement = MaximisedPlacement();
    unsigned char bytes[45] = {};
    memcpy(bytes, &placement, sizeof placement);
    for (size_t size : {43u, 45u, 44u}) {
        ASSERT_TRUE(app.Profile().WriteBinary(SECTION, "WindowPlacement", bytes, size));
        bool zoomed = false;
        RECT window = {};
        EXPECT_EQ(IDOK, Run(SECTION, true, [&](LayoutTestDialog& d) {
            zoomed = IsZoomed(d.Handle()) != FALSE;
            window = WindowRectOf(d.Handle());
        }));
        EXPECT_EQ(zoomed, size == 44) << size << " bytes";
        if (size != 44) {
            EXPECT_EQ(Edges(window), Edges(templateRect)) << size << " bytes";
        }
    }
}

TEST_F(LayoutDialogTest, WithoutASectionNothingIsReadOrWritten) {
    const WINDOWPLACEMENT placement = MaximisedPlacement();
    ASSERT_TRUE(app.Profile().WriteBinary("", "WindowPlacement", &placement, sizeof placement));
    const std::string before = ProfileSnapshot();
    for (const char* section : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(IDOK, Run(section, true, [](LayoutTestDialog& d) {
            EXPECT_FALSE(IsZoomed(d.Handle()));
            ShowWindow(d.Handle(), SW_MAXIMIZE);
        }));
    }
    EXPECT_EQ(ProfileSnapshot(), before);
    WritePrivateProfileStringA("", nullptr, nullptr, app.Profile().FileName().c_str());
}
