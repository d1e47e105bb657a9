#include "service/WindowsTimeSetup_win32.h"

#include <windows.h>

#include <cstdlib>

#include "clocklink/SystemError.h"
#include "files/ProfileStore.h"
#include "service/FileSecurity_win32.h"
#include "service/HoraluxService_win32.h"
#include "sync/Settings.h"
#include "timeprov/FirewallRule_win32.h"
#include "window/Handles_win32.h"

namespace {

#define W32TIME_KEY "SYSTEM\\CurrentControlSet\\Services\\W32Time"
const char kW32TimeKey[] = W32TIME_KEY;
const char kProviderKey[] = W32TIME_KEY "\\TimeProviders\\Horalux";
const char kNtpServerKey[] = W32TIME_KEY "\\TimeProviders\\NtpServer";
const char kConfigKey[] = W32TIME_KEY "\\Config";
const char kProviderDll[] = "horalux-timeprov.dll";
// horalux.INI keeps here what "on" found, for "off" to put back; "" for a
// value that was not there.
const char kFeedBefore[] = "WindowsTimeBefore";
const char kLanBefore[] = "LanServerBefore";
const char kNothingKept[] = "?";
constexpr DWORD kReliableTimeServer = 5;   // AnnounceFlags: always a time server, always reliable
constexpr DWORD kSettleWaitMs = 30000;

// Windows Time, with the rights to restart and configure it.
ServiceSetupResult OpenWindowsTime(ServiceHandle& service, std::string& message) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    service.Reset(manager ? OpenServiceA(manager.Get(), "W32Time",
                                         SERVICE_QUERY_STATUS | SERVICE_STOP | SERVICE_START | SERVICE_CHANGE_CONFIG)
                          : nullptr);
    const DWORD error = GetLastError();
    if (service) return ServiceSetupResult::Done;
    if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
        message = "Windows Time is not installed on this PC.";
        return ServiceSetupResult::Failed;
    }
    if (error == ERROR_ACCESS_DENIED) {
        message = "Changing Windows Time needs an administrator: run it from a command prompt opened with "
                  "\"Run as administrator\".";
        return ServiceSetupResult::NeedsAdministrator;
    }
    message = "Windows Time could not be opened: " + GetSystemErrorText(error);
    return ServiceSetupResult::Failed;
}

// Waits out a start or stop under way (one asked for just before, say).
bool Settle(SC_HANDLE service, SERVICE_STATUS& status) {
    for (DWORD waited = 0;; waited += 100) {
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState != SERVICE_START_PENDING && status.dwCurrentState != SERVICE_STOP_PENDING) return true;
        if (waited >= kSettleWaitMs) return SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT), false;
        Sleep(100);
    }
}

// It reads its providers and settings as it starts.
DWORD RestartWindowsTime(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    if (!Settle(service, status)) return GetLastError();
    if (status.dwCurrentState != SERVICE_STOPPED &&
        (!ControlService(service, SERVICE_CONTROL_STOP, &status) || !Settle(service, status)))
        return GetLastError();
    return StartServiceA(service, 0, nullptr) ? ERROR_SUCCESS : GetLastError();
}

// A running Horalux service reads its settings again now.
void TellHoraluxService() {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceHandle service(manager ? OpenServiceA(manager.Get(), HORALUX_SERVICE_NAME, SERVICE_PAUSE_CONTINUE)
                                        : nullptr);
    SERVICE_STATUS status;
    if (service) ControlService(service.Get(), SERVICE_CONTROL_PARAMCHANGE, &status);
}

std::string ReadDword(const char* key, const char* name) {
    DWORD value = 0, size = sizeof value;
    return RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
               ? std::to_string(value)
               : std::string();
}

DWORD WriteDword(const char* key, const char* name, DWORD value) {
    return static_cast<DWORD>(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value));
}

std::string Kept(const ProfileStore& settings, const char* section, const char* entry) {
    return settings.GetString(section, entry, kNothingKept);
}

// Only the first "on" keeps: a second one would keep its own values.
DWORD Keep(ProfileStore& settings, const char* section, const char* entry, const std::string& value) {
    uint32_t error = ERROR_SUCCESS;
    if (Kept(settings, section, entry) == kNothingKept) settings.WriteString(section, entry, value, &error);
    return error;
}

DWORD PutBack(const char* key, const char* name, const std::string& kept) {
    if (kept == kNothingKept) return ERROR_SUCCESS;
    if (!kept.empty()) return WriteDword(key, name, std::strtoul(kept.c_str(), nullptr, 10));
    const LSTATUS status = RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(status);
}

std::string RegisteredDll() {
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    return RegGetValueA(HKEY_LOCAL_MACHINE, kProviderKey, "DllName", RRF_RT_REG_SZ, nullptr, path, &size) == ERROR_SUCCESS
               ? path
               : "";
}

DWORD RegisterProvider(const std::string& dll) {
    DWORD error = static_cast<DWORD>(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kProviderKey, "DllName", REG_SZ, dll.c_str(),
                                                     static_cast<DWORD>(dll.size() + 1)));
    if (!error) error = WriteDword(kProviderKey, "Enabled", 1);
    if (!error) error = WriteDword(kProviderKey, "InputProvider", 1);
    return error;
}

DWORD UnregisterProvider() {
    const LSTATUS status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProviderKey);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(status);
}

DWORD SetStartType(SC_HANDLE service, DWORD start) {
    return ChangeServiceConfigA(service, SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr)
               ? ERROR_SUCCESS
               : GetLastError();
}

DWORD RemoveKept(ProfileStore& settings, const char* section) {
    uint32_t error = ERROR_SUCCESS;
    settings.RemoveSection(section, &error);
    return error;
}

ServiceSetupResult Finish(DWORD error, const std::string& failed, const std::string& done, std::string& message) {
    message = error ? failed + GetSystemErrorText(error) : done;
    return error ? ServiceSetupResult::Failed : ServiceSetupResult::Done;
}

}  // namespace

ServiceSetupResult SetWindowsTimeFeed(bool on, const std::string& exePath, ProfileStore& settings,
                                      std::string& message) {
    ServiceHandle w32time;
    const ServiceSetupResult opened = OpenWindowsTime(w32time, message);
    if (opened != ServiceSetupResult::Done) return opened;
    const std::string dll = exePath.substr(0, exePath.find_last_of('\\') + 1) + kProviderDll;
    const bool feeding = LoadSettings(settings).sync.feedsWindowsTime;
    uint32_t modeError = ERROR_SUCCESS;
    DWORD error = ERROR_SUCCESS;
    if (on) {
        if (GetFileAttributesA(dll.c_str()) == INVALID_FILE_ATTRIBUTES) {
            message = "The provider " + dll + " is missing: nothing was changed.";
            return ServiceSetupResult::Failed;
        }
        // Windows Time runs what it loads with its own rights.
        if (OthersCanChange(ReadProgramPath(dll), MachineOwners())) {
            message = "Windows Time was not given the provider: others than SYSTEM, the Administrators and "
                      "TrustedInstaller could change " + dll + " or a folder it lies in. Copy horalux.exe and the "
                      "provider into a folder under Program Files (or install the MSI package) and run "
                      "/windows-time on from there.";
            return ServiceSetupResult::UnsafeLocation;
        }
        if (feeding && RegisteredDll() == dll) {
            message = "Horalux already feeds Windows Time: nothing was changed.";
            return ServiceSetupResult::NothingToDo;
        }
        error = Keep(settings, kFeedBefore, "Start", ReadDword(kW32TimeKey, "Start"));
        if (!error) error = RegisterProvider(dll);
        if (!error) error = SetStartType(w32time.Get(), SERVICE_AUTO_START);
        if (!error && !SaveFeedMode(settings, true, modeError)) error = modeError;
    } else {
        const std::string start = Kept(settings, kFeedBefore, "Start");
        if (!feeding && RegisteredDll().empty() && start == kNothingKept) {
            message = "Horalux does not feed Windows Time: nothing was changed.";
            return ServiceSetupResult::NothingToDo;
        }
        error = UnregisterProvider();
        if (!error && !SaveFeedMode(settings, false, modeError)) error = modeError;
        if (!error && !start.empty() && start != kNothingKept)
            error = SetStartType(w32time.Get(), std::strtoul(start.c_str(), nullptr, 10));
        if (!error) error = RemoveKept(settings, kFeedBefore);
    }
    if (!error) error = RestartWindowsTime(w32time.Get());
    if (!on && error == ERROR_SERVICE_DISABLED) error = ERROR_SUCCESS;   // as it was before: not to run
    TellHoraluxService();
    return on ? Finish(error, "Horalux could not be made Windows Time's source: ",
                       "Windows Time now sets this PC's clock from the Horalux service's samples: its provider " + dll +
                           " is registered, Windows Time starts with Windows and was restarted.",
                       message)
              : Finish(error, "Horalux could not be taken out of Windows Time: ",
                       "The Horalux service sets this PC's clock itself again: its provider is removed from Windows "
                       "Time, which starts as it did before and was restarted.",
                       message);
}

ServiceSetupResult SetLanServer(bool on, ProfileStore& settings, std::string& message) {
    ServiceHandle w32time;
    const ServiceSetupResult opened = OpenWindowsTime(w32time, message);
    if (opened != ServiceSetupResult::Done) return opened;
    const bool serving = Kept(settings, kLanBefore, "AnnounceFlags") != kNothingKept;
    if (on == serving) {
        message = on ? "This PC already serves its time to the LAN: nothing was changed."
                     : "Horalux has not made this PC a time server: nothing was changed.";
        return ServiceSetupResult::NothingToDo;
    }
    DWORD error = ERROR_SUCCESS;
    HRESULT firewall = S_OK;
    if (on) {
        error = Keep(settings, kLanBefore, "NtpServerEnabled", ReadDword(kNtpServerKey, "Enabled"));
        if (!error) error = Keep(settings, kLanBefore, "AnnounceFlags", ReadDword(kConfigKey, "AnnounceFlags"));
        if (!error) error = WriteDword(kNtpServerKey, "Enabled", 1);
        if (!error) error = WriteDword(kConfigKey, "AnnounceFlags", kReliableTimeServer);
        if (!error) firewall = AddNtpFirewallRule();
    } else {
        error = PutBack(kNtpServerKey, "Enabled", Kept(settings, kLanBefore, "NtpServerEnabled"));
        if (!error) error = PutBack(kConfigKey, "AnnounceFlags", Kept(settings, kLanBefore, "AnnounceFlags"));
        if (!error) firewall = RemoveNtpFirewallRule();
        if (!error && SUCCEEDED(firewall)) error = RemoveKept(settings, kLanBefore);
    }
    if (!error && FAILED(firewall)) error = static_cast<DWORD>(firewall);
    if (!error) error = RestartWindowsTime(w32time.Get());
    return on ? Finish(error, "This PC could not be made a time server for the LAN: ",
                       "This PC now serves its time to the LAN: Windows Time's NTP server is on, the PC is announced "
                       "as a reliable time source, Windows Firewall lets UDP port 123 in, and Windows Time was "
                       "restarted.",
                       message)
              : Finish(error, "This PC could not stop serving its time to the LAN: ",
                       "This PC no longer serves its time to the LAN: Windows Time's NTP server and announcement are "
                       "as they were before, the firewall rule is removed, and Windows Time was restarted.",
                       message);
}
