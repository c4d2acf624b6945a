// Painting helpers the launcher, the navigation pane and the content pages share.
#pragma once

#include "suitecore/ui/basewnd.h"

namespace suitecore::basewnd
{
// True when the dialog's owner paint callback is on and its address readable: the base
// window's painting then runs instead of the class's own.
bool PaintCallbackUsable(const CDlgBaseWnd& dlg);
// Gives the window a region of its client rectangle with rounded corners (nCorner x nCorner).
void SetRoundRegion(HWND hWnd, int nCorner);
// Draws the text twice, transparent: first in crFirst moved by nFirstOffset pixels right and
// down, then in crSecond moved by nSecondOffset.
void DrawTextTwice(CDC* pDC, const CString& text, const RECT& rect, CFont* pFont, COLORREF crFirst, int nFirstOffset,
                   COLORREF crSecond, int nSecondOffset, UINT nFormat);
// Draws the text once, transparent.
void DrawPlainText(CDC* pDC, const CString& text, const RECT& rect, CFont* pFont, COLORREF crText, UINT nFormat);
} // namespace suitecore::basewnd
