#pragma once
#include <windows.h>

#include <string>

#include "window/Handles_win32.h"

// Who may write to the feed pipe: the Horalux service and administrators.

// NT SERVICE\<name> as text: S-1-5-80 and the SHA-1 of the upper-case name
// in UTF-16, as five numbers. Computed, as LookupAccountName knows only the
// services installed (and Wine none). Empty when it cannot be.
std::string ServiceSidText(const std::string& serviceName);

// Write for the Horalux service and Administrators, nothing for anyone else.
// Null when it cannot be built.
LocalMemory FeedPipeSecurity();

// The client's token, identification level or above, is the Horalux
// service's or an administrator's.
bool IsTrustedClient(HANDLE token);
