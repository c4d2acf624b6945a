// Resource identifiers of ShredMenu.dll.
#pragma once

#define IDS_PROJNAME 100
#define IDR_SHREDMENU 101
#define IDR_SHREDMENUEXT 103
#define IDC_CONFIRM_MESSAGE 201
#define IDD_CONFIRM 202
#define IDI_SHRED 205
#define IDB_SECURE_DELETE 207
#define IDB_SECURE_ENCRYPT 208
