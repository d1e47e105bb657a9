#pragma once
// The offset history window's template and controls. Plain defines:
// windres reads this file too.
#define IDD_OFFSET_HISTORY   103
#define IDC_HISTORY_CHART    1100
#define IDC_HISTORY_SUMMARY  1101
#define IDC_HISTORY_DAY      1102
#define IDC_HISTORY_HOUR     1103
#define IDC_HISTORY_COPY     1104
