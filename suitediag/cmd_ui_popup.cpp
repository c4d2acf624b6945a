// "SuiteDiag ui popup": the sample pop-up, alone or over the shade; prints its result.
#include "ui_sample.h"
#include "ui_view.h"

namespace suitediag
{
namespace
{
int RunPopup(Args& args, BOOL)
{
    SamplePopupOptions options;
    bool shaded = false;
    while (!args.Empty())
    {
        CString value;
        if (args.TakeOptionValue(L"--header", value))
            options.headerStyle = _wtoi(value);
        else if (args.TakeOption(L"--maximisable"))
            options.maximisable = true;
        else if (args.TakeOption(L"--no-close"))
            options.noClose = true;
        else if (args.TakeOption(L"--subtitle"))
            options.subtitle = true;
        else if (args.TakeOption(L"--separator"))
            options.separator = true;
        else if (args.TakeOption(L"--shaded"))
            shaded = true;
        else if (args.TakeOptionValue(L"--title", options.title))
            options.hasTitle = true;
        else
            throw UsageError{L"unknown option " + args.Next(L"option")};
    }
    INT_PTR result = 0;
    if (shaded)
    {
        SampleMainHost host;
        CSampleShadedPopup popup(options);
        result = DoModalShaded(host.Window(), &popup, IDD_SUITEDIAG_POPUP);
    }
    else
    {
        CSamplePopup popup(options);
        result = popup.DoModal();
    }
    OutFormat(L"result %d\n", static_cast<int>(result));
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(popup, L"popup",
                  L"[--header N] [--maximisable] [--no-close] [--subtitle] [--separator] [--shaded] [--title TEXT]",
                  L"Shows the sample pop-up and prints its result", false, RunPopup);
} // namespace suitediag
