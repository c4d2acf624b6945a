// The access-control helpers' internals: the failure-message list, SIDs of the process token
// and of named users, the DACL evaluator and the rights-word conversions. Not exported; the
// exported functions in access.cpp call these with the system's own functions.
#pragma once

#include <framework/collections.h>
#include <framework/handles.h>
#include <framework/string.h>

#include <aclapi.h>
#include <vector>

namespace access_detail
{
// The process-wide failure-message list.
void AddMessage(LPCWSTR text);
void AddSystemMessage(DWORD error); // the system's text for a Win32 error code
void ClearMessages();
void CopyMessages(CStringArray& messages);

// A SID held in its own buffer.
class CSid
{
public:
    CSid() = default;
    explicit CSid(PSID sid);
    PSID Get() const { return m_bytes.empty() ? nullptr : const_cast<BYTE*>(m_bytes.data()); }
    bool IsEmpty() const { return m_bytes.empty(); }
    bool Equals(PSID other) const;

private:
    std::vector<BYTE> m_bytes;
};

// One SID an access check applies to; a deny-only group matches deny entries alone.
struct SubjectSid
{
    CSid sid;
    bool denyOnly = false;
};

struct TokenInfo
{
    CSid user;
    std::vector<CSid> groups;            // every group of the token
    std::vector<SubjectSid> checkGroups; // those an access check counts: enabled or deny-only
    bool limitedAdmin = false;           // an administrator running with a filtered token
};
// The process token's user and groups, read once per process.
const TokenInfo& ProcessToken();

// The process token opened for queries; empty on failure, with the last error kept.
CUniqueHandle OpenOwnToken();
// The process token's user, read afresh; empty on failure (recorded).
CSid CurrentUserSid();
// A named account's SID; when a domain is given, its domain controller answers. Empty on failure
// (recorded).
CSid LookupUserSid(LPCWSTR lpszDomain, LPCWSTR lpszUser);

// The SIDs a trustee's rights are checked against: the process's user is checked with the
// token's groups; another account with the groups every account belongs to.
std::vector<SubjectSid> SubjectFor(PSID trustee);

// The rights a DACL gives the subject: entries in order, inherit-only ones skipped, generic
// rights mapped; a right denied before it is allowed stays denied, as the system's access check
// does. False for a malformed ACL.
bool EvaluateDacl(const ACL* dacl, const std::vector<SubjectSid>& subject, const GENERIC_MAPPING& mapping,
                  ACCESS_MASK& mask);

extern const GENERIC_MAPPING kFileMapping;
extern const GENERIC_MAPPING kKeyMapping;

using EffectiveRightsFn = DWORD(WINAPI*)(PACL, PTRUSTEE_W, PACCESS_MASK);
using SecurityInfoFn = DWORD(WINAPI*)(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*,
                                      PSECURITY_DESCRIPTOR*);
using SetKeySecurityFn = LONG(WINAPI*)(HKEY, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);

// The system functions the checks call; tests replace them where the platform falls short.
struct AccessPlatform
{
    EffectiveRightsFn effectiveRights = &::GetEffectiveRightsFromAclW;
    SecurityInfoFn securityInfo = &::GetSecurityInfo;
    SetKeySecurityFn setKeySecurity = &::RegSetKeySecurity;
};

struct EffectiveRights
{
    ACCESS_MASK mask = 0;
    bool inheritableGroupEntry = false; // an explicit entry for a token group inherits
};
// The trustee's effective rights on a non-null DACL: the system's answer when it gives one,
// else the evaluator's.
EffectiveRights GetEffectiveRights(PACL dacl, PSID trustee, const GENERIC_MAPPING& mapping,
                                   const AccessPlatform& platform);

// Access mask to rights word, and requested rights word to access mask.
DWORD CondenseFileMask(ACCESS_MASK mask);
DWORD CondenseKeyMask(ACCESS_MASK mask);
ACCESS_MASK MapRequestedFileRights(DWORD requested);
ACCESS_MASK MapRequestedKeyRights(DWORD requested);

DWORD FileRights(LPCWSTR lpszPath, const AccessPlatform& platform);
BOOL CanDelete(LPCWSTR lpszPath, const AccessPlatform& platform);
BOOL GrantRights(LPCWSTR lpszPath, DWORD requested, BOOL inherit);
DWORD KeyRights(HKEY root, LPCWSTR lpszSubKey, LPCWSTR lpszUser, const AccessPlatform& platform);
BOOL SetRights(HKEY root, LPCWSTR lpszSubKey, DWORD requested, BOOL inherit, LPCWSTR lpszUser,
               const AccessPlatform& platform);
int VirtualizationEnabled();
// "%s\%s" of the root's name and the sub-key, the name the security functions take.
CString KeyObjectName(HKEY root, LPCWSTR lpszSubKey);
} // namespace access_detail
