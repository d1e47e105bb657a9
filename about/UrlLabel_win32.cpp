#include "about/UrlLabel_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "about/OpenErrorText.h"
#include "about/RegisteredBrowser_win32.h"
#include "window/Application_win32.h"
#include "window/MessageBox_win32.h"

CUrlLabel::CUrlLabel() : hoverColour_(GetSysColor(COLOR_HIGHLIGHT)) {}

CUrlLabel::~CUrlLabel()
{
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    // A window that outlives us must not keep drawing with a deleted font.
    if (font_ && Handle() && IsWindow(Handle())) SendMessageA(Handle(), WM_SETFONT, 0, FALSE);
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
    font_.Reset(CreateFontIndirectA(&logFont));
    if (font_) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
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
    {
        const WindowDC dc(Handle());
        HGDIOBJ previous = font_ ? SelectObject(dc.Get(), font_.Get()) : nullptr;
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        if (previous) SelectObject(dc.Get(), previous);
    }

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
        const Module help(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (help) {
            if (HCURSOR hand = LoadCursorA(help.Get(), MAKEINTRESOURCEA(106))) linkCursor_.Reset(CopyIcon(hand));
        }
    }
    // Newer systems ship the help program without its hand cursor.
    if (!linkCursor_) {
        if (HCURSOR hand = LoadCursorA(nullptr, IDC_HAND)) linkCursor_.Reset(CopyIcon(hand));
    }
}

LRESULT CUrlLabel::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETCURSOR) return OnSetCursor();
    const LRESULT result = DefaultProc(msg, wp, lp);
    if (msg == WM_MOUSEMOVE) OnMouseMove(lp);
    if (msg == WM_CAPTURECHANGED) OnCaptureChanged(reinterpret_cast<HWND>(lp));
    return result;
}

LRESULT CUrlLabel::OnSetCursor()
{
    if (!linkCursor_) return FALSE;
    SetCursor(linkCursor_.Get());
    return TRUE;
}

// Someone else took the mouse (a modal loop, the mail program): the pointer's
// whereabouts are no longer known, so stop highlighting.
void CUrlLabel::OnCaptureChanged(HWND taker)
{
    if (!hovering_ || taker == Handle()) return;
    hovering_ = FALSE;
    Redraw();
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
    if (msg != WM_CTLCOLORSTATIC) return false;
    result = OnColour(reinterpret_cast<HDC>(wp));
    return true;
}

// Hovering wins over visited; the parent's background shows through.
LRESULT CUrlLabel::OnColour(HDC dc) const
{
    SetTextColor(dc, hovering_ ? hoverColour_ : visited_ ? visitedColour_ : linkColour_);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
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

// Elevated, the browser would run elevated too, through the shell as well:
// the user gets the address instead.
bool CUrlLabel::OpenTarget(const std::string& target, int showCommand)
{
    if (RunsElevated()) {
        ShowAddressToCopy(GetParent(Handle()), target);
        return true;
    }
    lastOpenResult_ = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, showCommand)));
    return lastOpenResult_ > 32 ||
           StartRegisteredBrowser(target, static_cast<UINT>(showCommand), false, &lastOpenResult_);
}

bool CUrlLabel::RunsElevated() const
{
    return Application::RunsElevated();
}

void CUrlLabel::ShowOpenError()
{
    HWND owner = GetParent(Handle());
    ShowMessage(owner ? owner : Handle(), OpenErrorText(lastOpenResult_), MB_OK | MB_ICONEXCLAMATION);
}
