// Rights on real registry keys: DACLs applied with the system's functions, read back through
// SuiteCore's exports, and checked against what the system's own access check allows.
#include "access_test_util.h"

#include <suitecore/access.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

using namespace access_detail;
using namespace access_test;

namespace
{
class KeyRightsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_temp.Root(), m_temp.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        RegCloseKey(key);
        m_user = CurrentUserName();
        ASSERT_FALSE(m_user.empty());
    }

    // The owner may always rewrite the DACL: open the key up again so that it can be removed.
    void TearDown() override { ApplyDacl(nullptr); }

    LONG ApplyDacl(PACL dacl)
    {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
        HKEY key = nullptr;
        LONG error = RegOpenKeyExW(m_temp.Root(), m_temp.Path().c_str(), 0, WRITE_DAC, &key);
        if (error == ERROR_SUCCESS)
        {
            error = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
            RegCloseKey(key);
        }
        return error;
    }

    // The DACL as the system holds it, byte for byte.
    std::vector<BYTE> DaclBytes()
    {
        HKEY key = nullptr;
        std::vector<BYTE> bytes;
        if (RegOpenKeyExW(m_temp.Root(), m_temp.Path().c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS)
            return bytes;
        BYTE descriptor[4096];
        DWORD size = sizeof(descriptor);
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor, &size) == ERROR_SUCCESS &&
            GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && dacl)
            bytes.assign(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize);
        RegCloseKey(key);
        return bytes;
    }

    LONG OpenFor(REGSAM access)
    {
        HKEY key = nullptr;
        const LONG error = RegOpenKeyExW(m_temp.Root(), m_temp.Path().c_str(), 0, access, &key);
        if (key)
            RegCloseKey(key);
        return error;
    }

    DWORD Rights() { return GetKeyRights(m_temp.Root(), m_temp.Path().c_str(), m_user.c_str()); }

    testsupport::TempRegKey m_temp;
    std::wstring m_user;
};

LONG WINAPI FailingSetKeySecurity(HKEY, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR)
{
    return ERROR_ACCESS_DENIED;
}
} // namespace

TEST_F(KeyRightsTest, ANewKeyGivesTheAdministratorsFullControl)
{
    // Wine's default: full control for Administrators (a group of the token) and an inherit-only
    // read entry for Users, which marks the inheritable group entry.
    EXPECT_EQ(DWORD(RIGHTS_WRITE | RIGHTS_READ | RIGHTS_READ_WRITE | RIGHTS_DELETE | RIGHTS_INHERITABLE_GROUP_ENTRY |
                    RIGHTS_CHANGE_PERMISSIONS | RIGHTS_TAKE_OWNERSHIP),
              Rights());
    EXPECT_STREQ(L"", ExportedMessages());
}

TEST_F(KeyRightsTest, SetKeyRightsReplacesTheDaclWithOneEntry)
{
    ASSERT_TRUE(SetKeyRights(m_temp.Root(), m_temp.Path().c_str(), RIGHTS_READ, FALSE, m_user.c_str()));
    EXPECT_STREQ(L"", ExportedMessages());
    EXPECT_EQ(DWORD(RIGHTS_READ | RIGHTS_NO_WRITE), Rights());
    EXPECT_EQ(ERROR_SUCCESS, OpenFor(KEY_READ));
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenFor(KEY_SET_VALUE));

    const std::vector<BYTE> bytes = DaclBytes();
    ASSERT_FALSE(bytes.empty());
    const auto* acl = reinterpret_cast<const ACL*>(bytes.data());
    ASSERT_EQ(1, acl->AceCount);
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(acl + 1);
    EXPECT_EQ(static_cast<ACCESS_MASK>(KEY_READ), ace->Mask);
    EXPECT_EQ(0, ace->Header.AceFlags);
    EXPECT_EQ(SidToString(ProcessToken().user.Get()), SidToString(const_cast<DWORD*>(&ace->SidStart)));
}

TEST_F(KeyRightsTest, TheInheritFlagReachesTheEntry)
{
    ASSERT_TRUE(SetKeyRights(m_temp.Root(), m_temp.Path().c_str(), RIGHTS_READ_WRITE, TRUE, m_user.c_str()));
    EXPECT_EQ(DWORD(RIGHTS_WRITE | RIGHTS_READ | RIGHTS_READ_WRITE), Rights());
    EXPECT_EQ(ERROR_SUCCESS, OpenFor(KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
    const std::vector<BYTE> bytes = DaclBytes();
    ASSERT_FALSE(bytes.empty());
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(reinterpret_cast<const ACL*>(bytes.data()) + 1);
    EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags);
    EXPECT_EQ(0x2003Fu, ace->Mask);
}

TEST_F(KeyRightsTest, AnEmptyUserNameFailsAndLeavesTheKeyAlone)
{
    const std::vector<BYTE> before = DaclBytes();
    EXPECT_FALSE(SetKeyRights(m_temp.Root(), m_temp.Path().c_str(), RIGHTS_READ, FALSE, L""));
    EXPECT_STREQ(L"Empty user name specified.|", ExportedMessages());
    EXPECT_EQ(before, DaclBytes());
    EXPECT_EQ(0u, GetKeyRights(m_temp.Root(), m_temp.Path().c_str(), nullptr));
    EXPECT_STREQ(L"Empty user name specified.|", ExportedMessages());
}

TEST_F(KeyRightsTest, AFailedWriteIsReportedAsAFailure)
{
    const std::vector<BYTE> before = DaclBytes();
    AccessPlatform platform;
    platform.setKeySecurity = &FailingSetKeySecurity;
    EXPECT_FALSE(SetRights(m_temp.Root(), m_temp.Path().c_str(), RIGHTS_READ, FALSE, m_user.c_str(), platform));
    EXPECT_STREQ(L"Could not set permissions|", Messages());
    EXPECT_EQ(before, DaclBytes());
}

TEST_F(KeyRightsTest, AMissingKeyOrUserFails)
{
    const std::wstring missing = m_temp.Path() + L"\\missing";
    EXPECT_FALSE(SetKeyRights(m_temp.Root(), missing.c_str(), RIGHTS_READ, FALSE, m_user.c_str()));
    EXPECT_STREQ(SystemText(ERROR_FILE_NOT_FOUND) + L"|", ExportedMessages());
    EXPECT_EQ(0u, GetKeyRights(m_temp.Root(), missing.c_str(), m_user.c_str()));
    EXPECT_FALSE(SetKeyRights(m_temp.Root(), m_temp.Path().c_str(), RIGHTS_READ, FALSE, L"no-such-account-7f3c9a"));
    EXPECT_STREQ(SystemText(ERROR_NONE_MAPPED) + L"|", ExportedMessages());
}

TEST_F(KeyRightsTest, ANullDaclYieldsZero)
{
    ASSERT_EQ(ERROR_SUCCESS, ApplyDacl(nullptr));
    EXPECT_EQ(ERROR_SUCCESS, OpenFor(KEY_ALL_ACCESS)); // the system lets everyone in
    EXPECT_EQ(0u, Rights());                           // the rights word keeps its old rule
}

TEST_F(KeyRightsTest, ADenyEntryTakesItsRightsAwayAsTheSystemDoes)
{
    const CSid& user = ProcessToken().user;
    CTestAcl acl({{ACCESS_DENIED_ACE_TYPE, 0, KEY_SET_VALUE | DELETE, user.Get()},
                  {ACCESS_ALLOWED_ACE_TYPE, 0, KEY_ALL_ACCESS, user.Get()}});
    ASSERT_EQ(ERROR_SUCCESS, ApplyDacl(acl.Get()));
    // Create-sub-key still counts as write; delete is gone.
    EXPECT_EQ(DWORD(RIGHTS_WRITE | RIGHTS_READ | RIGHTS_READ_WRITE | RIGHTS_CHANGE_PERMISSIONS | RIGHTS_TAKE_OWNERSHIP),
              Rights());
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenFor(KEY_SET_VALUE));
    EXPECT_EQ(ERROR_SUCCESS, OpenFor(KEY_CREATE_SUB_KEY | KEY_READ));
}

TEST_F(KeyRightsTest, AnEmptyDaclLeavesNoRights)
{
    CTestAcl acl({});
    ASSERT_EQ(ERROR_SUCCESS, ApplyDacl(acl.Get()));
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenFor(KEY_READ));
    EXPECT_EQ(DWORD(RIGHTS_NO_WRITE | RIGHTS_NO_READ), Rights());
}

TEST(KeyObjectName, TheRootsNameThenTheSubKey)
{
    EXPECT_STREQ(L"CURRENT_USER\\Software\\X", KeyObjectName(HKEY_CURRENT_USER, L"Software\\X"));
    EXPECT_STREQ(L"MACHINE\\Software", KeyObjectName(HKEY_LOCAL_MACHINE, L"Software"));
    EXPECT_STREQ(L"CLASSES_ROOT\\.txt", KeyObjectName(HKEY_CLASSES_ROOT, L".txt"));
    EXPECT_STREQ(L"USERS\\.DEFAULT", KeyObjectName(HKEY_USERS, L".DEFAULT"));
    EXPECT_STREQ(L"\\Software", KeyObjectName(HKEY_CURRENT_CONFIG, L"Software"));
    // A long sub-key is not cut.
    const CString longKey(L'k', 2000);
    EXPECT_EQ(13 + 2000, KeyObjectName(HKEY_CURRENT_USER, longKey).GetLength());
}
