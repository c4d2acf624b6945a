// MD5, SHA-1 and the CRC-32 engine through SuiteCore's exports: standard vectors, files of the
// boundary sizes against the digests of the same bytes in memory, and the failure codes.
#include "../checksum_kernels.h"

#include <suitecore/checksum.h>
#include <suitecore/filelist.h>
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
}

CString Md5(const std::string& bytes)
{
    return CMD5Checksum::GetMD5(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
}

CString Sha1OfMemory(const std::string& bytes)
{
    CFileSha1 sha1;
    sha1.Reset();
    sha1.AddBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT32>(bytes.size()));
    sha1.Finish();
    CString text;
    sha1.ReportHash(text);
    return text;
}

DWORD CrcOfMemory(const std::string& bytes)
{
    return ~suitecore::kernels::Crc32Slicing8(0xFFFFFFFF, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::wstring W(const CString& s)
{
    return std::wstring(s.GetString());
}

// What a call writes to the C runtime's standard output.
template <class Fn>
std::string CaptureStdout(Fn fn)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"stdout.txt");
    fflush(stdout);
    const int saved = _dup(1);
    const int target = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
    _dup2(target, 1);
    _close(target);
    fn();
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    return testsupport::ReadFileBytes(path);
}
} // namespace

TEST(CMD5Checksum, Rfc1321Vectors)
{
    EXPECT_EQ(L"d41d8cd98f00b204e9800998ecf8427e", W(Md5("")));
    EXPECT_EQ(L"0cc175b9c0f1b6a831c399e269772661", W(Md5("a")));
    EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", W(Md5("abc")));
    EXPECT_EQ(L"f96b697d7cb7938d525a2f31aaf161d0", W(Md5("message digest")));
    EXPECT_EQ(L"c3fcd3d76192e4007dfb496cca67e13b", W(Md5("abcdefghijklmnopqrstuvwxyz")));
    EXPECT_EQ(L"d174ab98d277d9f5a5611c2c9f419d9f",
              W(Md5("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")));
    EXPECT_EQ(L"57edf4a22be3c955ac49da2e2107b67a",
              W(Md5("12345678901234567890123456789012345678901234567890123456789012345678901234567890")));
    EXPECT_EQ(L"d41d8cd98f00b204e9800998ecf8427e", W(CMD5Checksum::GetMD5(nullptr, 0)));
}

TEST(CMD5Checksum, PaddingBoundaries)
{
    EXPECT_EQ(L"ef1772b6dff9a122358552954ad0df65", W(Md5(std::string(55, 'a'))));
    EXPECT_EQ(L"3b0c8ac703f828b04c6c197006d17218", W(Md5(std::string(56, 'a'))));
    EXPECT_EQ(L"014842d480b571495a4a0363793f7367", W(Md5(std::string(64, 'a'))));
}

TEST(CMD5Checksum, UpdatesInPiecesEqualOneUpdate)
{
    const std::string data = Pattern(5 * 1024 * 1024 + 3);
    CMD5Checksum md5;
    for (size_t at = 0, piece = 1; at < data.size(); at += piece, piece = piece * 7 % 9973 + 1)
    {
        const size_t n = std::min(piece, data.size() - at);
        md5.Update(reinterpret_cast<const BYTE*>(data.data() + at), static_cast<ULONG>(n));
    }
    EXPECT_EQ(W(Md5(data)), W(md5.Final()));
}

TEST(CFileSha1, Fips180Vectors)
{
    EXPECT_EQ(L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", W(Sha1OfMemory("")));
    EXPECT_EQ(L"A9993E364706816ABA3E25717850C26C9CD0D89D", W(Sha1OfMemory("abc")));
    EXPECT_EQ(L"84983E441C3BD26EBAAE4AA1F95129E5E54670F1",
              W(Sha1OfMemory("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")));
    EXPECT_EQ(L"34AA973CD4C4DAA4F61EEB2BDBAD27316534016F", W(Sha1OfMemory(std::string(1000000, 'a'))));
}

TEST(CFileSha1, FilesOfTheBoundarySizes)
{
    testsupport::TempDir dir;
    const struct
    {
        size_t size;
        const wchar_t* sha1;
    } cases[] = {
        {0, L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
        {64, L"39A0D8B645AD85F1F976731ED112AC9455E28B78"},
        {8000, L"27A1CC01F8A2FACEEAF1D4A9068337C5913BC258"},
        {8001, L"0FBD32FE7847AF26EF88516B7D08F60A5BCFA97B"},
        {3 * 1024 * 1024 + 17, nullptr},
    };
    for (const auto& c : cases)
    {
        const std::string bytes = Pattern(c.size);
        const std::wstring path = dir.File(L"f" + std::to_wstring(c.size) + L".bin");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
        CFileSha1 sha1;
        ASSERT_TRUE(sha1.HashFile(path.c_str())) << c.size;
        sha1.Finish();
        CString text;
        sha1.ReportHash(text);
        EXPECT_EQ(W(Sha1OfMemory(bytes)), W(text)) << c.size;
        if (c.sha1)
        {
            EXPECT_EQ(c.sha1, W(text)) << c.size;
        }
        CString viaText;
        const std::string console = CaptureStdout([&] { viaText = GetFileSha1Text(path.c_str()); });
        EXPECT_EQ(W(text), W(viaText));
        EXPECT_EQ("\r\n Filename: \r\n File contents hashed to:\r\n " + testsupport::Utf8(W(text)) + "\r\n", console);
    }
}

TEST(CFileSha1, UnreadableFilesGiveTheDigestOfNoData)
{
    testsupport::TempDir dir;
    const std::string failure = "\r\n Filename: \r\n An error occured (does the file really exist?).\r\n";
    const std::wstring empty = L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709";
    CString text;
    EXPECT_EQ(failure, CaptureStdout([&] { text = GetFileSha1Text(dir.File(L"missing.bin").c_str()); }));
    EXPECT_EQ(empty, W(text));
    EXPECT_EQ(failure, CaptureStdout([&] { text = GetFileSha1Text(nullptr); }));
    EXPECT_EQ(empty, W(text));

    CFileSha1 sha1;
    EXPECT_FALSE(sha1.HashFile(nullptr));
    EXPECT_FALSE(sha1.HashFile(dir.Path().c_str())); // a folder
}

namespace
{
// A file "data.bin" holding "abc" at the end of a chain of folders, named by an extended-length
// path of exactly `length` characters; removed again on destruction.
class DeepFile
{
public:
    DeepFile(const std::wstring& base, size_t length) : m_path(L"\\\\?\\" + base)
    {
        const std::wstring leaf = L"\\data.bin";
        size_t need = length - m_path.size() - leaf.size();
        while (need > 0)
        {
            const size_t name = need > 201 ? 150 : need - 1;
            m_path += L"\\" + std::wstring(name, static_cast<wchar_t>(L'a' + m_folders.size()));
            need -= name + 1;
            CreateDirectoryW(m_path.c_str(), nullptr);
            m_folders.push_back(m_path);
        }
        m_path += leaf;
        testsupport::WriteFileBytes(m_path, "abc");
    }
    ~DeepFile()
    {
        DeleteFileW(m_path.c_str());
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
            RemoveDirectoryW(it->c_str());
    }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_folders;
};
} // namespace

TEST(CFileSha1, PathsOf1024CharactersAndMoreAreNotOpened)
{
    testsupport::TempDir dir;
    CString text;
    {
        const DeepFile taken(dir.Path(), 1023);
        ASSERT_EQ(1023u, taken.Path().size());
        const std::string console = CaptureStdout([&] { text = GetFileSha1Text(taken.Path().c_str()); });
        EXPECT_EQ(L"A9993E364706816ABA3E25717850C26C9CD0D89D", W(text)) << console;
    }
    {
        const DeepFile refused(dir.Path(), 1024);
        ASSERT_EQ(1024u, refused.Path().size());
        ASSERT_EQ("abc", testsupport::ReadFileBytes(refused.Path())); // the file is there
        const std::string console = CaptureStdout([&] { text = GetFileSha1Text(refused.Path().c_str()); });
        EXPECT_NE(std::string::npos, console.find("An error occured")) << console;
        EXPECT_EQ(L"DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", W(text));
    }
}

TEST(CCrc32Dynamic, StringsAndCheckValue)
{
    CCrc32Dynamic crc;
    DWORD value = 1;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CRC), crc.StringCrc32(L"abc", value)) << "no table yet";
    EXPECT_EQ(0u, value);
    crc.InitTable();
    EXPECT_EQ(0u, crc.StringCrc32(L"abc", value));
    EXPECT_EQ(0x352441C2u, value);
    EXPECT_EQ(0u, crc.StringCrc32(L"123456789", value));
    EXPECT_EQ(0xCBF43926u, value);
    EXPECT_EQ(0u, crc.StringCrc32(L"", value));
    EXPECT_EQ(0u, value);
    // Only the low byte of each code unit counts.
    EXPECT_EQ(0u, crc.StringCrc32(L"\x4161\x0162\xFF63", value));
    EXPECT_EQ(0x352441C2u, value);
    DWORD step = 0xFFFFFFFF;
    for (char ch : std::string("123456789"))
        crc.UpdateByte(static_cast<BYTE>(ch), step);
    EXPECT_EQ(0xCBF43926u, ~step);
}

TEST(CCrc32Dynamic, EveryFileMethodEqualsTheCrcOfTheBytes)
{
    testsupport::TempDir dir;
    CCrc32Dynamic crc;
    crc.InitTable();
    using Method = DWORD (CCrc32Dynamic::*)(LPCWSTR, DWORD&) const;
    const Method methods[] = {&CCrc32Dynamic::FileCrc32Streamed, &CCrc32Dynamic::FileCrc32Mapped,
                              &CCrc32Dynamic::FileCrc32Buffered};
    // Sizes around the 4096-byte blocks and the 10 MiB views.
    for (size_t size : {size_t(0), size_t(1), size_t(9), size_t(4095), size_t(4096), size_t(4097), size_t(8001),
                        size_t(0xA00000), size_t(0xA00000 + 4099)})
    {
        const std::string bytes = size == 9 ? std::string("123456789") : Pattern(size);
        const std::wstring path = dir.File(L"c" + std::to_wstring(size));
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
        for (Method method : methods)
        {
            DWORD value = 1;
            EXPECT_EQ(0u, (crc.*method)(path.c_str(), value)) << size;
            EXPECT_EQ(CrcOfMemory(bytes), value) << size;
        }
    }
}

TEST(CCrc32Dynamic, FailureCodes)
{
    testsupport::TempDir dir;
    const std::wstring missing = dir.File(L"missing.bin");
    const std::wstring present = dir.File(L"present.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(present, "123456789"));
    CCrc32Dynamic noTable;
    CCrc32Dynamic crc;
    crc.InitTable();
    using Method = DWORD (CCrc32Dynamic::*)(LPCWSTR, DWORD&) const;
    for (Method method :
         {&CCrc32Dynamic::FileCrc32Streamed, &CCrc32Dynamic::FileCrc32Mapped, &CCrc32Dynamic::FileCrc32Buffered})
    {
        DWORD value = 1;
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), (crc.*method)(missing.c_str(), value));
        EXPECT_EQ(0u, value);
        EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND),
                  (crc.*method)((dir.Path() + L"\\no\\such.bin").c_str(), value));
        EXPECT_EQ(static_cast<DWORD>(ERROR_CRC), (noTable.*method)(present.c_str(), value));
        EXPECT_EQ(0u, value);

        // Another handle that refuses to share reading.
        HANDLE exclusive = CreateFileW(present.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), (crc.*method)(present.c_str(), value));
        CloseHandle(exclusive);
        EXPECT_EQ(0u, (crc.*method)(present.c_str(), value));
        EXPECT_EQ(0xCBF43926u, value);
    }
}

TEST(CCrc32Dynamic, CopiesOwnTheirTables)
{
    auto copy = std::make_unique<CCrc32Dynamic>();
    {
        CCrc32Dynamic original;
        original.InitTable();
        *copy = original;
        CCrc32Dynamic constructed(original);
        DWORD value = 0;
        EXPECT_EQ(0u, constructed.StringCrc32(L"abc", value));
    }
    DWORD value = 0;
    EXPECT_EQ(0u, copy->StringCrc32(L"abc", value)); // the original's table is gone
    EXPECT_EQ(0x352441C2u, value);
    CCrc32Dynamic empty;
    *copy = empty;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CRC), copy->StringCrc32(L"abc", value));
}
