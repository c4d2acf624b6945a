// CRC-32 figures of every kernel this processor can run, for a build with the build machine's own
// compiler: the Windows build runs under emulation on some machines, where its timings say nothing
// about the kernels. The same kernel sources, against zlib's crc32 and a plain memory-read loop
// over the same bytes. Exits 1 if any kernel's CRC differs from zlib's.
//   crc32_native [--tsv] [RUNS]
// --tsv prints the chosen kernel's two figures in SuiteBench's TSV layout instead of the table.
#include "../suitecore/settings/checksum_kernels.h"
#include "memory_read.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace suitecore::kernels;

namespace
{
constexpr size_t kBufferBytes = 256u << 20; // the memory-bound case: far beyond every cache
constexpr size_t kCachedBytes = 256u << 10; // the compute-bound case: read again and again
constexpr double kMiB = 1024.0 * 1024.0;

std::vector<uint8_t> RandomBytes(size_t size)
{
    std::vector<uint8_t> bytes(size);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < size; ++i)
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes[i] = static_cast<uint8_t>(state >> 32);
    }
    return bytes;
}

// Seconds of processor time this thread has used: on a shared build machine the wall clock also
// counts the time other processes ran, the processor time only what this loop took.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// MiB/s of the fastest of `runs` calls, each over `bytes` bytes.
double Rate(int runs, size_t bytes, const std::function<void()>& fn)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
    {
        const double start = ThreadSeconds();
        fn();
        const double took = ThreadSeconds() - start;
        best = took < best ? took : best;
    }
    return bytes / kMiB / best;
}

struct Figures
{
    double buffer = 0; // MiB/s over the 256 MiB buffer
    double cached = 0; // MiB/s over 256 KiB in cache
    uint32_t bufferCrc = 0, cachedCrc = 0;
};

// fn(data, length) returns the final CRC (or any value made of the bytes).
Figures Measure(int runs, const std::vector<uint8_t>& data, const std::function<uint32_t(const uint8_t*, size_t)>& fn)
{
    Figures f;
    f.buffer = Rate(runs, kBufferBytes, [&] { f.bufferCrc = fn(data.data(), kBufferBytes); });
    f.cached = Rate(runs, kBufferBytes,
                    [&]
                    {
                        for (size_t at = 0; at < kBufferBytes; at += kCachedBytes)
                            f.cachedCrc = fn(data.data(), kCachedBytes);
                    });
    return f;
}
} // namespace

int main(int argc, char** argv)
{
    bool tsv = false;
    int runs = 5;
    for (int i = 1; i < argc; ++i)
    {
        if (std::string(argv[i]) == "--tsv")
            tsv = true;
        else
            runs = std::atoi(argv[i]);
    }
    if (runs < 1)
        runs = 1;
    const std::vector<uint8_t> data = RandomBytes(kBufferBytes);

    const Figures memory = Measure(runs, data, suitebench::ReadMemory);
    const Figures zlib = Measure(runs, data,
                                 [](const uint8_t* p, size_t n)
                                 { return static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n))); });

    const std::string bits = std::to_string(sizeof(void*) * 8) + "-bit";
    if (!tsv)
    {
        std::printf("CRC-32 kernels built natively by the build machine's compiler (%s); MiB/s of thread processor "
                    "time, best of %d runs\n",
                    bits.c_str(), runs);
        std::printf("%-32s %12s %8s %8s %12s %8s\n", "line", "256 MiB", "x zlib", "x memory", "256 KiB", "x zlib");
        std::printf("%-32s %12.0f %8s %8.2f %12.0f %8s\n",
                    (std::string("memory read, ") + suitebench::ReadMemoryWidth()).c_str(), memory.buffer, "", 1.0,
                    memory.cached, "");
        std::printf("%-32s %12.0f %8.2f %8.2f %12.0f %8.2f\n", "zlib crc32 " ZLIB_VERSION, zlib.buffer, 1.0,
                    zlib.buffer / memory.buffer, zlib.cached, 1.0);
    }

    int status = 0;
    for (Crc32Kernel kernel : kCrc32Kernels)
    {
        const Crc32Fn fn = Crc32KernelFn(kernel);
        if (!fn)
        {
            if (!tsv)
                std::printf("%-32s skipped: needs %s\n", Crc32KernelName(kernel), Crc32KernelNeeds(kernel));
            continue;
        }
        const Figures f =
            Measure(runs, data, [fn](const uint8_t* p, size_t n) { return ~fn(0xFFFFFFFF, p, n); });
        const bool agree = f.bufferCrc == zlib.bufferCrc && f.cachedCrc == zlib.cachedCrc;
        status |= agree ? 0 : 1;
        const bool chosen = kernel == Crc32ChosenKernel();
        if (tsv && chosen)
        {
            std::printf("crc32 256 MiB buffer, native %s\t%.2f\tzlib crc32, native\t%.2f\tMiB/s\t%.2f\t%.2f\n",
                        bits.c_str(), f.buffer, zlib.buffer, f.buffer / zlib.buffer, f.buffer / memory.buffer);
            std::printf("crc32 256 KiB buffer, in cache, native %s\t%.2f\tzlib crc32, native\t%.2f\tMiB/s\t%.2f\n",
                        bits.c_str(), f.cached, zlib.cached, f.cached / zlib.cached);
        }
        else if (!tsv)
        {
            std::printf("%-32s %12.0f %8.2f %8.2f %12.0f %8.2f%s%s\n", Crc32KernelName(kernel), f.buffer,
                        f.buffer / zlib.buffer, f.buffer / memory.buffer, f.cached, f.cached / zlib.cached,
                        chosen ? "  (chosen)" : "", agree ? "" : "  RESULTS DIFFER FROM ZLIB");
        }
    }
    return status;
}
