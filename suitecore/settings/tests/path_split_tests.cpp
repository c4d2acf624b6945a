#include "../path_split.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::wstring Parts(const CPathSplit& s)
{
    return std::wstring(s.m_szDrive) + L"|" + s.m_szDir + L"|" + s.m_szFileName + L"|" + s.m_szExt;
}
} // namespace

TEST(CPathSplitTest, SplitsLikeTheRuntime)
{
    CPathSplit s;
    ASSERT_TRUE(s.Split(L"C:\\Windows\\System32\\notepad.exe"));
    EXPECT_EQ(L"C:|\\Windows\\System32\\|notepad|.exe", Parts(s));
    ASSERT_TRUE(s.Split(L"relative/dir.d/archive.tar.gz"));
    EXPECT_EQ(L"|relative/dir.d/|archive.tar|.gz", Parts(s));
    ASSERT_TRUE(s.Split(L"C:readme"));
    EXPECT_EQ(L"C:||readme|", Parts(s));
    ASSERT_TRUE(s.Split(L"\\\\server\\share\\.hidden"));
    EXPECT_EQ(L"|\\\\server\\share\\||.hidden", Parts(s));
    ASSERT_TRUE(s.Split(L""));
    EXPECT_EQ(L"|||", Parts(s));
}

TEST(CPathSplitTest, RefusesWhatDoesNotFitWithoutCuttingIt)
{
    CPathSplit s;
    const std::wstring longName(260, L'n');
    EXPECT_FALSE(s.Split((L"C:\\" + longName).c_str()));
    EXPECT_EQ(L"|||", Parts(s));
    EXPECT_TRUE(s.Split((L"C:\\" + std::wstring(259, L'n')).c_str()));
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\f.txt";
    EXPECT_FALSE(s.Split(deep.c_str()));  // folder longer than its field
    EXPECT_FALSE(s.Split((L"C:\\a\\" + std::wstring(600, L'x')).c_str()));
    EXPECT_TRUE(s.Split((L"C:\\a\\b." + std::wstring(258, L'e')).c_str()));
    EXPECT_FALSE(s.Split(nullptr));
}
