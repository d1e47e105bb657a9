#pragma once
#include <cstdint>
#include <string>

#include "sync/SyncControl.h"

class ProfileStore;

// The port and period the main dialog starts with and Exit stores, as typed:
// a period that is not a number is the synchronisation's to refuse.
struct Settings {
    std::string port = "com1";
    std::string period = "60";
    // Read only: Exit keeps the file's entries as the user left them.
    SyncOptions sync;
};

// Missing entries keep the defaults.
Settings LoadSettings(const ProfileStore& profile);
// False with the system's error code in `error` when the profile cannot be written.
bool SaveSettings(ProfileStore& profile, const Settings& settings, uint32_t& error);
// [Update] Mode=WindowsTime (sync.feedsWindowsTime) is written, or removed,
// only by the /windows-time switch.
bool SaveFeedMode(ProfileStore& profile, bool feedsWindowsTime, uint32_t& error);
