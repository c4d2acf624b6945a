#include "framework/app.h"

#include "framework/exception.h"
#include "framework/module.h"
#include "framework/syslib.h"
#include "framework/window.h"
#include "handlemap.h"

#include <atomic>
#include <cwchar>
#include <iterator>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinAppEx, CWinApp)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace
{
std::atomic<CWinApp*> g_pApp{nullptr};
// The thread between AfxWinInit and AfxWinTerm; 0 when none.
std::atomic<DWORD> g_appThread{0};
thread_local bool t_bOleInitialised;

// Sends the message to the window and all its descendants.
void SendToTree(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ::SendMessageW(hWnd, message, wParam, lParam);
    for (HWND hChild = ::GetWindow(hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        SendToTree(hChild, message, wParam, lParam);
}
} // namespace

bool afx_impl::IsAppThread()
{
    const DWORD thread = g_appThread.load();
    return thread != 0 && thread == GetCurrentThreadId() && g_pApp.load() != nullptr;
}

CWinApp* AfxGetApp()
{
    return g_pApp.load();
}

CWnd* AfxGetMainWnd()
{
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->GetMainWnd() : nullptr;
}

CWinApp::CWinApp(LPCWSTR lpszAppName) : m_nThreadID(GetCurrentThreadId())
{
    if (lpszAppName)
    {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
        AfxGetAppModuleState()->m_lpszCurrentAppName = m_pszAppName;
    }
    g_pApp.store(this);
}

CWinApp::~CWinApp()
{
    CWinApp* self = this;
    g_pApp.compare_exchange_strong(self, nullptr);
    AFX_MODULE_STATE* pState = AfxGetAppModuleState();
    if (m_pszAppName && pState->m_lpszCurrentAppName == m_pszAppName)
        pState->m_lpszCurrentAppName = nullptr;
}

void CWinApp::SetCurrentHandles(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    m_hPrevInstance = hPrevInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;

    // The executable's name without folder and extension.
    const CString path = AfxGetModuleFileName(hInstance);
    LPCWSTR name = path;
    if (LPCWSTR slash = wcsrchr(name, L'\\'))
        name = slash + 1;
    m_strExeName = name;
    const int dot = m_strExeName.ReverseFind(L'.');
    if (dot >= 0)
        m_strExeName = m_strExeName.Left(dot);
    m_pszExeName = m_strExeName;

    if (!m_pszAppName)
    {
        if (!m_strAppName.LoadString(AFX_IDS_APP_TITLE) || m_strAppName.IsEmpty())
            m_strAppName = m_strExeName;
        m_pszAppName = m_strAppName;
    }
    AfxGetAppModuleState()->m_lpszCurrentAppName = m_pszAppName;
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

CWnd* CWinApp::GetMainWnd()
{
    return m_pMainWnd;
}

BOOL CWinApp::IsIdleMessage(MSG* pMsg)
{
    return afx_impl::IsIdleMessage(pMsg);
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    CWnd* pMainWnd = GetMainWnd();
    HWND hWndMain = pMainWnd ? pMainWnd->GetSafeHwnd() : nullptr;
    if (CWnd::WalkPreTranslateTree(hWndMain, pMsg))
        return TRUE;
    // A modeless window outside the main window's tree: the main window has the last word.
    if (hWndMain && pMsg->hwnd && ::GetAncestor(pMsg->hwnd, GA_ROOT) != hWndMain)
        return pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

BOOL CWinApp::PumpMessage()
{
    const BOOL got = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (got == 0)
        return FALSE; // WM_QUIT
    if (got < 0)
        return TRUE;
    if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

int CWinApp::Run()
{
    if (!GetMainWnd())
        ::PostQuitMessage(0);
    bool idle = true;
    LONG idleCount = 0;
    MSG msg;
    for (;;)
    {
        // Idle work fails alone: the loop goes on without it until the next message.
        while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!AfxCallbackBarrier([&] { return OnIdle(idleCount++); }, FALSE))
                idle = false;
        }
        do
        {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur))
            {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        CWnd* pMainWnd = GetMainWnd();
        if (pMainWnd && pMainWnd->GetSafeHwnd() && ::IsWindowVisible(pMainWnd->GetSafeHwnd()))
            SendToTree(pMainWnd->GetSafeHwnd(), WM_IDLEUPDATECMDUI, TRUE, 0);
    }
    else
    {
        afx_impl::DeleteThreadTempMaps();
    }
    return lCount < 1;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : L"";
    m_pszRegistryKey = m_strRegistryKey;
    m_strProfileName = m_pszAppName ? m_pszAppName : L"";
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    key.LoadString(nIDRegistryKey);
    SetRegistryKey(key);
}

HICON CWinApp::LoadIcon(LPCWSTR lpszResourceName) const
{
    HINSTANCE hInstance = AfxFindResourceHandle(lpszResourceName, RT_GROUP_ICON);
    return hInstance ? ::LoadIconW(hInstance, lpszResourceName) : nullptr;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return LoadIcon(MAKEINTRESOURCEW(nIDResource));
}

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

void CWinApp::HtmlHelp(DWORD_PTR, UINT) {}

void CTooltipManager::SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC, CMFCToolTipInfo* pParams)
{
    m_nTypes = nTypes;
    m_pToolTipClass = pRTC;
    m_params = pParams ? *pParams : CMFCToolTipInfo();
    m_bParamsSet = TRUE;
}

CWinAppEx::CWinAppEx(BOOL bResourceSmartUpdate, LPCWSTR lpszAppName)
    : CWinApp(lpszAppName), m_bResourceSmartUpdate(bResourceSmartUpdate)
{
}

BOOL CWinAppEx::InitMouseManager()
{
    m_nManagers |= MouseManager;
    return TRUE;
}

BOOL CWinAppEx::InitContextMenuManager()
{
    m_nManagers |= ContextMenuManager;
    return TRUE;
}

BOOL CWinAppEx::InitKeyboardManager()
{
    m_nManagers |= KeyboardManager;
    return TRUE;
}

BOOL CWinAppEx::InitShellManager()
{
    m_nManagers |= ShellManager;
    return TRUE;
}

BOOL CWinAppEx::InitTooltipManager()
{
    m_nManagers |= TooltipManager;
    return TRUE;
}

CTooltipManager* CWinAppEx::GetTooltipManager()
{
    return &m_tooltipManager;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    AFX_MODULE_STATE* pState = AfxGetAppModuleState();
    pState->m_hCurrentInstanceHandle = hInstance;
    pState->m_hCurrentResourceHandle = hInstance;
    if (CWinApp* pApp = AfxGetApp())
    {
        pApp->SetCurrentHandles(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
        pApp->m_nThreadID = GetCurrentThreadId();
    }
    g_appThread.store(GetCurrentThreadId());
    return TRUE;
}

void AfxWinTerm()
{
    if (g_appThread.load() == GetCurrentThreadId())
        g_appThread.store(0);
    afx_impl::DeleteThreadTempMaps();
    if (t_bOleInitialised)
    {
        t_bOleInitialised = false;
        ::OleUninitialize();
    }
}

namespace
{
class WinTermGuard
{
public:
    WinTermGuard() = default;
    ~WinTermGuard() { AfxWinTerm(); }
    WinTermGuard(const WinTermGuard&) = delete;
    WinTermGuard& operator=(const WinTermGuard&) = delete;
};
} // namespace

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    WinTermGuard term;
    if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) || !pApp->InitApplication())
        return -1;
    if (!pApp->InitInstance())
    {
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->GetSafeHwnd())
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}

BOOL AfxOleInit()
{
    if (t_bOleInitialised)
        return TRUE;
    const HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr))
        return FALSE;
    if (hr == S_OK)
        t_bOleInitialised = true;
    else
        ::OleUninitialize(); // S_FALSE: already initialised by someone else, who ends it
    return TRUE;
}

void AfxEnableControlContainer() {}

BOOL AfxInitRichEdit2()
{
    static const HMODULE hRichEdit = AfxLoadSystemLibrary(L"riched20.dll");
    return hRichEdit != nullptr;
}

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    thread_local wchar_t name[96];
    HINSTANCE hInstance = AfxGetInstanceHandle();
    _snwprintf(name, std::size(name) - 1, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(hInstance), nClassStyle,
               static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    name[std::size(name) - 1] = L'\0';
    WNDCLASSW wc{};
    if (::GetClassInfoW(hInstance, name, &wc))
        return name;
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInstance;
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = name;
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return name;
}
