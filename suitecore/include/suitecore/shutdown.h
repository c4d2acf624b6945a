// The shutdown and restart countdown: a pop-up over the translucent shade that counts about
// five minutes down to a shutdown (or one minute to a restart), then asks Windows to end the
// session. A shutdown can be cancelled or brought forward; a restart only brought forward.
#pragma once

#include "ui/basewnd.h"

// Makes the privilege step and the call that ends the session: BOOL (flags, reason) as
// ExitWindowsEx takes them; TRUE when the request was made.
typedef BOOL(WINAPI* SHUTDOWN_REQUEST_HANDLER)(UINT uFlags, DWORD dwReason);

// Installs the process-wide handler the countdown calls instead of ending the session itself,
// and returns the one installed before. Null puts back the default, which enables
// "SeShutdownPrivilege" on the process token and calls ExitWindowsEx.
SUITECORE_API SHUTDOWN_REQUEST_HANDLER SetShutdownRequestHandler(SHUTDOWN_REQUEST_HANDLER pfnHandler);

enum : UINT
{
    IDD_SHUTDOWN = 1276,
    IDC_SHUTDOWN_CLOSE = 1184, // the caption's close button
    ID_SHUTDOWN_TIMER = 12,
};

class SUITECORE_API CDlgShutDown : public CDlgBaseWndPopupNagBase
{
    DECLARE_DYNCREATE(CDlgShutDown)
public:
    CDlgShutDown();
    explicit CDlgShutDown(CWnd* pParentWnd);
    ~CDlgShutDown() override;

    BOOL OnInitDialog() override;
    // The action button (1): the request at once.
    void OnOK() override;
    // Cancel, Escape, the close button, SC_CLOSE and Alt+F4 all end in the close operation:
    // in shutdown mode the dialog ends with its shade, in restart mode nothing happens.
    void OnCancel() override;
    void OnCloseRequest() override;

    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();

    // Enables the privilege and makes the request through the installed handler; on success
    // WM_CLOSE goes to the application's main window. TRUE when the request was made.
    BOOL ShutdownAction();

    const CString& GetCountdownText() const { return m_strCountdown; }
    const CString& GetMessageText() const { return m_strMessage; }

    BYTE m_bRestart = 0; // 0 shutdown, 1 restart; set before the dialog runs
    int m_nWidth = 630;
    int m_nHeight = 365;
    CHoverButton m_btnClose;
    CHoverButtonWithText m_btnAction;
    CHoverButtonWithText m_btnCancel;
    CString m_strHeadline;
    int m_nMinutes = 4;
    int m_nSeconds = 59;
    CString m_strCountdown;
    CString m_strMessage;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void FormatCountdown();
    void FormatMessageText(int nMinutes);
    void CloseOperation();
    void PaintContent(CDC* pDC, const RECT& rcClient);
};

// Shows the countdown modally over the translucent shade covering pOwner (the main window
// when null); bRestart 1 counts down to a restart. The shade's result (1 or 2).
SUITECORE_API int ShowShutdownDialog(CWnd* pOwner, BYTE bRestart, LPCWSTR lpszHeadline);
