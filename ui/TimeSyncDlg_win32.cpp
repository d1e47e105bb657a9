#include "ui/TimeSyncDlg_win32.h"

#include <ctime>

#include "about/AboutContactDlg_win32.h"
#include "clocklink/SystemError.h"
#include "layout/LayoutGroup.h"
#include "layout/LayoutModes.h"
#include "res/resource.h"
#include "sync/StatusTexts.h"
#include "ui/TrayMessages.h"
#include "window/Application.h"
#include "window/MessageBox.h"

namespace {

const UINT_PTR kClockTimer = 1;
const UINT_PTR kSyncTimer = 2;
const UINT_PTR kNoTimer = static_cast<UINT_PTR>(-1);

const char kPortSection[] = "Communication";
const char kPortKey[] = "CommPort";
const char kPeriodSection[] = "Update";
const char kPeriodKey[] = "Frequency";

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
      idleIcon_(Application::Instance().LoadIcon(IDI_NOT_SYNCED)),
      syncedIcon_(Application::Instance().LoadIcon(IDI_SYNCED)),
      autoStart_(autoStart),
      trayIcon_(IDR_TRAY_MENU),
      sync_(*this, runtime_, [](int id, std::string& out) {
          out = Application::Instance().LoadString(static_cast<unsigned>(id));
          return !out.empty();
      }) {
    currentIcon_ = idleIcon_;
}

CTimeSyncDlg::~CTimeSyncDlg() = default;

INT_PTR CTimeSyncDlg::DoModal() {
    if (!runtime_.Ready()) {
        ::ShowMessage(nullptr, IDS_RESOURCE_FAILED);
        return 3;
    }
    return ZymLayoutDialog::DoModal();
}

BOOL CTimeSyncDlg::OnInitDialog() {
    ZymLayoutDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_RESTORE, MF_BYCOMMAND);
    const std::string about = Application::Instance().LoadString(IDS_ABOUT_ITEM);
    if (!about.empty()) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, about.c_str());
    }

    currentIcon_ = idleIcon_;
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(currentIcon_));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(currentIcon_));

    trayIcon_.SetNotificationWnd(Handle(), WM_TRAY_NOTIFY);
    trayIcon_.SetIcon(IDI_NOT_SYNCED);

    clockTimerId_ = SetTimer(Handle(), kClockTimer, 1000, nullptr);

    LoadSettings();
    BuildLayout();
    UpdateData(false);

    if (autoStart_) {
        StartSync();
        // The template is visible, so the dialog manager shows the window
        // once this returns: that show, and its activation, is held back.
        keepHidden_ = true;
        ShowWindow(Handle(), SW_HIDE);
    }
    // Also after a refused auto-start, so the buttons are right at once.
    UpdateControls();
    return TRUE;
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
    ProfileStore& profile = Application::Instance().Profile();
    const std::string port = profile.GetString(kPortSection, kPortKey, "com1");
    const LRESULT match = SendMessageA(portBox, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(port.c_str()));
    if (match != CB_ERR) SendMessageA(portBox, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    SetItemText(IDC_PERIOD, profile.GetString(kPeriodSection, kPeriodKey, "60"));
}

void CTimeSyncDlg::SaveSettings() {
    ProfileStore& profile = Application::Instance().Profile();
    uint32_t error = 0;
    if (profile.WriteString(kPortSection, kPortKey, ItemText(IDC_PORT), &error) &&
        profile.WriteString(kPeriodSection, kPeriodKey, ItemText(IDC_PERIOD), &error))
        return;
    // A standard user cannot write the Windows folder, where the bare file name lands.
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, MAX_PATH);
    ::ShowMessage(Handle(), "The settings could not be saved in " + std::string(folder) + "\\" +
                                profile.FileName() + ".\r\n" + GetSystemErrorText(error));
}

void CTimeSyncDlg::BuildLayout() {
    auto item = [this](int id, uint32_t modes) { return NewItem(id, modes, 0, 0, -1, -1); };
    auto row = [&](int label, int field, uint32_t modes) {
        LayoutNodeRef group = NewGroup(HORIZONTAL, modes, 5, 0, 0);
        group.As<LayoutGroup>()->AddItem(item(label, 0)).AddItem(item(field, 0));
        return group;
    };

    LayoutNodeRef frame = NewFramedGroup(IDC_SYSTEM_TIME_FRAME, VERTICAL, FIXED_HEIGHT, 5, 5, 10, 0);
    frame.As<LayoutGroup>()
        ->AddGroup(row(IDC_LOCAL_TIME_LABEL, IDC_LOCAL_TIME, 0))
        .AddGroup(row(IDC_GMT_LABEL, IDC_GMT, 0))
        .AddGroup(row(IDC_TIME_ZONE_LABEL, IDC_TIME_ZONE, 0));

    LayoutNodeRef left = NewGroup(VERTICAL, 0, 5, 0, 0);
    left.As<LayoutGroup>()
        ->AddGroup(row(IDC_PORT_LABEL, IDC_PORT, FIXED_HEIGHT))
        .AddGroup(row(IDC_PERIOD_LABEL, IDC_PERIOD, FIXED_HEIGHT))
        .AddGroup(frame)
        .AddItem(item(IDC_STATUS_LOG, 0));

    const uint32_t button = FIXED_WIDTH | FIXED_HEIGHT;
    LayoutNodeRef buttons = NewGroup(VERTICAL, FIXED_WIDTH, 5, 0, 0);
    buttons.As<LayoutGroup>()
        ->AddItem(item(IDC_START, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_STOP, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_HELP_BUTTON, button))
        .AddItem(NewSpacer(true))
        .AddItem(item(IDC_EXIT, button));

    LayoutNodeRef root = CreateRoot(HORIZONTAL, 5, 0);
    root.As<LayoutGroup>()->AddGroup(left).AddGroup(buttons);
    UpdateLayout();
}

LRESULT CTimeSyncDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (trayIcon_.OnTaskbarCreated(msg)) return 0;
    switch (msg) {
    case WM_SYSCOMMAND:
        return OnSysCommand(wp, lp);
    case WM_PAINT:
        if (IsIconic(Handle())) {
            OnPaint();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(currentIcon_);
    case WM_TIMER:
        OnTimer(wp);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lp));
        break;
    case WM_TRAY_NOTIFY:
        trayIcon_.OnTrayNotification(wp, lp);
        return 0;
    default:
        break;
    }
    return ZymLayoutDialog::WindowProc(msg, wp, lp);
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
    case IDC_HELP_BUTTON:
        Application::Instance().WinHelp(Handle(), HELP_CONTEXT, HID_MAIN_DIALOG);
        return true;
    case IDC_STATUS_LOG:
        return code == EN_ERRSPACE;   // the log is bounded; nothing to do
    default:
        return false;
    }
}

LRESULT CTimeSyncDlg::OnSysCommand(WPARAM command, LPARAM lp) {
    if ((command & 0xFFF0) == IDM_ABOUT) {
        CAboutContactDlg dlg(nullptr);
        dlg.DoModal();
        return 0;
    }
    if ((command & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(Handle(), SW_HIDE);
        return 0;
    }
    return ZymLayoutDialog::WindowProc(WM_SYSCOMMAND, command, lp);
}

void CTimeSyncDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kClockTimer) {
        const std::time_t now = std::time(nullptr);
        gmtText_ = AscTime(std::gmtime(&now));
        localText_ = AscTime(std::localtime(&now));
        UpdateData(false);
    } else if (timerId == kSyncTimer) {
        sync_.OnPeriodTick();
    }
    UpdateControls();
}

void CTimeSyncDlg::OnExit() {
    UpdateData(true);
    SaveSettings();
    StopSync();
    OnOK();
}

void CTimeSyncDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, currentIcon_);
    EndPaint(Handle(), &paint);
}

void CTimeSyncDlg::OnWindowPosChanging(WINDOWPOS& pos) {
    if (keepHidden_ && (pos.flags & SWP_SHOWWINDOW)) {
        pos.flags = (pos.flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
        keepHidden_ = false;
    }
}

void CTimeSyncDlg::OnDestroy() {
    Application::Instance().WinHelp(Handle(), HELP_QUIT, 0);
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

void CTimeSyncDlg::UpdateControls() {
    const uint32_t flags = sync_.State().flags;
    const bool running = (flags & SYNC_RUNNING) != 0;
    EnableWindow(Item(IDC_START), !running);
    EnableWindow(Item(IDC_PORT), !running);
    EnableWindow(Item(IDC_PERIOD), !running);
    EnableWindow(Item(IDC_STOP), running);

    const bool synced = running && (flags & SYNC_LAST_OK);
    currentIcon_ = synced ? syncedIcon_ : idleIcon_;
    trayIcon_.SetIcon(synced ? IDI_SYNCED : IDI_NOT_SYNCED);
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(currentIcon_));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(currentIcon_));
}

void CTimeSyncDlg::StartSync() {
    UpdateData(true);
    sync_.StartSync(ItemText(IDC_PERIOD), ItemText(IDC_PORT));
}

void CTimeSyncDlg::ShowMessage(int stringId, const std::string& suffix) {
    // Closing a box activates its owner, which must not happen to the hidden dialog.
    ::ShowMessage(IsWindowVisible(Handle()) ? Handle() : nullptr,
                  Application::Instance().LoadString(static_cast<unsigned>(stringId)) + suffix);
}

void CTimeSyncDlg::ClearStatusLog() {
    statusLog_.Clear();
    ShowStatusLog();
}

void CTimeSyncDlg::LogStatus(const std::string& line) {
    char stamp[16] = "";
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", local);
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
