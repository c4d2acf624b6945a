// The notification-area icon of a tool, and the handles it is built on.
#pragma once

#include "../suitecore.h"

#include <framework/collections.h>
#include <framework/window.h>

#include <shellapi.h>

// Owns one icon, destroyed with the object or when another takes its place.
class SUITECORE_API CXTIconHandle
{
public:
    CXTIconHandle() = default;
    explicit CXTIconHandle(HICON hIcon) : m_hIcon(hIcon) {}
    ~CXTIconHandle();
    CXTIconHandle(const CXTIconHandle&) = delete;
    CXTIconHandle& operator=(const CXTIconHandle&) = delete;

    CXTIconHandle& operator=(HICON hIcon); // takes the icon, destroying the previous one
    operator HICON() const { return m_hIcon; }
    HICON Detach();

private:
    HICON m_hIcon = nullptr;
};

// Loads a module by name for the object's lifetime and reads its DllGetVersion.
class SUITECORE_API CXTPModuleHandle
{
public:
    CXTPModuleHandle() = default;
    explicit CXTPModuleHandle(LPCWSTR lpszModuleName);
    ~CXTPModuleHandle();
    CXTPModuleHandle(const CXTPModuleHandle&) = delete;
    CXTPModuleHandle& operator=(const CXTPModuleHandle&) = delete;

    BOOL Init(LPCWSTR lpszModuleName); // from the system folder
    HMODULE GetHandle() const { return m_hModule; }
    // MAKELONG(minor, major) from the module's DllGetVersion; false when it has none.
    BOOL GetVersion(DWORD* pdwVersion) const;

private:
    HMODULE m_hModule = nullptr;
};

// The version of shell32 as MAKELONG(minor, major), read once.
SUITECORE_API DWORD GetShellVersion();
// shell32 5.0 or later (the version above 0x4FFFF).
SUITECORE_API BOOL IsShellVersion5();
// Replaces the cached shell32 version (0 reads the real one again); answers the previous value.
SUITECORE_API DWORD SetCachedShellVersion(DWORD dwVersion);

// One frame of the tray animation.
struct TRAYICONDATA
{
    HICON hIcon;
    CString strToolTip;
};

// NOTIFYICONDATAW as far as the balloon fields: the 936-byte layout that shell32 5.0 reads.
struct XT_NOTIFYICONDATAW
{
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeout;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(XT_NOTIFYICONDATAW) == 936, "the notification data is 936 bytes");

// The message the shell sends to the icon's hidden window (and that the target receives first).
const UINT XT_TRAYICON_NOTIFY = 3537;

// Keeps one notification-area icon: adds, changes, hides and removes it, animates it, shows
// balloons and the tray menu, re-adds it when the taskbar is re-created, and moves windows
// into and out of the notification area.
class SUITECORE_API CXTTrayIcon : public CWnd
{
public:
    CXTTrayIcon();
    ~CXTTrayIcon() override; // removes the icon and destroys the animation icons

    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, HWND hWndParent);
    // nMenuID is the icon's ID and the menu resource of its tray menu.
    virtual BOOL CreateTrayIcon(LPCWSTR lpszTip, HWND hWndNotify, UINT nIconID, UINT nMenuID, UINT uDefaultItem = 0,
                                bool bDefaultByPos = false);
    virtual void StopAnimation();
    virtual UINT_PTR SetAnimationTimer(UINT_PTR nIDEvent, UINT uElapse);
    // Frames from icon resources; pTips (may be null) gives each frame's tip.
    virtual BOOL SetAnimationIcons(const UINT* pIDs, int nCount, const CString* pTips);
    virtual BOOL SetAnimationIcons(const UINT* pIDs, const CString* pTips, int nCount);
    virtual BOOL ReAddIcon();
    virtual BOOL CreateMinimizeWnd();
    virtual void RemoveAnimationIcons();
    virtual BOOL SetTooltipText(LPCWSTR lpszTip);
    virtual BOOL SetTrayIcon(UINT nIconID);
    virtual void StopAnimationTimer();
    // False without frames: there is nothing to show.
    virtual BOOL StartAnimation(UINT_PTR nIDEvent = 1001, UINT uElapse = 500);
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL AddIcon();
    BOOL RemoveIcon();
    BOOL HideIcon();
    BOOL ShowIcon();
    BOOL SetTooltipText(UINT nStringID);
    BOOL SetTrayIcon(HICON hIcon); // takes the icon
    BOOL SetNotificationWnd(HWND hWndNotify);
    BOOL SetCallbackMessage(UINT uMessage);
    BOOL SetDefaultMenuItem(UINT uItem, bool bByPos);
    // Text required; shell32 5.0 or later. The timeout is in seconds.
    BOOL ShowBalloonTip(LPCWSTR lpszText, LPCWSTR lpszTitle = nullptr, DWORD dwInfoFlags = NIIF_NONE,
                        UINT uTimeout = 10);
    void MinimizeToTray(HWND hWnd);
    void RestoreFromTray(HWND hWnd);
    // The notification area's rectangle on the screen.
    static void GetTrayRect(RECT* pRect);

    BOOL IsVisible() const { return m_bVisible; }
    BOOL IsHidden() const { return m_bHidden; }
    BOOL IsRemoved() const { return m_bRemoved; }
    BOOL IsReAddPending() const { return m_bShowPending; }
    CString GetTooltipText() const { return m_strToolTip; }
    const XT_NOTIFYICONDATAW& GetNotifyIconData() const { return m_niData; }
    HWND GetMinimizeWnd() const { return m_wndMinimize.GetSafeHwnd(); }

private:
    BOOL Notify(DWORD dwMessage);
    BOOL ModifyUnlessHidden(UINT uFlags);
    void ShowFrame();
    void ShowTrayMenu();
    void SendDefaultCommand();
    void CopyTip(LPCWSTR lpszTip);

    int m_iFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP; // used when re-adding
    int m_nIDEvent = 1001;                           // the animation timer
    int m_iAnimFrame = 0;
    int m_uDefaultMenuItemID = 0;
    BYTE m_bDefaultMenuItemByPos = 0;
    BYTE m_bVisible = 0; // the shell holds the icon
    BYTE m_bHidden = 0;
    BYTE m_bRemoved = 1;
    BYTE m_bShowPending = 0; // an add failed: re-add when the taskbar comes back
    HWND m_hWndNotify = nullptr;
    CWnd m_wndMinimize; // owner of windows minimised to the tray
    int m_iMaxTipSize = 64;
    CString m_strToolTip;
    CXTIconHandle m_hIcon;
    CList<TRAYICONDATA, const TRAYICONDATA&> m_arTrayIcons;
    XT_NOTIFYICONDATAW m_niData{};
};
