// "SuiteDiag ui feedback": the feedback form over the shade of the sample main window. Prints the
// UI thread's id (so that a test can tell it from the upload worker's) and, once the form
// closed, its result.
#include "ui_sample.h"
#include "ui_view.h"

#include <suitecore/feedback_dialog.h>

namespace suitediag
{
namespace
{
int RunFeedbackView(Args& args, BOOL)
{
    args.ExpectEnd();
    SampleMainHost host;
    OutFormat(L"ui-thread %lu\n", GetCurrentThreadId());
    const int result = ShowFeedbackDialog(host.Window());
    OutFormat(L"result %d\n", result);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(feedback, L"feedback", L"", L"Shows the feedback form over the sample main window", false,
                  RunFeedbackView);
} // namespace suitediag
