// CRegistry's keys and plain values, under a GUID-named key of HKEY_CURRENT_USER.
#include <suitecore/registry.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{
// Names in any order: the registry decides the order of enumeration.
std::set<std::wstring> NameSet(const CStringArray& names)
{
    std::set<std::wstring> set;
    for (INT_PTR i = 0; i < names.GetSize(); ++i)
        set.insert(names[i].GetString());
    return set;
}

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool HandleIsOpen(HKEY key)
{
    DWORD subKeys = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

void SetRaw(const testsupport::TempRegKey& temp, LPCWSTR name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(temp.Root(), temp.Path().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes));
    RegCloseKey(key);
}
} // namespace

TEST(CRegistryKeys, ReadOnlyOpenOfAMissingKeyCreatesNothing)
{
    testsupport::TempRegKey temp;
    const std::wstring path = temp.Path() + L"\\Missing";
    CRegistry reg;
    EXPECT_EQ(REGISTRY_DEFAULT_ACCESS, reg.m_samAccess);
    EXPECT_EQ(HKEY_CURRENT_USER, reg.m_hKey);
    reg.m_samAccess = KEY_READ;
    EXPECT_FALSE(reg.Open(HKEY_CURRENT_USER, path.c_str(), TRUE));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_EQ(HKEY_CURRENT_USER, reg.m_hKey); // the root, after a failed open
    EXPECT_STREQ(path.c_str(), reg.m_strKeyPath);

    reg.m_samAccess = REGISTRY_DEFAULT_ACCESS;
    EXPECT_FALSE(reg.Open(HKEY_CURRENT_USER, path.c_str(), FALSE));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_TRUE(reg.Open(HKEY_CURRENT_USER, path.c_str(), TRUE));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
    EXPECT_NE(HKEY_CURRENT_USER, reg.m_hKey);
    reg.Close();
    EXPECT_EQ(nullptr, reg.m_hKey);
}

TEST(CRegistryKeys, OpeningAnotherKeyClosesThePreviousOne)
{
    testsupport::TempRegKey temp;
    const std::wstring a = temp.Path() + L"\\A";
    const std::wstring b = temp.Path() + L"\\B";
    {
        // Both keys exist, so each open gets its handle before the previous one is closed
        // and a closed handle's value cannot come back as the new key.
        CRegistry maker;
        ASSERT_TRUE(maker.Open(HKEY_CURRENT_USER, a.c_str()));
        ASSERT_TRUE(maker.Open(HKEY_CURRENT_USER, b.c_str()));
    }
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, a.c_str()));
    HKEY first = reg.m_hKey;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, b.c_str()));
    EXPECT_FALSE(HandleIsOpen(first));

    // A failed open closes the previous key too; the predefined root is never closed.
    HKEY second = reg.m_hKey;
    reg.m_samAccess = KEY_READ;
    EXPECT_FALSE(reg.Open(HKEY_CURRENT_USER, (temp.Path() + L"\\None").c_str()));
    EXPECT_FALSE(HandleIsOpen(second));
    EXPECT_TRUE(HandleIsOpen(HKEY_CURRENT_USER));

    // OpenPath opens below the held key, OpenSubKey below the open key; each replaces it.
    reg.m_samAccess = REGISTRY_DEFAULT_ACCESS;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    HKEY parent = reg.m_hKey;
    ASSERT_TRUE(reg.OpenPath(L"C\\D"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, temp.Path() + L"\\C\\D"));
    EXPECT_FALSE(HandleIsOpen(parent));
    EXPECT_STREQ(L"C\\D", reg.m_strKeyPath);

    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, a.c_str()));
    ASSERT_TRUE(reg.Create(reg.m_hKey, L"Child", 0));
    HKEY child = reg.m_hKey;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    EXPECT_FALSE(HandleIsOpen(child));
    HKEY top = reg.m_hKey;
    ASSERT_TRUE(reg.OpenSubKey(L"A\\Child"));
    EXPECT_FALSE(HandleIsOpen(top));
    EXPECT_FALSE(reg.OpenSubKey(L"NoSuchChild"));
    EXPECT_TRUE(HandleIsOpen(reg.m_hKey));

    // OpenKey leaves the stored path alone.
    EXPECT_TRUE(reg.OpenKey(HKEY_CURRENT_USER, b.c_str()));
    EXPECT_STREQ(temp.Path().c_str(), reg.m_strKeyPath);

    // With no key held, OpenPath starts from HKEY_CURRENT_USER.
    reg.Close();
    ASSERT_TRUE(reg.OpenPath((temp.Path() + L"\\E").c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, temp.Path() + L"\\E"));
}

TEST(CRegistryKeys, ACallersRootSurvivesAFailedOpen)
{
    testsupport::TempRegKey temp;
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, temp.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &parent, nullptr));
    {
        CRegistry reg;
        reg.m_samAccess = KEY_READ;
        EXPECT_FALSE(reg.Open(parent, L"Missing"));
        EXPECT_FALSE(reg.OpenKey(parent, L"Missing"));
        // The object holds the same key through its own handle, and can go on from there.
        EXPECT_NE(parent, reg.m_hKey);
        reg.m_samAccess = REGISTRY_DEFAULT_ACCESS;
        EXPECT_TRUE(reg.OpenPath(L"Made"));
    }
    EXPECT_TRUE(HandleIsOpen(parent));
    HKEY made = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(parent, L"Made", 0, KEY_READ, &made));
    RegCloseKey(made);
    RegCloseKey(parent);
}

TEST(CRegistryKeys, DeleteKeyRemovesOnlyLeafKeys)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, (temp.Path() + L"\\Parent\\Leaf").c_str()));
    reg.Close();
    EXPECT_FALSE(CRegistry::DeleteKey(HKEY_CURRENT_USER, (temp.Path() + L"\\Parent").c_str()));
    EXPECT_TRUE(CRegistry::DeleteKey(HKEY_CURRENT_USER, (temp.Path() + L"\\Parent\\Leaf").c_str()));
    EXPECT_TRUE(CRegistry::DeleteKey(HKEY_CURRENT_USER, (temp.Path() + L"\\Parent").c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, temp.Path() + L"\\Parent"));
}

TEST(CRegistryValues, StringsAreStoredWithTheirZeroAndReadAsStored)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    ASSERT_TRUE(reg.WriteString(L"Plain", L"hello"));
    ASSERT_TRUE(reg.WriteExpandString(L"Expand", L"%SystemRoot%\\x"));
    ASSERT_TRUE(reg.WriteString(L"Flagged", L"e", TRUE));

    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(reg.m_hKey, L"Plain", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(12u, size);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(reg.m_hKey, L"Flagged", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);

    CString text;
    BOOL expandable = TRUE;
    EXPECT_TRUE(reg.ReadStringEx(L"Plain", text, expandable));
    EXPECT_STREQ(L"hello", text);
    EXPECT_FALSE(expandable);
    EXPECT_TRUE(reg.ReadStringEx(L"Expand", text, expandable));
    EXPECT_STREQ(L"%SystemRoot%\\x", text); // not expanded
    EXPECT_TRUE(expandable);
    EXPECT_TRUE(reg.ValueExists(L"Plain"));
    EXPECT_FALSE(reg.ValueExists(L"Nothing"));
    EXPECT_TRUE(reg.DeleteValue(L"Plain"));
    EXPECT_FALSE(reg.ValueExists(L"Plain"));
    EXPECT_FALSE(reg.DeleteValue(L"Plain"));
}

TEST(CRegistryValues, ReadStringRefusesOtherTypesAndEndsUnterminatedText)
{
    testsupport::TempRegKey temp;
    SetRaw(temp, L"Number", REG_DWORD, "\x05\0\0\0", 4);
    SetRaw(temp, L"NoZero", REG_SZ, L"abc", 6);
    SetRaw(temp, L"OddCount", REG_SZ, "a\0b\0c\0d", 7); // the last character's high byte is missing
    SetRaw(temp, L"Empty", REG_SZ, "", 0);
    SetRaw(temp, L"Multi", REG_MULTI_SZ, L"x\0y\0", 10);
    const std::wstring big(5000, L'q');
    SetRaw(temp, L"Big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() * 2));

    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    CString text(L"unchanged");
    EXPECT_FALSE(reg.ReadString(L"Number", text));
    EXPECT_FALSE(reg.ReadString(L"Multi", text));
    EXPECT_FALSE(reg.ReadString(L"Missing", text));
    EXPECT_STREQ(L"unchanged", text);
    EXPECT_TRUE(reg.ReadString(L"NoZero", text));
    EXPECT_STREQ(L"abc", text);
    EXPECT_TRUE(reg.ReadString(L"OddCount", text));
    EXPECT_STREQ(L"abcd", text);
    EXPECT_TRUE(reg.ReadString(L"Empty", text));
    EXPECT_STREQ(L"", text);
    EXPECT_TRUE(reg.ReadString(L"Big", text));
    EXPECT_TRUE(text == big.c_str());
}

TEST(CRegistryValues, NumbersAndFlagsAreDwords)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    const DWORD d = 0xFEEDBEEF;
    const int i = -42;
    const bool yes = true, no = false;
    EXPECT_TRUE(reg.WriteDword(L"D", &d));
    EXPECT_TRUE(reg.WriteInt(L"I", &i));
    EXPECT_TRUE(reg.WriteBool(L"Yes", &yes));
    EXPECT_TRUE(reg.WriteBool(L"No", &no));
    EXPECT_FALSE(reg.WriteDword(L"Null", nullptr));
    reg.WriteString(L"Text", L"12");
    const DWORD five = 5;
    reg.WriteDword(L"Five", &five);

    DWORD value = 0;
    EXPECT_TRUE(reg.ReadDword(L"D", &value));
    EXPECT_EQ(0xFEEDBEEF, value);
    value = 7;
    EXPECT_FALSE(reg.ReadDword(L"Text", &value));
    EXPECT_FALSE(reg.ReadDword(L"Missing", &value));
    EXPECT_EQ(7u, value);

    int n = 99;
    EXPECT_EQ(-42, reg.ReadInt(L"I", n));
    EXPECT_EQ(-42, n);
    n = 99;
    EXPECT_EQ(99, reg.ReadInt(L"Missing", n)); // the caller's value stays

    bool flag = false;
    EXPECT_EQ(1u, reg.ReadBool(L"Yes", &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(0u, reg.ReadBool(L"No", &flag));
    EXPECT_FALSE(flag);
    flag = true;
    EXPECT_EQ(5u, reg.ReadBool(L"Five", &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(0u, reg.ReadBool(L"Missing", &flag));
    EXPECT_FALSE(flag);
}

TEST(CRegistryValues, BinaryValuesMustBeBinary)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    const BYTE data[] = {1, 2, 3, 0, 255};
    DWORD bytes = sizeof(data);
    EXPECT_TRUE(reg.WriteBinary(L"Blob", data, &bytes));
    reg.WriteString(L"Text", L"abc");

    BYTE read[16] = {};
    bytes = sizeof(read);
    EXPECT_TRUE(reg.ReadBinary(L"Blob", read, &bytes));
    EXPECT_EQ(5u, bytes);
    EXPECT_EQ(0, memcmp(data, read, 5));
    bytes = 2;
    EXPECT_FALSE(reg.ReadBinary(L"Blob", read, &bytes)); // does not fit
    bytes = sizeof(read);
    EXPECT_FALSE(reg.ReadBinary(L"Text", read, &bytes));
}

TEST(CRegistryEnumeration, LongNamesDoNotEndTheEnumeration)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    const std::wstring longKey(255, L'k'); // the longest key name the registry takes
    const std::wstring longValue(2000, L'v');
    for (const std::wstring& name : {std::wstring(L"first"), longKey, std::wstring(L"last")})
    {
        CRegistry sub;
        ASSERT_TRUE(sub.Open(HKEY_CURRENT_USER, (temp.Path() + L"\\Keys\\" + name).c_str()));
    }
    CRegistry values;
    ASSERT_TRUE(values.Open(HKEY_CURRENT_USER, (temp.Path() + L"\\Values").c_str()));
    for (const std::wstring& name : {std::wstring(L"a"), longValue, std::wstring(300, L'w'), std::wstring(L"z")})
        ASSERT_TRUE(values.WriteString(name.c_str(), L"x"));
    values.WriteString(L"", L"default value");

    CStringArray names;
    names.Add(L"stale");
    EXPECT_TRUE(reg.EnumSubKeys(L"Keys", names));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, reg.m_lLastStatus);
    EXPECT_EQ(3, names.GetSize());
    EXPECT_EQ((std::set<std::wstring>{L"first", longKey, L"last"}), NameSet(names));

    const std::set<std::wstring> expectedValues{L"a", longValue, std::wstring(300, L'w'), L"z", L""};
    EXPECT_TRUE(reg.EnumValueNames(L"Values", names));
    EXPECT_EQ(5, names.GetSize());
    EXPECT_EQ(expectedValues, NameSet(names));

    EXPECT_EQ(5, RegListValueNames(values.m_hKey, names));
    EXPECT_EQ(expectedValues, NameSet(names));

    EXPECT_FALSE(reg.EnumSubKeys(L"NoSuchKey", names));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.m_lLastStatus);
    // An empty path enumerates the open key itself.
    EXPECT_TRUE(reg.EnumSubKeys(L"", names));
    EXPECT_EQ(2, names.GetSize());
}

TEST(CRegistryEnumeration, CountsAndSingleSteps)
{
    testsupport::TempRegKey temp;
    CRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    for (LPCWSTR name : {L"one", L"three", L"seventeen-chars!!"})
    {
        CRegistry sub;
        ASSERT_TRUE(sub.Open(HKEY_CURRENT_USER, (temp.Path() + L"\\" + name).c_str()));
    }
    reg.WriteString(L"v1", L"");
    reg.WriteString(L"v2", L"");
    DWORD count = 0;
    EXPECT_TRUE(reg.GetSubKeyCount(&count));
    EXPECT_EQ(3u, count);
    EXPECT_TRUE(reg.GetValueCount(&count));
    EXPECT_EQ(2u, count);
    EXPECT_TRUE(reg.GetMaxSubKeyNameLength(&count));
    EXPECT_EQ(17u, count);

    wchar_t name[32];
    DWORD chars = 32;
    EXPECT_TRUE(reg.EnumSubKey(0, name, &chars));
    EXPECT_STREQ(L"one", name);
    EXPECT_EQ(3u, chars);
    chars = 32;
    EXPECT_FALSE(reg.EnumSubKey(3, name, &chars));
}
