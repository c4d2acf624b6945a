// Painting helpers of the base windows: the process-wide skin pictures and a memory DC.
#pragma once

#include "suitecore/ui/basewnd.h"
#include "suitecore/ui/memdc.h"

namespace suitecore::basewnd
{
// A skin bitmap of the library (or the tool), loaded once for the process on first use; an
// empty bitmap when it is missing, so that it draws nothing.
CSTBitmap& SkinBitmap(UINT nID);
// Draws the whole bitmap at (x, y).
void Blit(CDC* pDC, CSTBitmap& bitmap, int x, int y);
// Tiles the bitmap from x to xEnd (exclusive) at y, cut at xEnd.
void TileRow(CDC* pDC, CSTBitmap& bitmap, int x, int xEnd, int y);
// Tiles the bitmap from y to yEnd (exclusive) at x, cut at yEnd.
void TileColumn(CDC* pDC, CSTBitmap& bitmap, int x, int y, int yEnd);
// The header strip bitmap of a pop-up's header style.
UINT HeaderStripFor(int nHeaderStyle);
// Draws the title (or the application name when it is empty) in a pop-up's caption band.
void DrawCaptionTitle(CDC* pDC, const RECT& rect, const CString& title);
// The tracking sizes both window kinds answer: the given minimum; at most the screen's, less
// the taskbar's client height (0 without a taskbar) and 5 pixels.
void SuiteMaxTrackSize(MINMAXINFO* lpMMI, int nMinWidth, int nMinHeight);

// BeginPaint/EndPaint for the length of a paint handler.
class PaintScope
{
public:
    explicit PaintScope(HWND hWnd) : m_hWnd(hWnd) { m_hdc = ::BeginPaint(hWnd, &m_ps); }
    ~PaintScope() { ::EndPaint(m_hWnd, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return m_hdc; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc;
};

// Answers WM_PAINT through a white memory DC of the whole client area, which paint(pDC, rect)
// fills before it is copied to the screen in one go; an empty client area paints nothing.
template <class Paint>
void PaintBuffered(CWnd& wnd, Paint&& paint)
{
    CPaintDC dc(&wnd);
    RECT rc{};
    wnd.GetClientRect(&rc);
    if (rc.right <= 0 || rc.bottom <= 0)
        return;
    CXTMemDC memDC(&dc, rc, RGB(255, 255, 255));
    paint(&memDC, rc);
}
} // namespace suitecore::basewnd
