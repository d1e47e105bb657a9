#pragma once
#include <windows.h>

#include <string>

#include "sync/Settings.h"
#include "history/OffsetHistory.h"
#include "layout/ZymLayoutDialog_win32.h"
#include "service/ServiceLogTail_win32.h"
#include "sync/StatusLog.h"
#include "sync/SyncControl.h"
#include "sync/SyncThread_win32.h"
#include "ui/TrayIcon_win32.h"

// The main window: port and period, Start and Stop, the clock display, the
// status log and the tray icon. Minimising hides it to the tray.
class COffsetHistoryDlg;

class CTimeSyncDlg : public ZymLayoutDialog, private SyncHost {
public:
    CTimeSyncDlg(HWND parent, bool autoStart);
    ~CTimeSyncDlg() override;

    // Without showing the dialog when the wake-up event could not be made.
    static constexpr INT_PTR NOT_STARTED = 3;
    INT_PTR DoModal() override;

    void StartSync();
    void StopSync() { sync_.StopSync(); }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(unsigned id, unsigned code, HWND control) override;
    void DoDataExchange(bool save) override;
    void OnTimer(UINT_PTR timerId) override;
    void OnDestroy() override;
    void OnCancel() override;
    void OnWindowPosChanging(WINDOWPOS& pos) override;
    void OnShowChanged(bool visible) override;
    bool OnSysCommand(UINT command) override;
    void OnInitMenuPopup(HMENU menu) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override { return currentIcon_->big.Get(); }
    bool OnAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnExit();
    void UpdateControls() override;

    void AddAboutToSystemMenu();
    void ShowIdleIcons();
    void StartHiddenIfAutoStart();
    void RefreshClock();
    void LoadSettings();
    void SaveSettings();
    void BuildLayout();
    void ShowStatusLog();
    void WatchService();
    void ShowServiceLines();
    void AddPoint(const OffsetPoint& point);
    void OpenHistory();
    void CloseHistory();
    std::string TrayTip(bool running) const;

    // SyncHost
    void ShowMessage(int stringId, const std::string& suffix) override;
    void ClearStatusLog() override;
    void LogStatus(const std::string& line) override;
    void ShowStatusBoxText(const std::string& text) override;
    void ArmPeriodTimer(uint32_t milliseconds) override;
    void KillPeriodTimer() override;
    void OnResult(const SyncStatus& status, const std::string& line) override;

    std::string gmtText_;
    std::string localText_;
    std::string timeZoneText_;
    WindowIcon idleIcon_;
    WindowIcon syncedIcon_;
    const WindowIcon* currentIcon_ = &idleIcon_;
    bool autoStart_;
    // Set at auto-start until the dialog manager's first show has been held back.
    bool keepHidden_ = false;
    // The port and period as loaded: Exit stores them only when they changed.
    Settings loaded_;
    // While the service runs it owns the port, and its lines are shown.
    bool serviceRunning_ = false;
    ServiceLogTail serviceLog_;
    StatusLog statusLog_;
    // Every set and failure of the last day, whichever side made it; the
    // window showing them while it is open; the last one for the tray's tip
    // (until the log starts anew); the time of the last line logged.
    OffsetHistory history_;
    COffsetHistoryDlg* historyDlg_ = nullptr;
    OffsetPoint lastResult_;
    bool hasResult_ = false;
    int64_t lastLineTime_ = 0;
    CTrayIcon trayIcon_;
    UINT_PTR syncTimerId_ = static_cast<UINT_PTR>(-1);
    Win32SyncRuntime runtime_;
    SyncControl sync_;
    SyncOptions syncOptions_;   // from the settings file, which alone can change them
};
