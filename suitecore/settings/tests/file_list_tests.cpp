// File records, file lists and the wildcard matcher through SuiteCore's exports, on real files
// in throwaway folders.
#include "../checksum_kernels.h"
#include "word_sum_oracle.h"

#include <framework/file.h>
#include <suitecore/filelist.h>
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::string Pattern(size_t size, unsigned salt = 0)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + salt + (i >> 9)) & 0xFF);
    return bytes;
}

DWORD CrcOf(const std::string& bytes)
{
    return ~suitecore::kernels::Crc32Slicing8(0xFFFFFFFF, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

CFileInfo RecordOf(const std::wstring& path)
{
    CFileInfo fi;
    fi.CreateFromPath(path.c_str());
    return fi;
}

FILETIME FileTimeOf(ULONGLONG value)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr ULONGLONG kYear3100 = kUnixEpochAsFileTime + 35659353600ULL * 10000000ULL;

WIN32_FIND_DATAW FindData(const wchar_t* name, ULONGLONG size, DWORD attributes)
{
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = attributes;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    wcscpy(data.cFileName, name);
    return data;
}

// Loads the list from the file; the archive exception's cause, or -1 when it loaded.
int LoadFailureCause(CMemFile& file, CFileInfoArray& list)
{
    try
    {
        CArchive ar(&file, CArchive::load);
        list.Serialize(ar);
    }
    catch (CArchiveException* e)
    {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

std::vector<std::wstring> Paths(const CFileInfoArray& list, size_t prefix)
{
    std::vector<std::wstring> paths;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        paths.push_back(std::wstring(list[i].GetFilePath().GetString()).substr(prefix));
    return paths;
}
} // namespace

TEST(CFileInfo, EmptyRecord)
{
    const CFileInfo fi;
    EXPECT_TRUE(fi.GetFilePath().IsEmpty());
    EXPECT_EQ(0xFFFFFFFFu, fi.GetAttributes());
    EXPECT_EQ(0u, fi.GetLength64());
    EXPECT_EQ(0, fi.GetCreationTime());
    EXPECT_EQ(0, fi.GetLastAccessTime());
    EXPECT_EQ(0, fi.GetLastWriteTime());
    EXPECT_EQ(0u, fi.GetUserValue());
}

TEST(CFileInfo, CreateTakesTheFindData)
{
    WIN32_FIND_DATAW data = FindData(L"big.iso", 0x123456789ULL, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const ULONGLONG seconds = 1600000000; // 2020-09-13 12:26:40 UTC
    data.ftCreationTime = FileTimeOf(kUnixEpochAsFileTime + seconds * 10000000ULL);
    data.ftLastAccessTime = FileTimeOf(kUnixEpochAsFileTime + (seconds + 60) * 10000000ULL);
    data.ftLastWriteTime = FileTimeOf(kUnixEpochAsFileTime + (seconds + 3600) * 10000000ULL + 9999999);
    CFileInfo fi;
    fi.Create(&data, L"D:\\images\\", 77);
    EXPECT_EQ(L"D:\\images\\big.iso", std::wstring(fi.GetFilePath()));
    EXPECT_EQ(0x123456789ULL, fi.GetLength64());
    EXPECT_EQ(0x23456789u, fi.GetLength());
    EXPECT_TRUE(fi.IsReadOnly());
    EXPECT_TRUE(fi.IsHidden());
    EXPECT_FALSE(fi.IsSystem());
    EXPECT_FALSE(fi.IsDirectory());
    EXPECT_EQ(77u, fi.GetUserValue());
    // Local time and back gives the same instant; the file time's local form takes today's
    // daylight-saving bias and the C library that date's, so they may differ by that hour.
    EXPECT_NEAR(static_cast<double>(seconds), static_cast<double>(fi.GetCreationTime()), 3600);
    EXPECT_NEAR(static_cast<double>(seconds + 60), static_cast<double>(fi.GetLastAccessTime()), 3600);
    EXPECT_EQ(fi.GetLastAccessTime() - fi.GetCreationTime(), 60);
    EXPECT_EQ(fi.GetLastWriteTime() - fi.GetCreationTime(), 3600);
}

TEST(CFileInfo, TimesThatCannotBeConvertedAreZero)
{
    WIN32_FIND_DATAW data = FindData(L"odd.txt", 1, FILE_ATTRIBUTE_ARCHIVE);
    data.ftCreationTime = FileTimeOf(0);                       // 1601: before 1900
    data.ftLastAccessTime = FileTimeOf(0xFFFFFFFFFFFFFFFFULL); // not a time at all
    data.ftLastWriteTime = FileTimeOf(kYear3100);              // a real date, beyond what the C library converts
    CFileInfo fi;
    fi.Create(&data, L"C:\\", 0);
    EXPECT_EQ(0, fi.GetCreationTime());
    EXPECT_EQ(0, fi.GetLastAccessTime());
    EXPECT_EQ(0, fi.GetLastWriteTime());
    EXPECT_EQ(L"C:\\odd.txt", std::wstring(fi.GetFilePath()));
}

TEST(CFileInfo, CreateFromPathFindsTheFileOrLeavesTheRecord)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"notes.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "12345"));
    CFileInfo fi;
    fi.CreateFromPath(path.c_str(), 5);
    EXPECT_EQ(path, std::wstring(fi.GetFilePath()));
    EXPECT_EQ(5u, fi.GetLength64());
    EXPECT_EQ(5u, fi.GetUserValue());
    EXPECT_TRUE(fi.IsArchived());
    EXPECT_NE(0, fi.GetLastWriteTime());

    fi.CreateFromPath(dir.File(L"missing.txt").c_str(), 9);
    EXPECT_EQ(path, std::wstring(fi.GetFilePath()));
    EXPECT_EQ(5u, fi.GetUserValue());
}

TEST(CFileInfo, PathParts)
{
    WIN32_FIND_DATAW data = FindData(L"report.final.doc", 1, 0);
    CFileInfo fi;
    fi.Create(&data, L"C:\\Users\\ann\\", 0);
    EXPECT_EQ(L"report.final.doc", std::wstring(fi.GetFileName()));
    EXPECT_EQ(L"report.final", std::wstring(fi.GetFileTitle()));
    EXPECT_EQ(L".doc", std::wstring(fi.GetFileExt()));
    EXPECT_EQ(L"C:", std::wstring(fi.GetFileDrive()));
    EXPECT_EQ(L"\\Users\\ann\\", std::wstring(fi.GetFileDir()));
    EXPECT_EQ(L"C:\\Users\\ann\\", std::wstring(fi.GetFileRoot()));

    // A path longer than the split record holds gives empty parts, never a cut one.
    const std::wstring deep = L"C:\\" + std::wstring(250, L'a') + L"\\" + std::wstring(250, L'b') + L"\\";
    fi.Create(&data, deep.c_str(), 0);
    EXPECT_TRUE(fi.GetFileName().IsEmpty());
    EXPECT_TRUE(fi.GetFileExt().IsEmpty());
    EXPECT_TRUE(fi.GetFileRoot().IsEmpty());
}

TEST(CFileInfo, CrcInStepsEqualsTheCrcInOneCall)
{
    testsupport::TempDir dir;
    for (size_t size : {size_t(1), size_t(7), size_t(100), size_t(16384), size_t(70001)})
    {
        const std::string bytes = Pattern(size, static_cast<unsigned>(size));
        const std::wstring path = dir.File(L"s" + std::to_wstring(size));
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));

        CFileInfo whole = RecordOf(path);
        EXPECT_EQ(CrcOf(bytes), whole.GetCrc()) << size;
        EXPECT_EQ(CrcOf(bytes), whole.GetCrc()) << "a final value stays final";

        CFileInfo halves = RecordOf(path);
        const DWORD half = halves.GetCrc(size / 2, TRUE);
        if (size > 4)
        {
            EXPECT_NE(CrcOf(bytes), half);
        }
        EXPECT_EQ(CrcOf(bytes), halves.GetCrc(size)) << size;

        EXPECT_EQ(CrcOf(bytes), halves.GetCrc(0, TRUE)) << "reset starts over";
    }
}

// Steps that end around the block sizes of the CRC-32 kernels (16 to 512 bytes, and the 1024 from
// which the wide ones align their reads) and of the step reads (16384).
TEST(CFileInfo, CrcInStepsAcrossKernelBlocksEqualsTheCrcInOneCall)
{
    testsupport::TempDir dir;
    const std::string bytes = Pattern(70001, 9);
    const std::wstring path = dir.File(L"blocks.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    const ULONGLONG limits[] = {12,   16,   20,   60,   64,   68,   124,  128,   132,   252,   256,   260,  508,
                                512,  516,  1020, 1024, 1028, 1532, 2048, 3076,  4100,  8188,  16380, 16388, 32772,
                                49148, 65540};
    CFileInfo fi = RecordOf(path);
    fi.GetCrc(4, TRUE);
    for (ULONGLONG limit : limits)
        fi.GetCrc(limit);
    EXPECT_EQ(CrcOf(bytes), fi.GetCrc(bytes.size()));
    EXPECT_EQ(CrcOf(bytes), fi.GetCrc());
}

TEST(CFileInfo, StepsReadWholeWordsAndReportProgress)
{
    testsupport::TempDir dir;
    const std::string bytes = Pattern(40003);
    const std::wstring path = dir.File(L"words.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    CFileInfo fi = RecordOf(path);

    volatile LONG progress = 0;
    // A limit of 5 is rounded up to 8 bytes: two whole words.
    EXPECT_EQ(WordSumOf(bytes.substr(0, 8)), fi.GetWordSum(5, FALSE, nullptr, &progress));
    EXPECT_EQ(8, progress);
    // Then blocks of at most 16384 bytes up to the end, where a partial word counts with zeros.
    EXPECT_EQ(WordSumOf(bytes), fi.GetWordSum(0, FALSE, nullptr, &progress));
    EXPECT_EQ(40003, progress);
    EXPECT_EQ(WordSumOf(bytes), fi.GetWordSum());
    EXPECT_EQ(40003, progress);

    // The cancel flag is read after each block.
    const volatile BOOL cancel = TRUE;
    progress = 0;
    fi.GetCrc(0, TRUE, &cancel, &progress);
    EXPECT_EQ(16384, progress);
    EXPECT_EQ(CrcOf(bytes), fi.GetCrc(0, FALSE, nullptr, &progress));
    EXPECT_EQ(40003, progress);
}

TEST(CFileInfo, EmptyFileHasTheCrcOfNoBytes)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"empty.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, ""));
    CFileInfo fi = RecordOf(path);
    EXPECT_EQ(0u, fi.GetCrc(0, TRUE));
    EXPECT_EQ(0u, fi.GetCrc());
    EXPECT_EQ(0u, fi.GetWordSum(0, TRUE));
}

TEST(CFileInfoArray, PositionCodesPutNewRecordsBeforeEqualOnes)
{
    auto record = [](const wchar_t* name, ULONGLONG size, DWORD user)
    {
        WIN32_FIND_DATAW data = FindData(name, size, 0);
        CFileInfo fi;
        fi.Create(&data, L"C:\\", user);
        return fi;
    };
    auto users = [](const CFileInfoArray& list)
    {
        std::vector<DWORD> values;
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            values.push_back(list[i].GetUserValue());
        return values;
    };

    CFileInfoArray ascending;
    EXPECT_EQ(50, ascending.GetGrowBy());
    EXPECT_EQ(0, ascending.AddFileInfo(record(L"a", 5, 1), CFileInfoArray::AddBySizeAscending));
    EXPECT_EQ(0, ascending.AddFileInfo(record(L"b", 3, 2), CFileInfoArray::AddBySizeAscending));
    EXPECT_EQ(1, ascending.AddFileInfo(record(L"c", 5, 3), CFileInfoArray::AddBySizeAscending));
    EXPECT_EQ((std::vector<DWORD>{2, 3, 1}), users(ascending));

    CFileInfoArray descending;
    for (auto [size, user] : {std::pair<ULONGLONG, DWORD>{5, 1}, {3, 2}, {5, 3}, {4, 4}})
        descending.AddFileInfo(record(L"x", size, user), CFileInfoArray::AddBySizeDescending);
    EXPECT_EQ((std::vector<DWORD>{3, 1, 4, 2}), users(descending));

    CFileInfoArray byPath;
    byPath.AddFileInfo(record(L"b", 0, 1), CFileInfoArray::AddByPathAscending);
    byPath.AddFileInfo(record(L"B", 0, 2), CFileInfoArray::AddByPathAscending); // case-sensitive: "B" < "b"
    byPath.AddFileInfo(record(L"b", 0, 3), CFileInfoArray::AddByPathAscending);
    byPath.AddFileInfo(record(L"c", 0, 4), CFileInfoArray::AddByPathAscending);
    EXPECT_EQ((std::vector<DWORD>{2, 3, 1, 4}), users(byPath));

    CFileInfoArray byPathDown;
    for (auto [name, user] : {std::pair<const wchar_t*, DWORD>{L"b", 1}, {L"c", 2}, {L"b", 3}, {L"a", 4}})
        byPathDown.AddFileInfo(record(name, 0, user), CFileInfoArray::AddByPathDescending);
    EXPECT_EQ((std::vector<DWORD>{2, 3, 1, 4}), users(byPathDown));

    CFileInfoArray atEnd;
    for (int code : {0, 1, 6, -1})
        atEnd.AddFileInfo(record(L"z", 10 - static_cast<ULONGLONG>(code + 1), static_cast<DWORD>(code + 10)), code);
    EXPECT_EQ((std::vector<DWORD>{10, 11, 16, 9}), users(atEnd));
}

TEST(CFileInfoArray, AddFileAddsAnEmptyRecordForAMissingFile)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"here.txt"), "1"));
    CFileInfoArray list;
    EXPECT_EQ(0, list.AddFile(dir.File(L"here.txt").c_str()));
    EXPECT_EQ(1, list.AddFile(dir.File(L"gone.txt").c_str()));
    EXPECT_EQ(dir.File(L"here.txt"), std::wstring(list[0].GetFilePath()));
    EXPECT_TRUE(list[1].GetFilePath().IsEmpty());
    EXPECT_EQ(0xFFFFFFFFu, list[1].GetAttributes());
}

class AddDirTest : public ::testing::Test
{
protected:
    // root\A\B\file.txt, root\A\a1.txt, root\A\a2.log, root\top.txt
    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryW(m_dir.File(L"A").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(m_dir.File(L"A\\B").c_str(), nullptr));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"A\\B\\file.txt"), "12345"));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"A\\a1.txt"), "1"));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"A\\a2.log"), "12"));
        ASSERT_TRUE(testsupport::WriteFileBytes(m_dir.File(L"top.txt"), "123"));
    }
    CString Root() const { return CString(m_dir.Path().c_str()) + L"\\"; }
    size_t Prefix() const { return m_dir.Path().size() + 1; }

    // The order the file system lists a folder in, which the walk keeps.
    std::vector<std::wstring> Listing(const std::wstring& folder, bool folders) const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((m_dir.Path() + L"\\" + folder + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do
        {
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder == folders && wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L".."))
                names.push_back(folder + data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }

    testsupport::TempDir m_dir;
};

TEST_F(AddDirTest, SubFoldersComeBeforeTheFilesDepthFirst)
{
    CFileInfoArray list;
    volatile LONG counter = 0;
    EXPECT_EQ(6, list.AddDir(Root(), L"*", TRUE, CFileInfoArray::AddAtEnd, TRUE, nullptr, &counter));
    EXPECT_EQ(6, counter);
    std::vector<std::wstring> expected = {L"A", L"A\\B", L"A\\B\\file.txt"};
    for (const auto& name : Listing(L"A\\", false))
        expected.push_back(name);
    expected.push_back(L"top.txt");
    EXPECT_EQ(expected, Paths(list, Prefix()));
    EXPECT_TRUE(list[0].IsDirectory());
    EXPECT_EQ(5u, list[2].GetLength64());

    // "*.*" takes every name just as "*" does.
    CFileInfoArray dotted;
    EXPECT_EQ(6, dotted.AddDir(Root(), L"*.*", TRUE, CFileInfoArray::AddAtEnd, TRUE));
    EXPECT_EQ(expected, Paths(dotted, Prefix()));
}

TEST_F(AddDirTest, MasksFoldersAndRecursion)
{
    CFileInfoArray files;
    EXPECT_EQ(3, files.AddDir(Root(), L"*.txt", TRUE, CFileInfoArray::AddAtEnd, FALSE));
    EXPECT_EQ((std::vector<std::wstring>{L"A\\B\\file.txt", L"A\\a1.txt", L"top.txt"}), Paths(files, Prefix()));

    CFileInfoArray flat;
    EXPECT_EQ(2, flat.AddDir(Root(), L"*", FALSE, CFileInfoArray::AddAtEnd, TRUE));
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"top.txt"}), Paths(flat, Prefix()));

    CFileInfoArray bySize;
    EXPECT_EQ(4, bySize.AddDir(Root(), L"*", TRUE, CFileInfoArray::AddBySizeDescending, FALSE));
    EXPECT_EQ((std::vector<std::wstring>{L"A\\B\\file.txt", L"top.txt", L"A\\a2.log", L"A\\a1.txt"}),
              Paths(bySize, Prefix()));

    CFileInfoArray none;
    EXPECT_EQ(0, none.AddDir(CString(m_dir.File(L"nowhere\\").c_str()), L"*", TRUE, 0, TRUE));
}

TEST_F(AddDirTest, CancelStopsTheWalk)
{
    // The cancel flag is the added-records counter itself: it is set by the first record added.
    volatile LONG counter = 0;
    const volatile BOOL* cancel = reinterpret_cast<const volatile BOOL*>(&counter);
    CFileInfoArray withFolders;
    EXPECT_EQ(1, withFolders.AddDir(Root(), L"*", TRUE, CFileInfoArray::AddAtEnd, TRUE, cancel, &counter));
    EXPECT_EQ((std::vector<std::wstring>{L"A"}), Paths(withFolders, Prefix()));

    counter = 0;
    CFileInfoArray filesOnly;
    EXPECT_EQ(1, filesOnly.AddDir(Root(), L"*.txt", TRUE, CFileInfoArray::AddAtEnd, FALSE, cancel, &counter));
    EXPECT_EQ((std::vector<std::wstring>{L"A\\B\\file.txt"}), Paths(filesOnly, Prefix()));
}

TEST(CFileInfoArray, AnUnconvertibleTimeDoesNotEndTheWalk)
{
    // The year 3100 is past what the C library converts. Common disk file systems cannot hold
    // it; Wine's view of the host's memory file system can.
    const std::wstring root = L"Z:\\dev\\shm\\" + testsupport::NewGuidString();
    if (!CreateDirectoryW(root.c_str(), nullptr))
        GTEST_SKIP() << "no memory file system at Z:\\dev\\shm";
    struct Cleanup
    {
        std::wstring folder;
        ~Cleanup() { testsupport::RemoveTree(folder); }
    } cleanup{root};
    for (const wchar_t* name : {L"\\a.txt", L"\\future.txt", L"\\z.txt"})
        ASSERT_TRUE(testsupport::WriteFileBytes(root + name, "x"));
    HANDLE file = CreateFileW((root + L"\\future.txt").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const FILETIME future = FileTimeOf(kYear3100);
    ASSERT_TRUE(SetFileTime(file, &future, &future, &future));
    CloseHandle(file);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + L"\\future.txt").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    SYSTEMTIME kept;
    FileTimeToSystemTime(&data.ftLastWriteTime, &kept);
    if (kept.wYear != 3100)
        GTEST_SKIP() << "the year 3100 was not kept";

    CFileInfoArray list;
    EXPECT_EQ(3, list.AddDir(CString(root.c_str()) + L"\\", L"*", FALSE, CFileInfoArray::AddByPathAscending, FALSE));
    ASSERT_EQ(3, list.GetSize());
    EXPECT_EQ(root + L"\\future.txt", std::wstring(list[1].GetFilePath()));
    EXPECT_EQ(0, list[1].GetLastWriteTime());
    EXPECT_EQ(0, list[1].GetCreationTime());
    EXPECT_NE(0, list[2].GetLastWriteTime());
}

TEST(CFileInfoArray, SerializeRoundTripAndShortReads)
{
    CFileInfoArray list;
    for (int i = 0; i < 3; ++i)
    {
        WIN32_FIND_DATAW data = FindData(i == 1 ? L"\x00e9t\x00e9.txt" : L"plain.bin", 0x100000000ULL * i + 7, 0x20);
        data.ftLastWriteTime = FileTimeOf(kUnixEpochAsFileTime + 1600000000ULL * 10000000ULL);
        CFileInfo fi;
        fi.Create(&data, L"C:\\folder\\", static_cast<DWORD>(i));
        list.Add(fi);
    }
    list.Add(CFileInfo());

    CMemFile memory;
    {
        CArchive ar(&memory, CArchive::store);
        list.Serialize(ar);
        ar.Close();
    }
    const ULONGLONG length = memory.GetLength();
    memory.SeekToBegin();
    CFileInfoArray loaded;
    {
        CArchive ar(&memory, CArchive::load);
        loaded.Serialize(ar);
    }
    ASSERT_EQ(4, loaded.GetSize());
    for (INT_PTR i = 0; i < 4; ++i)
    {
        EXPECT_EQ(std::wstring(list[i].GetFilePath()), std::wstring(loaded[i].GetFilePath()));
        EXPECT_EQ(list[i].GetLength64(), loaded[i].GetLength64());
        EXPECT_EQ(list[i].GetAttributes(), loaded[i].GetAttributes());
        EXPECT_EQ(list[i].GetLastWriteTime(), loaded[i].GetLastWriteTime());
        EXPECT_EQ(list[i].GetUserValue(), loaded[i].GetUserValue());
    }

    // Cut short anywhere: the archive's end-of-file exception, cause 3.
    const std::vector<BYTE> stored(memory.GetBuffer(), memory.GetBuffer() + length);
    for (ULONGLONG cut : {ULONGLONG(1), ULONGLONG(2), length / 2, length - 1})
    {
        CMemFile shortFile;
        shortFile.Write(stored.data(), static_cast<UINT>(cut));
        shortFile.SeekToBegin();
        CFileInfoArray partial;
        EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(shortFile, partial)) << cut;
    }
}

TEST(CFileInfoArray, ACorruptCountIsRefusedBeforeAllocating)
{
    CMemFile memory;
    {
        CArchive ar(&memory, CArchive::store);
        ar.WriteCount(50000000); // fifty million records in a few bytes
        ar << 1u << 2u;
        ar.Close();
    }
    memory.SeekToBegin();
    CFileInfoArray list;
    EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(memory, list));
    EXPECT_EQ(0, list.GetAllocSize());
}

TEST(WildcardMatch, Patterns)
{
    EXPECT_TRUE(WildcardMatch("*c*a*", "abc")); // runs need not be in order
    EXPECT_TRUE(WildcardMatch("a?c", "abc"));
    EXPECT_FALSE(WildcardMatch("*.txt", "notes.doc"));
    EXPECT_TRUE(WildcardMatch("*.txt", "notes.txt"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("*", "anything"));
    EXPECT_TRUE(WildcardMatch("n*s.t?t", "notes.txt"));
    EXPECT_FALSE(WildcardMatch("x*", "notes.txt"));
    EXPECT_TRUE(WildcardMatch("*o*e*", "notes.txt"));
    EXPECT_FALSE(WildcardMatch("*q*", "notes.txt"));
    EXPECT_TRUE(WildcardMatch("*t?s*", "notes.txt"));
    // The tail is compared down to the text's second character.
    EXPECT_TRUE(WildcardMatch("*abc", "xbc"));
    EXPECT_FALSE(WildcardMatch("*abc", "xbd"));
    // Without "*", the whole text.
    EXPECT_FALSE(WildcardMatch("ab", "abc"));
    EXPECT_TRUE(WildcardMatch("", ""));
}

TEST(WildcardMatch, NeverReadsOutsideEitherString)
{
    // Heads and tails longer than the text, and "?" at the end of the text.
    EXPECT_FALSE(WildcardMatch("abcd*", "abc"));
    EXPECT_FALSE(WildcardMatch("*zabc", "abc"));
    EXPECT_FALSE(WildcardMatch("abc?", "abc"));
    EXPECT_FALSE(WildcardMatch("???*", "ab"));
    EXPECT_FALSE(WildcardMatch("*???", "ab"));
    EXPECT_FALSE(WildcardMatch("*abcd*", "abc"));
    EXPECT_FALSE(WildcardMatch("*?*", ""));
    EXPECT_FALSE(WildcardMatch("a", ""));
    EXPECT_FALSE(WildcardMatch(nullptr, "abc"));
    EXPECT_FALSE(WildcardMatch("*", nullptr));

    // Text at the very end of a committed page, followed by a guard page: any read past the
    // terminator, or before the first character, faults.
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    char* pages = static_cast<char*>(VirtualAlloc(nullptr, 3 * si.dwPageSize, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, pages);
    char* page = static_cast<char*>(VirtualAlloc(pages + si.dwPageSize, si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, page);
    char* text = page + si.dwPageSize - 4;
    char* start = page;
    memcpy(text, "abc", 4);
    memcpy(start, "xyz", 4);
    EXPECT_FALSE(WildcardMatch("abc??*", text));
    EXPECT_FALSE(WildcardMatch("*??abc", text));
    EXPECT_FALSE(WildcardMatch("*abc??*", text));
    EXPECT_TRUE(WildcardMatch("*c", text));
    EXPECT_FALSE(WildcardMatch("*zzxyz", start));
    EXPECT_FALSE(WildcardMatch("*?xyz*", start));
    VirtualFree(pages, 0, MEM_RELEASE);
}
