#pragma once
#include <cstdint>
#include <string>

class ProfileStore;

// The port and period the main dialog starts with and Exit stores, as typed:
// a period that is not a number is the synchronisation's to refuse.
struct Settings {
    std::string port = "com1";
    std::string period = "60";
    bool precise = true;   // read only: Exit keeps the file's entry as the user left it
    // [Update] Mode=WindowsTime: the service hands its estimates to Windows
    // Time, which sets the clock. Written only by the /windows-time switch.
    bool feedWindowsTime = false;
};

// Missing entries keep the defaults.
Settings LoadSettings(const ProfileStore& profile);
// False with the system's error code in `error` when the profile cannot be written.
bool SaveSettings(ProfileStore& profile, const Settings& settings, uint32_t& error);
// Writes Mode=WindowsTime, or removes the entry: the service sets the clock.
bool SaveFeedMode(ProfileStore& profile, bool feedWindowsTime, uint32_t& error);
