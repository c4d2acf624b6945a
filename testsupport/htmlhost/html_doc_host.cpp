// The minimal document host: the JScript engine behind IHTMLDocument::get_Script, and
// elements that fire HTMLElementEvents2 through their connected sinks.
#include "html_doc_host.h"

#include <mshtmdid.h>

#include <algorithm>
#include <new>

namespace htmlhost
{
namespace
{
bool Is(REFIID a, REFIID b)
{
    return InlineIsEqualGUID(a, b) != 0;
}

HRESULT CopyText(const std::wstring& text, BSTR* p)
{
    if (!p)
        return E_POINTER;
    *p = SysAllocString(text.c_str());
    return *p ? S_OK : E_OUTOFMEMORY;
}

// The event object an element hands its sinks: the source element and the return value.
class EventObject : public NoDispatch<IHTMLEventObjStub>
{
public:
    HTMLHOST_IUNKNOWN()
    explicit EventObject(IHTMLElement* pSource) : m_pSource(pSource) { m_pSource->AddRef(); }

    STDMETHOD(get_srcElement)(IHTMLElement** p) override
    {
        if (!p)
            return E_POINTER;
        *p = m_pSource;
        m_pSource->AddRef();
        return S_OK;
    }
    STDMETHOD(put_returnValue)(VARIANT v) override { return VariantCopy(m_returnValue.get(), &v); }
    STDMETHOD(get_returnValue)(VARIANT* p) override { return VariantCopy(p, m_returnValue.get()); }

private:
    virtual ~EventObject() { m_pSource->Release(); }
    void* Find(REFIID riid)
    {
        if (Is(riid, IID_IUnknown) || Is(riid, IID_IDispatch) || Is(riid, IID_IHTMLEventObj))
            return static_cast<IHTMLEventObj*>(this);
        return nullptr;
    }
    IHTMLElement* m_pSource;
    CUniqueVariant m_returnValue;
};

// The elements one tag matched.
class Collection : public NoDispatch<IHTMLElementCollectionStub>
{
public:
    HTMLHOST_IUNKNOWN()
    explicit Collection(std::vector<Element*> elements) : m_elements(std::move(elements))
    {
        for (Element* e : m_elements)
            e->AddRef();
    }
    STDMETHOD(get_length)(LONG* p) override
    {
        if (!p)
            return E_POINTER;
        *p = static_cast<LONG>(m_elements.size());
        return S_OK;
    }
    STDMETHOD(item)(VARIANT name, VARIANT, IDispatch** pdisp) override
    {
        if (!pdisp)
            return E_POINTER;
        *pdisp = nullptr;
        if (V_VT(&name) != VT_I4 || V_I4(&name) < 0 || static_cast<size_t>(V_I4(&name)) >= m_elements.size())
            return E_INVALIDARG;
        *pdisp = static_cast<IHTMLElement*>(m_elements[static_cast<size_t>(V_I4(&name))]);
        (*pdisp)->AddRef();
        return S_OK;
    }

private:
    virtual ~Collection()
    {
        for (Element* e : m_elements)
            e->Release();
    }
    void* Find(REFIID riid)
    {
        if (Is(riid, IID_IUnknown) || Is(riid, IID_IDispatch) || Is(riid, IID_IHTMLElementCollection))
            return static_cast<IHTMLElementCollection*>(this);
        return nullptr;
    }
    std::vector<Element*> m_elements;
};

// The engine's site: the page has no named items; errors are kept as text.
class ScriptSite : public IActiveScriptSite
{
public:
    HTMLHOST_IUNKNOWN()
    std::wstring m_error;

    STDMETHOD(GetLCID)(LCID* plcid) override
    {
        *plcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHOD(GetItemInfo)(LPCOLESTR, DWORD, IUnknown** ppunk, ITypeInfo** ppti) override
    {
        if (ppunk)
            *ppunk = nullptr;
        if (ppti)
            *ppti = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    STDMETHOD(GetDocVersionString)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(OnScriptTerminate)(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHOD(OnStateChange)(SCRIPTSTATE) override { return S_OK; }
    STDMETHOD(OnScriptError)(IActiveScriptError* pError) override
    {
        EXCEPINFO info{};
        if (pError && SUCCEEDED(pError->GetExceptionInfo(&info)))
        {
            if (info.bstrDescription)
                m_error = info.bstrDescription;
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
        }
        return S_OK;
    }
    STDMETHOD(OnEnterScript)() override { return S_OK; }
    STDMETHOD(OnLeaveScript)() override { return S_OK; }

private:
    virtual ~ScriptSite() = default;
    void* Find(REFIID riid)
    {
        if (Is(riid, IID_IUnknown) || Is(riid, IID_IActiveScriptSite))
            return static_cast<IActiveScriptSite*>(this);
        return nullptr;
    }
};
} // namespace

// The engine's script object behind a count of its own, so callers' references show.
class CountingScript : public IDispatch
{
public:
    HTMLHOST_IUNKNOWN()
    explicit CountingScript(IDispatch* pInner) : m_pInner(pInner) {}

    STDMETHOD(GetTypeInfoCount)(UINT* p) override { return m_pInner->GetTypeInfoCount(p); }
    STDMETHOD(GetTypeInfo)(UINT i, LCID lcid, ITypeInfo** pp) override { return m_pInner->GetTypeInfo(i, lcid, pp); }
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return m_pInner->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT* argErr) override
    {
        return m_pInner->Invoke(id, riid, lcid, flags, params, result, info, argErr);
    }

private:
    virtual ~CountingScript() { m_pInner->Release(); }
    void* Find(REFIID riid)
    {
        if (Is(riid, IID_IUnknown) || Is(riid, IID_IDispatch))
            return static_cast<IDispatch*>(this);
        return nullptr;
    }
    IDispatch* m_pInner; // one reference
};

// ---- Element ----

Element* Element::Create(const std::wstring& tag, const std::wstring& id, bool textEdit, bool failTextEdit)
{
    auto* p = new Element();
    p->m_tag = tag;
    p->m_id = id;
    p->m_textEdit = textEdit;
    p->m_failTextEdit = failTextEdit;
    return p;
}

Element::~Element()
{
    for (auto& sink : m_sinks)
        sink.second->Release();
}

void* Element::Find(REFIID riid)
{
    if (Is(riid, IID_IUnknown) || Is(riid, IID_IDispatch) || Is(riid, IID_IHTMLElement))
        return static_cast<IHTMLElement*>(this);
    if (Is(riid, IID_IConnectionPointContainer))
        return static_cast<IConnectionPointContainer*>(this);
    if (Is(riid, IID_IConnectionPoint))
        return static_cast<IConnectionPoint*>(this);
    return nullptr;
}

bool Element::Fire(DISPID dispid, VARIANT* pResult)
{
    if (m_sinks.empty())
        return false;
    auto* event = new EventObject(this);
    VARIANT arg;
    V_VT(&arg) = VT_DISPATCH;
    V_DISPATCH(&arg) = static_cast<IHTMLEventObj*>(event);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    // A sink may unadvise while it runs: fire through a copy.
    std::vector<IDispatch*> sinks;
    for (auto& sink : m_sinks)
    {
        sink.second->AddRef();
        sinks.push_back(sink.second);
    }
    for (IDispatch* sink : sinks)
    {
        VariantClear(pResult);
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, pResult, nullptr, nullptr);
        sink->Release();
    }
    event->Release();
    return true;
}

STDMETHODIMP Element::get_tagName(BSTR* p)
{
    return CopyText(m_tag, p);
}

STDMETHODIMP Element::get_id(BSTR* p)
{
    return CopyText(m_id, p);
}

STDMETHODIMP Element::get_isTextEdit(VARIANT_BOOL* p)
{
    if (!p)
        return E_POINTER;
    if (m_failTextEdit)
        return E_FAIL;
    *p = m_textEdit ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Element::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Element::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    if (!Is(riid, DIID_HTMLElementEvents2))
        return CONNECT_E_NOCONNECTION;
    *ppCP = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP Element::GetConnectionInterface(IID* pIID)
{
    if (!pIID)
        return E_POINTER;
    *pIID = DIID_HTMLElementEvents2;
    return S_OK;
}

STDMETHODIMP Element::GetConnectionPointContainer(IConnectionPointContainer** ppCPC)
{
    if (!ppCPC)
        return E_POINTER;
    *ppCPC = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP Element::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pUnkSink || !pdwCookie)
        return E_POINTER;
    IDispatch* pSink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(DIID_HTMLElementEvents2, reinterpret_cast<void**>(&pSink))))
        return CONNECT_E_CANNOTCONNECT;
    *pdwCookie = m_nextCookie++;
    m_sinks.emplace_back(*pdwCookie, pSink);
    return S_OK;
}

STDMETHODIMP Element::Unadvise(DWORD dwCookie)
{
    const auto found =
        std::find_if(m_sinks.begin(), m_sinks.end(), [&](const auto& sink) { return sink.first == dwCookie; });
    if (found == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch* pSink = found->second;
    m_sinks.erase(found);
    pSink->Release();
    return S_OK;
}

STDMETHODIMP Element::EnumConnections(IEnumConnections** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

// ---- Document ----

Document* Document::Create(const std::wstring& script, HRESULT* phr, std::wstring* pError)
{
    HRESULT hr = S_OK;
    auto* site = new ScriptSite();
    CUniqueComPtr<IActiveScript> engine;
    CUniqueComPtr<IActiveScriptParse32> parse;
    CUniqueComPtr<IDispatch> object;
    hr = CoCreateInstance(CLSID_JScriptEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.put_void());
    if (SUCCEEDED(hr))
        hr = engine->QueryInterface(IID_IActiveScriptParse32, parse.put_void());
    if (SUCCEEDED(hr))
        hr = parse->InitNew();
    if (SUCCEEDED(hr))
        hr = engine->SetScriptSite(site);
    if (SUCCEEDED(hr))
        hr = parse->ParseScriptText(script.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr);
    if (SUCCEEDED(hr))
        hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    if (SUCCEEDED(hr))
        hr = engine->GetScriptDispatch(nullptr, object.put());
    if (pError)
        *pError = site->m_error;
    if (phr)
        *phr = hr;
    if (FAILED(hr))
    {
        if (engine)
            engine->Close();
        site->Release();
        return nullptr;
    }
    site->Release();
    auto* document = new Document();
    document->m_spEngine = std::move(engine);
    document->m_pScript = new CountingScript((object->AddRef(), object.get()));
    return document;
}

Document* Document::CreateWithoutScript()
{
    return new Document();
}

Document::~Document()
{
    for (Element* e : m_elements)
        e->Release();
    if (m_pScript)
        m_pScript->Release();
    if (m_spEngine)
        m_spEngine->Close();
}

void* Document::Find(REFIID riid)
{
    if (Is(riid, IID_IUnknown) || Is(riid, IID_IDispatch) || Is(riid, IID_IHTMLDocument))
        return static_cast<IHTMLDocument*>(this);
    if (Is(riid, IID_IHTMLDocument3))
        return static_cast<IHTMLDocument3*>(this);
    return nullptr;
}

void Document::Add(Element* pElement)
{
    pElement->AddRef();
    m_elements.push_back(pElement);
}

LONG Document::ScriptRefCount() const
{
    return m_pScript ? m_pScript->RefCount() : 0;
}

STDMETHODIMP Document::get_Script(IDispatch** p)
{
    if (!p)
        return E_POINTER;
    *p = m_pScript;
    if (!m_pScript)
        return E_FAIL;
    m_pScript->AddRef();
    return S_OK;
}

STDMETHODIMP Document::getElementById(BSTR v, IHTMLElement** pel)
{
    if (!pel)
        return E_POINTER;
    *pel = nullptr;
    for (Element* e : m_elements)
        if (v && e->Id() == v)
        {
            *pel = e;
            e->AddRef();
            break;
        }
    return S_OK;
}

STDMETHODIMP Document::getElementsByTagName(BSTR v, IHTMLElementCollection** pelColl)
{
    if (!pelColl)
        return E_POINTER;
    std::vector<Element*> matched;
    for (Element* e : m_elements)
        if (v && lstrcmpiW(e->Tag().c_str(), v) == 0)
            matched.push_back(e);
    *pelColl = new Collection(std::move(matched));
    return S_OK;
}

bool ReadTextFile(const std::wstring& path, std::wstring& text)
{
    CUniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 16 * 1024 * 1024)
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.assign(static_cast<size_t>(length), L'\0');
    if (length)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return true;
}
} // namespace htmlhost
