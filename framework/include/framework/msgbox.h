// AfxMessageBox: the system message box, owned by the active window, titled with the
// application's name.
#pragma once

#include "framework.h"

FRAMEWORK_API int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is string nIDPrompt of the framework's resource search order.
FRAMEWORK_API int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));
