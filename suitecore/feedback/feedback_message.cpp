#include "feedback_message.h"

#include "suitecore/ui/msgbox.h"

namespace suitecore::feedback
{
int ShowFeedbackMessage(HWND hOwner, LPCWSTR lpszText, UINT uFlags)
{
    // The owner's object comes from the process-wide handle map, so a worker thread gets the
    // form itself; the box runs its own modal loop on the calling thread.
    return ShowMessageBox(lpszText, MB_OK | uFlags, hOwner ? CWnd::FromHandle(hOwner) : nullptr, nullptr, TRUE);
}
} // namespace suitecore::feedback
