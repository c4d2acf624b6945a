// SuiteDiag run as a real child process, its output and exit codes checked.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}
} // namespace

TEST(SuiteDiagCli, VersionPrintsTheVersionSetInTheBuild)
{
    const auto r = SuiteDiag(L"version");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ(std::string(SUITE_PROJECT_VERSION) + "\n", r.out);
}

TEST(SuiteDiagCli, HelpListsTheCommands)
{
    const auto r = SuiteDiag(L"help");
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_NE(std::string::npos, r.out.find("\n  version "));
    EXPECT_NE(std::string::npos, r.out.find("\n  help "));
}

TEST(SuiteDiagCli, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(2u, SuiteDiag(L"").exitCode);
    const auto unknown = SuiteDiag(L"no-such-command");
    EXPECT_EQ(2u, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown command \"no-such-command\""));
    const auto extra = SuiteDiag(L"version surplus");
    EXPECT_EQ(2u, extra.exitCode);
    EXPECT_NE(std::string::npos, extra.err.find("Usage: SuiteDiag version"));
}
