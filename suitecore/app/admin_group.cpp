#include "admin_group.h"

#include <framework/handles.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace
{
CUniqueHandle OpenQueryToken()
{
    CUniqueHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()))
        return token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        token.reset();
    return token;
}

// Reads the groups into a buffer of the size asked for; empty on failure. The list may grow
// between the two reads, so a refusal for size is retried a few times.
std::vector<BYTE> ReadGroups(HANDLE hToken, suitecore::TokenGroupsReader readGroups)
{
    std::vector<BYTE> buffer;
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        DWORD needed = 0;
        const DWORD size = static_cast<DWORD>(buffer.size());
        if (readGroups(hToken, buffer.empty() ? nullptr : buffer.data(), size, &needed))
            return buffer;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size)
            break;
        buffer.assign(needed, 0);
    }
    return {};
}
} // namespace

namespace suitecore
{
BOOL ReadTokenGroups(HANDLE hToken, void* pBuffer, DWORD nBytes, DWORD* pnNeeded)
{
    return GetTokenInformation(hToken, TokenGroups, pBuffer, nBytes, pnNeeded);
}

BOOL IsUserInAdminGroupWith(TokenGroupsReader readGroups)
{
    CUniqueHandle token = OpenQueryToken();
    if (!token)
        return TRUE;
    const std::vector<BYTE> buffer = ReadGroups(token.get(), readGroups);
    if (buffer.size() < offsetof(TOKEN_GROUPS, Groups))
        return TRUE;

    BYTE adminsSid[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidBytes = sizeof(adminsSid);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminsSid, &sidBytes))
        return TRUE;

    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    const size_t fits = (buffer.size() - offsetof(TOKEN_GROUPS, Groups)) / sizeof(SID_AND_ATTRIBUTES);
    const DWORD count = static_cast<DWORD>(std::min<size_t>(groups->GroupCount, fits));
    const SID_AND_ATTRIBUTES* entries = groups->Groups;
    for (DWORD i = 0; i < count; ++i)
    {
        if (entries[i].Sid && IsValidSid(entries[i].Sid) && EqualSid(entries[i].Sid, adminsSid))
            return TRUE;
    }
    return FALSE;
}

int ElevationStateFor(BOOL bInAdminGroup, BOOL bElevated)
{
    if (bInAdminGroup)
        return bElevated ? 1 : 2;
    return bElevated ? 1 : 0;
}
} // namespace suitecore
