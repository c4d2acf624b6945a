// CRC-32 folding over 256-bit and 512-bit registers with VPCLMULQDQ. Each kernel keeps four
// accumulators, so that a 32-bit process, which has only eight vector registers, holds the
// accumulators, the fold constant and the two products of one step without spilling. The
// accumulators are then folded into one 128-bit value, which is a stand-in for the bytes read so
// far: the 128-bit kernel finishes from there and takes the tail.
//
// Fold constants: for a distance of D bits, x^(D+32) mod P in the low quadword and x^(D-32) mod P
// in the high one, bit-reflected and shifted left by one, repeated in every 128-bit element.
#include "checksum_kernels.h"

#include <immintrin.h>

#include <cstring>

namespace suitecore::kernels
{
namespace
{
constexpr long long kFold128Lo = 0x1751997d0LL, kFold128Hi = 0x0ccaa009eLL;
constexpr long long kFold256Lo = 0x0f1da05aaLL, kFold256Hi = 0x15a546366LL;
constexpr long long kFold512Lo = 0x154442bd4LL, kFold512Hi = 0x1c6e41596LL;
constexpr long long kFold1024Lo = 0x1e88ef372LL, kFold1024Hi = 0x14a7fe880LL;
constexpr long long kFold2048Lo = 0x11542778aLL, kFold2048Hi = 0x1322d1430LL;

// Wide loads that cross a cache line cost twice; a short head brings longer buffers onto a line.
constexpr size_t kAlignFrom = 1024;

// Bytes up to the next 64-byte line, when the buffer is long enough for that to pay.
size_t HeadLength(const uint8_t* data, size_t length)
{
    if (length < kAlignFrom)
        return 0;
    return (64 - (reinterpret_cast<uintptr_t>(data) & 63)) & 63;
}

// The 128-bit folded value stands for the bytes read so far: its CRC from a zero register is the
// register after them. The 128-bit kernel then goes on over the rest.
uint32_t Finish(const uint8_t (&folded)[16], const uint8_t* rest, size_t length)
{
    return Crc32Pclmul(Crc32Slicing8(0, folded, sizeof(folded)), rest, length);
}

// acc folded forward by the constant's distance onto next.
__attribute__((target("pclmul,sse2"))) inline __m128i Fold128(__m128i acc, __m128i k, __m128i next)
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00), _mm_clmulepi64_si128(acc, k, 0x11)), next);
}

#define SUITE_TARGET_256 __attribute__((target("avx2,vpclmulqdq,pclmul")))
#define SUITE_TARGET_512 __attribute__((target("avx512f,avx512vl,avx512bw,vpclmulqdq,pclmul")))

SUITE_TARGET_256 inline __m256i Load256(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

SUITE_TARGET_256 inline __m256i Fold256(__m256i acc, __m256i k, __m256i next)
{
    return _mm256_xor_si256(
        _mm256_xor_si256(_mm256_clmulepi64_epi128(acc, k, 0x00), _mm256_clmulepi64_epi128(acc, k, 0x11)), next);
}

SUITE_TARGET_512 inline __m512i Load512(const uint8_t* p)
{
    return _mm512_loadu_si512(p);
}

SUITE_TARGET_512 inline __m512i Repeat512(long long hi, long long lo)
{
    return _mm512_set_epi64(hi, lo, hi, lo, hi, lo, hi, lo);
}

// 128-bit element i. The zero-masked form: the plain one starts from an undefined value, which
// GCC 12 takes for an uninitialised variable.
template <int i>
SUITE_TARGET_512 inline __m128i Element(__m512i x)
{
    return _mm512_maskz_extracti32x4_epi32(0xF, x, i);
}

SUITE_TARGET_512 inline __m512i Fold512(__m512i acc, __m512i k, __m512i next)
{
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00), _mm512_clmulepi64_epi128(acc, k, 0x11),
                                     next, 0x96); // three-way exclusive or
}
} // namespace

SUITE_TARGET_256 uint32_t Crc32Vpclmul256(uint32_t crc, const uint8_t* data, size_t length)
{
    const size_t head = HeadLength(data, length);
    crc = Crc32Slicing8(crc, data, head);
    data += head;
    length -= head;
    if (length < 256)
        return Crc32Pclmul(crc, data, length);

    __m256i x1 = _mm256_xor_si256(Load256(data), _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc))));
    __m256i x2 = Load256(data + 32);
    __m256i x3 = Load256(data + 64);
    __m256i x4 = Load256(data + 96);
    data += 128;
    length -= 128;

    const __m256i k1024 = _mm256_broadcastsi128_si256(_mm_set_epi64x(kFold1024Hi, kFold1024Lo));
    while (length >= 128)
    {
        x1 = Fold256(x1, k1024, Load256(data));
        x2 = Fold256(x2, k1024, Load256(data + 32));
        x3 = Fold256(x3, k1024, Load256(data + 64));
        x4 = Fold256(x4, k1024, Load256(data + 96));
        data += 128;
        length -= 128;
    }

    const __m256i k256 = _mm256_broadcastsi128_si256(_mm_set_epi64x(kFold256Hi, kFold256Lo));
    x1 = Fold256(x1, k256, x2);
    x1 = Fold256(x1, k256, x3);
    x1 = Fold256(x1, k256, x4);
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    alignas(16) uint8_t folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded),
                    Fold128(_mm256_castsi256_si128(x1), k128, _mm256_extracti128_si256(x1, 1)));
    return Finish(folded, data, length);
}

SUITE_TARGET_512 uint32_t Crc32Vpclmul512(uint32_t crc, const uint8_t* data, size_t length)
{
    const size_t head = HeadLength(data, length);
    crc = Crc32Slicing8(crc, data, head);
    data += head;
    length -= head;
    if (length < 512)
        return Crc32Pclmul(crc, data, length);

    __m512i x1 = _mm512_xor_si512(Load512(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
    __m512i x2 = Load512(data + 64);
    __m512i x3 = Load512(data + 128);
    __m512i x4 = Load512(data + 192);
    data += 256;
    length -= 256;

    const __m512i k2048 = Repeat512(kFold2048Hi, kFold2048Lo);
    while (length >= 256)
    {
        x1 = Fold512(x1, k2048, Load512(data));
        x2 = Fold512(x2, k2048, Load512(data + 64));
        x3 = Fold512(x3, k2048, Load512(data + 128));
        x4 = Fold512(x4, k2048, Load512(data + 192));
        data += 256;
        length -= 256;
    }

    const __m512i k512 = Repeat512(kFold512Hi, kFold512Lo);
    x1 = Fold512(x1, k512, x2);
    x1 = Fold512(x1, k512, x3);
    x1 = Fold512(x1, k512, x4);
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    __m128i x = Fold128(Element<0>(x1), k128, Element<1>(x1));
    x = Fold128(x, k128, Element<2>(x1));
    x = Fold128(x, k128, Element<3>(x1));
    alignas(16) uint8_t folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
    return Finish(folded, data, length);
}
} // namespace suitecore::kernels
