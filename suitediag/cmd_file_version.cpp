// SuiteDiag file-version: the file version of any file, as the update check reads it.
#include "command.h"

#include <suitecore/sysinfo.h>

namespace
{
int RunFileVersion(suitediag::Args& args)
{
    const CString path = args.Next(L"PATH");
    args.ExpectEnd();
    // The text is printed as it comes, "0" and empty included, so that scripts see exactly
    // what the library answers; the exit code says whether it is a version.
    const CString version = GetFileVersionString(path);
    suitediag::OutLine(version);
    if (version == L"0")
    {
        suitediag::ErrFormat(L"SuiteDiag file-version: %s does not exist\n", path.GetString());
        return 1;
    }
    if (version.IsEmpty())
    {
        suitediag::ErrFormat(L"SuiteDiag file-version: %s has no version block\n", path.GetString());
        return 1;
    }
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(file_version, L"file-version", L"PATH", L"Prints the file version of a file", RunFileVersion);
