// The rights word as SuiteDiag prints it: in hex, then the names of its bits.
#pragma once

#include "output.h"

#include <suitecore/access.h>

namespace suitediag
{
inline CString RightsText(DWORD rights)
{
    static const struct
    {
        DWORD bit;
        LPCWSTR name;
    } kNames[] = {
        {RIGHTS_WRITE, L"write"},
        {RIGHTS_READ, L"read"},
        {RIGHTS_READ_WRITE, L"read and write"},
        {RIGHTS_DELETE, L"delete"},
        {RIGHTS_DELETE_CHILDREN, L"delete children"},
        {RIGHTS_NO_WRITE, L"no write"},
        {RIGHTS_NO_READ, L"no read"},
        {RIGHTS_INHERITABLE_GROUP_ENTRY, L"inheritable group entry"},
        {RIGHTS_LIMITED_ADMIN, L"limited administrator"},
        {RIGHTS_EXECUTE, L"execute"},
        {RIGHTS_CHANGE_PERMISSIONS, L"change permissions"},
        {RIGHTS_TAKE_OWNERSHIP, L"take ownership"},
    };
    CString text;
    text.Format(L"0x%08X", rights);
    LPCWSTR separator = L" ";
    for (const auto& entry : kNames)
    {
        if (rights & entry.bit)
        {
            text += separator;
            text += entry.name;
            separator = L", ";
        }
    }
    return text;
}

// Prints the rights word; when it is 0 and the checks recorded why, prints the reasons on stderr
// and answers 1.
inline int ReportRights(LPCWSTR command, DWORD rights)
{
    OutLine(RightsText(rights));
    if (rights != 0)
        return 0;
    CStringArray messages;
    GetAccessMessages(messages);
    for (INT_PTR i = 0; i < messages.GetSize(); ++i)
    {
        CString message = messages[i];
        message.TrimRight();
        ErrFormat(L"SuiteDiag %s: %s\n", command, message.GetString());
    }
    return messages.IsEmpty() ? 0 : 1;
}
} // namespace suitediag
