#include "ui/TimeSyncDlg_win32.h"

#include <ctime>

#include "about/AboutContactDlg_win32.h"
#include "clocklink/SystemError.h"
#include "sync/Settings.h"
#include "history/OffsetHistoryDlg_win32.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutModes.h"
#include "res/resource.h"
#include "service/ServiceLogPath_win32.h"
#include "service/ServiceState_win32.h"
#include "sync/StatusTexts.h"
#include "ui/HelpPage_win32.h"
#include "ui/TrayMessages.h"
#include "window/Application_win32.h"
#include "window/Handles_win32.h"
#include "window/MessageBox_win32.h"

namespace {

const UINT_PTR kClockTimer = 1;
const UINT_PTR kSyncTimer = 2;
// The service manager is asked now and then; the service's log file, while
// it runs, often enough that a line shows within a second of its writing.
const UINT_PTR kServiceTimer = 3;
const UINT_PTR kServiceLogTimer = 4;
const UINT kServiceCheckMs = 2000;
const UINT kServiceLogPollMs = 500;
const char kServiceName[] = "Horalux";
const UINT_PTR kNoTimer = static_cast<UINT_PTR>(-1);

// The zone's daylight-saving name when it has such rules at all, else its
// standard name; taken once, as the runtime reports it.
std::string TimeZoneName() {
    _tzset();
    return _daylight ? _tzname[1] : _tzname[0];
}

// The standard asctime form, line feed included; empty when the time cannot
// be broken down.
std::string AscTime(const std::tm* time) {
    if (!time) return std::string();
    const char* text = std::asctime(time);
    return text ? text : std::string();
}

}  // namespace

CTimeSyncDlg::CTimeSyncDlg(HWND parent, bool autoStart)
    : ZymLayoutDialog(IDD_MAIN, parent, nullptr, true),
      timeZoneText_(TimeZoneName()),
      idleIcon_(Application::Instance().LoadWindowIcon(IDI_NOT_SYNCED)),
      syncedIcon_(Application::Instance().LoadWindowIcon(IDI_SYNCED)),
      autoStart_(autoStart),
      serviceLog_(ServiceLogPath()),
      trayIcon_(IDR_TRAY_MENU),
      sync_(*this, runtime_, [](int id, std::string& out) {
          out = Application::Instance().LoadString(static_cast<unsigned>(id));
          return !out.empty();
      }) {}

CTimeSyncDlg::~CTimeSyncDlg() = default;

INT_PTR CTimeSyncDlg::DoModal() {
    if (!runtime_.Ready()) {
        ::ShowMessage(nullptr, IDS_RESOURCE_FAILED);
        return NOT_STARTED;
    }
    return ZymLayoutDialog::DoModal();
}

BOOL CTimeSyncDlg::OnInitDialog() {
    ZymLayoutDialog::OnInitDialog();
    AddAboutToSystemMenu();
    ShowIdleIcons();
    LoadSettings();
    BuildLayout();
    UpdateData(false);
    // Before an auto-start, which a running service takes the place of.
    WatchService();
    SetTimer(Handle(), kServiceTimer, kServiceCheckMs, nullptr);
    StartHiddenIfAutoStart();
    // Also after a refused auto-start, so the buttons are right at once.
    UpdateControls();
    return TRUE;
}

void CTimeSyncDlg::AddAboutToSystemMenu() {
    HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_RESTORE, MF_BYCOMMAND);
    const std::string about = Application::Instance().LoadString(IDS_ABOUT_ITEM);
    if (!about.empty()) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, about.c_str());
    }
    const std::string history = Application::Instance().LoadString(IDS_HISTORY_ITEM);
    if (!history.empty()) AppendMenuA(systemMenu, MF_STRING, IDM_HISTORY, history.c_str());
}

void CTimeSyncDlg::ShowIdleIcons() {
    currentIcon_ = &idleIcon_;
    SetIcon(*currentIcon_);
    trayIcon_.SetNotificationWnd(Handle(), WM_TRAY_NOTIFY);
    trayIcon_.SetIcon(IDI_NOT_SYNCED);
}

void CTimeSyncDlg::StartHiddenIfAutoStart() {
    if (!autoStart_) return;
    StartSync();
    // The template is visible, so the dialog manager shows the window
    // once OnInitDialog returns: that show, and its activation, is held back.
    keepHidden_ = true;
    ShowWindow(Handle(), SW_HIDE);
}

void CTimeSyncDlg::DoDataExchange(bool save) {
    if (save) {
        gmtText_ = ItemText(IDC_GMT);
        localText_ = ItemText(IDC_LOCAL_TIME);
        timeZoneText_ = ItemText(IDC_TIME_ZONE);
    } else {
        SetItemText(IDC_GMT, gmtText_);
        SetItemText(IDC_LOCAL_TIME, localText_);
        SetItemText(IDC_TIME_ZONE, timeZoneText_);
    }
}

void CTimeSyncDlg::LoadSettings() {
    HWND portBox = Item(IDC_PORT);
    for (unsigned i = 0; i < IDS_PORT_LIST_COUNT; ++i) {
        const std::string name = Application::Instance().LoadString(IDS_PORT_LIST_FIRST + i);
        SendMessageA(portBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    const Settings settings = ::LoadSettings(Application::Instance().Profile());
    // The item the stored name is, whatever its case; any other name (an
    // adapter's com7, or com12, which is no com1) stays as it was typed.
    const LRESULT match = SendMessageA(portBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(settings.port.c_str()));
    if (match != CB_ERR) SendMessageA(portBox, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    else SetItemText(IDC_PORT, settings.port);
    SetItemText(IDC_PERIOD, settings.period);
    loaded_ = Settings{ItemText(IDC_PORT), ItemText(IDC_PERIOD), SyncOptions{}};
    syncOptions_ = settings.sync;
}

void CTimeSyncDlg::SaveSettings() {
    const Settings now{ItemText(IDC_PORT), ItemText(IDC_PERIOD), SyncOptions{}};
    // Unchanged settings cost a standard user, who cannot write the file, no error box.
    if (now.port == loaded_.port && now.period == loaded_.period) return;
    ProfileStore& profile = Application::Instance().Profile();
    uint32_t error = 0;
    if (::SaveSettings(profile, now, error)) return;
    // A standard user cannot write the Windows folder, where the bare file name lands.
    ::ShowMessage(Handle(), Application::Instance().LoadString(IDS_SETTINGS_NOT_SAVED) + profile.Path() +
                                ".\r\n" + GetSystemErrorText(error));
}

// Gaps, border and the frame's caption height are given for 96 DPI.
void CTimeSyncDlg::BuildLayout() {
    const int32_t gap = Scaled(5), border = Scaled(5), header = Scaled(10);
    auto item = [this](int id, uint32_t modes) { return NewItem(id, modes, 0, 0, -1, -1); };
    auto row = [&](int label, int field, uint32_t modes) {
        LayoutNodeRef group = NewGroup(HORIZONTAL, modes, gap, 0, 0);
        group.As<LayoutGroup>()->AddItem(item(label, 0)).AddItem(item(field, 0));
        return group;
    };

    LayoutNodeRef frame = NewFramedGroup(IDC_SYSTEM_TIME_FRAME, VERTICAL, FIXED_HEIGHT, gap, border, header, 0);
    frame.As<LayoutGroup>()
        ->AddGroup(row(IDC_LOCAL_TIME_LABEL, IDC_LOCAL_TIME, 0))
        .AddGroup(row(IDC_GMT_LABEL, IDC_GMT, 0))
        .AddGroup(row(IDC_TIME_ZONE_LABEL, IDC_TIME_ZONE, 0));

    LayoutNodeRef left = NewGroup(VERTICAL, 0, gap, 0, 0);
    left.As<LayoutGroup>()
        ->AddGroup(row(IDC_PORT_LABEL, IDC_PORT, FIXED_HEIGHT))
        .AddGroup(row(IDC_PERIOD_LABEL, IDC_PERIOD, FIXED_HEIGHT))
        .AddGroup(frame)
        .AddItem(item(IDC_STATUS_LOG, 0));

    const uint32_t button = FIXED_WIDTH | FIXED_HEIGHT;
    LayoutNodeRef buttons = NewGroup(VERTICAL, FIXED_WIDTH, gap, 0, 0);
    buttons.As<LayoutGroup>()
        ->AddItem(item(IDC_START, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_STOP, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_HELP_BUTTON, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_EXIT, button));

    LayoutNodeRef root = CreateRoot(HORIZONTAL, gap, 0);
    root.As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
    UpdateLayout();
}

bool CTimeSyncDlg::OnAppMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    if (trayIcon_.OnTaskbarCreated(msg)) return true;
    if (msg == WM_TRAY_NOTIFY) {
        trayIcon_.OnTrayNotification(wp, lp);
        return true;
    }
    return false;
}

// Keys that reach the dialog while it is hidden (say, after a tray menu
// dismissed with Escape left it in the foreground) were meant for another
// window: they must not end the program or press a button.
bool CTimeSyncDlg::PreTranslateMessage(MSG& msg) {
    return msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && !IsWindowVisible(Handle());
}

bool CTimeSyncDlg::OnCommand(unsigned id, unsigned code, HWND) {
    switch (id) {
    case IDC_START:
    case ID_TRAY_START:
        StartSync();
        return true;
    case IDC_STOP:
    case ID_TRAY_STOP:
        StopSync();
        return true;
    case IDC_EXIT:
    case ID_TRAY_EXIT:
        OnExit();
        return true;
    case ID_TRAY_CONFIGURE:
        keepHidden_ = false;
        ShowWindow(Handle(), SW_RESTORE);
        return true;
    case ID_TRAY_HISTORY:
        OpenHistory();
        return true;
    case IDC_HELP_BUTTON:
        ShowHelp(Handle(), HID_MAIN_DIALOG, HELP_TOPIC_MAIN);
        return true;
    case IDC_STATUS_LOG:
        return code == EN_ERRSPACE;   // the log is bounded; nothing to do
    default:
        return false;
    }
}

bool CTimeSyncDlg::OnSysCommand(UINT command) {
    if (command == IDM_ABOUT) {
        CAboutContactDlg dlg(nullptr);
        dlg.DoModal();
        return true;
    }
    if (command == IDM_HISTORY) {
        OpenHistory();
        return true;
    }
    if (command == SC_MINIMIZE) {
        ShowWindow(Handle(), SW_HIDE);
        return true;
    }
    return false;
}

// The tray menu's Start and Stop are greyed like the buttons while the service runs.
void CTimeSyncDlg::OnInitMenuPopup(HMENU menu) {
    if (!serviceRunning_) return;
    EnableMenuItem(menu, ID_TRAY_START, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, ID_TRAY_STOP, MF_BYCOMMAND | MF_GRAYED);
}

// The clock display costs nothing while nobody can see it: it runs only
// while the window is shown and catches up at once when it appears.
void CTimeSyncDlg::OnShowChanged(bool visible) {
    if (visible) {
        RefreshClock();
        SetTimer(Handle(), kClockTimer, 1000, nullptr);
    } else {
        KillTimer(Handle(), kClockTimer);
    }
}

void CTimeSyncDlg::OnTimer(UINT_PTR timerId) {
    switch (timerId) {
    case kClockTimer:
        RefreshClock();
        break;
    case kSyncTimer:
        sync_.OnPeriodTick();
        break;
    // These update the controls only when something changed: they tick while the window rests.
    case kServiceTimer:
        WatchService();
        return;
    case kServiceLogTimer:
        ShowServiceLines();
        return;
    }
    UpdateControls();
}

void CTimeSyncDlg::RefreshClock() {
    const std::time_t now = std::time(nullptr);
    gmtText_ = AscTime(std::gmtime(&now));
    localText_ = AscTime(std::localtime(&now));
    UpdateData(false);
}

void CTimeSyncDlg::OnExit() {
    CloseHistory();
    UpdateData(true);
    SaveSettings();
    StopSync();
    OnOK();
}

// Only a minimised window draws its icon; otherwise the dialog paints itself.
bool CTimeSyncDlg::OnPaint() {
    if (!IsIconic(Handle())) return false;
    const PaintDC dc(Handle());
    SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT client;
    GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.Get(), x, y, currentIcon_->big.Get());
    return true;
}

void CTimeSyncDlg::OnWindowPosChanging(WINDOWPOS& pos) {
    if (keepHidden_ && (pos.flags & SWP_SHOWWINDOW)) {
        pos.flags = (pos.flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
        keepHidden_ = false;
    }
}

void CTimeSyncDlg::OnCancel() {
    CloseHistory();
    ZymLayoutDialog::OnCancel();
}

// Modal, owned by the main window while it shows; one at a time.
void CTimeSyncDlg::OpenHistory() {
    if (historyDlg_) {
        SetForegroundWindow(historyDlg_->Handle());
        return;
    }
    COffsetHistoryDlg dialog(IsWindowVisible(Handle()) ? Handle() : nullptr, history_);
    historyDlg_ = &dialog;
    dialog.DoModal();
    historyDlg_ = nullptr;
}

// The program is ending: the history's loop ends first.
void CTimeSyncDlg::CloseHistory() {
    if (historyDlg_) historyDlg_->EndDialog(IDCANCEL);
}

void CTimeSyncDlg::AddPoint(const OffsetPoint& point) {
    history_.Add(point);
    lastResult_ = point;
    hasResult_ = true;
    if (historyDlg_) historyDlg_->Refresh();
}

void CTimeSyncDlg::OnResult(const SyncStatus& status, const std::string& line) {
    OffsetPoint point;
    if (PointFromStatus(status, lastLineTime_, line, point)) AddPoint(point);
}

void CTimeSyncDlg::OnDestroy() {
    Application::Instance().WinHelp(Handle(), HELP_QUIT, 0);
    ZymLayoutDialog::OnDestroy();
}

// The whole log goes into the box with redrawing off, scrolled to its end.
void CTimeSyncDlg::ShowStatusLog() {
    HWND box = Item(IDC_STATUS_LOG);
    if (!box) return;
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(box, statusLog_.Text().c_str());
    const LRESULT lines = SendMessageA(box, EM_GETLINECOUNT, 0, 0);
    SendMessageA(box, EM_LINESCROLL, 0, lines);
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

// While the service runs, Start and Stop are greyed (the port is the
// service's) and the icons show the service's last result.
void CTimeSyncDlg::UpdateControls() {
    const uint32_t flags = sync_.State().flags;
    const bool running = (flags & SYNC_RUNNING) != 0;
    EnableItem(IDC_START, !running && !serviceRunning_);
    EnableItem(IDC_PORT, !running);
    EnableItem(IDC_PERIOD, !running);
    EnableItem(IDC_STOP, running && !serviceRunning_);

    const int last = serviceLog_.LastId();
    const bool synced = serviceRunning_ ? last == IDS_TIME_SET || last == IDS_SAMPLE_SENT : running && (flags & SYNC_LAST_OK);
    currentIcon_ = synced ? &syncedIcon_ : &idleIcon_;
    trayIcon_.SetIcon(synced ? IDI_SYNCED : IDI_NOT_SYNCED, TrayTip(running).c_str());
    SetIcon(*currentIcon_);
}

// The last result while synchronising or while the service runs.
std::string CTimeSyncDlg::TrayTip(bool running) const {
    if (hasResult_ && (running || serviceRunning_)) return TipText(lastResult_);
    return serviceRunning_ ? Application::Instance().LoadString(IDS_SERVICE_TIP) : std::string();
}

// Polled: the service's start stops a worker of the window's own, which
// would fight it for the port; its stop makes Start available again.
void CTimeSyncDlg::WatchService() {
    const bool running = IsServiceRunning(kServiceName);
    if (running == serviceRunning_) return;
    if (running && sync_.State().workerAlive) {
        StopSync();
        // Once the worker has quit, its last line is queued: the service's lines come after it.
        if (!sync_.State().workerAlive && PostMessageA(Handle(), WM_TIMER, kServiceTimer, 0)) return;
    }
    serviceRunning_ = running;
    hasResult_ = false;   // the window's own result is no longer the last
    const bool feeds = running && ::LoadSettings(Application::Instance().Profile()).sync.feedsWindowsTime;
    LogStatus(Application::Instance().LoadString(!running ? IDS_SERVICE_STOPPED : feeds ? IDS_SERVICE_FEEDS : IDS_SERVICE_RUNNING));
    if (running) {
        // Following anew shows the latest lines already written.
        serviceLog_ = ServiceLogTail(ServiceLogPath());
        ShowServiceLines();
        SetTimer(Handle(), kServiceLogTimer, kServiceLogPollMs, nullptr);
    } else {
        KillTimer(Handle(), kServiceLogTimer);
    }
    UpdateControls();
}

// Each line with the service's own time of writing, as the window's own lines are shown.
void CTimeSyncDlg::ShowServiceLines() {
    const std::vector<ServiceLogEntry> entries = serviceLog_.Poll();
    if (entries.empty()) return;
    for (const ServiceLogEntry& entry : entries) {
        if (entry.time.empty()) {
            LogStatus(entry.text);   // the window's own word on the log
            continue;
        }
        statusLog_.Append(entry.time, entry.text);
        OffsetPoint point;
        if (PointFromLogEntry(entry, point)) AddPoint(point);
    }
    ShowStatusLog();
    UpdateControls();
}

void CTimeSyncDlg::StartSync() {
    if (serviceRunning_) return;   // the port is the service's (an auto-start comes here too)
    UpdateData(true);
    sync_.StartSync(ItemText(IDC_PERIOD), ItemText(IDC_PORT), syncOptions_);
}

void CTimeSyncDlg::ShowMessage(int stringId, const std::string& suffix) {
    // Closing a box activates its owner, which must not happen to the hidden dialog.
    ::ShowMessage(IsWindowVisible(Handle()) ? Handle() : nullptr,
                  Application::Instance().LoadString(static_cast<unsigned>(stringId)) + suffix);
}

void CTimeSyncDlg::ClearStatusLog() {
    statusLog_.Clear();
    hasResult_ = false;
    ShowStatusLog();
}

void CTimeSyncDlg::LogStatus(const std::string& line) {
    char stamp[16] = "";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", local);
        lastLineTime_ = CivilSeconds(*local);
    }
    statusLog_.Append(stamp, line);
    ShowStatusLog();
}

void CTimeSyncDlg::ShowStatusBoxText(const std::string& text) {
    SetItemText(IDC_STATUS_LOG, text);
}

void CTimeSyncDlg::ArmPeriodTimer(uint32_t milliseconds) {
    syncTimerId_ = SetTimer(Handle(), kSyncTimer, milliseconds, nullptr);
}

void CTimeSyncDlg::KillPeriodTimer() {
    if (syncTimerId_ != kNoTimer) KillTimer(Handle(), kSyncTimer);
    syncTimerId_ = kNoTimer;
}
