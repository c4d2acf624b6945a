// Resource identifiers of SuiteDiag's sample windows (suitediag/res/suitediag.rc).
#pragma once

#define IDI_SUITEDIAG_APP 1287     // the program's icon: a tool's own icon wins over the library's
#define IDB_SUITEDIAG_TOOL 1301    // the tool bitmap, beside the logo
#define IDD_SUITEDIAG_MAIN 200
#define IDD_SUITEDIAG_POPUP 201
#define IDD_SUITEDIAG_BUTTONS 202
#define IDD_SUITEDIAG_PAGE 204       // a content page of the navigation pane
#define IDD_SUITEDIAG_LIST 203
#define IDC_SUITEDIAG_LIST 1229 // the fancy list of "ui list"
#define IDC_SUITEDIAG_MESSAGE 210
#define IDC_BASEWND_HELP_SAMPLE 1219 // the main window's help button
#define IDC_BASEWND_DEMO_SAMPLE 1218 // the demonstration button
