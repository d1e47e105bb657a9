#pragma once
// A dialog to attach hyperlink labels to. Plain defines: windres reads this too.
#define IDD_LABEL_TEST      900
#define IDC_LABEL_EMPTY     901
#define IDC_LABEL_TEXT      902
#define IDC_LABEL_CENTERED  903
#define IDC_LABEL_RIGHT     904
#define IDC_LABEL_FAILING   905
