// The picture buttons: CHoverButtonTextPng, CLeftSideBtns, CLauncherLeftSideBtns,
// CLauncherBigButtons and CLauncherProgBtns.
#include "suitecore/ui/png_buttons.h"

#include "button_paint.h"
#include "suitecore/ui/memdc.h"
#include "suitecore/ui/uifont.h"
#include "suitecore/ui/window_effects.h"

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <map>
#include <mutex>

using namespace suitecore::buttonpaint;

namespace
{
const COLORREF kShadowHover = RGB(189, 198, 207);
const COLORREF kShadow = RGB(198, 206, 216);

// A PNG of the library, loaded on first use and kept for the process (never freed: windows
// may paint until the process ends). Null when it does not load; a later call tries again.
Gdiplus::Bitmap* SharedPng(UINT nID)
{
    static std::mutex s_lock;
    static auto* const s_pImages = new std::map<UINT, CGdiPlusBitmapResource*>;
    std::lock_guard<std::mutex> guard(s_lock);
    CGdiPlusBitmapResource*& pImage = (*s_pImages)[nID];
    if (!pImage)
    {
        auto* pLoaded = new CGdiPlusBitmapResource;
        if (!pLoaded->LoadFromResource(nID, L"PNG", LibraryInstance()))
        {
            delete pLoaded;
            return nullptr;
        }
        pImage = pLoaded;
    }
    return pImage->m_pBitmap;
}

// The navigation pane's background, bitmap 1096, loaded once for the process.
HBITMAP PaneBackground()
{
    static const HBITMAP s_hPane = []
    {
        CBitmap bitmap;
        return bitmap.LoadBitmap(1096) ? static_cast<HBITMAP>(bitmap.Detach()) : nullptr;
    }();
    return s_hPane;
}

// Draws a whole image at its own pixel size (whatever resolution the file states).
void DrawPng(Gdiplus::Graphics& g, Gdiplus::Bitmap* pImage, int x, int y)
{
    if (pImage)
        g.DrawImage(pImage, x, y, static_cast<INT>(pImage->GetWidth()), static_cast<INT>(pImage->GetHeight()));
}

// Draws part of an image, pixel for pixel, into the rectangle.
void DrawPngPart(Gdiplus::Graphics& g, Gdiplus::Bitmap* pImage, const Gdiplus::Rect& dest, int xSrc, int ySrc)
{
    if (pImage)
        g.DrawImage(pImage, dest, xSrc, ySrc, dest.Width, dest.Height, Gdiplus::UnitPixel);
}

// The button's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<LPPOINT>(&rc), 2);
    return rc;
}

// A caption drawn twice: the shadow at the rectangle, the text one pixel up and left.
void DrawShadowedText(HDC hDC, LPCWSTR lpszText, const RECT& rc, UINT nFormat, COLORREF clrShadow, COLORREF clrText)
{
    DrawTextIn(hDC, lpszText, rc, nFormat, clrShadow);
    RECT up = rc;
    ::OffsetRect(&up, -1, -1);
    DrawTextIn(hDC, lpszText, up, nFormat, clrText);
}

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}
int Height(const RECT& rc)
{
    return rc.bottom - rc.top;
}

// The off-screen surface of one paint: a CXTMemDC on the item rectangle, drawn at (0, 0).
class OffscreenPaint
{
public:
    explicit OffscreenPaint(const DRAWITEMSTRUCT& dis)
        : m_target(dis.hDC),
          m_mem(&m_target, dis.rcItem, RGB(255, 255, 255)), m_size{Width(dis.rcItem), Height(dis.rcItem)}
    {
    }
    HDC Dc() { return m_mem.IsValid() ? m_mem.m_hDC : m_target.m_hDC; }
    RECT Client() const { return RECT{0, 0, m_size.cx, m_size.cy}; }

private:
    BorrowedDc m_target;
    CXTMemDC m_mem;
    SIZE m_size;
};
} // namespace

// ---------------------------------------------------------------------------------------------
// CHoverButtonTextPng

IMPLEMENT_DYNAMIC(CHoverButtonTextPng, CHoverButton)

CHoverButtonTextPng::CHoverButtonTextPng() = default;
CHoverButtonTextPng::~CHoverButtonTextPng() = default;

BOOL CHoverButtonTextPng::SetPng(UINT nIDPng)
{
    return m_png.LoadFromResource(nIDPng, L"PNG", LibraryInstance());
}

void CHoverButtonTextPng::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    CHoverButton::DrawItem(lpDrawItemStruct);
    if (!m_png.m_pBitmap)
        return;
    const RECT& rc = lpDrawItemStruct->rcItem;
    Gdiplus::Graphics g(lpDrawItemStruct->hDC);
    g.DrawImage(m_png.m_pBitmap, Gdiplus::Rect(rc.left + 1, rc.top, Width(rc), Height(rc)), 0, 0,
                static_cast<INT>(m_png.m_pBitmap->GetWidth()), static_cast<INT>(m_png.m_pBitmap->GetHeight()),
                Gdiplus::UnitPixel);
}

// ---------------------------------------------------------------------------------------------
// The descendants of CHyperLinkBtn share their look.

namespace
{
void ApplyPictureLinkLook(CHyperLinkBtn& button)
{
    button.m_bTransparent = 1;
    button.m_bUseSharedFonts = 0;
    button.m_lf.lfHeight = -13;
    button.m_crNormal = RGB(18, 45, 54);
    button.m_crHover = RGB(9, 63, 153);
    button.m_crPressed = RGB(18, 45, 54);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CLeftSideBtns

IMPLEMENT_DYNAMIC(CLeftSideBtns, CHyperLinkBtn)

CLeftSideBtns::CLeftSideBtns()
{
    ApplyPictureLinkLook(*this);
}

CLeftSideBtns::~CLeftSideBtns() = default;

BOOL CLeftSideBtns::SetIcon(UINT nIDPng, int nIconIndex)
{
    m_nIconIndex = nIconIndex;
    m_nIconID = nIDPng;
    if (!nIDPng)
    {
        m_pngIcon.FreeBuffer();
        return TRUE;
    }
    return m_pngIcon.LoadFromResource(nIDPng, L"PNG", nullptr);
}

void CLeftSideBtns::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const bool bHover = m_bHover != 0;
    const bool bSelected = m_bSelected != 0;
    OffscreenPaint paint(*lpDrawItemStruct);
    const HDC hDC = paint.Dc();
    const RECT rc = paint.Client();
    if (!m_bHaveRect)
    {
        m_rcInParent = RectInParent(m_hWnd);
        m_bHaveRect = TRUE;
    }
    BlitBitmap(hDC, 0, 0, rc.right, rc.bottom, PaneBackground(), m_rcInParent.left, m_rcInParent.top);
    {
        Gdiplus::Graphics g(hDC);
        if (bHover || bHover != bSelected)
            DrawPng(g, SharedPng(bHover ? 1357 : 1358), 0, 0);
        if (m_nIconIndex != -1)
        {
            Gdiplus::Bitmap* pCells = m_pngIcon.m_pBitmap ? m_pngIcon.m_pBitmap : SharedPng(1364);
            DrawPngPart(g, pCells, Gdiplus::Rect(11, 1, 24, 24), m_nIconIndex * 24, bSelected ? 24 : 0);
        }
    }
    TextState state(hDC);
    LOGFONTW lf = m_lf;
    lf.lfHeight = -13;
    lf.lfWeight = bSelected ? FW_BOLD : FW_NORMAL;
    PaintFont font(hDC, lf);
    const CString text = WindowTextOf(m_hWnd);
    const RECT rcText{m_nTextX, 0, 163, 26};
    DrawShadowedText(hDC, text, rcText, DT_SINGLELINE | DT_VCENTER, bHover ? kShadowHover : kShadow,
                     (bHover || bSelected) ? m_crHover : m_crNormal);
}

// ---------------------------------------------------------------------------------------------
// CLauncherLeftSideBtns

IMPLEMENT_DYNAMIC(CLauncherLeftSideBtns, CHyperLinkBtn)

CBitmap* CLauncherLeftSideBtns::s_pBackground = nullptr;

CLauncherLeftSideBtns::CLauncherLeftSideBtns()
{
    ApplyPictureLinkLook(*this);
}

CLauncherLeftSideBtns::~CLauncherLeftSideBtns() = default;

void CLauncherLeftSideBtns::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const bool bPressed = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    OffscreenPaint paint(*lpDrawItemStruct);
    const HDC hDC = paint.Dc();
    const RECT rc = paint.Client();
    if (!m_bHaveRect)
    {
        m_rcInParent = RectInParent(m_hWnd);
        m_bHaveRect = TRUE;
    }
    if (s_pBackground && s_pBackground->m_hObject)
    {
        BlitBitmap(hDC, 0, 0, rc.right, rc.bottom, static_cast<HBITMAP>(s_pBackground->m_hObject), m_rcInParent.left,
                   m_rcInParent.top);
    }
    else
    {
        BorrowedDc dc(hDC);
        PaintParentBackground(&dc, &rc);
    }
    if (m_bHover || m_bSelected)
    {
        Gdiplus::Graphics g(hDC);
        DrawPng(g, SharedPng((m_bSelected || bPressed) ? 1356 : 1355), 4, 1);
    }
    TextState state(hDC);
    LOGFONTW lf = m_lf;
    lf.lfHeight = -13;
    PaintFont font(hDC, lf);
    const RECT rcText{18, 1, rc.right, rc.bottom};
    DrawShadowedText(hDC, WindowTextOf(m_hWnd), rcText, DT_SINGLELINE | DT_VCENTER, kShadow, RGB(9, 18, 27));
}

// ---------------------------------------------------------------------------------------------
// CLauncherBigButtons

IMPLEMENT_DYNAMIC(CLauncherBigButtons, CHyperLinkBtn)

CLauncherBigButtons::CLauncherBigButtons()
{
    ApplyPictureLinkLook(*this);
}

CLauncherBigButtons::~CLauncherBigButtons() = default;

BOOL CLauncherBigButtons::SetIcon(UINT nIDPng)
{
    m_nIconID = nIDPng;
    return m_pngIcon.LoadFromResource(nIDPng, L"PNG", nullptr);
}

void CLauncherBigButtons::SetDescription(LPCWSTR lpszDescription)
{
    m_strDescription = lpszDescription ? lpszDescription : L"";
    if (m_hWnd)
        Invalidate(FALSE);
}

void CLauncherBigButtons::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const bool bHover = m_bHover != 0;
    const bool bSelected = m_bSelected != 0;
    OffscreenPaint paint(*lpDrawItemStruct);
    const HDC hDC = paint.Dc();
    RECT rc = paint.Client();
    {
        BorrowedDc dc(hDC);
        PaintParentBackground(&dc, &rc);
    }
    {
        Gdiplus::Graphics g(hDC);
        if (bHover)
            DrawPng(g, SharedPng(1353), 0, 0);
        else if (bSelected)
            DrawPng(g, SharedPng(1354), 0, 0);
        if (m_pngIcon.m_pBitmap)
            g.DrawImage(m_pngIcon.m_pBitmap, 7, 1, 64, 64);
    }
    TextState state(hDC);
    {
        CUILogFont lf;
        lf.lfHeight = -16;
        PaintFont font(hDC, lf);
        DrawTextIn(hDC, WindowTextOf(m_hWnd), RECT{85, 12, 550, 38}, DT_SINGLELINE,
                   bHover ? RGB(12, 93, 25) : RGB(0, 150, 58));
    }
    LOGFONTW lf = m_lf;
    lf.lfHeight = -13;
    PaintFont font(hDC, lf);
    DrawShadowedText(hDC, m_strDescription, RECT{85, 35, 550, 60}, DT_SINGLELINE, bHover ? kShadowHover : kShadow,
                     (bHover || bSelected) ? m_crHover : m_crNormal);
}

// ---------------------------------------------------------------------------------------------
// CLauncherProgBtns

IMPLEMENT_DYNAMIC(CLauncherProgBtns, CHyperLinkBtn)

const POINT CLauncherProgBtns::s_ptIcon = {8, 8};
const POINT CLauncherProgBtns::s_ptStatus = {24, 8};
const int CLauncherProgBtns::s_nTextX = 64;

CLauncherProgBtns::CLauncherProgBtns()
{
    ApplyPictureLinkLook(*this);
}

CLauncherProgBtns::~CLauncherProgBtns() = default;

BOOL CLauncherProgBtns::SetProgram(UINT nIDPng, HMODULE hModule, int nValue, LPCWSTR lpszTitle, LPCWSTR lpszDescription,
                                   int nStatus, LPCWSTR lpszCommand)
{
    if (!m_pngIcon.m_pBitmap || m_nIconID != nIDPng)
    {
        m_nIconID = nIDPng;
        m_pngIcon.LoadFromResource(nIDPng, L"PNG", hModule);
    }
    m_nValue = nValue;
    m_strTitle = lpszTitle ? lpszTitle : L"";
    m_strDescription = lpszDescription ? lpszDescription : L"";
    m_nStatus = nStatus;
    m_strCommand = lpszCommand ? lpszCommand : L"";
    if (m_hWnd)
        Invalidate(FALSE);
    return m_pngIcon.m_pBitmap && !m_strTitle.IsEmpty() && !m_strCommand.IsEmpty();
}

void CLauncherProgBtns::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    OffscreenPaint paint(*lpDrawItemStruct);
    const HDC hDC = paint.Dc();
    RECT rc = paint.Client();
    {
        BorrowedDc dc(hDC);
        PaintParentBackground(&dc, &rc);
    }
    {
        Gdiplus::Graphics g(hDC);
        if (m_bHover)
            DrawPng(g, SharedPng(1353), 0, 0);
        if (m_pngIcon.m_pBitmap)
            g.DrawImage(m_pngIcon.m_pBitmap, s_ptIcon.x, s_ptIcon.y, 48, 48);
        static const UINT kStatusPng[] = {1348, 1374, 1352};
        if (m_nStatus >= 0 && m_nStatus < 3)
            DrawPng(g, SharedPng(kStatusPng[m_nStatus]), rc.right - s_ptStatus.x, s_ptStatus.y);
    }
    TextState state(hDC);
    {
        LOGFONTW lf = m_lf;
        lf.lfHeight = -15;
        PaintFont font(hDC, lf);
        DrawShadowedText(hDC, m_strTitle, RECT{s_nTextX, 8, rc.right - s_ptStatus.x - 4, 28}, DT_SINGLELINE, kShadow,
                         RGB(9, 108, 41));
    }
    LOGFONTW lf = m_lf;
    lf.lfHeight = -11;
    PaintFont font(hDC, lf);
    DrawShadowedText(hDC, m_strDescription, RECT{s_nTextX, 30, rc.right - 8, rc.bottom}, DT_WORDBREAK, kShadow,
                     RGB(72, 81, 90));
}
