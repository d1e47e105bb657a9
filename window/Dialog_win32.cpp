#include "window/Dialog_win32.h"
#include "window/Application_win32.h"

Dialog::Dialog(unsigned templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog()
{
    // Only reached with a live window if DoModal was left abnormally.
    if (HWND window = UnsubclassWindow()) DestroyWindow(window);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    // The dialog takes over the window procedure at WM_INITDIALOG, so every
    // later message reaches WindowProc first and this procedure only answers
    // the default dialog processing with "not handled".
    if (msg == WM_INITDIALOG) {
        Dialog* dialog = reinterpret_cast<Dialog*>(lp);
        if (dialog && dialog->SubclassWindow(window))
            return static_cast<INT_PTR>(dialog->WindowProc(msg, wp, lp));
    }
    return FALSE;
}

INT_PTR Dialog::DoModal()
{
    result_ = -1;
    ended_ = false;
    // EnableWindow answers whether the owner was disabled already.
    const bool ownerDisabled = parent_ && !EnableWindow(parent_, FALSE);

    HWND window = CreateDialogParamA(Application::Instance().Handle(), MAKEINTRESOURCEA(templateId_),
                                     parent_, &DialogProc, reinterpret_cast<LPARAM>(this));
    WPARAM quitCode = 0;
    const bool quit = window && Handle() == window && RunModalLoop(quitCode);

    // The owner is enabled before the dialog goes so that activation returns
    // to it and not to some other application.
    if (ownerDisabled) EnableWindow(parent_, TRUE);
    if (window && IsWindow(window)) DestroyWindow(window);
    UnsubclassWindow();

    if (quit) {
        // The outer loop must see the quit request too.
        PostQuitMessage(static_cast<int>(quitCode));
        return -1;
    }
    return window ? result_ : -1;
}

bool Dialog::RunModalLoop(WPARAM& quitCode)
{
    MSG msg;
    while (!ended_ && Handle()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            quitCode = msg.wParam;
            return true;
        }
        if (got == -1) break;
        if (PreTranslateChain(msg)) continue;
        if (Handle() && IsDialogMessageA(Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

void Dialog::EndDialog(INT_PTR result)
{
    result_ = result;
    ended_ = true;
    // A message sent from another thread is handled inside GetMessage,
    // which would then go on waiting.
    if (Handle()) PostMessageA(Handle(), WM_NULL, 0, 0);
}

bool Dialog::PreTranslateChain(MSG& msg)
{
    for (HWND window = msg.hwnd; window;
         window = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr) {
        Window* object = FromHandle(window);
        if (object && object->PreTranslateMessage(msg)) return true;
    }
    return false;
}

bool Dialog::ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    HWND control = nullptr;
    if (msg == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        if (header) control = header->hwndFrom;
    } else {
        control = reinterpret_cast<HWND>(lp);
    }
    Window* object = FromHandle(control);
    return object && object != this && object->OnReflectedMessage(msg, wp, lp, result);
}

LRESULT Dialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return DispatchCommand(wp, lp);
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        if (ReflectToControl(msg, wp, lp, result)) return result;
        break;
    default:
        if (DispatchWindowMessage(msg, wp, lp, result)) return result;
        break;
    }
    return DefaultProc(msg, wp, lp);
}

LRESULT Dialog::DispatchCommand(WPARAM wp, LPARAM lp)
{
    LRESULT result = 0;
    if (lp && ReflectToControl(WM_COMMAND, wp, lp, result)) return result;
    const unsigned id = LOWORD(wp);
    const unsigned code = HIWORD(wp);
    if (OnCommand(id, code, reinterpret_cast<HWND>(lp))) return 0;
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return 0;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return 0;
    }
    return DefaultProc(WM_COMMAND, wp, lp);
}

// True when a handler answered the message in full; notifications only
// observe it and leave the default processing to run.
bool Dialog::DispatchWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_TIMER:
        OnTimer(wp);
        return false;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return false;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lp));
        return false;
    case WM_WINDOWPOSCHANGED: {
        const UINT flags = reinterpret_cast<const WINDOWPOS*>(lp)->flags;
        if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) OnShowChanged((flags & SWP_SHOWWINDOW) != 0);
        return false;
    }
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
        return false;
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wp & 0xFFF0));
    case WM_PAINT:
        return OnPaint();
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
    case WM_ERASEBKGND:
        result = TRUE;
        return OnEraseBackground(reinterpret_cast<HDC>(wp));
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return result != 0;
    default:
        return msg >= WM_APP && OnAppMessage(msg, wp, lp, result);
    }
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(unsigned, unsigned, HWND)
{
    return false;
}

void Dialog::DoDataExchange(bool) {}

std::string Dialog::ItemText(int id) const
{
    return TextOf(Item(id));
}

void Dialog::SetItemText(int id, const std::string& text)
{
    SetDlgItemTextA(Handle(), id, text.c_str());
}

void Dialog::EnableItem(int id, bool enable)
{
    EnableWindow(Item(id), enable);
}

void Dialog::SetIcon(const WindowIcon& icon)
{
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.big.Get()));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.small.Get()));
}

void Dialog::OnTimer(UINT_PTR) {}
void Dialog::OnDestroy() {}
void Dialog::OnSize(UINT, int, int) {}
void Dialog::OnWindowPosChanging(WINDOWPOS&) {}
void Dialog::OnShowChanged(bool) {}
bool Dialog::OnSysCommand(UINT) { return false; }
void Dialog::OnInitMenuPopup(HMENU) {}
bool Dialog::OnPaint() { return false; }
bool Dialog::OnGetMinMaxInfo(MINMAXINFO&) { return false; }
bool Dialog::OnEraseBackground(HDC) { return false; }
HICON Dialog::OnQueryDragIcon() { return nullptr; }
bool Dialog::OnAppMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
