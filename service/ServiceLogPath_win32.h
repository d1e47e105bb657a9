#pragma once
#include <string>

// The service's log file under the common application-data folder; empty
// when the system does not name that folder.
std::string ServiceLogPath();
