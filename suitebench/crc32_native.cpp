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

// Seconds one call takes.
double Seconds(const std::function<void()>& fn)
{
    const double start = ThreadSeconds();
    fn();
    return ThreadSeconds() - start;
}

using LineFn = std::function<uint32_t(const uint8_t*, size_t)>; // the final CRC, or any value of the bytes

struct Line
{
    std::string name;
    LineFn fn;
    const Crc32Kernel* kernel = nullptr; // none for the memory read and zlib
    double bufferSeconds = 1e300;        // the fastest pass over the 256 MiB buffer
    double cachedSeconds = 1e300;        // the fastest 256 MiB in passes over 256 KiB
    uint32_t bufferCrc = 0, cachedCrc = 0;

    double Buffer() const { return kBufferBytes / kMiB / bufferSeconds; }
    double Cached() const { return kBufferBytes / kMiB / cachedSeconds; }
};

// Every line once a round, keeping each line's fastest: a burst of load from other processes on a
// shared machine then slows one round of every line rather than all rounds of one line.
void Measure(int runs, const std::vector<uint8_t>& data, std::vector<Line>& lines)
{
    for (int round = 0; round < runs; ++round)
    {
        for (Line& line : lines)
        {
            const double buffer = Seconds([&] { line.bufferCrc = line.fn(data.data(), kBufferBytes); });
            const double cached = Seconds(
                [&]
                {
                    for (size_t at = 0; at < kBufferBytes; at += kCachedBytes)
                        line.cachedCrc = line.fn(data.data(), kCachedBytes);
                });
            line.bufferSeconds = buffer < line.bufferSeconds ? buffer : line.bufferSeconds;
            line.cachedSeconds = cached < line.cachedSeconds ? cached : line.cachedSeconds;
        }
    }
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
    std::vector<Line> lines;
    lines.push_back({std::string("memory read, ") + suitebench::ReadMemoryWidth(), suitebench::ReadMemory});
    lines.push_back({"zlib crc32 " ZLIB_VERSION,
                     [](const uint8_t* p, size_t n) { return static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n))); }});
    std::vector<const Crc32Kernel*> missing;
    for (const Crc32Kernel& kernel : kCrc32Kernels)
    {
        const Crc32Fn fn = Crc32KernelFn(kernel);
        if (fn)
            lines.push_back({Crc32KernelName(kernel), [fn](const uint8_t* p, size_t n) { return ~fn(0xFFFFFFFF, p, n); },
                             &kernel});
        else
            missing.push_back(&kernel);
    }
    Measure(runs, data, lines);
    const Line& memory = lines[0];
    const Line& zlib = lines[1];

    const std::string bits = std::to_string(sizeof(void*) * 8) + "-bit";
    if (!tsv)
    {
        std::printf("CRC-32 kernels built natively by the build machine's compiler (%s); MiB/s of thread processor "
                    "time, best of %d rounds\n",
                    bits.c_str(), runs);
        std::printf("%-32s %12s %8s %8s %12s %8s\n", "line", "256 MiB", "x zlib", "x memory", "256 KiB", "x zlib");
    }
    int status = 0;
    for (const Line& line : lines)
    {
        const bool agree = !line.kernel || (line.bufferCrc == zlib.bufferCrc && line.cachedCrc == zlib.cachedCrc);
        status |= agree ? 0 : 1;
        const bool chosen = line.kernel && *line.kernel == Crc32ChosenKernel();
        if (tsv && chosen)
        {
            std::printf("crc32 256 MiB buffer, native %s\t%.2f\tzlib crc32, native\t%.2f\tMiB/s\t%.2f\t%.2f\n",
                        bits.c_str(), line.Buffer(), zlib.Buffer(), line.Buffer() / zlib.Buffer(),
                        line.Buffer() / memory.Buffer());
            std::printf("crc32 256 KiB buffer, in cache, native %s\t%.2f\tzlib crc32, native\t%.2f\tMiB/s\t%.2f\n",
                        bits.c_str(), line.Cached(), zlib.Cached(), line.Cached() / zlib.Cached());
        }
        else if (!tsv)
        {
            std::printf("%-32s %12.0f %8.2f %8.2f %12.0f %8.2f%s%s\n", line.name.c_str(), line.Buffer(),
                        line.Buffer() / zlib.Buffer(), line.Buffer() / memory.Buffer(), line.Cached(),
                        line.Cached() / zlib.Cached(), chosen ? "  (chosen)" : "",
                        agree ? "" : "  RESULTS DIFFER FROM ZLIB");
        }
    }
    for (const Crc32Kernel* kernel : missing)
        if (!tsv)
            std::printf("%-32s skipped: needs %s\n", Crc32KernelName(*kernel), Crc32KernelNeeds(*kernel));
    return status;
}
