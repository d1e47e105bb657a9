#pragma once
// Resource identifiers of the layout dialog's test program.

#define IDD_LAYOUT      100
#define IDC_FRAME       200
#define IDC_NAME        201
#define IDC_LOG         202
#define IDC_HIDDEN      203
