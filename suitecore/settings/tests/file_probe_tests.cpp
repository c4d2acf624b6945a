#include <suitecore/paths.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

TEST(TextRefersToExistingFileTest, FindsFilesInCommandLinesAndRejectsFolders)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"tool.exe");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "MZ"));

    EXPECT_EQ(0, TextRefersToExistingFile(L""));
    EXPECT_EQ(0, TextRefersToExistingFile(nullptr));
    EXPECT_EQ(1, TextRefersToExistingFile(file.c_str()));
    // The program of a command line, quoted or not, with arguments after it.
    EXPECT_EQ(1, TextRefersToExistingFile((L"\"" + file + L"\" /silent -x").c_str()));
    EXPECT_EQ(1, TextRefersToExistingFile((file + L" --run").c_str()));
    EXPECT_EQ(1, TextRefersToExistingFile((L"rundll32 " + file + L",Entry").c_str()));
    // A folder is not a file.
    EXPECT_EQ(0, TextRefersToExistingFile(dir.Path().c_str()));
    EXPECT_EQ(0, TextRefersToExistingFile((L"\"" + dir.Path() + L"\"").c_str()));
    // No drive root at all.
    EXPECT_EQ(0, TextRefersToExistingFile(L"just some words"));
}

TEST(TextRefersToExistingFileTest, MissingFilesAreUndecidedUnlessTheNameCannotBeOne)
{
    testsupport::TempDir dir;
    // Without a full stop nothing more can be said: not a file.
    EXPECT_EQ(0, TextRefersToExistingFile(dir.File(L"missing\\name").c_str()));
    // A clean name with an extension: a drive root occurred, nothing was decided.
    EXPECT_EQ(-1, TextRefersToExistingFile(dir.File(L"missing\\name.txt").c_str()));
    // A character that no file name holds, within the checked stretch after the root.
    EXPECT_EQ(0, TextRefersToExistingFile(L"C:\\a|b.txt"));
    EXPECT_EQ(0, TextRefersToExistingFile(L"C:\\a?b\\c.txt"));
    EXPECT_EQ(0, TextRefersToExistingFile(L"C:\\tab\there.txt"));
    // The stretch checked runs past the end of a short text; only the characters that exist
    // count, so the terminator is not taken for a bad character.
    EXPECT_EQ(-1, TextRefersToExistingFile(L"C:\\zz.q"));
    EXPECT_EQ(-1, TextRefersToExistingFile(L"c:\\no-such-folder-here\\x.y"));
}

TEST(IsFileInUseTest, ReportsOpenFilesAndKeepsAttributes)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"data.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "data"));

    EXPECT_EQ(-1, IsFileInUse(dir.File(L"missing").c_str()));
    EXPECT_EQ(-1, IsFileInUse(dir.Path().c_str()));
    EXPECT_EQ(-1, IsFileInUse(nullptr));
    EXPECT_EQ(0, IsFileInUse(file.c_str()));
    // The test's own handle is closed again: the file can be opened exclusively after it.
    HANDLE after = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, after);
    CloseHandle(after);

    for (DWORD share : {0ul, static_cast<unsigned long>(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)})
    {
        HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(1, IsFileInUse(file.c_str())) << "share " << share;
        CloseHandle(held);
    }

    // A read-only file is tested writable and left read-only.
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(0, IsFileInUse(file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW(file.c_str()));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
