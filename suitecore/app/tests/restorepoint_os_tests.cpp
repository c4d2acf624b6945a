// The Windows versions a restore point is asked for on, seen by a probe program under the
// versions Wine pretends to be (HKCU\Software\Wine\AppDefaults\<exe>\Version). In the usual
// prefix the probe runs under WOW64, which lets even Windows 2000 through; the win32prefix
// build of these tests runs where there is no WOW64.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace
{
constexpr const wchar_t* kProbeKey = L"Software\\Wine\\AppDefaults\\restorepoint_probe.exe";

class ProbeVersion
{
public:
    explicit ProbeVersion(const wchar_t* version)
    {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kProbeKey);
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
        {
            ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                             static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
            ::RegCloseKey(key);
        }
    }
    ~ProbeVersion() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kProbeKey); }
    ProbeVersion(const ProbeVersion&) = delete;
    ProbeVersion& operator=(const ProbeVersion&) = delete;
};

std::string RunProbe(const wchar_t* version)
{
    ProbeVersion set(version);
    const testsupport::ProcessResult result =
        testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\restorepoint_probe.exe\"");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode);
    return result.out;
}

bool UnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
} // namespace

#ifdef EXPECT_NO_WOW64
#define VERSIONS_SUITE RestorePointVersionsWithoutWow64
#else
#define VERSIONS_SUITE RestorePointVersions
#endif

TEST(VERSIONS_SUITE, AllowListDecidesBeforeTheLibraryLoads)
{
    const bool wow64 = UnderWow64();
#ifdef EXPECT_NO_WOW64
    ASSERT_FALSE(wow64) << "the 32-bit-only prefix runs this build";
#else
    ASSERT_TRUE(wow64) << "the usual prefix runs 32-bit programs under WOW64";
#endif
    struct Case
    {
        const wchar_t* version;
        const char* expected;
    } cases[] = {
        {L"winxp", "result 1 loads 1\n"},
        {L"vista", "result 1 loads 1\n"},
        {L"win7", "result 1 loads 1\n"},
        // Windows 2000 only where WOW64 lets it through; otherwise not even the library loads.
        {L"win2k", wow64 ? "result 1 loads 1\n" : "result 0 loads 0\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.version));
        std::string out = RunProbe(c.version);
        out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
        EXPECT_EQ(c.expected, out);
    }
}
