// CWnd: a C++ object bound to a window handle. Windows created through CWnd (and dialogs run
// through CDialog) are subclassed from their first message on, so that every message passes
// through WindowProc and the class's message map before the window's original procedure.
//
// The handle map keeps the permanent binding handle -> object. FromHandle gives a temporary
// object for a window nobody bound; it lives until the thread's outermost window procedure
// returns while no modal loop runs (or until DeleteTempMap), so it must not be kept.
#pragma once

#include "object.h"
#include "string.h"

#include <commctrl.h>

class CWnd;

// One message-map entry. The thunk casts the window to the declaring class, unpacks the
// message parameters and calls the handler; its result is the window procedure's result.
typedef LRESULT (*AFX_PMSGW)(CWnd* pWnd, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;                   // the message; WM_COMMAND/WM_NOTIFY entries also match code and id
    UINT nCode;                      // control notification code (WM_COMMAND, WM_NOTIFY)
    UINT nID;                        // first command or control identifier
    UINT nLastID;                    // last identifier of a range
    const UINT* pnRegisteredMessage; // a registered message's variable, else null
    AFX_PMSGW pfn;                   // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }         \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                            \
    {                                                                                          \
        typedef theClass ThisClass;                                                            \
        typedef baseClass TheBaseClass;                                                        \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                      \
    {0, 0, 0, 0, nullptr, nullptr}};                                                           \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                                    \
    }

#define AFX_MSG_THUNK(body) [](CWnd* pWnd, WPARAM wParam, LPARAM lParam) -> LRESULT { \
    ThisClass* pThis = static_cast<ThisClass*>(pWnd);                                 \
    (void)pThis; (void)wParam; (void)lParam;                                          \
    body }

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    {message, 0, 0, 0, nullptr, AFX_MSG_THUNK(return (pThis->*(memberFxn))(wParam, lParam);)},
// LRESULT memberFxn(WPARAM, LPARAM), for a message registered with RegisterWindowMessage
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0xC000, 0, 0, 0, &(nMessageVariable), AFX_MSG_THUNK(return (pThis->*(memberFxn))(wParam, lParam);)},
// void memberFxn(): a menu, accelerator or button command
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), nullptr, AFX_MSG_THUNK((pThis->*(memberFxn))(); return 0;)},
// void memberFxn(UINT nID)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                              \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast), nullptr,               \
     AFX_MSG_THUNK((pThis->*(memberFxn))(LOWORD(wParam)); return 0;)},
// void memberFxn(): a control's notification sent through WM_COMMAND
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                               \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, \
     AFX_MSG_THUNK((pThis->*(memberFxn))(); return 0;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, \
     AFX_MSG_THUNK(LRESULT result = 0; (pThis->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), &result); return result;)},

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

// clang-format on

class FRAMEWORK_API CWnd : public CObject
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

    // Creates the window (any window class) and subclasses it before its first message.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                          int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    // Routes the window's messages through this object from now on.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
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
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
    // Called after the window's last message (WM_NCDESTROY), once the object is unbound.
    virtual void PostNcDestroy();

    // Default handlers: they pass the message on to the original window procedure.
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnDestroy();
    void OnClose();
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);

    enum
    {
        WF_MODALLOOP = 0x0001,     // a modal loop runs for this window
        WF_CONTINUEMODAL = 0x0002, // the modal loop goes on
    };
    UINT m_nFlags = 0;
    int m_nModalResult = -1;
    WNDPROC m_pfnSuper = nullptr; // the window's procedure before subclassing

private:
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT nCode, UINT nID) const;
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

    // Timers. A timer procedure runs behind the framework's exception barrier.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD));
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The window region; the system owns hRgn from a successful call on (a CRgn must Detach it).
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
    int GetWindowRgn(HRGN hRgn) const;

private:
    HWND m_hWndOwner = nullptr;
};

// Makes the next window created on this thread subclass itself to pWnd (at HCBT_CREATEWND);
// AfxUnhookWindowCreate removes the hook and tells whether the window was bound.
FRAMEWORK_API void AfxHookWindowCreate(CWnd* pWnd);
FRAMEWORK_API BOOL AfxUnhookWindowCreate();
