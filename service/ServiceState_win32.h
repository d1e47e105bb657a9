#pragma once

// Whether the service of that name is installed and not stopped. Asks the
// service manager only for the status, which a standard user may read.
bool IsServiceRunning(const char* name);
