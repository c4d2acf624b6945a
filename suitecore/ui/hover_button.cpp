// CHoverButton: a face copied from a bitmap strip of state frames, or built from three
// stretch pieces.
#include "suitecore/ui/buttons.h"

#include "button_paint.h"

#include <algorithm>

using suitecore::buttonpaint::BitmapSize;
using suitecore::buttonpaint::BlitBitmap;

IMPLEMENT_DYNAMIC(CHoverButton, CBaseGUIButton)

CHoverButton::CHoverButton() = default;
CHoverButton::~CHoverButton() = default;

BOOL CHoverButton::AdoptStrip(int nFrames)
{
    const SIZE size = BitmapSize(static_cast<HBITMAP>(m_bmpStrip.m_hObject));
    if (size.cx <= 0 || size.cy <= 0)
        return FALSE;
    m_nFrameWidth = size.cx / nFrames;
    m_nFrameHeight = size.cy;
    // The Z order stays: it is the dialog's tab order.
    if (::IsWindow(m_hWnd))
        SetWindowPos(nullptr, 0, 0, m_nFrameWidth, m_nFrameHeight,
                     SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER | SWP_NOACTIVATE);
    m_bSelected = 0;
    m_bSingleStrip = 1;
    return TRUE;
}

BOOL CHoverButton::SetBitmap(UINT nIDBitmap)
{
    m_bmpStrip.DeleteObject();
    if (!m_bmpStrip.LoadBitmap(nIDBitmap))
        return FALSE;
    return AdoptStrip(m_bHasDisabledFrame ? 4 : 3);
}

BOOL CHoverButton::SetBitmapHandle(HBITMAP hBitmap)
{
    m_bmpStrip.DeleteObject();
    if (!hBitmap || !m_bmpStrip.Attach(hBitmap))
        return FALSE;
    return AdoptStrip(3);
}

BOOL CHoverButton::SetThreePartBitmaps(UINT nIDLeft, UINT nIDMiddle, UINT nIDRight, int nWidth, int nHeight)
{
    struct Piece
    {
        UINT id;
        CBitmap& bitmap;
        int& width;
        int& height;
    } pieces[] = {{nIDLeft, m_bmpLeft, m_nLeftWidth, m_nLeftHeight},
                  {nIDMiddle, m_bmpMiddle, m_nMiddleWidth, m_nMiddleHeight},
                  {nIDRight, m_bmpRight, m_nRightWidth, m_nRightHeight}};
    BOOL bAll = TRUE;
    for (Piece& piece : pieces)
    {
        piece.bitmap.DeleteObject();
        piece.width = piece.height = 0;
        if (!piece.bitmap.LoadBitmap(piece.id))
        {
            bAll = FALSE;
            continue;
        }
        // Each piece holds its three state frames side by side.
        const SIZE size = BitmapSize(static_cast<HBITMAP>(piece.bitmap.m_hObject));
        piece.width = size.cx / 3;
        piece.height = size.cy;
    }
    m_bSingleStrip = 0;
    if (::IsWindow(m_hWnd))
        SetWindowPos(nullptr, 0, 0, nWidth, nHeight, SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER | SWP_NOACTIVATE);
    m_bSelected = 0;
    return bAll;
}

int CHoverButton::GetStateFrame(UINT nItemState) const
{
    const bool bDisabled = (nItemState & ODS_DISABLED) || (m_hWnd && !::IsWindowEnabled(m_hWnd));
    if (m_bHasDisabledFrame && bDisabled)
        return 3;
    if ((nItemState & ODS_SELECTED) || m_bForcePressedLook)
        return 1;
    if (m_bHover || m_bSelected)
        return 2;
    return 0;
}

void CHoverButton::DrawStripFrame(HDC hDC, int nFrame) const
{
    BlitBitmap(hDC, 0, 0, m_nFrameWidth, m_nFrameHeight, static_cast<HBITMAP>(m_bmpStrip.m_hObject),
               nFrame * m_nFrameWidth, 0);
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    if (!m_bSingleStrip)
    {
        DrawStretched(lpDrawItemStruct);
        return;
    }
    DrawStripFrame(lpDrawItemStruct->hDC, GetStateFrame(lpDrawItemStruct->itemState));
}

void CHoverButton::DrawStretched(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const HDC hDC = lpDrawItemStruct->hDC;
    const RECT& rc = lpDrawItemStruct->rcItem;
    int nState = 0;
    if (lpDrawItemStruct->itemState & ODS_SELECTED)
        nState = 1;
    else if (m_bHover || m_bSelected)
        nState = 2;

    const auto middle = static_cast<HBITMAP>(m_bmpMiddle.m_hObject);
    if (middle && m_nMiddleWidth > 0)
    {
        for (int x = rc.left; x < rc.right; x += m_nMiddleWidth)
            BlitBitmap(hDC, x, rc.top, std::min<int>(m_nMiddleWidth, rc.right - x), m_nMiddleHeight, middle,
                       nState * m_nMiddleWidth, 0);
    }
    BlitBitmap(hDC, rc.left, rc.top, m_nLeftWidth, m_nLeftHeight, static_cast<HBITMAP>(m_bmpLeft.m_hObject),
               nState * m_nLeftWidth, 0);
    BlitBitmap(hDC, rc.right - m_nRightWidth, rc.top, m_nRightWidth, m_nRightHeight,
               static_cast<HBITMAP>(m_bmpRight.m_hObject), nState * m_nRightWidth, 0);
}
