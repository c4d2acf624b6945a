// A minimal HTML document host that stands in for a rendered page's document where none can
// be rendered: IHTMLDocument whose script object is the system's JScript engine running the
// page's script, and the few DOM calls an event sink uses (IHTMLDocument3's elements by id
// and by tag), each element a connection-point container for HTMLElementEvents2 that fires
// events through its connected sinks. Reference counts of the document and of the script
// object are observable, so callers can check what they keep.
#pragma once

#include <framework/handles.h>
#include <framework/htmlguids.h>

#include "html_stubs.h"

#include <string>
#include <utility>
#include <vector>

namespace htmlhost
{
// IUnknown for a test object: one count, QueryInterface through Find.
#define HTMLHOST_IUNKNOWN()                                                                              \
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(InterlockedIncrement(&m_ref)); }   \
    STDMETHOD_(ULONG, Release)() override                                                                \
    {                                                                                                    \
        const LONG n = InterlockedDecrement(&m_ref);                                                    \
        if (n == 0)                                                                                      \
            delete this;                                                                                 \
        return static_cast<ULONG>(n);                                                                    \
    }                                                                                                    \
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override                                          \
    {                                                                                                    \
        if (!ppv)                                                                                        \
            return E_POINTER;                                                                            \
        *ppv = Find(riid);                                                                               \
        if (!*ppv)                                                                                       \
            return E_NOINTERFACE;                                                                        \
        AddRef();                                                                                        \
        return S_OK;                                                                                     \
    }                                                                                                    \
    LONG RefCount() const { return m_ref; }                                                              \
                                                                                                         \
private:                                                                                                 \
    LONG m_ref = 1;                                                                                      \
                                                                                                         \
public:

// IDispatch of an object that has no members of its own to dispatch.
template <class Base>
class NoDispatch : public Base
{
public:
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
};

// An element: tag, id, whether it edits text (or fails to say), and its connected sinks.
class Element : public NoDispatch<IHTMLElementStub>, public IConnectionPointContainer, public IConnectionPoint
{
public:
    HTMLHOST_IUNKNOWN()
    // A new element with one reference for the caller. failTextEdit: get_isTextEdit fails.
    static Element* Create(const std::wstring& tag, const std::wstring& id = L"", bool textEdit = false,
                           bool failTextEdit = false);

    const std::wstring& Tag() const { return m_tag; }
    const std::wstring& Id() const { return m_id; }
    size_t SinkCount() const { return m_sinks.size(); }
    // Fires the event through every connected sink with an event object whose source is
    // this element; the last sink's result. False when no sink is connected.
    bool Fire(DISPID dispid, VARIANT* pResult);

    STDMETHOD(get_tagName)(BSTR* p) override;
    STDMETHOD(get_id)(BSTR* p) override;
    STDMETHOD(get_isTextEdit)(VARIANT_BOOL* p) override;
    // IConnectionPointContainer
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** ppEnum) override;
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint** ppCP) override;
    // IConnectionPoint (HTMLElementEvents2)
    STDMETHOD(GetConnectionInterface)(IID* pIID) override;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** ppCPC) override;
    STDMETHOD(Advise)(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    STDMETHOD(Unadvise)(DWORD dwCookie) override;
    STDMETHOD(EnumConnections)(IEnumConnections** ppEnum) override;

private:
    Element() = default;
    virtual ~Element();
    void* Find(REFIID riid);

    std::wstring m_tag, m_id;
    bool m_textEdit = false, m_failTextEdit = false;
    std::vector<std::pair<DWORD, IDispatch*>> m_sinks; // each holds a reference
    DWORD m_nextCookie = 1;
};

// A document running a script, with its elements.
class Document : public NoDispatch<IHTMLDocument>, public NoDispatch<IHTMLDocument3Stub>
{
public:
    HTMLHOST_IUNKNOWN()
    // Starts the JScript engine on the script; null with *phr set when the engine or the
    // script fails (the engine's error text in *pError when given).
    static Document* Create(const std::wstring& script, HRESULT* phr = nullptr, std::wstring* pError = nullptr);
    // A document without a script engine, whose get_Script fails.
    static Document* CreateWithoutScript();

    IDispatch* AsDispatch() { return static_cast<IHTMLDocument*>(this); }
    // Adds an element (the document takes a reference of its own).
    void Add(Element* pElement);
    const std::vector<Element*>& Elements() const { return m_elements; }
    // The script object's count of references (the document holds one itself).
    LONG ScriptRefCount() const;

    // IHTMLDocument
    STDMETHOD(get_Script)(IDispatch** p) override;
    // IHTMLDocument3
    STDMETHOD(getElementById)(BSTR v, IHTMLElement** pel) override;
    STDMETHOD(getElementsByTagName)(BSTR v, IHTMLElementCollection** pelColl) override;

private:
    Document() = default;
    virtual ~Document();
    void* Find(REFIID riid);

    CUniqueComPtr<IActiveScript> m_spEngine;
    class CountingScript* m_pScript = nullptr; // one reference
    std::vector<Element*> m_elements;          // each holds a reference
};

// The whole text of a UTF-8 (or ASCII) file; false when it cannot be read.
bool ReadTextFile(const std::wstring& path, std::wstring& text);
} // namespace htmlhost
