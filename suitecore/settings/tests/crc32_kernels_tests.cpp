// The CRC-32 kernels, each one forced in turn, against slicing-by-8: every length up to 4096 at
// every offset in a 64-byte line, random mebibytes, and running updates split around the kernels'
// block sizes. A kernel the processor lacks is skipped with a message. Windows-free, so the build
// also runs it natively on the build machine, where the wider kernels may exist when the emulated
// processor under Wine lacks them.
#include "../checksum_kernels.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace suitecore::kernels;

namespace suitecore::kernels
{
void PrintTo(Crc32Kernel kernel, std::ostream* out)
{
    *out << Crc32KernelName(kernel);
}
} // namespace suitecore::kernels

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

class Crc32KernelForced : public testing::TestWithParam<Crc32Kernel>
{
protected:
    void SetUp() override
    {
        m_fn = Crc32KernelFn(GetParam());
        if (!m_fn)
            GTEST_SKIP() << Crc32KernelName(GetParam()) << " needs " << Crc32KernelNeeds(GetParam())
                         << ", which this processor or its system lacks";
    }

    Crc32Fn m_fn = nullptr;
};

std::string KernelId(const testing::TestParamInfo<Crc32Kernel>& info)
{
    static const char* const kIds[] = {"Slicing8", "Pclmul", "Vpclmul256", "Vpclmul512"};
    return kIds[static_cast<size_t>(info.param)];
}
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

TEST(Crc32Kernels, ThisMachineUsesTheWidestKernelItCanRun)
{
    const CpuFeatures& cpu = GetCpuFeatures();
    EXPECT_EQ(cpu.pclmul && cpu.sse41, Crc32KernelFn(Crc32Kernel::Pclmul) != nullptr);
    EXPECT_EQ(cpu.avx512f && cpu.avx512vl && cpu.avx512bw && cpu.vpclmulqdq && cpu.osSavesZmm && cpu.pclmul &&
                  cpu.sse41,
              Crc32KernelFn(Crc32Kernel::Vpclmul512) != nullptr);
    Crc32Kernel widest = Crc32Kernel::Slicing8;
    for (Crc32Kernel kernel : kCrc32Kernels)
        if (Crc32KernelFn(kernel))
            widest = kernel;
    EXPECT_EQ(widest, Crc32ChosenKernel()) << Crc32KernelName(Crc32ChosenKernel());
    GTEST_LOG_(INFO) << "CRC-32 kernel: " << Crc32KernelName(Crc32ChosenKernel());
}

TEST_P(Crc32KernelForced, CheckValue)
{
    EXPECT_EQ(0xCBF43926u, Crc(m_fn, "123456789"));
    EXPECT_EQ(0x00000000u, Crc(m_fn, ""));
}

TEST_P(Crc32KernelForced, EqualSlicingBy8AtEveryLengthAndOffset)
{
    const std::vector<uint8_t> data = Random(4096 + 64, 1);
    for (size_t start = 0; start < 64; ++start)
    {
        // The reference grows by one byte a step; any running value will do as the start.
        const uint32_t seed = static_cast<uint32_t>(0xFFFFFFFFu - start * 2654435761u);
        uint32_t expected = seed;
        for (size_t length = 0; length <= 4096; ++length)
        {
            if (length)
                expected = Crc32Slicing8(expected, data.data() + start + length - 1, 1);
            ASSERT_EQ(expected, m_fn(seed, data.data() + start, length)) << "start " << start << " length " << length;
        }
    }
}

TEST_P(Crc32KernelForced, EqualSlicingBy8OverRandomMebibytes)
{
    const std::vector<uint8_t> data = Random(4u << 20, 3);
    std::mt19937 rng(4);
    for (int i = 0; i < 4; ++i)
    {
        const size_t start = rng() % 4096;
        const size_t length = (1u << 20) + rng() % ((3u << 20) - 4096);
        ASSERT_EQ(Crc32Slicing8(0xFFFFFFFF, data.data() + start, length), m_fn(0xFFFFFFFF, data.data() + start, length))
            << "start " << start << " length " << length;
    }
}

// Running updates whose pieces end just before, on and just after the sizes where the kernels
// change step: 16 and 64 bytes (128-bit folding), 128 and 256 (256-bit), 256 and 512 (512-bit),
// 1024 (where the wide kernels first align to a line).
TEST_P(Crc32KernelForced, StepsAcrossBlockBoundariesEqualOneCall)
{
    const std::vector<uint8_t> data = Random(64 * 1024, 5);
    const size_t sizes[] = {15, 16, 17, 63, 64, 65, 127, 128, 129, 255, 256, 257, 511, 512, 513, 1023, 1024, 1025, 4097};
    for (size_t first : sizes)
    {
        uint32_t crc = 0xFFFFFFFF;
        size_t at = 0;
        for (size_t i = 0; at < data.size(); ++i)
        {
            const size_t piece = std::min(i == 0 ? first : sizes[(i * 7 + first) % std::size(sizes)], data.size() - at);
            crc = m_fn(crc, data.data() + at, piece);
            at += piece;
        }
        ASSERT_EQ(Crc32Slicing8(0xFFFFFFFF, data.data(), data.size()), crc) << "first piece " << first;
    }
}

INSTANTIATE_TEST_SUITE_P(Each, Crc32KernelForced, testing::ValuesIn(kCrc32Kernels), KernelId);
