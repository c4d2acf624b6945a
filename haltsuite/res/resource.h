// Resource identifiers of HaltSuite.
#pragma once

#define IDS_APP_TITLE 103
#define IDI_HALTSUITE 107
