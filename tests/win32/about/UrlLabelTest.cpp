#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "DialogHarness.h"
#include "LabelTestResource.h"
#include "ScratchClassesRoot.h"
#include "about/OpenErrorText.h"
#include "about/UrlLabel_win32.h"
#include "window/Application.h"
#include "window/Dialog.h"

namespace {

void InLabelDialog(const std::function<void(Dialog&)>& body)
{
    RunInside<Dialog> dialog([&](RunInside<Dialog>& self) { body(self); }, IDD_LABEL_TEST, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

RECT ParentRect(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE TextExtent(HWND control)
{
    const std::string text = Window::TextOf(control);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent;
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

std::string ToolText(const CUrlLabel& label)
{
    char text[256] = "";
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = label.Handle();
    tool.uId = 1;
    tool.lpszText = text;
    SendMessageA(label.Tooltip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
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

void Click(Dialog& dialog, int id, const CUrlLabel& label)
{
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(label.Handle()));
}

// Clicks the label and returns the texts of the message boxes it showed.
std::vector<std::string> ClickAndCloseBoxes(Dialog& dialog, int id, const CUrlLabel& label)
{
    MessageBoxWatcher watcher(Application::Instance().Name());
    Click(dialog, id, label);
    return watcher.Stop();
}

}  // namespace

TEST(UrlLabel, AttachingCompletesTextAndTargetFromEachOther)
{
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel empty;
        empty.SetTarget("https://target.example/", false);
        ASSERT_TRUE(empty.SubclassDlgItem(IDC_LABEL_EMPTY, dialog));
        EXPECT_EQ(empty.GetText(), "https://target.example/");
        EXPECT_EQ(empty.Target(), "https://target.example/");

        CUrlLabel text;
        ASSERT_TRUE(text.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        EXPECT_EQ(text.Target(), "plain text target");
        EXPECT_EQ(text.GetText(), "plain text target");
        EXPECT_NE(GetWindowLongA(text.Handle(), GWL_STYLE) & SS_NOTIFY, 0);
    });
}

TEST(UrlLabel, DrawsWithAnUnderlinedCopyOfItsFont)
{
    InLabelDialog([](Dialog& dialog) {
        const LOGFONTA original = FontOf(dialog.Item(IDC_LABEL_TEXT));
        ASSERT_EQ(original.lfUnderline, 0);
        CUrlLabel label;
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        const LOGFONTA underlined = FontOf(label.Handle());
        EXPECT_EQ(underlined.lfUnderline, 1);
        EXPECT_EQ(underlined.lfHeight, original.lfHeight);
        EXPECT_STREQ(underlined.lfFaceName, original.lfFaceName);
        EXPECT_NE(SendMessageA(label.Handle(), WM_GETFONT, 0, 0),
                  SendMessageA(dialog.Handle(), WM_GETFONT, 0, 0));
    });
}

TEST(UrlLabel, FitsItselfToItsText)
{
    InLabelDialog([](Dialog& dialog) {
        const RECT left = ParentRect(dialog.Item(IDC_LABEL_TEXT));
        const RECT centred = ParentRect(dialog.Item(IDC_LABEL_CENTERED));
        const RECT right = ParentRect(dialog.Item(IDC_LABEL_RIGHT));
        CUrlLabel leftLabel, centredLabel, rightLabel;
        ASSERT_TRUE(leftLabel.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        ASSERT_TRUE(centredLabel.SubclassDlgItem(IDC_LABEL_CENTERED, dialog));
        ASSERT_TRUE(rightLabel.SubclassDlgItem(IDC_LABEL_RIGHT, dialog));

        const SIZE text = TextExtent(leftLabel.Handle());
        const RECT fitted = ParentRect(leftLabel.Handle());
        EXPECT_EQ(fitted.left, left.left);
        EXPECT_EQ(fitted.top, left.top);
        EXPECT_EQ(fitted.right - fitted.left, text.cx);
        EXPECT_EQ(fitted.bottom - fitted.top, text.cy);
        EXPECT_LT(text.cx, left.right - left.left);

        const SIZE centredText = TextExtent(centredLabel.Handle());
        const RECT centredFit = ParentRect(centredLabel.Handle());
        EXPECT_NEAR(centredFit.right - centredFit.left, centredText.cx, 1);
        EXPECT_NEAR(centredFit.bottom - centredFit.top, centredText.cy, 1);
        EXPECT_NEAR(centredFit.left + centredFit.right, centred.left + centred.right, 1);
        EXPECT_NEAR(centredFit.top + centredFit.bottom, centred.top + centred.bottom, 1);

        const RECT rightFit = ParentRect(rightLabel.Handle());
        EXPECT_EQ(rightFit.right, right.right);
        EXPECT_EQ(rightFit.right - rightFit.left, TextExtent(rightLabel.Handle()).cx);
        EXPECT_EQ(rightFit.top, right.top);
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
            const LRESULT brush = SendMessageA(dialog.Handle(), WM_CTLCOLORSTATIC,
                                               reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(label.Handle()));
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
            return GetTextColor(dc);
        };
        const COLORREF link = RGB(0, 0, 238), visited = RGB(85, 26, 139);
        const COLORREF hover = GetSysColor(COLOR_HIGHLIGHT);

        EXPECT_EQ(colour(), link);
        label.MarkVisited(TRUE);
        EXPECT_EQ(colour(), visited);

        SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(GetCapture(), label.Handle());
        EXPECT_EQ(colour(), hover);
        SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(colour(), hover);

        SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-4), 2));
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(colour(), visited);
        label.MarkVisited(FALSE);
        EXPECT_EQ(colour(), link);

        // Losing the mouse to another window ends the highlight as well.
        SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(colour(), hover);
        SetCapture(dialog.Handle());
        EXPECT_EQ(colour(), link);
        ReleaseCapture();
        DeleteDC(dc);
    });
}

TEST(UrlLabel, SetsItsCursor)
{
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel label;
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_TEXT, dialog));
        EXPECT_EQ(SendMessageA(label.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.Handle()),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
    });
}

TEST(UrlLabel, TooltipHoldsTheTargetAndFollowsItOnlyWhenShown)
{
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel label;
        label.SetTarget("https://first.example/", false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_EMPTY, dialog));
        ASSERT_NE(label.Tooltip(), nullptr);
        EXPECT_EQ(SendMessageA(label.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
        EXPECT_EQ(ToolText(label), "https://first.example/");

        label.SetTarget("https://second.example/", false);
        EXPECT_EQ(label.Target(), "https://second.example/");
        EXPECT_EQ(ToolText(label), "https://first.example/");
        label.SetTarget("https://third.example/", true);
        EXPECT_EQ(ToolText(label), "https://third.example/");
    });
}

TEST(UrlLabel, FailedClickShowsTheErrorAndClearsVisited)
{
    ScratchClassesRoot classes;
    ASSERT_TRUE(classes.Active());
    InLabelDialog([](Dialog& dialog) {
        CUrlLabel label;
        label.SetTarget(UnassociatedFile(), false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_FAILING, dialog));
        label.MarkVisited(TRUE);

        const auto texts = ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        EXPECT_FALSE(label.Visited());
        EXPECT_LE(label.LastOpenResult(), 32);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], OpenErrorText(label.LastOpenResult()));
        EXPECT_EQ(texts[0].rfind("Unable to open hyperlink:\n\n", 0), 0u);
    });
}

TEST(UrlLabel, FallsBackOnTheCommandRegisteredForHtm)
{
    ScratchClassesRoot classes;
    ASSERT_TRUE(classes.Active());
    InLabelDialog([&](Dialog& dialog) {
        CUrlLabel label;
        label.SetTarget(UnassociatedFile(), false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_FAILING, dialog));
        ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        const int shellResult = label.LastOpenResult();

        classes.SetDefault(".htm", "HoraluxTest.htm");
        classes.SetDefault("HoraluxTest.htm\\shell\\open\\command",
                           "\"C:\\no\\such\\browser.exe\" \"%1\" -new");
        const auto texts = ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        EXPECT_NE(label.LastOpenResult(), shellResult) << "the registered command did not run";
        EXPECT_EQ(label.LastOpenResult(), ERROR_FILE_NOT_FOUND);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], OpenErrorText(ERROR_FILE_NOT_FOUND));
    });
}

TEST(UrlLabel, UnusableRegistrationsLeaveTheShellsResult)
{
    ScratchClassesRoot classes;
    ASSERT_TRUE(classes.Active());
    InLabelDialog([&](Dialog& dialog) {
        CUrlLabel label;
        label.SetTarget(UnassociatedFile(), false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_FAILING, dialog));
        ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        const int shellResult = label.LastOpenResult();

        // A value longer than the 260-character buffer is refused, not cut.
        classes.SetDefault(".htm", "HoraluxTest.htm");
        classes.SetDefault("HoraluxTest.htm\\shell\\open\\command",
                           "\"C:\\no\\such\\browser.exe\" " + std::string(300, 'x'));
        ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        EXPECT_EQ(label.LastOpenResult(), shellResult);

        // A key without a default value names no command.
        classes.SetDefault(".htm", "HoraluxEmpty.htm");
        classes.SetDefault("HoraluxEmpty.htm\\shell\\open\\command", "");
        const auto texts = ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        EXPECT_EQ(label.LastOpenResult(), shellResult);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], OpenErrorText(shellResult));
    });
}

TEST(UrlLabel, RegisteredCommandThatRunsMarksTheLinkVisited)
{
    ScratchClassesRoot classes;
    ASSERT_TRUE(classes.Active());
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string marker = std::string(directory) + "horalux-link-opened.txt";
    DeleteFileA(marker.c_str());
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    classes.SetDefault(".htm", "HoraluxTest.htm");
    classes.SetDefault("HoraluxTest.htm\\shell\\open\\command",
                       std::string(system) + "\\cmd.exe /c type nul > \"" + marker + "\" & rem \"%1\"");

    InLabelDialog([&](Dialog& dialog) {
        CUrlLabel label;
        label.SetTarget(UnassociatedFile(), false);
        ASSERT_TRUE(label.SubclassDlgItem(IDC_LABEL_FAILING, dialog));
        const auto texts = ClickAndCloseBoxes(dialog, IDC_LABEL_FAILING, label);
        EXPECT_TRUE(texts.empty());
        EXPECT_GT(label.LastOpenResult(), 32);
        EXPECT_TRUE(label.Visited());
    });
    // Only a guard against hanging: the command runs in its own process.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES &&
           std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(marker.c_str());
}
