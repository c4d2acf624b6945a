// The application object. A program declares one global object of a class derived from
// CWinApp; its wWinMain (the small static library framework_winmain) calls AfxWinMain, which
// runs InitApplication, InitInstance, Run (the message loop, with OnIdle when the queue is
// empty) and ExitInstance, whose result ends the program. A console program may construct its
// application object at run time instead and call AfxWinInit (or AfxWinMain) itself.
//
// The object is the last command target of a dialog: commands the dialog and its owner leave
// unhandled reach the application's message map.
#pragma once

#include "cmdtarget.h"
#include "string.h"

class CWnd;

// Resource and command identifiers of the framework.
#define AFX_IDS_APP_TITLE 0xE000 // the application's name, when the constructor was given none
#ifndef ID_HELP
#define ID_HELP_FINDER 0xE143   // 57667
#define ID_CONTEXT_HELP 0xE145  // 57669
#define ID_HELP 0xE146          // 57670
#define ID_DEFAULT_HELP 0xE147  // 57671
#endif

class FRAMEWORK_API CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)
public:
    // Becomes the process's application object (AfxGetApp). Without a name, AfxWinInit takes
    // the string AFX_IDS_APP_TITLE, else the executable's name.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszExeName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr; // SetRegistryKey
    LPCWSTR m_pszProfileName = nullptr; // the application's name under the registry key
    HINSTANCE m_hInstance = nullptr;
    HINSTANCE m_hPrevInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    DWORD m_nThreadID;
    MSG m_msgCur{}; // the message Run handles; WM_QUIT's when the loop ended

    virtual BOOL InitApplication();
    // FALSE ends the program (after ExitInstance).
    virtual BOOL InitInstance();
    // The message loop: PumpMessage until WM_QUIT, OnIdle while the queue is empty; returns
    // ExitInstance's result. With no main window the program ends at once.
    virtual int Run();
    // The program's exit code: by default the code WM_QUIT carried.
    virtual int ExitInstance();
    // Idle work, lCount counting the calls since the last message: 0 updates the main
    // window's commands (WM_IDLEUPDATECMDUI), 1 frees the thread's temporary objects. TRUE asks
    // for another call.
    virtual BOOL OnIdle(LONG lCount);
    // Called for each message before it is dispatched: from the target window up to the
    // main window; true when handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd();

    // Settings go under HKEY_CURRENT_USER\Software\<key>\<application name>.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // A group icon through the resource chain (program first, then the extension modules).
    HICON LoadIcon(LPCWSTR lpszResourceName) const;
    HICON LoadIcon(UINT nIDResource) const;

    // Help requests; the framework shows no help of its own.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F);

    // AfxWinInit's part: instance, command line and the application's name.
    void SetCurrentHandles(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

private:
    CString m_strAppName;
    CString m_strExeName;
    CString m_strRegistryKey;
    CString m_strProfileName;

    DECLARE_MESSAGE_MAP()
};

// The extended framework's tooltip settings, recorded as given.
struct CMFCToolTipInfo
{
    BOOL m_bBoldLabel = TRUE;
    BOOL m_bDrawDescription = TRUE;
    BOOL m_bDrawIcon = TRUE;
    BOOL m_bRoundedCorners = FALSE;
    BOOL m_bDrawSeparator = FALSE;
    BOOL m_bVislManagerTheme = FALSE;
    int m_nMaxDescrWidth = 200;
    int m_nGradientAngle = -1;
    COLORREF m_clrFill = static_cast<COLORREF>(-1);
    COLORREF m_clrFillGradient = static_cast<COLORREF>(-1);
    COLORREF m_clrText = static_cast<COLORREF>(-1);
    COLORREF m_clrBorder = static_cast<COLORREF>(-1);
};

#define AFX_TOOLTIP_TYPE_ALL 0xFFFF

class FRAMEWORK_API CTooltipManager
{
public:
    void SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC = nullptr, CMFCToolTipInfo* pParams = nullptr);

    UINT m_nTypes = 0;
    CRuntimeClass* m_pToolTipClass = nullptr;
    CMFCToolTipInfo m_params;
    BOOL m_bParamsSet = FALSE;
};

// The extended application object: its managers are accepted and recorded, nothing more.
class FRAMEWORK_API CWinAppEx : public CWinApp
{
    DECLARE_DYNAMIC(CWinAppEx)
public:
    explicit CWinAppEx(BOOL bResourceSmartUpdate = FALSE, LPCWSTR lpszAppName = nullptr);

    enum Manager : UINT
    {
        MouseManager = 0x01,
        ContextMenuManager = 0x02,
        KeyboardManager = 0x04,
        ShellManager = 0x08,
        TooltipManager = 0x10,
    };
    BOOL InitMouseManager();
    BOOL InitContextMenuManager();
    BOOL InitKeyboardManager();
    BOOL InitShellManager();
    BOOL InitTooltipManager();
    CTooltipManager* GetTooltipManager();

    BOOL m_bResourceSmartUpdate;
    UINT m_nManagers = 0; // Manager bits of the initialisations made

private:
    CTooltipManager m_tooltipManager;
};

FRAMEWORK_API CWinApp* AfxGetApp();
FRAMEWORK_API CWnd* AfxGetMainWnd();

// Makes the calling thread the application's thread (its temporary objects are then freed
// when it turns idle) and gives the application object its handles and name. TRUE on success.
FRAMEWORK_API BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
// Ends what AfxWinInit began (and AfxOleInit on this thread).
FRAMEWORK_API void AfxWinTerm();
// The program's main: AfxWinInit, InitApplication, InitInstance, Run (or ExitInstance when
// InitInstance failed), AfxWinTerm. -1 when there is no application object.
FRAMEWORK_API int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// OLE for the calling thread, ended by AfxWinTerm; FALSE when it could not start.
FRAMEWORK_API BOOL AfxOleInit();
// Lets dialogs hold ActiveX controls; nothing is needed for that yet.
FRAMEWORK_API void AfxEnableControlContainer();
// Loads the rich edit 2 control library (from the system folder) once; FALSE when it failed.
FRAMEWORK_API BOOL AfxInitRichEdit2();
// Registers (once) a window class of these attributes under AfxGetInstanceHandle(), the
// instance CWnd::CreateEx creates windows with, and returns its name. The name lives in a
// per-thread buffer until the thread's next call. Null when the registration failed.
FRAMEWORK_API LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                                          HICON hIcon = nullptr);
