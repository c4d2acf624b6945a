// The application object in processes of its own (the probe program): single instance, the
// hand-over of scheduled commands, what the start-up settles, and restarting elevated.
#include "app_test_support.h"

#include <suitecore/appmessages.h>

#include <gtest/gtest.h>

using apptest::Child;
using apptest::ProbeRun;

namespace
{
// The probe's main dialog once it reported itself ready.
HWND StartWindowProbe(const ProbeRun& run, const std::wstring& name, Child& child)
{
    if (!child.Started() || !apptest::WaitForReportLine(run.report, "ready"))
        return nullptr;
    testsupport::WindowQuery query;
    query.processId = GetProcessId(child.Handle());
    query.className = L"#32770";
    query.title = name;
    return testsupport::WaitForWindow(query);
}
} // namespace

// ---- Single instance ---------------------------------------------------------------------

TEST(AppSingleInstance, ASecondStartShowsTheFirstWindowAndEnds)
{
    const std::wstring name = apptest::UniqueAppName();
    ProbeRun first, second;
    Child firstChild(first.CommandLine(name, L"window"));
    const HWND window = StartWindowProbe(first, name, firstChild);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("1 prev 0", first.Value("init"));
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    const auto r = testsupport::RunProcess(second.CommandLine(name, L"window"));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ("0 prev 1", second.Value("init"));
    EXPECT_EQ("schedule=0 autofix=0 shutdown=0 activate-prev=1", second.Value("flags"));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }));
    EXPECT_EQ(STILL_ACTIVE, firstChild.Wait(0));
}

TEST(AppSingleInstance, ASecondStartEndsAlsoWhenNoWindowIsFound)
{
    const std::wstring name = apptest::UniqueAppName();
    ProbeRun first, second;
    Child firstChild(first.CommandLine(name, L"nowindow"));
    ASSERT_TRUE(apptest::WaitForReportLine(first.report, "ready"));

    const auto r = testsupport::RunProcess(second.CommandLine(name, L"window"));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ("0 prev 1", second.Value("init"));
    EXPECT_EQ("(missing ready)", second.Value("ready"));
}

TEST(AppSingleInstance, AScheduledSecondStartHandsItsCommandToTheFirstWindow)
{
    const std::wstring name = apptest::UniqueAppName();
    ProbeRun first;
    Child firstChild(first.CommandLine(name, L"window"));
    ASSERT_NE(nullptr, StartWindowProbe(first, name, firstChild));
    const struct
    {
        const wchar_t* switches;
        const char* flags;
        const char* received;
    } cases[] = {
        {L"/autofix", "schedule=1 autofix=1 shutdown=0 activate-prev=0", "scheduler autofix"},
        {L"-shutdown", "schedule=1 autofix=1 shutdown=1 activate-prev=0", "scheduler shutdown"},
        {L"schedule", "schedule=1 autofix=0 shutdown=0 activate-prev=0", "scheduler schedulescan"},
    };
    for (const auto& c : cases)
    {
        ProbeRun second;
        const auto r = testsupport::RunProcess(second.CommandLine(name, L"window", c.switches));
        EXPECT_EQ(0u, r.exitCode) << c.received;
        EXPECT_EQ("0 prev 1", second.Value("init")) << c.received;
        EXPECT_EQ(c.flags, second.Value("flags"));
        EXPECT_TRUE(apptest::WaitForReportLine(first.report, c.received)) << c.received;
    }
    EXPECT_EQ(STILL_ACTIVE, firstChild.Wait(0));
}

TEST(AppSingleInstance, WithTheWindowMissingAScheduledStartRunsAsASecondInstance)
{
    const std::wstring name = apptest::UniqueAppName();
    ProbeRun first, second;
    Child firstChild(first.CommandLine(name, L"nowindow"));
    ASSERT_TRUE(apptest::WaitForReportLine(first.report, "ready"));

    testsupport::RunProcess(second.CommandLine(name, L"once", L"/autofix"));
    EXPECT_EQ("1 prev 1", second.Value("init"));
    EXPECT_EQ("schedule=1 autofix=1 shutdown=0 activate-prev=0", second.Value("flags"));
}

TEST(AppSingleInstance, ForeignSchedulerValuesAreIgnored)
{
    const std::wstring name = apptest::UniqueAppName();
    ProbeRun first;
    Child firstChild(first.CommandLine(name, L"window"));
    const HWND window = StartWindowProbe(first, name, firstChild);
    ASSERT_NE(nullptr, window);
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(VirtualFree(page, 0, MEM_RELEASE));
    for (LPARAM value : {LPARAM(1), static_cast<LPARAM>(0xFFFFFFFF), reinterpret_cast<LPARAM>(page)})
    {
        DWORD_PTR answer = 99;
        ASSERT_TRUE(SendMessageTimeoutW(window, g_nSchedulerMessage, 0, value, SMTO_BLOCK, 30000, &answer)) << value;
        EXPECT_EQ(0u, answer) << value;
    }
    int ignored = 0;
    for (const std::string& line : apptest::ReportLines(first.report))
        ignored += line == "scheduler none" ? 1 : 0;
    EXPECT_EQ(3, ignored);
    EXPECT_EQ(STILL_ACTIVE, firstChild.Wait(0));
    EXPECT_TRUE(IsWindow(window));
}

// ---- Start-up ----------------------------------------------------------------------------

TEST(AppStartUp, SettlesTheToolsFolderSettingsRendererAndIcon)
{
    const std::wstring name = apptest::UniqueAppName();
    const struct
    {
        bool plain;
        const char* icon;
    } cases[] = {{false, "own"}, {true, "suitecore"}};
    for (const auto& c : cases)
    {
        // Started from elsewhere, with blanks around the name.
        ProbeRun run;
        wchar_t before[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, before);
        SetCurrentDirectoryW(run.dir.Path().c_str());
        testsupport::RunProcess(run.CommandLine(L"  " + name + L" ", L"once", L"", c.plain));
        SetCurrentDirectoryW(before);

        EXPECT_EQ("1 prev 0", run.Value("init"));
        EXPECT_EQ(testsupport::Utf8(apptest::InstanceMutexName(L"  " + name + L" ")), run.Value("mutex"));
        EXPECT_EQ("Software\\Orvane\\QMN3\\" + testsupport::Utf8(name), run.Value("settings-path"));
        EXPECT_EQ(testsupport::Utf8(testsupport::BinFolder()), run.Value("cwd"));
        EXPECT_EQ("1", run.Value("riched20"));
        EXPECT_EQ("1", run.Value("ole"));
        EXPECT_EQ("exe=1 suitecore=1", run.Value("qhtm"));
        EXPECT_EQ(c.icon, run.Value("icon"));
        int state = -1, admin = -1, elevated = -1;
        ASSERT_EQ(3, sscanf(run.Value("elevation").c_str(), "%d admin-group %d elevated %d", &state, &admin,
                            &elevated));
        EXPECT_EQ(admin ? (elevated ? 1 : 2) : (elevated ? 1 : 0), state);
    }
}

TEST(AppStartUp, TheInstanceMutexLivesAsLongAsTheTool)
{
    const std::wstring name = apptest::UniqueAppName();
    const std::wstring mutex = apptest::InstanceMutexName(name);
    ProbeRun run;
    {
        HANDLE before = OpenMutexW(SYNCHRONIZE, FALSE, mutex.c_str());
        EXPECT_EQ(nullptr, before);
        if (before)
            CloseHandle(before);
    }
    Child child(run.CommandLine(name, L"window"));
    const HWND window = StartWindowProbe(run, name, child);
    ASSERT_NE(nullptr, window);
    HANDLE held = OpenMutexW(SYNCHRONIZE, FALSE, mutex.c_str());
    EXPECT_NE(nullptr, held);
    if (held)
        CloseHandle(held);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, child.Wait());
    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, mutex.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(AppStartUp, WindowMessageFilterOnlyFromWindowsVista)
{
    const struct
    {
        const wchar_t* version;
        const char* allow;
    } cases[] = {{L"winxp", "0"}, {L"win7", "1"}};
    for (const auto& c : cases)
    {
        apptest::VersionedCopy copy(L"orvapp_probe.exe", c.version);
        ASSERT_TRUE(copy.Ok());
        const std::wstring report = copy.Dir().File(L"report.txt");
        testsupport::RunProcess(L"\"" + copy.Path() + L"\" \"" + apptest::UniqueAppName() + L"\" \"" + report +
                                L"\" once");
        EXPECT_EQ(c.allow, apptest::ReportValue(report, "allow")) << testsupport::Utf8(c.version);
    }
}

// ---- Restarting elevated -----------------------------------------------------------------

TEST(AppRunElevated, StartsTheProgramAgainWithItsParametersInItsFolder)
{
    ProbeRun starter, started;
    const std::wstring startedName = apptest::UniqueAppName();
    const std::wstring parameters = L"\"" + startedName + L"\" \"" + started.report + L"\" \"record\"";
    const auto r = testsupport::RunProcess(starter.CommandLine(apptest::UniqueAppName(), L"runelevated", parameters));
    EXPECT_EQ("1", starter.Value("runelevated"));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return started.Value("cwd").rfind("(missing", 0) != 0; }));
    const std::string commandLine = started.Value("cmdline");
    EXPECT_NE(std::string::npos, commandLine.find("orvapp_probe.exe")) << commandLine;
    const std::string tail = testsupport::Utf8(parameters);
    ASSERT_GE(commandLine.size(), tail.size());
    EXPECT_EQ(tail, commandLine.substr(commandLine.size() - tail.size()));
    EXPECT_EQ(testsupport::Utf8(testsupport::BinFolder()), started.Value("cwd"));
}
