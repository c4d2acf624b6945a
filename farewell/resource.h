// Resource and control identifiers of Farewell.
#pragma once

#define IDD_FAREWELL 102 // the wizard
#define IDD_STEP1 103    // first page: why the user leaves
#define IDD_STEP3 105    // second page: the support offer

#define IDI_FAREWELL 128

#define IDB_STEP1_BACKDROP 135 // 465 x 142, behind the question
#define IDB_STEP1_BAND 136     // 1 x 67, tiled across the top of page 1
#define IDB_STEP1_EMBLEM 137   // 57 x 67, at the left of page 1's band
#define IDB_STEP3_BAND 138     // 1 x 67, tiled across the top of page 3
#define IDB_STEP3_EMBLEM 139   // 57 x 67, at the left of page 3's band

// The wizard's buttons (Cancel and No Uninstall are IDCANCEL and IDOK).
#define IDC_FAREWELL_CONTINUE 1002
#define IDC_FAREWELL_BACK 1003
#define IDC_FAREWELL_GETHELP 1004

// Page 1's only control.
#define IDC_STEP1_REASON 1003

// SuiteCore's pictures the wizard uses, found through the resource chain.
#define IDB_SUITE_LIGHT_BUTTON 1074
#define IDB_SUITE_DARK_BUTTON 1076
#define IDI_SUITE_BULLET 1314
