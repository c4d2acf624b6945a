// CRC-32: SuiteCore's kernel over a buffer, and each file method over a 1 GiB file, against
// zlib's crc32 over the same bytes and the same I/O pattern.
#include "bench.h"

#include <testsupport/testsupport.h>

#include "../suitecore/settings/checksum_kernels.h"
#include "memory_read.h"

#include <framework/handles.h>
#include <suitecore/filelist.h>

#include <zlib.h>

#include <cstring>
#include <memory>

namespace
{
std::wstring Wide(const char* ascii)
{
    return std::wstring(ascii, ascii + strlen(ascii));
}

constexpr size_t kBufferBytes = 256u << 20;
constexpr ULONGLONG kFileBytes = 1ULL << 30;
constexpr double kMiB = 1024.0 * 1024.0;

uint32_t ZlibCrc(uint32_t crc, const unsigned char* data, size_t length)
{
    while (length)
    {
        const uInt n = length > 0x40000000 ? 0x40000000 : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(crc32(crc, data, n));
        data += n;
        length -= n;
    }
    return crc;
}

void BenchBuffer(suitebench::Reporter& r)
{
    const std::vector<unsigned char> data = suitebench::RandomBytes(kBufferBytes, 7);
    uint32_t ours = 0, peer = 0;
    const double oursSeconds = suitebench::BestSeconds(
        5, [&] { ours = ~suitecore::kernels::Crc32Update(0xFFFFFFFF, data.data(), data.size()); });
    const double peerSeconds = suitebench::BestSeconds(5, [&] { peer = ZlibCrc(0, data.data(), data.size()); });
    // The memory limit: nothing that reads these bytes once can be faster.
    volatile uint32_t sink = 0;
    const double readSeconds =
        suitebench::BestSeconds(5, [&] { sink = suitebench::ReadMemory(data.data(), data.size()); });
    const double readRate = kBufferBytes / kMiB / readSeconds;
    r.Reference(std::wstring(L"memory read 256 MiB, ") + Wide(suitebench::ReadMemoryWidth()), readRate,
                suitebench::Unit::MiBPerSecond);
    r.Report(L"crc32 256 MiB buffer", kBufferBytes / kMiB / oursSeconds, L"zlib crc32",
             kBufferBytes / kMiB / peerSeconds, suitebench::Unit::MiBPerSecond, readRate);

    // The same kernels on a buffer that stays in the cache: what they do when memory is not the limit.
    constexpr size_t kCached = 256u << 10;
    const double cachedOurs =
        suitebench::BestSeconds(5,
                                [&]
                                {
                                    for (size_t at = 0; at < kBufferBytes; at += kCached)
                                        ours = ~suitecore::kernels::Crc32Update(0xFFFFFFFF, data.data(), kCached);
                                });
    const double cachedPeer = suitebench::BestSeconds(5,
                                                      [&]
                                                      {
                                                          for (size_t at = 0; at < kBufferBytes; at += kCached)
                                                              peer = ZlibCrc(0, data.data(), kCached);
                                                      });
    r.Report(L"crc32 256 KiB buffer, in cache", kBufferBytes / kMiB / cachedOurs, L"zlib crc32",
             kBufferBytes / kMiB / cachedPeer, suitebench::Unit::MiBPerSecond);
    r.Note(L"kernel: " + Wide(suitecore::kernels::Crc32KernelName(suitecore::kernels::Crc32ChosenKernel())) +
           (ours == peer ? L"; results agree" : L"; RESULTS DIFFER") +
           L"; to reference: the crc32 rate over the memory-read rate");
}

// zlib over the file read in blocks of the given size.
uint32_t ZlibOverReads(const std::wstring& path, DWORD blockSize)
{
    const CUniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize]);
    uint32_t crc = 0;
    DWORD got = 0;
    while (ReadFile(file.get(), block.get(), blockSize, &got, nullptr) && got)
        crc = ZlibCrc(crc, block.get(), got);
    return crc;
}

// zlib over the file mapped in 10 MiB views.
uint32_t ZlibOverViews(const std::wstring& path)
{
    const CUniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const CUniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    uint32_t crc = 0;
    for (ULONGLONG at = 0; at < kFileBytes; at += 0xA00000)
    {
        const SIZE_T n = static_cast<SIZE_T>(kFileBytes - at < 0xA00000 ? kFileBytes - at : 0xA00000);
        const CUniqueMappedView view(
            MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(at >> 32), static_cast<DWORD>(at), n));
        crc = ZlibCrc(crc, static_cast<const unsigned char*>(view.get()), n);
    }
    return crc;
}

void WriteFileOf(const std::wstring& path, ULONGLONG size)
{
    const std::vector<unsigned char> chunk = suitebench::RandomBytes(16u << 20, 11);
    const CUniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (ULONGLONG at = 0; at < size; at += chunk.size())
    {
        DWORD written = 0;
        WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
    }
}

void BenchFile(suitebench::Reporter& r)
{
    testsupport::TempDir folder;
    const std::wstring path = folder.Path() + L"\\crc.bin";
    WriteFileOf(path, kFileBytes);
    ZlibOverReads(path, 1 << 20); // into the page cache before any timing

    CCrc32Dynamic engine;
    engine.InitTable();
    using Method = DWORD (CCrc32Dynamic::*)(LPCWSTR, DWORD&) const;
    const struct
    {
        const wchar_t* name;
        Method method;
        const wchar_t* peerName;
        std::function<uint32_t()> peer;
    } cases[] = {
        {L"crc32 1 GiB file, streamed", &CCrc32Dynamic::FileCrc32Streamed, L"zlib, 4 KiB reads",
         [&] { return ZlibOverReads(path, 4096); }},
        {L"crc32 1 GiB file, mapped", &CCrc32Dynamic::FileCrc32Mapped, L"zlib, 10 MiB views",
         [&] { return ZlibOverViews(path); }},
        {L"crc32 1 GiB file, buffered", &CCrc32Dynamic::FileCrc32Buffered, L"zlib, 4 KiB reads",
         [&] { return ZlibOverReads(path, 4096); }},
        {L"crc32 1 GiB file, GetCrc steps", nullptr, L"zlib, 16 KiB reads", [&] { return ZlibOverReads(path, 16384); }},
    };
    for (const auto& c : cases)
    {
        DWORD ours = 0;
        uint32_t peer = 0;
        const double oursSeconds = suitebench::BestSeconds(2,
                                                           [&]
                                                           {
                                                               if (c.method)
                                                               {
                                                                   (engine.*c.method)(path.c_str(), ours);
                                                                   return;
                                                               }
                                                               CFileInfo fi;
                                                               fi.CreateFromPath(path.c_str());
                                                               ours = fi.GetCrc();
                                                           });
        const double peerSeconds = suitebench::BestSeconds(2, [&] { peer = c.peer(); });
        r.Report(c.name, kFileBytes / kMiB / oursSeconds, c.peerName, kFileBytes / kMiB / peerSeconds,
                 suitebench::Unit::MiBPerSecond);
        if (ours != peer)
            r.Note(L"RESULTS DIFFER");
    }
}
} // namespace

SUITEBENCH_CASE(crc32_buffer, L"crc32", BenchBuffer);
SUITEBENCH_CASE(crc32_file, L"crc32-file", BenchFile);
