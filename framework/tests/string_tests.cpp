#include <framework/exception.h>
#include <framework/string.h>

#include <gtest/gtest.h>

#include "test_resources.h"

TEST(CStringFormat, UsesThePlatformMeaningOfConversions)
{
    CString s;
    s.Format(L"%s|%d|%I64d|%0.2f|%%|%hs", L"wide text", -42, static_cast<__int64>(-9000000000LL), 2.345, "narrow");
    EXPECT_STREQ(L"wide text|-42|-9000000000|2.35|%|narrow", s);
    s.AppendFormat(L"+%u", 7u);
    EXPECT_STREQ(L"wide text|-42|-9000000000|2.35|%|narrow+7", s);
    s.Format(L"%s", L"");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringFormat, ProducesVeryLongResults)
{
    CString piece(L'x', 100000);
    CString s;
    s.Format(L"<%s>%s", piece.GetString(), piece.GetString());
    ASSERT_EQ(200002, s.GetLength());
    EXPECT_EQ(L'<', s[0]);
    EXPECT_EQ(L'>', s[100001]);
    EXPECT_EQ(L'x', s[200001]);
    s.AppendFormat(L"%s", s.GetString());  // formatting its own text into itself
    EXPECT_EQ(400004, s.GetLength());
}

TEST(CStringConstruction, NarrowTextGoesThroughTheAnsiCodePage)
{
    EXPECT_STREQ(L"plain", CString("plain"));
    EXPECT_STREQ(L"ab", CString("abcdef", 2));
    char ansi[] = {static_cast<char>(0xE9), 0};  // é in every Western ANSI code page
    wchar_t expected[2] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, 1, expected, 1);
    EXPECT_STREQ(expected, CString(ansi));
    EXPECT_STREQ(L"", CString(static_cast<LPCSTR>(nullptr)));
    EXPECT_STREQ(L"zzz", CString(L'z', 3));
}

TEST(CStringSearch, FindReverseFindAndExtraction)
{
    const CString s(L"C:\\Windows\\System32\\drivers");
    EXPECT_EQ(2, s.Find(L'\\'));
    EXPECT_EQ(10, s.Find(L'\\', 3));
    EXPECT_EQ(-1, s.Find(L'\\', 100));
    EXPECT_EQ(11, s.Find(L"System"));
    EXPECT_EQ(-1, s.Find(L"system"));
    EXPECT_EQ(19, s.ReverseFind(L'\\'));
    EXPECT_EQ(-1, s.ReverseFind(L'#'));
    EXPECT_EQ(1, s.FindOneOf(L":\\"));
    EXPECT_STREQ(L"C:", s.Left(2));
    EXPECT_STREQ(L"drivers", s.Mid(20));
    EXPECT_STREQ(L"Wind", s.Mid(3, 4));
    EXPECT_STREQ(L"", s.Mid(99));
    EXPECT_STREQ(s, s.Left(999));
    EXPECT_STREQ(L"", s.Left(-3));
    EXPECT_STREQ(L"ers", s.Right(3));
    EXPECT_STREQ(s, s.Right(999));
    EXPECT_EQ(0, s.Compare(L"C:\\Windows\\System32\\drivers"));
    EXPECT_EQ(0, s.CompareNoCase(L"c:\\windows\\SYSTEM32\\DRIVERS"));
    EXPECT_LT(CString(L"a").Compare(L"b"), 0);
}

TEST(CStringEditing, ReplaceRemoveInsertDeleteAndCase)
{
    CString s(L"a.b.c");
    EXPECT_EQ(2, s.Replace(L".", L"::"));
    EXPECT_STREQ(L"a::b::c", s);
    EXPECT_EQ(2, s.Replace(L"::", L""));
    EXPECT_STREQ(L"abc", s);
    EXPECT_EQ(0, s.Replace(L"", L"x"));
    EXPECT_EQ(1, s.Replace(L'b', L'B'));
    EXPECT_EQ(1, s.Remove(L'B'));
    EXPECT_EQ(4, s.Insert(1, L"XY"));
    EXPECT_STREQ(L"aXYc", s);
    EXPECT_EQ(5, s.Insert(99, L'!'));
    EXPECT_STREQ(L"aXYc!", s);
    EXPECT_EQ(3, s.Delete(1, 2));
    EXPECT_EQ(1, s.Delete(1, 100));
    EXPECT_STREQ(L"a", s);
    CString path(L"C:\\Program Files\\TOOL.EXE");
    EXPECT_STREQ(L"c:\\program files\\tool.exe", path.MakeLower());
    EXPECT_STREQ(L"C:\\PROGRAM FILES\\TOOL.EXE", path.MakeUpper());
    CString self(L"abc");
    self.Insert(1, self.GetString());  // inserting its own text
    EXPECT_STREQ(L"aabcbc", self);
    self += self;
    EXPECT_STREQ(L"aabcbcaabcbc", self);
}

TEST(CStringTrim, RemovesWhiteSpaceAsTheRuntimeDefinesIt)
{
    CString s(L" \t\r\n value \x3000\n");
    EXPECT_STREQ(L"value", CString(s).Trim());
    EXPECT_STREQ(L"value \x3000\n", CString(s).TrimLeft());
    EXPECT_STREQ(L" \t\r\n value", CString(s).TrimRight());
    EXPECT_STREQ(L"b", CString(L"xxbxx").Trim(L'x'));
    EXPECT_STREQ(L"b", CString(L"xyb yx").Trim(L"xy "));
    EXPECT_STREQ(L"", CString(L"   ").Trim());
}

TEST(CStringTokenize, SkipsRunsOfDelimitersAndEndsWithMinusOne)
{
    const CString s(L";;alpha;beta;;gamma;");
    int pos = 0;
    std::vector<CString> tokens;
    for (CString t = s.Tokenize(L";", pos); pos != -1; t = s.Tokenize(L";", pos))
        tokens.push_back(t);
    EXPECT_EQ((std::vector<CString>{L"alpha", L"beta", L"gamma"}), tokens);
}

TEST(CStringBuffer, GetBufferAndReleaseBuffer)
{
    CString s;
    LPWSTR p = s.GetBuffer(MAX_PATH);
    const DWORD n = GetWindowsDirectoryW(p, MAX_PATH);
    s.ReleaseBuffer();
    EXPECT_EQ(static_cast<int>(n), s.GetLength());
    p = s.GetBuffer(5);
    p[0] = L'Q';
    s.ReleaseBuffer(1);
    EXPECT_STREQ(L"Q", s);
    s.GetBufferSetLength(3)[2] = L'Z';
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ(L'Z', s[2]);
}

TEST(CStringResources, LoadStringReadsTheModulesStringTable)
{
    CString s;
    ASSERT_TRUE(s.LoadString(GetModuleHandleW(nullptr), IDS_TEST_GREETING));
    EXPECT_STREQ(L"Hello from the string table", s);
    ASSERT_TRUE(s.LoadString(IDS_TEST_LONG));  // through the framework's resource search
    EXPECT_EQ(600, s.GetLength());
    EXPECT_FALSE(s.LoadString(GetModuleHandleW(nullptr), IDS_TEST_MISSING));
}
