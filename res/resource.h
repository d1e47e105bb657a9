#pragma once
// Resource identifiers shared by the resource script, the program and the tests.

// Main dialog and its controls
#define IDD_MAIN               102
#define IDC_PERIOD             1000
#define IDC_PORT               1001
#define IDC_STATUS_LOG         1003
#define IDC_PORT_LABEL         1005
#define IDC_PERIOD_LABEL       1006
#define IDC_SYSTEM_TIME_FRAME  1007
#define IDC_LOCAL_TIME_LABEL   1008
#define IDC_GMT_LABEL          1009
#define IDC_TIME_ZONE_LABEL    1010
#define IDC_TIME_ZONE          1016
#define IDC_GMT                1021
#define IDC_LOCAL_TIME         1022
#define IDC_HELP_BUTTON        57670
#define IDC_START              57671
#define IDC_EXIT               57672
#define IDC_STOP               57673

// Port box list: string-table entries FIRST .. FIRST + COUNT - 1 in list
// order ("com1" ... "edit this..."), added by the dialog at initialisation.
#define IDS_PORT_LIST_FIRST    200
#define IDS_PORT_LIST_COUNT    5

// Exit's message when the profile cannot be written; the file's path and the
// system's reason follow the text.
#define IDS_SETTINGS_NOT_SAVED 110

// The window's own lines about the service, and the tray tip while it runs
#define IDS_SERVICE_RUNNING    111
#define IDS_SERVICE_STOPPED    112
#define IDS_SERVICE_TIP        113
// ... in place of IDS_SERVICE_RUNNING when the service feeds Windows Time
#define IDS_SERVICE_FEEDS      183

// System menu
#define IDS_ABOUT_ITEM         101
#define IDM_ABOUT              0x0010
#define IDS_HISTORY_ITEM       114
#define IDM_HISTORY            0x0020

// Icons
#define IDI_APP                128
#define IDI_NOT_SYNCED         130
#define IDI_SYNCED             131

// Tray menu (its resource number is also the tray icon's identifier)
#define IDR_TRAY_MENU          131
#define ID_TRAY_START          32771
#define ID_TRAY_STOP           32772
#define ID_TRAY_CONFIGURE      32773
#define ID_TRAY_EXIT           32774
#define ID_TRAY_HISTORY        32775

// Help context of the main dialog: 0x20000 + its template number
#define HID_MAIN_DIALOG        0x20066
// Its anchor in the HTML help page
#define HELP_TOPIC_MAIN        "main-window"
