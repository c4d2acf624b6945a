// CXTTrayIcon: one notification-area icon for a tool, with its hidden message window.
#include <suitecore/ui/trayicon.h>

#include <framework/exception.h>
#include <framework/menu.h>
#include <framework/module.h>
#include <framework/syslib.h>

#include <shlwapi.h>

#include <algorithm>
#include <atomic>

namespace
{
const WCHAR kTrayWindowClass[] = L"SuiteTrayIconWnd";
const int kMaxTipLength = 127;

UINT TaskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// The hidden windows' class: no style, the default procedure (the framework subclasses). It is
// registered for the instance the framework creates windows with, the tool's own.
LPCWSTR TrayWindowClass()
{
    HINSTANCE hInstance = AfxGetInstanceHandle();
    WNDCLASSW wc{};
    if (::GetClassInfoW(hInstance, kTrayWindowClass, &wc))
        return kTrayWindowClass;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInstance;
    wc.lpszClassName = kTrayWindowClass;
    return ::RegisterClassW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? kTrayWindowClass : nullptr;
}

HICON LoadSmallIcon(UINT nIconID)
{
    LPCWSTR name = MAKEINTRESOURCEW(nIconID);
    HINSTANCE hInstance = AfxFindResourceHandle(name, RT_GROUP_ICON);
    if (!hInstance)
        return nullptr;
    return static_cast<HICON>(::LoadImageW(hInstance, name, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

void CopyText(WCHAR* target, size_t capacity, LPCWSTR text)
{
    lstrcpynW(target, text ? text : L"", static_cast<int>(capacity));
}

std::atomic<DWORD> g_dwShellVersion{0};

// Narrows the taskbar's rectangle to the notification area, without the clock.
BOOL CALLBACK TrayChildProc(HWND hChild, LPARAM lParam)
{
    return AfxCallbackBarrier(
        [&]() -> BOOL {
            RECT* rect = reinterpret_cast<RECT*>(lParam);
            WCHAR name[64] = {};
            ::GetClassNameW(hChild, name, 64);
            if (lstrcmpiW(name, L"TrayNotifyWnd") == 0)
                ::GetWindowRect(hChild, rect);
            else if (lstrcmpiW(name, L"TrayClockWClass") == 0)
            {
                RECT clock{};
                ::GetWindowRect(hChild, &clock);
                if (clock.bottom < rect->bottom - 5) // a vertical taskbar
                    rect->top = clock.bottom;
                else
                    rect->right = clock.left;
                return FALSE;
            }
            return TRUE;
        },
        FALSE);
}

bool AnimationEnabled()
{
    ANIMATIONINFO info{};
    info.cbSize = sizeof(info);
    return ::SystemParametersInfoW(SPI_GETANIMATION, sizeof(info), &info, 0) && info.iMinAnimate != 0;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Handles and the shell version

CXTIconHandle::~CXTIconHandle()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

CXTIconHandle& CXTIconHandle::operator=(HICON hIcon)
{
    if (hIcon != m_hIcon)
    {
        if (m_hIcon)
            ::DestroyIcon(m_hIcon);
        m_hIcon = hIcon;
    }
    return *this;
}

HICON CXTIconHandle::Detach()
{
    return std::exchange(m_hIcon, nullptr);
}

CXTPModuleHandle::CXTPModuleHandle(LPCWSTR lpszModuleName)
{
    Init(lpszModuleName);
}

CXTPModuleHandle::~CXTPModuleHandle()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

BOOL CXTPModuleHandle::Init(LPCWSTR lpszModuleName)
{
    if (m_hModule)
        ::FreeLibrary(std::exchange(m_hModule, nullptr));
    m_hModule = AfxLoadSystemLibrary(lpszModuleName);
    return m_hModule != nullptr;
}

BOOL CXTPModuleHandle::GetVersion(DWORD* pdwVersion) const
{
    if (!m_hModule || !pdwVersion)
        return FALSE;
    const auto pfn = reinterpret_cast<DLLGETVERSIONPROC>(::GetProcAddress(m_hModule, "DllGetVersion"));
    if (!pfn)
        return FALSE;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(pfn(&info)))
        return FALSE;
    *pdwVersion = MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
    return TRUE;
}

DWORD GetShellVersion()
{
    DWORD version = g_dwShellVersion.load();
    if (version == 0)
    {
        CXTPModuleHandle shell(L"shell32.dll");
        if (!shell.GetVersion(&version))
            version = MAKELONG(0, 4);
        g_dwShellVersion.store(version);
    }
    return version;
}

BOOL IsShellVersion5()
{
    return GetShellVersion() > 0x4FFFF;
}

DWORD SetCachedShellVersion(DWORD dwVersion)
{
    return g_dwShellVersion.exchange(dwVersion);
}

// ---------------------------------------------------------------------------------------------
// Life

CXTTrayIcon::CXTTrayIcon()
{
    m_niData.cbSize = sizeof(m_niData);
    m_niData.uFlags = m_iFlags;
    m_niData.uCallbackMessage = XT_TRAYICON_NOTIFY;
}

CXTTrayIcon::~CXTTrayIcon()
{
    AfxCallbackBarrier([this] {
        RemoveIcon();
        RemoveAnimationIcons();
        m_wndMinimize.DestroyWindow();
        DestroyWindow();
    });
}

BOOL CXTTrayIcon::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, HWND hWndParent)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, 0, 0, 0, 0, hWndParent, nullptr);
}

BOOL CXTTrayIcon::CreateTrayIcon(LPCWSTR lpszTip, HWND hWndNotify, UINT nIconID, UINT nMenuID, UINT uDefaultItem,
                                 bool bDefaultByPos)
{
    if (!hWndNotify)
        return FALSE;
    m_hWndNotify = hWndNotify;
    m_uDefaultMenuItemID = static_cast<int>(uDefaultItem);
    m_bDefaultMenuItemByPos = bDefaultByPos;
    m_iMaxTipSize = kMaxTipLength + 1;
    m_hIcon = LoadSmallIcon(nIconID);
    CopyTip(lpszTip);
    if (!m_hWnd && !Create(TrayWindowClass(), L"", WS_POPUP, nullptr))
        return FALSE;
    m_niData.hWnd = m_hWnd;
    m_niData.uID = nMenuID;
    m_niData.hIcon = m_hIcon;
    m_iFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return AddIcon();
}

void CXTTrayIcon::CopyTip(LPCWSTR lpszTip)
{
    m_strToolTip = lpszTip ? lpszTip : L"";
    if (m_strToolTip.GetLength() > m_iMaxTipSize - 1)
        m_strToolTip = m_strToolTip.Left(m_iMaxTipSize - 1);
    CopyText(m_niData.szTip, std::size(m_niData.szTip), m_strToolTip);
}

BOOL CXTTrayIcon::Notify(DWORD dwMessage)
{
    return ::Shell_NotifyIconW(dwMessage, reinterpret_cast<PNOTIFYICONDATAW>(&m_niData));
}

BOOL CXTTrayIcon::ModifyUnlessHidden(UINT uFlags)
{
    m_niData.uFlags = uFlags;
    return m_bHidden || m_bRemoved || Notify(NIM_MODIFY);
}

// ---------------------------------------------------------------------------------------------
// The icon's states

BOOL CXTTrayIcon::AddIcon()
{
    if (!m_bRemoved)
        RemoveIcon();
    m_niData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    if (!Notify(NIM_ADD))
    {
        m_bShowPending = 1;
        return FALSE;
    }
    m_bShowPending = 0;
    m_bVisible = 1;
    m_bHidden = 0;
    m_bRemoved = 0;
    return TRUE;
}

BOOL CXTTrayIcon::RemoveIcon()
{
    m_bShowPending = 0;
    if (m_bRemoved)
        return TRUE;
    m_niData.uFlags = 0;
    const BOOL ok = Notify(NIM_DELETE);
    m_bRemoved = 1;
    m_bHidden = 1;
    m_bVisible = 0;
    return ok;
}

BOOL CXTTrayIcon::HideIcon()
{
    if (m_bRemoved || m_bHidden)
        return TRUE;
    if (!IsShellVersion5())
        return RemoveIcon();
    m_niData.uFlags = NIF_STATE;
    m_niData.dwState = NIS_HIDDEN;
    m_niData.dwStateMask = NIS_HIDDEN;
    if (!Notify(NIM_MODIFY))
        return FALSE;
    m_bHidden = 1;
    m_bVisible = 0;
    return TRUE;
}

BOOL CXTTrayIcon::ShowIcon()
{
    if (m_bRemoved || !IsShellVersion5())
        return AddIcon();
    if (!m_bHidden)
        return TRUE;
    m_niData.uFlags = NIF_STATE;
    m_niData.dwState = 0;
    m_niData.dwStateMask = NIS_HIDDEN;
    if (!Notify(NIM_MODIFY))
        return FALSE;
    m_bHidden = 0;
    m_bVisible = 1;
    return TRUE;
}

BOOL CXTTrayIcon::ReAddIcon()
{
    if (m_bRemoved || m_bHidden)
        return FALSE;
    m_niData.uFlags = m_iFlags;
    if (!Notify(NIM_ADD))
    {
        m_bShowPending = 1;
        return FALSE;
    }
    m_bShowPending = 0;
    m_bVisible = 1;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Tip, icon, target, menu

BOOL CXTTrayIcon::SetTooltipText(LPCWSTR lpszTip)
{
    CopyTip(lpszTip);
    return ModifyUnlessHidden(NIF_TIP);
}

BOOL CXTTrayIcon::SetTooltipText(UINT nStringID)
{
    CString text;
    return text.LoadString(nStringID) && SetTooltipText(text);
}

BOOL CXTTrayIcon::SetTrayIcon(HICON hIcon)
{
    if (hIcon == m_hIcon)
        return TRUE;
    m_hIcon = hIcon;
    m_niData.hIcon = hIcon;
    return ModifyUnlessHidden(NIF_ICON);
}

BOOL CXTTrayIcon::SetTrayIcon(UINT nIconID)
{
    HICON hIcon = LoadSmallIcon(nIconID);
    return hIcon && SetTrayIcon(hIcon);
}

BOOL CXTTrayIcon::SetNotificationWnd(HWND hWndNotify)
{
    if (!::IsWindow(hWndNotify))
        return FALSE;
    m_hWndNotify = hWndNotify;
    return ModifyUnlessHidden(0);
}

BOOL CXTTrayIcon::SetCallbackMessage(UINT uMessage)
{
    m_niData.uCallbackMessage = uMessage;
    return ModifyUnlessHidden(NIF_MESSAGE);
}

BOOL CXTTrayIcon::SetDefaultMenuItem(UINT uItem, bool bByPos)
{
    if (m_uDefaultMenuItemID == static_cast<int>(uItem) && m_bDefaultMenuItemByPos == bByPos)
        return TRUE;
    m_uDefaultMenuItemID = static_cast<int>(uItem);
    m_bDefaultMenuItemByPos = bByPos;
    CMenu menu;
    return menu.LoadMenu(m_niData.uID) && menu.GetSubMenu(0) != nullptr;
}

BOOL CXTTrayIcon::ShowBalloonTip(LPCWSTR lpszText, LPCWSTR lpszTitle, DWORD dwInfoFlags, UINT uTimeout)
{
    if (!IsShellVersion5() || !lpszText || !*lpszText)
        return FALSE;
    CopyText(m_niData.szInfo, std::size(m_niData.szInfo), lpszText);
    CopyText(m_niData.szInfoTitle, std::size(m_niData.szInfoTitle), lpszTitle);
    m_niData.uTimeout = uTimeout * 1000;
    m_niData.dwInfoFlags = dwInfoFlags;
    m_niData.uFlags = NIF_INFO;
    const BOOL ok = Notify(NIM_MODIFY);
    // Later changes must not show the balloon again.
    m_niData.szInfo[0] = L'\0';
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Animation

BOOL CXTTrayIcon::SetAnimationIcons(const UINT* pIDs, int nCount, const CString* pTips)
{
    RemoveAnimationIcons();
    if (!pIDs || nCount <= 0)
        return FALSE;
    for (int i = 0; i < nCount; ++i)
    {
        HICON hIcon = LoadSmallIcon(pIDs[i]);
        if (!hIcon)
        {
            RemoveAnimationIcons();
            return FALSE;
        }
        m_arTrayIcons.AddTail(TRAYICONDATA{hIcon, pTips ? pTips[i] : CString()});
    }
    return TRUE;
}

BOOL CXTTrayIcon::SetAnimationIcons(const UINT* pIDs, const CString* pTips, int nCount)
{
    return SetAnimationIcons(pIDs, nCount, pTips);
}

void CXTTrayIcon::RemoveAnimationIcons()
{
    while (!m_arTrayIcons.IsEmpty())
    {
        const TRAYICONDATA frame = m_arTrayIcons.RemoveHead();
        if (frame.hIcon)
            ::DestroyIcon(frame.hIcon);
    }
    m_iAnimFrame = 0;
}

UINT_PTR CXTTrayIcon::SetAnimationTimer(UINT_PTR nIDEvent, UINT uElapse)
{
    m_nIDEvent = static_cast<int>(nIDEvent);
    return ::SetTimer(m_hWnd, nIDEvent, uElapse, nullptr);
}

BOOL CXTTrayIcon::StartAnimation(UINT_PTR nIDEvent, UINT uElapse)
{
    // Without frames the timer would have nothing to cycle through.
    if (m_arTrayIcons.IsEmpty() || !m_hWnd)
        return FALSE;
    StopAnimation();
    m_iAnimFrame = 0;
    return SetAnimationTimer(nIDEvent, uElapse) != 0;
}

void CXTTrayIcon::StopAnimation()
{
    if (m_hWnd)
        ::KillTimer(m_hWnd, m_nIDEvent);
    m_niData.hIcon = m_hIcon;
    CopyText(m_niData.szTip, std::size(m_niData.szTip), m_strToolTip);
    ModifyUnlessHidden(NIF_ICON | NIF_TIP);
}

void CXTTrayIcon::StopAnimationTimer()
{
    StopAnimation();
}

void CXTTrayIcon::ShowFrame()
{
    const INT_PTR count = m_arTrayIcons.GetCount();
    if (count == 0)
        return;
    POSITION pos = m_arTrayIcons.FindIndex(m_iAnimFrame % count);
    const TRAYICONDATA& frame = m_arTrayIcons.GetAt(pos);
    m_niData.hIcon = frame.hIcon;
    CopyText(m_niData.szTip, std::size(m_niData.szTip), frame.strToolTip.IsEmpty() ? m_strToolTip : frame.strToolTip);
    ModifyUnlessHidden(NIF_ICON | NIF_TIP);
    m_iAnimFrame = static_cast<int>((m_iAnimFrame + 1) % count);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CXTTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_niData.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    if (message == TaskbarCreatedMessage())
    {
        ReAddIcon();
        return 0;
    }
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA && m_bShowPending)
    {
        if (m_bRemoved)
            AddIcon();
        else
            ReAddIcon();
    }
    if (message == WM_TIMER && static_cast<int>(wParam) == m_nIDEvent)
    {
        ShowFrame();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CXTTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_niData.uID || !m_hWndNotify)
        return 0;
    if (::SendMessageW(m_hWndNotify, m_niData.uCallbackMessage, wParam, lParam))
        return 1;
    switch (LOWORD(lParam))
    {
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
    case NIN_SELECT:
    case NIN_KEYSELECT:
        ShowTrayMenu();
        break;
    case WM_LBUTTONDBLCLK:
        SendDefaultCommand();
        break;
    default:
        break;
    }
    return 1;
}

void CXTTrayIcon::ShowTrayMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(m_niData.uID))
        return;
    CMenu* pSub = menu.GetSubMenu(0);
    if (!pSub)
        return;
    pSub->SetDefaultItem(static_cast<UINT>(m_uDefaultMenuItemID), m_bDefaultMenuItemByPos);
    ::SetForegroundWindow(m_hWndNotify);
    POINT pt{};
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(pSub->GetSafeHmenu(), TPM_LEFTBUTTON, pt.x, pt.y, 0, m_hWndNotify, nullptr);
    // The menu closes properly only after the owner's next message.
    ::PostMessageW(m_hWndNotify, WM_NULL, 0, 0);
    Notify(NIM_SETFOCUS);
}

void CXTTrayIcon::SendDefaultCommand()
{
    ::SetForegroundWindow(m_hWndNotify);
    UINT uItem = static_cast<UINT>(m_uDefaultMenuItemID);
    if (m_bDefaultMenuItemByPos)
    {
        CMenu menu;
        CMenu* pSub = menu.LoadMenu(m_niData.uID) ? menu.GetSubMenu(0) : nullptr;
        if (!pSub)
            return;
        uItem = pSub->GetMenuItemID(m_uDefaultMenuItemID);
    }
    ::SendMessageW(m_hWndNotify, WM_COMMAND, uItem, 0);
}

// ---------------------------------------------------------------------------------------------
// Into and out of the notification area

void CXTTrayIcon::GetTrayRect(RECT* pRect)
{
    if (HWND hTray = ::FindWindowW(L"Shell_TrayWnd", nullptr))
    {
        ::GetWindowRect(hTray, pRect);
        ::EnumChildWindows(hTray, &TrayChildProc, reinterpret_cast<LPARAM>(pRect));
        return;
    }
    APPBARDATA abd{};
    abd.cbSize = sizeof(abd);
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &abd))
    {
        const RECT bar = abd.rc;
        if (abd.uEdge == ABE_LEFT || abd.uEdge == ABE_RIGHT)
            *pRect = {bar.left, bar.bottom - 100, bar.right, bar.bottom - 16};
        else
            *pRect = {bar.right - 100, bar.top, bar.right - 16, bar.bottom};
        return;
    }
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    *pRect = {work.right - 150, work.bottom - 30, work.right, work.bottom};
}

BOOL CXTTrayIcon::CreateMinimizeWnd()
{
    if (m_wndMinimize.GetSafeHwnd())
        return TRUE;
    return m_wndMinimize.CreateEx(0, TrayWindowClass(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
}

void CXTTrayIcon::MinimizeToTray(HWND hWnd)
{
    if (!::IsWindow(hWnd))
        return;
    if (AnimationEnabled())
    {
        RECT from{}, to{};
        ::GetWindowRect(hWnd, &from);
        GetTrayRect(&to);
        ::DrawAnimatedRects(hWnd, IDANI_CAPTION, &from, &to);
    }
    // Owned by a hidden window, the window leaves the taskbar.
    if (CreateMinimizeWnd())
        ::SetWindowLongPtrW(hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_wndMinimize.GetSafeHwnd()));
    ::ShowWindow(hWnd, SW_HIDE);
}

void CXTTrayIcon::RestoreFromTray(HWND hWnd)
{
    if (!::IsWindow(hWnd))
        return;
    if (AnimationEnabled())
    {
        RECT from{}, to{};
        GetTrayRect(&from);
        ::GetWindowRect(hWnd, &to);
        ::DrawAnimatedRects(hWnd, IDANI_CAPTION, &from, &to);
    }
    ::SetWindowLongPtrW(hWnd, GWLP_HWNDPARENT, 0);
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    HWND hPopup = ::GetLastActivePopup(hWnd);
    if (hPopup && hPopup != hWnd)
        ::SetActiveWindow(hPopup);
    ::SetActiveWindow(hWnd);
    ::SetForegroundWindow(hWnd);
}
