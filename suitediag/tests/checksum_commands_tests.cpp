// SuiteDiag's checksum, protected-path and file-list commands run as child processes on files in
// a throwaway folder.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
testsupport::ProcessResult Diag(const std::wstring& arguments, const std::string& input = std::string())
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments, 60000, input);
}

std::string U(const std::wstring& text)
{
    return testsupport::Utf8(text);
}

class ChecksumCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"check.txt"), "123456789"));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"abc.txt"), "abc"));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"empty.txt"), ""));
    }
    std::wstring Q(const std::wstring& name) const { return L"\"" + m_dir.File(name) + L"\""; }

    testsupport::TempDir m_dir;
};
} // namespace

TEST_F(ChecksumCommands, Crc32ThroughEveryMethod)
{
    const std::string expected =
        "cbf43926  " + U(m_dir.File(L"check.txt")) + "\n" + "00000000  " + U(m_dir.File(L"empty.txt")) + "\n";
    for (const wchar_t* method :
         {L"", L"--method streamed ", L"--method mapped ", L"--method buffered ", L"--method steps "})
    {
        const auto r = Diag(L"crc32 " + std::wstring(method) + Q(L"check.txt") + L" " + Q(L"empty.txt"));
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(expected, r.out) << U(method);
    }
}

TEST_F(ChecksumCommands, Md5AndSha1)
{
    auto r = Diag(L"md5 " + Q(L"abc.txt") + L" " + Q(L"empty.txt"));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72  " + U(m_dir.File(L"abc.txt")) + "\n" +
                  "d41d8cd98f00b204e9800998ecf8427e  " + U(m_dir.File(L"empty.txt")) + "\n",
              r.out);

    r = Diag(L"sha1 " + Q(L"abc.txt"));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D  " + U(m_dir.File(L"abc.txt")) + "\n", r.out);
}

TEST_F(ChecksumCommands, UnreadableFilesFailButTheOthersArePrinted)
{
    for (const wchar_t* command : {L"crc32 ", L"crc32 --method steps ", L"crc32 --method mapped ", L"md5 ", L"sha1 "})
    {
        const auto r = Diag(command + Q(L"missing.txt") + L" " + Q(L"abc.txt"));
        EXPECT_EQ(1u, r.exitCode) << U(command);
        EXPECT_NE(std::string::npos, r.err.find(U(m_dir.File(L"missing.txt")))) << r.err;
        EXPECT_NE(std::string::npos, r.out.find(U(m_dir.File(L"abc.txt")))) << U(command);
        EXPECT_EQ(std::string::npos, r.out.find("missing")) << U(command);
    }
}

TEST_F(ChecksumCommands, UsageErrors)
{
    EXPECT_EQ(2u, Diag(L"crc32").exitCode);
    EXPECT_EQ(2u, Diag(L"crc32 --method fast " + Q(L"abc.txt")).exitCode);
    EXPECT_EQ(2u, Diag(L"md5").exitCode);
    EXPECT_EQ(2u, Diag(L"sha1").exitCode);
    EXPECT_EQ(2u, Diag(L"list").exitCode);
    EXPECT_EQ(2u, Diag(L"list --order x .").exitCode);
}

TEST(ProtectedCommand, PathsFromArgumentsAndFromStdin)
{
    auto r = Diag(L"protected C:\\Temp\\tool.dll C:\\Temp\\report.tmp \"D:\\Photos\\System Backup\\a.jpg\"");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("101 C:\\Temp\\tool.dll\n110 C:\\Temp\\report.tmp\n000 D:\\Photos\\System Backup\\a.jpg\n", r.out);

    const std::string input = "\xEF\xBB\xBF"
                              "C:\\Temp\\readme\r\nC:\\caf\xC3\xA9\\Macro.VSMACROS\nC:\\RECYCLER\\x.txt\n";
    r = Diag(L"protected", input);
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("110 C:\\Temp\\readme\n111 C:\\caf\xC3\xA9\\Macro.VSMACROS\n000 C:\\RECYCLER\\x.txt\n", r.out);
}

TEST(ListCommand, RecursionFoldersAndOrder)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"sub\\inner.txt"), "12345"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"big.txt"), "123"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"small.log"), "1"));
    const std::string root = U(dir.Path()) + "\\";

    auto r = Diag(L"list --recurse --folders --order 2 \"" + dir.Path() + L"\"");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("0 00000010 " + root + "sub\n1 00000020 " + root + "small.log\n3 00000020 " + root + "big.txt\n" +
                  "5 00000020 " + root + "sub\\inner.txt\n",
              r.out);

    r = Diag(L"list \"" + dir.Path() + L"\" *.txt");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("3 00000020 " + root + "big.txt\n", r.out);

    r = Diag(L"list \"" + dir.File(L"nowhere") + L"\"");
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("is not a folder"));
}
