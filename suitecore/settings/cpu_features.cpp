#include "checksum_kernels.h"

#include <cpuid.h>

namespace suitecore::kernels
{
namespace
{
// XCR0 bits: the state the operating system saves and restores on a thread switch.
constexpr unsigned kXcr0Ymm = 0x06; // XMM and the upper halves of YMM
constexpr unsigned kXcr0Zmm = 0xE0; // opmask, ZMM_Hi256 and Hi16_ZMM

unsigned ReadXcr0()
{
    unsigned eax = 0, edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return eax;
}

CpuFeatures Detect()
{
    CpuFeatures features;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return features;
    features.ssse3 = (ecx & bit_SSSE3) != 0;
    features.sse41 = (ecx & bit_SSE4_1) != 0;
    features.pclmul = (ecx & bit_PCLMUL) != 0;
    const bool avx = (ecx & bit_AVX) != 0;
    if ((ecx & bit_OSXSAVE) != 0) // XGETBV may be used
    {
        // A 32-bit process only reaches zmm0-zmm7, but an operating system that saves the ZMM
        // state sets all three bits, so all three are required in either mode.
        const unsigned xcr0 = ReadXcr0();
        features.osSavesYmm = avx && (xcr0 & kXcr0Ymm) == kXcr0Ymm;
        features.osSavesZmm = features.osSavesYmm && (xcr0 & kXcr0Zmm) == kXcr0Zmm;
    }
    if (__get_cpuid_max(0, nullptr) >= 7)
    {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        features.sha = (ebx & bit_SHA) != 0;
        features.avx2 = (ebx & bit_AVX2) != 0;
        features.avx512f = (ebx & bit_AVX512F) != 0;
        features.avx512vl = (ebx & bit_AVX512VL) != 0;
        features.avx512bw = (ebx & bit_AVX512BW) != 0;
        features.vpclmulqdq = (ecx & bit_VPCLMULQDQ) != 0;
    }
    return features;
}
} // namespace

const CpuFeatures& GetCpuFeatures()
{
    static const CpuFeatures features = Detect();
    return features;
}
} // namespace suitecore::kernels
