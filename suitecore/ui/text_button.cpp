// The strip buttons with a caption: CHoverButtonWithText (and its two presets) and
// CMyHoverButton.
#include "suitecore/ui/buttons.h"

#include "button_paint.h"
#include "suitecore/sysinfo.h"
#include "suitecore/ui/uifont.h"

#include <cstring>

using namespace suitecore::buttonpaint;

namespace
{
const COLORREF kShadow = RGB(189, 198, 207);
} // namespace

// ---------------------------------------------------------------------------------------------
// CHoverButtonWithText

IMPLEMENT_DYNAMIC(CHoverButtonWithText, CHoverButton)

CHoverButtonWithText::CHoverButtonWithText()
{
    InitUILogFont(m_lf);
}

CHoverButtonWithText::~CHoverButtonWithText() = default;

CHoverButtonWithText::TextLook CHoverButtonWithText::GetTextLook(UINT nItemState) const
{
    TextLook look{m_crNormal, m_lf.lfWeight, m_lf.lfUnderline};
    const bool bDisabled = (nItemState & ODS_DISABLED) || (m_hWnd && !::IsWindowEnabled(m_hWnd));
    if (m_bUseDisabledColour && m_bHasDisabledFrame && bDisabled)
        look.colour = m_crDisabled;
    // "Hover and selected differ" keeps the hover look on a selected button.
    if (m_bHover || m_bHover != m_bSelected)
    {
        look.colour = m_crHover;
        look.underline = m_bUnderlineOnHover;
        if (m_bBoldOnHover)
            look.weight = FW_BOLD;
    }
    if (m_bBoldAlways)
        look.weight = FW_BOLD;
    if (m_bSemiBoldOnVista && GetOsMajorVersion() > 5)
        look.weight = FW_MEDIUM;
    return look;
}

void CHoverButtonWithText::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    CHoverButton::DrawItem(lpDrawItemStruct);

    const HDC hDC = lpDrawItemStruct->hDC;
    const TextLook look = GetTextLook(lpDrawItemStruct->itemState);
    // The font lives for this paint only; the stored description stays as it was.
    LOGFONTW lf = m_lf;
    lf.lfWeight = look.weight;
    lf.lfUnderline = look.underline;
    TextState state(hDC);
    PaintFont font(hDC, lf);

    const CString text = WindowTextOf(m_hWnd);
    RECT rc = lpDrawItemStruct->rcItem;
    UINT nFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (m_nTextX != -1)
    {
        rc.left = m_nTextX;
        rc.top = m_nTextY;
        nFormat = DT_SINGLELINE;
    }
    if (m_bDrawShadow)
    {
        RECT shadow = rc;
        ::OffsetRect(&shadow, 1, 1);
        DrawTextIn(hDC, text, shadow, nFormat, kShadow);
    }
    DrawTextIn(hDC, text, rc, nFormat, look.colour);
}

void CHoverButtonWithText::ApplyLightPreset(BOOL bDisabledLook)
{
    m_crNormal = m_crHover = m_crPressed = RGB(252, 252, 255);
    m_crDisabled = RGB(158, 164, 167);
    InitUILogFont(m_lf);
    m_lf.lfWeight = FW_BOLD;
    m_bBoldAlways = 0;
    m_bSemiBoldOnVista = 0;
    m_bHasDisabledFrame = bDisabledLook ? 1 : 0;
    m_bUseDisabledColour = bDisabledLook ? 1 : 0;
}

void CHoverButtonWithText::ApplyDarkPreset(BOOL bDisabledLook)
{
    m_crNormal = RGB(9, 18, 54);
    m_crHover = RGB(18, 9, 63);
    m_crPressed = RGB(18, 18, 72);
    m_crDisabled = RGB(144, 153, 162);
    InitUILogFont(m_lf);
    m_bBoldAlways = 1;
    m_bSemiBoldOnVista = 1;
    m_bHasDisabledFrame = bDisabledLook ? 1 : 0;
    m_bUseDisabledColour = bDisabledLook ? 1 : 0;
}

void ApplyTextButtonStyle(CHoverButtonWithText* pButton, BOOL bHasDisabledFrame, BOOL bLight, BOOL bSmall)
{
    if (!pButton)
        return;
    if (bLight)
        pButton->ApplyLightPreset(bHasDisabledFrame);
    else
        pButton->ApplyDarkPreset(bHasDisabledFrame);
    const UINT nStrip = bLight ? (bSmall ? 1074 : 1021) : (bSmall ? 1076 : 1059);
    // All four strips hold four frames: cut them as such even when the disabled frame is not
    // to be shown, or every frame would be a third of the strip wide.
    const BYTE bDisabledFrame = pButton->m_bHasDisabledFrame;
    pButton->m_bHasDisabledFrame = 1;
    pButton->SetBitmap(nStrip);
    pButton->m_bHasDisabledFrame = bDisabledFrame;
    pButton->m_lf.lfWeight = FW_BOLD;
}

// ---------------------------------------------------------------------------------------------
// CMyHoverButton

IMPLEMENT_DYNAMIC(CMyHoverButton, CHoverButton)

CMyHoverButton::CMyHoverButton() = default;
CMyHoverButton::~CMyHoverButton() = default;

BOOL CMyHoverButton::SetBitmapAndCaption(LPCWSTR lpszCaption, UINT nIDBitmap)
{
    m_strCaption = lpszCaption ? lpszCaption : L"";
    m_bHasDisabledFrame = 1;
    return SetBitmap(nIDBitmap);
}

BOOL CMyHoverButton::SetIconStrip(UINT nIDBitmap)
{
    m_bmpIcon.DeleteObject();
    m_nIconWidth = m_nIconHeight = 0;
    if (!nIDBitmap)
        return TRUE;
    if (!m_bmpIcon.LoadBitmap(nIDBitmap))
        return FALSE;
    const SIZE size = BitmapSize(static_cast<HBITMAP>(m_bmpIcon.m_hObject));
    m_nIconWidth = size.cx / 4;
    m_nIconHeight = size.cy;
    return TRUE;
}

void CMyHoverButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const HDC hDC = lpDrawItemStruct->hDC;
    const bool bPressed = (lpDrawItemStruct->itemState & ODS_SELECTED) || m_bForcePressedLook;
    int nFrame = 0;
    if (IsItemDisabled(*lpDrawItemStruct))
        nFrame = 3;
    else if (bPressed)
        nFrame = 1;
    else if (m_bHover || m_bSelected)
        nFrame = 2;
    DrawStripFrame(hDC, nFrame);

    TextState state(hDC);
    RECT rc = lpDrawItemStruct->rcItem;
    const auto icon = static_cast<HBITMAP>(m_bmpIcon.m_hObject);
    if (icon)
    {
        BlitBitmap(hDC, 38, 3, m_nIconWidth, m_nIconHeight, icon, nFrame * m_nIconWidth, 0);
        const CUILogFont lf(L"arial", -12, TRUE, FALSE);
        PaintFont font(hDC, lf);
        rc.left = 1;
        rc.top = 43;
        DrawTextIn(hDC, m_strCaption, rc, DT_SINGLELINE | DT_CENTER | DT_TOP,
                   bPressed ? RGB(255, 255, 255) : RGB(54, 63, 72));
        return;
    }
    CUILogFont lf;
    lf.lfHeight = -21;
    lf.lfWeight = FW_BOLD;
    PaintFont font(hDC, lf);
    if (bPressed)
        ::OffsetRect(&rc, 1, 1);
    const UINT nFormat = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    DrawTextIn(hDC, m_strCaption, rc, nFormat, RGB(45, 111, 45));
    ::OffsetRect(&rc, -1, -1);
    DrawTextIn(hDC, m_strCaption, rc, nFormat, RGB(245, 245, 245));
}
