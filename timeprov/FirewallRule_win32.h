#pragma once
#include <windows.h>

// The inbound rule for Windows Time's NTP server (UDP port 123) in Windows
// Firewall, through its COM interface; COM must be joined on this thread.

// S_FALSE when a rule of that name is already there.
HRESULT AddNtpFirewallRule();
HRESULT RemoveNtpFirewallRule();
