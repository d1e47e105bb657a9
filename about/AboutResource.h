#pragma once
// The About dialog's template and controls. Plain defines: windres reads this too.

#define IDD_ABOUT_CONTACT   11000
#define IDC_ABOUT_VERSION   11001
#define IDC_ABOUT_WEB       11002
#define IDC_ABOUT_SUPPORT   11003
#define IDC_ABOUT_CONTACT   11004
#define IDC_ABOUT_SALES     11005
#define IDC_ABOUT_GROUP     11006
