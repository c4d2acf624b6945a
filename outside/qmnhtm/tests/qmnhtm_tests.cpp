// The renderer drawn for real on 32-bit DIB sections, in Tahoma at height -12 (9 points at 96 DPI).
#include "qmnhtm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace
{

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kTextGrey = RGB(72, 81, 90);

struct GdiDeleter
{
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

struct DcDeleter
{
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

UniqueGdi Tahoma(int height, int weight = FW_NORMAL)
{
    return UniqueGdi(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
}

// A top-down 32-bit DIB section in a memory DC holding Tahoma -12, black text on the fill colour
// (also the DC's background colour).
class Canvas
{
public:
    Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height), m_font(Tahoma(-12))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc.reset(CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<uint32_t*>(bits);
        if (!m_dc || !m_bitmap || !m_bits || !m_font)
            throw std::runtime_error("cannot create the canvas");
        m_oldBitmap = SelectObject(m_dc.get(), m_bitmap.get());
        m_oldFont = SelectObject(m_dc.get(), m_font.get());
        SetTextColor(m_dc.get(), RGB(0, 0, 0));
        SetBkColor(m_dc.get(), fill);
        std::fill_n(m_bits, width * height, Pixel(fill));
    }
    ~Canvas()
    {
        SelectObject(m_dc.get(), m_oldFont);
        SelectObject(m_dc.get(), m_oldBitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc.get(); }
    HGDIOBJ font() const { return m_font.get(); }
    HGDIOBJ bitmap() const { return m_bitmap.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }

    static uint32_t Pixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
    std::vector<uint32_t> Pixels() const
    {
        GdiFlush();
        return std::vector<uint32_t>(m_bits, m_bits + m_width * m_height);
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const uint32_t p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The lowest row and rightmost column holding a pixel other than `background`; -1 when none.
    int LowestRow(COLORREF background) const
    {
        for (int y = m_height - 1; y >= 0; --y)
            for (int x = 0; x < m_width; ++x)
                if (At(x, y) != background)
                    return y;
        return -1;
    }
    int RightmostColumn(COLORREF background) const
    {
        for (int x = m_width - 1; x >= 0; --x)
            for (int y = 0; y < m_height; ++y)
                if (At(x, y) != background)
                    return x;
        return -1;
    }
    bool Contains(COLORREF color) const
    {
        const auto pixels = Pixels();
        return std::find(pixels.begin(), pixels.end(), Pixel(color)) != pixels.end();
    }

private:
    int m_width;
    int m_height;
    UniqueGdi m_font;
    UniqueDc m_dc;
    UniqueGdi m_bitmap;
    uint32_t* m_bits = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HGDIOBJ m_oldFont = nullptr;
};

// The height of one line of a Tahoma font, as GDI measures it.
int LineHeight(int fontHeight, int weight = FW_NORMAL)
{
    Canvas canvas(1, 1, kWhite);
    UniqueGdi font = Tahoma(fontHeight, weight);
    const HGDIOBJ old = SelectObject(canvas.dc(), font.get());
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas.dc(), &tm);
    SelectObject(canvas.dc(), old);
    return tm.tmHeight;
}

UINT Height(const Canvas& canvas, const std::wstring& html, UINT width)
{
    UINT height = 0;
    EXPECT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), html.c_str(), nullptr, QHTM_SOURCE_TEXT, width, &height)) << html;
    return height;
}

BOOL Render(const Canvas& canvas, const std::wstring& html, RECT rect, UINT flags = QHTM_SOURCE_TEXT)
{
    return QHTM_RenderHTMLRect(canvas.dc(), html.c_str(), nullptr, flags, &rect);
}

// Layout: the height measured is the height drawn.
struct LayoutCase
{
    const char* name;
    const wchar_t* html;
    int tallestFontHeight; // font height of the line's tallest font
    int minLines;
    int maxLines;
};

const wchar_t kLongWord[] = L"Pneumonoultramicroscopicsilicovolcanoconiosis_Pneumonoultramicroscopicsilicovolcano";

const LayoutCase kLayoutCases[] = {
    {"plain_short", L"Hello world", -12, 1, 1},
    {"plain_long", L"The scan found 12 items that slow down your computer and 3 items that risk your privacy.", -12,
     1, 12},
    {"font_tag", L"<font face=\"Tahoma\" size=9pt>All selected items were removed from the computer.<font>", -12, 1,
     8},
    {"font_scale_7", L"Small <font size=7>Big</font> small", -48, 1, 3},
    {"bold", L"<b>Bold words</b> and normal words", -12, 1, 4},
    {"line_breaks", L"one<br>two<br><br>three", -12, 4, 4},
    {"paragraphs", L"<p>first</p><p>second", -12, 3, 3},
    {"long_word", kLongWord, -12, 2, 8},
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

class QhtmLayout : public ::testing::TestWithParam<std::tuple<LayoutCase, int>>
{
};

TEST_P(QhtmLayout, DrawsInsideTheMeasuredHeight)
{
    const auto& [c, width] = GetParam();
    const int line = LineHeight(-12);
    const int tallest = LineHeight(c.tallestFontHeight);
    Canvas probe(1, 1, kWhite);
    const int height = static_cast<int>(Height(probe, c.html, width));
    ASSERT_GE(height, line);

    Canvas canvas(width + 40, height + 3 * tallest, kWhite);
    ASSERT_TRUE(Render(canvas, c.html, {0, 0, width, canvas.height()}));
    const int lowest = canvas.LowestRow(kWhite);
    ASSERT_GE(lowest, 0) << "nothing drawn";
    EXPECT_LT(lowest, height);
    EXPECT_LE(height - (lowest + 1), tallest);
    EXPECT_LT(canvas.RightmostColumn(kWhite), width);

    // With one font throughout, every line is exactly one font line high.
    if (c.tallestFontHeight == -12)
    {
        EXPECT_EQ(0, height % line) << height;
        EXPECT_GE(height / line, c.minLines);
        EXPECT_LE(height / line, c.maxLines);
    }
    // A word wider than the line is broken between characters: its lines are filled.
    if (c.html == kLongWord)
    {
        EXPECT_GE(canvas.RightmostColumn(kWhite), width - 2 * line);
    }
}

INSTANTIATE_TEST_SUITE_P(Qhtm, QhtmLayout,
                         ::testing::Combine(::testing::ValuesIn(kLayoutCases), ::testing::Values(100, 351)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// Mark-up that must draw exactly as the equivalent text: the tags and entities are never drawn.
struct SamePixelsCase
{
    const char* name;
    const wchar_t* markup;
    const wchar_t* text;
};

const SamePixelsCase kSamePixelsCases[] = {
    {"message_box_font_tag", L"<font face=\"Tahoma\" size=9pt>Hello world<font>", L"Hello world"},
    {"closed_font_tag", L"<font face=\"Tahoma\" size=\"9pt\">Hello world</font>", L"Hello world"},
    {"bare_font_closes", L"<font size=7 color=red><font>Hello world", L"Hello world"},
    {"closing_without_opening", L"</font></b></i>Hello world", L"Hello world"},
    {"upper_case_tag", L"<FONT FACE='tahoma' SIZE=9pt>Hello</FONT> world", L"Hello world"},
    {"blanks_collapse", L"  Hello \r\n\t  world  ", L"Hello world"},
    {"unknown_tags_dropped", L"Hello <blink speed=2>world</blink><!-- x -->", L"Hello world"},
    {"amp", L"a&amp;b", L"a&b"},
    {"lt_gt", L"1 &lt; 2 &gt; 0", L"1 < 2 > 0"},
    {"numeric", L"&#65;&#x42;&#X43;", L"ABC"},
    {"quot", L"&quot;q&quot;", L"\"q\""},
    {"nbsp", L"a&nbsp;b", L"a\u00A0b"},
    {"lt_without_gt_is_text", L"a<b", L"a&lt;b"},
    {"unterminated_entity", L"AT&T &#65", L"AT&amp;T &amp;#65"},
};

void PrintTo(const SamePixelsCase& c, std::ostream* os)
{
    *os << c.name;
}

class QhtmSamePixels : public ::testing::TestWithParam<SamePixelsCase>
{
};

TEST_P(QhtmSamePixels, MarkupDrawsAsItsText)
{
    const auto& c = GetParam();
    Canvas markup(200, 40, kWhite);
    Canvas text(200, 40, kWhite);
    ASSERT_TRUE(Render(markup, c.markup, {0, 0, 200, 40}));
    ASSERT_TRUE(Render(text, c.text, {0, 0, 200, 40}));
    ASSERT_GE(text.RightmostColumn(kWhite), 0);
    EXPECT_EQ(text.RightmostColumn(kWhite), markup.RightmostColumn(kWhite));
    EXPECT_TRUE(markup.Pixels() == text.Pixels());
    EXPECT_EQ(Height(markup, c.markup, 200), Height(text, c.text, 200));
}

INSTANTIATE_TEST_SUITE_P(Qhtm, QhtmSamePixels, ::testing::ValuesIn(kSamePixelsCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Flags: 1 fills the rectangle with the DC's background colour first, 5 leaves it as it is.
TEST(QhtmFlags, TransparentLeavesEveryNonGlyphPixel)
{
    const wchar_t html[] = L"Leave <b>the</b> <font color=\"#A90101\">background</font> <u>alone</u> please";
    Canvas reference(220, 60, kWhite);
    ASSERT_TRUE(Render(reference, html, {5, 5, 215, 55}));
    Canvas canvas(220, 60, kMagenta);
    SetBkColor(canvas.dc(), kWhite);
    ASSERT_TRUE(Render(canvas, html, {5, 5, 215, 55}, QHTM_SOURCE_TEXT | QHTM_TRANSPARENT));

    const auto glyphs = reference.Pixels();
    const auto drawn = canvas.Pixels();
    size_t touched = 0, drawnGlyphs = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        if (glyphs[i] == Canvas::Pixel(kWhite))
            touched += drawn[i] != Canvas::Pixel(kMagenta);
        else
            drawnGlyphs += drawn[i] != Canvas::Pixel(kMagenta);
    }
    EXPECT_EQ(0u, touched);
    EXPECT_GT(drawnGlyphs, 50u);
}

TEST(QhtmFlags, OpaqueFillsTheRectangleWithTheBackgroundColour)
{
    constexpr COLORREF fill = RGB(10, 200, 30);
    const RECT rect{10, 10, 210, 60};
    for (const wchar_t* html : {L"", L"Some text"})
    {
        Canvas canvas(220, 70, kMagenta);
        SetBkColor(canvas.dc(), fill);
        ASSERT_TRUE(Render(canvas, html, rect));
        size_t outside = 0, filled = 0, inside = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
            {
                const POINT p{x, y};
                if (!PtInRect(&rect, p))
                    outside += canvas.At(x, y) != kMagenta;
                else
                {
                    ++inside;
                    filled += canvas.At(x, y) == fill;
                }
            }
        EXPECT_EQ(0u, outside) << html;
        if (!*html)
        {
            EXPECT_EQ(inside, filled);
        }
        else
        {
            EXPECT_GT(filled, inside * 9 / 10);
        }
    }
}

// Colours: the DC's text colour by default, the font tag's where it gives one.
TEST(QhtmColours, TextColourComesFromTheDcOrTheFontTag)
{
    const struct
    {
        const wchar_t* html;
        COLORREF expected;
    } cases[] = {
        {L"Plain IIII", kTextGrey},
        {L"<font color=\"#A90101\">Red IIII</font>", RGB(169, 1, 1)},
        {L"<font color=green>Green IIII</font>", RGB(0, 128, 0)},
        {L"<font color=#08f>Blue IIII</font>", RGB(0, 0x88, 0xFF)},
    };
    for (const auto& c : cases)
    {
        Canvas canvas(200, 30, kWhite);
        SetTextColor(canvas.dc(), kTextGrey);
        ASSERT_TRUE(Render(canvas, c.html, {0, 0, 200, 30}));
        EXPECT_TRUE(canvas.Contains(c.expected)) << c.html;
        EXPECT_EQ(kTextGrey, GetTextColor(canvas.dc()));
    }
}

// The DC comes back as it was given: objects, colours, modes.
TEST(QhtmDcState, CallsLeaveTheDcAsItWas)
{
    const wchar_t html[] = L"<font face=Arial size=12pt color=red>A</font> <b><i><u>b</u></i></b><br><p>c";
    const std::function<BOOL(const Canvas&)> calls[] = {
        [&](const Canvas& c) { return Render(c, html, {0, 0, 100, 50}); },
        [&](const Canvas& c) { return Render(c, html, {0, 0, 100, 50}, QHTM_SOURCE_TEXT | QHTM_TRANSPARENT); },
        [&](const Canvas& c) {
            UINT h = 0;
            return QHTM_GetHTMLHeight(c.dc(), html, nullptr, QHTM_SOURCE_TEXT, 100, &h);
        },
    };
    for (const auto& call : calls)
    {
        Canvas canvas(100, 50, kWhite);
        const HDC dc = canvas.dc();
        SetTextColor(dc, kTextGrey);
        SetBkColor(dc, RGB(1, 2, 3));
        SetBkMode(dc, OPAQUE);
        SetTextAlign(dc, TA_RIGHT | TA_BOTTOM);
        const HGDIOBJ brush = SelectObject(dc, GetStockObject(GRAY_BRUSH));
        SelectObject(dc, brush);
        const HGDIOBJ objects[] = {GetCurrentObject(dc, OBJ_FONT), GetCurrentObject(dc, OBJ_BITMAP),
                                   GetCurrentObject(dc, OBJ_BRUSH), GetCurrentObject(dc, OBJ_PEN)};
        ASSERT_TRUE(call(canvas));
        EXPECT_EQ(canvas.font(), objects[0]);
        EXPECT_EQ(canvas.bitmap(), objects[1]);
        const HGDIOBJ after[] = {GetCurrentObject(dc, OBJ_FONT), GetCurrentObject(dc, OBJ_BITMAP),
                                 GetCurrentObject(dc, OBJ_BRUSH), GetCurrentObject(dc, OBJ_PEN)};
        for (size_t i = 0; i < std::size(objects); ++i)
            EXPECT_EQ(objects[i], after[i]) << i;
        EXPECT_EQ(kTextGrey, GetTextColor(dc));
        EXPECT_EQ(RGB(1, 2, 3), GetBkColor(dc));
        EXPECT_EQ(OPAQUE, GetBkMode(dc));
        EXPECT_EQ(static_cast<UINT>(TA_RIGHT | TA_BOTTOM), GetTextAlign(dc));
    }
}

// Failures answer FALSE and leave the out value alone.
TEST(QhtmFailures, BadArgumentsAnswerFalse)
{
    Canvas canvas(10, 10, kWhite);
    const RECT rect{0, 0, 10, 10};
    UINT height = 12345;
    EXPECT_FALSE(QHTM_GetHTMLHeight(nullptr, L"x", nullptr, 1, 100, &height));
    EXPECT_FALSE(QHTM_GetHTMLHeight(canvas.dc(), nullptr, nullptr, 1, 100, &height));
    EXPECT_FALSE(QHTM_GetHTMLHeight(canvas.dc(), L"x", nullptr, 1, 100, nullptr));
    EXPECT_FALSE(QHTM_GetHTMLHeight(canvas.dc(), L"x", nullptr, 1, 0, &height));
    EXPECT_EQ(12345u, height);
    EXPECT_FALSE(QHTM_RenderHTMLRect(nullptr, L"x", nullptr, 1, &rect));
    EXPECT_FALSE(QHTM_RenderHTMLRect(canvas.dc(), nullptr, nullptr, 1, &rect));
    EXPECT_FALSE(QHTM_RenderHTMLRect(canvas.dc(), L"x", nullptr, 1, nullptr));
    // An empty text needs no height.
    EXPECT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), L"", nullptr, 1, 100, &height));
    EXPECT_EQ(0u, height);
}

// The test control: the instances given, and measuring switched off for callers' fall-backs.
TEST(QhtmRecords, RemembersInstancesAndSwitchesMeasuring)
{
    ASSERT_EQ(0u, QHTM_TestControl(QHTM_TEST_RESET, nullptr, 0));
    const HINSTANCE exe = GetModuleHandleW(nullptr);
    const HINSTANCE library = GetModuleHandleW(L"qmnhtm.dll");
    ASSERT_NE(nullptr, library);
    EXPECT_TRUE(QHTM_Initialize(exe));
    EXPECT_TRUE(QHTM_Initialize(library));
    EXPECT_TRUE(QHTM_Initialize(exe));
    EXPECT_FALSE(QHTM_Initialize(nullptr));

    HINSTANCE seen[4] = {};
    EXPECT_EQ(2u, QHTM_TestControl(QHTM_TEST_INSTANCES, seen, 4));
    EXPECT_EQ(exe, seen[0]);
    EXPECT_EQ(library, seen[1]);
    EXPECT_EQ(nullptr, seen[2]);
    HINSTANCE one[2] = {};
    EXPECT_EQ(2u, QHTM_TestControl(QHTM_TEST_INSTANCES, one, 1));
    EXPECT_EQ(exe, one[0]);
    EXPECT_EQ(nullptr, one[1]);

    Canvas canvas(10, 10, kWhite);
    UINT height = 0;
    EXPECT_EQ(1u, QHTM_TestControl(QHTM_TEST_MEASURE_OFF, nullptr, 0));
    EXPECT_FALSE(QHTM_GetHTMLHeight(canvas.dc(), L"x", nullptr, 1, 100, &height));
    EXPECT_EQ(0u, QHTM_TestControl(QHTM_TEST_MEASURE_ON, nullptr, 0));
    EXPECT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), L"x", nullptr, 1, 100, &height));
    EXPECT_EQ(static_cast<UINT>(-1), QHTM_TestControl(99, nullptr, 0));

    EXPECT_EQ(1u, QHTM_TestControl(QHTM_TEST_MEASURE_OFF, nullptr, 0));
    EXPECT_EQ(0u, QHTM_TestControl(QHTM_TEST_RESET, nullptr, 0));
    EXPECT_EQ(0u, QHTM_TestControl(QHTM_TEST_INSTANCES, nullptr, 0));
    EXPECT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), L"x", nullptr, 1, 100, &height));
}

// Robustness: nothing crashes or hangs, whatever the text.
std::wstring Repeat(const std::wstring& unit, size_t length)
{
    std::wstring text;
    text.reserve(length + unit.size());
    while (text.size() < length)
        text += unit;
    return text;
}

TEST(QhtmRobustness, MegabyteTexts)
{
    const std::wstring units[] = {L"word ", L"<a", L"&#", L"<font size=7>y", L"\xDC00z\xD800"};
    Canvas canvas(351, 120, kWhite);
    for (const auto& unit : units)
    {
        const std::wstring text = Repeat(unit, 1 << 20);
        UINT height = 0;
        EXPECT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), text.c_str(), nullptr, 1, 351, &height)) << unit.c_str();
        EXPECT_GT(height, 1000u);
        EXPECT_TRUE(Render(canvas, text, {0, 0, 351, 120}));
    }
}

TEST(QhtmRobustness, ExtremeRectanglesAndWidths)
{
    Canvas canvas(50, 20, kWhite);
    const RECT rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {10, 10, 0, 0}, {0, 0, 1, 1}, {-1000000, 0, 50, 20}};
    for (const RECT& rect : rects)
        for (UINT flags : {1u, 5u})
            EXPECT_TRUE(Render(canvas, L"Hello <b>world</b>", rect, flags)) << rect.left << " " << flags;
    const int line = LineHeight(-12);
    EXPECT_EQ(static_cast<UINT>(line), Height(canvas, L"Hello <b>world</b>", UINT_MAX));
    EXPECT_EQ(static_cast<UINT>(10 * line), Height(canvas, L"Hello <b>world</b>", 1));
}

TEST(QhtmRobustness, SeededFuzzOverMutatedMarkup)
{
    const std::wstring pieces[] = {
        L"<font face=\"Tahoma\" size=9pt>", L"<font>", L"</font>", L"<font size=", L"<font color=#zzzzzz>",
        L"<font face='", L"<font size=+9 color=red>", L"<font size=99999999pt>", L"<b>", L"</b>", L"<i>", L"</u>",
        L"<br>", L"<br", L"<p>", L"</p>", L"<", L">", L"&", L";", L"&#", L"&#x", L"&#99999999999;", L"&#xD800;",
        L"&nbsp", L"&lt;", L"&amp;", L"\xD83D\xDE00", L"\xD800", L"\xDFFF", L" ", L"\r\n", L"\t", L"word",
        L"Supercalifragilisticexpialidocious", L"\"", L"'", L"=", L"/", L"\x0301", L"\xFFFF",
    };
    std::mt19937 random(20261208);
    Canvas canvas(400, 200, kWhite);
    for (int round = 0; round < 300; ++round)
    {
        std::wstring text;
        const int count = std::uniform_int_distribution<int>(1, 40)(random);
        for (int i = 0; i < count; ++i)
        {
            text += pieces[random() % std::size(pieces)];
            if (random() % 4 == 0) // a random character, surrogates included, never the terminator
                text += static_cast<wchar_t>(1 + random() % 0xFFFF);
            if (random() % 8 == 0 && !text.empty()) // cut the text anywhere
                text.resize(random() % text.size());
        }
        const UINT width = 1 + random() % 400;
        UINT height = 0;
        ASSERT_TRUE(QHTM_GetHTMLHeight(canvas.dc(), text.c_str(), nullptr, 1, width, &height)) << round;
        const RECT rect{0, 0, static_cast<LONG>(width), 200};
        ASSERT_TRUE(Render(canvas, text, rect, random() % 2 ? 1 : 5)) << round;
        ASSERT_EQ(canvas.font(), GetCurrentObject(canvas.dc(), OBJ_FONT)) << round;
    }
}

} // namespace
