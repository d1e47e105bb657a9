#pragma once
// Resource identifiers of the window layer's test program.

#define IDD_TEST        100
#define IDD_MISSING     199
#define IDC_LABEL       200
#define IDC_EDIT        201
#define IDC_DO          202
#define IDS_GREETING    300
#define IDI_TEST        400
