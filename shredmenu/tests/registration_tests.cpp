#include "shredmenu_test_support.h"

#include <framework/regkey.h>

#include <gtest/gtest.h>

#include <sddl.h>

using namespace shredtest;

namespace
{
const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClsid;
const wchar_t* const kHandlerOwners[] = {L"*", L"Folder", L"Drive"};

DWORD RunRegsvr32(const std::wstring& arguments)
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return RunAndWait(L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + arguments + L" \"" + ServerPath() +
                      L"\"");
}

void PlantExtra(const std::wstring& path)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CLASSES_ROOT, (path + L"\\Planted").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(L"Planted", L"x"));
    CRegKey parent;
    ASSERT_EQ(ERROR_SUCCESS, parent.Open(HKEY_CLASSES_ROOT, path.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, parent.SetStringValue(L"Planted", L"x"));
}

void ExpectRegistered()
{
    const std::wstring appIdKey = std::wstring(L"AppID\\") + kAppId;
    EXPECT_EQ(L"ShredMenu", ReadString(HKEY_CLASSES_ROOT, appIdKey, nullptr));
    EXPECT_EQ(std::wstring(kAppId), ReadString(HKEY_CLASSES_ROOT, L"AppID\\ShredMenu.dll", L"AppID"));

    EXPECT_EQ(L"ShredMenuExt Class", ReadString(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt.1", nullptr));
    EXPECT_EQ(std::wstring(kClsid), ReadString(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt.1\\CLSID", nullptr));
    EXPECT_EQ(L"ShredMenuExt Class", ReadString(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt", nullptr));
    EXPECT_EQ(std::wstring(kClsid), ReadString(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt\\CLSID", nullptr));
    EXPECT_EQ(L"ShredMenu.ShredMenuExt.1", ReadString(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt\\CurVer", nullptr));

    EXPECT_EQ(L"ShredMenuExt Class", ReadString(HKEY_CLASSES_ROOT, kClassKey, nullptr));
    EXPECT_EQ(std::wstring(kAppId), ReadString(HKEY_CLASSES_ROOT, kClassKey, L"AppID"));
    EXPECT_EQ(L"ShredMenu.ShredMenuExt.1", ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID", nullptr));
    EXPECT_EQ(L"ShredMenu.ShredMenuExt",
              ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\VersionIndependentProgID", nullptr));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable"));
    EXPECT_EQ(ServerPath(), ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", nullptr));
    EXPECT_EQ(L"Apartment", ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(std::wstring(kLibId), ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\TypeLib", nullptr));

    for (const wchar_t* owner : kHandlerOwners)
    {
        SCOPED_TRACE(testsupport::Utf8(owner));
        EXPECT_EQ(
            std::wstring(kClsid),
            ReadString(HKEY_CLASSES_ROOT, std::wstring(owner) + L"\\ShellEx\\ContextMenuHandlers\\SecureExt", nullptr));
    }
    EXPECT_EQ(L"ShredToolShellExt extension", ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsid));

    const std::wstring typeLib = std::wstring(L"TypeLib\\") + kLibId + L"\\1.0";
    EXPECT_EQ(L"ShredMenu 1.0 Type Library", ReadString(HKEY_CLASSES_ROOT, typeLib, nullptr));
    EXPECT_EQ(ServerPath(), ReadString(HKEY_CLASSES_ROOT, typeLib + L"\\0\\" + kTypeLibPlatform, nullptr));
}

void ExpectUnregistered()
{
    const wchar_t* const gone[] = {L"AppID\\ShredMenu.dll", L"ShredMenu.ShredMenuExt.1", L"ShredMenu.ShredMenuExt"};
    for (const wchar_t* key : gone)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << testsupport::Utf8(key);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kAppId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibId));
    EXPECT_EQ(std::nullopt, ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsid));
    for (const wchar_t* owner : kHandlerOwners)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(owner) + L"\\ShellEx\\ContextMenuHandlers\\SecureExt"));
}

// A throwaway key standing for HKEY_LOCAL_MACHINE, with an Approved key this user may only read,
// or with none at all.
class LockedMachineKey
{
public:
    explicit LockedMachineKey(bool withApprovedKey)
    {
        m_root.Open(HKEY_CURRENT_USER, m_key.Path().c_str());
        if (!withApprovedKey)
            return;
        CRegKey approved;
        approved.Create(m_root, kApprovedKey, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | WRITE_DAC);
        PSECURITY_DESCRIPTOR sd = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &sd, nullptr);
        RegSetKeySecurity(approved, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    HKEY Root() const { return m_root; }

private:
    testsupport::TempRegKey m_key;
    CRegKey m_root;
};

class RegistrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, m_server.Handle());
        m_server.Unregister();
    }
    void TearDown() override { m_server.Unregister(); }

    ServerModule m_server;
};
} // namespace

TEST_F(RegistrationTest, Regsvr32WritesEveryKeyAndSecondRegistrationReplacesTheForcedOnes)
{
    ASSERT_EQ(0u, RunRegsvr32(L""));
    ExpectRegistered();

    PlantExtra(kClassKey);
    PlantExtra(kClassKey + L"\\Programmable");
    for (const wchar_t* owner : kHandlerOwners)
        PlantExtra(std::wstring(owner) + L"\\ShellEx\\ContextMenuHandlers\\SecureExt");

    ASSERT_EQ(0u, RunRegsvr32(L""));
    ExpectRegistered();
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Planted"));
    EXPECT_EQ(std::nullopt, ReadString(HKEY_CLASSES_ROOT, kClassKey, L"Planted"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable\\Planted"));
    for (const wchar_t* owner : kHandlerOwners)
    {
        const std::wstring handler = std::wstring(owner) + L"\\ShellEx\\ContextMenuHandlers\\SecureExt";
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, handler + L"\\Planted")) << testsupport::Utf8(owner);
        EXPECT_EQ(std::nullopt, ReadString(HKEY_CLASSES_ROOT, handler, L"Planted"));
    }
}

TEST_F(RegistrationTest, Regsvr32UnregisterRemovesItsKeysAndKeepsTheSharedOnes)
{
    ASSERT_EQ(0u, RunRegsvr32(L""));
    ASSERT_EQ(0u, RunRegsvr32(L"/u"));
    ExpectUnregistered();
    const wchar_t* const kept[] = {L"AppID", L"CLSID"};
    for (const wchar_t* key : kept)
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key)) << testsupport::Utf8(key);
    for (const wchar_t* owner : kHandlerOwners)
    {
        SCOPED_TRACE(testsupport::Utf8(owner));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, owner));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(owner) + L"\\ShellEx"));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(owner) + L"\\ShellEx\\ContextMenuHandlers"));
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kApprovedKey));
}

TEST_F(RegistrationTest, WithoutTheRightToApproveNothingIsRegistered)
{
    for (bool withApprovedKey : {true, false})
    {
        SCOPED_TRACE(withApprovedKey ? "read-only Approved key" : "no Approved key");
        LockedMachineKey machine(withApprovedKey);
        {
            PredefinedKeyOverride scope(HKEY_LOCAL_MACHINE, machine.Root());
            EXPECT_EQ(E_ACCESSDENIED, m_server.Register());
        }
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"AppID\\") + kAppId));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Drive\\ShellEx\\ContextMenuHandlers\\SecureExt"));
    }
}

TEST_F(RegistrationTest, UnregistrationGoesOnWhenTheApprovalCannotBeRemoved)
{
    ASSERT_EQ(S_OK, m_server.Register());
    {
        LockedMachineKey machine(true);
        PredefinedKeyOverride scope(HKEY_LOCAL_MACHINE, machine.Root());
        EXPECT_EQ(S_OK, m_server.Unregister());
    }
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"ShredMenu.ShredMenuExt"));
    // The real approval stayed, as the override hid it; the fixture removes it.
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsid).has_value());
}

// The manifest that the isolation-aware server activates (resource 2) names the server's own
// architecture, for itself and for the common controls it binds: a 64-bit module naming x86
// gets no activation context from 64-bit Windows.
TEST(ServerManifest, NamesTheServersOwnArchitecture)
{
    ServerModule server;
    ASSERT_NE(nullptr, server.Handle());
    HRSRC resource = FindResourceW(server.Handle(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, resource);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(server.Handle(), resource))),
                               SizeofResource(server.Handle(), resource));
    const auto count = [&manifest](const std::string& what)
    {
        size_t n = 0;
        for (size_t at = manifest.find(what); at != std::string::npos; at = manifest.find(what, at + 1))
            ++n;
        return n;
    };
    const std::string own = sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    EXPECT_EQ(2u, count("processorArchitecture="));
    EXPECT_EQ(2u, count(own)) << manifest;
}
