// Shared by the access-control tests: SIDs, hand-built ACLs and the process's own account.
#pragma once

#include "../access_internal.h"

#include <suitecore/access.h>

#include <sddl.h>

#include <string>
#include <vector>

namespace access_test
{
inline access_detail::CSid SidFromString(LPCWSTR text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text, &sid))
        return {};
    access_detail::CSid copy(sid);
    LocalFree(sid);
    return copy;
}

inline std::wstring SidToString(PSID sid)
{
    LPWSTR text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text))
        return std::wstring();
    std::wstring copy(text);
    LocalFree(text);
    return copy;
}

inline std::wstring CurrentUserName()
{
    WCHAR name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

struct Entry
{
    BYTE type; // ACCESS_ALLOWED_ACE_TYPE or ACCESS_DENIED_ACE_TYPE
    BYTE flags;
    ACCESS_MASK mask;
    PSID sid;
};

// An ACL holding the entries in the order given, in its own buffer.
class CTestAcl
{
public:
    explicit CTestAcl(const std::vector<Entry>& entries)
    {
        DWORD size = sizeof(ACL);
        for (const Entry& e : entries)
            size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(e.sid);
        m_buffer.assign(size, 0);
        InitializeAcl(Get(), size, ACL_REVISION);
        for (const Entry& e : entries)
        {
            if (e.type == ACCESS_ALLOWED_ACE_TYPE)
                AddAccessAllowedAceEx(Get(), ACL_REVISION, e.flags, e.mask, e.sid);
            else
                AddAccessDeniedAceEx(Get(), ACL_REVISION, e.flags, e.mask, e.sid);
        }
    }
    PACL Get() { return reinterpret_cast<PACL>(m_buffer.data()); }
    std::vector<BYTE>& Bytes() { return m_buffer; }

private:
    std::vector<BYTE> m_buffer;
};

// The system's text for an error code, as the failure list records it.
inline CString SystemText(DWORD error)
{
    WCHAR text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 512, nullptr);
    return text;
}

inline CString Joined(const CStringArray& messages)
{
    CString all;
    for (INT_PTR i = 0; i < messages.GetSize(); ++i)
        all += messages[i] + L"|";
    return all;
}

// The failure list of this executable's copy of the internals, joined with "|".
inline CString Messages()
{
    CStringArray messages;
    access_detail::CopyMessages(messages);
    return Joined(messages);
}

// The failure list SuiteCore's exports recorded, joined with "|".
inline CString ExportedMessages()
{
    CStringArray messages;
    GetAccessMessages(messages);
    return Joined(messages);
}
} // namespace access_test
