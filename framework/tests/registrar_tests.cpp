#include <framework/com.h>
#include <framework/registrar.h>
#include <framework/regkey.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <sddl.h>

#include <optional>
#include <string>

namespace
{
// A throwaway key under HKCU\Software that scripts reach as HKCU\Software\%TEST%.
class RegistrarTest : public ::testing::Test
{
protected:
    testsupport::TempRegKey m_key;
    std::wstring m_name = m_key.Path().substr(m_key.Path().find(L'\\') + 1);

    std::wstring Path(const std::wstring& sub) const { return m_key.Path() + (sub.empty() ? L"" : L"\\" + sub); }

    bool Exists(const std::wstring& sub) const
    {
        CRegKey key;
        return key.Open(HKEY_CURRENT_USER, Path(sub).c_str(), KEY_READ) == ERROR_SUCCESS;
    }

    std::optional<std::wstring> String(const std::wstring& sub, LPCWSTR value) const
    {
        CRegKey key;
        if (key.Open(HKEY_CURRENT_USER, Path(sub).c_str(), KEY_READ) != ERROR_SUCCESS)
            return std::nullopt;
        wchar_t buffer[512];
        ULONG chars = 512;
        if (key.QueryStringValue(value, buffer, &chars) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(buffer);
    }

    std::optional<DWORD> Number(const std::wstring& sub, LPCWSTR value) const
    {
        CRegKey key;
        DWORD number = 0;
        if (key.Open(HKEY_CURRENT_USER, Path(sub).c_str(), KEY_READ) != ERROR_SUCCESS ||
            key.QueryDWORDValue(value, number) != ERROR_SUCCESS)
            return std::nullopt;
        return number;
    }

    void Plant(const std::wstring& sub, LPCWSTR value)
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, Path(sub).c_str()));
        if (value)
        {
            ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(value, L"planted"));
        }
    }

    HRESULT Register(LPCWSTR script, bool bRegister = true)
    {
        CRegObject registrar;
        registrar.AddReplacement(L"TEST", m_name.c_str());
        return bRegister ? registrar.StringRegister(script) : registrar.StringUnregister(script);
    }

    static std::wstring Wrap(const std::wstring& body)
    {
        return L"HKCU\n{\n NoRemove Software\n {\n  NoRemove %TEST%\n  {\n" + body + L"\n  }\n }\n}\n";
    }
};

const std::wstring g_layout = LR"(
    ForceRemove Forced = s 'forced default'
    {
        Sub = s 'sub default'
    }
    Normal
    {
        val Named = s 'normal value'
    }
    NoRemove Kept
    {
        val KeptValue = s 'goes at unregistration'
        Child = s 'child'
    }
    Holder
    {
        NoRemove Inner
    }
)";
} // namespace

TEST_F(RegistrarTest, RegisterWritesEveryKeyAndValueOfTheScript)
{
    CRegObject registrar;
    registrar.AddReplacement(L"TEST", m_name.c_str());
    registrar.AddReplacement(L"module", L"C:\\it''s here\\x.dll"); // names match whatever their case
    const std::wstring script = Wrap(LR"(
        Plain = s 'Default text'
        {
            val Named = s 'it''s named'
            val Hex = d '0x2A'
            val Decimal = d '4294967295'
            'Key With Blanks' = s '100%% sure'
            Empty
        }
        Module = s '%MODULE%'
    )");
    ASSERT_EQ(S_OK, registrar.StringRegister(script.c_str()));
    EXPECT_EQ(L"Default text", String(L"Plain", nullptr));
    EXPECT_EQ(L"it's named", String(L"Plain", L"Named"));
    EXPECT_EQ(0x2Au, Number(L"Plain", L"Hex"));
    EXPECT_EQ(0xFFFFFFFFu, Number(L"Plain", L"Decimal"));
    EXPECT_EQ(L"100% sure", String(L"Plain\\Key With Blanks", nullptr));
    EXPECT_TRUE(Exists(L"Plain\\Empty"));
    EXPECT_EQ(std::nullopt, String(L"Plain\\Empty", nullptr));
    EXPECT_EQ(L"C:\\it's here\\x.dll", String(L"Module", nullptr));
}

TEST_F(RegistrarTest, ASecondRegistrationReplacesForcedKeysCompletely)
{
    const std::wstring script = Wrap(g_layout + L"\n Delete Obsolete\n");
    ASSERT_EQ(S_OK, Register(script.c_str()));
    Plant(L"Forced\\Extra", L"planted");
    Plant(L"Forced", L"Planted");
    Plant(L"Normal", L"Planted");
    Plant(L"Obsolete\\Deep", L"planted");

    ASSERT_EQ(S_OK, Register(script.c_str()));
    EXPECT_EQ(L"forced default", String(L"Forced", nullptr));
    EXPECT_EQ(L"sub default", String(L"Forced\\Sub", nullptr));
    EXPECT_FALSE(Exists(L"Forced\\Extra"));
    EXPECT_EQ(std::nullopt, String(L"Forced", L"Planted"));
    EXPECT_EQ(L"planted", String(L"Normal", L"Planted")); // a plain key is only added to
    EXPECT_EQ(L"normal value", String(L"Normal", L"Named"));
    EXPECT_FALSE(Exists(L"Obsolete"));
}

TEST_F(RegistrarTest, UnregistrationRemovesWhatItNamedAndKeepsKeptKeys)
{
    const std::wstring script = Wrap(g_layout);
    ASSERT_EQ(S_OK, Register(script.c_str()));
    Plant(L"Forced\\Extra", L"planted");
    Plant(L"Normal\\Extra", L"planted");
    Plant(L"Kept", L"Other");
    Plant(L"Holder\\Inner", L"planted");

    ASSERT_EQ(S_OK, Register(script.c_str(), false));
    EXPECT_FALSE(Exists(L"Forced"));
    EXPECT_FALSE(Exists(L"Normal"));
    EXPECT_TRUE(Exists(L"Kept"));
    EXPECT_EQ(std::nullopt, String(L"Kept", L"KeptValue"));
    EXPECT_EQ(L"planted", String(L"Kept", L"Other"));
    EXPECT_FALSE(Exists(L"Kept\\Child"));
    EXPECT_TRUE(Exists(L"Holder\\Inner")); // the holder stays for its kept key
    EXPECT_TRUE(Exists(L""));

    // Again, with nothing left to remove.
    EXPECT_EQ(S_OK, Register(script.c_str(), false));
    EXPECT_TRUE(Exists(L"Kept"));
}

TEST_F(RegistrarTest, AFaultyScriptChangesNothing)
{
    const wchar_t* bodies[] = {
        L"Good = s 'written first'\n Bad = x 'unknown type'",
        L"Good = s 'unterminated",
        L"Good = d 'not a number'",
        L"Good = d '0x100000000'",
        L"Good = s unquoted",
        L"Good\n {\n  val = s 'no name'\n }",
        L"Good\n {\n  Open",
        L"Good = s '%UNKNOWN%'",
    };
    for (const wchar_t* body : bodies)
    {
        SCOPED_TRACE(testsupport::Utf8(body));
        EXPECT_EQ(DISP_E_EXCEPTION, Register(Wrap(body).c_str()));
        EXPECT_FALSE(Exists(L"Good"));
    }
    EXPECT_EQ(DISP_E_EXCEPTION, Register(L"HKXX\n{\n}\n"));
    EXPECT_EQ(DISP_E_EXCEPTION, Register(L"HKCU\n{\n val TopLevel = s 'values need a key'\n}\n"));
    EXPECT_EQ(E_INVALIDARG, Register(nullptr));
}

TEST_F(RegistrarTest, ScriptsComeFromTheModulesResources)
{
    // Resource 300 is UTF-8 with its mark; the module's own registration adds MODULE and APPID.
    _ATL_REGMAP_ENTRY entries[] = {{L"TEST", m_name.c_str()}, {nullptr, nullptr}};
    ASSERT_EQ(S_OK, _pAtlModule->UpdateRegistryFromResource(300, TRUE, entries));
    EXPECT_EQ(L"Gr\u00FC\u00DFe", String(L"FromResource", nullptr));
    EXPECT_EQ(std::wstring(AfxGetModuleFileName(nullptr)), String(L"FromResource", L"Module"));
    EXPECT_EQ(L"", String(L"FromResource", L"AppId"));
    ASSERT_EQ(S_OK, _pAtlModule->UpdateRegistryFromResource(300, FALSE, entries));
    EXPECT_FALSE(Exists(L"FromResource"));

    CRegObject registrar;
    EXPECT_TRUE(FAILED(registrar.ResourceRegister(GetModuleHandleW(nullptr), 301, L"REGISTRY")));
}

TEST_F(RegistrarTest, ARegistryFailureIsReported)
{
    // A key whose access list allows reading and deleting only.
    Plant(L"Locked", nullptr);
    {
        CRegKey locked;
        ASSERT_EQ(ERROR_SUCCESS, locked.Open(HKEY_CURRENT_USER, Path(L"Locked").c_str(), WRITE_DAC | KEY_READ));
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(
            ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &sd, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, sd));
        LocalFree(sd);
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), Register(Wrap(L"Locked\n {\n  Below\n }").c_str()));
    EXPECT_FALSE(Exists(L"Locked\\Below"));
}

TEST(CRegKeyTest, StringsAreReadWholeTerminatedAndUnexpanded)
{
    testsupport::TempRegKey temp;
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, temp.Path().c_str()));
    ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(L"Text", L"abc"));
    ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"xyz!!"),
                                            3 * sizeof(wchar_t)));
    ASSERT_EQ(ERROR_SUCCESS, key.SetDWORDValue(L"Number", 5));

    wchar_t buffer[16];
    ULONG chars = 16;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryStringValue(L"Text", buffer, &chars));
    EXPECT_STREQ(L"abc", buffer);
    EXPECT_EQ(4u, chars);
    chars = 3;
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryStringValue(L"Text", buffer, &chars));
    EXPECT_EQ(4u, chars);
    chars = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryStringValue(L"Text", nullptr, &chars));
    EXPECT_EQ(4u, chars);
    chars = 16;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryStringValue(L"Expand", buffer, &chars));
    EXPECT_STREQ(L"%TEMP%\\x", buffer);
    chars = 4;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryStringValue(L"Unterminated", buffer, &chars));
    EXPECT_STREQ(L"xyz", buffer);
    chars = 16;
    EXPECT_EQ(ERROR_INVALID_DATA, key.QueryStringValue(L"Number", buffer, &chars));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.QueryStringValue(L"Missing", buffer, &chars));

    DWORD number = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDWORDValue(L"Number", number));
    EXPECT_EQ(5u, number);
    EXPECT_EQ(ERROR_INVALID_DATA, key.QueryDWORDValue(L"Text", number));

    CRegKey sub;
    ASSERT_EQ(ERROR_SUCCESS, sub.Create(key, L"A\\B\\C"));
    sub.Close();
    EXPECT_EQ(ERROR_SUCCESS, key.RecurseDeleteKey(L"A"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, sub.Open(key, L"A", KEY_READ));

    CRegKey moved(std::move(key));
    EXPECT_EQ(nullptr, key.m_hKey);
    EXPECT_NE(nullptr, moved.m_hKey);
}
