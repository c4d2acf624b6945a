// RenderHtml: SuiteCore's drawing helper over qmnhtm.dll, which the library imports by name.
#include "suitecore/ui/html.h"

#include "html_renderer.h"

#include <framework/module.h>

#include <qmnhtm.h>

namespace
{
// The renderer's source flags: text given directly, and drawn on the background as it is.
constexpr UINT kSourceText = 1;
constexpr UINT kSourceTextTransparent = 5;

HINSTANCE CurrentInstance()
{
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}
} // namespace

namespace suitecore::ui
{
BOOL InitializeHtmlRenderer(HINSTANCE instance)
{
    return QHTM_Initialize(instance);
}

BOOL MeasureHtmlHeight(HDC dc, LPCWSTR html, UINT width, UINT& height)
{
    height = 0;
    if (QHTM_GetHTMLHeight(dc, html, CurrentInstance(), kSourceText, width, &height))
        return TRUE;
    height = 0;
    return FALSE;
}
} // namespace suitecore::ui

BOOL RenderHtml(CDC* pDC, LPCWSTR lpszHtml, LPCRECT lpRect, BOOL bTransparent)
{
    if (!pDC || !pDC->GetSafeHdc() || !lpszHtml || !lpRect)
        return FALSE;
    return QHTM_RenderHTMLRect(pDC->GetSafeHdc(), lpszHtml, CurrentInstance(),
                               bTransparent ? kSourceTextTransparent : kSourceText, lpRect);
}
