// The memory limit the CRC-32 figures are measured against: a plain loop that loads every byte of
// a buffer into vector registers and does as little as possible with it. Compiled into SuiteBench
// and into the native CRC-32 figures, for 32-bit and 64-bit x86 alike.
#pragma once

#include "../suitecore/settings/checksum_kernels.h"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace suitebench
{
namespace detail
{
// Four independent accumulators, so that the loads and not the exclusive-ors set the pace.
__attribute__((target("sse2"))) inline uint32_t ReadSse2(const uint8_t* data, size_t length)
{
    __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
    for (size_t at = 0; at + 64 <= length; at += 64)
    {
        const __m128i* p = reinterpret_cast<const __m128i*>(data + at);
        a = _mm_xor_si128(a, _mm_loadu_si128(p));
        b = _mm_xor_si128(b, _mm_loadu_si128(p + 1));
        c = _mm_xor_si128(c, _mm_loadu_si128(p + 2));
        d = _mm_xor_si128(d, _mm_loadu_si128(p + 3));
    }
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_xor_si128(_mm_xor_si128(a, b), _mm_xor_si128(c, d))));
}

__attribute__((target("avx2"))) inline uint32_t ReadAvx2(const uint8_t* data, size_t length)
{
    __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
    for (size_t at = 0; at + 128 <= length; at += 128)
    {
        const __m256i* p = reinterpret_cast<const __m256i*>(data + at);
        a = _mm256_xor_si256(a, _mm256_loadu_si256(p));
        b = _mm256_xor_si256(b, _mm256_loadu_si256(p + 1));
        c = _mm256_xor_si256(c, _mm256_loadu_si256(p + 2));
        d = _mm256_xor_si256(d, _mm256_loadu_si256(p + 3));
    }
    const __m256i v = _mm256_xor_si256(_mm256_xor_si256(a, b), _mm256_xor_si256(c, d));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(v)));
}
} // namespace detail

// Reads the whole buffer (in whole steps of up to 128 bytes) with the widest loads the processor
// and its operating system support up to 256 bits; returns a value made of every byte read.
inline uint32_t ReadMemory(const uint8_t* data, size_t length)
{
    const suitecore::kernels::CpuFeatures& cpu = suitecore::kernels::GetCpuFeatures();
    return cpu.avx2 && cpu.osSavesYmm ? detail::ReadAvx2(data, length) : detail::ReadSse2(data, length);
}

inline const char* ReadMemoryWidth()
{
    const suitecore::kernels::CpuFeatures& cpu = suitecore::kernels::GetCpuFeatures();
    return cpu.avx2 && cpu.osSavesYmm ? "256-bit loads" : "128-bit loads";
}
} // namespace suitebench
