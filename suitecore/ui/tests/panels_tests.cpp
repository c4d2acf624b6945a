// The panel painters on a white 600 x 400 DIB, at the arguments SuiteDiag paint uses: outline
// and fill colours, line positions, picture rows, the slice bar's columns, the separator's
// SRCAND, text colours per column, and the DC given back as it came.
#include "paint_test_support.h"

#include <suitecore/ui/panels.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace
{
using painttest::Rgb;
using painttest::Surface;

constexpr unsigned kOutline = Rgb(222, 222, 222);
constexpr unsigned kFlatFill = Rgb(251, 251, 251);
constexpr unsigned kHeaderFill = Rgb(224, 241, 249);
constexpr unsigned kRowSeparator = Rgb(237, 237, 237);
constexpr unsigned kTitle = Rgb(13, 58, 115);
constexpr unsigned kTitleShadow = Rgb(178, 194, 205);
constexpr unsigned kLabel = Rgb(72, 81, 90);
constexpr unsigned kRed = Rgb(169, 1, 1);
constexpr unsigned kGreen = Rgb(0, 130, 44);
// Glyphs are smoothed: text is found by pixels near its colour.
constexpr int kTextTolerance = 24;

const LPCWSTR kLabels[] = {L"Files", L"Size", L"Time"};
const LPCWSTR kValues[] = {L"12", L"3 MB", L"1 s"};
const COLORREF kValueColours[] = {RGB(169, 1, 1), RGB(0, 130, 44), RGB(72, 81, 90)};
const int kCells[] = {0, 3, 7};

enum Painter
{
    RoundPanel,
    RoundPanelFlat,
    SliceBar,
    SliceBarAlt,
    SliceBarWide,
    HeaderPanel,
    HeaderTable,
    IconList,
    RecommendedAction,
    RecommendedActionGood,
};

void Paint(Painter painter, CDC* dc)
{
    switch (painter)
    {
    case RoundPanel:
        return DrawRoundPanel(dc, 10, 10, 200, 300);
    case RoundPanelFlat:
        return DrawRoundPanelFlat(dc, 10, 10, 200, 300);
    case SliceBar:
        return DrawSliceBar(dc, 10, 10, FALSE, TRUE);
    case SliceBarAlt:
        return DrawSliceBar(dc, 10, 10, TRUE, TRUE);
    case SliceBarWide:
        return DrawSliceBarWide(dc, 10, 10, 300);
    case HeaderPanel:
        return DrawHeaderPanel(dc, 10, 10, 150);
    case HeaderTable:
        return DrawHeaderTable(dc, 10, 10, 3, L"Summary", kLabels, kValues, kValueColours);
    case IconList:
        return DrawIconListPanel(dc, 10, 10, L"Scan results", 3, kCells, kLabels, kValues, kValueColours);
    case RecommendedAction:
    case RecommendedActionGood:
        return DrawRecommendedActionPanel(dc, 20, 320, L"Fix IIII now", L"IIII problems", painter == RecommendedAction);
    }
}

testsupport::Capture Painted(Painter painter)
{
    Surface surface;
    Paint(painter, surface.Dc());
    return surface.Pixels();
}

testsupport::Capture Picture(UINT id)
{
    return testsupport::LoadBitmapPixels(painttest::Library(), id);
}

int Area(const RECT& r)
{
    return (r.right - r.left) * (r.bottom - r.top);
}

// ---- Outlines and the DC's state -----------------------------------------------------------

struct OutlineCase
{
    const char* name;
    Painter painter;
    RECT outline; // the rounded outline's rectangle; empty for the bars
};

const OutlineCase kOutlineCases[] = {
    {"round_panel", RoundPanel, {10, 10, 313, 200}},
    {"round_panel_flat", RoundPanelFlat, {10, 10, 313, 200}},
    {"slice_bar", SliceBar, {}},
    {"slice_bar_alt", SliceBarAlt, {}},
    {"slice_bar_wide", SliceBarWide, {}},
    {"header_panel", HeaderPanel, {10, 10, 558, 150}},
    {"header_table", HeaderTable, {10, 10, 558, 125}},
    {"icon_list", IconList, {10, 10, 558, 150}},
    {"recommended_action", RecommendedAction, {20, 320, 568, 398}},
};

void PrintTo(const OutlineCase& c, std::ostream* os)
{
    *os << c.name;
}

class PanelPainters : public ::testing::TestWithParam<OutlineCase>
{
};

TEST_P(PanelPainters, DrawTheOutlineAndGiveTheDcBackAsItCame)
{
    const OutlineCase& c = GetParam();
    Surface surface;
    const HDC dc = surface.Hdc();
    HGDIOBJ pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    HGDIOBJ brush = CreateSolidBrush(RGB(4, 5, 6));
    HGDIOBJ font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    const HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush), oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(7, 8, 9));
    SetBkColor(dc, RGB(10, 11, 12));
    SetBkMode(dc, OPAQUE);
    const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);

    Paint(c.painter, surface.Dc());
    Paint(c.painter, nullptr); // no DC: nothing to do, nothing breaks

    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(bitmap, GetCurrentObject(dc, OBJ_BITMAP));
    EXPECT_EQ(RGB(7, 8, 9), GetTextColor(dc));
    EXPECT_EQ(RGB(10, 11, 12), GetBkColor(dc));
    EXPECT_EQ(OPAQUE, GetBkMode(dc));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    for (HGDIOBJ object : {pen, brush, font})
        DeleteObject(object);

    const auto pixels = surface.Pixels();
    EXPECT_LT(testsupport::CountColour(pixels, {0, 0, 600, 400}, painttest::kWhite, 0), 600 * 400);
    if (IsRectEmpty(&c.outline))
        return;
    const RECT& o = c.outline;
    const int midX = (o.left + o.right) / 2, midY = (o.top + o.bottom) / 2;
    const POINT edges[] = {{midX, o.top}, {midX, o.bottom - 1}, {o.left, midY}, {o.right - 1, midY}};
    for (const POINT& p : edges)
        EXPECT_EQ(kOutline, pixels.At(p.x, p.y)) << "at (" << p.x << ", " << p.y << ")";
    // Nothing lies outside the outline.
    EXPECT_EQ(o.top * 600, testsupport::CountColour(pixels, {0, 0, 600, o.top}, painttest::kWhite, 0));
    EXPECT_EQ(o.left * 400, testsupport::CountColour(pixels, {0, 0, o.left, 400}, painttest::kWhite, 0));
}

INSTANTIATE_TEST_SUITE_P(Painters, PanelPainters, ::testing::ValuesIn(kOutlineCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Fills and lines -----------------------------------------------------------------------

struct AreaCase
{
    const char* name;
    Painter painter;
    RECT area; // every pixel in it has the colour
    unsigned colour;
};

const AreaCase kAreaCases[] = {
    // The flat fill (12, 12)-(312, 198), away from the outline's round corners.
    {"flat_fill_across", RoundPanelFlat, {12, 16, 312, 194}, kFlatFill},
    {"flat_fill_down", RoundPanelFlat, {16, 12, 308, 198}, kFlatFill},
    {"header_fill", HeaderPanel, {16, 14, 553, 39}, kHeaderFill},
    {"header_line_at_y_plus_29", HeaderPanel, {12, 39, 557, 40}, kHeaderFill},
    {"outline_line_at_y_plus_30", HeaderPanel, {12, 40, 557, 41}, kOutline},
    {"table_header_line_at_y_plus_30", HeaderTable, {12, 40, 557, 41}, kOutline},
    {"row_separator_at_y_plus_58", HeaderTable, {12, 68, 557, 69}, kRowSeparator},
    {"row_separator_at_y_plus_86", HeaderTable, {12, 96, 557, 97}, kRowSeparator},
    {"last_row_ends_at_the_outline", HeaderTable, {20, 124, 548, 125}, kOutline},
};

void PrintTo(const AreaCase& c, std::ostream* os)
{
    *os << c.name;
}

class PanelAreas : public ::testing::TestWithParam<AreaCase>
{
};

TEST_P(PanelAreas, HaveTheirColour)
{
    const AreaCase& c = GetParam();
    const auto pixels = Painted(c.painter);
    EXPECT_EQ(Area(c.area), testsupport::CountColour(pixels, c.area, c.colour, 0));
}

INSTANTIATE_TEST_SUITE_P(Painters, PanelAreas, ::testing::ValuesIn(kAreaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Pictures --------------------------------------------------------------------------------

TEST(PanelPictures, RowsRepeatTheirBitmapsFirstRow)
{
    const struct
    {
        Painter painter;
        UINT bitmap;
        int x, firstRow, lastRow, width;
    } cases[] = {
        {RoundPanel, 1128, 12, 12, 197, 300},
        {HeaderPanel, 1089, 12, 41, 147, 545},
        {IconList, 1128, 12, 45, 147, 545}, // below the separator
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bitmap);
        const auto pixels = Painted(c.painter);
        const auto row = Picture(c.bitmap);
        ASSERT_EQ(547, row.width);
        // The columns clear of the outline's corners, on every row; with the text columns of
        // the icon list left out.
        for (int y = c.firstRow; y <= c.lastRow; ++y)
        {
            const RECT part = c.painter == IconList ? RECT{538, 0, 544, 1} : RECT{4, 0, c.width - 4, 1};
            EXPECT_EQ("", testsupport::CompareRegion(pixels, c.x + part.left, y, row, part)) << "row " << y;
        }
    }
}

TEST(PanelPictures, SliceBarsPutCapsMiddleAndIconAtTheirColumns)
{
    const struct
    {
        const char* name;
        Painter painter;
        int width;
        UINT left, middle, right, icon;
    } cases[] = {
        {"normal", SliceBar, 548, 1023, 1024, 1025, 1026},
        {"alternate", SliceBarAlt, 548, 1028, 1029, 1030, 1027},
        {"wide", SliceBarWide, 300, 1023, 1024, 1025, 1026},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto pixels = Painted(c.painter);
        EXPECT_EQ("", testsupport::CompareRegion(pixels, 10, 10, Picture(c.left)));
        EXPECT_EQ("", testsupport::CompareRegion(pixels, 10 + c.width - 5, 10, Picture(c.right)));
        EXPECT_EQ("", testsupport::CompareRegion(pixels, 25, 10, Picture(c.icon)));
        const auto middle = Picture(c.middle);
        for (int column : {5, 14, 55, 100, c.width / 2, c.width - 6})
            EXPECT_EQ("", testsupport::CompareRegion(pixels, 10 + column, 10, middle)) << "column " << column;
        // Nothing beyond the right cap, nothing below the bar.
        EXPECT_EQ(50, testsupport::CountColour(pixels, {10 + c.width, 10, 11 + c.width, 60}, painttest::kWhite, 0));
        EXPECT_EQ(c.width, testsupport::CountColour(pixels, {10, 60, 10 + c.width, 61}, painttest::kWhite, 0));
    }
    // Without its icon the middle runs through the icon's columns.
    Surface surface;
    DrawSliceBar(surface.Dc(), 10, 10, FALSE, FALSE);
    const auto plain = surface.Pixels();
    for (int column = 15; column < 55; ++column)
        EXPECT_EQ("", testsupport::CompareRegion(plain, 10 + column, 10, Picture(1024))) << "column " << column;
}

// The separator is ANDed onto the panel's rows (the raster operation itself is checked with
// DrawBitmap's SRCAND case): over the rows' white it shows its own pixels, at its place.
TEST(PanelPictures, SeparatorIsAndedOntoTheRowsAtItsPlace)
{
    const auto row = Picture(1128);
    const auto separator = Picture(1090);
    ASSERT_EQ(540, separator.width);
    ASSERT_EQ(3, separator.height);
    const struct
    {
        Painter painter;
        int x, y; // the separator's place
    } cases[] = {{IconList, 14, 42}, {RecommendedAction, 24, 353}};
    for (const auto& c : cases)
    {
        const auto pixels = Painted(c.painter);
        int differing = 0;
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 540; ++col)
                differing += pixels.At(c.x + col, c.y + r) != (row.At(col + 2, 0) & separator.At(col, r));
        EXPECT_EQ(0, differing) << c.y;
    }
}

TEST(PanelPictures, ResultPanelsDrawRowIconCellsAndThePanelIcon)
{
    const auto pixels = Painted(IconList);
    const auto cells = Picture(1091);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ("", testsupport::CompareRegion(pixels, 24, 54 + 30 * row, cells,
                                                 {kCells[row] * 16, 0, kCells[row] * 16 + 16, 16}))
            << "row " << row;

    // The panel icon, as DrawIconEx draws the shared handle over the same panel.
    const struct
    {
        Painter painter;
        int panelX, panelY, panelBottom; // the round panel under the icon
        int x, y, size;
    } icons[] = {{IconList, 10, 10, 150, 22, 18, 16}, {RecommendedAction, 20, 320, 398, 28, 325, 24}};
    for (const auto& c : icons)
    {
        Surface expected;
        DrawRoundPanel(expected.Dc(), c.panelX, c.panelY, c.panelBottom, 545);
        ASSERT_TRUE(DrawIconEx(expected.Hdc(), c.x, c.y, GetPanelIcon(), c.size, c.size, 0, nullptr, DI_NORMAL));
        const auto want = expected.Pixels();
        const auto got = Painted(c.painter);
        EXPECT_EQ("", testsupport::CompareRegion(got, c.x, c.y, want, {c.x, c.y, c.x + c.size, c.y + c.size}));
    }
}

// ---- Text ------------------------------------------------------------------------------------

int Near(const testsupport::Capture& pixels, const RECT& area, unsigned colour)
{
    return testsupport::CountColour(pixels, area, colour, kTextTolerance);
}

TEST(PanelText, TableLabelsAndValuesLieInTheirColumnsInTheirColours)
{
    const auto pixels = Painted(HeaderTable);
    // The title: its shadow and its colour, inside the header.
    EXPECT_GT(Near(pixels, {22, 12, 547, 39}, kTitle), 5);
    EXPECT_GT(Near(pixels, {22, 12, 547, 40}, kTitleShadow), 5);
    const unsigned values[] = {kRed, kGreen, kLabel};
    for (int row = 0; row < 3; ++row)
    {
        SCOPED_TRACE(row);
        const int top = 47 + 28 * row;
        const RECT label = {22, top, 247, top + 20}, value = {247, top, 547, top + 20};
        EXPECT_GT(Near(pixels, label, kLabel), 3);
        EXPECT_GT(Near(pixels, value, values[row]), 3);
        if (values[row] != kLabel)
        {
            EXPECT_EQ(0, Near(pixels, label, values[row]));
            EXPECT_EQ(0, Near(pixels, value, kLabel));
        }
        // The row's text stays in its 20 pixels.
        EXPECT_EQ(0, Near(pixels, {12, top + 20, 557, top + 21}, kLabel));
    }
}

TEST(PanelText, RecommendedActionPlacesItsHeadingAndColoursItsStatus)
{
    const auto problem = Painted(RecommendedAction);
    // The heading starts at (57, 329): none of its colour left of or above that point.
    EXPECT_GT(Near(problem, {57, 329, 557, 349}, kTitle), 5);
    EXPECT_EQ(0, Near(problem, {20, 320, 57, 398}, kTitle));
    EXPECT_EQ(0, Near(problem, {20, 320, 568, 329}, kTitle));
    EXPECT_GT(Near(problem, {57, 358, 557, 376}, kLabel), 3);
    EXPECT_GT(Near(problem, {57, 376, 557, 394}, kRed), 3);
    EXPECT_EQ(0, Near(problem, {57, 376, 557, 394}, kGreen));
    const auto good = Painted(RecommendedActionGood);
    EXPECT_GT(Near(good, {57, 376, 557, 394}, kGreen), 3);
    EXPECT_EQ(0, Near(good, {57, 376, 557, 394}, kRed));
}
} // namespace
