#include "ScriptedDialog.h"
#include "window/Application_win32.h"
#include <gtest/gtest.h>

namespace {

// A control object that records what reaches it and answers reflected
// notifications when told to.
class RecordingLabel : public Window {
public:
    bool handleReflected = true;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    int preSubclassCalls = 0;
    int ctlColorCalls = 0;
    int clicks = 0;
    int mouseDowns = 0;

    bool OnReflectedMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override
    {
        if (msg == WM_CTLCOLORSTATIC) {
            ++ctlColorCalls;
            if (!handleReflected) return false;
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        if (msg == WM_COMMAND && HIWORD(wp) == STN_CLICKED) {
            ++clicks;
            return handleReflected;
        }
        return false;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_LBUTTONDOWN) ++mouseDowns;
        return DefaultProc(msg, wp, lp);
    }

protected:
    void PreSubclassWindow() override { ++preSubclassCalls; }
};

class ControlTest : public ::testing::Test {
protected:
    Application app{GetModuleHandleA(nullptr)};
};

bool LabelClickReachedDialog(const ScriptedDialog& dialog)
{
    for (const auto& c : dialog.commands)
        if (c.id == IDC_LABEL && c.code == STN_CLICKED) return true;
    return false;
}

void Click(HWND control)
{
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

} // namespace

TEST_F(ControlTest, ReflectedCtlColorAndClickReachTheControlAndUnhandledOnesTheDialog)
{
    for (bool handled : {true, false}) {
        ScriptedDialog dialog;
        RecordingLabel label;
        label.handleReflected = handled;
        LRESULT colourAnswer = 0;
        dialog.onInit = [&](ScriptedDialog& d) { label.SubclassDlgItem(IDC_LABEL, d); };
        dialog.onStep = [&](ScriptedDialog& d) {
            HWND control = d.Item(IDC_LABEL);
            RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            HDC dc = GetDC(control);
            colourAnswer = SendMessageA(d.Handle(), WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control);
            ReleaseDC(control, dc);
            Click(control);
            d.EndDialog(IDOK);
        };
        dialog.DoModal();
        EXPECT_GE(label.ctlColorCalls, 2) << handled; // the paint and the direct send
        EXPECT_EQ(handled, reinterpret_cast<LRESULT>(label.brush) == colourAnswer);
        EXPECT_EQ(1, label.clicks) << handled;
        EXPECT_EQ(1, label.mouseDowns) << handled;
        EXPECT_EQ(!handled, LabelClickReachedDialog(dialog));
    }
}

TEST_F(ControlTest, DestroyedObjectRestoresTheProcedureAndClearsItsProperties)
{
    ScriptedDialog dialog;
    LONG_PTR before = 0, during = 0, after = 0;
    bool foundDuring = false, foundAfter = true, propertiesLeft = true;
    std::string textAfter;
    dialog.onInit = [&](ScriptedDialog& d) {
        HWND control = d.Item(IDC_LABEL);
        before = GetWindowLongPtrA(control, GWLP_WNDPROC);
        {
            RecordingLabel label;
            label.SubclassDlgItem(IDC_LABEL, d);
            during = GetWindowLongPtrA(control, GWLP_WNDPROC);
            foundDuring = Window::FromHandle(control) == &label;
        }
        after = GetWindowLongPtrA(control, GWLP_WNDPROC);
        foundAfter = Window::FromHandle(control) != nullptr;
        propertiesLeft = GetPropA(control, "Horalux.Window") || GetPropA(control, "Horalux.Proc");
        SetWindowTextA(control, "still works");
        textAfter = Window::TextOf(control);
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_NE(before, during);
    EXPECT_TRUE(foundDuring);
    EXPECT_EQ(before, after);
    EXPECT_FALSE(foundAfter);
    EXPECT_FALSE(propertiesLeft);
    EXPECT_EQ("still works", textAfter);
}

TEST_F(ControlTest, SubclassingFailsForMissingControlsAndTwice)
{
    ScriptedDialog dialog;
    RecordingLabel first, second, missing;
    bool firstOk = false, secondOk = true, missingOk = true, againOk = true;
    dialog.onInit = [&](ScriptedDialog& d) {
        firstOk = first.SubclassDlgItem(IDC_LABEL, d);
        secondOk = second.SubclassDlgItem(IDC_LABEL, d);
        missingOk = missing.SubclassDlgItem(4711, d);
        againOk = first.SubclassDlgItem(IDC_EDIT, d);
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_TRUE(firstOk);
    EXPECT_FALSE(secondOk);
    EXPECT_FALSE(missingOk);
    EXPECT_FALSE(againOk);
    EXPECT_EQ(1, first.preSubclassCalls);
    EXPECT_EQ(0, second.preSubclassCalls);
}
