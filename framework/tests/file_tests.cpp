#include <framework/file.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
CFileException OpenError(LPCWSTR path, UINT flags)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path, flags, &error));
    return error;
}
} // namespace

TEST(CFileOpen, CreateTruncatesNoTruncateKeepsPlainOpenRequiresTheFile)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"f.bin");
    const CFileException missing = OpenError(path.c_str(), CFile::modeRead);
    EXPECT_EQ(CFileException::fileNotFound, missing.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, missing.m_lOsError);
    EXPECT_EQ(CFileException::badPath, OpenError(dir.File(L"no\\such\\f.bin").c_str(), CFile::modeRead).m_cause);

    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.Write("0123456789", 10);
    }
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(10u, f.GetLength());
        EXPECT_EQ(4u, f.Seek(-6, CFile::end));
        char buf[4];
        EXPECT_EQ(4u, f.Read(buf, 4));
        EXPECT_EQ(0, memcmp(buf, "4567", 4));
        f.SetLength(3);
        EXPECT_EQ(3u, f.GetLength());
        EXPECT_EQ(3u, f.Read(buf, 4) + f.GetPosition());  // at the end: nothing more to read
    }
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(0u, f.GetLength());
    }
}

TEST(CFileOpen, ShareModesAreHonoured)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"shared.bin");
    CFile exclusive(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
    const CFileException error = OpenError(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, error.m_lOsError);
    exclusive.Close();
    CFile reader(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(CFileException::sharingViolation, OpenError(path.c_str(), CFile::modeWrite | CFile::shareDenyNone).m_cause);
    CFile second(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
}

TEST(CFileOpen, ThrowingConstructorCarriesCauseAndName)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"absent.txt");
    try
    {
        CFile f(path.c_str(), CFile::modeRead);
        FAIL() << "opened a missing file";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        EXPECT_STREQ(path.c_str(), e->m_strFileName);
        wchar_t text[512];
        EXPECT_TRUE(e->GetErrorMessage(text, 512));
        EXPECT_NE(nullptr, wcsstr(text, L"absent.txt was not found."));
        e->Delete();
    }
}

TEST(FileTimes, LocalSecondsOrZeroWhenNotRepresentable)
{
    auto fileTime = [](ULONGLONG value) {
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(value);
        ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
        return ft;
    };
    const ULONGLONG epoch = 116444736000000000ULL; // 1970-01-01 as a file time
    // Local time and back gives the same instant, give or take today's daylight-saving hour.
    EXPECT_NEAR(1600000000.0, static_cast<double>(AfxFileTimeToLocalTime(fileTime(epoch + 16000000000000000ULL))),
                3600);
    EXPECT_EQ(0, AfxFileTimeToLocalTime(fileTime(0)));                     // 1601: before 1900
    EXPECT_EQ(0, AfxFileTimeToLocalTime(fileTime(0xFFFFFFFFFFFFFFFFULL))); // not a time
    EXPECT_EQ(0, AfxFileTimeToLocalTime(fileTime(epoch + 35659353600ULL * 10000000ULL))); // 3100: too late
}

TEST(CFileStatusTest, ReportsSizeAttributesAndName)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"status.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, std::string(1234, 'q')));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(1234u, status.m_size);
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, status.m_attribute);
    EXPECT_STREQ(path.c_str(), status.m_szFullName);
    EXPECT_GT(status.m_mtime, 1500000000);
    CFileStatus missing;
    EXPECT_FALSE(CFile::GetStatus(dir.File(L"nope").c_str(), missing));
    CFile f(path.c_str(), CFile::modeRead);
    CFileStatus byHandle;
    ASSERT_TRUE(f.GetStatus(byHandle));
    EXPECT_EQ(1234u, byHandle.m_size);
    EXPECT_EQ(status.m_mtime, byHandle.m_mtime);
    EXPECT_STREQ(L"status.txt", f.GetFileName());
    EXPECT_STREQ(L"status", f.GetFileTitle());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CStdioFileText, TextModeTranslatesLineEndsAndReadsLongLinesWhole)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"lines.txt");
    const CString longLine(L'L', 1000);
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        f.WriteString(L"first\n");
        f.WriteString(longLine + L"\n");
        f.WriteString(L"last without end");
    }
    EXPECT_EQ("first\r\n" + std::string(1000, 'L') + "\r\nlast without end", testsupport::ReadFileBytes(path));
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(L"first", line);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_TRUE(line == longLine);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(L"last without end", line);
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST(CStdioFileText, BinaryModeKeepsBytesAndAppendModeAppends)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"raw.bin");
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        f.WriteString(L"A\n");  // UTF-16 code units, no translation
        f.Write("\r\n", 2);
        EXPECT_EQ(6u, f.GetLength());
    }
    EXPECT_EQ(std::string("A\0\n\0\r\n", 6), testsupport::ReadFileBytes(path));
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::typeBinary);
        f.Write("++", 2);
    }
    EXPECT_EQ(8u, testsupport::ReadFileBytes(path).size());
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeBinary);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(L"A", line);
    EXPECT_EQ(4u, f.GetPosition());
}

TEST(CMemFileTest, GrowsInBlocksSeeksAndDetaches)
{
    CMemFile f(16);
    f.Write("abc", 3);
    EXPECT_EQ(16u, f.GetBufferSize());
    f.Seek(40, CFile::begin);
    f.Write("z", 1);  // the gap reads back as zeros
    EXPECT_EQ(41u, f.GetLength());
    EXPECT_EQ(48u, f.GetBufferSize());
    f.SeekToBegin();
    char buf[64] = {};
    EXPECT_EQ(41u, f.Read(buf, 64));
    EXPECT_EQ(0, memcmp(buf, "abc\0\0", 5));
    EXPECT_EQ('z', buf[40]);
    EXPECT_EQ(0u, f.Read(buf, 1));
    try
    {
        f.Seek(-1, CFile::begin);
        ADD_FAILURE() << "seek before the start";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::badSeek, e->m_cause);
        e->Delete();
    }
    BYTE* owned = f.Detach();
    EXPECT_EQ(0u, f.GetLength());
    free(owned);

    BYTE fixed[4] = {1, 2, 3, 4};
    CMemFile view(fixed, 4);
    EXPECT_EQ(4u, view.GetLength());
    view.Seek(4, CFile::begin);
    try
    {
        view.Write("x", 1);  // a caller's buffer without grow-by cannot grow
        ADD_FAILURE() << "wrote past a fixed buffer";
    }
    catch (CMemoryException* e)
    {
        e->Delete();
    }
    EXPECT_EQ(1, fixed[0]);
}
