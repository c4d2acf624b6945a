// CDialog: a dialog box from a template in the resources of the current module state (then
// the extension modules), run modally by DoModal or created modeless by Create.
//
// DoModal runs the framework's own modal loop, so that every message passes through the
// PreTranslateMessage of the windows on its way before IsDialogMessage; the owner is
// disabled for the loop's duration. IDOK and IDCANCEL call the virtual OnOK and OnCancel:
// OnOK saves the data exchange (UpdateData) and ends the dialog with IDOK when that succeeded,
// OnCancel ends it with IDCANCEL.
#pragma once

#include "window.h"

// One run of a dialog's data exchange: from the controls into the members (save and
// validate) or from the members into the controls.
class FRAMEWORK_API CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control's window; a missing control is a programming fault and throws.
    HWND PrepareCtrl(int nIDC);
    // Ends the exchange: focus goes back to the last control prepared; throws CUserException.
    AFX_NORETURN void Fail();

private:
    HWND m_hWndLastControl = nullptr;
};

// Binds rControl to the dialog's control nIDC (subclassing it, so that PreSubclassWindow
// runs) the first time the exchange runs; later runs leave the binding alone.
FRAMEWORK_API void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class FRAMEWORK_API CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // The button that ended the dialog (IDOK, IDCANCEL or the value given to EndDialog);
    // -1 when the template is missing or the dialog could not be created.
    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    // Called once the controls exist; true lets the system set the focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // After the dialog's own map, a command goes to its owner and then to the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Runs DoDataExchange; false when it failed (the user was told).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    LPCWSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The template, found through the resource search of the current module state.
    const DLGTEMPLATE* LoadTemplate(HINSTANCE* phInstance) const;
    // The window a modal dialog belongs to: the parent's top-level window, else the active one.
    HWND GetOwnerForModal() const;
    BOOL CreateIndirect(const DLGTEMPLATE* pTemplate, HWND hWndParent, HINSTANCE hInstance);
    // The dialog's DDX_ calls; the default exchanges nothing.
    virtual void DoDataExchange(CDataExchange* pDX);

    DECLARE_MESSAGE_MAP()
};
