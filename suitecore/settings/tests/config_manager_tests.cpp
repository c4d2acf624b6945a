// A tool's settings under HKEY_CURRENT_USER\Software\Orvane\QMN3, with a GUID as its profile.
#include <suitecore/registry.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
class ToolSettings : public testing::Test
{
protected:
    ToolSettings()
        : temp(HKEY_CURRENT_USER, L"Software\\Orvane\\QMN3"), profile(temp.Path().substr(temp.Path().rfind(L'\\') + 1)),
          manager(CConfigurationManager::CreateForProfile((L"  " + profile + L"\t ").c_str()))
    {
    }

    void TearDown() override
    {
        // The product keys go too when this test made them.
        RegDeleteKeyW(HKEY_CURRENT_USER, temp.Path().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvane\\QMN3");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvane");
    }

    void Write(LPCWSTR name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, temp.Path().c_str(), 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, &key, nullptr));
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }

    testsupport::TempRegKey temp;
    std::wstring profile;
    std::unique_ptr<CConfigurationManager> manager;
};
} // namespace

TEST_F(ToolSettings, ProfileNameIsTrimmedIntoTheKeyPath)
{
    EXPECT_STREQ((L"Software\\Orvane\\QMN3\\" + profile).c_str(), manager->GetKeyPath());
    EXPECT_STREQ(temp.Path().c_str(), manager->GetKeyPath());
    CConfigurationManager plain;
    EXPECT_STREQ(L"", plain.GetKeyPath());
}

TEST_F(ToolSettings, HasStringValueCountsEveryTypeAndSize)
{
    EXPECT_FALSE(manager->HasStringValue(L"Missing", L""));
    const std::wstring longText(1000, L'L');
    Write(L"Long", REG_SZ, longText.c_str(), static_cast<DWORD>((longText.size() + 1) * 2));
    const DWORD number = 3;
    Write(L"Number", REG_DWORD, &number, 4);
    EXPECT_TRUE(manager->HasStringValue(L"Long", L"short default")); // longer than the scratch buffer
    EXPECT_TRUE(manager->HasStringValue(L"Number", L""));
    EXPECT_FALSE(manager->HasStringValue(L"Missing", L""));
}

TEST_F(ToolSettings, QwordsAreWrittenOnlyIntoAnExistingKey)
{
    RegDeleteKeyW(HKEY_CURRENT_USER, temp.Path().c_str());
    EXPECT_FALSE(manager->WriteQword(L"Stamp", 1, 2));
    HKEY probe = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, temp.Path().c_str(), 0, KEY_READ, &probe));

    const DWORD number = 5;
    Write(L"Number", REG_DWORD, &number, 4);
    ASSERT_TRUE(manager->WriteQword(L"Stamp", 0x89ABCDEF, 0x01234567));
    EXPECT_EQ(0x0123456789ABCDEFull, manager->ReadQword(L"Stamp"));
    EXPECT_EQ(0u, manager->ReadQword(L"Number"));
    EXPECT_EQ(0u, manager->ReadQword(L"Missing"));
}

TEST_F(ToolSettings, ReadStringValueHandsOutEightStringsInTurn)
{
    for (int i = 0; i < 9; ++i)
    {
        const std::wstring text = L"text " + std::to_wstring(i);
        Write((L"V" + std::to_wstring(i)).c_str(), REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    LPCWSTR returned[9];
    for (int i = 0; i < 8; ++i)
        returned[i] = manager->ReadStringValue((L"V" + std::to_wstring(i)).c_str());
    // Eight calls later every pointer still holds its own text.
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_STREQ((L"text " + std::to_wstring(i)).c_str(), returned[i]);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(returned[i], returned[j]);
    }
    // The ninth reuses the first slot.
    returned[8] = manager->ReadStringValue(L"V8");
    EXPECT_EQ(returned[0], returned[8]);
    EXPECT_STREQ(L"text 8", returned[0]);
    EXPECT_STREQ(L"", manager->ReadStringValue(L"Missing"));
}
