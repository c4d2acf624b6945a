// SuiteDiag key-rights ROOT\SUBKEY USER: a named user's rights word on a registry key.
#include "command.h"
#include "rights_text.h"

#include <framework/regkey.h>

namespace
{
int RunKeyRights(suitediag::Args& args)
{
    const CString key = args.Next(L"ROOT\\SUBKEY");
    const CString user = args.Next(L"USER");
    args.ExpectEnd();
    const int slash = key.Find(L'\\');
    const HKEY root = AfxRootKeyFromName(slash < 0 ? key : key.Left(slash));
    if (!root)
        throw suitediag::UsageError{L"unknown root key in \"" + key + L"\" (HKCU, HKLM, HKCR or HKU)"};
    const CString subKey = slash < 0 ? CString() : key.Mid(slash + 1);
    return suitediag::ReportRights(L"key-rights", GetKeyRights(root, subKey, user));
}
} // namespace

SUITEDIAG_COMMAND(key_rights, L"key-rights", L"ROOT\\SUBKEY USER",
                  L"Prints the rights word of a user on a registry key", RunKeyRights);
