// The administrator test: an access check of the caller's token against a security
// descriptor that grants access to the Administrators group alone. Unlike a plain group
// lookup it honours deny-only groups of a filtered token.
#include "suitecore/sysinfo.h"

#include <framework/handles.h>

#include <vector>

namespace
{
struct SidTraits
{
    using type = PSID;
    static PSID invalid() noexcept { return nullptr; }
    static void close(PSID sid) noexcept { FreeSid(sid); }
};
using CUniqueSid = CUniqueAny<SidTraits>;

constexpr DWORD kAccessRead = 1;
constexpr DWORD kAccessWrite = 2;
constexpr DWORD kAccessAll = kAccessRead | kAccessWrite;

CUniqueHandle OpenCallerToken()
{
    CUniqueHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_DUPLICATE | TOKEN_QUERY, TRUE, token.put()))
        return token;
    if (GetLastError() != ERROR_NO_TOKEN ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, token.put()))
        token.reset();
    return token;
}
} // namespace

BOOL IsUserAdmin()
{
    CUniqueHandle token = OpenCallerToken();
    if (!token)
        return FALSE;
    CUniqueHandle impersonation;
    if (!DuplicateToken(token.get(), SecurityImpersonation, impersonation.put()))
        return FALSE;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    CUniqueSid admins;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, admins.put()))
        return FALSE;

    const DWORD aclBytes = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(admins.get()) - sizeof(DWORD);
    std::vector<BYTE> aclBuffer(aclBytes);
    PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !InitializeAcl(acl, aclBytes, ACL_REVISION2) ||
        !AddAccessAllowedAce(acl, ACL_REVISION2, kAccessAll, admins.get()) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorGroup(&descriptor, admins.get(), FALSE) ||
        !SetSecurityDescriptorOwner(&descriptor, admins.get(), FALSE) || !IsValidSecurityDescriptor(&descriptor))
        return FALSE;

    GENERIC_MAPPING mapping = {kAccessRead, kAccessWrite, 0, kAccessAll};
    PRIVILEGE_SET privileges;
    DWORD privilegesBytes = sizeof(privileges);
    DWORD granted = 0;
    BOOL accessStatus = FALSE;
    if (!AccessCheck(&descriptor, impersonation.get(), kAccessRead, &mapping, &privileges, &privilegesBytes, &granted,
                     &accessStatus))
        return FALSE;
    return accessStatus;
}
