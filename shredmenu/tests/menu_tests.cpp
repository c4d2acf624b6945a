#include "shredmenu_test_support.h"

#include <gtest/gtest.h>

using namespace shredtest;

namespace
{
const UINT kFirst = 100;
const UINT kLast = 200;

// A host menu with one item of its own, as Explorer's has many.
class HostMenu
{
public:
    HostMenu() : m_hMenu(CreatePopupMenu()) { AppendMenuW(m_hMenu, MF_STRING, 1, L"Open"); }
    ~HostMenu() { DestroyMenu(m_hMenu); }
    HostMenu(const HostMenu&) = delete;
    HostMenu& operator=(const HostMenu&) = delete;
    operator HMENU() const { return m_hMenu; }

private:
    HMENU m_hMenu;
};

class MenuTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(S_OK, ServerModule().Register()); }
    static void TearDownTestSuite() { ServerModule().Unregister(); }

    std::wstring HelpText(const CUniqueComPtr<IContextMenu>& menu, UINT_PTR command)
    {
        wchar_t text[128] = {};
        EXPECT_EQ(S_OK, menu->GetCommandString(command, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(text), 128));
        return text;
    }

    CComApartment m_apartment;
    ServerModule m_server;
};

// A drive letter with no drive behind it: neither fixed nor remote.
std::wstring UnusedDriveRoot()
{
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter)
    {
        if (!(drives & (1u << (letter - L'A'))))
            return std::wstring(1, letter) + L":\\";
    }
    return std::wstring();
}
} // namespace

TEST_F(MenuTest, TheObjectServesItsInterfacesAndAggregates)
{
    CUniqueComPtr<IShellExtInit> init = CreateHandler();
    ASSERT_TRUE(init);
    CUniqueComPtr<IContextMenu> menu;
    CUniqueComPtr<IShredMenuExt> own;
    CUniqueComPtr<IDispatch> dispatch;
    EXPECT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, menu.put_void()));
    EXPECT_EQ(S_OK, init->QueryInterface(IID_IShredMenuExt, own.put_void()));
    EXPECT_EQ(S_OK, init->QueryInterface(IID_IDispatch, dispatch.put_void()));

    // The dual interface is described by the server's type library.
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    CUniqueComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_NEUTRAL, info.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(IID_IShredMenuExt, attr->guid));
    info->ReleaseTypeAttr(attr);

    // Aggregated: the inner unknown only, and the interfaces behind it.
    struct Outer : IUnknown
    {
        STDMETHOD(QueryInterface)(REFIID, void** ppv) override
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHOD_(ULONG, AddRef)() override { return 2; }
        STDMETHOD_(ULONG, Release)() override { return 1; }
    } controller;
    CUniqueComPtr<IUnknown> inner;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_ShredMenuExt, &controller, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.put_void()));
    CUniqueComPtr<IContextMenu> innerMenu;
    EXPECT_EQ(S_OK, inner->QueryInterface(IID_IContextMenu, innerMenu.put_void()));
    void* p = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              CoCreateInstance(CLSID_ShredMenuExt, &controller, CLSCTX_INPROC_SERVER, IID_IContextMenu, &p));
}

TEST_F(MenuTest, TheServerStaysWhileAnInstanceOrAFactoryLockLives)
{
    ASSERT_EQ(S_OK, m_server.CanUnloadNow());
    {
        CUniqueComPtr<IShellExtInit> init = CreateHandler();
        ASSERT_TRUE(init);
        EXPECT_EQ(S_FALSE, m_server.CanUnloadNow());
    }
    EXPECT_EQ(S_OK, m_server.CanUnloadNow());

    CUniqueComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(CLSID_ShredMenuExt, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, m_server.CanUnloadNow());
    ASSERT_EQ(S_OK, CoGetClassObject(CLSID_ShredMenuExt, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.reset();
    EXPECT_EQ(S_OK, m_server.CanUnloadNow());
}

TEST_F(MenuTest, InitializeWantsAFileList)
{
    CUniqueComPtr<IShellExtInit> init = CreateHandler();
    ASSERT_TRUE(init);
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, nullptr, nullptr));
    IDataObject* noDrop = new DropDataObject({L"C:\\a.txt"}, false);
    EXPECT_EQ(E_INVALIDARG, init->Initialize(nullptr, noDrop, nullptr));
    noDrop->Release();
    EXPECT_EQ(E_INVALIDARG, InitializeWith(init.get(), {}));
    EXPECT_EQ(S_OK, InitializeWith(init.get(), {L"C:\\a.txt"}));
}

TEST_F(MenuTest, FilesGetDeleteAndEncryptInTheProductSubmenu)
{
    for (const auto& names : {std::vector<std::wstring>{L"C:\\users\\one.txt"},
                              std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b", L"C:\\c.doc"}})
    {
        SCOPED_TRACE(names.size());
        CUniqueComPtr<IContextMenu> menu = MenuFor(names);
        ASSERT_TRUE(menu);
        HostMenu host;
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 2),
                  menu->QueryContextMenu(host, 0, kFirst, kLast, CMF_NORMAL));
        ASSERT_EQ(2, GetMenuItemCount(host));
        const MenuItem product = ReadMenuItem(host, 0);
        EXPECT_EQ(L"&Lumasweep", product.text);
        EXPECT_EQ(kFirst + 1, product.id);
        ASSERT_NE(nullptr, product.hSubMenu);
        EXPECT_EQ(L"Open", ReadMenuItem(host, 1).text);

        ASSERT_EQ(2, GetMenuItemCount(product.hSubMenu));
        const MenuItem remove = ReadMenuItem(product.hSubMenu, 0);
        const MenuItem encrypt = ReadMenuItem(product.hSubMenu, 1);
        EXPECT_EQ(L"Secure Delete", remove.text);
        EXPECT_EQ(kFirst, remove.id);
        EXPECT_EQ(L"Secure Encrypt", encrypt.text);
        EXPECT_EQ(kFirst + 1, encrypt.id);
        EXPECT_NE(nullptr, remove.hUnchecked);
        EXPECT_NE(nullptr, encrypt.hUnchecked);
        EXPECT_NE(remove.hUnchecked, encrypt.hUnchecked);
        EXPECT_EQ(nullptr, remove.hChecked);
        EXPECT_EQ(nullptr, encrypt.hChecked);

        EXPECT_EQ(L"Securely delete selected file(s) or folder(s)", HelpText(menu, 0));
        EXPECT_EQ(L"Orvain utilities", HelpText(menu, 1));
    }
}

TEST_F(MenuTest, TheMenuPicturesGoWithTheHandler)
{
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\a.txt"});
    ASSERT_TRUE(menu);
    HostMenu host;
    menu->QueryContextMenu(host, 0, kFirst, kLast, CMF_NORMAL);
    const MenuItem product = ReadMenuItem(host, 0);
    const HBITMAP pictures[] = {ReadMenuItem(product.hSubMenu, 0).hUnchecked,
                                ReadMenuItem(product.hSubMenu, 1).hUnchecked};
    for (HBITMAP picture : pictures)
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(picture));
    menu.reset();
    for (HBITMAP picture : pictures)
        EXPECT_EQ(0u, GetObjectType(picture));
}

TEST_F(MenuTest, AFixedDriveGetsOnlyTheWipeCommand)
{
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeW(L"C:\\"));
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\"});
    ASSERT_TRUE(menu);
    HostMenu host;
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 2), menu->QueryContextMenu(host, 1, kFirst, kLast, 0));
    ASSERT_EQ(2, GetMenuItemCount(host));
    const MenuItem product = ReadMenuItem(host, 1);
    EXPECT_EQ(L"&Lumasweep", product.text);
    EXPECT_EQ(kFirst + 1, product.id);
    ASSERT_EQ(1, GetMenuItemCount(product.hSubMenu));
    const MenuItem wipe = ReadMenuItem(product.hSubMenu, 0);
    EXPECT_EQ(L"Securely Wipe", wipe.text);
    EXPECT_EQ(kFirst, wipe.id);
    EXPECT_NE(nullptr, wipe.hUnchecked);
    EXPECT_EQ(L"Securely delete ALL disk data", HelpText(menu, 0));
}

TEST_F(MenuTest, NothingIsAddedForOtherDrivesDefaultOnlyMenusOrTooFewIdentifiers)
{
    const std::wstring unused = UnusedDriveRoot();
    ASSERT_FALSE(unused.empty());
    ASSERT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeW(unused.c_str()));
    {
        CUniqueComPtr<IContextMenu> menu = MenuFor({unused, L"C:\\a.txt"});
        ASSERT_TRUE(menu);
        HostMenu host;
        EXPECT_EQ(S_OK, menu->QueryContextMenu(host, 0, kFirst, kLast, CMF_NORMAL));
        EXPECT_EQ(1, GetMenuItemCount(host));
    }
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\a.txt"});
    ASSERT_TRUE(menu);
    HostMenu host;
    EXPECT_EQ(S_OK, menu->QueryContextMenu(host, 0, kFirst, kLast, CMF_DEFAULTONLY));
    EXPECT_EQ(1, GetMenuItemCount(host));
    // Two identifiers are needed; with one left, the handler takes none rather than another's.
    EXPECT_EQ(S_OK, menu->QueryContextMenu(host, 0, kFirst, kFirst, CMF_NORMAL));
    EXPECT_EQ(1, GetMenuItemCount(host));
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 2),
              menu->QueryContextMenu(host, 0, kFirst, kFirst + 1, CMF_NORMAL));
}

TEST_F(MenuTest, GetCommandStringAnswersEveryFlag)
{
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\a.txt"});
    ASSERT_TRUE(menu);
    const std::string untouched = "untouched";
    for (UINT flag : {static_cast<UINT>(GCS_VERBA), static_cast<UINT>(GCS_VALIDATEA)})
    {
        char buffer[64] = "untouched";
        EXPECT_EQ(S_OK, menu->GetCommandString(0, flag, nullptr, buffer, 64)) << flag;
        EXPECT_EQ(untouched, buffer);
        EXPECT_EQ(S_OK, menu->GetCommandString(7, flag, nullptr, buffer, 64)) << flag;
    }

    char ansi[64] = {};
    EXPECT_EQ(S_OK, menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, ansi, 64));
    EXPECT_STREQ("Securely delete selected file(s) or folder(s)", ansi);
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, ansi, 64));
    EXPECT_STREQ("Orvain utilities", ansi);
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, ansi, 6));
    EXPECT_STREQ("Orvai", ansi);

    for (UINT flag : {static_cast<UINT>(GCS_VERBW), static_cast<UINT>(GCS_HELPTEXTW), static_cast<UINT>(GCS_VALIDATEW)})
    {
        wchar_t wide[64] = {};
        EXPECT_EQ(S_OK, menu->GetCommandString(1, flag, nullptr, reinterpret_cast<LPSTR>(wide), 64)) << flag;
        EXPECT_STREQ(L"Orvain utilities", wide);
        EXPECT_EQ(S_OK, menu->GetCommandString(0, flag, nullptr, reinterpret_cast<LPSTR>(wide), 10)) << flag;
        EXPECT_STREQ(L"Securely ", wide);
        EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(2, flag, nullptr, reinterpret_cast<LPSTR>(wide), 64)) << flag;
    }
    EXPECT_EQ(E_INVALIDARG, menu->GetCommandString(2, GCS_HELPTEXTA, nullptr, ansi, 64));

    // No buffer, or no room in it: nothing is written.
    char sentinel[4] = "abc";
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, sentinel, 0));
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, sentinel, 0));
    EXPECT_STREQ("abc", sentinel);
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, nullptr, 64));
    EXPECT_EQ(S_OK, menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, nullptr, 64));
}
