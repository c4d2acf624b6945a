// CHyperLinkBtn: a text link with per-state colour and underline, and the four link fonts
// that all links share.
#include "suitecore/ui/buttons.h"

#include "button_paint.h"
#include "suitecore/ui/uifont.h"

using namespace suitecore::buttonpaint;

namespace
{
// Built on first use from the shared UI font and kept for the process: links of every window
// draw with the same four handles.
struct SharedLinkFonts
{
    HFONT fonts[4]; // index: bold * 2 + underline

    SharedLinkFonts()
    {
        for (int i = 0; i < 4; ++i)
        {
            CUILogFont lf;
            lf.lfWeight = (i & 2) ? FW_BOLD : FW_NORMAL;
            lf.lfUnderline = (i & 1) ? 1 : 0;
            fonts[i] = ::CreateFontIndirectW(&lf);
        }
    }
};
} // namespace

HFONT GetSharedLinkFont(BOOL bBold, BOOL bUnderline)
{
    // Never destroyed: windows may still paint while the process ends.
    static const SharedLinkFonts* const s_pFonts = new SharedLinkFonts;
    return s_pFonts->fonts[(bBold ? 2 : 0) + (bUnderline ? 1 : 0)];
}

IMPLEMENT_DYNAMIC(CHyperLinkBtn, CBaseGUIButton)

CHyperLinkBtn::CHyperLinkBtn()
{
    InitUILogFont(m_lf);
}

CHyperLinkBtn::~CHyperLinkBtn() = default;

void CHyperLinkBtn::SetLinkText(LPCWSTR lpszText)
{
    SetWindowText(lpszText ? lpszText : L"");
    m_bMeasurePending = 1;
}

void CHyperLinkBtn::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const HDC hDC = lpDrawItemStruct->hDC;
    const UINT nState = lpDrawItemStruct->itemState;
    m_strText = WindowTextOf(m_hWnd);
    TextState state(hDC);
    ::SetBkColor(hDC, m_crBackground);

    RECT rc = lpDrawItemStruct->rcItem;
    if (m_bTransparent)
    {
        BorrowedDc dc(hDC);
        PaintParentBackground(&dc, &rc);
    }
    else
    {
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    }

    COLORREF clr = m_crNormal;
    BOOL bUnderline = m_bUnderlineWhenIdle;
    if (m_bHover)
    {
        clr = m_crHover;
        bUnderline = TRUE;
    }
    if (nState & ODS_SELECTED)
    {
        clr = m_crPressed;
        bUnderline = TRUE;
        ::OffsetRect(&rc, 1, 1);
    }
    if (IsItemDisabled(*lpDrawItemStruct))
        clr = m_crDisabled;

    auto draw = [&](HDC hTarget)
    {
        DrawTextIn(hTarget, m_strText, rc, m_nFormat, clr);
        if (m_bMeasurePending)
        {
            SIZE extent{};
            ::GetTextExtentPoint32W(hTarget, m_strText, m_strText.GetLength(), &extent);
            m_nTextWidth = extent.cx;
            m_nTextHeight = extent.cy;
            m_bMeasurePending = 0;
        }
    };
    if (m_bUseSharedFonts)
    {
        SelectScope font(hDC, GetSharedLinkFont(m_bBold, bUnderline));
        draw(hDC);
    }
    else
    {
        LOGFONTW lf = m_lf;
        lf.lfWeight = m_bBold ? FW_BOLD : FW_NORMAL;
        lf.lfUnderline = bUnderline ? 1 : 0;
        PaintFont font(hDC, lf);
        draw(hDC);
    }
}
