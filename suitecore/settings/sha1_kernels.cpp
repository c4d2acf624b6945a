// The SHA-1 compression function: a portable version and one on the SHA instructions.
#include "checksum_kernels.h"

#include <immintrin.h>

namespace suitecore::kernels
{
namespace
{
inline uint32_t Rol(uint32_t v, int n)
{
    return (v << n) | (v >> (32 - n));
}

inline uint32_t LoadBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

BlocksFn ChooseSha1()
{
    const CpuFeatures& cpu = GetCpuFeatures();
    return cpu.sha && cpu.ssse3 && cpu.sse41 ? Sha1BlocksShaNi : Sha1BlocksPortable;
}

BlocksFn Sha1Kernel()
{
    static const BlocksFn kernel = ChooseSha1();
    return kernel;
}
} // namespace

void Sha1BlocksPortable(uint32_t* state, const uint8_t* data, size_t blocks)
{
    for (; blocks; --blocks, data += 64)
    {
        uint32_t w[16];
        for (int i = 0; i < 16; ++i)
            w[i] = LoadBe32(data + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];

        // The schedule lives in a ring of 16 words.
        auto next = [&w](int i)
        {
            const uint32_t v = Rol(w[(i + 13) & 15] ^ w[(i + 8) & 15] ^ w[(i + 2) & 15] ^ w[i & 15], 1);
            w[i & 15] = v;
            return v;
        };
        auto step = [&](uint32_t f, uint32_t k, uint32_t word)
        {
            const uint32_t t = Rol(a, 5) + f + e + k + word;
            e = d;
            d = c;
            c = Rol(b, 30);
            b = a;
            a = t;
        };
        int i = 0;
        for (; i < 16; ++i)
            step(d ^ (b & (c ^ d)), 0x5A827999u, w[i]);
        for (; i < 20; ++i)
            step(d ^ (b & (c ^ d)), 0x5A827999u, next(i));
        for (; i < 40; ++i)
            step(b ^ c ^ d, 0x6ED9EBA1u, next(i));
        for (; i < 60; ++i)
            step((b & c) | (d & (b | c)), 0x8F1BBCDCu, next(i));
        for (; i < 80; ++i)
            step(b ^ c ^ d, 0xCA62C1D6u, next(i));

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

// Four rounds at a time. Group g (rounds 4g..4g+3) takes the message words in msg[g % 4]
// while the schedule for the groups g+1..g+3 is advanced; e0/e1 alternate as the E input.
#define SHA1_GROUP(eIn, eOut, m, func)                                                                                 \
    eIn = _mm_sha1nexte_epu32(eIn, m);                                                                                 \
    eOut = abcd;                                                                                                       \
    abcd = _mm_sha1rnds4_epu32(abcd, eIn, func)

__attribute__((target("sha,ssse3,sse4.1"))) void Sha1BlocksShaNi(uint32_t* state, const uint8_t* data, size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    __m128i e1;

    for (; blocks; --blocks, data += 64)
    {
        const __m128i abcdSaved = abcd;
        const __m128i eSaved = e0;
        __m128i m0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data)), byteSwap);
        __m128i m1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16)), byteSwap);
        __m128i m2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32)), byteSwap);
        __m128i m3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 48)), byteSwap);

        // Rounds 0-15.
        e0 = _mm_add_epi32(e0, m0);
        e1 = abcd;
        abcd = _mm_sha1rnds4_epu32(abcd, e0, 0);
        SHA1_GROUP(e1, e0, m1, 0);
        m0 = _mm_sha1msg1_epu32(m0, m1);
        SHA1_GROUP(e0, e1, m2, 0);
        m1 = _mm_sha1msg1_epu32(m1, m2);
        m0 = _mm_xor_si128(m0, m2);
        m0 = _mm_sha1msg2_epu32(m0, m3);
        SHA1_GROUP(e1, e0, m3, 0);
        m2 = _mm_sha1msg1_epu32(m2, m3);
        m1 = _mm_xor_si128(m1, m3);

        // Rounds 16-67: the schedule runs four groups ahead.
#define SHA1_FULL(eIn, eOut, mCur, mNext, mAfter, mLast, func)                                                         \
    mNext = _mm_sha1msg2_epu32(mNext, mCur);                                                                           \
    SHA1_GROUP(eIn, eOut, mCur, func);                                                                                 \
    mLast = _mm_sha1msg1_epu32(mLast, mCur);                                                                           \
    mAfter = _mm_xor_si128(mAfter, mCur)

        SHA1_FULL(e0, e1, m0, m1, m2, m3, 0); // 16-19
        SHA1_FULL(e1, e0, m1, m2, m3, m0, 1); // 20-23
        SHA1_FULL(e0, e1, m2, m3, m0, m1, 1); // 24-27
        SHA1_FULL(e1, e0, m3, m0, m1, m2, 1); // 28-31
        SHA1_FULL(e0, e1, m0, m1, m2, m3, 1); // 32-35
        SHA1_FULL(e1, e0, m1, m2, m3, m0, 1); // 36-39
        SHA1_FULL(e0, e1, m2, m3, m0, m1, 2); // 40-43
        SHA1_FULL(e1, e0, m3, m0, m1, m2, 2); // 44-47
        SHA1_FULL(e0, e1, m0, m1, m2, m3, 2); // 48-51
        SHA1_FULL(e1, e0, m1, m2, m3, m0, 2); // 52-55
        SHA1_FULL(e0, e1, m2, m3, m0, m1, 2); // 56-59
        SHA1_FULL(e1, e0, m3, m0, m1, m2, 3); // 60-63
        SHA1_FULL(e0, e1, m0, m1, m2, m3, 3); // 64-67
#undef SHA1_FULL

        // Rounds 68-79: the schedule winds down.
        m2 = _mm_sha1msg2_epu32(m2, m1);
        SHA1_GROUP(e1, e0, m1, 3);
        m3 = _mm_xor_si128(m3, m1);
        m3 = _mm_sha1msg2_epu32(m3, m2);
        SHA1_GROUP(e0, e1, m2, 3);
        SHA1_GROUP(e1, e0, m3, 3);

        e0 = _mm_sha1nexte_epu32(e0, eSaved);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }

    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}
#undef SHA1_GROUP

void Sha1Blocks(uint32_t* state, const uint8_t* data, size_t blocks)
{
    Sha1Kernel()(state, data, blocks);
}

bool Sha1UsesShaNi()
{
    return Sha1Kernel() == Sha1BlocksShaNi;
}
} // namespace suitecore::kernels
