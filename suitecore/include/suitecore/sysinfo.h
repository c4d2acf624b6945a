// System information helpers: OS version, WOW64, file versions.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

// "0" when the file does not exist; empty text when it has no version resource or no
// translation table; else the fixed file version as four numbers joined by full stops.
SUITECORE_API CString GetFileVersionString(LPCWSTR lpszPath);
