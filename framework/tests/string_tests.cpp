#include <framework/exception.h>
#include <framework/string.h>

#include <gtest/gtest.h>

TEST(CStringFormat, UsesThePlatformMeaningOfConversions)
{
    CString s;
    s.Format(L"%s|%d|%I64d|%0.2f|%%|%hs", L"wide text", -42, static_cast<__int64>(-9000000000LL), 2.345, "narrow");
    EXPECT_STREQ(L"wide text|-42|-9000000000|2.35|%|narrow", s);
    s.AppendFormat(L"+%u", 7u);
    EXPECT_STREQ(L"wide text|-42|-9000000000|2.35|%|narrow+7", s);
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
}
