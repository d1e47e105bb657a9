#include "service/ServiceInstall_win32.h"

#include <windows.h>

#include "clocklink/SystemError.h"
#include "service/FileSecurity_win32.h"
#include "service/HoraluxService_win32.h"
#include "service/InstallLocation.h"
#include "service/LogFolder_win32.h"
#include "service/ServiceLogPath_win32.h"
#include "window/Handles_win32.h"

namespace {

const char kEventSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" HORALUX_SERVICE_NAME;
const char kServiceText[] = "The Horalux service ";
constexpr DWORD kRestartDelayMs = 60000;
constexpr DWORD kStopWaitMs = 5000;

ServiceSetupResult Fail(const char* what, DWORD code, std::string& message) {
    message = std::string(kServiceText) + what + GetSystemErrorText(code);
    return ServiceSetupResult::Failed;
}

// Create-service rights on the service manager are an administrator's.
ServiceHandle OpenManager(const char* needs, std::string& message, ServiceSetupResult& result) {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (manager) return manager;
    if (GetLastError() == ERROR_ACCESS_DENIED) {
        message = std::string(needs) + " the Horalux service needs an administrator: run it from a command prompt "
                                       "opened with \"Run as administrator\".";
        result = ServiceSetupResult::NeedsAdministrator;
    } else {
        result = Fail("could not be set up: the service manager refused: ", GetLastError(), message);
    }
    return manager;
}

bool Configure(SC_HANDLE service) {
    char description[] = "Sets this computer's clock from an Orvanel GPS clock on a serial port, "
                         "also while nobody is logged in.";
    SERVICE_DESCRIPTIONA about = {description};
    SC_ACTION restart[] = {{SC_ACTION_RESTART, kRestartDelayMs}, {SC_ACTION_RESTART, kRestartDelayMs},
                           {SC_ACTION_RESTART, kRestartDelayMs}};
    SERVICE_FAILURE_ACTIONSA failures = {86400, nullptr, nullptr, 3, restart};
    // The W forms for these two: Wine converts no A form but the first two.
    wchar_t privileges[] = L"SeSystemtimePrivilege\0SeChangeNotifyPrivilege\0";
    SERVICE_REQUIRED_PRIVILEGES_INFOW required = {privileges};
    SERVICE_SID_INFO sid = {SERVICE_SID_TYPE_UNRESTRICTED};
    // Wine ignores the last two; Windows has both since Vista.
    const auto known = [] { return GetLastError() != ERROR_INVALID_LEVEL; };
    return ChangeServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, &about) &&
           ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failures) &&
           (ChangeServiceConfig2W(service, SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO, &required) || !known()) &&
           (ChangeServiceConfig2W(service, SERVICE_CONFIG_SERVICE_SID_INFO, &sid) || !known());
}

// The executable's message table gives Event Viewer the lines' texts.
LSTATUS RegisterEventSource(const std::string& exePath) {
    RegistryKey key;
    LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     key.Put(), nullptr);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.Get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                                reinterpret_cast<const BYTE*>(exePath.c_str()), static_cast<DWORD>(exePath.size() + 1));
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.Get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                                sizeof types);
    return status;
}

}  // namespace

ServiceSetupResult InstallService(const std::string& exePath, std::string& message) {
    ServiceSetupResult result = ServiceSetupResult::Done;
    const ServiceHandle manager = OpenManager("Installing", message, result);
    if (!manager) return result;

    if (OthersCanChange(ReadProgramPath(exePath), MachineOwners())) {
        message = std::string(kServiceText) + "was not installed: others than SYSTEM, the Administrators and "
                  "TrustedInstaller could change " + exePath + " or a folder it lies in, and the service would run "
                  "what they put there. Copy horalux.exe into a folder under Program Files (or install the MSI "
                  "package) and run /install-service from there.";
        return ServiceSetupResult::UnsafeLocation;
    }

    const std::string command = "\"" + exePath + "\" /service";
    ServiceHandle service(CreateServiceA(manager.Get(), HORALUX_SERVICE_NAME, "Horalux GPS clock",
                                         SERVICE_CHANGE_CONFIG | SERVICE_START | DELETE, SERVICE_WIN32_OWN_PROCESS,
                                         SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                         nullptr, "NT AUTHORITY\\LocalService", nullptr));
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
        message = std::string(kServiceText) + "is already installed: nothing was changed.";
        return ServiceSetupResult::NothingToDo;
    }
    if (!service) return Fail("could not be installed: ", GetLastError(), message);

    const std::string logPath = ServiceLogPath();
    uint32_t folderError = 0;
    std::string movedTo;
    DWORD error = ERROR_SUCCESS;
    if (!Configure(service.Get())) error = GetLastError();
    if (!error) error = static_cast<DWORD>(RegisterEventSource(exePath));
    if (!error && !SecureLogFolder(logPath, folderError, movedTo)) error = folderError;
    if (error) {
        DeleteService(service.Get());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);
        return Fail("could not be installed: ", error, message);
    }
    if (!StartServiceA(service.Get(), 0, nullptr))
        return Fail("is installed but did not start: ", GetLastError(), message);
    message = std::string(kServiceText) + "is installed and running. It writes its lines to " + logPath +
              " and to the Application event log.";
    if (!movedTo.empty())
        message += " What stood at its log folder's place was not the service's and was moved to " + movedTo + ".";
    return ServiceSetupResult::Done;
}

ServiceSetupResult RemoveService(std::string& message) {
    ServiceSetupResult result = ServiceSetupResult::Done;
    const ServiceHandle manager = OpenManager("Removing", message, result);
    if (!manager) return result;

    const ServiceHandle service(
        OpenServiceA(manager.Get(), HORALUX_SERVICE_NAME, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);   // a half-removed one's
        message = std::string(kServiceText) + "is not installed: nothing was removed.";
        return ServiceSetupResult::NothingToDo;
    }
    if (!service) return Fail("could not be removed: ", GetLastError(), message);

    SERVICE_STATUS status = {};
    if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
        for (DWORD waited = 0; status.dwCurrentState != SERVICE_STOPPED && waited < kStopWaitMs; waited += 100) {
            Sleep(100);
            if (!QueryServiceStatus(service.Get(), &status)) break;
        }
    }
    if (!DeleteService(service.Get())) return Fail("could not be removed: ", GetLastError(), message);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);
    message = std::string(kServiceText) + "is stopped and removed. Its log folder stays.";
    return ServiceSetupResult::Done;
}
