// SuiteCore's one drawing helper over the HTML renderer qmnhtm.dll (bound through the import
// table: SuiteCore does not load without it).
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>

// Draws the mark-up into the rectangle with QHTM_RenderHTMLRect, passing the instance of the
// current module state and the source flags 5 when transparent (the background is left as it
// is), else 1 (the rectangle is first filled with the DC's background colour). Answers the
// renderer's result; false without a call for a missing DC, text or rectangle.
SUITECORE_API BOOL RenderHtml(CDC* pDC, LPCWSTR lpszHtml, LPCRECT lpRect, BOOL bTransparent);
