// "SuiteDiag ui about": the about box over the sample main window; prints its result.
#include "ui_sample.h"
#include "ui_view.h"

#include <suitecore/ui/aboutbox.h>

namespace suitediag
{
namespace
{
int RunAbout(Args& args, BOOL)
{
    args.ExpectEnd();
    SampleMainHost host;
    const int result = ShowAboutBox(host.Window());
    OutFormat(L"result %d\n", result);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(about, L"about", L"", L"Shows the about box over the sample main window", false, RunAbout);
} // namespace suitediag
