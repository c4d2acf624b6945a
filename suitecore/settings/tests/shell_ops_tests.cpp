// Shell file operations on real files. Nothing goes to the recycle bin here: under Wine that
// is the desktop's trash outside the test's folder. Wine asks before every permanent delete
// that wants the nuke warning; the answerer says yes, as a user would.
#include <suitecore/paths.h>

#include <testsupport/dialog_answerer.h>
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
int Length(const std::wstring& path)
{
    return static_cast<int>(path.size());
}
} // namespace

TEST(ShellDeleteTest, DeletesFilesAndFoldersForGood)
{
    testsupport::DialogAnswerer answerer(IDYES);
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"old.log");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    EXPECT_EQ(1, ShellDelete(file.c_str(), Length(file), FALSE));
    EXPECT_FALSE(Exists(file));

    const std::wstring folder = dir.File(L"cache");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder + L"\\entry", "x"));
    EXPECT_EQ(1, ShellDelete(folder.c_str(), Length(folder), FALSE));
    EXPECT_FALSE(Exists(folder));

    EXPECT_EQ(0, ShellDelete(file.c_str(), Length(file), FALSE)); // already gone
}

TEST(ShellDeleteTest, RefusesALengthThatIsNotThePathsOwn)
{
    testsupport::DialogAnswerer answerer(IDYES);
    testsupport::TempDir dir;
    const std::wstring folder = dir.File(L"keep");
    const std::wstring file = folder + L"\\victim.txt";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));

    // A length that stops at the parent folder must not delete the parent.
    EXPECT_EQ(0, ShellDelete(file.c_str(), Length(folder), FALSE));
    EXPECT_TRUE(Exists(folder));
    EXPECT_TRUE(Exists(file));
    // A length beyond the end is not read past the terminator either.
    EXPECT_EQ(0, ShellDelete(file.c_str(), Length(file) + 5, FALSE));
    EXPECT_EQ(0, ShellDelete(file.c_str(), -1, FALSE));
    EXPECT_EQ(0, ShellDelete(file.c_str(), 0, FALSE));
    EXPECT_EQ(0, ShellDelete(nullptr, 3, FALSE));
    EXPECT_TRUE(Exists(file));

    // Paths longer than the buffer are refused whole, never cut.
    const std::wstring huge = folder + L"\\" + std::wstring(600, L'x');
    EXPECT_EQ(0, ShellDelete(huge.c_str(), Length(huge), FALSE));
    const std::wstring limit = std::wstring(520, L'y');
    EXPECT_EQ(0, ShellDelete(limit.c_str(), Length(limit), FALSE));
    EXPECT_TRUE(Exists(file));
}

TEST(ShellDeleteWithTest, UsesThePreparedRecordAndRefusesWithAFailureCode)
{
    SHFILEOPSTRUCTW op;
    memset(&op, 0xCD, sizeof(op));
    InitFileOperation(op);
    EXPECT_EQ(0x4654, op.fFlags);
    EXPECT_EQ(nullptr, op.hwnd);
    EXPECT_EQ(0u, op.wFunc);
    EXPECT_EQ(nullptr, op.pFrom);
    EXPECT_EQ(nullptr, op.pTo);
    EXPECT_FALSE(op.fAnyOperationsAborted);

    testsupport::DialogAnswerer answerer(IDYES);
    testsupport::TempDir dir;
    const std::wstring folder = dir.File(L"sub");
    const std::wstring file = folder + L"\\a.tmp";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    op.fFlags &= ~FOF_ALLOWUNDO; // for good, not into the recycle bin

    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, ShellDeleteWith(op, file.c_str(), Length(folder)));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, ShellDeleteWith(op, file.c_str(), Length(file) + 1));
    const std::wstring tooLong = folder + L"\\" + std::wstring(300, L'z');
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, ShellDeleteWith(op, tooLong.c_str(), Length(tooLong)));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, ShellDeleteWith(op, nullptr, 0));
    EXPECT_TRUE(Exists(file));

    EXPECT_EQ(0, ShellDeleteWith(op, file.c_str(), Length(file)));
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(Exists(folder));
    EXPECT_EQ(static_cast<UINT>(FO_DELETE), op.wFunc);
    EXPECT_EQ(nullptr, op.pFrom);
}

TEST(ShellMoveTest, MovesIntoAFolderUnderTheSameName)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"report.final.txt");
    const std::wstring target = dir.File(L"archive");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "one"));
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));

    EXPECT_TRUE(ShellMoveIntoFolder(file.c_str(), target.c_str()));
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ("one", testsupport::ReadFileBytes(target + L"\\report.final.txt"));

    EXPECT_FALSE(ShellMoveIntoFolder(dir.File(L"missing.txt").c_str(), target.c_str()));
    EXPECT_FALSE(ShellMoveIntoFolder((dir.File(L"x\\") + std::wstring(300, L'n')).c_str(), target.c_str()));
    EXPECT_FALSE(ShellMoveIntoFolder(nullptr, target.c_str()));
}

TEST(ShellMoveTest, MovePathClearsReadOnlyAndRenames)
{
    testsupport::TempDir dir;
    const std::wstring source = dir.File(L"locked.dat");
    const std::wstring target = dir.File(L"moved.dat");
    ASSERT_TRUE(testsupport::WriteFileBytes(source, "payload"));
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(1, ShellMovePath(source.c_str(), target.c_str()));
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ("payload", testsupport::ReadFileBytes(target));
    EXPECT_EQ(0u, GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(0, ShellMovePath(source.c_str(), dir.File(L"again.dat").c_str()));
}
