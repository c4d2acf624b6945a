// CDlgBaseWnd, the common base of the skinned dialogs, and the skin frame painter.
#include "suitecore/ui/basewnd.h"
#include "suitecore/ui/memdc.h"

#include "basewnd_env.h"
#include "skin_paint.h"

#include <framework/exception.h>
#include <framework/memory.h>
#include <framework/module.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>

using namespace suitecore::basewnd;

namespace
{
constexpr COLORREF kControlText = RGB(45, 54, 72);
constexpr double kMoverScaleX = 1.5016077;
constexpr double kMoverScaleY = 1.62378;

// The white brush every skinned dialog colours its controls with, made when the library
// loads and deleted when it unloads.
class WhiteBrush
{
public:
    WhiteBrush() : m_hBrush(::CreateSolidBrush(RGB(255, 255, 255))) {}
    ~WhiteBrush()
    {
        if (m_hBrush)
            ::DeleteObject(m_hBrush);
    }
    WhiteBrush(const WhiteBrush&) = delete;
    WhiteBrush& operator=(const WhiteBrush&) = delete;
    HBRUSH Get() const { return m_hBrush; }

private:
    HBRUSH m_hBrush;
};
const WhiteBrush g_whiteBrush;

BOOL g_bToolTipsEnabled = FALSE;

} // namespace

// ---- Skin pictures -------------------------------------------------------------------------

namespace suitecore::basewnd
{
CSTBitmap& SkinBitmap(UINT nID)
{
    // Painting runs on the UI thread only; the pictures live for the process.
    static std::map<UINT, std::unique_ptr<CSTBitmap>> s_bitmaps;
    auto& slot = s_bitmaps[nID];
    if (!slot)
    {
        slot = std::make_unique<CSTBitmap>();
        slot->LoadBitmap(nID);
    }
    return *slot;
}

namespace
{
// Selects a bitmap into a compatible DC for the length of a blit.
class SourceDc
{
public:
    SourceDc(CDC* pTarget, CSTBitmap& bitmap)
    {
        m_dc.CreateCompatibleDC(pTarget);
        m_hOld = m_dc.SelectObject(static_cast<HGDIOBJ>(bitmap.GetSafeHandle()));
    }
    ~SourceDc()
    {
        if (m_hOld)
            m_dc.SelectObject(m_hOld);
    }
    SourceDc(const SourceDc&) = delete;
    SourceDc& operator=(const SourceDc&) = delete;
    CDC* Dc() { return &m_dc; }

private:
    CDC m_dc;
    HGDIOBJ m_hOld = nullptr;
};
} // namespace

void Blit(CDC* pDC, CSTBitmap& bitmap, int x, int y)
{
    if (!bitmap.GetSafeHandle())
        return;
    SourceDc src(pDC, bitmap);
    pDC->BitBlt(x, y, bitmap.m_nWidth, bitmap.m_nHeight, src.Dc(), 0, 0, SRCCOPY);
}

void TileRow(CDC* pDC, CSTBitmap& bitmap, int x, int xEnd, int y)
{
    if (!bitmap.GetSafeHandle() || bitmap.m_nWidth <= 0)
        return;
    SourceDc src(pDC, bitmap);
    for (int at = x; at < xEnd; at += bitmap.m_nWidth)
        pDC->BitBlt(at, y, std::min(bitmap.m_nWidth, xEnd - at), bitmap.m_nHeight, src.Dc(), 0, 0, SRCCOPY);
}

void TileColumn(CDC* pDC, CSTBitmap& bitmap, int x, int y, int yEnd)
{
    if (!bitmap.GetSafeHandle() || bitmap.m_nHeight <= 0)
        return;
    SourceDc src(pDC, bitmap);
    for (int at = y; at < yEnd; at += bitmap.m_nHeight)
        pDC->BitBlt(x, at, bitmap.m_nWidth, std::min(bitmap.m_nHeight, yEnd - at), src.Dc(), 0, 0, SRCCOPY);
}

UINT HeaderStripFor(int nHeaderStyle)
{
    switch (nHeaderStyle)
    {
    case 1:
        return 1102;
    case 2:
        return 1112;
    case 3:
        return 1117;
    default:
        return 1118;
    }
}

void DrawCaptionTitle(CDC* pDC, const RECT& rect, const CString& title)
{
    RECT rcTitle = {rect.left + 6, rect.top + 12, rect.left + 306, rect.top + 32};
    const CString text = title.IsEmpty() ? AppName() : title;
    CFont* pOldFont = pDC->SelectObject(UiBoldFont());
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColour = pDC->SetTextColor(RGB(252, 252, 252));
    pDC->DrawText(text, &rcTitle, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    pDC->SetTextColor(oldColour);
    pDC->SetBkMode(oldMode);
    if (pOldFont)
        pDC->SelectObject(pOldFont);
}
} // namespace suitecore::basewnd

void DrawSkinFrame(CDC* pDC, const RECT& rect)
{
    if (!pDC)
        return;
    const int left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    Blit(pDC, SkinBitmap(1109), left, top);
    TileRow(pDC, SkinBitmap(1110), left + 6, right - 6, top);
    Blit(pDC, SkinBitmap(1111), right - 6, top);
    TileColumn(pDC, SkinBitmap(1107), left, top + 36, bottom - 6);
    TileColumn(pDC, SkinBitmap(1108), right - 6, top + 36, bottom - 6);
    Blit(pDC, SkinBitmap(1104), left, bottom - 6);
    TileRow(pDC, SkinBitmap(1105), left + 6, right - 6, bottom - 6);
    Blit(pDC, SkinBitmap(1106), right - 6, bottom - 6);
}

// ---- CDlgBaseWnd ---------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDlgBaseWnd, CDialog)

BEGIN_MESSAGE_MAP(CDlgBaseWnd, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

CDlgBaseWnd::CDlgBaseWnd() = default;

CDlgBaseWnd::CDlgBaseWnd(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nTemplateID(static_cast<int>(nIDTemplate))
{
}

CDlgBaseWnd::~CDlgBaseWnd() = default;

void CDlgBaseWnd::SetToolTipsEnabled(BOOL bEnabled)
{
    g_bToolTipsEnabled = bEnabled;
}

BOOL CDlgBaseWnd::GetToolTipsEnabled()
{
    return g_bToolTipsEnabled;
}

HBRUSH CDlgBaseWnd::GetWhiteBrush()
{
    return g_whiteBrush.Get();
}

BOOL CDlgBaseWnd::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The panel icon lives in the library's one slot for the whole process: a nested dialog
    // neither reloads nor destroys the icon its outer dialog paints with.
    PanelIcon();
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()->GetSafeHandle()), TRUE, TRUE);
    if (g_bToolTipsEnabled && !m_ToolTip.m_hWnd)
        m_ToolTip.Create(this);
    RECT rc{};
    GetClientRect(&rc);
    PostMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right - rc.left, rc.bottom - rc.top));
    return TRUE;
}

void CDlgBaseWnd::OnOK()
{
    if (m_bIgnoreEnter && (::GetAsyncKeyState(VK_RETURN) & 0x8000))
        return;
    CDialog::OnOK();
}

void CDlgBaseWnd::OnCancel()
{
    if (m_bIgnoreEscape && (::GetAsyncKeyState(VK_ESCAPE) & 0x8000))
        return;
    CDialog::OnCancel();
}

BOOL CDlgBaseWnd::PreTranslateMessage(MSG* pMsg)
{
    if (g_bToolTipsEnabled && m_ToolTip.m_hWnd)
    {
        switch (pMsg->message)
        {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            m_ToolTip.RelayEvent(pMsg);
            break;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgBaseWnd::SetPaintCallback(PaintCallback pfnCallback, BOOL bEnable, DWORD dwUserData)
{
    m_pfnPaintCallback = pfnCallback;
    m_bUseCallback = bEnable ? 1 : 0;
    m_dwCallbackData = dwUserData;
}

RECT CDlgBaseWnd::ScaledControlRect(int x, int y, int cx, int cy, BOOL bScaleSize)
{
    const int left = static_cast<int>(std::ceil(x * kMoverScaleX));
    const int top = static_cast<int>(std::ceil(y * kMoverScaleY));
    const int width = bScaleSize ? static_cast<int>(std::ceil(cx * kMoverScaleX)) : cx;
    const int height = bScaleSize ? static_cast<int>(std::ceil(cy * kMoverScaleY)) : cy;
    return RECT{left, top, left + width, top + height};
}

BOOL CDlgBaseWnd::MoveControl(int nID, int x, int y, int cx, int cy, BOOL bScaleSize)
{
    HWND hCtrl = ::GetDlgItem(m_hWnd, nID);
    if (!hCtrl)
        return FALSE;
    const RECT rc = ScaledControlRect(x, y, cx, cy, bScaleSize);
    return ::MoveWindow(hCtrl, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

LRESULT CDlgBaseWnd::HandlerResult()
{
    return m_bPassToDefault ? Default() : 0;
}

HBRUSH CDlgBaseWnd::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkColor(RGB(255, 255, 255));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(kControlText);
    return g_whiteBrush.Get();
}

void CDlgBaseWnd::OnPaint()
{
    PaintScope paint(m_hWnd);
    CDC* pDC = CDC::FromHandle(paint.Dc());
    RECT rcClient{};
    GetClientRect(&rcClient);
    // A callback that points at memory we cannot read (a tool unloaded, a freed page) is
    // ignored and the default painting runs.
    const void* pCode = nullptr;
    static_assert(sizeof(pCode) == sizeof(m_pfnPaintCallback));
    std::memcpy(&pCode, &m_pfnPaintCallback, sizeof(pCode));
    if (m_bUseCallback && pCode && AfxIsValidAddress(pCode, 1, FALSE))
    {
        m_pfnPaintCallback(this, m_dwCallbackData, pDC, rcClient);
        return;
    }
    PaintClient(pDC, rcClient);
}

void CDlgBaseWnd::PaintClient(CDC* pDC, const RECT& rcClient)
{
    const int width = rcClient.right - rcClient.left;
    const int height = rcClient.bottom - rcClient.top;
    if (width <= 0 || height <= 0)
        return;
    CXTMemDC memDC(pDC, rcClient, RGB(255, 255, 255));
    // The pop-ups' skin, chosen by runtime class so that the class keeps its virtual slots.
    if (IsKindOf(RUNTIME_CLASS(CDlgBaseChildPopUpWndBase)))
        static_cast<CDlgBaseChildPopUpWndBase*>(this)->DrawPopupSkin(&memDC, rcClient);
}

BOOL CDlgBaseWnd::OnHelpInfo(HELPINFO*)
{
    OpenHelpPage();
    return TRUE;
}

void CDlgBaseWnd::SetLightStyle(CHoverButtonWithText& button)
{
    button.ApplyLightPreset(TRUE);
}

void CDlgBaseWnd::SetDarkStyle(CHoverButtonWithText& button)
{
    button.ApplyDarkPreset(TRUE);
}
