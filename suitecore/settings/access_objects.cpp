// Rights on files and registry keys: reading them, granting them.
#include "access_internal.h"

#include <suitecore/access.h>

#include <exception>

namespace access_detail
{
namespace
{
constexpr BYTE kInheritFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

DWORD LimitedAdminBit()
{
    return ProcessToken().limitedAdmin ? DWORD(RIGHTS_LIMITED_ADMIN) : 0;
}

// The user's effective rights on one file or folder, read through an open handle. False, with the
// reason recorded, when the handle or the DACL cannot be had. A null DACL gives no rights.
bool PathRights(LPCWSTR lpszPath, PSID user, const AccessPlatform& platform, EffectiveRights& rights)
{
    rights = {};
    CUniqueFileHandle file(
        CreateFileW(lpszPath, READ_CONTROL, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD error = file ? ERROR_SUCCESS : GetLastError();
    PACL dacl = nullptr;
    CUniqueLocal descriptor;
    if (file)
        error = platform.securityInfo(file.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                      nullptr, descriptor.put());
    if (error != ERROR_SUCCESS)
    {
        AddSystemMessage(error);
        AddMessage(L"Failed to get file's DACL and SD.");
        return false;
    }
    if (dacl)
        rights = GetEffectiveRights(dacl, user, kFileMapping, platform);
    return true;
}

bool IsFolder(LPCWSTR lpszPath)
{
    const DWORD attributes = GetFileAttributesW(lpszPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString WithBackslash(LPCWSTR lpszFolder)
{
    CString folder(lpszFolder);
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    return folder;
}

// Walks the folder's whole tree and answers false at the first entry the user may not delete.
// The walk keeps its own list of folders to visit, so deep trees cost no stack; it does not
// follow junctions and links, which may lead outside the tree or back into it.
bool TreeDeletable(LPCWSTR lpszFolder, PSID user, const AccessPlatform& platform)
{
    std::vector<CString> pending{WithBackslash(lpszFolder)};
    while (!pending.empty())
    {
        const CString folder = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        CUniqueFindHandle find(FindFirstFileW(folder + L"*.*", &data));
        if (!find)
            continue;
        do
        {
            if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
                continue;
            const CString path = folder + data.cFileName;
            EffectiveRights rights;
            if (!PathRights(path, user, platform, rights) || !(rights.mask & DELETE))
                return false;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                pending.push_back(WithBackslash(path));
        } while (FindNextFileW(find.get(), &data));
    }
    return true;
}

// The user may delete a folder only when every entry in its tree may be deleted too.
bool FolderContentsDeletable(LPCWSTR lpszFolder, PSID user, const AccessPlatform& platform)
{
    try
    {
        return TreeDeletable(lpszFolder, user, platform);
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (const std::exception&)
    {
    }
    AddMessage(L"Exception thrown during DACL find operation.");
    return false;
}

LPCWSTR RootName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT)
        return L"CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return L"CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return L"MACHINE";
    if (root == HKEY_USERS)
        return L"USERS";
    return L"";
}

// The key's security descriptor with its DACL, in a LocalAlloc block; empty on failure (recorded).
CUniqueLocal KeyDescriptor(HKEY key)
{
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    if (size == 0)
    {
        AddMessage(L"RegGetKeySecurity failed");
        return {};
    }
    CUniqueLocal descriptor(LocalAlloc(LPTR, size));
    if (!descriptor)
    {
        AddMessage(L"LocalAlloc failed");
        return {};
    }
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.get(), &size) != ERROR_SUCCESS)
    {
        AddMessage(L"RegGetKeySecurity failed");
        return {};
    }
    return descriptor;
}

CUniqueRegKey OpenKey(HKEY root, LPCWSTR lpszSubKey, REGSAM access)
{
    HKEY key = nullptr;
    const LONG error = RegOpenKeyExW(root, lpszSubKey, 0, access, &key);
    if (error != ERROR_SUCCESS)
    {
        AddSystemMessage(static_cast<DWORD>(error));
        return {};
    }
    return CUniqueRegKey(key);
}
} // namespace

CString KeyObjectName(HKEY root, LPCWSTR lpszSubKey)
{
    CString name(RootName(root));
    name += L'\\';
    if (lpszSubKey)
        name += lpszSubKey;
    return name;
}

DWORD FileRights(LPCWSTR lpszPath, const AccessPlatform& platform)
{
    if (!lpszPath || !*lpszPath)
    {
        AddMessage(L"No file name specified.");
        return 0;
    }
    const CSid user = CurrentUserSid();
    if (user.IsEmpty())
    {
        AddMessage(L"Failed to get user's SID.");
        return 0;
    }
    EffectiveRights rights;
    if (!PathRights(lpszPath, user.Get(), platform, rights))
        return 0;
    if (rights.inheritableGroupEntry && IsFolder(lpszPath) && !FolderContentsDeletable(lpszPath, user.Get(), platform))
        rights.mask &= ~(DELETE | FILE_DELETE_CHILD);
    if (rights.mask == 0)
        return 0;
    DWORD word = CondenseFileMask(rights.mask) | LimitedAdminBit();
    if (rights.inheritableGroupEntry)
        word |= RIGHTS_INHERITABLE_GROUP_ENTRY;
    return word;
}

BOOL CanDelete(LPCWSTR lpszPath, const AccessPlatform& platform)
{
    const DWORD rights = FileRights(lpszPath, platform);
    if (rights != 0)
        return (rights & RIGHTS_DELETE) != 0;
    // The rights could not be read: whoever may rewrite the attributes may usually delete.
    const DWORD attributes = lpszPath ? GetFileAttributesW(lpszPath) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(lpszPath, attributes);
}

BOOL GrantRights(LPCWSTR lpszPath, DWORD requested, BOOL inherit)
{
    ClearMessages();
    if (!lpszPath || !*lpszPath)
    {
        AddMessage(L"Empty file name specified.");
        return FALSE;
    }
    const CSid user = CurrentUserSid();
    if (user.IsEmpty())
    {
        AddMessage(L"Failed to get user's SID.");
        return FALSE;
    }
    PACL oldDacl = nullptr;
    CUniqueLocal descriptor;
    DWORD error = GetNamedSecurityInfoW(lpszPath, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                                        nullptr, descriptor.put());
    if (error != ERROR_SUCCESS)
    {
        AddSystemMessage(error);
        AddMessage(L"Failed to get file's DACL.");
        return FALSE;
    }

    EXPLICIT_ACCESS_W entry = {};
    entry.grfAccessPermissions = MapRequestedFileRights(requested);
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = inherit ? kInheritFlags : NO_INHERITANCE;
    BuildTrusteeWithSidW(&entry.Trustee, user.Get());
    CUniqueLocal newDacl;
    error = SetEntriesInAclW(1, &entry, oldDacl, reinterpret_cast<PACL*>(newDacl.put()));
    if (error != ERROR_SUCCESS)
    {
        AddSystemMessage(error);
        return FALSE;
    }
    CString path(lpszPath); // the function takes a writable name
    error = SetNamedSecurityInfoW(path.GetBuffer(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  static_cast<PACL>(newDacl.get()), nullptr);
    path.ReleaseBuffer();
    if (error != ERROR_SUCCESS)
    {
        AddSystemMessage(error);
        return FALSE;
    }
    return TRUE;
}

DWORD KeyRights(HKEY root, LPCWSTR lpszSubKey, LPCWSTR lpszUser, const AccessPlatform& platform)
{
    ClearMessages();
    CUniqueRegKey key = OpenKey(root, lpszSubKey, READ_CONTROL);
    if (!key)
        return 0;
    CUniqueLocal descriptor = KeyDescriptor(key.get());
    if (!descriptor)
        return 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted) || !present || !dacl)
        return 0;
    const CSid user = LookupUserSid(L"", lpszUser);
    if (user.IsEmpty())
        return 0;
    const EffectiveRights rights = GetEffectiveRights(dacl, user.Get(), kKeyMapping, platform);
    DWORD word = CondenseKeyMask(rights.mask) | LimitedAdminBit();
    if (rights.inheritableGroupEntry)
        word |= RIGHTS_INHERITABLE_GROUP_ENTRY;
    return word;
}

BOOL SetRights(HKEY root, LPCWSTR lpszSubKey, DWORD requested, BOOL inherit, LPCWSTR lpszUser,
               const AccessPlatform& platform)
{
    ClearMessages();
    CUniqueRegKey key = OpenKey(root, lpszSubKey, WRITE_DAC | READ_CONTROL);
    if (!key)
        return FALSE;
    const CSid user = LookupUserSid(L"", lpszUser);
    if (user.IsEmpty())
        return FALSE;

    // A DACL with room for exactly one entry: it replaces whatever the key had.
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(user.Get());
    std::vector<BYTE> aclBuffer(aclSize, 0);
    const PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAceEx(acl, ACL_REVISION, inherit ? kInheritFlags : 0, MapRequestedKeyRights(requested),
                               user.Get()) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
    {
        AddSystemMessage(GetLastError());
        return FALSE;
    }
    if (platform.setKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor) != ERROR_SUCCESS)
    {
        AddMessage(L"Could not set permissions");
        return FALSE;
    }
    // Written by name as well, so that the system carries inheritable entries down to sub-keys.
    // That second write is best-effort: the key already has its new DACL.
    CString name = KeyObjectName(root, lpszSubKey);
    if (SetNamedSecurityInfoW(name.GetBuffer(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                              nullptr) != ERROR_SUCCESS)
        AddMessage(L"Error setting named security info.");
    name.ReleaseBuffer();
    return TRUE;
}

int VirtualizationEnabled()
{
    ClearMessages();
    const CUniqueHandle token = OpenOwnToken();
    if (!token)
    {
        CString message;
        message.Format(L"OpenProcessToken Error %u\n", GetLastError());
        AddMessage(message);
        return -1;
    }
    constexpr TOKEN_INFORMATION_CLASS kTokenVirtualizationEnabled = static_cast<TOKEN_INFORMATION_CLASS>(24);
    DWORD enabled = 0, size = 0;
    if (!GetTokenInformation(token.get(), kTokenVirtualizationEnabled, &enabled, sizeof(enabled), &size))
    {
        CString message;
        message.Format(L"GetTokenInformation Error %u\n", GetLastError());
        AddMessage(message);
        return -1;
    }
    return enabled ? 1 : 0;
}
} // namespace access_detail
