#include "sync/WindowsTimeRival_win32.h"

#include <windows.h>

#include <cstring>

#include "window/Handles_win32.h"

bool WindowsTimeSyncsFromNetwork() {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    const ServiceHandle service(OpenServiceA(manager.Get(), "W32Time", SERVICE_QUERY_STATUS));
    SERVICE_STATUS status = {};
    if (!service || !QueryServiceStatus(service.Get(), &status) || status.dwCurrentState != SERVICE_RUNNING) return false;
    RegistryKey parameters;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\W32Time\\Parameters", 0, KEY_READ,
                      parameters.Put()) != ERROR_SUCCESS)
        return false;
    char type[32] = {};
    DWORD size = sizeof type - 1, kind = 0;
    if (RegQueryValueExA(parameters.Get(), "Type", nullptr, &kind, reinterpret_cast<BYTE*>(type), &size) != ERROR_SUCCESS ||
        kind != REG_SZ)
        return false;
    return _stricmp(type, "NoSync") != 0;
}
