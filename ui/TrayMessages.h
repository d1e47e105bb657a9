#pragma once
// The tray icon's callback message to the main dialog. Above WM_APP
// (0x8000) so it never meets the dialog manager's DM_GETDEFID and
// DM_SETDEFID (WM_USER and WM_USER + 1): Start stays the default button.
#define WM_TRAY_NOTIFY 0x8000
