// SuiteDiag download run as a child process against the local test server.
#include "net_test_support.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

using namespace nettest;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::Utf8;
using testsupport::WriteFileBytes;

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" download " + arguments);
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

bool HasLine(const std::string& out, const std::string& line)
{
    return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}
} // namespace

TEST(SuiteDiagDownload, PrintsTheMessagesAndExitsZeroWhenEveryFileIsDone)
{
    TempDir dir;
    const auto r = SuiteDiag(Quoted(Http(L"/data/70000/one.bin")) + L" " + Quoted(dir.File(L"one.bin")) + L" " +
                             Quoted(Http(L"/data/5000/two.bin?x=1")) + L" " + Quoted(dir.File(L"two.bin")));
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_TRUE(SameBytes(Content(0, 70000), ReadFileBytes(dir.File(L"one.bin"))));
    EXPECT_TRUE(SameBytes(Content(0, 5000), ReadFileBytes(dir.File(L"two.bin"))));
    EXPECT_EQ(0u, r.out.find("status: Getting file information...\n")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "total progress: 0 of 75000")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "file: one.bin (1 of 2)")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "file: two.bin (2 of 2)")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "file progress: 5000 of 5000")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "finished")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "done: 2 of 2")) << r.out;
}

TEST(SuiteDiagDownload, FollowsARelativeRedirect)
{
    TempDir dir;
    const auto r = SuiteDiag(Quoted(Http(L"/data/7000/first.bin?" + RedirectTo(L"/data/7000/big.bin").substr(1))) +
                             L" " + Quoted(dir.File(L"big.bin")));
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_TRUE(SameBytes(Content(0, 7000), ReadFileBytes(dir.File(L"big.bin"))));
    EXPECT_TRUE(HasLine(r.out, "status: Redirecting to " + Utf8(Http(L"/data/7000/big.bin")))) << r.out;
    EXPECT_TRUE(HasLine(r.out, "done: 1 of 1")) << r.out;
}

TEST(SuiteDiagDownload, AFailedPassIsAnsweredNoRetryAndExitsOne)
{
    TempDir dir;
    const auto r = SuiteDiag(Quoted(Http(L"/status/404")) + L" " + Quoted(dir.File(L"x.bin")));
    EXPECT_EQ(1u, r.exitCode) << r.out;
    EXPECT_TRUE(HasLine(r.out, "failed (retry offered): answered no retry")) << r.out;
    EXPECT_TRUE(HasLine(r.out, "done: 0 of 1")) << r.out;
    EXPECT_NE(std::string::npos, r.err.find("not every file was downloaded"));
}

TEST(SuiteDiagDownload, ResumesUnlessTold)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File(L"r.bin"), Content(0, 30000)));
    const std::wstring pair = Quoted(Http(L"/data/60000/r.bin")) + L" " + Quoted(dir.File(L"r.bin"));
    const auto resumed = SuiteDiag(pair);
    EXPECT_EQ(0u, resumed.exitCode) << resumed.out;
    EXPECT_TRUE(SameBytes(Content(0, 60000), ReadFileBytes(dir.File(L"r.bin"))));
    EXPECT_TRUE(HasLine(resumed.out, "total progress: 60000 of 60000")) << resumed.out;

    ASSERT_TRUE(WriteFileBytes(dir.File(L"r.bin"), std::string(90000, 'X')));
    const auto fresh = SuiteDiag(L"--no-resume " + pair);
    EXPECT_EQ(0u, fresh.exitCode) << fresh.out;
    EXPECT_TRUE(SameBytes(Content(0, 60000), ReadFileBytes(dir.File(L"r.bin"))));
}

TEST(SuiteDiagDownload, RefusesBadCommandLines)
{
    EXPECT_EQ(2u, SuiteDiag(L"").exitCode);
    EXPECT_EQ(2u, SuiteDiag(L"http://127.0.0.1/x").exitCode);
    const auto tooLong = SuiteDiag(Quoted(Http(L"/" + std::wstring(600, L'a'))) + L" x.bin");
    EXPECT_EQ(1u, tooLong.exitCode);
    EXPECT_NE(std::string::npos, tooLong.err.find("cannot queue")) << tooLong.err;
}
