#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/support/DialogHarness.h"
#include "FakeMapiRecord.h"
#include "about/AboutContactDlg_win32.h"
#include "about/AboutResource.h"
#include "about/ContactTable.h"
#include "window/Application_win32.h"

namespace {

using AboutBox = RunInside<CAboutContactDlg>;

std::string ExecutablePath()
{
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

std::string ExecutableName() { return ExecutablePath().substr(ExecutablePath().rfind('\\') + 1); }

CUrlLabel* LinkOf(Dialog& dialog, int id)
{
    return dynamic_cast<CUrlLabel*>(Window::FromHandle(dialog.Item(id)));
}

void RunAbout(const std::function<void(Dialog&)>& body)
{
    AboutBox dialog([&](AboutBox& self) { body(self); }, nullptr, FakeMapiPath());
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

// What the screen shows of the window, as a 24-bit bitmap file.
bool SaveScreenshot(HWND window, const std::string& path)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> pixels(((width * 3 + 3) / 4) * 4 * height);
    const bool read = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, offset + static_cast<DWORD>(pixels.size()), 0, 0, offset};
    FILE* out = read ? std::fopen(path.c_str(), "wb") : nullptr;
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

template <class Proc>
Proc FakeMail(const char* name)
{
    HMODULE library = GetModuleHandleA("MAPI32.DLL");
    return library ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)))
                   : nullptr;
}


}  // namespace

TEST(AboutContactDialog, ShowsVersionContactLinksAndItsOwnFileName)
{
    RunAbout([](Dialog& dialog) {
        EXPECT_EQ(dialog.GetText(), ExecutableName());
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_VERSION), "Version:  2.0.1.0\r\n");
        EXPECT_EQ(dialog.ItemText(IDC_ABOUT_CONTACT), ContactTable[CONTACT_BLOCK]);

        std::vector<int> ids;
        for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ids.push_back(GetDlgCtrlID(child));
        const std::vector<int> order = {IDC_ABOUT_WEB, IDC_ABOUT_SUPPORT, IDC_ABOUT_CONTACT,
                                        IDC_ABOUT_SALES, IDOK, IDC_ABOUT_VERSION, IDC_ABOUT_GROUP};
        EXPECT_EQ(ids, order);

        CUrlLabel* web = LinkOf(dialog, IDC_ABOUT_WEB);
        CUrlLabel* support = LinkOf(dialog, IDC_ABOUT_SUPPORT);
        CUrlLabel* sales = LinkOf(dialog, IDC_ABOUT_SALES);
        ASSERT_TRUE(web && support && sales);
        EXPECT_EQ(web->GetText(), "https://www.orvanel.example.com");
        EXPECT_EQ(web->Target(), ContactTable[CONTACT_WEB_ADDRESS]);
        EXPECT_EQ(support->GetText(), ContactTable[CONTACT_SUPPORT_ADDRESS]);
        EXPECT_EQ(support->Target(), ContactTable[CONTACT_SUPPORT_ADDRESS]);
        EXPECT_EQ(sales->GetText(), ContactTable[CONTACT_SALES_ADDRESS]);
        EXPECT_EQ(sales->Target(), ContactTable[CONTACT_SALES_ADDRESS]);
        for (CUrlLabel* link : {web, support, sales}) EXPECT_FALSE(link->showTooltip);

        EXPECT_TRUE(SaveScreenshot(dialog.Handle(), ExecutablePath().substr(0, ExecutablePath().rfind('\\') + 1) + "about-dialog.bmp"));
    });
}

TEST(AboutContactDialog, SupportLinkComposesTheProblemReport)
{
    RunAbout([](Dialog& dialog) {
        EXPECT_EQ(GetModuleHandleA("MAPI32.DLL"), nullptr) << "the mail library loads only for a click";
        MessageBoxWatcher watcher(Application::Instance().Name());
        SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_ABOUT_SUPPORT, STN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog.Item(IDC_ABOUT_SUPPORT)));
        EXPECT_TRUE(watcher.Stop().empty());
        auto lastCall = FakeMail<FakeMapiLastCallProc>("FakeMapiLastCall");
        ASSERT_NE(lastCall, nullptr) << "the click did not load the test mail library";

        // The hand-over itself (flags, recipient class) is the mail tests' to check.
        const FakeMapiCall& mail = *lastCall();
        EXPECT_EQ(mail.uiParam, reinterpret_cast<ULONG_PTR>(dialog.Handle()));
        EXPECT_STREQ(mail.recips[0].name, ContactTable[CONTACT_SUPPORT_ADDRESS]);
        EXPECT_STREQ(mail.subject, "Problem Report");
        const std::string note = mail.note;
        EXPECT_EQ(note.rfind(">Environment:\r\nApp:       " + ExecutableName() + "\r\nVersion:  2.0.1.0\r\n", 0), 0u)
            << note;
        EXPECT_NE(note.find(">How-To-Repeat:\r\n"), std::string::npos);
        EXPECT_TRUE(LinkOf(dialog, IDC_ABOUT_SUPPORT)->Visited());
        EXPECT_TRUE(IsWindowEnabled(dialog.Handle()));
    });
}

