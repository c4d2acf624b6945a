// CFadeWnd, the fade overlay, and ShowFade.
//
// The animation runs on a worker that only reads the capture, builds frames and draws them
// through a DC of the overlay; it never sends a message. The overlay's destruction (WM_DESTROY)
// raises the stop flag and waits for the worker with AfxWaitDispatchingSent, so that a message
// another thread sends meanwhile is still answered, before it deletes the bitmaps or the object.
// The frame shown is swapped and blitted under one lock, which the UI thread holds only inside
// WM_PAINT, never while it waits.
#include "suitecore/ui/fadewnd.h"

#include "gdi_scope.h"

#include <framework/app.h>
#include <framework/exception.h>
#include <framework/module.h>

#include <algorithm>
#include <cstring>

namespace
{
constexpr wchar_t kFadeClass[] = L"Fade_Wnd_1";
constexpr DWORD kFadeDurationMs = 1500;
constexpr int kMinStep = 3;
constexpr int kMaxStep = 49;

using suitecore::ui::CUniqueMemoryDc;

void RegisterFadeClass()
{
    HINSTANCE hInst = AfxGetInstanceHandle();
    WNDCLASSW existing{};
    if (::GetClassInfoW(hInst, kFadeClass, &existing))
        return;
    WNDCLASSW wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInst;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFadeClass;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        AfxThrowResourceException();
}

// A 32-bit top-down DIB section; its pixels through ppBits.
HBITMAP CreateDib32(int width, int height, void** ppBits)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, ppBits, nullptr, 0);
}

int Channel(DWORD pixel, int shift)
{
    return static_cast<int>((pixel >> shift) & 0xFF);
}

bool IsPaletteDevice(HWND hWnd)
{
    CClientDC dc(CWnd::FromHandle(hWnd));
    if (!dc.GetSafeHdc())
        return true;
    return (::GetDeviceCaps(dc.GetSafeHdc(), RASTERCAPS) & RC_PALETTE) != 0;
}

// Blits the bitmap onto the DC at (0, 0).
void BlitBitmap(HDC target, HBITMAP hBitmap, int width, int height)
{
    if (!target || !hBitmap)
        return;
    suitecore::ui::BitmapSource source(target, hBitmap);
    source.Blit(target, 0, 0, width, height, 0, 0, SRCCOPY);
}
} // namespace

IMPLEMENT_DYNCREATE(CFadeWnd, CWnd)

BEGIN_MESSAGE_MAP(CFadeWnd, CWnd)
    ON_MESSAGE(WM_PAINT, &CFadeWnd::OnPaintMessage)
    ON_MESSAGE(WM_ERASEBKGND, &CFadeWnd::OnEraseBackground)
    ON_MESSAGE(WM_LBUTTONDOWN, &CFadeWnd::OnLeftButtonDown)
    ON_MESSAGE(WM_RBUTTONDOWN, &CFadeWnd::OnRightButtonDown)
    ON_MESSAGE(WM_KILLFOCUS, &CFadeWnd::OnKillFocusMessage)
    ON_MESSAGE(WM_DESTROY, &CFadeWnd::OnDestroyMessage)
END_MESSAGE_MAP()

CFadeWnd::CFadeWnd() : CFadeWnd(nullptr, RGB(255, 255, 255), RGB(0, 0, 0)) {}

CFadeWnd::CFadeWnd(CWnd* pTarget, COLORREF crLight, COLORREF crDark)
{
    RegisterFadeClass();
    SetFadeColors(crLight, crDark);
    if (pTarget)
        FadeWindow(pTarget, RECT{}, FALSE);
}

CFadeWnd::~CFadeWnd()
{
    // Nothing may delete the object a second time from here on.
    m_bAutoDelete = 0;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    StopAnimation();
}

LPCWSTR CFadeWnd::ClassName()
{
    return kFadeClass;
}

COLORREF CFadeWnd::RampColour(COLORREF crLight, COLORREF crDark, int nIndex)
{
    const int d = nIndex < 0 ? 0 : (nIndex > 255 ? 255 : nIndex);
    auto mix = [d](int light, int dark) { return (light * d + dark * (255 - d)) / 256; };
    return RGB(mix(GetRValue(crLight), GetRValue(crDark)), mix(GetGValue(crLight), GetGValue(crDark)),
               mix(GetBValue(crLight), GetBValue(crDark)));
}

void CFadeWnd::SetFadeColors(COLORREF crLight, COLORREF crDark)
{
    for (int d = 0; d < 256; ++d)
        m_ramp[d] = RampColour(crLight, crDark, d);
}

BOOL CFadeWnd::CloseOnLeftClick()
{
    return TRUE;
}

BOOL CFadeWnd::CloseOnRightClick()
{
    return FALSE;
}

int CFadeWnd::ComputeFadeStep(DWORD dwFirstFrameMs)
{
    // A first frame longer than the whole fade would divide by zero: it gets the largest step.
    if (dwFirstFrameMs > kFadeDurationMs)
        return kMaxStep;
    const int frames = dwFirstFrameMs == 0 ? 20 : static_cast<int>(kFadeDurationMs / dwFirstFrameMs);
    const int step = 100 / frames;
    if (step < kMinStep)
        return kMinStep;
    return step > kMaxStep - 1 ? kMaxStep : step;
}

DWORD CFadeWnd::FadePixel(DWORD dwPixel, int nPercent, const COLORREF* pRamp)
{
    const int r = Channel(dwPixel, 16), g = Channel(dwPixel, 8), b = Channel(dwPixel, 0);
    const int y = (54 * r + 182 * g + 19 * b) >> 8;
    const COLORREF f = pRamp[y];
    const int c = nPercent * 255 / 100;
    auto blend = [c](int channel, int target) { return (channel * (255 - c) + target * c) >> 8; };
    return (static_cast<DWORD>(blend(r, GetRValue(f))) << 16) | (static_cast<DWORD>(blend(g, GetGValue(f))) << 8) |
           static_cast<DWORD>(blend(b, GetBValue(f)));
}

BOOL CFadeWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CWnd::PreCreateWindow(cs))
        return FALSE;
    cs.style &= ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    // An invisible owner keeps the overlay off the taskbar; it is made once per object.
    if (!m_wndOwner.m_hWnd &&
        !m_wndOwner.CreateEx(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return FALSE;
    cs.hwndParent = m_wndOwner.m_hWnd;
    return TRUE;
}

BOOL CFadeWnd::FadeWindow(CWnd* pTarget, const RECT& rect, BOOL bAutoDelete)
{
    // Auto-delete takes effect only once the overlay exists: every failure below leaves the
    // object alive, and it is deleted exactly once, here.
    m_bAutoDelete = 0;
    const BOOL started = StartFade(pTarget ? pTarget->GetSafeHwnd() : nullptr, rect);
    if (!started)
    {
        if (bAutoDelete)
            delete this;
        return FALSE;
    }
    m_bAutoDelete = bAutoDelete ? 1 : 0;
    return TRUE;
}

BOOL CFadeWnd::StartFade(HWND hTarget, RECT rc)
{
    if (m_hWnd || !hTarget || !::IsWindow(hTarget) || IsPaletteDevice(hTarget))
        return FALSE;
    if (::IsRectEmpty(&rc))
        ::GetWindowRect(hTarget, &rc);
    rc.left = rc.left < 0 ? 0 : rc.left;
    rc.top = rc.top < 0 ? 0 : rc.top;

    // The screen under the rectangle, clipped to the screen.
    CDC screen;
    if (!screen.CreateDC(L"DISPLAY", nullptr, nullptr, nullptr))
        return FALSE;
    rc.right = std::min<LONG>(rc.right, screen.GetDeviceCaps(HORZRES));
    rc.bottom = std::min<LONG>(rc.bottom, screen.GetDeviceCaps(VERTRES));
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return FALSE;
    void* pBits = nullptr;
    CUniqueBitmap capture(CreateDib32(width, height, &pBits));
    if (!capture)
        return FALSE;
    {
        CUniqueMemoryDc mem(::CreateCompatibleDC(screen.GetSafeHdc()));
        HGDIOBJ old = mem ? ::SelectObject(mem.get(), capture.get()) : nullptr;
        if (!old)
            return FALSE;
        ::BitBlt(mem.get(), 0, 0, width, height, screen.GetSafeHdc(), rc.left, rc.top, SRCCOPY);
        ::SelectObject(mem.get(), old);
    }
    ::GdiFlush();

    WCHAR title[256] = {};
    ::GetWindowTextW(hTarget, title, 256);
    if (!CreateEx(0, kFadeClass, title, WS_POPUP | WS_CHILD | WS_VISIBLE, rc.left, rc.top, width, height, nullptr,
                  nullptr))
        return FALSE;
    m_bmpCapture = std::move(capture);
    m_pCaptureBits = static_cast<const DWORD*>(pBits);
    m_nWidth = width;
    m_nHeight = height;
    if (hTarget != ::GetDesktopWindow())
    {
        m_hTarget = hTarget;
        ::EnableWindow(hTarget, FALSE);
        HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
        if (hRgn && ::GetWindowRgn(hTarget, hRgn) != ERROR)
            ::SetWindowRgn(m_hWnd, hRgn, TRUE); // the window owns it now
        else if (hRgn)
            ::DeleteObject(hRgn);
    }
    ::InvalidateRect(m_hWnd, nullptr, FALSE);

    m_bStop = false;
    m_pWorker = AfxBeginThread(&CFadeWnd::AnimationEntry, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pWorker)
    {
        m_pWorker->m_bAutoDelete = FALSE;
        m_pWorker->ResumeThread();
    }
    // Without a worker the overlay shows the capture unfaded until it is closed.
    return TRUE;
}

BOOL CFadeWnd::IsAnimating() const
{
    return m_pWorker && ::WaitForSingleObject(m_pWorker->m_hThread, 0) == WAIT_TIMEOUT;
}

UINT __cdecl CFadeWnd::AnimationEntry(LPVOID pParam)
{
    static_cast<CFadeWnd*>(pParam)->Animate();
    return 0;
}

void CFadeWnd::Animate()
{
    int percent = 0;
    int step = 0;
    for (;;)
    {
        const DWORD start = ::GetTickCount();
        HBITMAP hFrame = BuildFrame(percent);
        if (!hFrame)
            return;
        ShowFrame(hFrame, percent);
        if (step == 0)
            step = ComputeFadeStep(::GetTickCount() - start);
        if (m_bStop || percent + step >= 100)
            return;
        percent += step;
    }
}

HBITMAP CFadeWnd::BuildFrame(int nPercent)
{
    void* pBits = nullptr;
    CUniqueBitmap frame(CreateDib32(m_nWidth, m_nHeight, &pBits));
    if (!frame)
        return nullptr;
    DWORD* pOut = static_cast<DWORD*>(pBits);
    for (int y = 0; y < m_nHeight; ++y)
    {
        if (m_bStop)
            return nullptr;
        const DWORD* pRow = m_pCaptureBits + static_cast<size_t>(y) * m_nWidth;
        DWORD* pDst = pOut + static_cast<size_t>(y) * m_nWidth;
        for (int x = 0; x < m_nWidth; ++x)
            pDst[x] = FadePixel(pRow[x] & 0xFFFFFF, nPercent, m_ramp);
    }
    ::GdiFlush();
    return frame.release();
}

void CFadeWnd::ShowFrame(HBITMAP hFrame, int nPercent)
{
    CUniqueBitmap previous(hFrame);
    CClientDC dc(this);
    std::lock_guard<std::mutex> guard(m_lock);
    std::swap(previous, m_bmpFaded);
    BlitBitmap(dc.GetSafeHdc(), m_bmpFaded.get(), m_nWidth, m_nHeight);
    m_nShownPercent = nPercent;
}

void CFadeWnd::StopAnimation()
{
    if (!m_pWorker)
        return;
    m_bStop = true;
    AfxWaitDispatchingSent(m_pWorker->m_hThread, INFINITE);
    delete m_pWorker;
    m_pWorker = nullptr;
}

void CFadeWnd::GiveTargetBack()
{
    const HWND hTarget = m_hTarget;
    m_hTarget = nullptr;
    if (!hTarget || !::IsWindow(hTarget))
        return;
    ::EnableWindow(hTarget, TRUE);
    ::SetFocus(hTarget);
}

LRESULT CFadeWnd::OnPaintMessage(WPARAM, LPARAM)
{
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        BlitBitmap(hdc, m_bmpFaded ? m_bmpFaded.get() : m_bmpCapture.get(), m_nWidth, m_nHeight);
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CFadeWnd::OnEraseBackground(WPARAM, LPARAM)
{
    return 1; // the frame covers the whole window
}

LRESULT CFadeWnd::OnLeftButtonDown(WPARAM, LPARAM)
{
    // With auto-delete the object is gone once the window is: nothing may follow.
    if (CloseOnLeftClick())
        ::DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CFadeWnd::OnRightButtonDown(WPARAM, LPARAM)
{
    if (CloseOnRightClick())
        ::DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CFadeWnd::OnKillFocusMessage(WPARAM wParam, LPARAM)
{
    // The focus comes back only from the covered window: taking it from any other window (a
    // second overlay does the same) would bounce the focus between them without end.
    const HWND hNew = reinterpret_cast<HWND>(wParam);
    const bool toTarget = hNew && m_hTarget && (hNew == m_hTarget || ::IsChild(m_hTarget, hNew));
    if (toTarget && !m_bTakingFocus && ::IsWindowVisible(m_hWnd))
    {
        m_bTakingFocus = true;
        ::SetFocus(m_hWnd);
        m_bTakingFocus = false;
    }
    return Default();
}

LRESULT CFadeWnd::OnDestroyMessage(WPARAM, LPARAM)
{
    StopAnimation();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bmpFaded.reset();
        m_bmpCapture.reset();
        m_pCaptureBits = nullptr;
    }
    GiveTargetBack();
    return Default();
}

void CFadeWnd::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void ShowFade(CWnd* pWnd, COLORREF crLight, COLORREF crDark)
{
    if (!pWnd)
        return;
    CFadeWnd* pFade = nullptr;
    try
    {
        pFade = new CFadeWnd(nullptr, crLight, crDark);
    }
    catch (CException* e)
    {
        e->Delete();
        return;
    }
    // The overlay owns itself from here on, and is already gone when the fade did not start.
    pFade->FadeWindow(pWnd, RECT{}, TRUE);
}
