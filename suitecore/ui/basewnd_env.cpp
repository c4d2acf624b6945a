// The base windows' view of the rest of the library.
#include "basewnd_env.h"

#include "../app/app_internal.h"
#include "../app/web_addresses.h"

#include "suitecore/app.h"
#include "suitecore/feedback_dialog.h"
#include "suitecore/paths.h"
#include "suitecore/ui/panels.h"
#include "suitecore/ui/window_effects.h"

namespace suitecore::basewnd
{
CFont* UiFont()
{
    return &g_fntNormal;
}

CFont* UiBoldFont()
{
    return &g_fntBold;
}

CFont* SubtitleFont()
{
    return &g_fntFixed15Bold;
}

CString AppName()
{
    return g_strAppName;
}

HICON AppIcon()
{
    return g_hAppIcon;
}

CString BuildFor()
{
    return g_strBuildFor;
}

void SetDialogContext(LPCWSTR lpszContext)
{
    g_strDialogContext = lpszContext;
}

CString HelpPageAddress()
{
    return web::kOnlineHelpPage;
}

void OpenWebSite()
{
    OpenCampaignPage(web::kWebSite, L"Website", false, nullptr);
}

HICON PanelIcon()
{
    return GetPanelIcon();
}

BOOL MakeTranslucent(HWND hWnd, BYTE alpha)
{
    return SetWindowAlpha(hWnd, alpha);
}

CString AppFolder()
{
    CString folder;
    GetModuleFolder(nullptr, folder);
    return folder;
}

void OpenFeedbackForm(CWnd* pOwner)
{
    ShowFeedbackDialog(pOwner);
}
} // namespace suitecore::basewnd
