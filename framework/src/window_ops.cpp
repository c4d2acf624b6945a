// CWnd's thin wrappers over the window functions: styles, placement, coordinates, focus,
// Z order, painting, fonts and icons, relations, timers and regions.
#include "framework/window.h"

#include "framework/exception.h"
#include "framework/app.h"
#include "framework/gdi.h"
#include "framework/menu.h"

#include <map>
#include <utility>
#include <vector>

namespace
{
// WM_QUERYCENTERWND: a window may name another window to centre its pop-ups on.
const UINT kQueryCenterWnd = 0x036B;

// The special insert-after values are built once the handle map exists, so that the map
// outlives them at exit (their destructors look it up).
HWND AfterHandleMap(HWND hWnd)
{
    CWnd::FromHandlePermanent(hWnd);
    return hWnd;
}
} // namespace

const CWnd CWnd::wndTop(AfterHandleMap(HWND_TOP));
const CWnd CWnd::wndBottom(AfterHandleMap(HWND_BOTTOM));
const CWnd CWnd::wndTopMost(AfterHandleMap(HWND_TOPMOST));
const CWnd CWnd::wndNoTopMost(AfterHandleMap(HWND_NOTOPMOST));

CWnd::CWnd(HWND hWnd)
{
    m_hWnd = hWnd;
}

// ---- Styles and placement ----

namespace
{
BOOL ModifyLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, nIndex));
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongPtrW(hWnd, nIndex, static_cast<LONG_PTR>(static_cast<LONG>(dwNewStyle)));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}
} // namespace

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyLong(hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyLong(hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

BOOL CWnd::IsZoomed() const
{
    return ::IsZoomed(m_hWnd);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::IsChild(const CWnd* pWnd) const
{
    return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd);
}

// ---- Coordinates ----

void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    ::ClientToScreen(m_hWnd, lpPoint);
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const
{
    ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, lpPoint, nCount);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const
{
    ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}

namespace
{
RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    return mi.rcWork;
}

// The window a centred window goes on when none was named: its parent or owner, or the
// window that one names through WM_QUERYCENTERWND; an unowned pop-up goes on the main window.
HWND DefaultCenter(HWND hWnd, DWORD dwStyle)
{
    HWND hWndCenter = (dwStyle & WS_CHILD) ? ::GetParent(hWnd) : ::GetWindow(hWnd, GW_OWNER);
    if (!hWndCenter && !(dwStyle & WS_CHILD))
    {
        const CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain->m_hWnd != hWnd)
            hWndCenter = pMain->m_hWnd;
    }
    if (hWndCenter)
    {
        if (HWND hWndTemp = reinterpret_cast<HWND>(::SendMessageW(hWndCenter, kQueryCenterWnd, 0, 0)))
            hWndCenter = hWndTemp;
    }
    return hWndCenter;
}
} // namespace

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    const DWORD dwStyle = GetStyle();
    HWND hWndCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : DefaultCenter(m_hWnd, dwStyle);

    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    RECT rcArea;
    RECT rcCenter;
    if (!(dwStyle & WS_CHILD))
    {
        // Never centre on a hidden or minimised window.
        if (hWndCenter)
        {
            const DWORD dwCenterStyle = static_cast<DWORD>(::GetWindowLongPtrW(hWndCenter, GWL_STYLE));
            if (!(dwCenterStyle & WS_VISIBLE) || (dwCenterStyle & WS_MINIMIZE))
                hWndCenter = nullptr;
        }
        if (hWndCenter)
        {
            ::GetWindowRect(hWndCenter, &rcCenter);
            rcArea = WorkAreaOf(hWndCenter);
        }
        else
        {
            rcArea = WorkAreaOf(m_hWnd);
            rcCenter = rcArea;
        }
    }
    else
    {
        // A child is centred within its parent's client area, in the parent's coordinates.
        HWND hWndParent = ::GetParent(m_hWnd);
        ::GetClientRect(hWndParent, &rcArea);
        if (!hWndCenter)
            hWndCenter = hWndParent;
        ::GetClientRect(hWndCenter, &rcCenter);
        ::MapWindowPoints(hWndCenter, hWndParent, reinterpret_cast<LPPOINT>(&rcCenter), 2);
    }

    const int cx = rcDlg.right - rcDlg.left;
    const int cy = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    // Keep it inside the area; the top-left corner wins when it does not fit.
    if (xLeft + cx > rcArea.right)
        xLeft = rcArea.right - cx;
    if (xLeft < rcArea.left)
        xLeft = rcArea.left;
    if (yTop + cy > rcArea.bottom)
        yTop = rcArea.bottom - cy;
    if (yTop < rcArea.top)
        yTop = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, xLeft, yTop, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Focus, activation and Z order ----

CWnd* CWnd::SetFocus()
{
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

BOOL CWnd::SetForegroundWindow()
{
    return ::SetForegroundWindow(m_hWnd);
}

CWnd* CWnd::GetForegroundWindow()
{
    return FromHandle(::GetForegroundWindow());
}

CWnd* CWnd::SetActiveWindow()
{
    return FromHandle(::SetActiveWindow(m_hWnd));
}

CWnd* CWnd::GetActiveWindow()
{
    return FromHandle(::GetActiveWindow());
}

CWnd* CWnd::SetCapture()
{
    return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(::GetCapture());
}

BOOL CWnd::BringWindowToTop()
{
    return ::BringWindowToTop(m_hWnd);
}

CWnd* CWnd::GetWindow(UINT nCmd) const
{
    return FromHandle(::GetWindow(m_hWnd, nCmd));
}

CWnd* CWnd::GetNextWindow(UINT nFlag) const
{
    return FromHandle(::GetWindow(m_hWnd, nFlag));
}

CWnd* CWnd::GetTopWindow() const
{
    return FromHandle(::GetTopWindow(m_hWnd));
}

CWnd* CWnd::GetTopLevelParent() const
{
    return FromHandle(::GetAncestor(m_hWnd, GA_ROOT));
}

CWnd* CWnd::FindWindow(LPCWSTR lpszClassName, LPCWSTR lpszWindowName)
{
    return FromHandle(::FindWindowW(lpszClassName, lpszWindowName));
}

CWnd* CWnd::FindWindowEx(HWND hwndParent, HWND hwndChildAfter, LPCWSTR lpszClass, LPCWSTR lpszWindow)
{
    return FromHandle(::FindWindowExW(hwndParent, hwndChildAfter, lpszClass, lpszWindow));
}

CWnd* CWnd::GetDesktopWindow()
{
    return FromHandle(::GetDesktopWindow());
}

// ---- Painting ----

void CWnd::Invalidate(BOOL bErase)
{
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase)
{
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::InvalidateRgn(CRgn* pRgn, BOOL bErase)
{
    ::InvalidateRgn(m_hWnd, pRgn ? static_cast<HRGN>(*pRgn) : nullptr, bErase);
}

void CWnd::ValidateRect(LPCRECT lpRect)
{
    ::ValidateRect(m_hWnd, lpRect);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate ? static_cast<HRGN>(*prgnUpdate) : nullptr, flags);
}

CDC* CWnd::GetDC()
{
    return CDC::FromHandle(::GetDC(m_hWnd));
}

CDC* CWnd::GetWindowDC()
{
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC)
{
    return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0;
}

// ---- Font and icons ----

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        ::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

// ---- Descendants and relations ----

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    SendMessageToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

void CWnd::SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm)
{
    // The children are listed before any is sent to, so a handler that destroys or creates
    // windows cannot break the walk.
    std::vector<HWND> children;
    for (HWND hChild = ::GetTopWindow(hWnd); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        children.push_back(hChild);
    for (HWND hChild : children)
    {
        if (!::IsWindow(hChild))
            continue;
        if (!bOnlyPerm || FromHandlePermanent(hChild))
            ::SendMessageW(hChild, message, wParam, lParam);
        if (bDeep && ::IsWindow(hChild))
            SendMessageToDescendants(hChild, message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

CWnd* CWnd::GetOwner() const
{
    return m_hWndOwner ? FromHandle(m_hWndOwner) : GetParent();
}

void CWnd::SetOwner(CWnd* pOwnerWnd)
{
    m_hWndOwner = pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr;
}

CWnd* CWnd::SetParent(CWnd* pWndNewParent)
{
    return FromHandle(::SetParent(m_hWnd, pWndNewParent ? pWndNewParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetLastActivePopup() const
{
    return FromHandle(::GetLastActivePopup(m_hWnd));
}

HMENU CWnd::GetSystemMenuHandle(BOOL bRevert) const
{
    return ::GetSystemMenu(m_hWnd, bRevert);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::FromHandle(GetSystemMenuHandle(bRevert));
}

// ---- Timers ----

namespace
{
using TIMERFN = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

// The timer procedures the framework calls on the windows' behalf, by window and timer.
class TimerProcs
{
public:
    TimerProcs() { InitializeCriticalSectionAndSpinCount(&m_cs, 1000); }
    ~TimerProcs() { DeleteCriticalSection(&m_cs); }
    TimerProcs(const TimerProcs&) = delete;
    TimerProcs& operator=(const TimerProcs&) = delete;

    void Set(HWND hWnd, UINT_PTR nID, TIMERFN pfn)
    {
        EnterCriticalSection(&m_cs);
        m_procs[{hWnd, nID}] = pfn;
        LeaveCriticalSection(&m_cs);
    }
    void Remove(HWND hWnd, UINT_PTR nID)
    {
        EnterCriticalSection(&m_cs);
        m_procs.erase({hWnd, nID});
        LeaveCriticalSection(&m_cs);
    }
    TIMERFN Find(HWND hWnd, UINT_PTR nID)
    {
        EnterCriticalSection(&m_cs);
        const auto it = m_procs.find({hWnd, nID});
        TIMERFN pfn = it == m_procs.end() ? nullptr : it->second;
        LeaveCriticalSection(&m_cs);
        return pfn;
    }

private:
    CRITICAL_SECTION m_cs;
    std::map<std::pair<HWND, UINT_PTR>, TIMERFN> m_procs;
};

TimerProcs& Timers()
{
    static TimerProcs timers;
    return timers;
}

void CALLBACK AfxTimerProc(HWND hWnd, UINT message, UINT_PTR nIDEvent, DWORD dwTime)
{
    AfxCallbackBarrier(
        [&]
        {
            if (TIMERFN pfn = Timers().Find(hWnd, nIDEvent))
                pfn(hWnd, message, nIDEvent, dwTime);
        });
}
} // namespace

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD))
{
    if (!lpfnTimer)
    {
        Timers().Remove(m_hWnd, nIDEvent);
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
    }
    Timers().Set(m_hWnd, nIDEvent, lpfnTimer);
    const UINT_PTR nID = ::SetTimer(m_hWnd, nIDEvent, nElapse, &AfxTimerProc);
    if (!nID)
        Timers().Remove(m_hWnd, nIDEvent);
    return nID;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    Timers().Remove(m_hWnd, nIDEvent);
    return ::KillTimer(m_hWnd, nIDEvent);
}

// ---- Regions ----

int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw)
{
    return ::SetWindowRgn(m_hWnd, hRgn, bRedraw);
}

int CWnd::GetWindowRgn(HRGN hRgn) const
{
    return ::GetWindowRgn(m_hWnd, hRgn);
}
