// The exported access-control functions: the internals with the system's own functions, and no
// exception crossing into the caller.
#include "suitecore/access.h"

#include "access_internal.h"

#include <framework/exception.h>

BOOL IsNtfsVolume(LPCWSTR lpszRoot)
{
    WCHAR fileSystem[MAX_PATH + 1] = {};
    return lpszRoot &&
           GetVolumeInformationW(lpszRoot, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) &&
           wcscmp(fileSystem, L"NTFS") == 0;
}

DWORD GetFileRights(LPCWSTR lpszPath, LPCWSTR, LPCWSTR)
{
    return AfxCallbackBarrier([&] { return access_detail::FileRights(lpszPath, {}); }, DWORD(0));
}

BOOL CanWriteFile(LPCWSTR lpszPath)
{
    return (GetFileRights(lpszPath, L"", L"") & RIGHTS_WRITE) != 0;
}

BOOL CanDeleteFile(LPCWSTR lpszPath)
{
    return AfxCallbackBarrier([&] { return access_detail::CanDelete(lpszPath, {}); }, FALSE);
}

BOOL GrantFileRights(LPCWSTR lpszPath, DWORD dwRequested, BOOL bInherit, LPCWSTR)
{
    return AfxCallbackBarrier([&] { return access_detail::GrantRights(lpszPath, dwRequested, bInherit); }, FALSE);
}

DWORD GetKeyRights(HKEY hRoot, LPCWSTR lpszSubKey, LPCWSTR lpszUser)
{
    return AfxCallbackBarrier([&] { return access_detail::KeyRights(hRoot, lpszSubKey, lpszUser, {}); }, DWORD(0));
}

BOOL SetKeyRights(HKEY hRoot, LPCWSTR lpszSubKey, DWORD dwRequested, BOOL bInherit, LPCWSTR lpszUser)
{
    return AfxCallbackBarrier(
        [&] { return access_detail::SetRights(hRoot, lpszSubKey, dwRequested, bInherit, lpszUser, {}); }, FALSE);
}

int IsVirtualizationEnabled()
{
    return AfxCallbackBarrier([] { return access_detail::VirtualizationEnabled(); }, -1);
}

void GetAccessMessages(CStringArray& messages)
{
    AfxCallbackBarrier([&] { access_detail::CopyMessages(messages); });
}

void ClearAccessMessages()
{
    access_detail::ClearMessages();
}
