#include <suitecore/paths.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

namespace
{
CString Joined(LPCWSTR base, LPCWSTR part)
{
    CString path(base);
    EXPECT_EQ(1, JoinPath(path, part));
    return path;
}

CString WithoutBackslash(LPCWSTR path, BOOL keepRoot)
{
    CString text(path);
    RemoveTrailingBackslash(text, keepRoot);
    return text;
}
} // namespace

TEST(PathText, JoinPutsExactlyOneBackslashBetweenTheParts)
{
    EXPECT_STREQ(L"C:\\A\\B", Joined(L"C:\\A\\", L"\\B"));
    EXPECT_STREQ(L"C:\\A\\B", Joined(L"C:\\A", L"\\B"));
    EXPECT_STREQ(L"C:\\A\\B", Joined(L"C:\\A", L"B"));
    EXPECT_STREQ(L"C:\\A\\B", Joined(L"C:\\A\\", L"B"));
    EXPECT_STREQ(L"C:\\A\\\\B", Joined(L"C:\\A\\", L"\\\\B")); // only one leading backslash goes
    EXPECT_STREQ(L"C:\\A\\", Joined(L"C:\\A\\", L""));
    EXPECT_STREQ(L"\\B", Joined(L"", L"\\B"));
    EXPECT_STREQ(L"", Joined(L"", L""));
    EXPECT_STREQ(L"C:\\A", Joined(L"C:\\A", nullptr));
}

TEST(PathText, RemoveTrailingBackslashKeepsTheRootWhenAsked)
{
    EXPECT_STREQ(L"C:\\", WithoutBackslash(L"C:\\", TRUE));
    EXPECT_STREQ(L"C:", WithoutBackslash(L"C:\\", FALSE));
    EXPECT_STREQ(L"C:\\A", WithoutBackslash(L"C:\\A\\", TRUE));
    EXPECT_STREQ(L"C:\\A\\", WithoutBackslash(L"C:\\A\\\\", FALSE)); // one only
    EXPECT_STREQ(L"C:\\A", WithoutBackslash(L"C:\\A", FALSE));
    EXPECT_STREQ(L"", WithoutBackslash(L"", TRUE));
    EXPECT_STREQ(L"", WithoutBackslash(L"\\", FALSE));
    EXPECT_STREQ(L"\\", WithoutBackslash(L"\\", TRUE));
}

TEST(PathTests, ExistsAndIsFolderAnswerWithTheirCodes)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"file.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));

    EXPECT_EQ(-4, PathExists(L""));
    EXPECT_EQ(-4, PathExists(nullptr));
    EXPECT_EQ(1, PathExists(dir.Path().c_str()));
    EXPECT_EQ(1, PathExists(file.c_str()));
    EXPECT_EQ(0, PathExists(dir.File(L"missing").c_str()));

    EXPECT_EQ(1, IsFolder(dir.Path().c_str()));
    EXPECT_EQ(1, IsFolder((dir.Path() + L"\\").c_str()));
    EXPECT_EQ(0, IsFolder(file.c_str()));
    EXPECT_EQ(0, IsFolder(dir.File(L"missing").c_str()));
    EXPECT_EQ(0, IsFolder(L"C:"));
    EXPECT_EQ(0, IsFolder(nullptr));
}

TEST(PathTests, CreateFolderPathMakesEveryMissingLevel)
{
    testsupport::TempDir dir;
    const std::wstring deep = dir.File(L"a\\b c\\d");
    EXPECT_EQ(1, CreateFolderPath((deep + L"\\").c_str()));
    EXPECT_EQ(1, IsFolder(deep.c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(dir.File(L"a\\b c").c_str()) & ~FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(1, CreateFolderPath(deep.c_str())); // already there

    // A level that is a file cannot become a folder.
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"plain"), "x"));
    EXPECT_EQ(0, CreateFolderPath(dir.File(L"plain\\sub").c_str()));
    EXPECT_EQ(0, CreateFolderPath(nullptr));
}

TEST(PathTests, ModuleAndProgramFolders)
{
    const std::wstring bin = testsupport::BinFolder();
    CString folder;
    ASSERT_TRUE(GetModuleFolder(GetModuleHandleW(L"suitecore.dll"), folder));
    EXPECT_EQ(0, _wcsicmp(bin.c_str(), folder));
    ASSERT_TRUE(GetModuleFolder(nullptr, folder));
    EXPECT_EQ(0, _wcsicmp(bin.c_str(), folder));

    EXPECT_EQ(0, GetExeFolder(folder));
    EXPECT_EQ(0, _wcsicmp((bin + L"\\").c_str(), folder));
}

TEST(PathTests, SpecialFoldersComeFromTheShell)
{
    CString path;
    ASSERT_TRUE(GetSpecialFolder(CSIDL_WINDOWS, path));
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(windows, path));
    ASSERT_TRUE(GetSpecialFolder(CSIDL_APPDATA, path));
    EXPECT_EQ(1, IsFolder(path));
    path = L"unchanged";
    EXPECT_FALSE(GetSpecialFolder(0x7F, path));
    EXPECT_STREQ(L"unchanged", path);
}
