// CBaseGUIButton: hover tracking and the hand cursor of every button of the family.
#include "suitecore/ui/buttons.h"

#include "button_paint.h"
#include "suitecore/ui/window_effects.h"

#include <framework/module.h>

namespace suitecore::buttonpaint
{
void BlitBitmap(HDC hDest, int x, int y, int cx, int cy, HBITMAP hBitmap, int xSrc, int ySrc)
{
    if (!hBitmap || cx <= 0 || cy <= 0)
        return;
    MemoryDc mem(hDest);
    if (!mem.Get())
        return;
    SelectScope select(mem.Get(), hBitmap);
    ::BitBlt(hDest, x, y, cx, cy, mem.Get(), xSrc, ySrc, SRCCOPY);
}

void DrawTextIn(HDC hDC, LPCWSTR lpszText, RECT rc, UINT nFormat, COLORREF clr)
{
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, clr);
    ::DrawTextW(hDC, lpszText, -1, &rc, nFormat);
}

SIZE BitmapSize(HBITMAP hBitmap)
{
    BITMAP bm{};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof bm, &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

CString WindowTextOf(HWND hWnd)
{
    CString text;
    const int nLength = hWnd ? ::GetWindowTextLengthW(hWnd) : 0;
    if (nLength > 0)
    {
        ::GetWindowTextW(hWnd, text.GetBuffer(nLength + 1), nLength + 1);
        text.ReleaseBuffer();
    }
    return text;
}

HINSTANCE LibraryInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
} // namespace suitecore::buttonpaint

IMPLEMENT_DYNAMIC(CBaseGUIButton, CButton)

// clang-format off
BEGIN_MESSAGE_MAP(CBaseGUIButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSEHOVER, &CBaseGUIButton::OnMouseHover)
    ON_MESSAGE(WM_MOUSELEAVE, &CBaseGUIButton::OnMouseLeave)
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()
// clang-format on

CBaseGUIButton::CBaseGUIButton()
    : m_hHandCursor(::LoadCursorW(suitecore::buttonpaint::LibraryInstance(), MAKEINTRESOURCEW(IDC_SUITE_HAND)))
{
}

// The hand cursor is a shared resource cursor: the system keeps it.
CBaseGUIButton::~CBaseGUIButton() = default;

void CBaseGUIButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    // BS_OWNERDRAW is a button type, not a flag: it replaces the type the button had.
    const DWORD dwStyle = GetStyle();
    if ((dwStyle & BS_TYPEMASK) != BS_OWNERDRAW)
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((dwStyle & ~BS_TYPEMASK) | BS_OWNERDRAW));
}

LRESULT CBaseGUIButton::PaintParentBackground(CDC* pDC, LPCRECT lpRect)
{
    if (!pDC)
        return 0;
    return ::PaintParentBackground(m_hWnd, pDC->m_hDC, lpRect);
}

void CBaseGUIButton::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 2; // milliseconds: the hover look follows the mouse at once
        m_bTracking = ::TrackMouseEvent(&tme) ? 1 : 0;
    }
    m_hCurrentCursor = m_hHandCursor;
    CButton::OnMouseMove(nFlags, point);
}

LRESULT CBaseGUIButton::OnMouseHover(WPARAM, LPARAM)
{
    m_bHover = 1;
    Invalidate(FALSE);
    m_hCurrentCursor = m_hHandCursor;
    return 0;
}

LRESULT CBaseGUIButton::OnMouseLeave(WPARAM, LPARAM)
{
    m_bTracking = 0;
    m_bHover = 0;
    Invalidate(FALSE);
    m_hCurrentCursor = nullptr;
    return 0;
}

BOOL CBaseGUIButton::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_bUseHandCursor && m_hCurrentCursor)
    {
        ::SetCursor(m_hCurrentCursor);
        return TRUE;
    }
    return CButton::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CBaseGUIButton::OnEraseBkgnd(CDC*)
{
    return FALSE;
}

BOOL CBaseGUIButton::IsItemDisabled(const DRAWITEMSTRUCT& dis) const
{
    return (dis.itemState & ODS_DISABLED) || (m_hWnd && !::IsWindowEnabled(m_hWnd));
}
