// Painting helpers of the launcher, the navigation pane and the content pages.
#include "launcher_paint.h"

#include "gdi_scope.h"

#include <framework/memory.h>

#include <cstring>

namespace suitecore::basewnd
{
bool PaintCallbackUsable(const CDlgBaseWnd& dlg)
{
    const void* pCode = nullptr;
    static_assert(sizeof(pCode) == sizeof(dlg.m_pfnPaintCallback));
    std::memcpy(&pCode, &dlg.m_pfnPaintCallback, sizeof(pCode));
    return dlg.m_bUseCallback && pCode && AfxIsValidAddress(pCode, 1, FALSE);
}

void SetRoundRegion(HWND hWnd, int nCorner)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    HRGN hRgn = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, nCorner, nCorner);
    // The window owns the region once SetWindowRgn took it.
    if (hRgn && !::SetWindowRgn(hWnd, hRgn, TRUE))
        ::DeleteObject(hRgn);
}

void DrawTextTwice(CDC* pDC, const CString& text, const RECT& rect, CFont* pFont, COLORREF crFirst, int nFirstOffset,
                   COLORREF crSecond, int nSecondOffset, UINT nFormat)
{
    suitecore::ui::DcStateScope state(pDC->GetSafeHdc());
    if (pFont && pFont->GetSafeHandle())
        pDC->SelectObject(pFont);
    pDC->SetBkMode(TRANSPARENT);
    RECT rc = rect;
    ::OffsetRect(&rc, nFirstOffset, nFirstOffset);
    pDC->SetTextColor(crFirst);
    pDC->DrawText(text, &rc, nFormat);
    rc = rect;
    ::OffsetRect(&rc, nSecondOffset, nSecondOffset);
    pDC->SetTextColor(crSecond);
    pDC->DrawText(text, &rc, nFormat);
}

void DrawPlainText(CDC* pDC, const CString& text, const RECT& rect, CFont* pFont, COLORREF crText, UINT nFormat)
{
    suitecore::ui::DcStateScope state(pDC->GetSafeHdc());
    if (pFont && pFont->GetSafeHandle())
        pDC->SelectObject(pFont);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(crText);
    RECT rc = rect;
    pDC->DrawText(text, &rc, nFormat);
}
} // namespace suitecore::basewnd
