// The inner loops of SuiteCore's checksums: CRC-32 (reflected polynomial 0xEDB88320), the
// SHA-1 and MD5 compression functions. Each has a portable version and, where the processor
// offers instructions for it, a faster one with identical results; the choice is made once per
// process from cpuid. Internal to SuiteCore.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace suitecore::kernels
{
struct CpuFeatures
{
    bool ssse3 = false;
    bool sse41 = false;
    bool pclmul = false;
    bool sha = false;
    bool avx2 = false;
    bool vpclmulqdq = false;
    bool avx512f = false;
    bool avx512vl = false;
    bool avx512bw = false;
    bool osSavesYmm = false; // XCR0: the XMM and YMM state
    bool osSavesZmm = false; // XCR0: also the opmask, ZMM_Hi256 and Hi16_ZMM state
};

// What this processor offers, read once per process.
const CpuFeatures& GetCpuFeatures();

// CRC-32 register update: crc is the running (uncomplemented) value, as in the byte step
// crc = (crc >> 8) ^ table[(crc ^ byte) & 0xFF].
using Crc32Fn = uint32_t (*)(uint32_t crc, const uint8_t* data, size_t length);

extern const uint32_t g_crc32Table[256]; // the byte step's table
uint32_t Crc32Slicing8(uint32_t crc, const uint8_t* data, size_t length);
uint32_t Crc32Pclmul(uint32_t crc, const uint8_t* data, size_t length); // needs pclmul and sse4.1
// Folding 256 bits (AVX2) and 512 bits (AVX-512) at a time; they hand short buffers and their
// tails to Crc32Pclmul. Each needs what Crc32KernelFn checks.
uint32_t Crc32Vpclmul256(uint32_t crc, const uint8_t* data, size_t length);
uint32_t Crc32Vpclmul512(uint32_t crc, const uint8_t* data, size_t length);

// The CRC-32 kernels, slowest first. Crc32Update uses the last one this processor can run,
// chosen once per process; tests and the benchmark can call each one directly.
enum class Crc32Kernel
{
    Slicing8,
    Pclmul,
    Vpclmul256,
    Vpclmul512,
};
constexpr Crc32Kernel kCrc32Kernels[] = {Crc32Kernel::Slicing8, Crc32Kernel::Pclmul, Crc32Kernel::Vpclmul256,
                                         Crc32Kernel::Vpclmul512};
// The kernel, or nullptr when this processor or its operating system lacks what it needs.
Crc32Fn Crc32KernelFn(Crc32Kernel kernel);
const char* Crc32KernelName(Crc32Kernel kernel);
const char* Crc32KernelNeeds(Crc32Kernel kernel); // what it needs, for a skip message
Crc32Kernel Crc32ChosenKernel();
// CRC-32 with the chosen kernel.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length);

// SHA-1 compression of whole 64-byte blocks into state[5].
using BlocksFn = void (*)(uint32_t* state, const uint8_t* data, size_t blocks);
void Sha1BlocksPortable(uint32_t* state, const uint8_t* data, size_t blocks);
void Sha1BlocksShaNi(uint32_t* state, const uint8_t* data, size_t blocks); // needs sha, ssse3, sse4.1
void Sha1Blocks(uint32_t* state, const uint8_t* data, size_t blocks);
bool Sha1UsesShaNi();

// Adds the little-endian 32-bit words of the data to sum (modulo 2^32); a final partial word
// counts with its missing high bytes as zero.
uint32_t WordSum(uint32_t sum, const uint8_t* data, size_t length);

// MD5 compression of whole 64-byte blocks into state[4].
void Md5Blocks(uint32_t* state, const uint8_t* data, size_t blocks);

// The streaming part MD5 and SHA-1 share: counts the message length in bits in two 32-bit words
// (low, high), completes the partial block in buffer, hands whole blocks to compress(data,
// blocks) and keeps the rest in buffer.
template <class Word, class Compress>
void AddToBlocks(uint8_t (&buffer)[64], Word (&bitCount)[2], const uint8_t* data, uint32_t length, Compress compress)
{
    if (!length)
        return;
    uint32_t index = (bitCount[0] >> 3) & 63;
    const Word bits = static_cast<Word>(length << 3);
    bitCount[0] += bits;
    if (bitCount[0] < bits)
        ++bitCount[1];
    bitCount[1] += length >> 29;

    uint32_t taken = 0;
    if (index + length >= 64)
    {
        taken = 64 - index;
        memcpy(buffer + index, data, taken);
        compress(buffer, 1);
        const uint32_t blocks = (length - taken) / 64;
        compress(data + taken, blocks);
        taken += blocks * 64;
        index = 0;
    }
    memcpy(buffer + index, data + taken, length - taken);
}
} // namespace suitecore::kernels
