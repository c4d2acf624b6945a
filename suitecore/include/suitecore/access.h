// Access control: what the current user may do with a file or a registry key, condensed into
// one rights word, and the grants that change it.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/string.h>

// The rights word: the answer of the Get functions and the request of the grant functions.
enum AccessRights : DWORD
{
    RIGHTS_WRITE = 0x1,
    RIGHTS_READ = 0x2,
    RIGHTS_READ_WRITE = 0x4,
    RIGHTS_DELETE = 0x8,
    RIGHTS_DELETE_CHILDREN = 0x10,
    RIGHTS_NO_WRITE = 0x20,
    RIGHTS_NO_READ = 0x40,
    RIGHTS_INHERITABLE_GROUP_ENTRY = 0x80, // an explicit entry for one of the token's groups inherits
    RIGHTS_LIMITED_ADMIN = 0x200,          // an administrator running with a filtered token
    RIGHTS_EXECUTE = 0x400,                // files only
    RIGHTS_CHANGE_PERMISSIONS = 0x800,
    RIGHTS_TAKE_OWNERSHIP = 0x1000,
};

// True when the volume at the root (such as C:\) reports the file system "NTFS".
SUITECORE_API BOOL IsNtfsVolume(LPCWSTR lpszRoot);

// The rights word of the process's user on a file or folder; 0 when the rights cannot be read or
// the user has none. The domain and user are carried for callers but not used: the answer is
// always that of the process token's user.
SUITECORE_API DWORD GetFileRights(LPCWSTR lpszPath, LPCWSTR lpszDomain, LPCWSTR lpszUser);
SUITECORE_API BOOL CanWriteFile(LPCWSTR lpszPath);
// Delete right, or, when the rights cannot be read at all, whether the file's attributes can be
// read and written back.
SUITECORE_API BOOL CanDeleteFile(LPCWSTR lpszPath);
// Merges an entry for the process's user into the file's DACL, replacing that user's rights with
// the requested ones (inherited by objects and containers when bInherit). The user argument is
// not used.
SUITECORE_API BOOL GrantFileRights(LPCWSTR lpszPath, DWORD dwRequested, BOOL bInherit, LPCWSTR lpszUser);

// The rights word of a named user on a registry key.
SUITECORE_API DWORD GetKeyRights(HKEY hRoot, LPCWSTR lpszSubKey, LPCWSTR lpszUser);
// Replaces the key's DACL with one entry allowing the named user the requested rights. True when
// the new DACL was written to the key.
SUITECORE_API BOOL SetKeyRights(HKEY hRoot, LPCWSTR lpszSubKey, DWORD dwRequested, BOOL bInherit, LPCWSTR lpszUser);

// 1 when UAC file and registry virtualization is on for this process, 0 when off, -1 when the
// system cannot say (before Windows Vista).
SUITECORE_API int IsVirtualizationEnabled();

// The failure messages the functions above recorded, oldest first. The key functions, the file
// grant and the virtualization query start a fresh list; the file checks add to it.
SUITECORE_API void GetAccessMessages(CStringArray& messages);
SUITECORE_API void ClearAccessMessages();
