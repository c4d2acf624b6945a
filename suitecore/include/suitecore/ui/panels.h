// The fixed-layout panels the suite's tools draw their summaries with, and the small panel
// icon they share. Each painter draws with plain GDI on the DC it is given, at the position
// given, and leaves the DC's objects, colours and modes as they were. The pictures are
// SuiteCore's own bitmaps; text is drawn in the shared UI font (bold for titles).
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>

// Icon 1294 at 16 x 16, loaded for the process on first use and never destroyed: every
// dialog and painter draws with the same handle, and none may destroy it. Null when the
// resource cannot be loaded.
SUITECORE_API HICON GetPanelIcon();

// A rounded outline (x, y)-(x + nWidth + 3, nBottom), corner 10 x 10, 1-pixel pen
// RGB(222,222,222), around rows of bitmap 1128 drawn nWidth wide at x + 2 on every row from
// y + 2 to nBottom - 3.
SUITECORE_API void DrawRoundPanel(CDC* pDC, int x, int y, int nBottom, int nWidth);
// The same outline around a flat RGB(251,251,251) fill of (x + 2, y + 2)-(x + nWidth + 2, nBottom - 2).
SUITECORE_API void DrawRoundPanelFlat(CDC* pDC, int x, int y, int nBottom, int nWidth);

// A bar 548 x 50: left cap 5 wide at x (bitmap 1023, alternate 1028), the middle (1024 / 1029)
// repeated on every column from x + 5 to x + 542, right cap at x + 543 (1025 / 1030) and, when
// asked, the 40 x 50 icon at x + 15 (1026 / 1027).
SUITECORE_API void DrawSliceBar(CDC* pDC, int x, int y, BOOL bAlternate, BOOL bWithIcon);
// The same bar nWidth wide, in the normal pictures and always with its icon: the right cap
// at x + nWidth - 5, the middle from x + 5 up to it.
SUITECORE_API void DrawSliceBarWide(CDC* pDC, int x, int y, int nWidth);

// A rounded panel 548 wide from y to nBottom (corner 10 x 10, pen RGB(222,222,222)) with a
// header strip (x + 2, y + 2)-(x + 547, y + 31) in RGB(224,241,249) (corner 6 x 4, 2-pixel
// pen), a line in the header colour at y + 29 and one in RGB(222,222,222) at y + 30, and below
// the header rows of bitmap 1089, 545 wide at x + 2, down to nBottom - 3.
SUITECORE_API void DrawHeaderPanel(CDC* pDC, int x, int y, int nBottom);

// DrawHeaderPanel with nRows rows of 28 pixels (bottom y + 31 + 28 * nRows), separated by
// RGB(237,237,237) lines at y + 58, y + 86, ...; the title in the header in bold, first as a
// shadow in RGB(178,194,205) one pixel right and down, then in RGB(13,58,115); row i (from 0)
// is 20 pixels high from y + 37 + 28 * i, its label from x + 12 to x + 237 in RGB(72,81,90) and
// its value from x + 237 in crValues[i]. The arrays hold nRows entries; a null array leaves
// its column empty (values then draw in the label colour when crValues is null).
SUITECORE_API void DrawHeaderTable(CDC* pDC, int x, int y, int nRows, LPCWSTR lpszTitle, const LPCWSTR* lpszLabels,
                                   const LPCWSTR* lpszValues, const COLORREF* crValues);

// A result panel: DrawRoundPanel 545 wide from y to y + 50 + 30 * nRows. Its heading is the
// panel icon at (x + 12, y + 8) and the title in bold RGB(13,58,115) in (x + 36, y + 4)-(x + 537, y + 28);
// the 540 x 3 separator (bitmap 1090) darkens the rows through SRCAND at (x + 4, y + 32). Row i
// (from 0) starts at y + 42 + 30 * i: the 16 x 16 cell nIconCells[i] of bitmap 1091 (cells side
// by side, 0 to 7) at (x + 14, top + 2), the label in RGB(72,81,90) in (x + 40, top)-(x + 300, top + 20)
// and the value in crValues[i] in (x + 300, top)-(x + 537, top + 20). A null array leaves its
// column empty; a cell outside 0 to 7 draws no icon.
SUITECORE_API void DrawIconListPanel(CDC* pDC, int x, int y, LPCWSTR lpszTitle, int nRows, const int* nIconCells,
                                     const LPCWSTR* lpszLabels, const LPCWSTR* lpszValues, const COLORREF* crValues);

// The advice panel under a tool's results: DrawRoundPanel 545 wide from y to y + 78, the panel
// icon drawn 24 x 24 at (x + 8, y + 5) beside the heading "Recommended Action" (bold,
// RGB(13,58,115)) at (x + 37, y + 9), the separator (bitmap 1090, SRCAND) at (x + 4, y + 33),
// the advice text in RGB(72,81,90) in (x + 37, y + 38)-(x + 537, y + 56) and the status line in
// (x + 37, y + 56)-(x + 537, y + 74), in RGB(169,1,1) when bProblem is set, else RGB(0,130,44).
// Tools place the panel at (20, 320), which puts the heading at (57, 329).
SUITECORE_API void DrawRecommendedActionPanel(CDC* pDC, int x, int y, LPCWSTR lpszAdvice, LPCWSTR lpszStatus,
                                              BOOL bProblem);
