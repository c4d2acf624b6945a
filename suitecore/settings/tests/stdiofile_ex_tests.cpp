// UTF-16 and code-page text files on disk, checked byte by byte.
#include <suitecore/stdiofileex.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const std::string kMark("\xFF\xFE", 2);

std::string Utf16(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::vector<std::wstring> ReadLines(CStdioFileEx& file)
{
    std::vector<std::wstring> lines;
    CString line;
    while (file.ReadString(line))
        lines.emplace_back(line.GetString());
    EXPECT_TRUE(line.IsEmpty());
    return lines;
}

using Lines = std::vector<std::wstring>;

class TextFiles : public testing::Test
{
protected:
    testsupport::TempDir dir;
    std::wstring path = dir.File(L"text.txt");
};
} // namespace

TEST_F(TextFiles, UnicodeWritingIsBinaryWithOneMark)
{
    {
        CStdioFileEx file(path.c_str(),
                          CFile::modeCreate | CFile::modeWrite | CFile::typeText | CStdioFileEx::modeWriteUnicode);
        file.WriteString(L"first\n");
        file.WriteString(L"\x00FC\x20AC\x010A\n"); // U+010A has 0x0A as its low byte
        file.WriteString(L"last");
        EXPECT_TRUE(file.IsUnicodeText());
    }
    const std::string expected = kMark + Utf16(L"first\n\x00FC\x20AC\x010A\nlast");
    EXPECT_EQ(expected, testsupport::ReadFileBytes(path));

    // Appending to it adds no second mark.
    {
        CStdioFileEx file(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                            CStdioFileEx::modeWriteUnicode);
        file.WriteString(L" more\n");
    }
    EXPECT_EQ(expected + Utf16(L" more\n"), testsupport::ReadFileBytes(path));

    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
    EXPECT_TRUE(file.IsUnicodeText());
    EXPECT_EQ(static_cast<ULONGLONG>(Utf16(L"first\n\x00FC\x20AC\x010A\nlast more\n").size() / 2),
              file.GetCharacterCount());
    EXPECT_EQ((Lines{L"first", L"\x00FC\x20AC\x010A", L"last more"}), ReadLines(file));
}

TEST_F(TextFiles, TheMarkDecidesHowATextFileIsRead)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(path, kMark + Utf16(L"one\r\ntwo\r\nthree")));
    {
        CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
        EXPECT_TRUE(file.IsUnicodeText());
        EXPECT_EQ((Lines{L"one", L"two", L"three"}), ReadLines(file));
    }
    // Without the mark the same bytes are 8-bit text: the first zero byte ends the line's text.
    ASSERT_TRUE(testsupport::WriteFileBytes(path, Utf16(L"one\r\ntwo")));
    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
    EXPECT_FALSE(file.IsUnicodeText());
    EXPECT_EQ(static_cast<ULONGLONG>(16), file.GetCharacterCount());
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_STREQ(L"o", line);
}

TEST_F(TextFiles, EightBitLinesLoseTheirEndsAndLongLinesComeInPieces)
{
    const std::string longLine(10000, 'A');
    ASSERT_TRUE(testsupport::WriteFileBytes(path, longLine + "\r\nsecond\r\n\r\nlast"));
    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
    EXPECT_FALSE(file.IsUnicodeText());
    EXPECT_EQ((Lines{std::wstring(8191, L'A'), std::wstring(1809, L'A'), L"second", L"", L"last"}), ReadLines(file));
}

TEST_F(TextFiles, ALineThatConvertsToNothingIsEmptyNotThePreviousLine)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(path, std::string("first\n\0hidden\nlast\n", 19)));
    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
    EXPECT_EQ((Lines{L"first", L"", L"last"}), ReadLines(file));
}

TEST_F(TextFiles, CodePagesAndTheirMissingCharacters)
{
    {
        CStdioFileEx file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        EXPECT_EQ(437, file.SetCodePage(437));
        file.WriteString(L"price: 5\x20AC \x00FC\n");
    }
    EXPECT_EQ("price: 5# \x81\r\n", testsupport::ReadFileBytes(path));
    {
        CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
        file.SetCodePage(437);
        EXPECT_EQ((Lines{L"price: 5# \x00FC"}), ReadLines(file));
    }
    {
        CStdioFileEx file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        file.SetCodePage(CP_UTF8);
        file.WriteString(L"\x20AC\x00FC\n");
    }
    EXPECT_EQ("\xE2\x82\xAC\xC3\xBC\n", testsupport::ReadFileBytes(path));
    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeText);
    file.SetCodePage(CP_UTF8);
    EXPECT_EQ((Lines{L"\x20AC\x00FC"}), ReadLines(file));
}

TEST_F(TextFiles, BinaryReadsSkipOnlyARealMark)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(path, Utf16(L"ab\ncd")));
    CStdioFileEx file(path.c_str(), CFile::modeRead | CFile::typeBinary);
    EXPECT_TRUE(file.IsUnicodeText());
    EXPECT_EQ((Lines{L"ab", L"cd"}), ReadLines(file));
}

TEST_F(TextFiles, OpenFailuresAndPathChecks)
{
    CStdioFileEx file;
    EXPECT_TRUE(file.IsUnicodeText());
    EXPECT_EQ(0u, file.GetCharacterCount());
    CFileException error;
    EXPECT_FALSE(file.Open(dir.File(L"missing.txt").c_str(), CFile::modeRead | CFile::typeText, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    bool thrown = false;
    try
    {
        file.SetFilePath(nullptr);
    }
    catch (CInvalidArgException* e)
    {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    thrown = false;
    try
    {
        CStdioFileEx missing(dir.File(L"missing.txt").c_str(), CFile::modeRead);
    }
    catch (CFileException* e)
    {
        thrown = e->m_cause == CFileException::fileNotFound;
        e->Delete();
    }
    EXPECT_TRUE(thrown);

    EXPECT_FALSE(CStdioFileEx::FileHasUnicodeMark(dir.File(L"missing.txt").c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "\xFF"));
    EXPECT_FALSE(CStdioFileEx::FileHasUnicodeMark(path.c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "\xFF\xFE"));
    EXPECT_TRUE(CStdioFileEx::FileHasUnicodeMark(path.c_str()));
}

TEST(CStdioFileExConversions, ClearTheTargetAndCountWithoutTheZero)
{
    wchar_t wide[8];
    wmemset(wide, L'#', 8);
    EXPECT_EQ(3, CStdioFileEx::MultiByteToWide("abc", wide, 8, 1252));
    EXPECT_STREQ(L"abc", wide);
    EXPECT_EQ(L'\0', wide[7]); // cleared
    EXPECT_EQ(0, CStdioFileEx::MultiByteToWide("too long for it", wide, 4, 1252));
    EXPECT_EQ(0, CStdioFileEx::MultiByteToWide(nullptr, wide, 8, 1252));
    EXPECT_EQ(2, CStdioFileEx::MultiByteToWide("\xE2\x82\xAC\xC3\xBC", wide, 8, CP_UTF8));
    EXPECT_STREQ(L"\x20AC\x00FC", wide);

    char narrow[8];
    memset(narrow, '#', 8);
    EXPECT_EQ(4, CStdioFileEx::GetMultiByteLength(L"ab\x20AC", 437));
    EXPECT_EQ(3, CStdioFileEx::WideToMultiByte(L"ab\x20AC", narrow, 8, 437));
    EXPECT_STREQ("ab#", narrow);
    EXPECT_EQ('\0', narrow[7]);
    EXPECT_EQ(6, CStdioFileEx::GetMultiByteLength(L"ab\x20AC", CP_UTF8));
    EXPECT_EQ(5, CStdioFileEx::WideToMultiByte(L"ab\x20AC", narrow, 8, CP_UTF8));
    EXPECT_STREQ("ab\xE2\x82\xAC", narrow);
    // -1 is the system's ANSI code page.
    EXPECT_EQ(CStdioFileEx::GetMultiByteLength(L"x\x00E9", static_cast<int>(GetACP())),
              CStdioFileEx::GetMultiByteLength(L"x\x00E9", -1));
    EXPECT_EQ(GetACP(), CStdioFileEx::GetLocaleAnsiCodePage());
}
