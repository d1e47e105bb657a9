#include "service/ServiceState_win32.h"

#include "window/Handles_win32.h"

bool IsServiceRunning(const char* name) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    const ServiceHandle service(OpenServiceA(manager.Get(), name, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status = {};
    // A service stopping still holds the port until it has stopped.
    return service && QueryServiceStatus(service.Get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
}
