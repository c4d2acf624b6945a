// One-call registry functions and the product's locations.
#include <suitecore/paths.h>
#include <suitecore/registry.h>
#include <suitecore/sysinfo.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

namespace
{
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
} // namespace

TEST(OneCallRegistry, WritesCreateKeysAndReadsHonourTheBuffer)
{
    testsupport::TempRegKey temp;
    const std::wstring path = temp.Path() + L"\\Deep\\Key";
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, path.c_str(), L"Name"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path)); // a read-only test creates nothing

    ASSERT_TRUE(RegWriteStringValue(HKEY_CURRENT_USER, path.c_str(), L"Name", L"abcd"));
    ASSERT_TRUE(RegWriteDwordValue(HKEY_CURRENT_USER, path.c_str(), L"Count", 17));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, path.c_str(), L"Name"));
    EXPECT_EQ(17u, RegReadDwordValue(HKEY_CURRENT_USER, path.c_str(), L"Count"));
    EXPECT_EQ(0u, RegReadDwordValue(HKEY_CURRENT_USER, path.c_str(), L"Name")); // not a DWORD

    wchar_t buffer[8];
    wmemset(buffer, L'#', 8);
    EXPECT_FALSE(RegReadStringValue(HKEY_CURRENT_USER, path.c_str(), L"Name", buffer, 4));
    EXPECT_EQ(L'#', buffer[0]);
    EXPECT_TRUE(RegReadStringValue(HKEY_CURRENT_USER, path.c_str(), L"Name", buffer, 5));
    EXPECT_STREQ(L"abcd", buffer);
    EXPECT_EQ(L'#', buffer[5]);
    EXPECT_FALSE(RegReadStringValue(HKEY_CURRENT_USER, path.c_str(), L"Count", buffer, 8));
    EXPECT_FALSE(RegReadStringValue(HKEY_CURRENT_USER, path.c_str(), L"Name", nullptr, 8));
}

TEST(OneCallRegistry, ReadDwordOfAMissingKeyCreatesTheEmptyKey)
{
    testsupport::TempRegKey temp;
    const std::wstring path = temp.Path() + L"\\Created";
    EXPECT_EQ(0u, RegReadDwordValue(HKEY_CURRENT_USER, path.c_str(), L"Anything"));
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key));
    DWORD values = 99, subKeys = 99;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(0u, values);
    EXPECT_EQ(0u, subKeys);
}

TEST(OneCallRegistry, MachineValuesLandInTheThirtyTwoBitView)
{
    testsupport::TempRegKey temp(HKEY_LOCAL_MACHINE, L"Software");
    ASSERT_TRUE(RegWriteDwordValue(HKEY_LOCAL_MACHINE, temp.Path().c_str(), L"ProceedUninstall", 1));
    EXPECT_EQ(1u, RegReadDwordValue(HKEY_LOCAL_MACHINE, temp.Path().c_str(), L"ProceedUninstall"));
    if (!IsWow64())
        GTEST_SKIP() << "a 32-bit system has one view";
    const std::wstring guid = temp.Path().substr(temp.Path().find(L'\\') + 1);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\" + guid, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, temp.Path(), KEY_WOW64_64KEY));
}

TEST(ProductLocations, KeyPathIsHeldOnce)
{
    CString path;
    GetProductKeyPath(path);
    EXPECT_STREQ(L"Software\\Orvane\\QMN3", path);
    EXPECT_STREQ(L"Software\\Orvane\\QMN3", GetProductKeyPathPtr());
    EXPECT_EQ(GetProductKeyPathPtr(), GetProductKeyPathPtr());
}

namespace
{
// A GUID-named sub-folder of the product's data folder, removed afterwards together with the
// product folders if nothing else is in them.
class DataFolders : public testing::Test
{
protected:
    void TearDown() override
    {
        for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA})
        {
            CString base;
            GetSpecialFolder(csidl, base);
            testsupport::RemoveTree(std::wstring(base) + L"\\Orvane\\QMN3\\" + guid);
            RemoveDirectoryW(base + L"\\Orvane\\QMN3");
            RemoveDirectoryW(base + L"\\Orvane");
        }
    }

    static std::wstring Expected(int csidl, const std::wstring& tail)
    {
        CString base;
        GetSpecialFolder(csidl, base);
        return std::wstring(base) + L"\\Orvane\\QMN3" + tail;
    }

    const std::wstring guid = testsupport::NewGuidString();
};
} // namespace

TEST_F(DataFolders, UserAndCommonFoldersAreCreatedWithTheirSubFolder)
{
    CString path;
    ASSERT_TRUE(GetUserDataFolder(path, guid.c_str()));
    EXPECT_STREQ(Expected(CSIDL_APPDATA, L"\\" + guid).c_str(), path);
    EXPECT_EQ(1, IsFolder(path));

    ASSERT_TRUE(GetCommonDataFolder(path, (L"\\" + guid + L"\\").c_str()));
    EXPECT_STREQ(Expected(CSIDL_COMMON_APPDATA, L"\\" + guid + L"\\").c_str(), path);
    EXPECT_EQ(1, IsFolder(path));

    ASSERT_TRUE(GetCommonDataFolderRoot(path));
    EXPECT_STREQ(Expected(CSIDL_COMMON_APPDATA, L"").c_str(), path);
}

TEST_F(DataFolders, NameForTheUserFolderMustNotHoldABackslash)
{
    CString name(guid.c_str());
    ASSERT_TRUE(GetUserDataFolderFor(name));
    EXPECT_STREQ(Expected(CSIDL_APPDATA, L"\\" + guid).c_str(), name);

    CString withBackslash((guid + L"\\..\\escape").c_str());
    ASSERT_TRUE(GetUserDataFolderFor(withBackslash));
    EXPECT_STREQ(Expected(CSIDL_APPDATA, L"").c_str(), withBackslash);
}

TEST_F(DataFolders, AFolderThatCannotBeMadeIsReported)
{
    // A file stands where the sub-folder would go.
    CString root;
    ASSERT_TRUE(GetUserDataFolder(root, guid.c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(root) + L"\\blocker", "x"));
    CString path(L"unchanged");
    EXPECT_FALSE(GetUserDataFolder(path, (guid + L"\\blocker\\sub").c_str()));
    EXPECT_STREQ(L"unchanged", path);
}
