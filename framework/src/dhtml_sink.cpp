// The DHTML event sink: one HTMLElementEvents2 connection per element the event map names,
// each running the map's handlers for its element's events.
#include "framework/com.h"
#include "framework/dhtml.h"

#include <algorithm>

// One element's connection: an event interface (IDispatch) advised on the element's
// HTMLElementEvents2 connection point, serving the map entries that name the element.
class CDHtmlElementConnection : public CComObjectRootEx<CComSingleThreadModel>, public IDispatch
{
public:
    BEGIN_COM_MAP(CDHtmlElementConnection)
        COM_INTERFACE_ENTRY_IID(IID_IDispatch, IDispatch)
        COM_INTERFACE_ENTRY_IID(DIID_HTMLElementEvents2, IDispatch)
    END_COM_MAP()

    void Init(CDHtmlEventSink* pSink, IUnknown* pIdentity, IHTMLElement* pElement)
    {
        m_pSink = pSink;
        pIdentity->AddRef();
        m_spIdentity.reset();
        *m_spIdentity.put() = pIdentity;
        pElement->AddRef();
        *m_spElement.put() = pElement;
    }

    HRESULT Advise()
    {
        CUniqueComPtr<IConnectionPointContainer> container;
        HRESULT hr = m_spElement->QueryInterface(IID_IConnectionPointContainer, container.put_void());
        if (SUCCEEDED(hr))
            hr = container->FindConnectionPoint(DIID_HTMLElementEvents2, m_spPoint.put());
        if (SUCCEEDED(hr))
            hr = m_spPoint->Advise(static_cast<IDispatch*>(this), &m_dwCookie);
        if (FAILED(hr))
            m_spPoint.reset();
        return hr;
    }

    void Disconnect() noexcept
    {
        m_pSink = nullptr;
        if (m_spPoint)
            m_spPoint->Unadvise(m_dwCookie);
        m_spPoint.reset();
        m_spElement.reset();
        m_spIdentity.reset();
    }

    bool Is(IUnknown* pIdentity) const noexcept { return m_spIdentity.get() == pIdentity; }
    void AddEntry(const DHtmlEventMapEntry* pEntry) { m_entries.push_back(pEntry); }

    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) noexcept override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo** pptinfo) noexcept override
    {
        if (pptinfo)
            *pptinfo = nullptr;
        return E_NOTIMPL;
    }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHOD(Invoke)
    (DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT* pvarResult, EXCEPINFO*, UINT*) noexcept override
    {
        return AfxCallbackBarrier(
            [&]() -> HRESULT
            {
                if (!m_pSink)
                    return S_OK;
                CUniqueComPtr<IHTMLEventObj> event = EventObject(pParams);
                CUniqueComPtr<IHTMLElement> source;
                if (event)
                    event->get_srcElement(source.put());
                CUniqueVariant result;
                m_pSink->RunHandlers(m_entries, dispid, source ? source.get() : m_spElement.get(), result.get());
                if (V_VT(result.get()) == VT_BOOL && V_BOOL(result.get()) == VARIANT_FALSE && event)
                {
                    VARIANT no;
                    V_VT(&no) = VT_BOOL;
                    V_BOOL(&no) = VARIANT_FALSE;
                    event->put_returnValue(no);
                }
                if (pvarResult)
                    return VariantCopy(pvarResult, result.get());
                return S_OK;
            },
            S_OK);
    }

private:
    // HTMLElementEvents2 hands the event object as the only argument.
    static CUniqueComPtr<IHTMLEventObj> EventObject(const DISPPARAMS* pParams)
    {
        CUniqueComPtr<IHTMLEventObj> event;
        if (pParams && pParams->cArgs >= 1 && V_VT(&pParams->rgvarg[0]) == VT_DISPATCH && V_DISPATCH(&pParams->rgvarg[0]))
            V_DISPATCH(&pParams->rgvarg[0])->QueryInterface(IID_IHTMLEventObj, event.put_void());
        return event;
    }

    CDHtmlEventSink* m_pSink = nullptr;
    CUniqueComPtr<IUnknown> m_spIdentity;
    CUniqueComPtr<IHTMLElement> m_spElement;
    CUniqueComPtr<IConnectionPoint> m_spPoint;
    DWORD m_dwCookie = 0;
    std::vector<const DHtmlEventMapEntry*> m_entries;
};

CDHtmlEventSink::~CDHtmlEventSink()
{
    DisconnectDHtmlEvents();
}

void CDHtmlEventSink::DisconnectDHtmlEvents()
{
    std::vector<CDHtmlElementConnection*> connections;
    connections.swap(m_connections);
    for (CDHtmlElementConnection* pConnection : connections)
    {
        pConnection->Disconnect();
        pConnection->Release();
    }
}

HRESULT CDHtmlEventSink::ConnectDHtmlEvents(IUnknown* pUnkDocument)
{
    DisconnectDHtmlEvents();
    if (!pUnkDocument)
        return E_POINTER;
    CUniqueComPtr<IHTMLDocument3> document;
    HRESULT hr = pUnkDocument->QueryInterface(IID_IHTMLDocument3, document.put_void());
    if (FAILED(hr))
        return hr;
    for (const DHtmlEventMapEntry* pEntry = GetDHtmlEventMap(); pEntry && pEntry->nType != DHTMLEVENTMAPENTRY_END;
         ++pEntry)
        ConnectEntry(document.get(), pEntry); // a missing element leaves its entry unused
    return S_OK;
}

HRESULT CDHtmlEventSink::ConnectEntry(IHTMLDocument3* pDocument, const DHtmlEventMapEntry* pEntry)
{
    CUniqueBstr name(SysAllocString(pEntry->szName ? pEntry->szName : L""));
    if (!name)
        return E_OUTOFMEMORY;
    if (pEntry->nType == DHTMLEVENTMAPENTRY_NAME)
    {
        CUniqueComPtr<IHTMLElement> element;
        HRESULT hr = pDocument->getElementById(name.get(), element.put());
        if (FAILED(hr) || !element)
            return FAILED(hr) ? hr : S_FALSE;
        return ConnectElement(element.get(), pEntry);
    }
    CUniqueComPtr<IHTMLElementCollection> elements;
    HRESULT hr = pDocument->getElementsByTagName(name.get(), elements.put());
    LONG count = 0;
    if (FAILED(hr) || !elements || FAILED(elements->get_length(&count)))
        return FAILED(hr) ? hr : S_FALSE;
    for (LONG i = 0; i < count; ++i)
    {
        VARIANT index, none;
        V_VT(&index) = VT_I4;
        V_I4(&index) = i;
        VariantInit(&none);
        CUniqueComPtr<IDispatch> element;
        if (SUCCEEDED(elements->item(index, none, element.put())) && element)
            ConnectElement(element.get(), pEntry);
    }
    return S_OK;
}

HRESULT CDHtmlEventSink::ConnectElement(IDispatch* pElementDispatch, const DHtmlEventMapEntry* pEntry)
{
    CUniqueComPtr<IUnknown> identity;
    CUniqueComPtr<IHTMLElement> element;
    HRESULT hr = pElementDispatch->QueryInterface(IID_IUnknown, identity.put_void());
    if (SUCCEEDED(hr))
        hr = pElementDispatch->QueryInterface(IID_IHTMLElement, element.put_void());
    if (FAILED(hr))
        return hr;
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [&](const CDHtmlElementConnection* c) { return c->Is(identity.get()); });
    if (found != m_connections.end())
    {
        (*found)->AddEntry(pEntry);
        return S_OK;
    }
    auto* pConnection = new CComObject<CDHtmlElementConnection>();
    pConnection->AddRef();
    pConnection->Init(this, identity.get(), element.get());
    pConnection->AddEntry(pEntry);
    hr = pConnection->Advise();
    if (FAILED(hr))
    {
        pConnection->Disconnect();
        pConnection->Release();
        return hr;
    }
    m_connections.push_back(pConnection);
    return S_OK;
}

void CDHtmlEventSink::RunHandlers(const std::vector<const DHtmlEventMapEntry*>& entries, DISPID dispid,
                                  IHTMLElement* pElement, VARIANT* pvarResult)
{
    bool ran = false;
    bool cancel = false;
    for (const DHtmlEventMapEntry* pEntry : entries)
    {
        if (pEntry->dispId != dispid || !pEntry->pfnEventFunc)
            continue;
        ran = true;
        if (pEntry->pfnEventFunc(this, pElement) == S_FALSE)
            cancel = true;
    }
    if (!ran || !pvarResult)
        return;
    VariantClear(pvarResult);
    V_VT(pvarResult) = VT_BOOL;
    V_BOOL(pvarResult) = cancel ? VARIANT_FALSE : VARIANT_TRUE;
}
