// The checksum kernels: the fast paths chosen on this processor against the portable ones, at
// every length up to 1024 and at every misalignment, plus the standard vectors.
#include "../checksum_kernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace suitecore::kernels;

namespace
{
std::vector<uint8_t> Random(size_t size, unsigned seed)
{
    std::vector<uint8_t> bytes(size);
    std::mt19937 rng(seed);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(rng());
    return bytes;
}

uint32_t Bytewise(uint32_t crc, const uint8_t* data, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ g_crc32Table[(crc ^ data[i]) & 0xFF];
    return crc;
}

uint32_t Crc(Crc32Fn fn, const std::string& text)
{
    return ~fn(0xFFFFFFFF, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

struct Sha1State
{
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    bool operator==(const Sha1State& o) const { return memcmp(h, o.h, sizeof(h)) == 0; }
};
} // namespace

TEST(Crc32Kernels, TableIsTheReflectedPolynomial)
{
    EXPECT_EQ(0x00000000u, g_crc32Table[0]);
    EXPECT_EQ(0x77073096u, g_crc32Table[1]);
    EXPECT_EQ(0xEDB88320u, g_crc32Table[128]);
    EXPECT_EQ(0x2D02EF8Du, g_crc32Table[255]);
}

TEST(Crc32Kernels, CheckValues)
{
    for (Crc32Fn fn : {Crc32Fn(Bytewise), Crc32Fn(Crc32Slicing8), Crc32Fn(Crc32Update)})
    {
        EXPECT_EQ(0xCBF43926u, Crc(fn, "123456789"));
        EXPECT_EQ(0x352441C2u, Crc(fn, "abc"));
        EXPECT_EQ(0x00000000u, Crc(fn, ""));
        EXPECT_EQ(0x414FA339u, Crc(fn, "The quick brown fox jumps over the lazy dog"));
    }
}

TEST(Crc32Kernels, FastPathsEqualTheByteStepAtEveryLengthAndAlignment)
{
    const std::vector<uint8_t> data = Random(1024 + 64, 1);
    std::vector<Crc32Fn> fast = {Crc32Slicing8, Crc32Update};
    const CpuFeatures& cpu = GetCpuFeatures();
    if (cpu.pclmul && cpu.sse41)
        fast.push_back(Crc32Pclmul);
    else
        GTEST_LOG_(INFO) << "no PCLMUL on this processor: its kernel is not exercised";
    for (size_t start = 0; start < 16; ++start)
    {
        for (size_t length = 0; length <= 1024; ++length)
        {
            const uint32_t seed = static_cast<uint32_t>(length * 2654435761u); // any running value
            const uint32_t expected = Bytewise(seed, data.data() + start, length);
            for (Crc32Fn fn : fast)
                ASSERT_EQ(expected, fn(seed, data.data() + start, length)) << "start " << start << " length " << length;
        }
    }
}

TEST(Crc32Kernels, LargeBuffersAndPiecewiseUpdatesAgree)
{
    const std::vector<uint8_t> data = Random(3 * 1024 * 1024 + 13, 2);
    const uint32_t whole = Crc32Slicing8(0xFFFFFFFF, data.data(), data.size());
    EXPECT_EQ(whole, Bytewise(0xFFFFFFFF, data.data(), data.size()));
    EXPECT_EQ(whole, Crc32Update(0xFFFFFFFF, data.data(), data.size()));
    uint32_t pieces = 0xFFFFFFFF;
    for (size_t at = 0, piece = 1; at < data.size(); at += piece, piece = piece * 3 % 70001 + 1)
        pieces = Crc32Update(pieces, data.data() + at, std::min(piece, data.size() - at));
    EXPECT_EQ(whole, pieces);
}

TEST(Crc32Kernels, ThisMachineUsesPclmulWhenItHasIt)
{
    const CpuFeatures& cpu = GetCpuFeatures();
    EXPECT_EQ(cpu.pclmul && cpu.sse41, Crc32UsesPclmul());
    EXPECT_EQ(cpu.sha && cpu.ssse3 && cpu.sse41, Sha1UsesShaNi());
}

TEST(Sha1Kernels, ShaInstructionsEqualThePortableTransform)
{
    const CpuFeatures& cpu = GetCpuFeatures();
    if (!(cpu.sha && cpu.ssse3 && cpu.sse41))
        GTEST_SKIP() << "no SHA instructions on this processor";
    const std::vector<uint8_t> data = Random(1024 + 64 + 16, 3);
    for (size_t start = 0; start < 16; ++start)
    {
        for (size_t blocks = 0; blocks <= 17; ++blocks)
        {
            Sha1State portable, fast;
            portable.h[0] ^= static_cast<uint32_t>(start); // any starting state
            fast = portable;
            Sha1BlocksPortable(portable.h, data.data() + start, blocks);
            Sha1BlocksShaNi(fast.h, data.data() + start, blocks);
            ASSERT_TRUE(portable == fast) << "start " << start << " blocks " << blocks;
        }
    }
}

TEST(Sha1Kernels, OneBlockVector)
{
    // "abc" padded to one block: FIPS 180 example.
    uint8_t block[64] = {'a', 'b', 'c', 0x80};
    block[63] = 24;
    for (BlocksFn fn : {BlocksFn(Sha1BlocksPortable), BlocksFn(Sha1Blocks)})
    {
        Sha1State s;
        fn(s.h, block, 1);
        const uint32_t expected[5] = {0xA9993E36, 0x4706816A, 0xBA3E2571, 0x7850C26C, 0x9CD0D89D};
        EXPECT_EQ(0, memcmp(expected, s.h, sizeof(expected)));
    }
}

TEST(Md5Kernel, OneBlockVector)
{
    // "abc" padded to one block: RFC 1321's test value.
    uint8_t block[64] = {'a', 'b', 'c', 0x80};
    block[56] = 24;
    uint32_t s[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
    Md5Blocks(s, block, 1);
    const uint8_t expected[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                  0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(0, memcmp(expected, s, sizeof(expected)));
}
