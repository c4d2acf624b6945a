// "SuiteDiag ui msgbox [--flags N] [--nowrap] [--rect L,T,R,B] TEXT": the message box without a
// parent, with the system's MessageBox flags; prints its result.
#include "ui_msgbox_args.h"
#include "ui_view.h"

#include <suitecore/ui/msgbox.h>

namespace suitediag
{
namespace
{
int RunMsgBox(Args& args, BOOL)
{
    UINT flags = 0;
    BOOL wrap = TRUE;
    std::optional<RECT> rect;
    for (;;)
    {
        CString value;
        if (args.TakeOptionValue(L"--flags", value))
            flags = wcstoul(value, nullptr, 0);
        else if (args.TakeOption(L"--nowrap"))
            wrap = FALSE;
        else if (args.TakeOptionValue(L"--rect", value))
            rect = ParseBoxRect(value);
        else
            break;
    }
    const CString text = args.Next(L"TEXT");
    args.ExpectEnd();
    const int result = ShowMessageBox(text, flags, nullptr, rect ? &*rect : nullptr, wrap);
    OutFormat(L"result %d\n", result);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(msgbox, L"msgbox", L"[--flags N] [--nowrap] [--rect L,T,R,B] TEXT|@FILE",
                  L"Shows the message box with MessageBox flags and prints its result", false, RunMsgBox);
SUITEDIAG_UI_VIEW_READS_TEXT_FILES(msgbox, L"msgbox");
} // namespace suitediag
