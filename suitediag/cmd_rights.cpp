// SuiteDiag rights PATH: the process user's rights word on a file or folder.
#include "command.h"
#include "rights_text.h"

namespace
{
int RunRights(suitediag::Args& args)
{
    const CString path = args.Next(L"PATH");
    args.ExpectEnd();
    return suitediag::ReportRights(L"rights", GetFileRights(path, L"", L""));
}
} // namespace

SUITEDIAG_COMMAND(rights, L"rights", L"PATH", L"Prints the rights word of the current user on a file or folder",
                  RunRights);
