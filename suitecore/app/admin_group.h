// The group lookup behind IsUserInAdminGroup, with the read of the token's groups as a
// parameter so that the sizing of that read can be exercised.
#pragma once

#include <framework/framework.h>

namespace suitecore
{
// Reads a token's groups the way GetTokenInformation(TokenGroups) does: fills the buffer when
// it is large enough, else fails with ERROR_INSUFFICIENT_BUFFER and stores the size needed.
using TokenGroupsReader = BOOL (*)(HANDLE hToken, void* pBuffer, DWORD nBytes, DWORD* pnNeeded);

// GetTokenInformation(TokenGroups).
BOOL ReadTokenGroups(HANDLE hToken, void* pBuffer, DWORD nBytes, DWORD* pnNeeded);

// Whether the thread's token (else the process's) lists the Administrators alias. The groups
// are read into a buffer of the size the reader asks for, however large. True when the token
// cannot be opened or its groups cannot be read.
BOOL IsUserInAdminGroupWith(TokenGroupsReader readGroups);

// The elevation state from the two answers: in the group, 1 when elevated and 2 when not;
// outside it, the elevation answer itself.
int ElevationStateFor(BOOL bInAdminGroup, BOOL bElevated);
} // namespace suitecore
