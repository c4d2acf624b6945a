// Programs with an application object, run as child processes: the windows program whose
// wWinMain comes from framework_winmain, and the console host.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring BesideMe(const std::wstring& name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::string Normalised(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

struct Host
{
    const wchar_t* exe;
    const char* banner;
};
const Host kHosts[] = {{L"framework_app_probe.exe", ""}, {L"framework_console_probe.exe", "host: console\n"}};

testsupport::ProcessResult RunHost(const Host& host, const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + BesideMe(host.exe) + L"\" " + arguments, 60000);
}
} // namespace

TEST(AppProgramTest, TheStepsRunInOrderAndTheLoopFreesTemporariesAtIdle)
{
    for (const Host& host : kHosts)
    {
        const auto result = RunHost(host, L"run");
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(3u, result.exitCode) << testsupport::Utf8(host.exe);
        EXPECT_EQ(std::string(host.banner) +
                      "InitApplication\n"
                      "InitInstance\n"
                      "app same: 1\n"
                      "name: Probe Title / Probe Title\n"
                      "main same: 1\n"
                      "temps after send: 1 same\n"
                      "idle 0 temps 1\n"
                      "idle 1 temps 0\n"
                      "ExitInstance\n",
                  Normalised(result.out))
            << testsupport::Utf8(host.exe);
    }
}

TEST(AppProgramTest, FalseFromInitInstanceEndsWithExitInstancesCode)
{
    for (const Host& host : kHosts)
    {
        const auto result = RunHost(host, L"refuse");
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(7u, result.exitCode) << testsupport::Utf8(host.exe);
        EXPECT_EQ(std::string(host.banner) +
                      "InitApplication\n"
                      "InitInstance\n"
                      "app same: 1\n"
                      "name: Probe Title / Probe Title\n"
                      "ExitInstance\n",
                  Normalised(result.out));
    }
}

TEST(AppProgramTest, AMessageBoxIsTitledWithTheApplicationsName)
{
    const auto result = RunHost(kHosts[0], L"msgbox");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_NE(std::string::npos, Normalised(result.out).find("box title: Probe Title\nExitInstance\n"))
        << result.out;
}
