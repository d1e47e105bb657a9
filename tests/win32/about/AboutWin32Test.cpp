#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "about/AboutContactDlg_win32.h"
#include "about/AboutResource.h"
#include "about/ContactTable.h"
#include "about/OpenErrorText.h"
#include "tests/win32/support/DialogHarness.h"
#include "window/Application_win32.h"

static Application application(GetModuleHandleA(nullptr));

namespace {

const std::string kProgram = application.ModulePath();
const std::string kProgramName = kProgram.substr(kProgram.rfind('\\') + 1);
const std::string kFakeMapi = kProgram.substr(0, kProgram.rfind('\\') + 1) + "mapi32.dll";

// An export of the test mail library; none while that library is not loaded.
template <class Proc>
Proc Fake(const char* name)
{
    HMODULE fake = GetModuleHandleA(kFakeMapi.c_str());
    FARPROC proc = fake ? GetProcAddress(fake, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}
std::string LastMail() { const auto last = Fake<const char*(WINAPI*)()>("FakeMapiLastCall"); return last ? last() : ""; }
void AnswerMail(ULONG code) { Fake<void(WINAPI*)(ULONG)>("FakeMapiAnswer")(code); }

// Returns the texts of the message boxes the click showed.
std::vector<std::string> Click(Dialog& dialog, int id)
{
    MessageBoxWatcher watcher(Application::Instance().Name());
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), LPARAM(dialog.Item(id)));
    return watcher.Stop();
}

CUrlLabel& Link(Dialog& dialog, int id) { return dynamic_cast<CUrlLabel&>(*Window::FromHandle(dialog.Item(id))); }

struct PretendingLabel : CUrlLabel {
    bool RunsElevated() const override { return elevated; }
    bool elevated = true;
};

}  // namespace

TEST(MapiMailMessage, SystemLibraryOnlyLoadedAtSendClassesKeptFailuresStickCopiesBalanced)
{
    // By bare name the loader would take the test library beside the program.
    CMapiMailMessage system;
    EXPECT_TRUE(system.Send(MAPI_DIALOG)) << "no mail library is no failure";
    std::string text;
    EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);

    CMapiMailMessage kept;
    {
        auto source = std::make_unique<CMapiMailMessage>(kFakeMapi);
        source->SetRecipient("to");
        source->cc = {"cc"};
        EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
        EXPECT_TRUE(source->Send(MAPI_DIALOG));
        EXPECT_EQ(LastMail().substr(LastMail().find(" flags")),
                  " flags 9 subject '' note '' to1 'to' to2 'cc'");
        CMapiMailMessage assigned;
        assigned = *source;
        kept = CMapiMailMessage(*source);
        source.reset();
        AnswerMail(1);
        EXPECT_FALSE(assigned.Send(MAPI_DIALOG));
        AnswerMail(0);
        EXPECT_FALSE(assigned.Send(MAPI_DIALOG)) << "a failure sticks";
        EXPECT_TRUE(assigned.GetError(text));
        EXPECT_EQ(text, "Error: MAPI32.DLL, SendMail() returned 1.");
    }
    EXPECT_TRUE(kept.Send(MAPI_DIALOG));
    kept = CMapiMailMessage();
    EXPECT_EQ(GetModuleHandleA(kFakeMapi.c_str()), nullptr);
}

TEST(AboutDialog, OwnNameAndVersionColouredLinksAndTheReportHandedToTheMailProgram)
{
    RunInside<CAboutContactDlg> about([](Dialog& dialog) {
        EXPECT_EQ(dialog.GetText(), kProgramName);
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_VERSION), "Version:  2.0.1.0\r\n");
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_CONTACT), ContactTable[CONTACT_BLOCK]);
        CUrlLabel& web = Link(dialog, IDC_ABOUT_WEB);
        EXPECT_EQ(web.GetText() + "/", web.Target());
        LOGFONTA font{};
        GetObjectA(HFONT(SendMessageA(web.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfUnderline, 1);

        HDC dc = CreateCompatibleDC(nullptr);
        auto colourAfterMoveTo = [&](int x) {
            if (x) SendMessageA(web.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, 2));
            SendMessageA(dialog.Handle(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(web.Handle()));
            return GetTextColor(dc);
        };
        EXPECT_EQ(colourAfterMoveTo(0), RGB(0, 0, 238));
        web.MarkVisited(TRUE);
        EXPECT_EQ(colourAfterMoveTo(2), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(colourAfterMoveTo(-4), RGB(85, 26, 139));
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

        // Elevated, a link gives its address to copy and opens nothing; otherwise a
        // target that neither the shell nor the browser's command (too long) takes is an error.
        CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, 0, 9, 9, dialog.Handle(), HMENU(99), nullptr, nullptr);
        PretendingLabel label;
        ASSERT_TRUE(label.SubclassDlgItem(99, dialog));
        const std::string site = "https://www.orvanel.example.com/";
        label.SetTarget(site, false);
        EXPECT_EQ(Click(dialog, 99), std::vector<std::string>{"Horalux runs as an administrator, and a browser started "
            "from it would too. Open this address in your browser yourself (Ctrl+C copies this message):\n\n" + site});
        EXPECT_TRUE(label.Visited());
        EXPECT_EQ(label.LastOpenResult(), 0) << "the elevated link opened something";
        label.elevated = false;
        label.SetTarget("C:\\no\\" + std::string(600, 'x'), false);
        const auto texts = Click(dialog, 99);
        EXPECT_EQ(texts, std::vector<std::string>{OpenErrorText(label.LastOpenResult())});
        EXPECT_FALSE(label.Visited());
    }, nullptr, kFakeMapi);
    EXPECT_EQ(about.DoModal(), IDOK);
}
