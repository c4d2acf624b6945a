// CDialog: a dialog box from a template in the resources of the current module state (then
// the extension modules), run modally by DoModal or created modeless by Create.
//
// DoModal runs the framework's own modal loop, so that every message passes through the
// PreTranslateMessage of the windows on its way before IsDialogMessage; the owner is
// disabled for the loop's duration. IDOK and IDCANCEL call the virtual OnOK and OnCancel,
// which end the dialog with that identifier.
#pragma once

#include "window.h"

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

    LPCWSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The template, found through the resource search of the current module state.
    const DLGTEMPLATE* LoadTemplate(HINSTANCE* phInstance) const;
    // The window a modal dialog belongs to: the parent's top-level window, else the active one.
    HWND GetOwnerForModal() const;
    BOOL CreateIndirect(const DLGTEMPLATE* pTemplate, HWND hWndParent, HINSTANCE hInstance);

    DECLARE_MESSAGE_MAP()
};
