// The translucent shade over an owner window, and DoModalShaded, which shows a pop-up on it.
#include "suitecore/ui/basewnd.h"

#include "basewnd_env.h"
#include "skin_paint.h"

#include <framework/app.h>

using namespace suitecore::basewnd;

namespace
{
constexpr UINT kShadeTemplate = 1274;
constexpr UINT kShadeBitmap = 1170;
constexpr BYTE kShadeAlpha = 171;

bool RectInside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
} // namespace

IMPLEMENT_DYNCREATE(CDlgParentTransculent, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgParentTransculent, CDlgBaseWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CDlgParentTransculent::CDlgParentTransculent() : CDlgBaseWnd(kShadeTemplate, nullptr)
{
    m_bIgnoreEnter = 0;
    m_bIgnoreEscape = 0;
}

CDlgParentTransculent::CDlgParentTransculent(CDlgBaseWndPopupNagBase* pPopup, UINT nPopupTemplateID,
                                             const RECT& rcOwner, CWnd* pParentWnd)
    : CDlgBaseWnd(kShadeTemplate, pParentWnd), m_pPopup(pPopup), m_nPopupTemplateID(nPopupTemplateID),
      m_rcOwner(rcOwner)
{
    m_bIgnoreEnter = 0;
    m_bIgnoreEscape = 0;
}

CDlgParentTransculent::~CDlgParentTransculent() = default;

BOOL CDlgParentTransculent::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    if (m_bmpShade.LoadBitmap(kShadeBitmap))
    {
        m_nShadeWidth = m_bmpShade.m_nWidth;
        m_nShadeHeight = m_bmpShade.m_nHeight;
    }
    MoveWindow(m_rcOwner.left, m_rcOwner.top, m_rcOwner.right - m_rcOwner.left, m_rcOwner.bottom - m_rcOwner.top);
    RECT rc{};
    GetClientRect(&rc);
    HRGN hRgn = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, 8, 8);
    if (hRgn && !SetWindowRgn(hRgn, FALSE))
        ::DeleteObject(hRgn);
    MakeTranslucent(m_hWnd, kShadeAlpha);
    if (!m_pPopup)
    {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    // The shade shows before its pop-up: an owner shown after the window it owns may end up
    // above it on some window managers, hiding the pop-up under the shade.
    ShowWindow(SW_SHOW);
    UpdateWindow();
    m_pPopup->m_bHostedInShade = 1;
    if (!m_pPopup->Create(m_nPopupTemplateID, this))
    {
        // Nothing to show: the shade must not stay up on its own.
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_pPopup->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    m_pPopup->SetFocus();
    return FALSE;
}

void CDlgParentTransculent::OnOK() {}

void CDlgParentTransculent::OnCancel() {}

void CDlgParentTransculent::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == SC_CLOSE)
        return;
    Default();
}

BOOL CDlgParentTransculent::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CDlgParentTransculent::OnPaint()
{
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    RECT rc{};
    GetClientRect(&rc);
    if (m_bmpShade.GetSafeHandle())
    {
        HDC hSrc = ::CreateCompatibleDC(hdc);
        HGDIOBJ hOld = ::SelectObject(hSrc, m_bmpShade.GetSafeHandle());
        ::SetStretchBltMode(hdc, COLORONCOLOR);
        ::StretchBlt(hdc, 0, 0, rc.right, rc.bottom, hSrc, 0, 0, m_nShadeWidth, m_nShadeHeight, SRCCOPY);
        ::SelectObject(hSrc, hOld);
        ::DeleteDC(hSrc);
    }
    ::EndPaint(m_hWnd, &ps);
}

int DoModalShaded(CWnd* pOwner, CDlgBaseWndPopupNagBase* pPopup, UINT nTemplateID)
{
    if (!pPopup)
        return IDCANCEL;
    pPopup->m_nResult = IDCANCEL;
    CWnd* pMain = AfxGetMainWnd();
    if (!pOwner || !pOwner->m_hWnd)
        pOwner = pMain;
    RECT rcOwner{};
    RECT rcDesktop{};
    ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
    if (pOwner && pOwner->m_hWnd)
        pOwner->GetWindowRect(&rcOwner);
    if (pOwner && pOwner->m_hWnd && !RectInside(rcOwner, rcDesktop) && pMain && pMain->m_hWnd)
    {
        pMain->ShowWindow(SW_SHOW);
        pMain->SetForegroundWindow();
        pMain->CenterWindow();
        pOwner->GetWindowRect(&rcOwner);
    }
    if (!pOwner || !pOwner->m_hWnd)
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcOwner, 0);
    ::InflateRect(&rcOwner, -1, -1);

    CDlgParentTransculent shade(pPopup, nTemplateID, rcOwner, pOwner);
    shade.DoModal();

    if (pOwner && pOwner->m_hWnd)
    {
        pOwner->SetForegroundWindow();
        pOwner->BringWindowToTop();
    }
    // Whatever ended the pop-up, its code is 1 or 2.
    return pPopup->m_nResult == IDOK ? IDOK : IDCANCEL;
}
