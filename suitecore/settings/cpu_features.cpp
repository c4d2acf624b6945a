#include "checksum_kernels.h"

#include <cpuid.h>

namespace suitecore::kernels
{
namespace
{
CpuFeatures Detect()
{
    CpuFeatures features;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return features;
    features.ssse3 = (ecx & bit_SSSE3) != 0;
    features.sse41 = (ecx & bit_SSE4_1) != 0;
    features.pclmul = (ecx & bit_PCLMUL) != 0;
    if (__get_cpuid_max(0, nullptr) >= 7)
    {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        features.sha = (ebx & bit_SHA) != 0;
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
