// SuiteDiag module-key TOOL: the launcher's key word of a tool. Exit 1 for an unknown tool.
#include "command.h"

#include <suitecore/app.h>

#include <cwchar>

namespace
{
int RunModuleKey(suitediag::Args& args)
{
    const CString text = args.Next(L"TOOL");
    args.ExpectEnd();
    wchar_t* end = nullptr;
    const long tool = wcstol(text, &end, 10);
    if (text.IsEmpty() || *end != L'\0')
        throw suitediag::UsageError{L"TOOL must be a tool number, not \"" + text + L"\""};
    const CString key = GetModuleKey(static_cast<int>(tool));
    if (key.IsEmpty())
    {
        suitediag::ErrFormat(L"SuiteDiag module-key: tool %ld has no module key.\n", tool);
        return 1;
    }
    suitediag::OutLine(key);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(module_key, L"module-key", L"TOOL", L"Prints the launcher's key word of a tool", RunModuleKey);
