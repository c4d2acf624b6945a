// SuiteCore's exported protected-location rules.
#include "suitecore/protect.h"

#include "protected_paths.h"

namespace protection = suitecore::protection;

void AddProtectedFileNames(CStringArray& array)
{
    protection::AppendFileNames(array);
}

void AddProtectedFolderFragments(CStringArray& array)
{
    protection::AppendFolderFragments(array);
}

BOOL IsPathUnprotected(CString strPath)
{
    return protection::IsPathUnprotected(strPath);
}

BOOL IsFileDeletable(LPCWSTR lpszPath)
{
    return protection::IsFileDeletable(lpszPath, protection::SystemFileProtectionQuery());
}

BOOL HasRiskyExtension(LPCWSTR lpszPath)
{
    return protection::HasRiskyExtension(lpszPath);
}
