#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "about/AboutContactDlg_win32.h"
#include "about/AboutResource.h"
#include "about/ContactTable.h"
#include "about/OpenErrorText.h"
#include "about/SystemFacts_win32.h"
#include "tests/win32/support/DialogHarness.h"
#include "window/Application_win32.h"

static Application application(GetModuleHandleA(nullptr));

namespace {

std::string Program()
{
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

const std::string kProgramName = Program().substr(Program().rfind('\\') + 1);
const std::string kFakeMapi = Program().substr(0, Program().rfind('\\') + 1) + "mapi32.dll";

// An export of the test mail library; none while that library is not loaded.
template <class Proc>
Proc Fake(const char* name)
{
    HMODULE fake = GetModuleHandleA(kFakeMapi.c_str());
    FARPROC proc = fake ? GetProcAddress(fake, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}
std::string LastMail()
{
    const auto last = Fake<const char*(WINAPI*)()>("FakeMapiLastCall");
    return last ? last() : "(not loaded)";
}
void AnswerMail(ULONG code) { Fake<void(WINAPI*)(ULONG)>("FakeMapiAnswer")(code); }

// Returns the texts of the message boxes the click showed.
std::vector<std::string> Click(Dialog& dialog, int id)
{
    MessageBoxWatcher watcher(Application::Instance().Name());
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), LPARAM(dialog.Item(id)));
    return watcher.Stop();
}

CUrlLabel& Link(Dialog& dialog, int id) { return dynamic_cast<CUrlLabel&>(*Window::FromHandle(dialog.Item(id))); }

struct ElevatedLabel : CUrlLabel {
    bool RunsElevated() const override { return true; }
};

}  // namespace

TEST(MapiMailMessage, HandsOverEachRecipientsClassTheTextsAndFilesAndKeepsAFailure)
{
    const Module fake(LoadLibraryA(kFakeMapi.c_str()));
    CMapiMailMessage message(kFakeMapi);
    message.SetRecipient("to");
    message.cc = {"cc"};
    message.attachments = {{"C:\\a.txt", "a.txt"}};
    EXPECT_TRUE(message.Send(MAPI_DIALOG));
    EXPECT_EQ(LastMail().substr(LastMail().find(" flags")),
              " flags 9 subject '' note ' ' to1 'to' to2 'cc' file@0 'C:\\a.txt''a.txt'");
    AnswerMail(1);
    EXPECT_FALSE(message.Send(MAPI_DIALOG));
    AnswerMail(0);
    EXPECT_FALSE(message.Send(MAPI_DIALOG)) << "a failure sticks";
    std::string text;
    EXPECT_TRUE(message.GetError(text));
    EXPECT_EQ(text, "Error: MAPI32.DLL, SendMail() returned 1.");
}

TEST(MapiMailMessage, LoadsOnlyTheSystemFoldersLibraryOnlyAtSendAndCopiesBalanceTheLoadCount)
{
    {
        // By bare name the loader would take the test library beside the program.
        CMapiMailMessage system, missing("C:\\nowhere\\mapi32.dll");
        EXPECT_TRUE(system.Send(MAPI_DIALOG));
        EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
        EXPECT_TRUE(missing.Send(MAPI_DIALOG));
        std::string text;
        EXPECT_FALSE(missing.GetError(text));
        EXPECT_EQ(text, "Error: Can't find MAPI32.DLL.");
    }
    CMapiMailMessage kept;
    {
        auto source = std::make_unique<CMapiMailMessage>(kFakeMapi);
        EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
        EXPECT_TRUE(source->Send(MAPI_DIALOG));
        CMapiMailMessage assigned;
        assigned = *source;
        assigned = assigned;
        kept = CMapiMailMessage(*source);
        source.reset();
        EXPECT_TRUE(assigned.Send(MAPI_DIALOG));
    }
    EXPECT_TRUE(kept.Send(MAPI_DIALOG));
    EXPECT_NE(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
    kept = CMapiMailMessage();
    EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
}

TEST(AboutDialog, OwnNameAndVersionColouredLinksAndTheReportHandedToTheMailProgram)
{
    EXPECT_EQ(GatherSystemFacts().version->specialBuild, std::optional<std::string>("present but not flagged"));
    RunInside<CAboutContactDlg> about([](Dialog& dialog) {
        EXPECT_EQ(dialog.GetText(), kProgramName);
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_VERSION), "Version:  2.0.1.0\r\n");
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_CONTACT), ContactTable[CONTACT_BLOCK]);
        CUrlLabel& web = Link(dialog, IDC_ABOUT_WEB);
        EXPECT_EQ(web.GetText() + "/", web.Target());
        EXPECT_EQ(Link(dialog, IDC_ABOUT_SALES).Target(), ContactTable[CONTACT_SALES_ADDRESS]);
        LOGFONTA font{};
        GetObjectA(HFONT(SendMessageA(web.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfUnderline, 1);
        EXPECT_EQ(SendMessageA(web.Handle(), WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);

        HDC dc = CreateCompatibleDC(nullptr);
        auto colourAfter = [&](UINT msg, WPARAM wp, LPARAM lp) {
            SendMessageA(web.Handle(), msg, wp, lp);
            SendMessageA(dialog.Handle(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(web.Handle()));
            return GetTextColor(dc);
        };
        const COLORREF link = RGB(0, 0, 238), visited = RGB(85, 26, 139), hover = GetSysColor(COLOR_HIGHLIGHT);
        EXPECT_EQ(colourAfter(WM_NULL, 0, 0), link);
        web.MarkVisited(TRUE);
        EXPECT_EQ(colourAfter(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)), hover);
        EXPECT_EQ(colourAfter(WM_MOUSEMOVE, 0, MAKELPARAM(-4, 2)), visited);
        EXPECT_EQ(GetCapture(), nullptr);
        DeleteDC(dc);

        EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr) << "the mail library loads only for a click";
        EXPECT_TRUE(Click(dialog, IDC_ABOUT_SUPPORT).empty());
        EXPECT_EQ(LastMail().rfind("parent " + std::to_string(ULONG_PTR(dialog.Handle())) +
                                   " flags 9 subject 'Problem Report' note '>Environment:\r\nApp:       " +
                                   kProgramName + "\r\nVersion:  2.0.1.0\r\n\r\nName:", 0), 0u) << LastMail();
        EXPECT_NE(LastMail().find("to1 '" + std::string(ContactTable[CONTACT_SUPPORT_ADDRESS]) + "'"), std::string::npos);
        EXPECT_TRUE(Link(dialog, IDC_ABOUT_SUPPORT).Visited());
        EXPECT_TRUE(IsWindowEnabled(dialog.Handle()));
        AnswerMail(1);  // the user cancelled
        EXPECT_TRUE(Click(dialog, IDC_ABOUT_SALES).empty());
        EXPECT_NE(LastMail().find("subject 'Request for Information' note ''"), std::string::npos);
        EXPECT_TRUE(Link(dialog, IDC_ABOUT_SALES).Visited());

        CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, 0, 9, 9, dialog.Handle(), HMENU(99), nullptr, nullptr);
        ElevatedLabel failing;
        failing.SetTarget("C:\\no\\such.file", false);
        ASSERT_TRUE(failing.SubclassDlgItem(99, dialog));
        failing.MarkVisited(TRUE);
        const auto texts = Click(dialog, 99);
        EXPECT_EQ(texts, std::vector<std::string>{OpenErrorText(failing.LastOpenResult())});
        EXPECT_FALSE(failing.Visited());
    }, nullptr, kFakeMapi);
    EXPECT_EQ(about.DoModal(), IDOK);
}
