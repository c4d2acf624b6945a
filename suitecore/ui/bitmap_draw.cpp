// Blitting bitmaps onto DCs: the exported helpers and the sources the painters blit from.
#include "suitecore/ui/bitmap_draw.h"

#include "gdi_scope.h"

#include <framework/module.h>

namespace suitecore::ui
{
BitmapSource::BitmapSource(HDC target, HBITMAP bitmap)
{
    if (!target || !bitmap)
        return;
    m_dc.reset(CreateCompatibleDC(target));
    if (m_dc)
        m_old = SelectObject(m_dc.get(), bitmap);
}

BitmapSource::~BitmapSource()
{
    if (m_old)
        SelectObject(m_dc.get(), m_old);
}

BOOL BitmapSource::Blit(HDC target, int x, int y, int width, int height, int xSrc, int ySrc, DWORD rop) const
{
    return Ready() && BitBlt(target, x, y, width, height, m_dc.get(), xSrc, ySrc, rop);
}

BOOL BitmapSource::Stretch(HDC target, int x, int y, int width, int height, int xSrc, int ySrc, int srcWidth,
                           int srcHeight, DWORD rop) const
{
    return Ready() && StretchBlt(target, x, y, width, height, m_dc.get(), xSrc, ySrc, srcWidth, srcHeight, rop);
}

HINSTANCE LibraryInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

LibraryBitmap::LibraryBitmap(HDC target, UINT id)
    : m_bitmap(LoadBitmapW(LibraryInstance(), MAKEINTRESOURCEW(id))), m_source(target, m_bitmap.get())
{
}
} // namespace suitecore::ui

namespace
{
HDC OutputDc(CDC* pDC)
{
    return pDC ? pDC->GetSafeHdc() : nullptr;
}

HBITMAP BitmapHandle(CBitmap* pBitmap)
{
    return pBitmap ? static_cast<HBITMAP>(pBitmap->GetSafeHandle()) : nullptr;
}
} // namespace

BOOL DrawBitmap(CDC* pDC, int x, int y, int nWidth, int nHeight, CBitmap* pBitmap, DWORD dwRop)
{
    return DrawBitmapPart(pDC, x, y, 0, 0, nWidth, nHeight, pBitmap, dwRop);
}

BOOL DrawBitmapPart(CDC* pDC, int x, int y, int xSrc, int ySrc, int nWidth, int nHeight, CBitmap* pBitmap, DWORD dwRop)
{
    const suitecore::ui::BitmapSource source(OutputDc(pDC), BitmapHandle(pBitmap));
    return source.Blit(OutputDc(pDC), x, y, nWidth, nHeight, xSrc, ySrc, dwRop);
}

BOOL StretchBitmap(CDC* pDC, int x, int y, int nWidth, int nHeight, int xSrc, int ySrc, int nSrcWidth, int nSrcHeight,
                   CBitmap* pBitmap, DWORD dwRop)
{
    const suitecore::ui::BitmapSource source(OutputDc(pDC), BitmapHandle(pBitmap));
    return source.Stretch(OutputDc(pDC), x, y, nWidth, nHeight, xSrc, ySrc, nSrcWidth, nSrcHeight, dwRop);
}

BOOL GetBitmapResourceSize(UINT nIDResource, CBitmap& bitmap, int& nWidth, int& nHeight)
{
    nWidth = nHeight = 0;
    // A bitmap the object already holds is let go first: loading over it would fail and leak
    // the new one.
    bitmap.DeleteObject();
    BITMAP info{};
    if (!bitmap.LoadBitmap(nIDResource) || !bitmap.GetBitmap(&info))
    {
        bitmap.DeleteObject();
        return FALSE;
    }
    nWidth = info.bmWidth;
    nHeight = info.bmHeight;
    return TRUE;
}
