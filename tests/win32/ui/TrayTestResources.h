#pragma once
// Resource identifiers of the tray icon's test program.

#define IDI_IDLE            130
#define IDR_TRAY            131
#define IDR_NO_POPUP        140
#define IDR_NO_TIP          141
#define IDS_LONG_TIP        150
#define ID_CONFIGURE        32773
#define ID_START            32771
#define ID_STOP             32772
#define ID_EXIT             32774
