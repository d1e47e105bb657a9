#include "service/HoraluxService_win32.h"

#include <windows.h>

#include "sync/Settings.h"
#include "service/ServiceLog_win32.h"
#include "sync/SyncControl.h"
#include "sync/SyncThread_win32.h"
#include "timeprov/FeedPipeClient_win32.h"
#include "window/Application_win32.h"
#include "window/Handles_win32.h"

namespace {

// Stop waits SyncControl::kStopWaitMs at most for the worker.
constexpr DWORD kStopHintMs = 2000;

// The service's side of the service manager: its status and the requests
// the control handler passes on to the service's thread.
struct ServiceControls {
    SERVICE_STATUS_HANDLE handle = nullptr;
    KernelHandle stop{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle reread{CreateEventA(nullptr, FALSE, FALSE, nullptr)};

    void Report(DWORD state, DWORD waitHint = 0, DWORD exitCode = NO_ERROR) {
        SERVICE_STATUS status = {};
        status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status.dwCurrentState = state;
        if (state == SERVICE_RUNNING)
            status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PARAMCHANGE;
        status.dwWin32ExitCode = exitCode;
        status.dwWaitHint = waitHint;
        SetServiceStatus(handle, &status);
    }
};

ServiceControls& Controls() {
    static ServiceControls controls;
    return controls;
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        Controls().Report(SERVICE_STOP_PENDING, kStopHintMs);
        SetEvent(Controls().stop.Get());
        return NO_ERROR;
    case SERVICE_CONTROL_PARAMCHANGE:
        SetEvent(Controls().reread.Get());
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The dialog's part for a service: messages become log lines and the period
// timer is a waitable timer that the service's thread waits on.
class ServiceHost : public SyncHost {
public:
    ServiceHost(ServiceLog& log, HANDLE timer) : log_(log), timer_(timer) {}

    void ShowMessage(int stringId, const std::string& suffix) override {
        log_.Write(stringId, Application::Instance().LoadString(static_cast<unsigned>(stringId)) + suffix);
    }
    void ClearStatusLog() override {}
    void LogStatus(const std::string&) override {}   // the workers write to the log themselves
    void ShowStatusBoxText(const std::string&) override {}
    void ArmPeriodTimer(uint32_t milliseconds) override {
        LARGE_INTEGER due;
        due.QuadPart = -10000LL * milliseconds;
        SetWaitableTimer(timer_, &due, static_cast<LONG>(milliseconds), nullptr, nullptr, FALSE);
    }
    void KillPeriodTimer() override { CancelWaitableTimer(timer_); }
    void UpdateControls() override {}

private:
    ServiceLog& log_;
    HANDLE timer_;
};

// Reads the window's settings and starts a worker with them, which feeds
// Windows Time in that mode.
void StartFromSettings(ServiceLog& log, SyncControl& control, Win32SyncRuntime& runtime, OffsetFeed& feed) {
    const Settings settings = LoadSettings(Application::Instance().Profile());
    log.Write(IDS_SETTINGS_READ, "Settings read: port " + settings.port + ", period " + settings.period +
                                     (settings.sync.feedsWindowsTime ? " s; the samples go to Windows Time." : " s."));
    runtime.SetFeed(settings.sync.feedsWindowsTime ? &feed : nullptr);
    control.StartSync(settings.period, settings.port, settings.sync);
}

// Until a stop or shutdown request: a worker retrying every failure, woken at
// every period, restarted with fresh settings when they changed.
DWORD RunWorkers(ServiceControls& controls) {
    const StringLookup lookup = [](int id, std::string& out) {
        out = Application::Instance().LoadString(static_cast<unsigned>(id));
        return !out.empty();
    };
    ServiceLog log(lookup);
    const KernelHandle timer(CreateWaitableTimerA(nullptr, FALSE, nullptr));
    Win32SyncRuntime runtime(&log);
    if (!timer || !runtime.Ready() || !controls.stop || !controls.reread) {
        const DWORD error = GetLastError();
        log.Write(IDS_RESOURCE_FAILED, TEXT_RESOURCE_FAILED);
        return error ? error : ERROR_NOT_ENOUGH_MEMORY;
    }
    FeedPipeClient feed;   // before the control, whose end waits for the worker that uses it
    ServiceHost host(log, timer.Get());
    SyncControl control(host, runtime, lookup, true);
    StartFromSettings(log, control, runtime, feed);
    controls.Report(SERVICE_RUNNING);

    const HANDLE events[] = {controls.stop.Get(), controls.reread.Get(), timer.Get()};
    for (;;) {
        const DWORD signalled = WaitForMultipleObjects(3, events, FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 + 1) {
            StartFromSettings(log, control, runtime, feed);
        } else if (signalled == WAIT_OBJECT_0 + 2) {
            control.OnPeriodTick();
        } else {
            break;
        }
    }
    control.StopSync();
    // A worker stuck in the port would keep the log in use: the process ends
    // under it rather than hold up the stop.
    if (control.State().workerAlive) {
        controls.Report(SERVICE_STOPPED);
        ExitProcess(0);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    ServiceControls& controls = Controls();
    controls.handle = RegisterServiceCtrlHandlerExA(HORALUX_SERVICE_NAME, OnControl, nullptr);
    if (!controls.handle) return;
    controls.Report(SERVICE_START_PENDING, kStopHintMs);
    const DWORD exitCode = RunWorkers(controls);
    controls.Report(SERVICE_STOPPED, 0, exitCode);
}

}  // namespace

bool RunAsService() {
    char name[] = HORALUX_SERVICE_NAME;
    const SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) != FALSE;
}
