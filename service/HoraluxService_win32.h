#pragma once

// The service's name with the service manager and the event log.
#define HORALUX_SERVICE_NAME "Horalux"

// What horalux.exe /service does: hands the thread to the service manager,
// which runs the service until it is stopped. False when the process was not
// started by the service manager.
bool RunAsService();
