#pragma once
// The worker's status message to the runtime's message-only window. Above
// WM_APP (0x8000), the range of private messages.
#define WM_SYNC_STATUS 0x8001

// The class of that window, so that a test driver can find it.
#define SYNC_STATUS_WINDOW_CLASS "HoraluxSyncStatus"
