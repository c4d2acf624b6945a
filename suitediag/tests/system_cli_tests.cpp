// "SuiteDiag ui shutdown" and "SuiteDiag restore-point" as support staff run them: the
// countdown's five lines after its ticks and close attempts, and Wine's failing restore point.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    testsupport::ProcessResult r =
        testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments, 120000);
    r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
    return r;
}
} // namespace

TEST(SystemCommands, ShutdownViewPrintsWhatTheCountdownShows)
{
    const struct
    {
        const wchar_t* arguments;
        const char* expected;
    } cases[] = {
        {L"ui shutdown",
         "countdown 4 : 59\nmessage Your system will shutdown in 5 minute(s).\ncancel visible\ndialog open\n"
         "request none\n"},
        {L"ui shutdown --ticks 295",
         "countdown 0 : 0\nmessage Your system will shutdown in 0 minute(s).\ncancel visible\ndialog open\n"
         "request flags=1 reason=16\n"},
        {L"ui shutdown --close --ticks 1",
         "countdown 4 : 58\nmessage Your system will shutdown in 5 minute(s).\ncancel visible\ndialog closed\n"
         "request none\n"},
        {L"ui shutdown --restart --close --headline \"Optimization finished\"",
         "countdown 0 : 59\nmessage Your system will restart in 1 minute(s).\ncancel hidden\ndialog open\n"
         "request none\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.arguments));
        const auto r = SuiteDiag(c.arguments);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(c.expected, r.out);
    }
}

TEST(SystemCommands, RestorePointFailsAgainstWinesStub)
{
    const auto r = SuiteDiag(L"restore-point \"Before the demo\"");
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("failed\n", r.out);
}
