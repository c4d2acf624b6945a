// The application object and its operations inside the test process: the switches, the
// scheduler values, the elevation rule and the group lookup, the language texts, and the
// operations that need no shared state.
#include "../admin_group.h"
#include "../schedule_switches.h"

#include <suitecore/app.h>
#include <suitecore/inifile.h>

#include <testsupport/dialog_answerer.h>
#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
class CTestApp : public COrvaneApp
{
public:
    explicit CTestApp(LPCWSTR lpszLanguageFile) : COrvaneApp(L"AppTests", lpszLanguageFile) {}
};
} // namespace

// ---- Switches ----------------------------------------------------------------------------

TEST(AppSwitches, AreFoundBySubstringWithTheLaterOnesWinning)
{
    const struct
    {
        const wchar_t* commandLine;
        BYTE schedule, autofix, shutdown;
    } cases[] = {
        {L"tool.exe -shutdown -schedule", 1, 1, 1},
        {L"tool.exe /AUTOFIX", 1, 1, 0},
        {L"tool.exe -autofix", 1, 1, 0},
        {L"tool.exe autofix", 1, 1, 0},
        {L"tool.exe xschedule", 0, 0, 0},
        {L"tool.exe xautofix xshutdown", 0, 0, 0},
        {L"tool.exe schedule", 1, 0, 0},
        {L"tool.exe schedule autofix", 1, 1, 0},
        {L"tool.exe autofix shutdown", 1, 1, 1},
        {L"tool.exe shutdown schedule autofix", 1, 1, 1},
        {L"tool.exe/schedulescan", 1, 0, 0},
        {L"  SCHEDULE  ", 0, 0, 0}, // trimmed: nothing stands before it
        {L"", 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        const suitecore::ScheduleSwitches s = suitecore::ParseScheduleSwitches(c.commandLine);
        EXPECT_EQ(c.schedule, s.scheduledRun) << testsupport::Utf8(c.commandLine);
        EXPECT_EQ(c.autofix, s.autoFix) << testsupport::Utf8(c.commandLine);
        EXPECT_EQ(c.shutdown, s.shutdownAfter) << testsupport::Utf8(c.commandLine);
    }
    EXPECT_STREQ(L"shutdown", suitecore::SchedulerCommandFor({1, 1, 1}));
    EXPECT_STREQ(L"autofix", suitecore::SchedulerCommandFor({1, 1, 0}));
    EXPECT_STREQ(L"schedulescan", suitecore::SchedulerCommandFor({1, 0, 0}));
    EXPECT_EQ(nullptr, suitecore::SchedulerCommandFor({0, 0, 0}));
}

TEST(AppSwitches, ForeignSchedulerValuesDecodeToNothing)
{
    // A freed page: reading it would fault, so only a comparison can survive it.
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(VirtualFree(page, 0, MEM_RELEASE));
    static const wchar_t sameText[] = L"autofix"; // equal text, another address
    for (LPARAM value : {LPARAM(0), LPARAM(1), static_cast<LPARAM>(0xFFFFFFFF), reinterpret_cast<LPARAM>(page),
                         reinterpret_cast<LPARAM>(sameText), reinterpret_cast<LPARAM>(suitecore::kSchedulerAutoFix)})
        EXPECT_EQ(nullptr, DecodeSchedulerCommand(value)) << value;
}

// ---- Elevation -----------------------------------------------------------------------------

TEST(AppElevation, StateFollowsGroupAndElevation)
{
    EXPECT_EQ(0, suitecore::ElevationStateFor(FALSE, FALSE));
    EXPECT_EQ(1, suitecore::ElevationStateFor(FALSE, TRUE));
    EXPECT_EQ(2, suitecore::ElevationStateFor(TRUE, FALSE));
    EXPECT_EQ(1, suitecore::ElevationStateFor(TRUE, TRUE));
}

namespace
{
// A group list of about 10 KB, far beyond a fixed 4 KB read: 280 domain groups, and the
// Administrators alias last when asked for.
constexpr DWORD kFakeGroups = 280;
bool g_fakeListsAdmins = false;
DWORD g_fakeReads = 0;

DWORD FakeGroupsSize()
{
    return offsetof(TOKEN_GROUPS, Groups) + kFakeGroups * sizeof(SID_AND_ATTRIBUTES) +
           kFakeGroups * GetSidLengthRequired(5);
}

BOOL FakeLargeGroups(HANDLE, void* pBuffer, DWORD nBytes, DWORD* pnNeeded)
{
    ++g_fakeReads;
    *pnNeeded = FakeGroupsSize();
    if (nBytes < *pnNeeded)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* groups = static_cast<TOKEN_GROUPS*>(pBuffer);
    groups->GroupCount = kFakeGroups;
    SID_AND_ATTRIBUTES* entries = groups->Groups;
    BYTE* sids = reinterpret_cast<BYTE*>(entries + kFakeGroups);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    for (DWORD i = 0; i < kFakeGroups; ++i)
    {
        PSID sid = sids + i * GetSidLengthRequired(5);
        InitializeSid(sid, &nt, 5);
        const DWORD subs[5] = {21, 1111, 2222, 3333, 1000 + i};
        for (BYTE n = 0; n < 5; ++n)
            *GetSidSubAuthority(sid, n) = subs[n];
        if (g_fakeListsAdmins && i + 1 == kFakeGroups)
        {
            InitializeSid(sid, &nt, 2);
            *GetSidSubAuthority(sid, 0) = SECURITY_BUILTIN_DOMAIN_RID;
            *GetSidSubAuthority(sid, 1) = DOMAIN_ALIAS_RID_ADMINS;
        }
        entries[i] = {sid, SE_GROUP_ENABLED};
    }
    return TRUE;
}

BOOL FailingGroups(HANDLE, void*, DWORD, DWORD* pnNeeded)
{
    *pnNeeded = 0;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// Asks for ever more room and never fills it.
BOOL EverGrowingGroups(HANDLE, void*, DWORD nBytes, DWORD* pnNeeded)
{
    *pnNeeded = nBytes + 4096;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}
} // namespace

TEST(AppElevation, AdminGroupLookupReadsAGroupListOfAnySize)
{
    ASSERT_GT(FakeGroupsSize(), 10000u);
    g_fakeListsAdmins = false;
    g_fakeReads = 0;
    EXPECT_FALSE(suitecore::IsUserInAdminGroupWith(&FakeLargeGroups));
    EXPECT_EQ(2u, g_fakeReads); // asked for the size, then read it all
    g_fakeListsAdmins = true;
    EXPECT_TRUE(suitecore::IsUserInAdminGroupWith(&FakeLargeGroups));
    // A real failure counts as a member, as the tools always assumed.
    EXPECT_TRUE(suitecore::IsUserInAdminGroupWith(&FailingGroups));
    EXPECT_TRUE(suitecore::IsUserInAdminGroupWith(&EverGrowingGroups));
    // The real token agrees with the exported lookup.
    EXPECT_EQ(suitecore::IsUserInAdminGroupWith(&suitecore::ReadTokenGroups), IsUserInAdminGroup());
}

// ---- Language ----------------------------------------------------------------------------

namespace
{
constexpr wchar_t kWarning[] = L"Fail to Read from dependent file. This application will close now! ";

// A language file beside suitecore.dll under a name of its own, removed again.
struct LanguageFile
{
    explicit LanguageFile(const std::string& content)
    {
        name = L"lang" + testsupport::NewGuidString() + L".ini";
        ok = testsupport::WriteFileBytes(testsupport::BinFolder() + L"\\" + name, content);
    }
    ~LanguageFile() { DeleteFileW((testsupport::BinFolder() + L"\\" + name).c_str()); }
    std::wstring name;
    bool ok = false;
};
} // namespace

TEST(AppLanguage, TextsComeFromTheFileAndAMissingOneWarnsAndIsEmpty)
{
    LanguageFile file("[QMN]\r\nIDS_HELLO=Hello there\r\n[Other]\r\nIDS_HELLO=From other\r\n");
    ASSERT_TRUE(file.ok);
    CTestApp app(file.name.c_str());
    ASSERT_NE(nullptr, app.m_pLanguageFile);
    const struct
    {
        const char* key;
        const wchar_t* section;
        bool narrow;
        const wchar_t* expected;
    } cases[] = {
        {"IDS_HELLO", nullptr, false, L"Hello there"},
        {"IDS_HELLO", L"", false, L"Hello there"},
        {"IDS_HELLO", L"Other", false, L"From other"},
        {"IDS_HELLO", nullptr, true, L"Hello there"},
        {"IDS_MISSING", nullptr, false, L""},
        {"IDS_MISSING", nullptr, true, L""},
    };
    for (const auto& c : cases)
    {
        const std::wstring key = testsupport::Wide(c.key);
        testsupport::DialogAnswerer answerer(IDOK);
        const CString text = c.narrow ? app.GetLangString(c.key, c.section) : app.GetLangString(key.c_str(), c.section);
        EXPECT_STREQ(c.expected, text.GetString()) << c.key;
        const auto boxes = answerer.Dialogs();
        if (*c.expected)
        {
            EXPECT_TRUE(boxes.empty()) << c.key;
            continue;
        }
        ASSERT_EQ(1u, boxes.size()) << c.key;
        EXPECT_EQ(kWarning, boxes[0].text);
        EXPECT_EQ(LoadIconW(nullptr, IDI_HAND), boxes[0].icon);
    }
}

TEST(AppLanguage, WithNoLanguageFileEveryTextWarnsAndIsEmpty)
{
    // A missing file falls back to the suite's qmn.ini, which the build puts beside the library;
    // a tool installed without any language file is left with no reader at all, as here.
    const std::wstring missing = L"none" + testsupport::NewGuidString() + L".ini";
    CTestApp app(missing.c_str());
    ReleaseIniReader(app.m_pLanguageFile);
    app.m_pLanguageFile = nullptr;
    for (const wchar_t* section : {static_cast<const wchar_t*>(nullptr), L"QMN", L"Other"})
    {
        testsupport::DialogAnswerer answerer(IDOK);
        EXPECT_STREQ(L"", app.GetLangString(L"IDS_OK", section).GetString());
        const auto boxes = answerer.Dialogs();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(kWarning, boxes[0].text);
        EXPECT_EQ(LoadIconW(nullptr, IDI_HAND), boxes[0].icon);
    }
}

// ---- Operations --------------------------------------------------------------------------

TEST(AppOperations, IntegerTextsRotateThroughFiveBuffers)
{
    CTestApp app(L"QMN.ini");
    std::vector<LPCWSTR> texts;
    for (int i = 1; i <= 6; ++i)
        texts.push_back(app.GetSettingIntText(L"NoSuchValue", i * 11)); // no settings store yet: the defaults
    for (int i = 0; i < 5; ++i)
        for (int j = i + 1; j < 5; ++j)
            EXPECT_NE(texts[i], texts[j]);
    EXPECT_EQ(texts[0], texts[5]);
    EXPECT_STREQ(L"66", texts[0]);
    EXPECT_STREQ(L"22", texts[1]);
    EXPECT_STREQ(L"55", texts[4]);
}

TEST(AppOperations, ModuleKeysNameFifteenDistinctToolsAndNothingElse)
{
    std::vector<CString> keys;
    for (int tool = 1100; tool <= 1200; ++tool)
    {
        const CString key = GetModuleKey(tool);
        if (key.IsEmpty())
            continue;
        EXPECT_TRUE(tool >= 1143 && tool <= 1168) << tool;
        for (const CString& seen : keys)
            EXPECT_NE(0, seen.CompareNoCase(key)) << tool;
        keys.push_back(key);
    }
    EXPECT_EQ(15u, keys.size());
    for (int tool : {1144, 1145, 1153, 1168})
        EXPECT_FALSE(GetModuleKey(tool).IsEmpty()) << tool;
    for (int tool : {-1, 0, 65535})
        EXPECT_STREQ(L"", GetModuleKey(tool).GetString()) << tool;
}

TEST(AppOperations, GroupedNumbersFollowTheUserLocale)
{
    wchar_t thousand[8] = {}, negative[4] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8), 0);
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_INEGNUMBER, negative, 4), 0);
    ASSERT_STREQ(L"1", negative); // "-1.1", the prefix's locale
    const std::wstring t = thousand;
    const struct
    {
        LONGLONG value;
        std::wstring text;
    } cases[] = {
        {0, L"0"},
        {1234567, L"1" + t + L"234" + t + L"567"},
        {-1234567, L"-1" + t + L"234" + t + L"567"},
        {999, L"999"},
        {-9223372036854775807LL - 1, L"-9" + t + L"223" + t + L"372" + t + L"036" + t + L"854" + t + L"775" + t + L"808"},
    };
    for (const auto& c : cases)
    {
        wchar_t buffer[64] = L"junk";
        EXPECT_EQ(buffer, FormatGroupedNumber(c.value, buffer, 64));
        EXPECT_EQ(c.text, buffer) << c.value;
    }
    wchar_t small[4] = L"xyz";
    FormatGroupedNumber(1234567, small, 4);
    EXPECT_STREQ(L"", small); // too small: empty, not a cut number
}

TEST(AppOperations, ProcessTestsAnswerWithinTheIntervalWithoutLooking)
{
    const std::wstring nobody = L"nobody" + testsupport::NewGuidString();
    const std::wstring self = L"app_tests";
    EXPECT_FALSE(IsProcessRunning(L"", 0));
    EXPECT_TRUE(IsProcessRunning(self.c_str(), 0));
    EXPECT_FALSE(IsProcessRunning(nobody.c_str(), 0));
    // The first call with an interval looks and records the time; the next one within it
    // answers true without looking, even for a process that does not exist.
    EXPECT_FALSE(IsProcessRunning(nobody.c_str(), 600000));
    EXPECT_TRUE(IsProcessRunning(nobody.c_str(), 600000));
    EXPECT_FALSE(IsProcessRunning(nobody.c_str(), 0)); // no interval: always looks
}

TEST(AppOperations, TerminateByNameEndsTheMatchingDecoysOnly)
{
    testsupport::TempDir dir;
    const std::wstring mark = testsupport::NewGuidString().substr(1, 36);
    const std::wstring sleeper = testsupport::BinFolder() + L"\\decoy_sleeper.exe";
    const std::wstring doomed = dir.File(L"Doomed" + mark + L".exe");
    const std::wstring spared = dir.File(L"Spared" + mark + L".exe");
    ASSERT_TRUE(CopyFileW(sleeper.c_str(), doomed.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(sleeper.c_str(), spared.c_str(), FALSE));
    std::vector<PROCESS_INFORMATION> decoys;
    for (const std::wstring& exe : {doomed, doomed, spared})
    {
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        std::wstring line = L"\"" + exe + L"\" --seconds 120";
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        decoys.push_back(pi);
    }
    const std::wstring doomedName = L"doomed" + mark;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return IsProcessRunning(doomedName.c_str(), 0) != FALSE; }));

    EXPECT_FALSE(TerminateProcessesByName(L""));
    EXPECT_TRUE(TerminateProcessesByName((L"DOOMED" + mark).c_str()));
    for (size_t i = 0; i < decoys.size(); ++i)
    {
        const bool isDoomed = i < 2;
        EXPECT_EQ(isDoomed ? WAIT_OBJECT_0 : WAIT_TIMEOUT, WaitForSingleObject(decoys[i].hProcess, isDoomed ? 30000 : 500));
        DWORD code = 0;
        GetExitCodeProcess(decoys[i].hProcess, &code);
        EXPECT_EQ(isDoomed ? 666u : STILL_ACTIVE, code) << i;
        TerminateProcess(decoys[i].hProcess, 0);
        WaitForSingleObject(decoys[i].hProcess, 10000);
        CloseHandle(decoys[i].hProcess);
    }
}

TEST(AppOperations, ModulePathAndWindowMessagesOfThisProcess)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_STREQ(path, GetModulePathText().GetString());
    // The test programs run as Windows 7 or later: the filter is called through.
    EXPECT_TRUE(AllowWindowMessage(WM_COPYDATA, 1));
}
