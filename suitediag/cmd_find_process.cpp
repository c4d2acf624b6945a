// SuiteDiag find-process NAME: the running processes whose executable is NAME (without regard
// to case), as FindProcessesByFileName reports them; exit 1 when there is none.
#include "command.h"

#include <suitecore/processlist.h>

namespace
{
int RunFindProcess(suitediag::Args& args)
{
    const CString name = args.Next(L"NAME");
    args.ExpectEnd();
    CStringArray paths;
    if (!FindProcessesByFileName(name, paths))
    {
        suitediag::ErrFormat(L"SuiteDiag find-process: no running process is named \"%s\"\n", name.GetString());
        return 1;
    }
    for (INT_PTR i = 0; i < paths.GetSize(); ++i)
        suitediag::OutLine(paths[i]);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(find_process, L"find-process", L"NAME", L"Lists the running processes of an executable file name",
                  RunFindProcess);
