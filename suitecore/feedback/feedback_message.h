// The form's messages to the user: one place, so the form and its worker show them alike. The
// worker calls it from its own thread with the form (a window of the UI thread) as the owner.
#pragma once

#include <framework/framework.h>

namespace suitecore::feedback
{
// Shows lpszText with the icon of uFlags (MB_ICONWARNING, MB_ICONINFORMATION), owned by
// hOwner, and waits until the user answers.
int ShowFeedbackMessage(HWND hOwner, LPCWSTR lpszText, UINT uFlags);
} // namespace suitecore::feedback
