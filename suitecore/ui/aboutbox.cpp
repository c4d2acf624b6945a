// The about box and its launcher.
#include "suitecore/ui/aboutbox.h"

#include "basewnd_env.h"

#include "suitecore/sysinfo.h"
#include "suitecore/paths.h"
#include "../settings/this_module.h"

using namespace suitecore::basewnd;

namespace
{
constexpr UINT kAboutTemplate = 1267;

// g_strDialogContext says "ABOUT" for exactly as long as the box shows.
class DialogContextScope
{
public:
    explicit DialogContextScope(LPCWSTR lpszContext) { SetDialogContext(lpszContext); }
    ~DialogContextScope() { SetDialogContext(L""); }
    DialogContextScope(const DialogContextScope&) = delete;
    DialogContextScope& operator=(const DialogContextScope&) = delete;
};

CString LibraryVersion()
{
    WCHAR path[MAX_PATH] = {};
    ::GetModuleFileNameW(suitecore::ThisModule(), path, MAX_PATH);
    return GetFileVersionString(path);
}

void CreateLabel(CStatic& label, CWnd* pParent, UINT nID, LPCWSTR lpszText, const RECT& rc)
{
    label.Create(lpszText, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, rc, pParent, nID);
}
} // namespace

IMPLEMENT_DYNCREATE(CDlgAbout, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgAbout, CDlgBaseWndPopupNagBase)
END_MESSAGE_MAP()

CDlgAbout::CDlgAbout() : CDlgBaseWndPopupNagBase(kAboutTemplate, nullptr) {}

CDlgAbout::CDlgAbout(CWnd* pParentWnd) : CDlgBaseWndPopupNagBase(kAboutTemplate, pParentWnd) {}

CDlgAbout::~CDlgAbout() = default;

BOOL CDlgAbout::OnInitDialog()
{
    SetWindowText(L"About Lumasweep");
    CDlgBaseWndPopupNagBase::OnInitDialog();
    RECT rc{};
    GetClientRect(&rc);
    const int width = rc.right - rc.left;
    CreateLabel(m_stcProduct, this, IDC_ABOUT_PRODUCT, L"Lumasweep", RECT{24, 48, width - 24, 68});
    m_stcProduct.SetFont(UiBoldFont());
    CString version = L"Version ";
    version += LibraryVersion();
    CreateLabel(m_stcVersion, this, IDC_ABOUT_VERSION, version, RECT{24, 72, width - 24, 90});
    CreateLabel(m_stcDescription, this, IDC_ABOUT_DESCRIPTION,
                L"Lumasweep keeps your PC clean, fast and private: cleaners, optimizers, backup and protection "
                L"tools in one suite.",
                RECT{24, 96, width - 24, 150});
    m_stcVersion.SetFont(UiFont());
    m_stcDescription.SetFont(UiFont());
    const RECT rcOK = {width - 24 - 120, rc.bottom - 40, width - 24, rc.bottom - 12};
    if (m_btnOK.Create(L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rcOK, this, IDOK))
    {
        SetLightStyle(m_btnOK);
        m_btnOK.SetBitmap(1074);
        m_btnOK.MoveWindow(rcOK.left, rcOK.top, rcOK.right - rcOK.left, rcOK.bottom - rcOK.top);
        m_btnOK.SetFocus();
    }
    return FALSE;
}

int ShowAboutBox(CWnd* pOwner)
{
    DialogContextScope context(L"ABOUT");
    CDlgAbout about;
    return DoModalShaded(pOwner, &about, kAboutTemplate);
}
