// HTML dialogs: a dialog that shows a page from the tool's resources and behaves as a part of
// the application rather than a browser (no text selection or dragging outside text fields, no
// browser context menu, no drop target, no scroll bars or 3-D border), with the page's
// "ButtonOK" and "ButtonCancel" elements mapped to OK and Cancel; and CWebPage, which calls
// functions of a page's script with string arguments.
#pragma once

#include "../suitecore.h"

#include <framework/collections.h>
#include <framework/dhtml.h>

#include <shellapi.h>

// The host flags of every HTML dialog: a dialog, without 3-D border and scroll bars.
enum : DWORD
{
    HTMLDLG_HOST_FLAGS = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO,
};

class SUITECORE_API CChildHtmlDialog : public CDHtmlDialog
{
    DECLARE_DYNCREATE(CChildHtmlDialog)
public:
    CChildHtmlDialog();
    CChildHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd);
    ~CChildHtmlDialog() override;

    BOOL OnAmbientProperty(CWnd* pControl, DISPID dispid, VARIANT* pvar) override;
    BOOL OnInitDialog() override;
    // Enter (Escape) held down at this moment: nothing happens.
    void OnOK() override;
    void OnCancel() override;
    BOOL CanAccessExternal() override;
    BOOL IsExternalDispatchSafe() override;
    const DHtmlEventMapEntry* GetDHtmlEventMap() override;

    // The browser is no drop target, the dialog takes no dropped files, and the browser does
    // not register as a browser window; true when all three took.
    BOOL ApplyBrowserSettings();

    // Page handlers. The buttons do nothing while Escape is held down; each answers S_OK.
    HRESULT OnButtonOK(IHTMLElement* pElement);
    HRESULT OnButtonCancel(IHTMLElement* pElement);
    // Write the element's tag to the debugger output, then answer S_OK for a text-edit
    // element (the action goes on) and S_FALSE otherwise, which cancels it.
    HRESULT OnHtmlSelectStart(IHTMLElement* pElement);
    HRESULT OnHtmlDragStart(IHTMLElement* pElement);
    HRESULT OnHtmlContextMenu(IHTMLElement* pElement);

    // Message handlers.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDropFiles(HDROP hDropInfo);
    void OnCommandOK();
    void OnCommandCancel();

    // The tags whose selection, dragging and context menu the dialog refuses.
    static const LPCWSTR* GetSuppressedTags(int* pnCount);

protected:
    DECLARE_MESSAGE_MAP()
};

// Heap factory.
SUITECORE_API CChildHtmlDialog* CreateChildHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd);

class SUITECORE_API CWebPage
{
public:
    CWebPage();
    virtual ~CWebPage();
    CWebPage(const CWebPage&) = delete;
    CWebPage& operator=(const CWebPage&) = delete;

    // Holds the document (any object offering IHTMLDocument), releasing the previous one; a
    // null document sets the error text and answers false.
    virtual BOOL SetDocument(IDispatch* pDisp);
    // Calls the script function with the strings as arguments (in their order), copying its
    // return value into pVarResult when one is given. False, with the error text set, when
    // the script or the function cannot be reached or the call fails. A failing copy of the
    // result throws _com_error.
    virtual BOOL CallJScript(const CString& strFunc, const CStringArray& paramArray, VARIANT* pVarResult = nullptr);
    BOOL CallJScript(const CString& strFunc, const CString& strArg1, const CString& strArg2, const CString& strArg3,
                     VARIANT* pVarResult = nullptr);
    CString GetLastErrorText() const;

protected:
    // The document's script object, with a reference for the caller.
    BOOL GetJScript(IDispatch** ppScript);
    // "JSCall Error:\n" and the message.
    void SetError(LPCWSTR lpszMessage);
    // The system's text for the result, or "FormatMessage Native Error".
    void SetErrorFromResult(HRESULT hr);

    IDispatch* m_pDocument = nullptr; // one reference
    CString m_strError;
};
