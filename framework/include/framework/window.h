// CWnd: a C++ object bound to a window handle. Windows created through CWnd (and dialogs run
// through CDialog) are subclassed from their first message on, so that every message passes
// through WindowProc and the class's message map before the window's original procedure.
//
// The handle map keeps the permanent binding handle -> object. FromHandle gives a temporary
// object for a window nobody bound, so it must not be kept. On the thread that runs the
// application object it lives until the application's loop turns idle (CWinApp::OnIdle); on
// other threads until the outermost window procedure returns while no modal loop runs; on
// every thread until DeleteTempMap.
#pragma once

#include "cmdtarget.h"
#include "point.h"
#include "string.h"

#include <commctrl.h>

class CWnd;
class CDC;
class CMenu;
struct IOleClientSite;
struct IOleObject;
struct IUnknown;

// Messages of the framework's loops: WM_KICKIDLE goes to a modal loop's window while its
// queue is empty (the answer TRUE asks for more idle calls); WM_IDLEUPDATECMDUI goes to the
// main window and its descendants when the application's loop turns idle.
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_KICKIDLE 0x036A

// The message the WM_CTLCOLOR* messages are dispatched as: OnCtlColor receives the control
// type (CTLCOLOR_STATIC, ...) from the message it was.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
struct AFX_CTLCOLOR
{
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

// Standard messages, handled by the member of the fixed name.
#define ON_WM_CREATE() \
    {WM_CREATE, 0, 0, 0, nullptr, AFX_MSG_THUNK(return pThis->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnDestroy(); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnClose(); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnPaint(); return 0;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_SIZE()                                                                          \
    {WM_SIZE, 0, 0, 0, nullptr,                                                               \
     AFX_MSG_THUNK(pThis->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                                 static_cast<short>(HIWORD(lParam))); return 0;)},
// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, 0, nullptr, AFX_MSG_THUNK(return pThis->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));)},
// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for every WM_CTLCOLOR* message
#define ON_WM_CTLCOLOR()                                                                      \
    {WM_CTLCOLOR, 0, 0, 0, nullptr, AFX_MSG_THUNK(                                            \
        const auto* pCtl = reinterpret_cast<const AFX_CTLCOLOR*>(lParam);                    \
        return reinterpret_cast<LRESULT>(pThis->OnCtlColor(CDC::FromHandle(pCtl->hDC), CWnd::FromHandle(pCtl->hWnd), \
                                                           pCtl->nCtlType));)},
// In a control's own map: HBRUSH CtlColor(CDC* pDC, UINT nCtlColor), the colour message its
// parent reflected back. A null brush leaves the parent's default.
#define ON_WM_CTLCOLOR_REFLECT()                                                              \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, nullptr, AFX_MSG_THUNK(                          \
        const auto* pCtl = reinterpret_cast<const AFX_CTLCOLOR*>(lParam);                    \
        return reinterpret_cast<LRESULT>(pThis->CtlColor(CDC::FromHandle(pCtl->hDC), pCtl->nCtlType));)},
// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
// void OnWindowPosChanging(WINDOWPOS* lpwndpos)
#define ON_WM_WINDOWPOSCHANGING() \
    {WM_WINDOWPOSCHANGING, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;)},
// void OnGetMinMaxInfo(MINMAXINFO* lpMMI)
#define ON_WM_GETMINMAXINFO() \
    {WM_GETMINMAXINFO, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;)},
// BOOL OnHelpInfo(HELPINFO* pHelpInfo)
#define ON_WM_HELPINFO() \
    {WM_HELP, 0, 0, 0, nullptr, AFX_MSG_THUNK(return pThis->OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));)},
// void OnXxx(UINT nFlags, CPoint point)
#define AFX_ON_MOUSE(message, memberFxn) \
    {message, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->memberFxn(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
#define ON_WM_LBUTTONDOWN() AFX_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR()                                                                     \
    {WM_SETCURSOR, 0, 0, 0, nullptr, AFX_MSG_THUNK(                                           \
        return pThis->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));)},
// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct); the message's result is TRUE
#define ON_WM_DRAWITEM()                                                                      \
    {WM_DRAWITEM, 0, 0, 0, nullptr, AFX_MSG_THUNK(                                            \
        pThis->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); return TRUE;)},
// void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct); the result is TRUE
#define ON_WM_MEASUREITEM()                                                                   \
    {WM_MEASUREITEM, 0, 0, 0, nullptr, AFX_MSG_THUNK(                                         \
        pThis->OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); return TRUE;)},
// In a control's own map: void MeasureItem(LPMEASUREITEMSTRUCT), the WM_MEASUREITEM its
// parent reflected back (a control without the entry is measured by its virtual MeasureItem).
#define ON_WM_MEASUREITEM_REFLECT()                                                           \
    {WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0, nullptr, AFX_MSG_THUNK(                       \
        pThis->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); return TRUE;)},
// void OnSettingChange(UINT uFlags, LPCWSTR lpszSection)
#define ON_WM_SETTINGCHANGE() \
    {WM_SETTINGCHANGE, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnSettingChange(static_cast<UINT>(wParam), reinterpret_cast<LPCWSTR>(lParam)); return 0;)},

// clang-format on

class FRAMEWORK_API CWnd : public CCmdTarget
{
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    ~CWnd() override; // destroys a window still bound to the object
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The handle map.
    static CWnd* FromHandle(HWND hWnd);          // permanent object, else a temporary one
    static CWnd* FromHandlePermanent(HWND hWnd); // null unless an object is bound
    static void DeleteTempMap();                 // deletes the calling thread's temporary objects
    BOOL Attach(HWND hWndNew);                   // binds without subclassing
    HWND Detach();

    // Creates the window (any window class) and subclasses it before its first message;
    // PreCreateWindow may change the creation parameters or refuse the creation.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                          int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Routes the window's messages through this object from now on.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    // Called once the object is bound to its window (SubclassWindow, or creation through the
    // framework before the first message); the window's styles may be changed here.
    virtual void PreSubclassWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Reflection: a parent hands a control's notification (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*,
    // WM_DRAWITEM, WM_MEASUREITEM) back to the control's object first; true when the control
    // handled it, the result in pResult.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Asks the permanent object of a child window to handle its reflected notification.
    static BOOL ReflectMsgToChild(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // An owner-drawn control draws and measures itself here; the default does nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    // Called on each message of a modal loop, from the target window up to the loop's window;
    // true when the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    // Passes the message being handled to the window's original procedure.
    LRESULT Default();

    // Modal loop: runs until EndModalLoop; returns its result.
    int RunModalLoop();
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Window attributes and state.
    void SetWindowText(LPCWSTR lpszString);
    int GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    DWORD GetStyle() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    CWnd* GetParent() const;
    int GetDlgCtrlID() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Controls by identifier.
    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCWSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The window procedure of every window bound through CreateEx, SubclassWindow or CDialog.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Called after the window's last message (WM_NCDESTROY), once the object is unbound.
    virtual void PostNcDestroy();

    // Default handlers: they pass the message on to the original window procedure.
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);
    // The default hands the message to the control's reflected handler, else to the
    // window's original procedure.
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    // The defaults route a control's item to the control's DrawItem/MeasureItem, and a menu
    // item (ODT_MENU) to its menu's CMenu.
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnSettingChange(UINT uFlags, LPCWSTR lpszSection);

    enum
    {
        WF_MODALLOOP = 0x0001,     // a modal loop runs for this window
        WF_CONTINUEMODAL = 0x0002, // the modal loop goes on
    };
    UINT m_nFlags = 0;
    int m_nModalResult = -1;
    WNDPROC m_pfnSuper = nullptr; // the window's procedure before subclassing

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    void BindNewWindow(HWND hWnd);
    void OnFinalNcDestroy(HWND hWnd);

    // ---- Thin wrappers over the window functions (window_ops.cpp). Functions that answer a
    // CWnd* answer the bound object or a temporary (FromHandle), null for no window. ----
public:
    explicit CWnd(HWND hWnd); // stands for a window without binding it (as wndTop and the others)
    // Insert-after values for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // Styles and placement. ModifyStyle answers FALSE when the style did not change; with
    // nFlags it also calls SetWindowPos(nFlags) so that a frame change takes effect.
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    static BOOL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    static BOOL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    BOOL IsZoomed() const;
    BOOL IsIconic() const;
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL IsChild(const CWnd* pWnd) const;

    // Coordinates.
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const; // pwndTo null: the screen
    void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
    // Centres the window on pAlternateOwner, else on its parent (a child) or its owner (a
    // pop-up); a pop-up without a visible, unminimised owner is centred on the work area.
    // The result is kept inside the work area (a child: inside its parent's client area).
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // Focus, activation and Z order.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL SetForegroundWindow();
    static CWnd* GetForegroundWindow();
    CWnd* SetActiveWindow();
    static CWnd* GetActiveWindow();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    BOOL BringWindowToTop();
    CWnd* GetWindow(UINT nCmd) const;
#ifdef GetNextWindow
#undef GetNextWindow // the SDK's macro for GetWindow would rename the member
#endif
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
    CWnd* GetTopWindow() const; // the first child in Z order
    CWnd* GetTopLevelParent() const;
    static CWnd* FindWindow(LPCWSTR lpszClassName, LPCWSTR lpszWindowName);
    static CWnd* FindWindowEx(HWND hwndParent, HWND hwndChildAfter, LPCWSTR lpszClass, LPCWSTR lpszWindow);
    static CWnd* GetDesktopWindow();

    // Painting.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void InvalidateRgn(class CRgn* pRgn, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, class CRgn* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // The DCs are temporaries; give them back with ReleaseDC.
    class CDC* GetDC();
    class CDC* GetWindowDC();
    int ReleaseDC(class CDC* pDC);

    // Font and icons.
    void SetFont(class CFont* pFont, BOOL bRedraw = TRUE);
    class CFont* GetFont() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    // Sends the message to every child, and with bDeep to their children too, whole levels
    // at a time; with bOnlyPerm only to windows bound to an object.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                  BOOL bOnlyPerm = FALSE);
    static void SendMessageToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                         BOOL bOnlyPerm);

    // Relations. The owner is the framework's notion: the one SetOwner named, else the parent.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd);
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetLastActivePopup() const;
    // The window menu's handle (bRevert: restores the default one and answers null).
    HMENU GetSystemMenuHandle(BOOL bRevert) const;
    // The window menu as a temporary CMenu (null when bRevert, or when the window has none).
    CMenu* GetSystemMenu(BOOL bRevert) const;

    // Timers. A timer procedure runs behind the framework's exception barrier.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD));
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The window region; the system owns hRgn from a successful call on (a CRgn must Detach it).
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
    int GetWindowRgn(HRGN hRgn) const;

    // ---- ActiveX controls (olecontrol.cpp) ----
    // Creates the control clsid, gives it pSite as its client site, activates it in place
    // over rect of pParentWnd and binds this object to the control's window (identifier
    // nID). False, with nothing kept, when any step fails.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                       UINT nID, IOleClientSite* pSite);
    // The control's object (no reference added); null when this window is no control.
    IUnknown* GetControlUnknown() const;
    // Closes the control (its window goes with it) and lets go of its object and site.
    void DestroyControl();

private:
    HWND m_hWndOwner = nullptr;
    IOleObject* m_pCtrlObject = nullptr;
};

// The number of temporary objects (windows and menus) the calling thread holds.
FRAMEWORK_API UINT AfxGetTempObjectCount();

// Makes the next window created on this thread subclass itself to pWnd (at HCBT_CREATEWND);
// AfxUnhookWindowCreate removes the hook and tells whether the window was bound.
FRAMEWORK_API void AfxHookWindowCreate(CWnd* pWnd);
FRAMEWORK_API BOOL AfxUnhookWindowCreate();
