// SuiteDiag ui VIEW [ARGS...]: runs the suite's application start-up inside SuiteDiag and shows
// one view of its result. The application object is SuiteDiag's own tool object ("SuiteDiag",
// language file "QMN.ini"); its InitInstance runs as a console host, and the view is then
// called with what InitInstance answered. Views other than those that keep single-instance
// behaviour run with g_bActivatePrevInstance cleared, so that several can run side by side.
#include "tool_host.h"
#include "ui_view.h"

namespace
{
CString ViewNames()
{
    CString names;
    for (const suitediag::UiView& view : suitediag::UiViews())
    {
        if (!names.IsEmpty())
            names += L", ";
        names += view.name;
    }
    return names;
}

int RunUi(suitediag::Args& args)
{
    const CString name = args.Next(L"VIEW");
    const suitediag::UiView* view = suitediag::FindUiView(name);
    if (!view)
        throw suitediag::UsageError{L"unknown view \"" + name + L"\"; views: " + ViewNames()};

    // "@FILE" texts are read while the current folder is still the one SuiteDiag started in.
    suitediag::Args viewArgs(suitediag::UiViewReadsTextFiles(name) ? suitediag::ExpandTextFileArguments(args.Rest())
                                                                   : args.Rest());
    return suitediag::RunInToolHost(view->keepActivatePrev,
                                    [&](BOOL initialised) { return view->run(viewArgs, initialised); });
}
} // namespace

SUITEDIAG_COMMAND(ui, L"ui", L"VIEW [ARGS...]", L"Runs the tools' start-up and shows one view of it", RunUi);
