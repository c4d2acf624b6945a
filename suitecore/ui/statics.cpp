// The static-like controls: CTransparentStatic2, CTransparentCheckRadio and CSThtmlStatic.
#include "suitecore/ui/statics.h"

#include "button_paint.h"
#include "suitecore/ui/html.h"
#include "suitecore/ui/window_effects.h"

using namespace suitecore::buttonpaint;

// ---------------------------------------------------------------------------------------------
// CTransparentStatic2

IMPLEMENT_DYNAMIC(CTransparentStatic2, CStatic)

// clang-format off
BEGIN_MESSAGE_MAP(CTransparentStatic2, CStatic)
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_SETTEXT, &CTransparentStatic2::OnSetText)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()
// clang-format on

CTransparentStatic2::CTransparentStatic2() = default;
CTransparentStatic2::~CTransparentStatic2() = default;

BOOL CTransparentStatic2::OnEraseBkgnd(CDC* pDC)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const HDC hDC = pDC->m_hDC;
    if (m_bmpSnapshot.m_hObject)
    {
        BlitBitmap(hDC, 0, 0, rc.right, rc.bottom, static_cast<HBITMAP>(m_bmpSnapshot.m_hObject), 0, 0);
        return TRUE;
    }
    const HWND hParent = ::GetParent(m_hWnd);
    if (!hParent || rc.right <= 0 || rc.bottom <= 0)
        return TRUE;
    // What the parent shows under the control, read through the parent's DC.
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, hParent, &origin, 1);
    {
        ClientDc parentDc(hParent);
        if (!parentDc.Get() || !m_bmpSnapshot.Attach(::CreateCompatibleBitmap(parentDc.Get(), rc.right, rc.bottom)))
            return TRUE;
        MemoryDc mem(parentDc.Get());
        SelectScope select(mem.Get(), m_bmpSnapshot.m_hObject);
        ::BitBlt(mem.Get(), 0, 0, rc.right, rc.bottom, parentDc.Get(), origin.x, origin.y, SRCCOPY);
    }
    // Paint again, this time from the snapshot.
    Invalidate(TRUE);
    return TRUE;
}

LRESULT CTransparentStatic2::OnSetText(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return result;
}

HBRUSH CTransparentStatic2::CtlColor(CDC* pDC, UINT)
{
    ::SetBkMode(pDC->m_hDC, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

// ---------------------------------------------------------------------------------------------
// CTransparentCheckRadio

IMPLEMENT_DYNAMIC(CTransparentCheckRadio, CButton)

// clang-format off
BEGIN_MESSAGE_MAP(CTransparentCheckRadio, CButton)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()
// clang-format on

CTransparentCheckRadio::CTransparentCheckRadio() = default;
CTransparentCheckRadio::~CTransparentCheckRadio() = default;

HBRUSH CTransparentCheckRadio::GetSharedBrush()
{
    // Never deleted: every check box of every window hands out this one brush.
    static const HBRUSH s_hWhite = ::CreateSolidBrush(RGB(255, 255, 255));
    return s_hWhite;
}

HBRUSH CTransparentCheckRadio::CtlColor(CDC* pDC, UINT)
{
    const HDC hDC = pDC->m_hDC;
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetBkColor(hDC, RGB(255, 255, 255));
    ::SetTextColor(hDC, RGB(45, 54, 72));
    return GetSharedBrush();
}

BOOL CTransparentCheckRadio::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CSThtmlStatic

IMPLEMENT_DYNAMIC(CSThtmlStatic, CStatic)

// clang-format off
BEGIN_MESSAGE_MAP(CSThtmlStatic, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()
// clang-format on

CSThtmlStatic::CSThtmlStatic() = default;
CSThtmlStatic::~CSThtmlStatic() = default;

void CSThtmlStatic::OnPaint()
{
    CPaintDC dc(this);
    const CString html = WindowTextOf(m_hWnd);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (m_bTransparent)
        ::PaintParentBackground(m_hWnd, dc.m_hDC, &rc);
    // The static's font, as a plain static would draw with.
    SelectScope font(dc.m_hDC, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    RenderHtml(&dc, html, &rc, m_bTransparent);
}
