// SuiteDiag version: the file version of the suitecore.dll this process loaded.
#include "command.h"

#include <suitecore/sysinfo.h>

namespace
{
int RunVersion(suitediag::Args& args)
{
    args.ExpectEnd();
    HMODULE core = GetModuleHandleW(L"suitecore.dll");
    wchar_t path[MAX_PATH];
    if (!core || !GetModuleFileNameW(core, path, MAX_PATH))
    {
        suitediag::ErrLine(L"SuiteDiag version: suitecore.dll is not loaded");
        return 1;
    }
    const CString version = GetFileVersionString(path);
    if (version.IsEmpty() || version == L"0")
    {
        suitediag::ErrFormat(L"SuiteDiag version: %s has no version block\n", path);
        return 1;
    }
    suitediag::OutLine(version);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(version, L"version", L"", L"Prints the file version of the loaded suitecore.dll", RunVersion);
