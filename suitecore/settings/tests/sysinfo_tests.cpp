#include <suitecore/sysinfo.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(GetFileVersionString, ReadsTheVersionBlockOfSuiteCore)
{
    const std::wstring path = testsupport::BinFolder() + L"\\suitecore.dll";
    EXPECT_STREQ(SUITE_PROJECT_VERSION, GetFileVersionString(path.c_str()));
}

TEST(GetFileVersionString, MissingFileGivesZeroAndUnversionedFileGivesEmpty)
{
    testsupport::TempDir dir;
    EXPECT_STREQ(L"0", GetFileVersionString(dir.File(L"missing.dll").c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"plain.txt"), "no resources here"));
    EXPECT_STREQ(L"", GetFileVersionString(dir.File(L"plain.txt").c_str()));
}

TEST(GetFileVersionString, TakesTheFixedBlockAndNeedsTheTranslationTable)
{
    // The known DLL's text block says 7.7.7.7 and its product version 9.9.9.9.
    EXPECT_STREQ(L"4.3.2.1", GetFileVersionString((testsupport::BinFolder() + L"\\testver_known.dll").c_str()));
    EXPECT_STREQ(L"", GetFileVersionString((testsupport::BinFolder() + L"\\testver_notranslation.dll").c_str()));
}

namespace
{
struct VersionCase
{
    DWORD platform, major, minor;
    const char* expected; // one letter per test below, "1" for true
};

// Win32s, 95, 98, Me, 9x, 98+, Me+, NT4, 2000, XP, Vista, NT4+, 2000+, XP+
std::string Answers(const COsVersionInfo& v)
{
    const BOOL answers[] = {v.IsWin32s(),         v.IsWin95(),        v.IsWin98(),        v.IsWinMe(),
                            v.IsWin9x(),          v.IsWin98OrLater(), v.IsWinMeOrLater(), v.IsNT4(),
                            v.IsWin2000(),        v.IsWinXP(),        v.IsVista(),        v.IsNT4OrLater(),
                            v.IsWin2000OrLater(), v.IsWinXPOrLater()};
    std::string text;
    for (BOOL b : answers)
        text += b ? '1' : '0';
    return text;
}
} // namespace

TEST(COsVersionInfoTest, AnswersEveryTestAtTheVersionBoundaries)
{
    const VersionCase cases[] = {
        {0, 3, 10, "10000000000000"}, {0, 0, 0, "10000000000000"}, // Win32s is platform 0, any version
        {1, 4, 0, "01001000000000"},  {1, 4, 9, "01001000000000"},  {1, 4, 10, "00101100000000"},
        {1, 4, 50, "00001100000000"}, {1, 4, 90, "00011110000000"}, {2, 4, 0, "00000001000100"},
        {2, 5, 0, "00000000100110"},  {2, 5, 1, "00000000010111"},  {2, 5, 2, "00000000000111"},
        {2, 6, 0, "00000000001111"},  {2, 6, 1, "00000000000111"},  {2, 10, 0, "00000000000111"},
        {1, 5, 1, "00001110000000"},
    };
    for (const VersionCase& c : cases)
    {
        COsVersionInfo v;
        v.dwPlatformId = c.platform;
        v.dwMajorVersion = c.major;
        v.dwMinorVersion = c.minor;
        EXPECT_EQ(c.expected, Answers(v)) << "platform " << c.platform << " version " << c.major << "." << c.minor;
        EXPECT_EQ(v.IsVista(), v.IsWinVista());
    }
    COsVersionInfo v;
    v.dwMajorVersion = 6;
    v.dwMinorVersion = 1;
    EXPECT_TRUE(v.IsVersion(6, 1));
    EXPECT_FALSE(v.IsVersion(6, 0));
    EXPECT_TRUE(v.IsVersionAtLeast(6, 1));
    EXPECT_TRUE(v.IsVersionAtLeast(5, 2));
    EXPECT_FALSE(v.IsVersionAtLeast(6, 2));
    EXPECT_FALSE(v.IsVersionAtLeast(7, 0));
}

TEST(COsVersionInfoTest, MatchesTheCachedVersionNumbers)
{
    const COsVersionInfo v;
    EXPECT_EQ(sizeof(OSVERSIONINFOW), v.dwOSVersionInfoSize);
    EXPECT_EQ(VER_PLATFORM_WIN32_NT, v.dwPlatformId);
    EXPECT_EQ(v.dwMajorVersion, GetOsMajorVersion());
    EXPECT_EQ(v.dwMinorVersion, GetOsMinorVersion());
    EXPECT_GE(GetOsMajorVersion(), 5u);
}

namespace
{
// The machine type in a PE file's header: 0x14C for x86, 0x8664 for x64.
WORD MachineOf(const std::wstring& path)
{
    const std::string bytes = testsupport::ReadFileBytes(path);
    if (bytes.size() < 0x40)
        return 0;
    const DWORD peOffset = *reinterpret_cast<const DWORD*>(bytes.data() + 0x3C);
    if (bytes.size() < peOffset + 6)
        return 0;
    return *reinterpret_cast<const WORD*>(bytes.data() + peOffset + 4);
}
} // namespace

TEST(Wow64, FlagFolderAndRedirectionAgreeWithTheSystem)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_EQ(wow64, IsWow64());
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring kernel32 = std::wstring(windows) + L"\\system32\\kernel32.dll";
    PVOID old = nullptr;
    if (!wow64)
    {
        EXPECT_STREQ(L"", GetSystemWow64Folder());
        EXPECT_FALSE(DisableFsRedirection(&old));
        EXPECT_FALSE(RevertFsRedirection(old));
        return;
    }
    EXPECT_EQ(0, _wcsicmp((std::wstring(windows) + L"\\syswow64").c_str(), GetSystemWow64Folder()));
    EXPECT_EQ(0x14C, MachineOf(kernel32)); // redirected to SysWOW64
    ASSERT_TRUE(DisableFsRedirection(&old));
    const WORD unredirected = MachineOf(kernel32);
    EXPECT_TRUE(RevertFsRedirection(old));
    EXPECT_EQ(0x8664, unredirected);
    EXPECT_EQ(0x14C, MachineOf(kernel32));
}

TEST(IsUserAdminTest, AgreesWithTheTokenGroupMembership)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &admins));
    BOOL member = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, admins, &member));
    FreeSid(admins);
    EXPECT_EQ(member, IsUserAdmin());
    // The same answer from a thread that impersonates the process's own token.
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
    const BOOL impersonating = IsUserAdmin();
    RevertToSelf();
    EXPECT_EQ(member, impersonating);
}
