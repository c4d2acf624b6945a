// CDlgLeftDlgBase, the left navigation pane, and CDlgLeftSideChild, the content page shown to
// its right.
#include "suitecore/ui/launcher.h"
#include "suitecore/ui/bitmap_draw.h"
#include "suitecore/ui/memdc.h"
#include "suitecore/ui/uifont.h"

#include "basewnd_env.h"
#include "launcher_paint.h"
#include "skin_paint.h"

#include <framework/module.h>

using namespace suitecore::basewnd;

namespace
{
constexpr int kNavCodeBase = 3;
constexpr int kUpdateCode = 1;
constexpr int kSecondLinkCode = 0;
constexpr int kButtonLeft = 1;
constexpr int kButtonTop = 17;
constexpr int kButtonRight = 166;
constexpr int kButtonPitch = 31;
constexpr UINT kUpdateReenableMs = 512;
constexpr int kLinkX = 28;
constexpr int kLinkY = 446;
constexpr int kLinkWidth = 114;
constexpr int kLinkHeight = 20;
constexpr int kLinkRaise = 10;
constexpr int kLogoRows = 11;
constexpr int kStepMode = 2;
constexpr int kLinkMode = 1;

RECT NavigationButtonRect(int i)
{
    return RECT{kButtonLeft, kButtonTop + kButtonPitch * i, kButtonRight, kButtonTop + kButtonPitch * (i + 1)};
}

void ShowAndEnable(CWnd& wnd, BOOL bOn)
{
    if (!wnd.m_hWnd)
        return;
    wnd.ShowWindow(bOn ? SW_SHOW : SW_HIDE);
    wnd.EnableWindow(bOn);
}
} // namespace

// ---- CDlgLeftDlgBase -------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDlgLeftDlgBase, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgLeftDlgBase, CDlgBaseWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_CONTROL_RANGE(BN_CLICKED, IDC_PANE_NAV_FIRST, IDC_PANE_NAV_LAST, &CDlgLeftDlgBase::OnNavigationClicked)
    ON_BN_CLICKED(IDC_PANE_UPDATE_LINK, &CDlgLeftDlgBase::OnUpdateLink)
    ON_BN_CLICKED(IDC_PANE_SECOND_LINK, &CDlgLeftDlgBase::OnSecondLink)
END_MESSAGE_MAP()

CDlgLeftDlgBase::CDlgLeftDlgBase() : CDlgLeftDlgBase(IDD_LEFT_PANE, nullptr) {}

CDlgLeftDlgBase::CDlgLeftDlgBase(CWnd* pParentWnd) : CDlgLeftDlgBase(IDD_LEFT_PANE, pParentWnd) {}

CDlgLeftDlgBase::CDlgLeftDlgBase(UINT nIDTemplate, CWnd* pParentWnd) : CDlgBaseWnd(nIDTemplate, pParentWnd) {}

CDlgLeftDlgBase::~CDlgLeftDlgBase() = default;

void CDlgLeftDlgBase::DoDataExchange(CDataExchange* pDX)
{
    CDlgBaseWnd::DoDataExchange(pDX);
    if (m_nMode == kLinkMode)
        DDX_Control(pDX, IDC_PANE_SECOND_LINK, m_lnkSecond);
}

BOOL CDlgLeftDlgBase::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    CreateUpdateLink();
    if (!m_bShowLinks)
    {
        ShowAndEnable(m_lnkUpdate, FALSE);
        if (HWND hSecond = ::GetDlgItem(m_hWnd, IDC_PANE_SECOND_LINK))
        {
            ::ShowWindow(hSecond, SW_HIDE);
            ::EnableWindow(hSecond, FALSE);
        }
    }
    return TRUE;
}

void CDlgLeftDlgBase::CreateUpdateLink()
{
    const int y = kLinkY - (m_bRaisedLinks ? kLinkRaise : 0);
    const RECT rc = {kLinkX, y, kLinkX + kLinkWidth, y + kLinkHeight};
    if (!m_lnkUpdate.Create(L"Check For Updates", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rc, this,
                            IDC_PANE_UPDATE_LINK))
        return;
    // Its own font: the shared UI font one unit larger, regular, underlined.
    CUILogFont lf;
    lf.lfHeight = lf.lfHeight < 0 ? lf.lfHeight - 1 : lf.lfHeight + 1;
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = TRUE;
    m_lnkUpdate.m_lf = lf;
    m_lnkUpdate.m_bUseSharedFonts = 0;
    m_lnkUpdate.m_bBold = 0;
    m_lnkUpdate.m_bUnderlineWhenIdle = 1;
    m_lnkUpdate.m_crBackground = RGB(255, 255, 255);
    m_lnkUpdate.m_crNormal = RGB(0, 59, 156);
    m_lnkUpdate.m_crHover = RGB(0, 96, 255);
}

void CDlgLeftDlgBase::OnOK()
{
    CDlgBaseWnd::OnOK();
}

void CDlgLeftDlgBase::OnCancel()
{
    CDlgBaseWnd::OnCancel();
}

void CDlgLeftDlgBase::DestroyButtons()
{
    for (CLeftSideBtns& button : m_btnNav)
    {
        if (button.m_hWnd)
            button.DestroyWindow();
        button.m_bSelected = 0;
        button.m_bHaveRect = FALSE;
    }
    m_nButtonCount = 0;
    m_nSelected = -1;
}

int CDlgLeftDlgBase::CreateButtons(int nCount, const CStringList& captions, bool bSteps)
{
    DestroyButtons();
    const int limit = bSteps ? kMaxStepButtons : kMaxButtons;
    const int count = nCount < 0 ? 0 : (nCount > limit ? limit : nCount);
    const bool bStepLook = bSteps && m_nMode == kStepMode;
    POSITION pos = captions.GetHeadPosition();
    for (int i = 0; i < count; ++i)
    {
        const CString caption = pos ? captions.GetNext(pos) : CString();
        CLeftSideBtns& button = m_btnNav[i];
        if (!button.Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, NavigationButtonRect(i), this,
                           IDC_PANE_NAV_FIRST + i))
            break;
        button.SetFont(UiFont(), FALSE);
        if (bSteps)
        {
            // Steps show their number's cell (the seventh starts over at cell 0) and open one
            // after another: only the first is enabled at the start.
            button.SetIcon(0, bStepLook ? (i == kMaxStepButtons - 1 ? 0 : i) : -1);
            button.EnableWindow(!bStepLook || i == 0);
        }
        else
        {
            button.SetIcon(0, i);
            button.EnableWindow(TRUE);
        }
        m_nButtonCount = i + 1;
    }
    return m_nButtonCount;
}

int CDlgLeftDlgBase::AddNavigationButtons(int nCount, const CStringList& captions)
{
    return CreateButtons(nCount, captions, false);
}

int CDlgLeftDlgBase::AddStepButtons(int nCount, const CStringList& captions)
{
    return CreateButtons(nCount, captions, true);
}

BOOL CDlgLeftDlgBase::SetPage(int nIndex, CWnd* pPage)
{
    if (nIndex < 0 || nIndex >= kMaxButtons)
        return FALSE;
    m_pPages[nIndex] = pPage;
    return TRUE;
}

BOOL CDlgLeftDlgBase::SelectNavigationButton(int nIndex, CWnd* pPage)
{
    if (nIndex < 0 || nIndex >= m_nButtonCount || !m_btnNav[nIndex].m_hWnd)
        return FALSE;
    if (!pPage)
        pPage = m_pPages[nIndex];
    CLeftSideBtns& button = m_btnNav[nIndex];
    if (!button.IsWindowEnabled())
        button.EnableWindow(TRUE);
    if (nIndex != m_nSelected)
    {
        if (m_nSelected >= 0 && m_btnNav[m_nSelected].m_hWnd)
        {
            m_btnNav[m_nSelected].m_bSelected = 0;
            m_btnNav[m_nSelected].Invalidate(FALSE);
        }
        button.m_bSelected = 1;
        button.Invalidate(FALSE);
        m_nSelected = nIndex;
        // Before the first selection no page is shown: there is none to hide.
        if (m_pShownPage && m_pShownPage != pPage && m_pShownPage->m_hWnd)
            ShowAndEnable(*m_pShownPage, FALSE);
        m_pShownPage = pPage;
        if (pPage && pPage->m_hWnd)
        {
            ShowAndEnable(*pPage, TRUE);
            pPage->SetFocus();
        }
    }
    Notify(kNavCodeBase + nIndex);
    return TRUE;
}

void CDlgLeftDlgBase::EnableNavigationButtons(BOOL b1, BOOL b2, BOOL b3, BOOL b4, BOOL b5, BOOL b6, BOOL b7)
{
    const BOOL flags[kMaxStepButtons] = {b1, b2, b3, b4, b5, b6, b7};
    for (int i = 0; i < kMaxStepButtons; ++i)
    {
        if (m_btnNav[i].m_hWnd)
            m_btnNav[i].EnableWindow(flags[i] ? TRUE : FALSE);
    }
}

void CDlgLeftDlgBase::EnableUpdateLink(BOOL bEnable)
{
    if (m_lnkUpdate.m_hWnd)
        m_lnkUpdate.EnableWindow(bEnable);
}

void CDlgLeftDlgBase::Notify(int nCode)
{
    if (m_pfnNavigationCallback)
        m_pfnNavigationCallback(this, nCode);
}

void CDlgLeftDlgBase::OnNavigationClicked(UINT nID)
{
    const int index = static_cast<int>(nID) - IDC_PANE_NAV_FIRST;
    SelectNavigationButton(index, m_pPages[index]);
}

void CDlgLeftDlgBase::OnUpdateLink()
{
    EnableUpdateLink(FALSE);
    StartUpdateCheck();
    if (!SetTimer(kUpdateLinkTimer, kUpdateReenableMs, nullptr))
        EnableUpdateLink(TRUE);
    Notify(kUpdateCode);
}

void CDlgLeftDlgBase::OnSecondLink()
{
    Notify(kSecondLinkCode);
}

void CDlgLeftDlgBase::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kUpdateLinkTimer)
    {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    KillTimer(nIDEvent);
    EnableUpdateLink(TRUE);
}

BOOL CDlgLeftDlgBase::OnEraseBkgnd(CDC*)
{
    return TRUE; // WM_PAINT covers the whole client area
}

void CDlgLeftDlgBase::OnPaint()
{
    if (PaintCallbackUsable(*this))
    {
        CDlgBaseWnd::OnPaint();
        return;
    }
    PaintBuffered(*this, [this](CDC* pDC, const RECT&) { DrawBackground(pDC); });
}

void CDlgLeftDlgBase::DrawBackground(CDC* pDC)
{
    Blit(pDC, SkinBitmap(1096), 0, 0);
    BITMAP bm{};
    if (m_pToolLogo && m_pToolLogo->GetSafeHandle() && m_pToolLogo->GetBitmap(&bm) && bm.bmHeight >= kLogoRows)
        DrawBitmapPart(pDC, 1, 0, 0, bm.bmHeight - kLogoRows, bm.bmWidth, kLogoRows, m_pToolLogo, SRCCOPY);
}

// ---- CDlgLeftSideChild -----------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDlgLeftSideChild, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgLeftSideChild, CDlgBaseWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CDlgLeftSideChild::CDlgLeftSideChild() = default;

CDlgLeftSideChild::CDlgLeftSideChild(UINT nIDTemplate, CWnd* pParentWnd) : CDlgBaseWnd(nIDTemplate, pParentWnd) {}

CDlgLeftSideChild::~CDlgLeftSideChild() = default;

BOOL CDlgLeftSideChild::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    // The re-layout keeps the client area's origin, which moves a page that has a frame or a
    // caption: the page goes back to where it was, at its fixed size.
    RECT rcBefore{};
    ::GetWindowRect(m_hWnd, &rcBefore);
    if (HWND hParent = ::GetParent(m_hWnd); hParent && (GetStyle() & WS_CHILD))
        ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rcBefore), 2);
    if (m_nTemplateID)
    {
        HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nTemplateID), RT_DIALOG);
        m_fontScaler.Apply(hInst, m_hWnd, static_cast<UINT>(m_nTemplateID), 96);
    }
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()->GetSafeHandle()), TRUE, TRUE);
    ::SetWindowPos(m_hWnd, nullptr, rcBefore.left, rcBefore.top, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    m_rcAction = RECT{353, 406, 550, 438};
    return TRUE;
}

void CDlgLeftSideChild::OnOK()
{
    CDlgBaseWnd::OnOK();
}

void CDlgLeftSideChild::OnCancel()
{
    CDlgBaseWnd::OnCancel();
}

void CDlgLeftSideChild::OnPaint()
{
    if (PaintCallbackUsable(*this))
    {
        CDlgBaseWnd::OnPaint();
        return;
    }
    PaintBuffered(*this, [this](CDC* pDC, const RECT& rc) { DrawBackground(pDC, rc, TRUE); });
}

void CDlgLeftSideChild::DrawBackground(CDC* pDC, const RECT& rcClient, BOOL bDrawSeparator)
{
    CString title;
    GetWindowText(title);
    const RECT rcHeading = {22, 14, 562, 34};
    DrawTextTwice(pDC, title, rcHeading, SubtitleFont(), RGB(189, 198, 216), 1, RGB(50, 50, 50), 0,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (bDrawSeparator)
        Blit(pDC, SkinBitmap(1075), 22, 42);
    if (m_bDrawBottomStrip)
    {
        CSTBitmap& strip = SkinBitmap(1019);
        TileRow(pDC, strip, rcClient.left, rcClient.right, rcClient.bottom - strip.m_nHeight);
    }
}
