#pragma once
#include "window/Handles_win32.h"
#include "window/Window_win32.h"
#include <string>

// A dialog from a resource template run modally by its own message loop.
// Control notifications go first to the control's attached Window object
// (OnReflectedMessage); only unhandled ones reach the dialog's handlers.
// Derived dialogs override the handlers below instead of WindowProc.
class Dialog : public Window {
public:
    Dialog(unsigned templateId, HWND parent);
    ~Dialog() override;

    // The EndDialog code, or -1 when the template cannot be created or the
    // loop ends on WM_QUIT (which is posted again for the outer loop).
    virtual INT_PTR DoModal();
    // Callable from any handler, OnInitDialog included.
    void EndDialog(INT_PTR result);

    void UpdateData(bool save) { DoDataExchange(save); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);
    void EnableItem(int id, bool enable);
    // The caption's and the task switcher's icon, both sizes.
    void SetIcon(const WindowIcon& icon);

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    // Default: push member values into the controls, let the system set focus.
    // The system shows a visible template after this returns, even if it was
    // hidden here: a dialog that must start hidden hides itself from a
    // message it posts here.
    virtual BOOL OnInitDialog();
    // Default: take the control values and end with IDOK.
    virtual void OnOK();
    // Default: end with IDCANCEL. Escape, the close box and the system
    // menu's Close arrive here.
    virtual void OnCancel();
    // True when handled; IDOK and IDCANCEL fall through to OnOK and OnCancel.
    virtual bool OnCommand(unsigned id, unsigned code, HWND control);
    // save: controls -> members; otherwise members -> controls.
    virtual void DoDataExchange(bool save);

    // Notifications: the default processing follows each of them.
    virtual void OnTimer(UINT_PTR timerId);
    virtual void OnDestroy();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnWindowPosChanging(WINDOWPOS& pos);
    // The window was shown or hidden (minimising included, restoring too).
    virtual void OnShowChanged(bool visible);
    // True when handled; otherwise the default processing runs.
    virtual bool OnSysCommand(UINT command);
    // A menu of the window's (the system menu included) is about to open.
    virtual void OnInitMenuPopup(HMENU menu);
    virtual bool OnPaint();
    virtual bool OnGetMinMaxInfo(MINMAXINFO& info);
    virtual bool OnEraseBackground(HDC dc);
    // The icon dragged for a minimised window; null: the default.
    virtual HICON OnQueryDragIcon();
    // The program's own messages (WM_APP and above, registered ones): true
    // when handled, with the result.
    virtual bool OnAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    // Pumps until EndDialog or WM_QUIT; true with the code on WM_QUIT.
    bool RunModalLoop(WPARAM& quitCode);
    bool PreTranslateChain(MSG& msg);
    bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    LRESULT DispatchCommand(WPARAM wp, LPARAM lp);
    bool DispatchWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    unsigned templateId_;
    HWND parent_;
    INT_PTR result_ = -1;
    bool ended_ = false;
};
