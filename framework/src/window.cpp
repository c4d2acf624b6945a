#include "framework/window.h"

#include "framework/exception.h"
#include "framework/gdi.h"
#include "framework/module.h"

#include <map>
#include <unordered_map>
#include <utility>

IMPLEMENT_DYNCREATE(CWnd, CObject)

namespace
{
class Lock
{
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// Windows belong to threads, but a handle may be looked up from any thread, so the map is
// process-wide and locked. Temporary objects are kept per thread, as each thread frees its own.
class HandleMap
{
public:
    HandleMap() { InitializeCriticalSectionAndSpinCount(&m_cs, 1000); }
    ~HandleMap()
    {
        for (auto& entry : m_temporary)
            DeleteTemporary(entry.second);
        DeleteCriticalSection(&m_cs);
    }

    CWnd* Permanent(HWND hWnd)
    {
        Lock lock(m_cs);
        const auto it = m_permanent.find(hWnd);
        return it == m_permanent.end() ? nullptr : it->second;
    }

    bool Add(HWND hWnd, CWnd* pWnd)
    {
        Lock lock(m_cs);
        return m_permanent.emplace(hWnd, pWnd).second;
    }

    void Remove(HWND hWnd, CWnd* pWnd)
    {
        Lock lock(m_cs);
        const auto it = m_permanent.find(hWnd);
        if (it != m_permanent.end() && it->second == pWnd)
            m_permanent.erase(it);
    }

    CWnd* Temporary(HWND hWnd)
    {
        const auto key = std::make_pair(GetCurrentThreadId(), hWnd);
        Lock lock(m_cs);
        const auto it = m_temporary.find(key);
        if (it != m_temporary.end())
            return it->second;
        CWnd* pWnd = new CWnd;
        pWnd->m_hWnd = hWnd;
        m_temporary.emplace(key, pWnd);
        return pWnd;
    }

    void DeleteThreadTemporaries()
    {
        const DWORD thread = GetCurrentThreadId();
        Lock lock(m_cs);
        auto it = m_temporary.lower_bound(std::make_pair(thread, HWND()));
        while (it != m_temporary.end() && it->first.first == thread)
        {
            DeleteTemporary(it->second);
            it = m_temporary.erase(it);
        }
    }

private:
    static void DeleteTemporary(CWnd* pWnd)
    {
        pWnd->m_hWnd = nullptr; // a temporary object never destroys the window it stood for
        delete pWnd;
    }

    CRITICAL_SECTION m_cs;
    std::unordered_map<HWND, CWnd*> m_permanent;
    std::map<std::pair<DWORD, HWND>, CWnd*> m_temporary;
};

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
    AfxHookWindowCreate(this);
    HWND hWnd = nullptr;
    try
    {
        hWnd = ::CreateWindowExW(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                                 nIDorHMenu, AfxGetInstanceHandle(), lpParam);
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
    if (t_nWndProcDepth == 0 && t_nModalDepth == 0)
        DeleteTempMap();
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

const AFX_MSGMAP_ENTRY* CWnd::FindMessageEntry(UINT message, UINT nCode, UINT nID) const
{
    const bool byId = message == WM_COMMAND || message == WM_NOTIFY;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e)
        {
            const UINT entryMessage = e->pnRegisteredMessage ? *e->pnRegisteredMessage : e->nMessage;
            if (entryMessage != message || entryMessage == 0)
                continue;
            if (byId && (e->nCode != nCode || nID < e->nID || nID > e->nLastID))
                continue;
            return e;
        }
    }
    return nullptr;
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
    // Menus and accelerators (no control window) use the command code 0, as buttons do.
    const UINT nCode = lParam ? HIWORD(wParam) : 0;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, nCode, LOWORD(wParam));
    if (!e)
        return FALSE;
    e->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const auto* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!pHdr)
        return FALSE;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_NOTIFY, pHdr->code, static_cast<UINT>(pHdr->idFrom));
    if (!e)
        return FALSE;
    const LRESULT result = e->pfn(this, wParam, lParam);
    if (pResult)
        *pResult = result;
    return TRUE;
}

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
    MSG msg;
    while (ContinueModal())
    {
        if (showWhenIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            ShowWindow(SW_SHOWNORMAL);
            ::UpdateWindow(m_hWnd);
            showWhenIdle = false;
        }
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

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
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
