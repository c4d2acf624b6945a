// Off-screen drawing surfaces for flicker-free painting.
#include <suitecore/ui/memdc.h>

CXTMemDC::CXTMemDC(CDC* pDC, const RECT& rect, COLORREF clrColor) : m_pDC(pDC)
{
    if (!pDC)
        return;
    if (::IsRectEmpty(&rect))
        pDC->GetClipBox(&m_rc);
    else
        m_rc = rect;
    if (!CreateCompatibleDC(pDC))
        return;
    if (!m_bitmap.CreateCompatibleBitmap(pDC, Width(), Height()))
    {
        DeleteDC();
        return;
    }
    SetMapMode(pDC->GetMapMode());
    m_hOldBitmap = static_cast<HBITMAP>(SelectObject(static_cast<HGDIOBJ>(m_bitmap.GetSafeHandle())));
    // The whole bitmap is the rectangle at (0,0): fill all of it, or a rectangle away from the
    // target's origin would copy back unpainted pixels.
    FillSolidRect(0, 0, Width(), Height(), clrColor);
    m_bValid = TRUE;
}

CXTMemDC::~CXTMemDC()
{
    if (m_bValid)
        m_pDC->BitBlt(m_rc.left, m_rc.top, Width(), Height(), this, 0, 0, SRCCOPY);
    if (m_hOldBitmap)
        SelectObject(static_cast<HGDIOBJ>(m_hOldBitmap));
}

void CXTMemDC::CopyFromTarget()
{
    if (m_bValid)
        BitBlt(0, 0, Width(), Height(), m_pDC, m_rc.left, m_rc.top, SRCCOPY);
}

void CXTMemDC::Discard()
{
    m_bValid = FALSE;
}

BOOL CXTMemDC::IsValid() const
{
    return m_bValid;
}

CBitmap& CXTMemDC::GetBitmap()
{
    return m_bitmap;
}

BCMenuMemDC::BCMenuMemDC(CDC* pDC, LPCRECT pRect) : m_pDC(pDC)
{
    if (!pDC)
        return;
    if (pRect)
        m_rect = *pRect;
    else
        pDC->GetClipBox(&m_rect);
    if (pDC->IsPrinting())
    {
        // Printing draws straight through; the handles stay the target's.
        m_bPrinting = TRUE;
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
        return;
    }
    if (!CreateCompatibleDC(pDC))
        return;
    if (!m_bitmap.CreateCompatibleBitmap(pDC, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top))
    {
        DeleteDC();
        return;
    }
    m_hOldBitmap = static_cast<HBITMAP>(SelectObject(static_cast<HGDIOBJ>(m_bitmap.GetSafeHandle())));
    SetWindowOrg(m_rect.left, m_rect.top);
    m_bMemDC = TRUE;
}

BCMenuMemDC::~BCMenuMemDC()
{
    if (m_bMemDC)
    {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, this,
                      m_rect.left, m_rect.top, SRCCOPY);
        SelectObject(static_cast<HGDIOBJ>(m_hOldBitmap));
    }
    else if (m_bPrinting)
    {
        // Borrowed: give the handles up without deleting them.
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
}
