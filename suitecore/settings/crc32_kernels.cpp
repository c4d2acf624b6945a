// CRC-32 over the reflected polynomial 0xEDB88320: slicing-by-8 tables, folding 128 bits at a
// time with carry-less multiplication where the processor has it, and the choice among these and
// the wider folding kernels (crc32_vpclmul.cpp). Also the plain 32-bit word sum.
#include "checksum_kernels.h"

#include <immintrin.h>

#include <array>
#include <cstring>

namespace suitecore::kernels
{
namespace
{
using SliceTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr SliceTables MakeSliceTables()
{
    SliceTables t{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ ((c & 1) ? 0xEDB88320u : 0u);
        t[0][i] = c;
    }
    // Table k advances a byte that is followed by k zero bytes.
    for (int k = 1; k < 8; ++k)
        for (uint32_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr SliceTables kSlice = MakeSliceTables();

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

uint32_t Bytewise(uint32_t crc, const uint8_t* data, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ kSlice[0][(crc ^ data[i]) & 0xFF];
    return crc;
}

struct KernelInfo
{
    Crc32Fn fn;
    const char* name;
    const char* needs;
    bool (*available)(const CpuFeatures& cpu);
};

bool HasPclmul(const CpuFeatures& cpu)
{
    return cpu.pclmul && cpu.sse41;
}

bool HasVpclmul256(const CpuFeatures& cpu)
{
    return HasPclmul(cpu) && cpu.avx2 && cpu.vpclmulqdq && cpu.osSavesYmm;
}

bool HasVpclmul512(const CpuFeatures& cpu)
{
    return HasPclmul(cpu) && cpu.vpclmulqdq && cpu.avx512f && cpu.avx512vl && cpu.avx512bw && cpu.osSavesZmm;
}

// In the order of Crc32Kernel.
const KernelInfo kKernels[] = {
    {Crc32Slicing8, "slicing-by-8", "nothing", [](const CpuFeatures&) { return true; }},
    {Crc32Pclmul, "PCLMUL folding, 128 bits", "PCLMULQDQ and SSE4.1", HasPclmul},
    {Crc32Vpclmul256, "VPCLMULQDQ folding, 256 bits", "AVX2, VPCLMULQDQ and the YMM state saved by the system",
     HasVpclmul256},
    {Crc32Vpclmul512, "VPCLMULQDQ folding, 512 bits",
     "AVX-512 F, VL and BW, VPCLMULQDQ and the ZMM state saved by the system", HasVpclmul512},
};

const KernelInfo& Info(Crc32Kernel kernel)
{
    return kKernels[static_cast<size_t>(kernel)];
}

Crc32Kernel ChooseCrc32()
{
    Crc32Kernel best = Crc32Kernel::Slicing8;
    for (Crc32Kernel kernel : kCrc32Kernels)
        if (Info(kernel).available(GetCpuFeatures()))
            best = kernel;
    return best;
}

Crc32Fn ChosenFn()
{
    static const Crc32Fn kernel = Info(Crc32ChosenKernel()).fn;
    return kernel;
}
} // namespace

const uint32_t g_crc32Table[256] = {
#define SUITE_CRC_ROW(i) kSlice[0][i], kSlice[0][i + 1], kSlice[0][i + 2], kSlice[0][i + 3]
#define SUITE_CRC_ROW16(i) SUITE_CRC_ROW(i), SUITE_CRC_ROW(i + 4), SUITE_CRC_ROW(i + 8), SUITE_CRC_ROW(i + 12)
    SUITE_CRC_ROW16(0),   SUITE_CRC_ROW16(16),  SUITE_CRC_ROW16(32),  SUITE_CRC_ROW16(48),
    SUITE_CRC_ROW16(64),  SUITE_CRC_ROW16(80),  SUITE_CRC_ROW16(96),  SUITE_CRC_ROW16(112),
    SUITE_CRC_ROW16(128), SUITE_CRC_ROW16(144), SUITE_CRC_ROW16(160), SUITE_CRC_ROW16(176),
    SUITE_CRC_ROW16(192), SUITE_CRC_ROW16(208), SUITE_CRC_ROW16(224), SUITE_CRC_ROW16(240),
#undef SUITE_CRC_ROW16
#undef SUITE_CRC_ROW
};

uint32_t Crc32Slicing8(uint32_t crc, const uint8_t* data, size_t length)
{
    // Byte steps up to an 8-byte boundary, so that the main loop reads aligned words.
    while (length && (reinterpret_cast<uintptr_t>(data) & 7))
    {
        crc = (crc >> 8) ^ kSlice[0][(crc ^ *data++) & 0xFF];
        --length;
    }
    while (length >= 8)
    {
        const uint32_t lo = Load32(data) ^ crc;
        const uint32_t hi = Load32(data + 4);
        crc = kSlice[7][lo & 0xFF] ^ kSlice[6][(lo >> 8) & 0xFF] ^ kSlice[5][(lo >> 16) & 0xFF] ^ kSlice[4][lo >> 24] ^
              kSlice[3][hi & 0xFF] ^ kSlice[2][(hi >> 8) & 0xFF] ^ kSlice[1][(hi >> 16) & 0xFF] ^ kSlice[0][hi >> 24];
        data += 8;
        length -= 8;
    }
    return Bytewise(crc, data, length);
}

// Folding by four 128-bit lanes, then down to one lane, then a Barrett reduction to 32 bits.
// The constants are x^n mod P for the fold distances, bit-reflected and shifted left by one.
__attribute__((target("pclmul,sse4.1"))) uint32_t Crc32Pclmul(uint32_t crc, const uint8_t* data, size_t length)
{
    if (length < 64)
        return Crc32Slicing8(crc, data, length);

    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL); // fold by 512 bits
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL); // fold by 128 bits
    const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124LL);               // 64 to 32 bits
    const __m128i poly = _mm_set_epi64x(0x1f7011641LL, 0x1db710641LL); // Barrett: mu, P
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);

    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(crc)));
    data += 64;
    length -= 64;

    while (length >= 64)
    {
        // Large buffers come from memory, not cache: ask for them well ahead of use.
        _mm_prefetch(reinterpret_cast<const char*>(data) + 4096, _MM_HINT_T0);
        const __m128i h1 = _mm_clmulepi64_si128(x1, k1k2, 0x11);
        const __m128i h2 = _mm_clmulepi64_si128(x2, k1k2, 0x11);
        const __m128i h3 = _mm_clmulepi64_si128(x3, k1k2, 0x11);
        const __m128i h4 = _mm_clmulepi64_si128(x4, k1k2, 0x11);
        x1 = _mm_clmulepi64_si128(x1, k1k2, 0x00);
        x2 = _mm_clmulepi64_si128(x2, k1k2, 0x00);
        x3 = _mm_clmulepi64_si128(x3, k1k2, 0x00);
        x4 = _mm_clmulepi64_si128(x4, k1k2, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(x1, h1), _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)));
        x2 = _mm_xor_si128(_mm_xor_si128(x2, h2), _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16)));
        x3 = _mm_xor_si128(_mm_xor_si128(x3, h3), _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32)));
        x4 = _mm_xor_si128(_mm_xor_si128(x4, h4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48)));
        data += 64;
        length -= 64;
    }

    // One lane folded forward by 128 bits onto the next 16 bytes.
#define CRC_FOLD128(acc, next)                                                                                         \
    acc = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, k3k4, 0x00), _mm_clmulepi64_si128(acc, k3k4, 0x11)),   \
                        next)
    CRC_FOLD128(x1, x2);
    CRC_FOLD128(x1, x3);
    CRC_FOLD128(x1, x4);
    while (length >= 16)
    {
        CRC_FOLD128(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)));
        data += 16;
        length -= 16;
    }
#undef CRC_FOLD128

    // 128 bits to 64.
    __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
    // 64 bits to 32.
    t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 4), t);
    // Barrett reduction.
    t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    crc = static_cast<uint32_t>(_mm_extract_epi32(x1, 1));

    return Crc32Slicing8(crc, data, length);
}

uint32_t WordSum(uint32_t sum, const uint8_t* data, size_t length)
{
    size_t i = 0;
    for (; i + 4 <= length; i += 4)
        sum += Load32(data + i);
    uint32_t last = 0;
    for (int shift = 0; i < length; ++i, shift += 8)
        last |= static_cast<uint32_t>(data[i]) << shift;
    return sum + last;
}

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length)
{
    return ChosenFn()(crc, data, length);
}

Crc32Fn Crc32KernelFn(Crc32Kernel kernel)
{
    return Info(kernel).available(GetCpuFeatures()) ? Info(kernel).fn : nullptr;
}

const char* Crc32KernelName(Crc32Kernel kernel)
{
    return Info(kernel).name;
}

const char* Crc32KernelNeeds(Crc32Kernel kernel)
{
    return Info(kernel).needs;
}

Crc32Kernel Crc32ChosenKernel()
{
    static const Crc32Kernel kernel = ChooseCrc32();
    return kernel;
}
} // namespace suitecore::kernels
