#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/win32/support/DialogHarness.h"
#include "LabelTestResource.h"
#include "ScratchClassesRoot.h"
#include "about/OpenErrorText.h"
#include "about/UrlLabel_win32.h"
#include "window/Application_win32.h"
#include "window/Dialog_win32.h"

namespace {

void InLabelDialog(const std::function<void(Dialog&)>& body)
{
    RunInside<Dialog> dialog([&](RunInside<Dialog>& self) { body(self); }, IDD_LABEL_TEST, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// A file that exists but that no program is registered to open.
std::string UnassociatedFile()
{
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "horalux-link.horaluxtest";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return path;
}

// Clicks the label and returns the texts of the message boxes it showed.
std::vector<std::string> Click(Dialog& dialog, const CUrlLabel& label)
{
    MessageBoxWatcher watcher(Application::Instance().Name());
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label.Handle()), STN_CLICKED),
                 reinterpret_cast<LPARAM>(label.Handle()));
    return watcher.Stop();
}

struct PretendLabel : CUrlLabel {
    bool RunsElevated() const override { return elevated; }
    bool elevated = false;
};

// Runs body with a label on a file the shell cannot open and a private
// HKEY_CLASSES_ROOT, after one click that learnt the shell's own result.
void WithFailingLink(const std::function<void(Dialog&, PretendLabel&, ScratchClassesRoot&, int)>& body)
{
    ScratchClassesRoot classes;
    ASSERT_TRUE(classes.Active());
    InLabelDialog([&](Dialog& dialog) {
        PretendLabel label;
        label.SetTarget(UnassociatedFile(), false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_FAILING, dialog));
        Click(dialog, label);
        body(dialog, label, classes, label.LastOpenResult());
    });
}

}  // namespace

TEST(UrlLabel, AttachingCompletesTextAndTargetAndUnderlines)
{
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel empty;
        empty.SetTarget("https://target.example/", false);
        ASSERT_TRUE(empty.SubclassDlgItem(IDC_LABEL_EMPTY, dialog));
        EXPECT_EQ(empty.GetText(), "https://target.example/");

        const LOGFONTA original = FontOf(dialog.Item(IDC_LABEL_TEXT));
        ASSERT_EQ(original.lfUnderline, 0);
        CUrlLabel text;
        ASSERT_TRUE(text.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        EXPECT_EQ(text.Target(), "plain text target");
        EXPECT_NE(GetWindowLongA(text.Handle(), GWL_STYLE) & SS_NOTIFY, 0);
        const LOGFONTA underlined = FontOf(text.Handle());
        EXPECT_EQ(underlined.lfUnderline, 1);
        EXPECT_EQ(underlined.lfHeight, original.lfHeight);
        EXPECT_STREQ(underlined.lfFaceName, original.lfFaceName);
        EXPECT_EQ(SendMessageA(text.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(text.Handle()),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
    });
}

TEST(UrlLabel, ColourFollowsHoverThenVisitedThenLink)
{
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel label;
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        HDC dc = CreateCompatibleDC(nullptr);
        auto colour = [&] {
            SetBkMode(dc, OPAQUE);
            const LRESULT brush = SendMessageA(dialog.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(label.Handle()));
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
            return GetTextColor(dc);
        };
        const COLORREF link = RGB(0, 0, 238), visited = RGB(85, 26, 139);
        const COLORREF hover = GetSysColor(COLOR_HIGHLIGHT);
        auto moveTo = [&](int x, int y) {
            SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
        };

        EXPECT_EQ(colour(), link);
        label.MarkVisited(TRUE);
        EXPECT_EQ(colour(), visited);
        moveTo(2, 2);
        EXPECT_EQ(GetCapture(), label.Handle());
        EXPECT_EQ(colour(), hover);
        moveTo(-4, 2);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(colour(), visited);
        label.MarkVisited(FALSE);
        EXPECT_EQ(colour(), link);
        DeleteDC(dc);
    });
}

TEST(UrlLabel, FailedClickShowsTheErrorAndClearsVisited)
{
    WithFailingLink([](Dialog& dialog, CUrlLabel& label, ScratchClassesRoot&, int shellResult) {
        EXPECT_LE(shellResult, 32);
        label.MarkVisited(TRUE);
        const auto texts = Click(dialog, label);
        EXPECT_FALSE(label.Visited());
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], OpenErrorText(shellResult));
    });
}

TEST(UrlLabel, FallsBackOnTheCommandRegisteredForHtmUnlessElevated)
{
    WithFailingLink([](Dialog& dialog, PretendLabel& label, ScratchClassesRoot& classes, int shellResult) {
        classes.SetDefault(".htm", "HoraluxTest.htm");
        classes.SetDefault("HoraluxTest.htm\\shell\\open\\command", "\"C:\\no\\such\\browser.exe\" \"%1\" -new");
        const auto texts = Click(dialog, label);
        ASSERT_NE(shellResult, ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(label.LastOpenResult(), ERROR_FILE_NOT_FOUND);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], OpenErrorText(ERROR_FILE_NOT_FOUND));

        label.elevated = true;
        EXPECT_EQ(Click(dialog, label), std::vector<std::string>{OpenErrorText(shellResult)});
    });
}
