// The program's resources, read back through the calls the program and the
// shell use. The test executable links the real resource script.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "sync/StatusTexts.h"

namespace {

std::string LoadText(UINT id)
{
    char buffer[512] = {};
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

const BYTE* Resource(UINT id, UINT type)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (!found)
        return nullptr;
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
}

// Reads the extended dialog template as the resource compiler wrote it (the
// dialog manager adjusts some styles of the windows it creates from it).
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), p_(data) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    std::string Text() // zero-terminated UTF-16 with ASCII content, atoms as "#n"
    {
        WORD c = Word();
        if (c == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    void Skip(size_t n) { p_ += n; }
    void AlignDword() { while ((p_ - base_) % 4) ++p_; }

private:
    const BYTE* base_;
    const BYTE* p_;
};

const DWORD kLabel = SS_LEFT | SS_CENTERIMAGE | WS_GROUP;
const DWORD kValue = SS_LEFT | WS_GROUP;

TEST(MainDialogTemplate, HoldsFrameAndEveryControlInTabOrder)
{
    struct Row { int id; const char* cls; const char* text; short x, y, cx, cy; DWORD style; };
    const Row rows[] = {
        {IDC_HELP_BUTTON, "Button", "&Help", 211, 83, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_PORT, "ComboBox", "", 117, 7, 83, 84, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
        {IDC_PORT_LABEL, "Static", "Communication Port", 7, 7, 64, 12, kLabel},
        {IDC_PERIOD_LABEL, "Static", "Frequency (integer secs)", 7, 28, 78, 12, kLabel},
        {IDC_PERIOD, "Edit", "", 117, 28, 83, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {IDC_START, "Button", "&Start", 211, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDC_EXIT, "Button", "E&xit", 211, 122, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_STOP, "Button", "S&top", 211, 45, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_LOCAL_TIME, "Static", "Local Time", 106, 61, 83, 8, kValue},
        {IDC_GMT, "Static", "GMT", 106, 76, 83, 8, kValue},
        {IDC_TIME_ZONE, "Static", "Time Zone", 106, 91, 83, 8, kValue},
        {IDC_LOCAL_TIME_LABEL, "Static", "Local Time", 17, 61, 72, 8, kValue},
        {IDC_GMT_LABEL, "Static", "Greenwich Mean Time", 17, 76, 72, 8, kValue},
        {IDC_TIME_ZONE_LABEL, "Static", "System Time Zone", 17, 91, 72, 8, kValue},
        {IDC_SYSTEM_TIME_FRAME, "Button", "System Time", 7, 47, 193, 60, BS_GROUPBOX},
        {IDC_STATUS_LOG, "Edit", "", 7, 113, 193, 23,
         ES_MULTILINE | ES_READONLY | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
    };
    const BYTE* data = Resource(IDD_MAIN, 5); // RT_DIALOG
    ASSERT_NE(data, nullptr);
    TemplateReader in(data);
    ASSERT_EQ(in.Word(), 1);      // version
    ASSERT_EQ(in.Word(), 0xFFFF); // extended template
    in.Dword();                   // help id
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                             WS_MINIMIZEBOX | DS_SETFONT));
    ASSERT_EQ(in.Word(), sizeof rows / sizeof rows[0]);
    const short frame[] = {0, 0, 268, 143};
    for (short v : frame)
        EXPECT_EQ(in.Short(), v);
    EXPECT_EQ(in.Text(), ""); // no menu
    EXPECT_EQ(in.Text(), ""); // standard dialog class
    EXPECT_EQ(in.Text(), "Orvanel Systems, Inc. GPS Clock");
    EXPECT_EQ(in.Word(), 8);
    in.Skip(4); // weight, italic, charset
    EXPECT_EQ(in.Text(), "MS Sans Serif");

    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        in.AlignDword();
        in.Dword();                 // help id
        EXPECT_EQ(in.Dword(), 0u); // extended style
        EXPECT_EQ(in.Dword(), row.style | WS_CHILD | WS_VISIBLE);
        for (short v : {row.x, row.y, row.cx, row.cy})
            EXPECT_EQ(in.Short(), v);
        EXPECT_EQ(in.Dword(), static_cast<DWORD>(row.id));
        std::string cls = in.Text(); // a name, or an atom of the predefined classes
        const char* atoms[] = {"#128", "Button", "#129", "Edit", "#130", "Static", "#133", "ComboBox"};
        for (int i = 0; i < 8; i += 2)
            if (cls == atoms[i])
                cls = atoms[i + 1];
        EXPECT_STRCASEEQ(cls.c_str(), row.cls);
        EXPECT_EQ(in.Text(), row.text);
        in.Skip(in.Word()); // creation data
    }
}

TEST(TrayMenu, HasClockPopupWithCommandsInOrder)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    char text[64] = {};
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Clock");
    EXPECT_EQ(GetMenuItemCount(menu), 1);

    HMENU popup = GetSubMenu(menu, 0);
    const struct { UINT id; const char* text; } items[] = {
        {ID_TRAY_CONFIGURE, "&Configure"}, {0, nullptr}, {ID_TRAY_START, "&Start"},
        {ID_TRAY_STOP, "S&top"}, {0, nullptr}, {ID_TRAY_EXIT, "E&xit"}};
    ASSERT_EQ(GetMenuItemCount(popup), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
        if (!items[i].text) {
            EXPECT_NE(state & MF_SEPARATOR, 0u);
            continue;
        }
        EXPECT_EQ(GetMenuItemID(popup, i), items[i].id);
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(state & (MF_DISABLED | MF_GRAYED), 0u);
    }
    DestroyMenu(menu);
}

TEST(StringTable, HoldsTheStatusTextsThePortListAndNothingForTheTrayTip)
{
    EXPECT_EQ(LoadText(IDS_ABOUT_ITEM), "&About Horalux...");
    const struct { UINT id; const char* text; } texts[] = {
        {IDS_PERIOD_TOO_SMALL, TEXT_PERIOD_TOO_SMALL}, {IDS_TIME_SET, TEXT_TIME_SET},
        {IDS_OPEN_EVENT_FAILED, TEXT_OPEN_EVENT_FAILED}, {IDS_UNKNOWN_STATUS, TEXT_UNKNOWN_STATUS},
        {IDS_OPEN_PORT_FAILED, TEXT_OPEN_PORT_FAILED}, {IDS_INIT_PORT_FAILED, TEXT_INIT_PORT_FAILED},
        {IDS_NO_ECHO, TEXT_NO_ECHO}, {IDS_READ_FAILED, TEXT_READ_FAILED},
        {IDS_PARSE_FAILED, TEXT_PARSE_FAILED}, {IDS_SET_TIME_FAILED, TEXT_SET_TIME_FAILED},
        {IDS_UNEXPECTED_ERROR, TEXT_UNEXPECTED_ERROR}, {IDS_WAITING_FOR_THREAD, TEXT_WAITING_FOR_THREAD},
        {IDS_NO_PORT, TEXT_NO_PORT}, {IDS_INTERNAL_ERROR, TEXT_INTERNAL_ERROR},
        {IDS_THREAD_FAILED, TEXT_THREAD_FAILED}, {IDS_RESOURCE_FAILED, TEXT_RESOURCE_FAILED},
        {IDS_STOPPED, TEXT_STOPPED},
    };
    for (const auto& t : texts)
        EXPECT_EQ(LoadText(t.id), t.text) << t.id; // trailing blanks survive the resource compiler
    for (UINT absent : {130u, 131u, 154u})
        EXPECT_EQ(LoadText(absent), "") << absent;

    const char* ports[IDS_PORT_LIST_COUNT] = {"com1", "com2", "com3", "com4", "edit this..."};
    for (int i = 0; i < IDS_PORT_LIST_COUNT; ++i)
        EXPECT_EQ(LoadText(IDS_PORT_LIST_FIRST + i), ports[i]);
    EXPECT_EQ(LoadText(IDS_PORT_LIST_FIRST + IDS_PORT_LIST_COUNT), "");
}

TEST(Icons, EachHasA32And16PixelImageIn16Colours)
{
    for (UINT id : {IDI_APP, IDI_NOT_SYNCED, IDI_SYNCED}) {
        const BYTE* group = Resource(id, 14); // RT_GROUP_ICON: count, then 14-byte entries
        ASSERT_NE(group, nullptr) << id;
        EXPECT_EQ(group[4], 2) << id;
        for (int i = 0; i < 2; ++i) // width, height, colours
            EXPECT_EQ(std::vector<int>({group[6 + 14 * i], group[7 + 14 * i], group[8 + 14 * i]}),
                      std::vector<int>({32 >> i, 32 >> i, 16})) << id;
    }
}

TEST(VersionBlock, HoldsVersionNumbersAndTheirText)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "2, 0, 1, 0");
}

} // namespace
