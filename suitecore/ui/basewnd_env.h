// What the base windows take from the rest of the library: the application's globals, fonts
// and addresses, the shared drawing helpers. One place, so that the windows' code does not
// care where each lives.
#pragma once

#include <framework/gdi.h>
#include <framework/string.h>

namespace suitecore::basewnd
{
CFont* UiFont();      // the application's UI font
CFont* UiBoldFont();  // its bold form
CFont* SubtitleFont(); // bold, height -15
CString AppName();
HICON AppIcon();      // null when the application has none
CString BuildFor();
void SetDialogContext(LPCWSTR lpszContext);
CString HelpPageAddress();  // scheme, host and path of the online-help page
void OpenWebSite();         // the maker's web site, with the suite's campaign keys
HICON PanelIcon();          // the process-wide small panel icon, never destroyed here
BOOL MakeTranslucent(HWND hWnd, BYTE alpha);
// The application's folder (the tool's executable).
CString AppFolder();
// Shows the feedback form over the owner.
void OpenFeedbackForm(CWnd* pOwner);
} // namespace suitecore::basewnd
