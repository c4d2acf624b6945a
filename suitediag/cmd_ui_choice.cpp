// "SuiteDiag ui choice [--bitmap ID] [--lower] [--count N] [--rect L,T,R,B] TEXT CAPTION...": the
// choice box with a picture beside the text (below it with --lower); prints its result.
#include "ui_msgbox_args.h"
#include "ui_view.h"

#include <suitecore/ui/msgbox.h>

namespace suitediag
{
namespace
{
constexpr UINT kSidePicture = 1079;
constexpr UINT kLowerPicture = 1078;

int RunChoice(Args& args, BOOL)
{
    ChoiceArgs choice;
    UINT bitmap = 0;
    bool lower = false;
    for (;;)
    {
        CString value;
        if (args.TakeOptionValue(L"--bitmap", value))
            bitmap = wcstoul(value, nullptr, 0);
        else if (args.TakeOption(L"--lower"))
            lower = true;
        else if (!choice.TakeCommonOption(args))
            break;
    }
    choice.TakeTextAndCaptions(args);
    if (!bitmap)
        bitmap = lower ? kLowerPicture : kSidePicture;
    const int result = ShowChoiceBox(choice.text, bitmap, choice.count, &choice.captions, choice.Rect(), !lower, nullptr);
    OutFormat(L"result %d\n", result);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(choice, L"choice", L"[--bitmap ID] [--lower] [--count N] [--rect L,T,R,B] TEXT|@FILE CAPTION...",
                  L"Shows the choice box with a picture and prints its result", false, RunChoice);
SUITEDIAG_UI_VIEW_READS_TEXT_FILES(choice, L"choice");
} // namespace suitediag
