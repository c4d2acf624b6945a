// The Windows class as programs see it under each Windows version Wine can pretend to be.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace
{
// Sets the version Wine reports to the probe program, and removes the setting again.
class ProbeVersion
{
public:
    explicit ProbeVersion(const wchar_t* version)
    {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        HKEY hKey = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) == ERROR_SUCCESS)
        {
            ::RegSetValueExW(hKey, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                             static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
            ::RegCloseKey(hKey);
        }
    }
    ~ProbeVersion() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
    ProbeVersion(const ProbeVersion&) = delete;
    ProbeVersion& operator=(const ProbeVersion&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\menu_look_probe.exe";
};

TEST(MenuLookVersions, WindowsClassPerVersion)
{
    struct
    {
        const wchar_t* version;
        const char* expected; // no theme file is set in the test prefix: XP has its own look
    } cases[] = {
        {L"winxp", "class 7 xp 1 shell5 1\r\n"},
        {L"win2k", "class 6 xp 0 shell5 1\r\n"},
        {L"win7", "class 1 xp 0 shell5 1\r\n"},
        {L"win10", "class 1 xp 0 shell5 1\r\n"},
    };
    for (const auto& c : cases)
    {
        ProbeVersion version(c.version);
        const testsupport::ProcessResult result =
            testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\menu_look_probe.exe\"");
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_EQ(c.expected, result.out) << testsupport::Utf8(c.version);
    }
}
} // namespace
