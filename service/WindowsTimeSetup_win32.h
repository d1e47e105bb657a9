#pragma once
#include <string>

#include "service/ServiceInstall_win32.h"

class ProfileStore;

// /windows-time on: registers horalux-timeprov.dll beside the executable as
// Windows Time's input provider "Horalux", has the service feed it
// ([Update] Mode=WindowsTime, read again at once by a running service),
// makes Windows Time start with Windows and restarts it. Off undoes each,
// with the start type that on found. Refuses a provider that others than
// SYSTEM, the Administrators and TrustedInstaller could change. `settings`
// is horalux.INI.
ServiceSetupResult SetWindowsTimeFeed(bool on, const std::string& exePath, ProfileStore& settings,
                                      std::string& message);

// /lan-server on: Windows Time's NTP server on, this PC announced as a
// reliable time source, UDP port 123 let in by Windows Firewall, Windows Time
// restarted. Off puts back what on found and removes the rule.
ServiceSetupResult SetLanServer(bool on, ProfileStore& settings, std::string& message);
