#pragma once

// True when the Windows Time service runs and sets this PC's clock from a
// network source (its type is anything but NoSync).
bool WindowsTimeSyncsFromNetwork();
