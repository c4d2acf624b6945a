// Painting helpers of the base windows: the process-wide skin pictures and a memory DC.
#pragma once

#include "suitecore/ui/basewnd.h"

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
} // namespace suitecore::basewnd
