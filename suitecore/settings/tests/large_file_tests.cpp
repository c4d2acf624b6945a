// Checksums of a file past 4 GiB (sparse: data at both ends, a hole between), against the same
// bytes fed through the kernels in memory.
#include "../checksum_kernels.h"
#include "word_sum_oracle.h"

#include <suitecore/checksum.h>
#include <suitecore/filelist.h>
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr ULONGLONG kSize = 0x100000000ULL + 0x300000 + 3; // 4 GiB + 3 MiB + 3: a partial last word
constexpr ULONGLONG kTailAt = kSize - 0x180003;            // a multiple of 4

std::string Pattern(size_t size, unsigned salt)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 29 + salt + (i >> 11)) & 0xFF);
    return bytes;
}

class LargeFile : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new testsupport::TempDir;
        s_path = s_dir->File(L"large.bin");
        s_head = Pattern(0x123457, 1);
        s_tail = Pattern(static_cast<size_t>(kSize - kTailAt), 2);
        HANDLE file = CreateFileW(s_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, s_head.data(), static_cast<DWORD>(s_head.size()), &written, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(kTailAt);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        WriteFile(file, s_tail.data(), static_cast<DWORD>(s_tail.size()), &written, nullptr);
        CloseHandle(file);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Feeds the file's bytes, in order, to fn in pieces.
    template <class Fn>
    static void ForEachPiece(Fn fn)
    {
        fn(reinterpret_cast<const uint8_t*>(s_head.data()), s_head.size());
        const std::vector<uint8_t> zeros(16 << 20);
        for (ULONGLONG at = s_head.size(); at < kTailAt;)
        {
            const size_t n = static_cast<size_t>(std::min<ULONGLONG>(zeros.size(), kTailAt - at));
            fn(zeros.data(), n);
            at += n;
        }
        fn(reinterpret_cast<const uint8_t*>(s_tail.data()), s_tail.size());
    }

    static DWORD ExpectedCrc()
    {
        uint32_t crc = 0xFFFFFFFF;
        ForEachPiece([&](const uint8_t* p, size_t n) { crc = suitecore::kernels::Crc32Update(crc, p, n); });
        return ~crc;
    }

    static testsupport::TempDir* s_dir;
    static std::wstring s_path;
    static std::string s_head, s_tail;
};

testsupport::TempDir* LargeFile::s_dir = nullptr;
std::wstring LargeFile::s_path;
std::string LargeFile::s_head, LargeFile::s_tail;

} // namespace

TEST_F(LargeFile, StepwiseChecksumsReachTheEnd)
{
    CFileInfo fi;
    fi.CreateFromPath(s_path.c_str());
    ASSERT_EQ(kSize, fi.GetLength64());

    const DWORD crc = ExpectedCrc();
    fi.GetCrc(kSize / 2, TRUE);
    EXPECT_EQ(crc, fi.GetCrc(kSize)) << "the final complement is applied past 4 GiB";
    EXPECT_EQ(crc, fi.GetCrc());

    // A step that starts beyond 4 GiB resumes at the right offset.
    fi.GetWordSum(kTailAt + 8, TRUE);
    EXPECT_EQ(WordSumOf(s_tail, WordSumOf(s_head)), fi.GetWordSum());
}

TEST_F(LargeFile, MappedViewsCoverTheWholeFile)
{
    CCrc32Dynamic engine;
    engine.InitTable();
    DWORD crc = 0;
    EXPECT_EQ(0u, engine.FileCrc32Mapped(s_path.c_str(), crc));
    EXPECT_EQ(ExpectedCrc(), crc);
}

TEST_F(LargeFile, Sha1HashesTheWholeFile)
{
    CFileSha1 expected;
    ForEachPiece([&](const uint8_t* p, size_t n) { expected.AddBytes(p, static_cast<UINT32>(n)); });
    expected.Finish();
    CString digest;
    expected.ReportHash(digest);
    EXPECT_EQ(std::wstring(digest), std::wstring(GetFileSha1Text(s_path.c_str())));
}
