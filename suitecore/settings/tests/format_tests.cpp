#include <suitecore/sysinfo.h>

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <cwchar>

namespace
{
CString Size(ULONGLONG bytes, BOOL whole)
{
    CString text;
    FormatSize(text, whole, bytes);
    return text;
}
} // namespace

TEST(FormatSizeTest, StepsAt1204Bytes1204KBAnd1024MB)
{
    struct Case
    {
        ULONGLONG bytes;
        const wchar_t* decimals;
        const wchar_t* whole;
    } const cases[] = {
        {0, L"0 Bytes", L"0 Bytes"},
        {1023, L"1023 Bytes", L"1023 Bytes"},
        {1203, L"1203 Bytes", L"1203 Bytes"},
        {1204, L"1.18 KB", L"1 KB"},
        {1024 * 1024, L"1024.00 KB", L"1024 KB"},
        {1232895, L"1204.00 KB", L"1203 KB"}, // 1203.999 KB: still kilobytes
        {1232896, L"1.18 MB", L"1 MB"},       // 1204 KB
        {500ull * 1024 * 1024, L"500.00 MB", L"500 MB"},
        {1023ull * 1024 * 1024, L"1023.00 MB", L"1023 MB"},
        {1024ull * 1024 * 1024, L"1.00 GB", L"1.00 GB"}, // no whole-number form for gigabytes
        {5905580032ull, L"5.50 GB", L"5.50 GB"},
        {3ull << 40, L"3072.00 GB", L"3072.00 GB"},
    };
    for (const Case& c : cases)
    {
        EXPECT_STREQ(c.decimals, Size(c.bytes, FALSE)) << c.bytes;
        EXPECT_STREQ(c.whole, Size(c.bytes, TRUE)) << c.bytes;
    }
}

TEST(FormatSizeKBTest, ThreeDecimalsBelowOneKilobyteOneAbove)
{
    wchar_t buffer[32];
    EXPECT_TRUE(FormatSizeKB(512, buffer, 32));
    EXPECT_STREQ(L"0.500 KB", buffer);
    EXPECT_TRUE(FormatSizeKB(1023, buffer, 32));
    EXPECT_STREQ(L"0.999 KB", buffer);
    EXPECT_TRUE(FormatSizeKB(1024, buffer, 32));
    EXPECT_STREQ(L"1.0 KB", buffer);
    EXPECT_TRUE(FormatSizeKB(2048, buffer, 32));
    EXPECT_STREQ(L"2.0 KB", buffer);
    EXPECT_TRUE(FormatSizeKB(10ull << 30, buffer, 32));
    EXPECT_STREQ(L"10485760.0 KB", buffer);
    // A small buffer gets what fits, terminated; no buffer at all is still "true".
    wchar_t small[5];
    wmemset(small, L'#', 5);
    EXPECT_TRUE(FormatSizeKB(2048, small, 4));
    EXPECT_STREQ(L"2.0", small);
    EXPECT_EQ(L'#', small[4]);
    EXPECT_TRUE(FormatSizeKB(2048, nullptr, 0));
}

TEST(FormatNowLongTest, FormatsTheLocalTimeLikeWcsftime)
{
    auto expected = []
    {
        const __time64_t now = _time64(nullptr);
        wchar_t text[256];
        wcsftime(text, 256, L"%a. %B %d, %Y. %I:%M %p", _localtime64(&now));
        return CString(text);
    };
    const CString before = expected();
    const CString text = FormatNowLong();
    const CString after = expected();
    EXPECT_TRUE(text == before || text == after) << testing::PrintToString(std::wstring(text.GetString()));
    // "Tue. March 05, 2024. 02:30 PM"
    EXPECT_EQ(L'.', text[3]);
    EXPECT_NE(-1, text.Find(L", "));
    EXPECT_TRUE(text.Right(2) == L"AM" || text.Right(2) == L"PM");
}

TEST(GetFreeSpacePercentTest, SystemDriveShareMatchesTheDiskFigures)
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const wchar_t root[] = {system[0], L':', L'\\', 0};
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(root, &available, &total, &free));
    const double expected = static_cast<double>(free.QuadPart) * 100 / static_cast<double>(total.QuadPart);

    double percent = -1;
    const CString text = GetFreeSpacePercent(percent, FALSE);
    // Other programs write to the same disk meanwhile; a tenth of a percent is plenty.
    EXPECT_NEAR(expected, percent, 0.1);
    CString formatted;
    formatted.Format(L"%0.2f%%", percent);
    EXPECT_STREQ(formatted, text);

    double all = -1;
    GetFreeSpacePercent(all, TRUE);
    EXPECT_GE(all, 0.0);
    EXPECT_LE(all, 100.0);
}
