// The program's resources, read back through the same calls the program and
// the shell use. The test executable links the real resource script.
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

std::string WindowText(HWND window)
{
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string ClassOf(HWND window)
{
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                    PlainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
    }
    RECT InDialogUnits(int x, int y, int cx, int cy) const
    {
        RECT r = {x, y, x + cx, y + cy};
        MapDialogRect(dialog, &r);
        return r;
    }
    RECT ChildRect(HWND child) const
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    HWND dialog = nullptr;
};

struct ControlRow {
    int id;
    const char* className;
    const char* text;
    int x, y, cx, cy;
    DWORD style;
};

const DWORD kStaticLabel = SS_LEFT | SS_CENTERIMAGE | WS_GROUP;
const DWORD kStaticValue = SS_LEFT | WS_GROUP;

// Tab order, positions and styles beyond WS_CHILD | WS_VISIBLE.
const ControlRow kControls[] = {
    {IDC_HELP_BUTTON, "Button", "&Help", 211, 83, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_PORT, "ComboBox", "", 117, 7, 83, 84, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
    {IDC_PORT_LABEL, "Static", "Communication Port", 7, 7, 64, 12, kStaticLabel},
    {IDC_PERIOD_LABEL, "Static", "Frequency (integer secs)", 7, 28, 78, 12, kStaticLabel},
    {IDC_PERIOD, "Edit", "", 117, 28, 83, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
    {IDC_START, "Button", "&Start", 211, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDC_EXIT, "Button", "E&xit", 211, 122, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_STOP, "Button", "S&top", 211, 45, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_LOCAL_TIME, "Static", "Local Time", 106, 61, 83, 8, kStaticValue},
    {IDC_GMT, "Static", "GMT", 106, 76, 83, 8, kStaticValue},
    {IDC_TIME_ZONE, "Static", "Time Zone", 106, 91, 83, 8, kStaticValue},
    {IDC_LOCAL_TIME_LABEL, "Static", "Local Time", 17, 61, 72, 8, kStaticValue},
    {IDC_GMT_LABEL, "Static", "Greenwich Mean Time", 17, 76, 72, 8, kStaticValue},
    {IDC_TIME_ZONE_LABEL, "Static", "System Time Zone", 17, 91, 72, 8, kStaticValue},
    {IDC_SYSTEM_TIME_FRAME, "Button", "System Time", 7, 47, 193, 60, BS_GROUPBOX},
    {IDC_STATUS_LOG, "Edit", "", 7, 113, 193, 23,
     ES_MULTILINE | ES_READONLY | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
};

TEST_F(MainDialog, FrameHasCaptionStylesAndClientSize)
{
    EXPECT_EQ(WindowText(dialog), "Orvanel Systems, Inc. GPS Clock");

    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    RECT client;
    GetClientRect(dialog, &client);
    RECT expected = InDialogUnits(0, 0, 268, 143);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(MainDialog, DialogManagerCreatesEveryControlInTabOrder)
{
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), row.id);
        EXPECT_STRCASEEQ(ClassOf(child).c_str(), row.className);
        EXPECT_EQ(WindowText(child), row.text);
        RECT origin = InDialogUnits(row.x, row.y, 0, 0);
        RECT actual = ChildRect(child);
        EXPECT_EQ(actual.left, origin.left);
        EXPECT_EQ(actual.top, origin.top);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than expected";
}

// Reads the extended dialog template as the resource compiler wrote it; the
// dialog manager adjusts some styles of the windows it creates from it.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : p_(data) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    std::string Text() // zero-terminated UTF-16, ASCII content
    {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    std::string TextOrAtom() // atoms as "#n"
    {
        WORD first;
        memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            p_ += 2;
            return "#" + std::to_string(Word());
        }
        return Text();
    }
    void AlignDword(const BYTE* base)
    {
        while ((p_ - base) % 4)
            ++p_;
    }
    void Skip(size_t n) { p_ += n; }

private:
    const BYTE* p_;
};

std::string AtomClass(const std::string& name)
{
    if (name == "#128") return "Button";
    if (name == "#129") return "Edit";
    if (name == "#130") return "Static";
    if (name == "#133") return "ComboBox";
    return name;
}

TEST(MainDialogTemplate, HoldsFrameFontAndEveryControlExactly)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5)); // RT_DIALOG
    ASSERT_NE(found, nullptr);
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader in(base);
    ASSERT_EQ(in.Word(), 1);      // dlgVer
    ASSERT_EQ(in.Word(), 0xFFFF); // extended template
    in.Dword();                   // help id
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                             WS_MINIMIZEBOX | DS_SETFONT));
    WORD count = in.Word();
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 268);
    EXPECT_EQ(in.Short(), 143);
    EXPECT_EQ(in.TextOrAtom(), ""); // no menu
    EXPECT_EQ(in.TextOrAtom(), ""); // standard dialog class
    EXPECT_EQ(in.Text(), "Orvanel Systems, Inc. GPS Clock");
    EXPECT_EQ(in.Word(), 8);
    in.Word(); // weight
    in.Byte(); // italic
    in.Byte(); // charset
    EXPECT_EQ(in.Text(), "MS Sans Serif");

    ASSERT_EQ(count, sizeof kControls / sizeof kControls[0]);
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.id);
        in.AlignDword(base);
        in.Dword(); // help id
        EXPECT_EQ(in.Dword(), 0u) << "extended style";
        EXPECT_EQ(in.Dword(), row.style | WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(in.Short(), row.x);
        EXPECT_EQ(in.Short(), row.y);
        EXPECT_EQ(in.Short(), row.cx);
        EXPECT_EQ(in.Short(), row.cy);
        EXPECT_EQ(in.Dword(), static_cast<DWORD>(row.id));
        EXPECT_STRCASEEQ(AtomClass(in.TextOrAtom()).c_str(), row.className);
        EXPECT_EQ(in.TextOrAtom(), row.text);
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
    ASSERT_NE(popup, nullptr);
    struct Item { UINT id; const char* text; };
    const Item items[] = {{ID_TRAY_CONFIGURE, "&Configure"}, {0, nullptr},        {ID_TRAY_START, "&Start"},
                          {ID_TRAY_STOP, "S&top"},           {0, nullptr},        {ID_TRAY_EXIT, "E&xit"}};
    ASSERT_EQ(GetMenuItemCount(popup), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
        if (!items[i].text) {
            EXPECT_NE(info.fType & MFT_SEPARATOR, 0u);
            continue;
        }
        EXPECT_EQ(info.wID, items[i].id);
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(info.fState & (MFS_DISABLED | MFS_GRAYED), 0u);
    }
    DestroyMenu(menu);
}

TEST(StringTable, HoldsEveryStatusTextAndNothingForTheTrayTip)
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
        EXPECT_EQ(LoadText(t.id), t.text) << t.id;
    // Trailing blanks are part of two texts and must survive the resource compiler.
    EXPECT_EQ(LoadText(IDS_TIME_SET).back(), ' ');
    EXPECT_EQ(LoadText(IDS_THREAD_FAILED).substr(LoadText(IDS_THREAD_FAILED).size() - 2), "  ");

    EXPECT_EQ(LoadText(130), "");
    EXPECT_EQ(LoadText(131), "");
    EXPECT_EQ(LoadText(154), ""); // unknown statuses fall back to 153
}

TEST(StringTable, HoldsThePortListInOrder)
{
    const char* expected[IDS_PORT_LIST_COUNT] = {"com1", "com2", "com3", "com4", "edit this..."};
    for (int i = 0; i < IDS_PORT_LIST_COUNT; ++i)
        EXPECT_EQ(LoadText(IDS_PORT_LIST_FIRST + i), expected[i]);
    EXPECT_EQ(LoadText(IDS_PORT_LIST_FIRST + IDS_PORT_LIST_COUNT), "");
}

// Pixel (x, y) of an icon as 0xRRGGBB, or -1 where the mask makes it transparent.
class IconPixels {
public:
    IconPixels(UINT id, int size) : size_(size)
    {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
        if (!icon)
            return;
        ICONINFO info = {};
        if (GetIconInfo(icon, &info)) {
            color_ = Read(info.hbmColor);
            mask_ = Read(info.hbmMask);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        DestroyIcon(icon);
    }
    bool Loaded() const { return color_.size() == static_cast<size_t>(size_ * size_); }
    long At(int x, int y) const
    {
        size_t i = static_cast<size_t>(y * size_ + x);
        return (mask_[i] & 0xFFFFFF) ? -1 : static_cast<long>(color_[i] & 0xFFFFFF);
    }

private:
    std::vector<DWORD> Read(HBITMAP bitmap) const
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = size_;
        bmi.bmiHeader.biHeight = -size_;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        std::vector<DWORD> pixels(static_cast<size_t>(size_ * size_));
        HDC dc = GetDC(nullptr);
        int rows = GetDIBits(dc, bitmap, 0, size_, pixels.data(), &bmi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        return rows == size_ ? pixels : std::vector<DWORD>();
    }
    int size_;
    std::vector<DWORD> color_, mask_;
};

const long kWhite = 0xFFFFFF, kBlack = 0, kGrey = 0x808080, kRed = 0xFF0000, kGreen = 0x008000;

TEST(Icons, EachHasA32And16PixelImageIn16Colours)
{
    for (UINT id : {IDI_APP, IDI_NOT_SYNCED, IDI_SYNCED}) {
        SCOPED_TRACE(id);
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        ASSERT_NE(found, nullptr);
        const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_NE(group, nullptr);
        WORD count = *reinterpret_cast<const WORD*>(group + 4);
        ASSERT_EQ(count, 2);
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = group + 6 + 14 * i; // width, height, colours, reserved, planes, bits...
            EXPECT_EQ(entry[0], i == 0 ? 32 : 16);
            EXPECT_EQ(entry[1], entry[0]);
            EXPECT_EQ(entry[2], 16);
            EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 4);
        }
    }
}

TEST(Icons, ShowAWhiteFaceWithHandsAndTheirOwnRim)
{
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        IconPixels app(IDI_APP, size), idle(IDI_NOT_SYNCED, size), synced(IDI_SYNCED, size);
        ASSERT_TRUE(app.Loaded() && idle.Loaded() && synced.Loaded());
        const int mid = size / 2, c = size / 2 - 1, reach = size / 8 + 1;
        for (const IconPixels* icon : {&app, &idle, &synced}) {
            EXPECT_EQ(icon->At(0, 0), -1) << "corners are transparent";
            EXPECT_EQ(icon->At(size - 1, size - 1), -1);
            EXPECT_EQ(icon->At(c, c - reach), kBlack) << "minute hand points up";
            EXPECT_EQ(icon->At(c + reach, c), kBlack) << "hour hand points right";
            EXPECT_EQ(icon->At(c - 2, mid + 2), kWhite) << "face";
        }
        EXPECT_EQ(app.At(mid, 0), kGrey);
        EXPECT_EQ(synced.At(mid, 0), kGreen);
        EXPECT_EQ(idle.At(mid, 0), kRed);
        // The bar crosses the face from top left to bottom right.
        int onBar = size / 4 + 1;
        EXPECT_EQ(idle.At(onBar, onBar), kRed);
        EXPECT_EQ(app.At(onBar, onBar), kWhite);
        EXPECT_EQ(synced.At(onBar, onBar), kWhite);
    }
}

std::string VersionString(const std::vector<char>& block, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "<missing>";
    return value;
}

TEST(VersionBlock, HoldsVersionFlagsStringsAndTranslation)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);

    EXPECT_EQ(VersionString(block, "Comments"), "Sets PC time using an Orvanel Systems, Inc. GPS Clock");
    EXPECT_EQ(VersionString(block, "CompanyName"), "Orvanel Systems, Inc.");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Horalux");
    EXPECT_EQ(VersionString(block, "FileVersion"), "2, 0, 1, 0");
    EXPECT_EQ(VersionString(block, "InternalName"), "Horalux");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "horalux.exe");
    EXPECT_EQ(VersionString(block, "ProductName"), "Horalux Application");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "2, 0, 1, 0");
    EXPECT_EQ(VersionString(block, "SpecialBuild"), "<missing>");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);
}

TEST(Manifest, AsksForCommonControls6DpiAwarenessAndHighestAvailable)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    std::string manifest(data, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

} // namespace
