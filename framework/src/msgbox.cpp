#include "framework/msgbox.h"

#include "framework/module.h"
#include "framework/string.h"

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT)
{
    HWND owner = GetActiveWindow();
    if (owner)
    {
        // Own the box by the top-level window, as a dialog's child would otherwise be disabled alone.
        HWND top = GetAncestor(owner, GA_ROOT);
        if (top)
            owner = top;
    }
    return MessageBoxW(owner, lpszText ? lpszText : L"", AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}
