// The parser's vector scans against their portable forms, at every length and offset near the
// edges of the eight-character steps.
#include "../markup_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace markup_scan;

namespace
{
std::vector<wchar_t> RandomMarkup(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    const wchar_t alphabet[] = L"<</a >\r";
    std::vector<wchar_t> text(size + 1, L'\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = alphabet[rng() % 7];
    return text;
}
} // namespace

TEST(MarkupScan, FindCharAgreesWithThePortableScan)
{
    for (unsigned seed = 0; seed < 20; ++seed)
    {
        const std::vector<wchar_t> text = RandomMarkup(40 + seed, seed);
        const int len = static_cast<int>(text.size() - 1);
        for (int from = 0; from <= len; ++from)
            for (wchar_t ch : {L'<', L'/', L'>', L'\r', L'x'})
                ASSERT_EQ(FindCharPortable(text.data(), len, from, ch), FindChar(text.data(), len, from, ch))
                    << "seed " << seed << " from " << from << " char " << static_cast<int>(ch);
    }
    // A match in the last character, and none within a length that stops short of it.
    const wchar_t text[] = L"aaaaaaaaaaaaaaaaa<";
    EXPECT_EQ(17, FindChar(text, 18, 0, L'<'));
    EXPECT_EQ(-1, FindChar(text, 17, 0, L'<'));
    EXPECT_EQ(-1, FindChar(text, 18, 18, L'<'));
}

TEST(MarkupScan, CopyingCountsEveryPossibleElementStart)
{
    for (unsigned seed = 0; seed < 40; ++seed)
    {
        const std::vector<wchar_t> text = RandomMarkup(seed * 3, seed + 100);
        const int len = static_cast<int>(text.size() - 1);
        for (int start = 0; start < 3 && start <= len; ++start)
        {
            std::vector<wchar_t> copy(text.size(), L'#'), copyPortable(text.size(), L'#');
            const int n = CopyCountingElementStarts(copy.data(), text.data() + start, len - start);
            const int nPortable =
                CopyCountingElementStartsPortable(copyPortable.data(), text.data() + start, len - start);
            ASSERT_EQ(nPortable, n) << "seed " << seed << " start " << start;
            ASSERT_EQ(copyPortable, copy);
            ASSERT_TRUE(std::equal(text.begin() + start, text.end() - 1, copy.begin()));
            ASSERT_EQ(L'#', copy[static_cast<size_t>(len - start)]); // nothing written past the end
        }
    }
    const wchar_t doc[] = L"<r><a/><b></b></r><"; // "<" at the very end may start an element
    wchar_t copy[20];
    EXPECT_EQ(4, CopyCountingElementStarts(copy, doc, 19));
}

TEST(MarkupScan, LengthAtEveryAlignment)
{
    std::vector<wchar_t> buffer(64, L'x');
    for (size_t start = 0; start < 8; ++start)
        for (size_t end = start; end < 40; ++end)
        {
            buffer.assign(64, L'x');
            buffer[end] = L'\0';
            ASSERT_EQ(static_cast<int>(end - start), Length(buffer.data() + start)) << start << " " << end;
        }
}
