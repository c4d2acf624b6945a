// The download queue, the options and the number format, without a server.
#include "net_test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace nettest;

namespace
{
class DownloadQueue : public ::testing::Test
{
protected:
    void SetUp() override { ResetDownloader(); }
    void TearDown() override { ClearDownloadFiles(); }
};

std::wstring Text(wchar_t ch, size_t n)
{
    return std::wstring(n, ch);
}
} // namespace

TEST_F(DownloadQueue, ItemsStartWithAnUnknownSizeAndNotDone)
{
    for (int i = 0; i < 5; ++i) // past several doublings of the capacity
        ASSERT_TRUE(AddDownloadFile((L"http://h/f" + std::to_wstring(i)).c_str(), L"C:\\f"));
    ASSERT_EQ(5, GetDownloadFileCount());
    EXPECT_STREQ(L"http://h/f4", GetDownloadFile(4)->m_szSource);
    EXPECT_STREQ(L"C:\\f", GetDownloadFile(4)->m_szLocalPath);
    EXPECT_EQ(0, GetDownloadFile(4)->m_nSize);
    EXPECT_EQ(0, GetDownloadFile(4)->m_bDone);
    EXPECT_EQ(nullptr, GetDownloadFile(5));
    EXPECT_EQ(nullptr, GetDownloadFile(-1));

    ClearDownloadFiles();
    EXPECT_EQ(0, GetDownloadFileCount());
    EXPECT_TRUE(AddDownloadFile(L"http://h/again", L"C:\\again"));
    EXPECT_EQ(1, GetDownloadFileCount());
}

TEST_F(DownloadQueue, TextsThatDoNotFitTheirFieldsAreRefusedWhole)
{
    const std::wstring longest = L"http://h/" + Text(L'a', 499 - 9);
    ASSERT_EQ(499u, longest.size());
    EXPECT_TRUE(AddDownloadFile(longest.c_str(), Text(L'p', 499).c_str()));
    EXPECT_EQ(longest, GetDownloadFile(0)->m_szSource);

    EXPECT_FALSE(AddDownloadFile((longest + L"b").c_str(), L"C:\\f"));
    EXPECT_FALSE(AddDownloadFile(L"http://h/f", Text(L'p', 500).c_str()));
    EXPECT_FALSE(AddDownloadFile(nullptr, L"C:\\f"));
    EXPECT_FALSE(AddDownloadFile(L"http://h/f", nullptr));
    EXPECT_EQ(1, GetDownloadFileCount());
}

TEST_F(DownloadQueue, OptionsAreKnownByNameWithoutCase)
{
    for (LPCWSTR name :
         {L"noftpsize", L"RESUME", L"hidden", L"simple", L"title", L"label", L"description", L"language", L"Debug"})
        EXPECT_EQ(1, SetDownloadOption(name, L"x")) << name;
    EXPECT_EQ(0, SetDownloadOption(L"speed", L"1"));
    EXPECT_EQ(0, SetDownloadOption(nullptr, L"1"));
}

TEST_F(DownloadQueue, LocaleNumbersUseTheUserLocaleSeparators)
{
    wchar_t thousand[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    const std::wstring sep = thousand;
    EXPECT_EQ(L"0", std::wstring(FormatLocaleNumber(0)));
    EXPECT_EQ(L"999", std::wstring(FormatLocaleNumber(999)));
    EXPECT_EQ(L"1" + sep + L"234" + sep + L"567", std::wstring(FormatLocaleNumber(1234567)));
    const std::wstring negative = FormatLocaleNumber(-4096).GetString();
    EXPECT_NE(std::wstring::npos, negative.find(L"4" + sep + L"096"));
}
