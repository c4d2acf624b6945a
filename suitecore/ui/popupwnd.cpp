// CDlgBaseChildPopUpWndBase, the skinned pop-up, and CDlgBaseWndPopupNagBase, the pop-up shown
// over the translucent shade.
#include "suitecore/ui/basewnd.h"

#include "basewnd_env.h"
#include "skin_paint.h"

#include <framework/app.h>
#include <framework/module.h>

using namespace suitecore::basewnd;

namespace
{
constexpr int kDragBand = 29;
constexpr COLORREF kSubtitleShadow = RGB(189, 198, 216);
constexpr COLORREF kSubtitleText = RGB(50, 50, 50);

void CreatePopupButton(CHoverButton& button, CWnd* pParent, UINT nID, UINT nBitmap, bool bVisible)
{
    const RECT rc = {0, 0, 25, 18};
    DWORD style = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;
    if (bVisible)
        style |= WS_VISIBLE;
    if (!button.Create(L"", style, rc, pParent, nID))
        return;
    button.SetBitmap(nBitmap);
    button.SetFont(suitecore::basewnd::UiFont(), FALSE);
}

void PlaceButton(CWnd& button, int x, int y, int cx, int cy)
{
    if (button.m_hWnd)
        ::SetWindowPos(button.m_hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool KeyDown(int vk)
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}
} // namespace

IMPLEMENT_DYNCREATE(CDlgBaseChildPopUpWndBase, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgBaseChildPopUpWndBase, CDlgBaseWnd)
    ON_WM_SIZE()
    ON_WM_SYSCOMMAND()
    ON_WM_GETMINMAXINFO()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_BN_CLICKED(IDC_BASEWND_POPUP_CLOSE, &CDlgBaseChildPopUpWndBase::OnCloseButton)
    ON_BN_CLICKED(IDC_BASEWND_MAXRESTORE, &CDlgBaseChildPopUpWndBase::OnMaxRestoreButton)
END_MESSAGE_MAP()

CDlgBaseChildPopUpWndBase::CDlgBaseChildPopUpWndBase() = default;

CDlgBaseChildPopUpWndBase::CDlgBaseChildPopUpWndBase(UINT nIDTemplate, CWnd* pParentWnd)
    : CDlgBaseWnd(nIDTemplate, pParentWnd)
{
}

CDlgBaseChildPopUpWndBase::~CDlgBaseChildPopUpWndBase() = default;

void CDlgBaseChildPopUpWndBase::SetRegionOptions(int bEnable, int bApply, int bUseClientRect)
{
    m_bRegionEnable = bEnable;
    m_bRegionApply = bApply;
    m_bRegionUseClientRect = bUseClientRect;
    if (m_hWnd)
        ApplyRegion();
}

void CDlgBaseChildPopUpWndBase::SetHeaderStyle(int nStyle)
{
    m_nHeaderStyle = nStyle;
    m_bmpHeader.LoadBitmap(HeaderStripFor(nStyle));
    if (m_hWnd)
        Invalidate(FALSE);
}

BOOL CDlgBaseChildPopUpWndBase::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    if (m_nTemplateID)
    {
        HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nTemplateID), RT_DIALOG);
        m_fontScaler.Apply(hInst, m_hWnd, static_cast<UINT>(m_nTemplateID), 96);
        SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()->GetSafeHandle()), TRUE, TRUE);
    }
    if (!m_bmpHeader.GetSafeHandle())
        m_bmpHeader.LoadBitmap(HeaderStripFor(m_nHeaderStyle));
    if (m_bMaximisable)
    {
        CreatePopupButton(m_btnMaximize, this, IDC_BASEWND_MAXRESTORE, 1063, !m_bMaximized);
        CreatePopupButton(m_btnRestore, this, IDC_BASEWND_MAXRESTORE, 1062, m_bMaximized);
    }
    if (m_bHasCloseButton)
        CreatePopupButton(m_btnClose, this, IDC_BASEWND_POPUP_CLOSE, m_bMaximisable ? 1038 : 1064, true);
    LayoutCaptionButtons();
    ApplyRegion();
    return TRUE;
}

void CDlgBaseChildPopUpWndBase::LayoutCaptionButtons()
{
    RECT rc{};
    GetClientRect(&rc);
    const int width = rc.right - rc.left;
    PlaceButton(m_btnClose, width - 50, 2, 43, 18);
    PlaceButton(m_btnMaximize, width - 75, 2, 25, 18);
    PlaceButton(m_btnRestore, width - 75, 2, 25, 18);
}

void CDlgBaseChildPopUpWndBase::ApplyRegion()
{
    if (!m_bRegionEnable || !m_bRegionApply || !m_hWnd)
        return;
    RECT rc{};
    if (m_bRegionUseClientRect)
        GetClientRect(&rc);
    else
    {
        GetWindowRect(&rc);
        ::OffsetRect(&rc, -rc.left, -rc.top);
    }
    HRGN hRgn = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, 8, 8);
    if (hRgn && !SetWindowRgn(hRgn, TRUE))
        ::DeleteObject(hRgn); // the system owns it only after a successful call
}

void CDlgBaseChildPopUpWndBase::OnOK()
{
    if (m_bIgnoreEnter && KeyDown(VK_RETURN))
        return;
    CDialog::OnOK();
}

void CDlgBaseChildPopUpWndBase::OnCancel()
{
    if (m_bIgnoreEscape && KeyDown(VK_ESCAPE))
        return;
    CDialog::OnCancel();
}

void CDlgBaseChildPopUpWndBase::OnCloseRequest()
{
    if (m_bHasCloseHandler && m_pfnCloseHandler)
    {
        m_pfnCloseHandler(this);
        return;
    }
    if (!m_bHostedInShade)
    {
        // The base's guarded cancel, never a derived override: closing a tool's pop-up by
        // its caption or system menu is not its Cancel button.
        CDlgBaseChildPopUpWndBase::OnCancel();
        return;
    }
    EndShade();
}

void CDlgBaseChildPopUpWndBase::EndShade()
{
    HWND hParent = ::GetParent(m_hWnd);
    CWnd* pParent = hParent ? CWnd::FromHandlePermanent(hParent) : nullptr;
    if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CDialog)))
        static_cast<CDialog*>(pParent)->CDialog::OnOK();
}

void CDlgBaseChildPopUpWndBase::ToggleMaximize()
{
    m_bMaximized = m_bMaximized ? 0 : 1;
    PostMessage(WM_SYSCOMMAND, m_bMaximized ? SC_MAXIMIZE : SC_RESTORE, 0);
    if (m_btnMaximize.m_hWnd && m_btnRestore.m_hWnd)
    {
        m_btnMaximize.ShowWindow(m_bMaximized ? SW_HIDE : SW_SHOW);
        m_btnRestore.ShowWindow(m_bMaximized ? SW_SHOW : SW_HIDE);
        (m_bMaximized ? m_btnRestore : m_btnMaximize).SetFocus();
    }
}

void CDlgBaseChildPopUpWndBase::OnCloseButton()
{
    OnCloseRequest();
}

void CDlgBaseChildPopUpWndBase::OnMaxRestoreButton()
{
    ToggleMaximize();
}

void CDlgBaseChildPopUpWndBase::OnSize(UINT, int, int)
{
    LayoutCaptionButtons();
    ApplyRegion();
    Invalidate(FALSE);
}

void CDlgBaseChildPopUpWndBase::OnSysCommand(UINT nID, LPARAM)
{
    switch (nID & 0xFFF0)
    {
    case SC_CLOSE:
        // Ends here: default processing would send WM_CLOSE, which the dialog manager turns
        // into IDCANCEL and so into the tool's Cancel handler.
        OnCloseRequest();
        return;
    case SC_RESTORE:
        ShowWindow(SW_RESTORE);
        return;
    case SC_MAXIMIZE:
        ShowWindow(SW_MAXIMIZE);
        return;
    default:
        Default();
        return;
    }
}

void CDlgBaseChildPopUpWndBase::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    SuiteMaxTrackSize(lpMMI, m_nMinTrackWidth, m_nMinTrackHeight);
}

void CDlgBaseChildPopUpWndBase::OnLButtonDown(UINT, CPoint point)
{
    if (point.y < kDragBand && !m_bMaximized && !m_bHostedInShade)
    {
        POINT screen = point;
        ClientToScreen(&screen);
        SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
        return;
    }
    HandlerResult();
}

void CDlgBaseChildPopUpWndBase::OnLButtonDblClk(UINT, CPoint point)
{
    if (point.y < kDragBand && m_bMaximisable)
    {
        ToggleMaximize();
        return;
    }
    HandlerResult();
}

void CDlgBaseChildPopUpWndBase::DrawPopupSkin(CDC* pDC, const RECT& rc)
{
    if (m_bDrawBottomStripPopup)
    {
        CSTBitmap& strip = SkinBitmap(1019);
        TileRow(pDC, strip, rc.left + 6, rc.right - 6, rc.bottom - strip.m_nHeight);
    }
    DrawSkinFrame(pDC, rc);
    TileRow(pDC, m_bmpHeader, rc.left + 6, rc.right - 6, rc.top + 29);
    Blit(pDC, SkinBitmap(1032), rc.left + 6, rc.top);
    CString title;
    GetWindowText(title);
    DrawCaptionTitle(pDC, rc, title);
    if (!m_bShowSubtitle)
        return;
    CFont* pOldFont = pDC->SelectObject(SubtitleFont());
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    RECT rcShadow = {29, 55, 569, 75};
    pDC->SetTextColor(kSubtitleShadow);
    pDC->DrawText(title, &rcShadow, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    RECT rcText = {28, 54, 568, 74};
    pDC->SetTextColor(kSubtitleText);
    pDC->DrawText(title, &rcText, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    pDC->SetBkMode(oldMode);
    if (pOldFont)
        pDC->SelectObject(pOldFont);
    if (m_bSubtitleSeparator)
        TileRow(pDC, SkinBitmap(1098), 28, rc.right - rc.left - 28, 82);
}

// ---- CDlgBaseWndPopupNagBase ---------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDlgBaseWndPopupNagBase, CDlgBaseChildPopUpWndBase)

BEGIN_MESSAGE_MAP(CDlgBaseWndPopupNagBase, CDlgBaseChildPopUpWndBase)
END_MESSAGE_MAP()

CDlgBaseWndPopupNagBase::CDlgBaseWndPopupNagBase()
{
    m_bHasCloseButton = 0;
    m_bMaximisable = 0;
    m_nHeaderStyle = 0;
    m_bHostedInShade = 1;
    m_bDrawBottomStripPopup = 1;
}

CDlgBaseWndPopupNagBase::CDlgBaseWndPopupNagBase(UINT nIDTemplate, CWnd* pParentWnd)
    : CDlgBaseChildPopUpWndBase(nIDTemplate, pParentWnd)
{
    m_bHasCloseButton = 0;
    m_bMaximisable = 0;
    m_nHeaderStyle = 0;
    m_bHostedInShade = 1;
    m_bDrawBottomStripPopup = 1;
}

CDlgBaseWndPopupNagBase::~CDlgBaseWndPopupNagBase() = default;

void CDlgBaseWndPopupNagBase::OnOK()
{
    if (m_bIgnoreEnter && KeyDown(VK_RETURN))
        return;
    m_nResult = IDOK;
    if (m_bHostedInShade)
        EndShade();
    else
        EndDialog(m_nResult);
}

void CDlgBaseWndPopupNagBase::OnCancel()
{
    if (m_bIgnoreEscape && KeyDown(VK_ESCAPE))
        return;
    m_nResult = IDCANCEL;
    if (m_bHostedInShade)
        EndShade();
    else
        EndDialog(m_nResult);
}

void CDlgBaseWndPopupNagBase::LayoutCaptionButtons()
{
    CDlgBaseChildPopUpWndBase::LayoutCaptionButtons();
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->m_hWnd && pMain != this && ::IsWindowVisible(pMain->m_hWnd))
        CenterWindow(pMain);
    else
        CenterWindow();
}
