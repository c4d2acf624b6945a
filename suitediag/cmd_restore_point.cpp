// SuiteDiag restore-point [DESCRIPTION]: asks System Restore for a restore point the way the
// suite's tools do; prints "created" or "failed".
#include "command.h"

#include <suitecore/restorepoint.h>

namespace
{
int RunRestorePoint(suitediag::Args& args)
{
    const CString description = args.Empty() ? CString() : args.Next(L"DESCRIPTION");
    args.ExpectEnd();
    if (CreateRestorePoint(description))
    {
        suitediag::OutLine(L"created");
        return 0;
    }
    suitediag::OutLine(L"failed");
    suitediag::ErrLine(L"SuiteDiag restore-point: System Restore did not create the restore point");
    return 1;
}
} // namespace

SUITEDIAG_COMMAND(restore_point, L"restore-point", L"[DESCRIPTION]",
                  L"Creates a System Restore point; prints created or failed", RunRestorePoint);
