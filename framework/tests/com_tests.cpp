#include <framework/com.h>

#include <gtest/gtest.h>

#include <stdexcept>

struct IWidget : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Ping(LONG* pValue) = 0;
};
__CRT_UUID_DECL(IWidget, 0x6e9a7c50, 0x2d5b, 0x4f0a, 0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x01)

struct IGadget : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Twist(LONG n) = 0;
};
__CRT_UUID_DECL(IGadget, 0x6e9a7c50, 0x2d5b, 0x4f0a, 0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x02)

struct IOuterOnly : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Outer() = 0;
};
__CRT_UUID_DECL(IOuterOnly, 0x6e9a7c50, 0x2d5b, 0x4f0a, 0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x03)

namespace
{
const CLSID CLSID_TestWidget = {0x6e9a7c50, 0x2d5b, 0x4f0a, {0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x10}};
const CLSID CLSID_TestSolo = {0x6e9a7c50, 0x2d5b, 0x4f0a, {0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x11}};
const CLSID CLSID_Unknown = {0x6e9a7c50, 0x2d5b, 0x4f0a, {0x9c, 0x11, 0x1b, 0x6d, 0x5e, 0x0f, 0x7a, 0x12}};
} // namespace

class CTestModule : public CAtlDllModuleT<CTestModule>
{
};
CTestModule _AtlModule;

class CWidget : public CComObjectRootEx<CComSingleThreadModel>,
                public CComCoClass<CWidget, &CLSID_TestWidget>,
                public IWidget,
                public IGadget
{
public:
    static HRESULT WINAPI UpdateRegistry(BOOL) { return S_OK; }

    BEGIN_COM_MAP(CWidget)
        COM_INTERFACE_ENTRY(IWidget)
        COM_INTERFACE_ENTRY(IGadget)
    END_COM_MAP()

    HRESULT FinalConstruct()
    {
        if (s_bThrowInFinalConstruct)
            throw std::runtime_error("construction failed");
        return s_hrFinalConstruct;
    }
    void FinalRelease() { ++s_nFinalReleases; }

    STDMETHOD(Ping)(LONG* pValue) override
    {
        *pValue = m_nValue;
        return S_OK;
    }
    STDMETHOD(Twist)(LONG n) override
    {
        m_nValue = n;
        return S_OK;
    }

    LONG m_nValue = 0;
    static inline int s_nFinalReleases = 0;
    static inline HRESULT s_hrFinalConstruct = S_OK;
    static inline bool s_bThrowInFinalConstruct = false;
};
OBJECT_ENTRY_AUTO(CLSID_TestWidget, CWidget)

class CSolo : public CComObjectRootEx<CComSingleThreadModel>, public CComCoClass<CSolo, &CLSID_TestSolo>, public IWidget
{
public:
    DECLARE_NOT_AGGREGATABLE(CSolo)
    static HRESULT WINAPI UpdateRegistry(BOOL) { return S_OK; }

    BEGIN_COM_MAP(CSolo)
        COM_INTERFACE_ENTRY(IWidget)
    END_COM_MAP()

    STDMETHOD(Ping)(LONG* pValue) override
    {
        *pValue = 1;
        return S_OK;
    }
};
OBJECT_ENTRY_AUTO(CLSID_TestSolo, CSolo)

namespace
{
// A hand-written controlling object that aggregates a widget.
class COuter : public IOuterOnly
{
public:
    STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override
    {
        *ppv = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown) || InlineIsEqualGUID(iid, __uuidof(IOuterOnly)))
        {
            *ppv = static_cast<IOuterOnly*>(this);
            AddRef();
            return S_OK;
        }
        return m_pInner ? m_pInner->QueryInterface(iid, ppv) : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++m_nRef); }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(--m_nRef); } // lives on the stack
    STDMETHOD(Outer)() override { return S_FALSE; }

    LONG m_nRef = 1;
    IUnknown* m_pInner = nullptr;
};

CUniqueComPtr<IClassFactory> Factory(REFCLSID clsid)
{
    CUniqueComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, _AtlModule.DllGetClassObject(clsid, IID_IClassFactory, factory.put_void()));
    return factory;
}

class ComKitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CWidget::s_nFinalReleases = 0;
        CWidget::s_hrFinalConstruct = S_OK;
        CWidget::s_bThrowInFinalConstruct = false;
        ASSERT_EQ(0, _AtlModule.GetLockCount());
    }
    void TearDown() override { EXPECT_EQ(0, _AtlModule.GetLockCount()); }
};
} // namespace

TEST_F(ComKitTest, TheLockCountFollowsObjectsFactoriesAndServerLocks)
{
    EXPECT_EQ(S_OK, _AtlModule.DllCanUnloadNow());
    CUniqueComPtr<IClassFactory> factory = Factory(CLSID_TestWidget);
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_FALSE, _AtlModule.DllCanUnloadNow()); // a factory reference holds the server

    CUniqueComPtr<IWidget> widget;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IWidget), widget.put_void()));
    EXPECT_EQ(2, _AtlModule.GetLockCount());
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    widget.reset();
    EXPECT_EQ(1, CWidget::s_nFinalReleases);
    EXPECT_EQ(1, _AtlModule.GetLockCount());
    EXPECT_EQ(S_FALSE, _AtlModule.DllCanUnloadNow());

    factory = Factory(CLSID_TestWidget);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(S_OK, _AtlModule.DllCanUnloadNow());
}

TEST_F(ComKitTest, TheClassListServesItsClassesOnly)
{
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, _AtlModule.DllGetClassObject(CLSID_Unknown, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, _AtlModule.DllGetClassObject(CLSID_TestWidget, IID_IClassFactory, nullptr));
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, _AtlModule.DllGetClassObject(CLSID_TestWidget, __uuidof(IWidget), &p));
    EXPECT_EQ(nullptr, p);
    CUniqueComPtr<IClassFactory> solo = Factory(CLSID_TestSolo);
    CUniqueComPtr<IWidget> widget;
    ASSERT_EQ(S_OK, solo->CreateInstance(nullptr, __uuidof(IWidget), widget.put_void()));
    LONG value = 0;
    EXPECT_EQ(S_OK, widget->Ping(&value));
    EXPECT_EQ(1, value);
}

TEST_F(ComKitTest, QueryInterfaceAnswersFromTheInterfaceTable)
{
    CUniqueComPtr<IWidget> widget;
    ASSERT_EQ(S_OK, Factory(CLSID_TestWidget)->CreateInstance(nullptr, __uuidof(IWidget), widget.put_void()));
    CUniqueComPtr<IGadget> gadget;
    ASSERT_EQ(S_OK, widget->QueryInterface(__uuidof(IGadget), gadget.put_void()));
    EXPECT_EQ(S_OK, gadget->Twist(9));
    LONG value = 0;
    widget->Ping(&value);
    EXPECT_EQ(9, value); // one object behind both interfaces

    CUniqueComPtr<IUnknown> unknown1, unknown2;
    ASSERT_EQ(S_OK, widget->QueryInterface(IID_IUnknown, unknown1.put_void()));
    ASSERT_EQ(S_OK, gadget->QueryInterface(IID_IUnknown, unknown2.put_void()));
    EXPECT_EQ(unknown1.get(), unknown2.get());

    IOuterOnly* missing = reinterpret_cast<IOuterOnly*>(1);
    EXPECT_EQ(E_NOINTERFACE, widget->QueryInterface(__uuidof(IOuterOnly), reinterpret_cast<void**>(&missing)));
    EXPECT_EQ(nullptr, missing);
    EXPECT_EQ(E_POINTER, widget->QueryInterface(__uuidof(IGadget), nullptr));
}

TEST_F(ComKitTest, AnAggregatedObjectDelegatesToItsControllingUnknown)
{
    COuter outer;
    CUniqueComPtr<IClassFactory> factory = Factory(CLSID_TestWidget);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, __uuidof(IWidget), &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, Factory(CLSID_TestSolo)->CreateInstance(&outer, IID_IUnknown, &p));

    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.m_pInner)));
    EXPECT_EQ(1, outer.m_nRef);

    IWidget* widget = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(__uuidof(IWidget), reinterpret_cast<void**>(&widget)));
    EXPECT_EQ(2, outer.m_nRef); // the inner interface counts on the outer object
    widget->AddRef();
    EXPECT_EQ(3, outer.m_nRef);

    IOuterOnly* outerOnly = nullptr;
    ASSERT_EQ(S_OK, widget->QueryInterface(__uuidof(IOuterOnly), reinterpret_cast<void**>(&outerOnly)));
    EXPECT_EQ(static_cast<IOuterOnly*>(&outer), outerOnly);
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, widget->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, outer.m_pInner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&inner)));
    EXPECT_EQ(outer.m_pInner, inner); // the inner unknown does not delegate
    inner->Release();

    outerOnly->Release();
    identity->Release();
    widget->Release();
    widget->Release();
    EXPECT_EQ(1, outer.m_nRef);
    EXPECT_EQ(0, CWidget::s_nFinalReleases);
    outer.m_pInner->Release();
    EXPECT_EQ(1, CWidget::s_nFinalReleases);
}

TEST_F(ComKitTest, AFailedConstructionLeavesNoObjectAndNoLock)
{
    CUniqueComPtr<IClassFactory> factory = Factory(CLSID_TestWidget);
    void* p = reinterpret_cast<void*>(1);
    CWidget::s_hrFinalConstruct = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, factory->CreateInstance(nullptr, __uuidof(IWidget), &p));
    EXPECT_EQ(nullptr, p);
    CWidget::s_hrFinalConstruct = S_OK;
    CWidget::s_bThrowInFinalConstruct = true;
    EXPECT_EQ(E_UNEXPECTED, factory->CreateInstance(nullptr, __uuidof(IWidget), &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, __uuidof(IWidget), nullptr));
    EXPECT_EQ(1, _AtlModule.GetLockCount()); // the factory only
}
