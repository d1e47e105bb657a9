#pragma once
#include <string>

// How /install-service and /remove-service ended: the program's exit code.
enum class ServiceSetupResult {
    Done = 0,
    NothingToDo = 1,      // already installed, or not installed
    NeedsAdministrator = 2,
    Failed = 3,
    UnsafeLocation = 4,   // others could change the program the service would run
};

// Registers the service (automatic start, LocalService, restart on failure,
// only the privileges it needs) with its event source and log folder, then
// starts it; not when anyone but SYSTEM, the Administrators and
// TrustedInstaller could change the program at exePath. `message` tells the
// user what happened.
ServiceSetupResult InstallService(const std::string& exePath, std::string& message);

// Stops the service (a few seconds at most), deletes it and its event source.
ServiceSetupResult RemoveService(std::string& message);
