// The rules every cleaning tool applies before it lists or deletes a path: protected path
// fragments (system files, hives, logs, profiles, recycle bins, installer caches...), critical
// extensions backed by the Windows file protection check, and file types that run code.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>

// Appends the protected file names and name parts (146 entries, letter case as written).
SUITECORE_API void AddProtectedFileNames(CStringArray& array);
// Appends the protected folder fragments (106 entries, letter case as written).
SUITECORE_API void AddProtectedFolderFragments(CStringArray& array);

// True when none of the protected fragments occurs anywhere in the lower-cased path.
SUITECORE_API BOOL IsPathUnprotected(CString strPath);
// IsPathUnprotected, and the file is neither of a critical type (exe, sys, dll...) nor under
// Windows file protection. A path too long to take apart is not deletable.
SUITECORE_API BOOL IsFileDeletable(LPCWSTR lpszPath);
// True when the extension is one that runs code or holds macros; a path too long to take apart
// counts as risky.
SUITECORE_API BOOL HasRiskyExtension(LPCWSTR lpszPath);
