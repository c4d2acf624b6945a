// SuiteDiag ui flags [WORD...]: the scheduled-run flags and the single-instance flag after
// InitInstance, whatever it answered. The words only stand on the command line, where
// InitInstance reads its switches. This view keeps single-instance behaviour.
#include "ui_view.h"

#include <suitecore/app.h>

namespace
{
int RunFlags(suitediag::Args& args, BOOL initialised)
{
    args.Rest();
    suitediag::OutFormat(L"schedule=%u autofix=%u shutdown=%u activate-prev=%u init=%d\n",
                         static_cast<unsigned>(g_bScheduledRun), static_cast<unsigned>(g_bAutoFix),
                         static_cast<unsigned>(g_bShutdownAfter), static_cast<unsigned>(g_bActivatePrevInstance),
                         initialised ? 1 : 0);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(flags, L"flags", L"[WORD...]", L"The scheduled-run and single-instance flags after start-up", true,
                  RunFlags);
