// Bitmap drawing (DrawBitmap, DrawBitmapPart, StretchBitmap, GetBitmapResourceSize), the
// shared panel icon, and RenderHtml's flags.
#include "paint_test_support.h"

#include <suitecore/ui/bitmap_draw.h>
#include <suitecore/ui/html.h>
#include <suitecore/ui/panels.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <thread>
#include <vector>

namespace
{
using painttest::Rgb;
using painttest::Surface;

constexpr int kW = 4, kH = 3;

unsigned SourcePixel(int x, int y)
{
    return Rgb(10 + 60 * x, 30 + 100 * y, 250 - 20 * x - 40 * y);
}

// A 4 x 3 bitmap with a different colour in every pixel.
class SourceBitmap : public CBitmap
{
public:
    SourceBitmap()
    {
        std::vector<DWORD> bits;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                bits.push_back(SourcePixel(x, y));
        CreateBitmap(kW, kH, 1, 32, bits.data());
    }
};

constexpr unsigned kBackground = Rgb(0xF0, 0xCC, 0x3C);

struct BlitCase
{
    const char* name;
    std::function<BOOL(CDC*, CBitmap*)> draw;
    // The colour expected at (x, y) of the surface, for x in 0..19, y in 0..19.
    std::function<unsigned(int x, int y)> expected;
};

bool Inside(int x, int y, int left, int top, int width, int height)
{
    return x >= left && y >= top && x < left + width && y < top + height;
}

const BlitCase kBlitCases[] = {
    {"draw_bitmap_copies_from_the_corner", [](CDC* dc, CBitmap* b) { return DrawBitmap(dc, 5, 6, kW, kH, b, SRCCOPY); },
     [](int x, int y) { return Inside(x, y, 5, 6, kW, kH) ? SourcePixel(x - 5, y - 6) : kBackground; }},
    {"draw_bitmap_part_offsets_the_source",
     [](CDC* dc, CBitmap* b) { return DrawBitmapPart(dc, 5, 6, 1, 1, 2, 2, b, SRCCOPY); },
     [](int x, int y) { return Inside(x, y, 5, 6, 2, 2) ? SourcePixel(x - 4, y - 5) : kBackground; }},
    {"srcand_darkens_what_is_there", [](CDC* dc, CBitmap* b) { return DrawBitmap(dc, 5, 6, kW, kH, b, SRCAND); },
     [](int x, int y) { return Inside(x, y, 5, 6, kW, kH) ? (SourcePixel(x - 5, y - 6) & kBackground) : kBackground; }},
    {"stretch_doubles_every_pixel",
     [](CDC* dc, CBitmap* b) { return StretchBitmap(dc, 5, 6, 2 * kW, 2 * kH, 0, 0, kW, kH, b, SRCCOPY); },
     [](int x, int y)
     { return Inside(x, y, 5, 6, 2 * kW, 2 * kH) ? SourcePixel((x - 5) / 2, (y - 6) / 2) : kBackground; }},
};

void PrintTo(const BlitCase& c, std::ostream* os)
{
    *os << c.name;
}

class BitmapBlits : public ::testing::TestWithParam<BlitCase>
{
};

TEST_P(BitmapBlits, PutExactlyTheBitmapsPixels)
{
    const BlitCase& c = GetParam();
    SourceBitmap bitmap;
    ASSERT_NE(nullptr, bitmap.GetSafeHandle());
    Surface surface(kBackground, 20, 20);
    ASSERT_TRUE(c.draw(surface.Dc(), &bitmap));
    const auto pixels = surface.Pixels();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(c.expected(x, y), pixels.At(x, y)) << "at (" << x << ", " << y << ")";
}

INSTANTIATE_TEST_SUITE_P(Drawing, BitmapBlits, ::testing::ValuesIn(kBlitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a bitmap to select, nothing is drawn: no black box from the DC's default bitmap.
TEST(BitmapBlitFailures, DrawNothingAndAnswerFalse)
{
    SourceBitmap held;
    CDC other;
    ASSERT_TRUE(other.CreateCompatibleDC(nullptr));
    CBitmap* const previous = other.SelectObject(&held); // held is selected into another DC
    ASSERT_NE(nullptr, previous);
    CBitmap empty;

    Surface surface(kBackground, 20, 20);
    const struct
    {
        const char* what;
        CDC* dc;
        CBitmap* bitmap;
    } cases[] = {{"no bitmap", surface.Dc(), nullptr},
                 {"an empty bitmap", surface.Dc(), &empty},
                 {"a bitmap selected elsewhere", surface.Dc(), &held},
                 {"no DC", nullptr, &held}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(DrawBitmap(c.dc, 0, 0, 10, 10, c.bitmap, SRCCOPY));
        EXPECT_FALSE(DrawBitmapPart(c.dc, 0, 0, 1, 1, 10, 10, c.bitmap, SRCCOPY));
        EXPECT_FALSE(StretchBitmap(c.dc, 0, 0, 10, 10, 0, 0, 2, 2, c.bitmap, SRCCOPY));
    }
    EXPECT_EQ(400, testsupport::CountColour(surface.Pixels(), {0, 0, 20, 20}, kBackground, 0));
    other.SelectObject(previous);
}

TEST(BitmapResourceSize, GivesTheSizeOrZeroesAndReplacesWhatTheBitmapHeld)
{
    const struct
    {
        UINT id;
        BOOL found;
        int width, height;
    } cases[] = {{1128, TRUE, 547, 1}, {1090, TRUE, 540, 3}, {1091, TRUE, 128, 16},
                 {1026, TRUE, 40, 50}, {1, FALSE, 0, 0},     {1128, TRUE, 547, 1}};
    // One bitmap object through all the cases: each load replaces the one before.
    CBitmap bitmap;
    HGDIOBJ before = nullptr;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.id);
        int width = -1, height = -1;
        EXPECT_EQ(c.found, GetBitmapResourceSize(c.id, bitmap, width, height));
        EXPECT_EQ(c.width, width);
        EXPECT_EQ(c.height, height);
        EXPECT_EQ(c.found, bitmap.GetSafeHandle() != nullptr);
        if (before)
        {
            EXPECT_EQ(0u, GetObjectType(before)) << "the bitmap held before was not freed";
        }
        before = bitmap.GetSafeHandle();
        BITMAP info{};
        if (c.found)
        {
            ASSERT_TRUE(bitmap.GetBitmap(&info));
            EXPECT_EQ(c.width, info.bmWidth);
        }
    }
}

TEST(PanelIcon, OneSixteenPixelIconForTheWholeProcess)
{
    const HICON icon = GetPanelIcon();
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, GetPanelIcon());
    HICON fromThread = nullptr;
    std::thread([&] { fromThread = GetPanelIcon(); }).join();
    EXPECT_EQ(icon, fromThread);

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(16, colour.bmWidth);
    EXPECT_EQ(16, colour.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

// RenderHtml: 5 when transparent leaves the background, 1 fills it with the DC's background
// colour; glyphs are drawn in the DC's text colour either way.
TEST(RenderHtmlFlags, TransparentKeepsTheBackgroundOpaqueFillsIt)
{
    constexpr unsigned kMagenta = Rgb(255, 0, 255);
    const struct
    {
        BOOL transparent;
        unsigned corner;
    } cases[] = {{TRUE, kMagenta}, {FALSE, Rgb(0, 200, 0)}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.transparent);
        Surface surface(kMagenta, 200, 40);
        SetBkColor(surface.Hdc(), RGB(0, 200, 0));
        SetTextColor(surface.Hdc(), RGB(0, 0, 0));
        const RECT rect = {0, 0, 200, 40};
        EXPECT_TRUE(RenderHtml(surface.Dc(), L"<b>IIII</b> IIII", &rect, c.transparent));
        const auto pixels = surface.Pixels();
        EXPECT_EQ(c.corner, pixels.At(199, 39));
        EXPECT_GT(testsupport::CountColour(pixels, rect, 0, 0), 10);
        EXPECT_EQ(0, testsupport::CountColour(pixels, rect, c.transparent ? Rgb(0, 200, 0) : kMagenta, 0));
    }
    Surface surface;
    const RECT rect = {0, 0, 10, 10};
    EXPECT_FALSE(RenderHtml(nullptr, L"x", &rect, FALSE));
    EXPECT_FALSE(RenderHtml(surface.Dc(), nullptr, &rect, FALSE));
    EXPECT_FALSE(RenderHtml(surface.Dc(), L"x", nullptr, FALSE));
}
} // namespace
