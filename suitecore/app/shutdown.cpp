// The shutdown and restart countdown and the handler that ends the session.
#include "suitecore/shutdown.h"

#include "suitecore/app.h"
#include "../ui/basewnd_env.h"
#include "../ui/skin_paint.h"
#include "suitecore/ui/memdc.h"

#include <framework/app.h>
#include <framework/handles.h>

#include <atomic>

using namespace suitecore::basewnd;

namespace
{
constexpr UINT kTickMs = 1000;
constexpr RECT kCountdownRect = {530, 53, 590, 80};
constexpr COLORREF kTextDark = 0x141414;
constexpr COLORREF kCountdownRed = 0x0000FF;
constexpr UINT kShutdownReason = 16; // what the suite has always passed as the cause

// Enables the shutdown privilege on the process token and asks Windows to end the session.
// Fails, with nothing asked, when the privilege is not held: AdjustTokenPrivileges reports
// that through the last error, not its result.
BOOL WINAPI DefaultShutdownRequest(UINT uFlags, DWORD dwReason)
{
    CUniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return FALSE;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return FALSE;
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) ||
        ::GetLastError() != ERROR_SUCCESS)
        return FALSE;
    return ::ExitWindowsEx(uFlags, dwReason);
}

std::atomic<SHUTDOWN_REQUEST_HANDLER> g_pfnShutdownRequest{&DefaultShutdownRequest};

void CreateTextButton(CHoverButtonWithText& button, CWnd* pParent, UINT nID, LPCWSTR lpszText, int x, int y)
{
    const RECT rc = {x, y, x + 79, y + 23};
    if (!button.Create(lpszText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rc, pParent, nID))
        return;
    button.ApplyLightPreset(TRUE);
    button.SetBitmap(1060);
    // The picture sizes the button to its frame; the layout keeps 79 x 23.
    button.MoveWindow(x, y, 79, 23);
    button.SetFont(g_fntBold.GetSafeHandle() ? &g_fntBold : UiBoldFont(), FALSE);
}

void DrawLine(CDC* pDC, CFont& font, COLORREF colour, const CString& text, const RECT& rect)
{
    CFont* pOld = pDC->SelectObject(font.GetSafeHandle() ? &font : UiFont());
    pDC->SetTextColor(colour);
    RECT rc = rect;
    pDC->DrawText(text, &rc, DT_SINGLELINE | DT_NOPREFIX);
    if (pOld)
        pDC->SelectObject(pOld);
}
} // namespace

SHUTDOWN_REQUEST_HANDLER SetShutdownRequestHandler(SHUTDOWN_REQUEST_HANDLER pfnHandler)
{
    const SHUTDOWN_REQUEST_HANDLER previous =
        g_pfnShutdownRequest.exchange(pfnHandler ? pfnHandler : &DefaultShutdownRequest);
    return previous;
}

IMPLEMENT_DYNCREATE(CDlgShutDown, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgShutDown, CDlgBaseWndPopupNagBase)
    ON_WM_TIMER()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CDlgShutDown::CDlgShutDown() : CDlgBaseWndPopupNagBase(IDD_SHUTDOWN, nullptr) {}

CDlgShutDown::CDlgShutDown(CWnd* pParentWnd) : CDlgBaseWndPopupNagBase(IDD_SHUTDOWN, pParentWnd) {}

CDlgShutDown::~CDlgShutDown() = default;

BOOL CDlgShutDown::OnInitDialog()
{
    SetWindowText(m_bRestart ? L"Restart Alert" : L"Shutdown Alert");
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CRgn region;
    if (region.CreateRoundRectRgn(0, 0, m_nWidth + 1, m_nHeight + 1, 9, 9) &&
        SetWindowRgn(static_cast<HRGN>(region.GetSafeHandle()), TRUE))
        region.Detach(); // the window owns it now
    LayoutCaptionButtons(); // centred on the main window at the new size

    RECT rc{};
    GetClientRect(&rc);
    const RECT rcClose = {rc.right - 49, rc.top + 3, rc.right - 49 + 43, rc.top + 3 + 18};
    if (m_btnClose.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rcClose, this, IDC_SHUTDOWN_CLOSE))
    {
        m_btnClose.SetBitmap(1064);
        m_btnClose.MoveWindow(rcClose.left, rcClose.top, 43, 18);
    }
    CreateTextButton(m_btnAction, this, IDOK, L"Shutdown", 525, 323);
    CreateTextButton(m_btnCancel, this, IDCANCEL, L"Cancel", 440, 323);

    m_nSeconds = 59;
    if (m_bRestart)
    {
        m_nMinutes = 0;
        m_btnAction.SetWindowText(L"Restart");
        m_btnCancel.EnableWindow(FALSE);
        m_btnCancel.ShowWindow(SW_HIDE);
    }
    else
        m_nMinutes = 4;
    FormatCountdown();
    FormatMessageText(m_nMinutes + 1);
    SetTimer(ID_SHUTDOWN_TIMER, kTickMs, nullptr);
    if (m_btnAction.m_hWnd)
        m_btnAction.SetFocus();
    return FALSE;
}

void CDlgShutDown::FormatCountdown()
{
    m_strCountdown.Format(L"%d : %d", m_nMinutes, m_nSeconds);
}

void CDlgShutDown::FormatMessageText(int nMinutes)
{
    m_strMessage.Format(L"Your system will %s in %d minute(s).", m_bRestart ? L"restart" : L"shutdown", nMinutes);
}

void CDlgShutDown::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != ID_SHUTDOWN_TIMER)
    {
        Default();
        return;
    }
    --m_nSeconds;
    if (m_nSeconds == 0)
    {
        if (m_nMinutes == 0)
        {
            KillTimer(ID_SHUTDOWN_TIMER);
            FormatCountdown();
            FormatMessageText(m_nMinutes);
            ShutdownAction();
            if (m_hWnd)
                Invalidate(FALSE);
            return;
        }
        FormatMessageText(m_nMinutes);
        --m_nMinutes;
        m_nSeconds = 59;
        Invalidate(FALSE);
    }
    FormatCountdown();
    SetTimer(ID_SHUTDOWN_TIMER, kTickMs, nullptr);
    InvalidateRect(&kCountdownRect, FALSE);
}

BOOL CDlgShutDown::ShutdownAction()
{
    const SHUTDOWN_REQUEST_HANDLER pfnRequest = g_pfnShutdownRequest.load();
    if (!pfnRequest(m_bRestart ? EWX_REBOOT : EWX_SHUTDOWN, kShutdownReason))
        return FALSE; // no privilege: nothing more, the dialog stays
    if (CWnd* pMain = AfxGetMainWnd(); pMain && pMain->m_hWnd)
        pMain->PostMessage(WM_CLOSE, 0, 0);
    return TRUE;
}

void CDlgShutDown::OnOK()
{
    if (m_bIgnoreEnter && (::GetAsyncKeyState(VK_RETURN) & 0x8000))
        return;
    ShutdownAction();
}

void CDlgShutDown::OnCancel()
{
    CloseOperation();
}

void CDlgShutDown::OnCloseRequest()
{
    CloseOperation();
}

void CDlgShutDown::CloseOperation()
{
    // A restart is only ever brought forward: no key, button or system command cancels it.
    if (m_bRestart)
        return;
    KillTimer(ID_SHUTDOWN_TIMER);
    m_nResult = IDCANCEL;
    if (m_bHostedInShade)
        EndShade();
    else
        EndDialog(IDCANCEL);
}

void CDlgShutDown::OnPaint()
{
    PaintBuffered(*this, [this](CDC* pDC, const RECT& rc) { PaintContent(pDC, rc); });
}

void CDlgShutDown::PaintContent(CDC* pDC, const RECT& rc)
{
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    CSTBitmap& bottom = SkinBitmap(1019);
    TileRow(pDC, bottom, 6, width - 6, height - bottom.m_nHeight);
    DrawSkinFrame(pDC, rc);
    Blit(pDC, SkinBitmap(1032), 12, 0);
    TileRow(pDC, SkinBitmap(1037), 6, width - 6, 29);
    Blit(pDC, SkinBitmap(1036), 20, 40);
    Blit(pDC, SkinBitmap(1043), 25, height - bottom.m_nHeight);

    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    DrawLine(pDC, g_fntBold, RGB(255, 255, 255), m_bRestart ? L"Restart Alert" : L"Shutdown Alert",
             RECT{12, 12, 500, 30});
    DrawLine(pDC, g_fntFixed15, kTextDark, m_strHeadline, RECT{80, 53, 500, 90});

    CPen boxPen(PS_SOLID, 1, 0xFFF3DA);
    CPen* pOldPen = pDC->SelectObject(&boxPen);
    CGdiObject* pOldBrush = pDC->SelectStockObject(NULL_BRUSH);
    pDC->RoundRect(500, 43, 600, 83, 8, 8);
    pDC->RoundRect(20, 120, width - 20, height - 80, 8, 8);
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);
    DrawLine(pDC, g_fntFixed15Bold, kCountdownRed, m_strCountdown, kCountdownRect);

    DrawLine(pDC, g_fntLargeBold, RGB(200, 0, 0), L"Note:", RECT{70, 147, 150, 167});
    const RECT rcMessage = {70, 167, 350, 187};
    pDC->FillSolidRect(&rcMessage, RGB(255, 255, 255));
    DrawLine(pDC, g_fntLarge, kTextDark, m_strMessage, rcMessage);
    DrawLine(pDC, g_fntLarge, kTextDark, L"Please save your work.", RECT{70, 187, 350, 207});
    CString advice;
    if (m_bRestart)
        advice = L"System reboot is necessary to complete the optimization process.";
    else
        advice.Format(L"If you do not want to %s the system, please click on 'Cancel'.", L"shutdown");
    DrawLine(pDC, g_fntLargeBold, kTextDark, advice, RECT{70, 217, 500, 237});
    pDC->SetBkMode(oldMode);
}

int ShowShutdownDialog(CWnd* pOwner, BYTE bRestart, LPCWSTR lpszHeadline)
{
    CDlgShutDown dialog;
    dialog.m_bRestart = bRestart ? 1 : 0;
    dialog.m_strHeadline = lpszHeadline ? lpszHeadline : L"";
    return DoModalShaded(pOwner, &dialog, IDD_SHUTDOWN);
}
