// The base windows' view of the rest of the library.
#include "basewnd_env.h"

#include "suitecore/paths.h"
#include "suitecore/ui/panels.h"

#include <framework/app.h>
#include <framework/module.h>

namespace suitecore::basewnd
{
namespace
{
CString& DialogContext()
{
    static CString s_context;
    return s_context;
}
} // namespace

CFont* UiFont()
{
    static CFont s_font;
    if (!s_font.GetSafeHandle())
    {
        LOGFONTW lf{};
        lf.lfHeight = -11;
        lf.lfWeight = FW_NORMAL;
        lf.lfQuality = 5;
        lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
        s_font.CreateFontIndirect(&lf);
    }
    return &s_font;
}

CFont* UiBoldFont()
{
    static CFont s_font;
    if (!s_font.GetSafeHandle())
    {
        LOGFONTW lf{};
        lf.lfHeight = -11;
        lf.lfWeight = FW_BOLD;
        lf.lfQuality = 5;
        lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
        s_font.CreateFontIndirect(&lf);
    }
    return &s_font;
}

CFont* SubtitleFont()
{
    static CFont s_font;
    if (!s_font.GetSafeHandle())
    {
        LOGFONTW lf{};
        lf.lfHeight = -15;
        lf.lfWeight = FW_BOLD;
        lf.lfQuality = 5;
        lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
        s_font.CreateFontIndirect(&lf);
    }
    return &s_font;
}

CString AppName()
{
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->m_pszAppName ? CString(pApp->m_pszAppName) : CString();
}

HICON AppIcon()
{
    return nullptr;
}

CString BuildFor()
{
    return CString();
}

void SetDialogContext(LPCWSTR lpszContext)
{
    DialogContext() = lpszContext;
}

CString HelpPageAddress()
{
    return L"http://www.orvane.example/qmn/help/showhelp.aspx";
}

CString WebSiteAddress()
{
    return L"http://www.orvane.example/";
}

HICON PanelIcon()
{
    return GetPanelIcon();
}

BOOL MakeTranslucent(HWND hWnd, BYTE alpha)
{
    ::SetWindowLongW(hWnd, GWL_EXSTYLE, ::GetWindowLongW(hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    return ::SetLayeredWindowAttributes(hWnd, RGB(255, 255, 255), alpha, LWA_ALPHA);
}

CString AppFolder()
{
    CString folder;
    GetModuleFolder(nullptr, folder);
    return folder;
}

void OpenFeedbackForm(CWnd*) {}
} // namespace suitecore::basewnd
