#pragma once
#include <string>

// <common application data>\Horalux\horalux.log, the service's log file;
// empty when the system does not name that folder.
std::string ServiceLogPath();
