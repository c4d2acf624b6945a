// SuiteDiag's ui views and the launcher-status and module-key commands, run as real processes.
// Every ui view takes SuiteDiag's one instance mutex; "ui flags" keeps single-instance
// behaviour, so these tests share a lock.
#include <app_test_support.h>

#include <framework/datetime.h>

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}

std::vector<std::pair<std::string, std::string>> KeyValues(const std::string& out)
{
    std::vector<std::pair<std::string, std::string>> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    {
        const std::string line = out.substr(start, end - start);
        const size_t tab = line.find('\t');
        lines.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
    }
    return lines;
}

std::string MachineBuildTag()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvane\\QMN3", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "";
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    const bool ok = RegQueryValueExW(key, L"QMNBUILDFOR", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) ==
                        ERROR_SUCCESS &&
                    (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(key);
    return ok ? testsupport::Utf8(text) : "";
}

const wchar_t kSchedulerName[] =
    L"QMN_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE{969BB502-2ABB-40c4-BF80-F1530EFEB273}";
const wchar_t kBroadcastName[] = L"QMN_BROADCAST_MESSAGE_BETWEEN_SUITE_TOOLS{316E7ED9-8EAE-43FD-AE91-77E479C9166D}";
} // namespace

TEST(SuiteDiagUi, InfoPrintsWhatTheStartUpSettled)
{
    testsupport::TempDir elsewhere;
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    const auto r = SuiteDiag(L"ui info");
    SetCurrentDirectoryW(before);
    ASSERT_EQ(0u, r.exitCode) << r.err;

    const auto lines = KeyValues(r.out);
    std::vector<std::string> keys;
    std::map<std::string, std::string> values;
    for (const auto& [key, value] : lines)
    {
        keys.push_back(key);
        values[key] = value;
    }
    const std::vector<std::string> expectedKeys = {"app-name", "instance-mutex", "scheduler-message",
                                                   "broadcast-message", "elevation", "admin-group", "elevated",
                                                   "build-for", "windows-class", "classic-theme",
                                                   "xp-menu-look", "shell5", "current-dir"};
    EXPECT_EQ(expectedKeys, keys);
    EXPECT_EQ("SuiteDiag", values["app-name"]);
    EXPECT_EQ(testsupport::Utf8(apptest::InstanceMutexName(L"SuiteDiag")), values["instance-mutex"]);
    EXPECT_EQ(std::to_string(RegisterWindowMessageW(kSchedulerName)) + "\t" + testsupport::Utf8(kSchedulerName),
              values["scheduler-message"]);
    EXPECT_EQ(std::to_string(RegisterWindowMessageW(kBroadcastName)) + "\t" + testsupport::Utf8(kBroadcastName),
              values["broadcast-message"]);
    const int admin = std::stoi(values["admin-group"]), elevated = std::stoi(values["elevated"]);
    EXPECT_EQ(admin ? (elevated ? 1 : 2) : (elevated ? 1 : 0), std::stoi(values["elevation"]));
    EXPECT_EQ(MachineBuildTag(), values["build-for"]);
    // The test programs run as Windows 7 or later, with the shell of 5.0 or later.
    EXPECT_EQ("1", values["windows-class"]);
    EXPECT_EQ("1", values["shell5"]);
    EXPECT_TRUE(values["classic-theme"] == "0" || values["classic-theme"] == "1") << values["classic-theme"];
    EXPECT_TRUE(values["xp-menu-look"] == "0" || values["xp-menu-look"] == "1") << values["xp-menu-look"];
    EXPECT_EQ(testsupport::Utf8(testsupport::BinFolder()), values["current-dir"]);
}

TEST(SuiteDiagUi, FontsFollowTheWindowsVersion)
{
    struct Font
    {
        const char* name;
        int grow, fixed, weight, weightXP, underline, italic;
    };
    const Font fonts[] = {
        {"g_fntNormal", 0, 0, 400, 400, 0, 0},          {"g_fntNormalUnderline", 0, 0, 400, 400, 1, 0},
        {"g_fntBoldUnderline", 0, 0, 700, 700, 1, 0},   {"g_fntBold", 0, 0, 700, 700, 0, 0},
        {"g_fntLargeBold", 1, 0, 700, 700, 0, 0},       {"g_fntLargeMedium", 1, 0, 500, 500, 0, 0},
        {"g_fntLarge", 1, 0, 400, 400, 0, 0},           {"g_fntLargeUnderline", 1, 0, 400, 400, 1, 0},
        {"g_fntSmall", -1, 0, 400, 400, 0, 0},          {"g_fntSmallBold", -1, 0, 700, 700, 0, 0},
        {"g_fntSmaller", -2, 0, 400, 400, 0, 0},        {"g_fntTitleBold", 6, 0, 700, 700, 0, 0},
        {"g_fntTitleBoldItalic", 6, 0, 700, 700, 0, 1}, {"g_fntHuge", 9, 0, 400, 400, 0, 0},
        {"g_fntTitle", 6, 0, 400, 400, 0, 0},           {"g_fntHeadingUnderline", 4, 0, 500, 400, 1, 0},
        {"g_fntHeadingBold", 4, 0, 700, 400, 0, 0},     {"g_fntHeading", 4, 0, 500, 400, 0, 0},
        {"g_fntSubHeading", 2, 0, 500, 400, 0, 0},      {"g_fntCaption", 8, 0, 500, 400, 0, 0},
        {"g_fntCaptionBold", 8, 0, 700, 700, 0, 0},     {"g_fntBanner", 13, 0, 500, 400, 0, 0},
        {"g_fntFixed15", 0, -15, 500, 500, 0, 0},       {"g_fntFixed15Bold", 0, -15, 700, 700, 0, 0},
    };
    // win7: Segoe UI at -12; winxp without the Segoe file: tahoma at -11, the XP weights, and
    // Arial from the twelfth font on.
    const struct
    {
        const wchar_t* version;
        bool xp;
    } configurations[] = {{L"win7", false}, {L"winxp", true}};
    for (const auto& config : configurations)
    {
        apptest::VersionedCopy copy(L"SuiteDiag.exe", config.version);
        ASSERT_TRUE(copy.Ok());
        const auto r = copy.Run(L"ui fonts");
        ASSERT_EQ(0u, r.exitCode) << r.err;
        std::string expected;
        for (size_t i = 0; i < std::size(fonts); ++i)
        {
            const Font& f = fonts[i];
            const int height = f.fixed ? f.fixed : (config.xp ? -11 : -12) - f.grow;
            const char* face = !config.xp ? "SEGOE UI" : i >= 11 ? "Arial" : "tahoma";
            expected += std::string(f.name) + "\t" + std::to_string(height) + "\t" +
                        std::to_string(config.xp ? f.weightXP : f.weight) + "\t" + std::to_string(f.underline) + "\t" +
                        std::to_string(f.italic) + "\t" + face + "\n";
        }
        EXPECT_EQ(expected, r.out) << testsupport::Utf8(config.version);
    }
}

TEST(SuiteDiagUi, FlagsComeFromTheProcessCommandLine)
{
    // The rules themselves are the switch parser's tests; here, that the real command line
    // reaches them and a scheduled run clears activate-prev.
    const struct
    {
        const wchar_t* words;
        const char* flags;
    } cases[] = {
        {L"", "schedule=0 autofix=0 shutdown=0 activate-prev=1 init=1"},
        {L"-shutdown -schedule", "schedule=1 autofix=1 shutdown=1 activate-prev=0 init=1"},
        {L"/AUTOFIX", "schedule=1 autofix=1 shutdown=0 activate-prev=0 init=1"},
        {L"xschedule", "schedule=0 autofix=0 shutdown=0 activate-prev=1 init=1"},
    };
    for (const auto& c : cases)
    {
        const auto r = SuiteDiag(std::wstring(L"ui flags ") + c.words);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(std::string(c.flags) + "\n", r.out) << testsupport::Utf8(c.words);
    }
}

TEST(SuiteDiagUi, FlagsAnswerAsASecondInstanceWhileAnotherHoldsTheMutex)
{
    HANDLE held = CreateMutexW(nullptr, FALSE, apptest::InstanceMutexName(L"SuiteDiag").c_str());
    ASSERT_NE(nullptr, held);
    const struct
    {
        const wchar_t* arguments;
        const char* out;
    } cases[] = {
        // No window titled SuiteDiag: nothing to activate, and nobody to hand a command to.
        {L"ui flags", "schedule=0 autofix=0 shutdown=0 activate-prev=1 init=0\n"},
        {L"ui flags /autofix", "schedule=1 autofix=1 shutdown=0 activate-prev=0 init=1\n"},
    };
    for (const auto& c : cases)
    {
        const auto r = SuiteDiag(c.arguments);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(c.out, r.out) << testsupport::Utf8(c.arguments);
    }
    // The other views run beside any instance.
    EXPECT_EQ(0u, SuiteDiag(L"ui info").exitCode);
    CloseHandle(held);
}

TEST(SuiteDiagUi, UsageErrorsExitWithTwo)
{
    const auto none = SuiteDiag(L"ui");
    EXPECT_EQ(2u, none.exitCode);
    const auto unknown = SuiteDiag(L"ui nosuch");
    EXPECT_EQ(2u, unknown.exitCode);
    for (const char* view : {"info", "fonts", "flags"})
        EXPECT_NE(std::string::npos, unknown.err.find(view)) << unknown.err;
    for (const wchar_t* bad : {L"ui info extra", L"module-key x", L"launcher-status erase 1153",
                               L"launcher-status read 1153 --now", L"launcher-status write 1153 x a b",
                               L"launcher-status write 1153 1 a b 2024-13-01T00:00"})
        EXPECT_EQ(2u, SuiteDiag(bad).exitCode) << testsupport::Utf8(bad);
}

TEST(SuiteDiagUi, ModuleKeysAndLauncherStatusRoundTrip)
{
    const auto keys = apptest::LauncherStatusGuard({L"MemoryTune", L"UninstallManager"});
    for (const wchar_t* tool : {L"MemoryTune", L"UninstallManager"})
        SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Orvane\\QMN3\\ScanStatusForLauncher\\") + tool).c_str());

    EXPECT_EQ("MemoryTune\n", SuiteDiag(L"module-key 1153").out);
    const auto unknown = SuiteDiag(L"module-key 1149");
    EXPECT_EQ(1u, unknown.exitCode);
    EXPECT_EQ("", unknown.out);

    EXPECT_EQ("No Uninstall Operation Performed yet\n", SuiteDiag(L"launcher-status read 1168").out);
    const auto written = SuiteDiag(L"launcher-status write 1153 2 \"Freed 5 MB\" Optimized 2024-05-06T07:08");
    EXPECT_EQ(0u, written.exitCode) << written.err;
    EXPECT_EQ("", written.out);
    const std::string date = testsupport::Utf8(COleDateTime(2024, 5, 6, 7, 8, 0).Format().GetString());
    const struct
    {
        const wchar_t* arguments;
        std::string out;
    } reads[] = {
        {L"read 1153", "icon=2\nFreed 5 MB\n"},
        {L"read 1153 --home", "icon=2\nOptimized\n"},
        {L"read 1153 --date", "icon=2\n" + date + "\n"},
        {L"read 1153 --home --date", "icon=2\n" + date + "\n"},
        {L"read 1168 --home", "\n"},
    };
    for (const auto& c : reads)
    {
        const auto r = SuiteDiag(std::wstring(L"launcher-status ") + c.arguments);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(c.out, r.out) << testsupport::Utf8(c.arguments);
    }
    const auto refused = SuiteDiag(L"launcher-status write 1149 1 a b");
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("no such tool")) << refused.err;
}

TEST(SuiteDiagUi, TheTrayViewRunsBehindTheSameStartUp)
{
    // Whether the shell takes the icon depends on the desktop; the view's own tests check that.
    const auto r = SuiteDiag(L"ui tray --tip \"Probe tip\" --seconds 1");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex("add [01]\ntip 9\nanimate 0\nballoon 0\nremove [01]\n"))) << r.out;
}
