#include <suitecore/sysinfo.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

TEST(GetFileVersionString, ReadsTheVersionBlockOfSuiteCore)
{
    const std::wstring path = testsupport::BinFolder() + L"\\suitecore.dll";
    EXPECT_STREQ(SUITE_PROJECT_VERSION, GetFileVersionString(path.c_str()));
}

TEST(GetFileVersionString, MissingFileGivesZeroAndUnversionedFileGivesEmpty)
{
    testsupport::TempDir dir;
    EXPECT_STREQ(L"0", GetFileVersionString(dir.File(L"missing.dll").c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"plain.txt"), "no resources here"));
    EXPECT_STREQ(L"", GetFileVersionString(dir.File(L"plain.txt").c_str()));
}
