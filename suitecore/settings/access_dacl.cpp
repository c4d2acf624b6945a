// The failure-message list, the SIDs checks apply to, the DACL evaluator and the rights word.
#include "access_internal.h"

#include <suitecore/access.h>

#include <cstddef>
#include <lm.h>
#include <mutex>
#include <sddl.h>

namespace access_detail
{
namespace
{
struct NetApiBufferTraits
{
    using type = void*;
    static void* invalid() noexcept { return nullptr; }
    static void close(void* p) noexcept { NetApiBufferFree(p); }
};
using CUniqueNetApiBuffer = CUniqueAny<NetApiBufferTraits>;

struct MessageList
{
    std::mutex lock;
    CStringArray items;
};

MessageList& Messages()
{
    static MessageList list;
    return list;
}

// TokenInformation classes newer than the headers this tree builds against.
constexpr TOKEN_INFORMATION_CLASS kTokenElevationType = static_cast<TOKEN_INFORMATION_CLASS>(18);
constexpr TOKEN_INFORMATION_CLASS kTokenElevation = static_cast<TOKEN_INFORMATION_CLASS>(20);
constexpr DWORD kTokenElevationTypeLimited = 3;

// A variable-size token information block; empty on failure.
std::vector<BYTE> QueryToken(HANDLE token, TOKEN_INFORMATION_CLASS cls)
{
    DWORD size = 0;
    GetTokenInformation(token, cls, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size, 0);
    if (!GetTokenInformation(token, cls, block.data(), size, &size))
        return {};
    return block;
}

bool QueryTokenDword(HANDLE token, TOKEN_INFORMATION_CLASS cls, DWORD& value)
{
    DWORD size = 0;
    return GetTokenInformation(token, cls, &value, sizeof(value), &size) != FALSE;
}

TokenInfo ReadProcessToken()
{
    TokenInfo info;
    CUniqueHandle token = OpenOwnToken();
    if (!token)
        return info;
    const std::vector<BYTE> user = QueryToken(token.get(), TokenUser);
    if (!user.empty())
        info.user = CSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    const std::vector<BYTE> groups = QueryToken(token.get(), TokenGroups);
    if (!groups.empty())
    {
        const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
        for (DWORD i = 0; i < list->GroupCount; ++i)
        {
            const DWORD attributes = list->Groups[i].Attributes;
            const CSid sid(list->Groups[i].Sid);
            info.groups.push_back(sid);
            const bool denyOnly = (attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
            if (denyOnly || (attributes & SE_GROUP_ENABLED))
                info.checkGroups.push_back({sid, denyOnly});
        }
    }
    DWORD elevationType = 0, elevated = 0;
    info.limitedAdmin = QueryTokenDword(token.get(), kTokenElevationType, elevationType) &&
                        QueryTokenDword(token.get(), kTokenElevation, elevated) &&
                        elevationType == kTokenElevationTypeLimited && elevated == 0;
    return info;
}

CSid WellKnownSid(BYTE authority, DWORD rid)
{
    SID_IDENTIFIER_AUTHORITY id = {{0, 0, 0, 0, 0, authority}};
    BYTE buffer[SECURITY_MAX_SID_SIZE] = {};
    PSID sid = buffer;
    if (!InitializeSid(sid, &id, 1))
        return {};
    *GetSidSubAuthority(sid, 0) = rid;
    return CSid(sid);
}

// The SID inside an allow or deny entry, when it lies wholly inside the entry.
PSID EntrySid(const ACE_HEADER* header)
{
    constexpr size_t offset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
    constexpr size_t minSid = offsetof(SID, SubAuthority);
    if (header->AceSize < offset + minSid)
        return nullptr;
    const auto* sid = reinterpret_cast<const SID*>(reinterpret_cast<const BYTE*>(header) + offset);
    const size_t sidSize = minSid + sizeof(DWORD) * sid->SubAuthorityCount;
    if (sid->Revision != SID_REVISION || sid->SubAuthorityCount > SID_MAX_SUB_AUTHORITIES ||
        header->AceSize < offset + sidSize)
        return nullptr;
    return const_cast<SID*>(sid);
}

bool Matches(const std::vector<SubjectSid>& subject, PSID sid, bool denyEntry)
{
    for (const SubjectSid& s : subject)
        if ((denyEntry || !s.denyOnly) && s.sid.Equals(sid))
            return true;
    return false;
}

ACCESS_MASK MapGeneric(ACCESS_MASK mask, const GENERIC_MAPPING& mapping)
{
    if (mask & GENERIC_READ)
        mask |= mapping.GenericRead;
    if (mask & GENERIC_WRITE)
        mask |= mapping.GenericWrite;
    if (mask & GENERIC_EXECUTE)
        mask |= mapping.GenericExecute;
    if (mask & GENERIC_ALL)
        mask |= mapping.GenericAll;
    return mask &
           ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED | ACCESS_SYSTEM_SECURITY);
}

// An explicit entry for one of the process token's groups that objects or containers inherit.
bool HasInheritableGroupEntry(PACL dacl)
{
    ULONG count = 0;
    CUniqueLocal entries;
    if (GetExplicitEntriesFromAclW(dacl, &count, reinterpret_cast<PEXPLICIT_ACCESS_W*>(entries.put())) !=
            ERROR_SUCCESS ||
        !entries)
        return false;
    const auto* list = static_cast<const EXPLICIT_ACCESS_W*>(entries.get());
    const TokenInfo& token = ProcessToken();
    for (ULONG i = 0; i < count; ++i)
    {
        const EXPLICIT_ACCESS_W& entry = list[i];
        if (entry.Trustee.TrusteeForm != TRUSTEE_IS_SID || !entry.Trustee.ptstrName ||
            !(entry.grfInheritance & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)))
            continue;
        const PSID sid = reinterpret_cast<PSID>(entry.Trustee.ptstrName);
        for (const CSid& group : token.groups)
            if (group.Equals(sid))
                return true;
    }
    return false;
}

// The bits files and keys condense alike, added to what the caller decided about write and read.
DWORD CompleteRightsWord(DWORD word, bool write, bool read, ACCESS_MASK mask)
{
    if (write)
        word |= RIGHTS_WRITE;
    if (read)
        word |= RIGHTS_READ;
    if (write && read)
        word |= RIGHTS_READ_WRITE;
    if (mask & DELETE)
        word |= RIGHTS_DELETE;
    if (mask & FILE_DELETE_CHILD)
        word |= RIGHTS_DELETE_CHILDREN;
    if (!(word & (RIGHTS_WRITE | RIGHTS_DELETE)))
        word |= RIGHTS_NO_WRITE;
    if (!(word & RIGHTS_READ))
        word |= RIGHTS_NO_READ;
    if (mask & WRITE_DAC)
        word |= RIGHTS_CHANGE_PERMISSIONS;
    if (mask & WRITE_OWNER)
        word |= RIGHTS_TAKE_OWNERSHIP;
    return word;
}

ACCESS_MASK MapRequestedCommon(DWORD requested)
{
    ACCESS_MASK mask = 0;
    if (requested & RIGHTS_DELETE)
        mask |= DELETE;
    if (requested & RIGHTS_DELETE_CHILDREN)
        mask |= FILE_DELETE_CHILD;
    if (requested & RIGHTS_CHANGE_PERMISSIONS)
        mask |= WRITE_DAC;
    if (requested & RIGHTS_TAKE_OWNERSHIP)
        mask |= WRITE_OWNER;
    return mask;
}
} // namespace

CUniqueHandle OpenOwnToken()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    return CUniqueHandle(token);
}

const GENERIC_MAPPING kFileMapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
const GENERIC_MAPPING kKeyMapping = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};

void AddMessage(LPCWSTR text)
{
    MessageList& list = Messages();
    std::lock_guard<std::mutex> guard(list.lock);
    list.items.Add(CString(text));
}

void AddSystemMessage(DWORD error)
{
    CUniqueLocal text;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(text.put()), 0, nullptr) &&
        text)
        AddMessage(static_cast<LPCWSTR>(text.get()));
}

void ClearMessages()
{
    MessageList& list = Messages();
    std::lock_guard<std::mutex> guard(list.lock);
    list.items.RemoveAll();
}

void CopyMessages(CStringArray& messages)
{
    MessageList& list = Messages();
    std::lock_guard<std::mutex> guard(list.lock);
    messages.Copy(list.items);
}

CSid::CSid(PSID sid)
{
    if (sid && IsValidSid(sid))
    {
        const BYTE* bytes = static_cast<const BYTE*>(sid);
        m_bytes.assign(bytes, bytes + GetLengthSid(sid));
    }
}

bool CSid::Equals(PSID other) const
{
    return !m_bytes.empty() && other && EqualSid(Get(), other);
}

const TokenInfo& ProcessToken()
{
    static const TokenInfo info = ReadProcessToken();
    return info;
}

CSid CurrentUserSid()
{
    CUniqueHandle token = OpenOwnToken();
    std::vector<BYTE> user;
    if (token)
        user = QueryToken(token.get(), TokenUser);
    CSid sid;
    if (!user.empty())
        sid = CSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    if (sid.IsEmpty())
        AddMessage(L"Failed to get user SID.");
    return sid;
}

CSid LookupUserSid(LPCWSTR lpszDomain, LPCWSTR lpszUser)
{
    if (!lpszUser || !*lpszUser)
    {
        AddMessage(L"Empty user name specified.");
        return {};
    }
    CUniqueNetApiBuffer controller;
    if (lpszDomain && *lpszDomain &&
        NetGetDCName(nullptr, lpszDomain, reinterpret_cast<LPBYTE*>(controller.put())) != NERR_Success)
        controller.reset();
    const LPCWSTR system = controller ? static_cast<LPCWSTR>(controller.get()) : nullptr;

    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    if (LookupAccountNameW(system, lpszUser, nullptr, &sidSize, nullptr, &domainSize, &use) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    {
        AddSystemMessage(GetLastError());
        return {};
    }
    std::vector<BYTE> sid(sidSize, 0);
    std::vector<WCHAR> domain(domainSize + 1, L'\0');
    if (!LookupAccountNameW(system, lpszUser, sid.data(), &sidSize, domain.data(), &domainSize, &use))
    {
        AddSystemMessage(GetLastError());
        return {};
    }
    return CSid(sid.data());
}

std::vector<SubjectSid> SubjectFor(PSID trustee)
{
    std::vector<SubjectSid> subject;
    subject.push_back({CSid(trustee), false});
    const TokenInfo& token = ProcessToken();
    if (token.user.Equals(trustee))
    {
        subject.insert(subject.end(), token.checkGroups.begin(), token.checkGroups.end());
        return subject;
    }
    subject.push_back({WellKnownSid(1, SECURITY_WORLD_RID), false});
    subject.push_back({WellKnownSid(5, SECURITY_AUTHENTICATED_USER_RID), false});
    return subject;
}

bool EvaluateDacl(const ACL* dacl, const std::vector<SubjectSid>& subject, const GENERIC_MAPPING& mapping,
                  ACCESS_MASK& mask)
{
    mask = 0;
    if (!dacl || dacl->AclSize < sizeof(ACL))
        return false;
    const BYTE* const base = reinterpret_cast<const BYTE*>(dacl);
    size_t offset = sizeof(ACL);
    ACCESS_MASK allowed = 0, denied = 0;
    for (WORD i = 0; i < dacl->AceCount; ++i)
    {
        if (offset + sizeof(ACE_HEADER) > dacl->AclSize)
            return false;
        const auto* header = reinterpret_cast<const ACE_HEADER*>(base + offset);
        if (header->AceSize < sizeof(ACE_HEADER) || offset + header->AceSize > dacl->AclSize)
            return false;
        offset += header->AceSize;

        const bool allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        const bool deny = header->AceType == ACCESS_DENIED_ACE_TYPE;
        if ((!allow && !deny) || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const PSID sid = EntrySid(header);
        if (!sid)
            return false;
        if (!Matches(subject, sid, deny))
            continue;
        const ACCESS_MASK entry = MapGeneric(reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header)->Mask, mapping);
        if (allow)
            allowed |= entry & ~denied;
        else
            denied |= entry & ~allowed;
    }
    mask = allowed;
    return true;
}

EffectiveRights GetEffectiveRights(PACL dacl, PSID trustee, const GENERIC_MAPPING& mapping,
                                   const AccessPlatform& platform)
{
    EffectiveRights rights;
    if (!dacl)
    {
        AddMessage(L"Null ACL specified.");
        return rights;
    }
    if (!trustee)
    {
        AddMessage(L"Null User SID specified.");
        return rights;
    }
    TRUSTEE_W who;
    BuildTrusteeWithSidW(&who, trustee);
    ACCESS_MASK mask = 0;
    if (platform.effectiveRights && platform.effectiveRights(dacl, &who, &mask) == ERROR_SUCCESS)
        rights.mask = mask;
    else if (EvaluateDacl(dacl, SubjectFor(trustee), mapping, mask))
        rights.mask = mask;
    rights.inheritableGroupEntry = HasInheritableGroupEntry(dacl);
    return rights;
}

DWORD CondenseFileMask(ACCESS_MASK mask)
{
    constexpr ACCESS_MASK write = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA;
    constexpr ACCESS_MASK read = FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_READ_EA;
    const DWORD word = (mask & FILE_EXECUTE) ? DWORD(RIGHTS_EXECUTE) : 0;
    return CompleteRightsWord(word, (mask & write) == write, (mask & read) == read, mask);
}

DWORD CondenseKeyMask(ACCESS_MASK mask)
{
    constexpr ACCESS_MASK write = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    return CompleteRightsWord(0, (mask & write) != 0, (mask & KEY_READ) != 0, mask);
}

ACCESS_MASK MapRequestedFileRights(DWORD requested)
{
    if (requested & RIGHTS_READ_WRITE)
        requested |= RIGHTS_WRITE | RIGHTS_READ;
    ACCESS_MASK mask = MapRequestedCommon(requested);
    if (requested & RIGHTS_WRITE)
        mask |= GENERIC_WRITE;
    if (requested & RIGHTS_READ)
        mask |= GENERIC_READ;
    if (requested & RIGHTS_EXECUTE)
        mask |= GENERIC_EXECUTE;
    return mask;
}

ACCESS_MASK MapRequestedKeyRights(DWORD requested)
{
    if (requested & RIGHTS_READ_WRITE)
        requested |= RIGHTS_WRITE | RIGHTS_READ;
    ACCESS_MASK mask = MapRequestedCommon(requested);
    if (requested & RIGHTS_WRITE)
        mask |= KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;
    if (requested & RIGHTS_READ)
        mask |= KEY_READ;
    return mask;
}
} // namespace access_detail
