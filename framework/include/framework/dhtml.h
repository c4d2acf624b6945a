// CDHtmlDialog: a dialog whose client area is the system's WebBrowser control showing an HTML
// page from the module's resources (type RT_HTML, 23), with the page's element events routed
// to the dialog's handlers through a DHTML event map.
//
// The dialog is the control's container: a site object of its own gives the browser its
// client site, in-place site and frame, the document host's UI handler (GetHostInfo answers
// the host flags) and the ambient properties (OnAmbientProperty). Once the page's document is
// complete, CDHtmlEventSink connects every map entry to the elements it names, by id or by
// tag, through their HTMLElementEvents2 connection points. A handler's S_FALSE becomes the
// event's false return value, which cancels the page's default action.
//
// A map is one table of entries ended by DHTMLEVENTMAPENTRY_END; a handler is any function
// taking the sink and the event's source element, usually DHTML_HANDLER(Class, Member):
//
//     const DHtmlEventMapEntry* CMyDialog::GetDHtmlEventMap()
//     {
//         static const DHtmlEventMapEntry map[] = {
//             {DHTMLEVENTMAPENTRY_NAME, DISPID_HTMLELEMENTEVENTS2_ONCLICK, L"ButtonOK",
//              DHTML_HANDLER(CMyDialog, OnButtonOK)},
//             {DHTMLEVENTMAPENTRY_END, 0, nullptr, nullptr}};
//         return map;
//     }
#pragma once

#include "dialog.h"
#include "handles.h"
#include "htmlguids.h"

#include <exdisp.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <mshtml.h>

#include <vector>

class CDHtmlEventSink;
class CDHtmlElementConnection;

typedef HRESULT (*AFX_DHTML_HANDLER)(CDHtmlEventSink* pSink, IHTMLElement* pElement);

enum DHtmlEventMapEntryType
{
    DHTMLEVENTMAPENTRY_NAME, // szName is an element's id
    DHTMLEVENTMAPENTRY_TAG,  // szName is a tag: every element of the tag
    DHTMLEVENTMAPENTRY_END,
};

struct DHtmlEventMapEntry
{
    DHtmlEventMapEntryType nType;
    DISPID dispId; // the HTMLElementEvents2 event
    LPCWSTR szName;
    AFX_DHTML_HANDLER pfnEventFunc;
};

// A handler thunk for a member HRESULT theClass::memberFxn(IHTMLElement*).
#define DHTML_HANDLER(theClass, memberFxn)                                                                  \
    [](CDHtmlEventSink* pSink, IHTMLElement* pElement) -> HRESULT {                                          \
        return static_cast<theClass*>(pSink)->memberFxn(pElement);                                           \
    }

class FRAMEWORK_API CDHtmlEventSink
{
public:
    CDHtmlEventSink() = default;
    virtual ~CDHtmlEventSink();
    CDHtmlEventSink(const CDHtmlEventSink&) = delete;
    CDHtmlEventSink& operator=(const CDHtmlEventSink&) = delete;

    virtual const DHtmlEventMapEntry* GetDHtmlEventMap() = 0;

    // Connects the map to the elements of the document (which must offer IHTMLDocument3),
    // after dropping earlier connections. Elements missing from the page are left out; each
    // element gets one connection serving every entry that names it.
    HRESULT ConnectDHtmlEvents(IUnknown* pUnkDocument);
    // Unadvises and releases every element connection.
    void DisconnectDHtmlEvents();
    // How many elements are connected.
    size_t GetConnectedElementCount() const { return m_connections.size(); }

    // Runs the handlers that the map entries of one connection name for the event; the
    // result is VARIANT_FALSE when one of them answered S_FALSE, VARIANT_TRUE when they ran
    // and none did, and stays empty when none applies.
    void RunHandlers(const std::vector<const DHtmlEventMapEntry*>& entries, DISPID dispid, IHTMLElement* pElement,
                     VARIANT* pvarResult);

private:
    HRESULT ConnectEntry(IHTMLDocument3* pDocument, const DHtmlEventMapEntry* pEntry);
    HRESULT ConnectElement(IDispatch* pElement, const DHtmlEventMapEntry* pEntry);

    std::vector<CDHtmlElementConnection*> m_connections; // each holds one reference
};

class CDHtmlHostSite;

// The control identifier of the dialog's browser.
#define AFX_IDC_BROWSER 0xE800

class FRAMEWORK_API CDHtmlDialog : public CDialog, public CDHtmlEventSink
{
    DECLARE_DYNAMIC(CDHtmlDialog)
public:
    CDHtmlDialog();
    CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID = 0, CWnd* pParentWnd = nullptr);
    ~CDHtmlDialog() override;

    // An ambient property the browser asks its container for; true when pvar was filled.
    // The default answers user mode (true) and nothing else.
    virtual BOOL OnAmbientProperty(CWnd* pControl, DISPID dispid, VARIANT* pvar);
    // Creates the browser over the client area and navigates it to the dialog's page.
    BOOL OnInitDialog() override;
    // Whether the page's script may reach the dialog through window.external, and whether
    // that object is safe for scripting. The defaults answer false.
    virtual BOOL CanAccessExternal();
    virtual BOOL IsExternalDispatchSafe();
    // The browser (pDisp) finished a document: for the top-level one, the map is connected.
    virtual void OnDocumentComplete(LPDISPATCH pDisp, LPCWSTR szUrl);

    const DHtmlEventMapEntry* GetDHtmlEventMap() override;

    // Flags that GetHostInfo hands the browser (DOCHOSTUIFLAG_*).
    void SetHostFlags(DWORD dwFlags) { m_dwHostFlags = dwFlags; }
    DWORD GetHostFlags() const { return m_dwHostFlags; }
    // "res://<module path>/#23/#<id>" for the module that holds the page; empty without one.
    CString GetHtmlResourceUrl() const;
    // Connects the event map to a document (the completed page's, or any other that offers
    // IHTMLDocument3) and keeps it as the dialog's document.
    HRESULT ConnectDocument(IDispatch* pDocument);
    // The dialog's document, with a reference for the caller; null before one completed.
    HRESULT GetDHtmlDocument(IDispatch** ppDocument);
    // The site object the browser was given (no reference added).
    IOleClientSite* GetHostSite() const;

    CUniqueComPtr<IWebBrowser2> m_pBrowserApp;
    CWnd m_wndBrowser;
    UINT m_nHtmlResID = 0;
    DWORD m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER;

protected:
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    friend class CDHtmlHostSite;
    BOOL CreateBrowser();
    void ConnectBrowserEvents();
    void ReleaseBrowser();

    CDHtmlHostSite* m_pHostSite = nullptr; // one reference
    CUniqueComPtr<IConnectionPoint> m_spBrowserEvents;
    DWORD m_dwBrowserEventsCookie = 0;
    CUniqueComPtr<IDispatch> m_spHtmlDoc;
};
