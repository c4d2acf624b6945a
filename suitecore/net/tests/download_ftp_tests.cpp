// The downloader over FTP against a local pyftpdlib server.
#include "net_test_support.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

using namespace nettest;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace
{
class FtpDownload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetDownloader();
        ASSERT_TRUE(WriteFileBytes(TestServers().ftpRoot + L"\\" + name, Content(0, 300000, 7)));
    }
    void TearDown() override
    {
        ClearDownloadFiles();
        DeleteFileW((TestServers().ftpRoot + L"\\" + name).c_str());
    }

    TempDir dir;
    std::wstring name = NewTag() + L".bin";
    RecordingRunner runner;
};
} // namespace

TEST_F(FtpDownload, FetchesAFileAnonymouslyWithoutAskingItsSize)
{
    ASSERT_TRUE(AddDownloadFile(Ftp(L"/" + name).c_str(), dir.File(L"a.bin").c_str()));

    EXPECT_TRUE(runner.Run());
    EXPECT_TRUE(SameBytes(Content(0, 300000, 7), ReadFileBytes(dir.File(L"a.bin"))));
    EXPECT_EQ(300000, GetDownloadFile(0)->m_nSize);
    // With "noftpsize" the total is unknown until the file is complete.
    const auto totals = runner.Of(WM_DL_TOTAL_PROGRESS);
    ASSERT_EQ(1u, totals.size());
    EXPECT_EQ(300000, totals[0].lParam);
    EXPECT_EQ(0, runner.Of(WM_DL_FILE_PROGRESS).front().lParam);
}

TEST_F(FtpDownload, AsksTheSizeWhenAllowed)
{
    ASSERT_EQ(1, SetDownloadOption(L"noftpsize", L"false"));
    ASSERT_TRUE(AddDownloadFile(Ftp(L"/" + name, L"tester:secret").c_str(), dir.File(L"b.bin").c_str()));

    EXPECT_TRUE(runner.Run());
    EXPECT_TRUE(SameBytes(Content(0, 300000, 7), ReadFileBytes(dir.File(L"b.bin"))));
    EXPECT_EQ(300000, runner.Of(WM_DL_TOTAL_PROGRESS).front().lParam);
    EXPECT_EQ(300000, runner.Of(WM_DL_FILE_PROGRESS).front().lParam);
}

TEST_F(FtpDownload, AnExistingLongerFileIsReplacedWhole)
{
    // FTP always starts at 0, resume or not.
    ASSERT_TRUE(WriteFileBytes(dir.File(L"c.bin"), std::string(400000, 'X')));
    ASSERT_TRUE(AddDownloadFile(Ftp(L"/" + name).c_str(), dir.File(L"c.bin").c_str()));

    EXPECT_TRUE(runner.Run());
    EXPECT_TRUE(SameBytes(Content(0, 300000, 7), ReadFileBytes(dir.File(L"c.bin"))));
}

TEST_F(FtpDownload, ARefusedLogInIsAskedOfTheWindow)
{
    ASSERT_TRUE(AddDownloadFile(Ftp(L"/" + name, L"tester:wrong").c_str(), dir.File(L"d.bin").c_str()));
    EXPECT_FALSE(runner.Run());
    EXPECT_EQ(1u, runner.Count(WM_DL_FTP_LOGIN));
    EXPECT_EQ(1u, runner.Count(WM_DL_FAILED));
    EXPECT_EQ(0, GetDownloadFile(0)->m_bDone);

    RecordingRunner answering;
    answering.answerFtpLogin = [](CDownloadLogin& login)
    {
        login.m_strUserName = L"tester";
        login.m_strPassword = L"secret";
        return TRUE;
    };
    EXPECT_TRUE(answering.Run());
    EXPECT_EQ(1u, answering.Count(WM_DL_FTP_LOGIN));
    EXPECT_TRUE(SameBytes(Content(0, 300000, 7), ReadFileBytes(dir.File(L"d.bin"))));
}

TEST_F(FtpDownload, AMissingFileFailsThePass)
{
    ASSERT_TRUE(AddDownloadFile(Ftp(L"/no-" + name).c_str(), dir.File(L"e.bin").c_str()));
    EXPECT_FALSE(runner.Run());
    EXPECT_EQ(1u, runner.Count(WM_DL_FAILED));
    EXPECT_EQ(0, GetDownloadFile(0)->m_bDone);
}
