#include "about/UrlLabel_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "about/BrowserCommand.h"
#include "about/OpenErrorText.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"

CUrlLabel::CUrlLabel() : hoverColour_(GetSysColor(COLOR_HIGHLIGHT)) {}

CUrlLabel::~CUrlLabel()
{
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    if (font_) {
        // A window that outlives us must not keep drawing with a deleted font.
        if (Handle() && IsWindow(Handle())) SendMessageA(Handle(), WM_SETFONT, 0, FALSE);
        DeleteObject(font_);
    }
    if (linkCursor_) DestroyCursor(linkCursor_);
}

void CUrlLabel::SetTarget(const std::string& target, bool show)
{
    target_ = target;
    showTooltip = show;
    if (!Handle()) return;
    FitToText();
    if (showTooltip && tooltip_) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = Handle();
        tool.uId = 1;
        tool.lpszText = target_.data();
        SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CUrlLabel::MarkVisited(BOOL visited)
{
    visited_ = visited;
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void CUrlLabel::PreSubclassWindow()
{
    SetWindowLongA(Handle(), GWL_STYLE, GetWindowLongA(Handle(), GWL_STYLE) | SS_NOTIFY);
    const std::string text = GetText();
    if (target_.empty()) target_ = text;
    if (text.empty()) SetText(target_);
    CreateUnderlinedFont();
    FitToText();
    LoadLinkCursor();
    CreateTooltip();
    Window::PreSubclassWindow();
}

void CUrlLabel::CreateUnderlinedFont()
{
    auto font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
    // A control without a font of its own draws with its dialog's.
    if (!font) font = reinterpret_cast<HFONT>(SendMessageA(GetParent(Handle()), WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logFont{};
    if (!GetObjectA(font, sizeof logFont, &logFont)) return;
    logFont.lfUnderline = LOBYTE(underline_);
    font_ = CreateFontIndirectA(&logFont);
    if (font_) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

void CUrlLabel::CreateTooltip()
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               Application::Instance().Handle(), nullptr);
    if (!tooltip_) return;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.lpszText = target_.data();
    GetClientRect(Handle(), &tool.rect);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CUrlLabel::FitToText()
{
    if (!Handle() || !fitToText_) return;
    RECT rect;
    GetWindowRect(Handle(), &rect);
    if (HWND parent = GetParent(Handle()))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);

    const std::string text = GetText();
    SIZE extent{};
    HDC dc = GetDC(Handle());
    HGDIOBJ previous = font_ ? SelectObject(dc, font_) : nullptr;
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(Handle(), dc);

    const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    if (style & SS_CENTERIMAGE)
        InflateRect(&rect, 0, -((rect.bottom - rect.top) - extent.cy) / 2);
    else
        rect.bottom = rect.top + extent.cy;
    if (style & SS_CENTER)
        InflateRect(&rect, -((rect.right - rect.left) - extent.cx) / 2, 0);
    else if (style & SS_RIGHT)
        rect.left = rect.right - extent.cx;
    else
        rect.right = rect.left + extent.cx;
    SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER);
}

void CUrlLabel::LoadLinkCursor()
{
    if (linkCursor_) return;
    char directory[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::string path = std::string(directory, length) + "\\winhlp32.exe";
        // Only its resources are wanted, so none of its code is mapped to run.
        if (HMODULE help = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
            if (HCURSOR hand = LoadCursorA(help, MAKEINTRESOURCEA(106))) linkCursor_ = CopyIcon(hand);
            FreeLibrary(help);
        }
    }
    // Newer systems ship the help program without its hand cursor.
    if (!linkCursor_) {
        if (HCURSOR hand = LoadCursorA(nullptr, IDC_HAND)) linkCursor_ = CopyIcon(hand);
    }
}

LRESULT CUrlLabel::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETCURSOR:
        if (!linkCursor_) return FALSE;
        SetCursor(linkCursor_);
        return TRUE;
    case WM_MOUSEMOVE: {
        const LRESULT result = DefaultProc(msg, wp, lp);
        OnMouseMove(lp);
        return result;
    }
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a modal loop, the mail program): the
        // pointer's whereabouts are no longer known, so stop highlighting.
        if (hovering_ && reinterpret_cast<HWND>(lp) != Handle()) {
            hovering_ = FALSE;
            Redraw();
        }
        return DefaultProc(msg, wp, lp);
    default:
        return DefaultProc(msg, wp, lp);
    }
}

void CUrlLabel::OnMouseMove(LPARAM lp)
{
    if (!hovering_) {
        hovering_ = TRUE;
        Redraw();
        SetCapture(Handle());
        return;
    }
    RECT client;
    GetClientRect(Handle(), &client);
    const POINT point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (PtInRect(&client, point)) return;
    hovering_ = FALSE;
    ReleaseCapture();
    Redraw();
}

void CUrlLabel::Redraw()
{
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool CUrlLabel::OnReflectedMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    if (msg == WM_COMMAND && HIWORD(wp) == STN_CLICKED) {
        OnClicked();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, hovering_ ? hoverColour_ : visited_ ? visitedColour_ : linkColour_);
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    }
    return false;
}

bool CUrlLabel::PreTranslateMessage(MSG& msg)
{
    if (showTooltip && tooltip_)
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    return Window::PreTranslateMessage(msg);
}

void CUrlLabel::OnClicked()
{
    visited_ = OpenTarget(target_, SW_SHOW) ? TRUE : FALSE;
    if (visited_) {
        MarkVisited(TRUE);
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError();
}

bool CUrlLabel::OpenTarget(const std::string& target, int showCommand)
{
    lastOpenResult_ = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, showCommand)));
    if (lastOpenResult_ > 32) return true;
    // The classes root merges in the user's own classes: an elevated process
    // must not run a command that a standard-rights one could have chosen.
    if (RunsElevated()) return false;

    std::string registered;
    if (ReadClassesRootDefault(".htm", registered) != ERROR_SUCCESS) return false;
    if (ReadClassesRootDefault(registered + "\\shell\\open\\command", registered) != ERROR_SUCCESS)
        return false;
    const auto command = ComposeBrowserCommand(registered, target);
    if (!command) return false;
    lastOpenResult_ = static_cast<int>(WinExec(command->c_str(), static_cast<UINT>(showCommand)));
    return lastOpenResult_ > 32;
}

bool CUrlLabel::RunsElevated() const
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return !known || elevation.TokenIsElevated != 0;
}

LONG CUrlLabel::ReadClassesRootDefault(const std::string& subkey, std::string& value)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    char buffer[REGISTRY_VALUE_BUFFER] = {};
    LONG size = sizeof buffer;
    // A longer value fails with ERROR_MORE_DATA rather than being cut.
    status = RegQueryValueA(key, nullptr, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return status;
    buffer[sizeof buffer - 1] = '\0';
    // An unset default value reads as empty and names nothing to follow.
    if (buffer[0] == '\0') return ERROR_FILE_NOT_FOUND;
    value = buffer;
    return ERROR_SUCCESS;
}

void CUrlLabel::ShowOpenError()
{
    HWND owner = GetParent(Handle());
    ShowMessage(owner ? owner : Handle(), OpenErrorText(lastOpenResult_), MB_OK | MB_ICONEXCLAMATION);
}
