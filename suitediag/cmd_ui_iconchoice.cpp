// "SuiteDiag ui iconchoice [--icon 16|32|64] [--count N] [--check] [--large] [--rect L,T,R,B]
// TEXT CAPTION...": the choice box with a type icon; prints its result.
#include "ui_msgbox_args.h"
#include "ui_view.h"

#include <suitecore/ui/msgbox.h>

namespace suitediag
{
namespace
{
int RunIconChoice(Args& args, BOOL)
{
    ChoiceArgs choice;
    UINT icon = MB_ICONINFORMATION;
    BOOL check = FALSE;
    BOOL large = FALSE;
    for (;;)
    {
        CString value;
        if (args.TakeOptionValue(L"--icon", value))
            icon = wcstoul(value, nullptr, 0);
        else if (args.TakeOption(L"--check"))
            check = TRUE;
        else if (args.TakeOption(L"--large"))
            large = TRUE;
        else if (!choice.TakeCommonOption(args))
            break;
    }
    choice.TakeTextAndCaptions(args);
    const int result =
        ShowIconChoiceBox(choice.text, icon, choice.count, &choice.captions, choice.Rect(), check, large, nullptr);
    OutFormat(L"result %d\n", result);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(iconchoice, L"iconchoice",
                  L"[--icon 16|32|64] [--count N] [--check] [--large] [--rect L,T,R,B] TEXT|@FILE CAPTION...",
                  L"Shows the choice box with a type icon and prints its result", false, RunIconChoice);
SUITEDIAG_UI_VIEW_READS_TEXT_FILES(iconchoice, L"iconchoice");
} // namespace suitediag
