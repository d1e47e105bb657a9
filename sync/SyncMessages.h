#pragma once
// Window messages between the worker, the tray icon and the main dialog.
// Above WM_APP (0x8000) so they never meet the dialog manager's DM_GETDEFID
// and DM_SETDEFID (WM_USER and WM_USER + 1): Start stays the default button.
#define WM_TRAY_NOTIFY 0x8000
#define WM_SYNC_STATUS 0x8001
