#include <suitecore/sysinfo.h>

#include <gtest/gtest.h>

#include <string>

TEST(StringArrays, FindIgnoresCaseFromEitherEnd)
{
    CStringArray a;
    a.Add(L"Alpha");
    a.Add(L"beta");
    a.Add(L"GAMMA");
    EXPECT_TRUE(FindInStringArray(a, L"alpha", FALSE));
    EXPECT_TRUE(FindInStringArray(a, L"Gamma", TRUE));
    EXPECT_TRUE(FindInStringArray(a, L"BETA", TRUE));
    EXPECT_FALSE(FindInStringArray(a, L"delta", FALSE));
    EXPECT_FALSE(FindInStringArray(a, L"alph", TRUE));
    EXPECT_FALSE(FindInStringArray(CStringArray(), L"x", FALSE));
}

namespace
{
std::wstring Joined(const CStringArray& a)
{
    std::wstring text;
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        text += std::wstring(i ? L"," : L"") + a[i].GetString();
    return text;
}
} // namespace

TEST(StringArrays, SortsAscendingDescendingWithAndWithoutCase)
{
    const wchar_t* items[] = {L"b", L"a", L"C", L"A", L"c2", L"B"};
    auto sorted = [&](BOOL descending, BOOL caseSensitive)
    {
        CStringArray a;
        for (const wchar_t* s : items)
            a.Add(s);
        SortStringArray(a, descending, caseSensitive);
        return Joined(a);
    };
    EXPECT_EQ(L"A,B,C,a,b,c2", sorted(FALSE, TRUE));
    EXPECT_EQ(L"c2,b,a,C,B,A", sorted(TRUE, TRUE));
    // Without case, "a" and "A" are equal and either may come first.
    const std::wstring noCase = sorted(FALSE, FALSE);
    EXPECT_TRUE(noCase == L"a,A,b,B,C,c2" || noCase == L"A,a,b,B,C,c2" || noCase == L"a,A,B,b,C,c2" ||
                noCase == L"A,a,B,b,C,c2")
        << noCase;
    const std::wstring noCaseDown = sorted(TRUE, FALSE);
    EXPECT_EQ(L"c2", noCaseDown.substr(0, 2));
    EXPECT_EQ(0, _wcsicmp(L"C,B,B,A,A", noCaseDown.substr(3).c_str())) << noCaseDown;
}
