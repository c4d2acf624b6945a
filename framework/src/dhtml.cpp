// CDHtmlDialog: the browser inside the dialog, its page and the connection of its events.
#include "dhtml_host.h"

#include "framework/module.h"

IMPLEMENT_DYNAMIC(CDHtmlDialog, CDialog)

BEGIN_MESSAGE_MAP(CDHtmlDialog, CDialog)
    ON_WM_DESTROY()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CDHtmlDialog::CDHtmlDialog() = default;

CDHtmlDialog::CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nHtmlResID(nHtmlResID)
{
}

CDHtmlDialog::~CDHtmlDialog()
{
    ReleaseBrowser();
}

BOOL CDHtmlDialog::OnAmbientProperty(CWnd*, DISPID dispid, VARIANT* pvar)
{
    if (dispid != DISPID_AMBIENT_USERMODE || !pvar)
        return FALSE;
    V_VT(pvar) = VT_BOOL;
    V_BOOL(pvar) = VARIANT_TRUE;
    return TRUE;
}

BOOL CDHtmlDialog::CanAccessExternal()
{
    return FALSE;
}

BOOL CDHtmlDialog::IsExternalDispatchSafe()
{
    return FALSE;
}

const DHtmlEventMapEntry* CDHtmlDialog::GetDHtmlEventMap()
{
    static const DHtmlEventMapEntry none[] = {{DHTMLEVENTMAPENTRY_END, 0, nullptr, nullptr}};
    return none;
}

BOOL CDHtmlDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Without a browser (no WebBrowser control on the system) the dialog still opens; its
    // page stays empty.
    if (CreateBrowser())
    {
        ConnectBrowserEvents();
        const CString url = GetHtmlResourceUrl();
        if (!url.IsEmpty())
        {
            CUniqueBstr address(url.AllocSysString());
            VARIANT none;
            VariantInit(&none);
            m_pBrowserApp->Navigate(address.get(), &none, &none, &none, &none);
        }
    }
    return TRUE;
}

BOOL CDHtmlDialog::CreateBrowser()
{
    if (!m_pHostSite)
        m_pHostSite = CDHtmlHostSite::Create(this);
    RECT rc{};
    GetClientRect(&rc);
    if (!m_wndBrowser.CreateControl(CLSID_WebBrowser, nullptr, WS_VISIBLE | WS_CHILD, rc, this, AFX_IDC_BROWSER,
                                    m_pHostSite))
        return FALSE;
    if (FAILED(m_wndBrowser.GetControlUnknown()->QueryInterface(IID_IWebBrowser2, m_pBrowserApp.put_void())))
    {
        m_wndBrowser.DestroyControl();
        return FALSE;
    }
    return TRUE;
}

void CDHtmlDialog::ConnectBrowserEvents()
{
    CUniqueComPtr<IConnectionPointContainer> container;
    if (FAILED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer, container.put_void())) ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_spBrowserEvents.put())))
        return;
    if (FAILED(m_spBrowserEvents->Advise(static_cast<IDispatch*>(m_pHostSite), &m_dwBrowserEventsCookie)))
        m_spBrowserEvents.reset();
}

void CDHtmlDialog::ReleaseBrowser()
{
    DisconnectDHtmlEvents();
    m_spHtmlDoc.reset();
    if (m_spBrowserEvents)
        m_spBrowserEvents->Unadvise(m_dwBrowserEventsCookie);
    m_spBrowserEvents.reset();
    if (m_pBrowserApp)
        m_pBrowserApp->Stop();
    m_pBrowserApp.reset();
    m_wndBrowser.DestroyControl();
    if (m_pHostSite)
    {
        m_pHostSite->Detach();
        static_cast<IOleClientSite*>(std::exchange(m_pHostSite, nullptr))->Release();
    }
}

CString CDHtmlDialog::GetHtmlResourceUrl() const
{
    if (!m_nHtmlResID)
        return CString();
    LPCWSTR name = MAKEINTRESOURCEW(m_nHtmlResID);
    HINSTANCE hModule = AfxFindResourceHandle(name, RT_HTML);
    if (!hModule || !::FindResourceW(hModule, name, RT_HTML))
        return CString();
    const CString path = AfxGetModuleFileName(hModule);
    if (path.IsEmpty())
        return CString();
    CString url;
    url.Format(L"res://%s/#%u/#%u", path.GetString(), 23u, m_nHtmlResID);
    return url;
}

void CDHtmlDialog::OnDocumentComplete(LPDISPATCH pDisp, LPCWSTR)
{
    if (!pDisp || !m_pBrowserApp)
        return;
    // Frames complete documents of their own; only the top-level browser's counts.
    CUniqueComPtr<IUnknown> completed, top;
    if (FAILED(pDisp->QueryInterface(IID_IUnknown, completed.put_void())) ||
        FAILED(m_pBrowserApp->QueryInterface(IID_IUnknown, top.put_void())) || completed.get() != top.get())
        return;
    CUniqueComPtr<IDispatch> document;
    if (SUCCEEDED(m_pBrowserApp->get_Document(document.put())) && document)
        ConnectDocument(document.get());
}

HRESULT CDHtmlDialog::ConnectDocument(IDispatch* pDocument)
{
    m_spHtmlDoc.reset();
    if (!pDocument)
    {
        DisconnectDHtmlEvents();
        return E_POINTER;
    }
    pDocument->AddRef();
    *m_spHtmlDoc.put() = pDocument;
    return ConnectDHtmlEvents(pDocument);
}

HRESULT CDHtmlDialog::GetDHtmlDocument(IDispatch** ppDocument)
{
    if (!ppDocument)
        return E_POINTER;
    *ppDocument = m_spHtmlDoc.get();
    if (!*ppDocument)
        return E_NOINTERFACE;
    (*ppDocument)->AddRef();
    return S_OK;
}

IOleClientSite* CDHtmlDialog::GetHostSite() const
{
    return m_pHostSite;
}

void CDHtmlDialog::OnDestroy()
{
    // The browser closes while its window and the dialog still exist.
    ReleaseBrowser();
    CDialog::OnDestroy();
}

void CDHtmlDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_wndBrowser.GetSafeHwnd())
        m_wndBrowser.MoveWindow(0, 0, cx, cy);
}
