// The SHA-1 and MD5 kernels: the fast paths chosen on this processor against the portable ones,
// plus the standard vectors. The CRC-32 kernels have their own file.
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

struct Sha1State
{
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    bool operator==(const Sha1State& o) const { return memcmp(h, o.h, sizeof(h)) == 0; }
};
} // namespace

TEST(Sha1Kernels, ThisMachineUsesShaInstructionsWhenItHasThem)
{
    const CpuFeatures& cpu = GetCpuFeatures();
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
