#include "markup_scan.h"

#include <emmintrin.h>

#include <cwchar>

namespace markup_scan
{
namespace
{
bool HasSse2()
{
    static const bool has = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
    return has;
}

// Eight characters at a time; the tail one by one.
__attribute__((target("sse2"))) int FindCharSse2(const wchar_t* doc, int len, int nFrom, wchar_t ch)
{
    const __m128i needle = _mm_set1_epi16(static_cast<short>(ch));
    int i = nFrom;
    for (; i + 8 <= len; i += 8)
    {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(doc + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(chunk, needle));
        if (mask)
            return i + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
    }
    return FindCharPortable(doc, len, i, ch);
}

__attribute__((target("sse2"))) int CopyCountingElementStartsSse2(wchar_t* dest, const wchar_t* src, int len)
{
    const __m128i lt = _mm_set1_epi16(L'<');
    const __m128i slash = _mm_set1_epi16(L'/');
    int count = 0;
    int i = 0;
    // Each step copies characters i..i+7 and looks at the one after each of them.
    for (; i + 9 <= len; i += 8)
    {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), here);
        const __m128i starts = _mm_andnot_si128(_mm_cmpeq_epi16(next, slash), _mm_cmpeq_epi16(here, lt));
        count += __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(starts))) / 2;
    }
    return count + CopyCountingElementStartsPortable(dest + i, src + i, len - i);
}

// Aligned 16-byte reads never cross into a page the string does not reach.
__attribute__((target("sse2"))) int LengthSse2(const wchar_t* text)
{
    const wchar_t* p = text;
    while ((reinterpret_cast<UINT_PTR>(p) & 15) != 0)
    {
        if (!*p)
            return static_cast<int>(p - text);
        ++p;
    }
    const __m128i zero = _mm_setzero_si128();
    for (;; p += 8)
    {
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), zero));
        if (mask)
            return static_cast<int>(p - text) + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
    }
}
} // namespace

int FindCharPortable(const wchar_t* doc, int len, int nFrom, wchar_t ch)
{
    for (int i = nFrom; i < len; ++i)
        if (doc[i] == ch)
            return i;
    return -1;
}

int CopyCountingElementStartsPortable(wchar_t* dest, const wchar_t* src, int len)
{
    int count = 0;
    for (int i = 0; i < len; ++i)
    {
        dest[i] = src[i];
        count += src[i] == L'<' && (i + 1 == len || src[i + 1] != L'/');
    }
    return count;
}

int FindChar(const wchar_t* doc, int len, int nFrom, wchar_t ch)
{
    return HasSse2() ? FindCharSse2(doc, len, nFrom, ch) : FindCharPortable(doc, len, nFrom, ch);
}

int CopyCountingElementStarts(wchar_t* dest, const wchar_t* src, int len)
{
    return HasSse2() ? CopyCountingElementStartsSse2(dest, src, len)
                     : CopyCountingElementStartsPortable(dest, src, len);
}

int Length(const wchar_t* text)
{
    return HasSse2() ? LengthSse2(text) : static_cast<int>(wcslen(text));
}
} // namespace markup_scan
