#include "framework/window.h"

#include "framework/exception.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/module.h"
#include "handlemap.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

namespace
{
using HandleMap = afx_impl::HandleMap<CWnd, HWND, &CWnd::m_hWnd>;

HandleMap& Handles()
{
    static HandleMap map;
    return map;
}

[[maybe_unused]] const bool g_handlesBuilt = (Handles(), true);

// Per-thread state of the window procedures: plain values only, so that nothing needs
// destruction when a thread of a host process ends after this module was unloaded.
thread_local CWnd* t_pWndInit;
thread_local HHOOK t_hHookCbt;
thread_local int t_nWndProcDepth;
thread_local int t_nModalDepth;
thread_local MSG t_lastSentMsg;

bool IsImeWindow(HWND hWnd)
{
    wchar_t name[32];
    if (!GetClassNameW(hWnd, name, 32))
        return false;
    return lstrcmpiW(name, L"IME") == 0 || lstrcmpiW(name, L"MSCTFIME UI") == 0;
}
} // namespace

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pWndInit && !IsImeWindow(reinterpret_cast<HWND>(wParam)))
    {
        CWnd* pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        AfxCallbackBarrier([&] { pWnd->BindNewWindow(reinterpret_cast<HWND>(wParam)); });
    }
    return CallNextHookEx(t_hHookCbt, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd)
{
    if (!t_hHookCbt)
        t_hHookCbt = SetWindowsHookExW(WH_CBT, AfxCbtFilterHook, nullptr, GetCurrentThreadId());
    t_pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate()
{
    if (t_hHookCbt)
    {
        UnhookWindowsHookEx(t_hHookCbt);
        t_hHookCbt = nullptr;
    }
    const BOOL bound = t_pWndInit == nullptr;
    t_pWndInit = nullptr;
    return bound;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    DestroyControl();
    if (m_hWnd && Handles().Permanent(m_hWnd) == this)
        DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    CWnd* pWnd = Handles().Permanent(hWnd);
    return pWnd ? pWnd : Handles().Temporary(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? Handles().Permanent(hWnd) : nullptr;
}

void CWnd::DeleteTempMap()
{
    Handles().DeleteThreadTemporaries();
    // The GDI temporaries (DCs and drawing objects) live exactly as long.
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd || !Handles().Add(hWndNew, this))
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd)
        Handles().Remove(hWnd, this);
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::BindNewWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return;
    const auto previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    if (previous != &CWnd::AfxWndProc)
        m_pfnSuper = previous;
    PreSubclassWindow();
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || !::IsWindow(hWnd) || m_hWnd)
        return FALSE;
    BindNewWindow(hWnd);
    return m_hWnd == hWnd;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs{lpParam,  AfxGetInstanceHandle(), nIDorHMenu,     hWndParent,    nHeight, nWidth,
                     y,        x,                      static_cast<LONG>(dwStyle), lpszWindowName, lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    AfxHookWindowCreate(this);
    HWND hWnd = nullptr;
    try
    {
        hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                 cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    catch (...)
    {
        AfxUnhookWindowCreate();
        throw;
    }
    AfxUnhookWindowCreate();
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return FALSE;
    const BOOL destroyed = ::DestroyWindow(hWnd);
    // A window bound without subclassing never sees its WM_NCDESTROY here.
    if (m_hWnd == hWnd && !::IsWindow(hWnd))
        Detach();
    return destroyed;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);

    const MSG previous = t_lastSentMsg;
    t_lastSentMsg = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    ++t_nWndProcDepth;
    // An exception ends the message, not the process; a failed WM_CREATE aborts the creation.
    const LRESULT result = AfxCallbackBarrier([&] { return pWnd->WindowProc(message, wParam, lParam); },
                                              message == WM_CREATE ? LRESULT(-1) : LRESULT(0));
    if (message == WM_NCDESTROY)
        AfxCallbackBarrier([&] { pWnd->OnFinalNcDestroy(hWnd); });
    --t_nWndProcDepth;
    t_lastSentMsg = previous;
    // Temporary objects may be held by code further up the stack, a modal loop's caller included.
    // The thread that runs the application object frees them when its loop turns idle.
    if (t_nWndProcDepth == 0 && t_nModalDepth == 0 && !afx_impl::IsAppThread())
        afx_impl::DeleteThreadTempMaps();
    return result;
}

void CWnd::OnFinalNcDestroy(HWND hWnd)
{
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::AfxWndProc)
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    if (m_hWnd == hWnd)
        Detach();
    PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND)
    {
        handled = OnCommand(wParam, lParam);
    }
    else if (message == WM_NOTIFY)
    {
        handled = OnNotify(wParam, lParam, &result);
    }
    else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    {
        // Every colour message reaches OnCtlColor, with the control type it stood for.
        AFX_CTLCOLOR ctl{reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_CTLCOLOR, 0, 0))
        {
            result = e->pfn(this, 0, reinterpret_cast<LPARAM>(&ctl));
            handled = TRUE;
        }
    }
    else if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0))
    {
        result = e->pfn(this, wParam, lParam);
        handled = TRUE;
    }
    if (handled && pResult)
        *pResult = result;
    return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    const auto hWndCtrl = reinterpret_cast<HWND>(lParam);
    // Menus and accelerators (no control window) use the command code 0, as buttons do.
    int nCode = CN_COMMAND;
    if (hWndCtrl)
    {
        // The control's own object has the first word on its notification.
        if (ReflectMsgToChild(hWndCtrl, WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
        nCode = HIWORD(wParam);
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (!pHdr)
        return FALSE;
    if (ReflectMsgToChild(pHdr->hwndFrom, WM_NOTIFY, pHdr->idFrom, lParam, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, pHdr};
    return OnCmdMsg(static_cast<UINT>(pHdr->idFrom), static_cast<int>(MAKELONG(LOWORD(pHdr->code), WM_NOTIFY)),
                    &notify, nullptr);
}

BOOL CWnd::ReflectMsgToChild(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CWnd* pChild = FromHandlePermanent(hWndChild);
    if (!pChild)
        return FALSE;
    // A failing control handler leaves the message to its parent's default.
    return AfxCallbackBarrier([&] { return pChild->OnChildNotify(message, wParam, lParam, pResult); }, FALSE);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND)
    {
        handled = OnCmdMsg(0, static_cast<int>(MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND)), nullptr,
                           nullptr);
    }
    else if (message == WM_NOTIFY)
    {
        auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
        AFX_NOTIFY notify{&result, pHdr};
        handled = OnCmdMsg(0, static_cast<int>(MAKELONG(LOWORD(pHdr->code), WM_REFLECT_BASE + WM_NOTIFY)), &notify,
                           nullptr);
    }
    else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    {
        // A null brush means the control leaves the colours to its parent.
        AFX_CTLCOLOR ctl{m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0))
        {
            result = e->pfn(this, 0, reinterpret_cast<LPARAM>(&ctl));
            handled = result != 0;
        }
    }
    else if (message == WM_DRAWITEM)
    {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        result = TRUE;
        handled = TRUE;
    }
    else if (message == WM_MEASUREITEM)
    {
        if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0))
            e->pfn(this, wParam, lParam);
        else
            MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        result = TRUE;
        handled = TRUE;
    }
    if (handled && pResult)
        *pResult = result;
    return handled;
}

void CWnd::DrawItem(LPDRAWITEMSTRUCT) {}

void CWnd::MeasureItem(LPMEASUREITEMSTRUCT) {}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_lastSentMsg.message, t_lastSentMsg.wParam, t_lastSentMsg.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

namespace
{
class ModalDepth
{
public:
    ModalDepth() { ++t_nModalDepth; }
    ~ModalDepth() { --t_nModalDepth; }
    ModalDepth(const ModalDepth&) = delete;
    ModalDepth& operator=(const ModalDepth&) = delete;
};
} // namespace

int CWnd::RunModalLoop()
{
    ModalDepth depth;
    m_nFlags |= WF_MODALLOOP;
    bool showWhenIdle = m_hWnd && !(GetStyle() & WS_VISIBLE);
    bool idle = true;
    LONG idleCount = 0;
    MSG msg;
    while (ContinueModal())
    {
        // While the queue is empty: show the window the first time, then WM_KICKIDLE for as
        // long as the window asks for more (TRUE).
        while (idle && ContinueModal() && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (showWhenIdle)
            {
                ShowWindow(SW_SHOWNORMAL);
                ::UpdateWindow(m_hWnd);
                showWhenIdle = false;
            }
            if (!::SendMessageW(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++))
                idle = false;
        }
        if (!ContinueModal())
            break;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0)
        {
            // WM_QUIT ends the loop and stays for the thread's own message loop.
            if (got == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!WalkPreTranslateTree(m_hWnd, &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (afx_impl::IsIdleMessage(&msg))
        {
            idle = true;
            idleCount = 0;
        }
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

BOOL CWnd::ContinueModal()
{
    return (m_nFlags & WF_CONTINUEMODAL) && m_hWnd && ::IsWindow(m_hWnd);
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL)
    {
        m_nFlags &= ~WF_CONTINUEMODAL;
        if (m_hWnd)
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0); // wakes the loop
    }
}

void CWnd::SetWindowText(LPCWSTR lpszString)
{
    ::SetWindowTextW(m_hWnd, lpszString);
}

int CWnd::GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    const int nGot = ::GetWindowTextW(m_hWnd, rString.GetBuffer(nLength), nLength + 1);
    rString.ReleaseBuffer(nGot);
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthW(m_hWnd);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

int CWnd::GetDlgCtrlID() const
{
    return ::GetDlgCtrlID(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

void CWnd::SetDlgItemText(int nID, LPCWSTR lpszString)
{
    ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    if (!hItem)
        return 0;
    const int nLength = ::GetWindowTextLengthW(hItem);
    const int nGot = ::GetWindowTextW(hItem, rString.GetBuffer(nLength), nLength + 1);
    rString.ReleaseBuffer(nGot);
    return nGot;
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned)
{
    ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const
{
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

int CWnd::OnCreate(LPCREATESTRUCTW)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnPaint()
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

BOOL CWnd::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    LRESULT result = 0;
    if (pWnd && ReflectMsgToChild(pWnd->m_hWnd, t_lastSentMsg.message, t_lastSentMsg.wParam, t_lastSentMsg.lParam,
                                  &result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}

void CWnd::OnGetMinMaxInfo(MINMAXINFO*)
{
    Default();
}

void CWnd::OnWindowPosChanging(WINDOWPOS*)
{
    Default();
}

BOOL CWnd::OnHelpInfo(HELPINFO*)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}

void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}

void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU)
    {
        const auto hMenu = reinterpret_cast<HMENU>(lpDrawItemStruct->hwndItem);
        if (CMenu* pMenu = AfxFindOwnerDrawMenu(hMenu, lpDrawItemStruct->itemID))
        {
            pMenu->DrawItem(lpDrawItemStruct);
            return;
        }
    }
    else if (ReflectMsgToChild(lpDrawItemStruct->hwndItem, WM_DRAWITEM, t_lastSentMsg.wParam,
                               reinterpret_cast<LPARAM>(lpDrawItemStruct), nullptr))
    {
        return;
    }
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct->CtlType == ODT_MENU)
    {
        if (CMenu* pMenu = afx_impl::FindMenuForMeasure(m_hWnd, lpMeasureItemStruct->itemID))
        {
            pMenu->MeasureItem(lpMeasureItemStruct);
            return;
        }
    }
    else if (ReflectMsgToChild(::GetDlgItem(m_hWnd, nIDCtl), WM_MEASUREITEM, t_lastSentMsg.wParam,
                               reinterpret_cast<LPARAM>(lpMeasureItemStruct), nullptr))
    {
        return;
    }
    Default();
}

void CWnd::OnSettingChange(UINT, LPCWSTR)
{
    Default();
}

UINT AfxGetTempObjectCount()
{
    return Handles().ThreadTemporaryCount() + afx_impl::MenuTempCount();
}

void afx_impl::DeleteThreadTempMaps()
{
    CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
}

bool afx_impl::IsIdleMessage(const MSG* pMsg)
{
    // A mouse that did not move and the caret's blink timer do not make a loop idle again.
    thread_local POINT ptCursorLast;
    thread_local UINT nMsgLast;
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE)
    {
        if (pMsg->message == nMsgLast && pMsg->pt.x == ptCursorLast.x && pMsg->pt.y == ptCursorLast.y)
            return false;
        ptCursorLast = pMsg->pt;
        nMsgLast = pMsg->message;
        return true;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* WM_SYSTIMER */;
}
