// The COM server kit: a module object with the server's lock count and its class list, class
// factories that create plain and aggregated objects, interface tables for QueryInterface,
// and IDispatch from the module's type library.
//
// The kit is header-only: every module (DLL or program) that includes it gets its own module
// pointer and class list, as a COM server must. A server declares
//
//     class CMyModule : public CAtlDllModuleT<CMyModule>
//     {
//     public:
//         DECLARE_LIBID(LIBID_MyLib)
//         DECLARE_REGISTRY_APPID_RESOURCEID(101, L"{...}")
//     };
//     CMyModule _AtlModule;
//
// and each class
//
//     class CMyObject : public CComObjectRootEx<CComSingleThreadModel>,
//                       public CComCoClass<CMyObject, &CLSID_MyObject>, public IMyInterface
//     {
//     public:
//         DECLARE_REGISTRY_RESOURCEID(103)
//         BEGIN_COM_MAP(CMyObject)
//             COM_INTERFACE_ENTRY(IMyInterface)
//         END_COM_MAP()
//     };
//     OBJECT_ENTRY_AUTO(CLSID_MyObject, CMyObject)
//
// Every COM method of the kit is a barrier no exception crosses; the methods a class adds must
// catch at their own entries (AfxCallbackBarrier).
#pragma once

#include "exception.h"
#include "handles.h"
#include "module.h"
#include "registrar.h"

#include <objbase.h>
#include <oleauto.h>

#include <climits>
#include <new>

// ---------------------------------------------------------------------------------------------
// Thread models: how an object's reference count changes.

class CComSingleThreadModel
{
public:
    static ULONG WINAPI Increment(LONG* p) noexcept { return static_cast<ULONG>(++(*p)); }
    static ULONG WINAPI Decrement(LONG* p) noexcept { return static_cast<ULONG>(--(*p)); }
};

class CComMultiThreadModel
{
public:
    static ULONG WINAPI Increment(LONG* p) noexcept { return static_cast<ULONG>(InterlockedIncrement(p)); }
    static ULONG WINAPI Decrement(LONG* p) noexcept { return static_cast<ULONG>(InterlockedDecrement(p)); }
};

// ---------------------------------------------------------------------------------------------
// The module: lock count, type library and registration.

class CAtlModule;
// The module object of the module this header is compiled into.
inline CAtlModule* _pAtlModule = nullptr;

class CAtlModule
{
public:
    CAtlModule() noexcept : m_hInstance(reinterpret_cast<HINSTANCE>(&__ImageBase)) { _pAtlModule = this; }
    virtual ~CAtlModule()
    {
        if (_pAtlModule == this)
            _pAtlModule = nullptr;
    }
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;

    virtual LONG Lock() noexcept { return InterlockedIncrement(&m_nLockCnt); }
    virtual LONG Unlock() noexcept { return InterlockedDecrement(&m_nLockCnt); }
    virtual LONG GetLockCount() noexcept { return InterlockedCompareExchange(&m_nLockCnt, 0, 0); }

    // Replacements every script of the module gets (the AppID).
    virtual HRESULT AddCommonRGSReplacements(CRegObject* pRegistrar) = 0;

    // Runs a REGISTRY resource of the module with MODULE and MODULE_RAW (the module's full
    // path, single quotes doubled for the script's quoted text), the common replacements and
    // pMapEntries (ended by an entry with a null key).
    HRESULT UpdateRegistryFromResource(UINT nResID, BOOL bRegister, const _ATL_REGMAP_ENTRY* pMapEntries = nullptr)
    {
        CRegObject registrar;
        CString path = AfxGetModuleFileName(m_hInstance);
        if (path.IsEmpty())
            return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND);
        path.Replace(L"'", L"''");
        HRESULT hr = AddCommonRGSReplacements(&registrar);
        if (SUCCEEDED(hr))
            hr = registrar.AddReplacement(L"MODULE", path);
        if (SUCCEEDED(hr))
            hr = registrar.AddReplacement(L"MODULE_RAW", path);
        for (const _ATL_REGMAP_ENTRY* e = pMapEntries; SUCCEEDED(hr) && e && e->szKey; ++e)
            hr = registrar.AddReplacement(e->szKey, e->szData);
        if (FAILED(hr))
            return hr;
        return bRegister ? registrar.ResourceRegister(m_hInstance, nResID, L"REGISTRY")
                         : registrar.ResourceUnregister(m_hInstance, nResID, L"REGISTRY");
    }

    inline static GUID m_libid = {};
    LONG m_nLockCnt = 0;
    HINSTANCE m_hInstance;
};

// clang-format off
#define DECLARE_LIBID(libid) \
    static void InitLibId() noexcept { CAtlModule::m_libid = libid; }

#define DECLARE_REGISTRY_APPID_RESOURCEID(resid, appid)                               \
    static LPCOLESTR GetAppId() noexcept { return appid; }                            \
    static HRESULT WINAPI UpdateRegistryAppId(BOOL bRegister) noexcept                \
    {                                                                                 \
        return AfxCallbackBarrier(                                                    \
            [&] {                                                                     \
                _ATL_REGMAP_ENTRY entries[] = {{L"APPID", GetAppId()}, {nullptr, nullptr}}; \
                return _pAtlModule->UpdateRegistryFromResource(resid, bRegister, entries); \
            },                                                                        \
            E_UNEXPECTED);                                                            \
    }

#define DECLARE_REGISTRY_RESOURCEID(resid)                                            \
    static HRESULT WINAPI UpdateRegistry(BOOL bRegister) noexcept                     \
    {                                                                                 \
        return AfxCallbackBarrier([&] { return _pAtlModule->UpdateRegistryFromResource(resid, bRegister); }, \
                                  E_UNEXPECTED);                                      \
    }

// clang-format on

typedef HRESULT(WINAPI _ATL_CREATORFUNC)(void* pv, REFIID riid, LPVOID* ppv);

// One served class; OBJECT_ENTRY_AUTO links it into the module's list.
struct _ATL_OBJMAP_ENTRY
{
    const CLSID* pclsid;
    HRESULT(WINAPI* pfnUpdateRegistry)(BOOL bRegister);
    _ATL_CREATORFUNC* pfnCreateInstance;
    _ATL_OBJMAP_ENTRY* pNext;
};

inline _ATL_OBJMAP_ENTRY* _AtlObjMapHead = nullptr;

struct _AtlObjMapAutoLink
{
    explicit _AtlObjMapAutoLink(_ATL_OBJMAP_ENTRY& entry) noexcept
    {
        _ATL_OBJMAP_ENTRY** pp = &_AtlObjMapHead;
        while (*pp)
            pp = &(*pp)->pNext;
        *pp = &entry;
    }
};

// clang-format off
#define OBJECT_ENTRY_AUTO(clsid, class)                                                            \
    static _ATL_OBJMAP_ENTRY __objMap_##class = {&clsid, &class ::UpdateRegistry,                  \
                                                 &class ::_CreatorClass::CreateInstance, nullptr}; \
    static const _AtlObjMapAutoLink __objMapLink_##class(__objMap_##class);
// clang-format on

template <class T>
class CAtlModuleT : public CAtlModule
{
public:
    CAtlModuleT() noexcept { T::InitLibId(); }

    static void InitLibId() noexcept {}
    static LPCOLESTR GetAppId() noexcept { return L""; }
    static HRESULT WINAPI UpdateRegistryAppId(BOOL) noexcept { return S_OK; }

    HRESULT AddCommonRGSReplacements(CRegObject* pRegistrar) override
    {
        return pRegistrar->AddReplacement(L"APPID", T::GetAppId());
    }
};

// An in-process server: the four exported entry points forward to these.
template <class T>
class CAtlDllModuleT : public CAtlModuleT<T>
{
public:
    HRESULT DllCanUnloadNow() noexcept { return this->GetLockCount() == 0 ? S_OK : S_FALSE; }

    HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) noexcept
    {
        return AfxCallbackBarrier([&] { return static_cast<T*>(this)->GetClassObject(rclsid, riid, ppv); },
                                  E_UNEXPECTED);
    }

    // The AppID script, then the classes and the type library.
    HRESULT DllRegisterServer(BOOL bRegTypeLib = TRUE) noexcept
    {
        return AfxCallbackBarrier(
            [&]
            {
                HRESULT hr = T::UpdateRegistryAppId(TRUE);
                if (SUCCEEDED(hr))
                    hr = static_cast<T*>(this)->RegisterServer(bRegTypeLib);
                return hr;
            },
            E_UNEXPECTED);
    }

    // The classes and the type library, then (when that worked) the AppID script.
    HRESULT DllUnregisterServer(BOOL bUnRegTypeLib = TRUE) noexcept
    {
        return AfxCallbackBarrier(
            [&]
            {
                HRESULT hr = static_cast<T*>(this)->UnregisterServer(bUnRegTypeLib);
                if (SUCCEEDED(hr))
                    hr = T::UpdateRegistryAppId(FALSE);
                return hr;
            },
            E_UNEXPECTED);
    }

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

    HRESULT RegisterServer(BOOL bRegTypeLib = FALSE)
    {
        for (_ATL_OBJMAP_ENTRY* e = _AtlObjMapHead; e; e = e->pNext)
        {
            const HRESULT hr = e->pfnUpdateRegistry(TRUE);
            if (FAILED(hr))
                return hr;
        }
        return bRegTypeLib ? AtlRegisterTypeLib(this->m_hInstance, nullptr) : S_OK;
    }

    HRESULT UnregisterServer(BOOL bUnRegTypeLib)
    {
        for (_ATL_OBJMAP_ENTRY* e = _AtlObjMapHead; e; e = e->pNext)
        {
            const HRESULT hr = e->pfnUpdateRegistry(FALSE);
            if (FAILED(hr))
                return hr;
        }
        return bUnRegTypeLib ? AtlUnRegisterTypeLib(this->m_hInstance, nullptr) : S_OK;
    }
};

// ---------------------------------------------------------------------------------------------
// Objects: reference counts, interface tables, aggregation.

struct _ATL_INTMAP_ENTRY
{
    const IID* piid; // null ends the table
    DWORD_PTR dw;    // offset of the interface in the object
};

// clang-format off
#define offsetofclass(base, derived) \
    (reinterpret_cast<DWORD_PTR>(static_cast<base*>(reinterpret_cast<derived*>(8))) - 8)

// The first entry is also the object's IUnknown.
#define BEGIN_COM_MAP(x)                                                                   \
public:                                                                                    \
    typedef x _ComMapClass;                                                                \
    HRESULT _InternalQueryInterface(REFIID iid, void** ppvObject) noexcept                 \
    {                                                                                      \
        return this->InternalQueryInterface(this, _GetEntries(), iid, ppvObject);          \
    }                                                                                      \
    static const _ATL_INTMAP_ENTRY* _GetEntries() noexcept                                 \
    {                                                                                      \
        static const _ATL_INTMAP_ENTRY _entries[] = {
#define COM_INTERFACE_ENTRY_IID(iid, x) {&(iid), offsetofclass(x, _ComMapClass)},
#define COM_INTERFACE_ENTRY(x) COM_INTERFACE_ENTRY_IID(__uuidof(x), x)
// Interface x reached through base x2 (an IDispatch that several bases share, say).
#define COM_INTERFACE_ENTRY2(x, x2)                                                                \
    {&__uuidof(x), reinterpret_cast<DWORD_PTR>(static_cast<x*>(static_cast<x2*>(                   \
                       reinterpret_cast<_ComMapClass*>(8)))) - 8},
#define END_COM_MAP()    \
    {nullptr, 0}};       \
        return _entries; \
    }
// clang-format on

class CComObjectRootBase
{
public:
    CComObjectRootBase() noexcept : m_dwRef(0) {}

    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    HRESULT _AtlInitialConstruct() { return S_OK; }
    void SetVoid(void*) noexcept {}

    ULONG OuterAddRef() noexcept { return m_pOuterUnknown->AddRef(); }
    ULONG OuterRelease() noexcept { return m_pOuterUnknown->Release(); }
    HRESULT OuterQueryInterface(REFIID iid, void** ppvObject) noexcept
    {
        return m_pOuterUnknown->QueryInterface(iid, ppvObject);
    }

    static HRESULT WINAPI InternalQueryInterface(void* pThis, const _ATL_INTMAP_ENTRY* pEntries, REFIID iid,
                                                 void** ppvObject) noexcept
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        const bool unknown = InlineIsEqualGUID(iid, IID_IUnknown);
        for (const _ATL_INTMAP_ENTRY* e = pEntries; e->piid; ++e)
        {
            if (unknown || InlineIsEqualGUID(iid, *e->piid))
            {
                auto* p = reinterpret_cast<IUnknown*>(reinterpret_cast<DWORD_PTR>(pThis) + e->dw);
                p->AddRef();
                *ppvObject = p;
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

    // The count of a stand-alone object, or the controlling unknown of an aggregated one.
    union
    {
        LONG m_dwRef;
        IUnknown* m_pOuterUnknown;
    };
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase
{
public:
    typedef ThreadModel _ThreadModel;
    ULONG InternalAddRef() noexcept { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() noexcept { return ThreadModel::Decrement(&m_dwRef); }
};

inline void AtlModuleLock() noexcept
{
    if (_pAtlModule)
        _pAtlModule->Lock();
}

inline void AtlModuleUnlock() noexcept
{
    if (_pAtlModule)
        _pAtlModule->Unlock();
}

// Counts a reference of a stand-alone or aggregated object down; the last one deletes it.
template <class T>
ULONG AtlReleaseObject(T* pObject) noexcept
{
    const ULONG l = pObject->InternalRelease();
    if (l == 0)
        delete pObject;
    return l;
}

// A stand-alone object; it holds a module lock while it lives.
template <class Base>
class CComObject : public Base
{
public:
    typedef Base _BaseClass;
    explicit CComObject(void* = nullptr) { AtlModuleLock(); }
    virtual ~CComObject()
    {
        this->m_dwRef = -(LONG_MAX / 2); // a stray AddRef/Release in FinalRelease does not delete again
        this->FinalRelease();
        AtlModuleUnlock();
    }
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override { return AtlReleaseObject(this); }
    STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) noexcept override
    {
        return this->_InternalQueryInterface(iid, ppvObject);
    }
};

// The inner object of an aggregate: its interfaces delegate to the controlling unknown.
template <class Base>
class CComContainedObject : public Base
{
public:
    typedef Base _BaseClass;
    explicit CComContainedObject(void* pv) noexcept { this->m_pOuterUnknown = static_cast<IUnknown*>(pv); }

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->OuterAddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override { return this->OuterRelease(); }
    STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) noexcept override
    {
        return this->OuterQueryInterface(iid, ppvObject);
    }
};

// An aggregated object: its own IUnknown counts and answers for the contained object.
template <class contained>
class CComAggObject : public IUnknown, public CComObjectRootEx<typename contained::_ThreadModel>
{
public:
    typedef contained _BaseClass;
    explicit CComAggObject(void* pv) : m_contained(pv) { AtlModuleLock(); }
    virtual ~CComAggObject()
    {
        this->m_dwRef = -(LONG_MAX / 2);
        FinalRelease();
        AtlModuleUnlock();
    }
    CComAggObject(const CComAggObject&) = delete;
    CComAggObject& operator=(const CComAggObject&) = delete;

    HRESULT _AtlInitialConstruct() { return m_contained._AtlInitialConstruct(); }
    HRESULT FinalConstruct() { return m_contained.FinalConstruct(); }
    void FinalRelease() { m_contained.FinalRelease(); }
    void SetVoid(void* pv) noexcept { m_contained.SetVoid(pv); }

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override { return AtlReleaseObject(this); }
    STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject) noexcept override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown))
        {
            *ppvObject = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(iid, ppvObject);
    }

    CComContainedObject<contained> m_contained;
};

// Creators: make an object, run its FinalConstruct and hand out the requested interface.
template <class T1>
class CComCreator
{
public:
    static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, LPVOID* ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        T1* p = new (std::nothrow) T1(pv);
        if (!p)
            return E_OUTOFMEMORY;
        HRESULT hr = E_UNEXPECTED;
        try
        {
            p->SetVoid(pv);
            hr = p->_AtlInitialConstruct();
            if (SUCCEEDED(hr))
                hr = p->FinalConstruct();
            if (SUCCEEDED(hr))
                hr = p->QueryInterface(riid, ppv);
        }
        catch (...)
        {
            delete p;
            throw;
        }
        if (FAILED(hr))
            delete p;
        return hr;
    }
};

template <HRESULT hrFail>
class CComFailCreator
{
public:
    static HRESULT WINAPI CreateInstance(void*, REFIID, LPVOID* ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        return hrFail;
    }
};

// T1 without an outer object, T2 with one.
template <class T1, class T2>
class CComCreator2
{
public:
    static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, LPVOID* ppv)
    {
        return pv ? T2::CreateInstance(pv, riid, ppv) : T1::CreateInstance(pv, riid, ppv);
    }
};

// clang-format off
#define DECLARE_AGGREGATABLE(x) \
public:                         \
    typedef CComCreator2<CComCreator<CComObject<x>>, CComCreator<CComAggObject<x>>> _CreatorClass;
#define DECLARE_NOT_AGGREGATABLE(x) \
public:                             \
    typedef CComCreator2<CComCreator<CComObject<x>>, CComFailCreator<CLASS_E_NOAGGREGATION>> _CreatorClass;
// clang-format on

// The class factory of one class. A client's reference holds the module lock, and so does
// each LockServer(TRUE) until its LockServer(FALSE).
class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComMultiThreadModel>
{
public:
    BEGIN_COM_MAP(CComClassFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    STDMETHOD(CreateInstance)(LPUNKNOWN pUnkOuter, REFIID riid, void** ppvObj) noexcept override
    {
        return AfxCallbackBarrier(
            [&]() -> HRESULT
            {
                if (!ppvObj)
                    return E_POINTER;
                *ppvObj = nullptr;
                // An aggregated object hands out its inner IUnknown and nothing else.
                if (pUnkOuter && !InlineIsEqualGUID(riid, IID_IUnknown))
                    return CLASS_E_NOAGGREGATION;
                if (!m_pfnCreateInstance)
                    return E_UNEXPECTED;
                return m_pfnCreateInstance(pUnkOuter, riid, ppvObj);
            },
            E_UNEXPECTED);
    }

    STDMETHOD(LockServer)(BOOL fLock) noexcept override
    {
        if (fLock)
            AtlModuleLock();
        else
            AtlModuleUnlock();
        return S_OK;
    }

    _ATL_CREATORFUNC* m_pfnCreateInstance = nullptr;
};

template <class T>
HRESULT CAtlDllModuleT<T>::GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (_ATL_OBJMAP_ENTRY* e = _AtlObjMapHead; e; e = e->pNext)
    {
        if (!InlineIsEqualGUID(rclsid, *e->pclsid))
            continue;
        auto* pFactory = new (std::nothrow) CComObject<CComClassFactory>();
        if (!pFactory)
            return E_OUTOFMEMORY;
        pFactory->m_pfnCreateInstance = e->pfnCreateInstance;
        const HRESULT hr = pFactory->QueryInterface(riid, ppv);
        if (FAILED(hr))
            delete pFactory;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// A creatable class: aggregatable unless it declares otherwise.
template <class T, const CLSID* pclsid = &CLSID_NULL>
class CComCoClass
{
public:
    DECLARE_AGGREGATABLE(T)
    static const CLSID& WINAPI GetObjectCLSID() noexcept { return *pclsid; }
};

// ---------------------------------------------------------------------------------------------
// IDispatch through the type information of the interface, from the type library among the
// resources of the module that serves it.

template <class T, const IID* piid, const GUID* plibid, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public T
{
public:
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) noexcept override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }

    STDMETHOD(GetTypeInfo)(UINT itinfo, LCID, ITypeInfo** pptinfo) noexcept override
    {
        if (!pptinfo)
            return E_POINTER;
        *pptinfo = nullptr;
        if (itinfo != 0)
            return DISP_E_BADINDEX;
        return AfxCallbackBarrier([&] { return LoadTypeInfo(pptinfo); }, E_UNEXPECTED);
    }

    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgdispid) noexcept override
    {
        return AfxCallbackBarrier(
            [&]() -> HRESULT
            {
                CUniqueComPtr<ITypeInfo> info;
                HRESULT hr = LoadTypeInfo(info.put());
                return SUCCEEDED(hr) ? info->GetIDsOfNames(rgszNames, cNames, rgdispid) : hr;
            },
            E_UNEXPECTED);
    }

    STDMETHOD(Invoke)
    (DISPID dispidMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pdispparams, VARIANT* pvarResult,
     EXCEPINFO* pexcepinfo, UINT* puArgErr) noexcept override
    {
        if (!InlineIsEqualGUID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        return AfxCallbackBarrier(
            [&]() -> HRESULT
            {
                CUniqueComPtr<ITypeInfo> info;
                HRESULT hr = LoadTypeInfo(info.put());
                if (FAILED(hr))
                    return hr;
                return info->Invoke(static_cast<T*>(this), dispidMember, wFlags, pdispparams, pvarResult, pexcepinfo,
                                    puArgErr);
            },
            E_UNEXPECTED);
    }

private:
    static HRESULT LoadTypeInfo(ITypeInfo** ppInfo)
    {
        CUniqueBstr path;
        CUniqueComPtr<ITypeLib> library;
        HRESULT hr = AtlLoadTypeLib(reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr, path.put(), library.put());
        if (FAILED(hr))
            hr = LoadRegTypeLib(*plibid, wMajor, wMinor, LOCALE_NEUTRAL, library.put());
        return SUCCEEDED(hr) ? library->GetTypeInfoOfGuid(*piid, ppInfo) : hr;
    }
};
