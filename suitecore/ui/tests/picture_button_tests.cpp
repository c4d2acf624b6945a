// The picture buttons: which PNG shows in which state, where it lies, what lies under it, and
// SetProgram's answer.
#include "button_test_support.h"

#include <suitecore/ui/png_buttons.h>

#include <cwchar>

using namespace buttontest;

namespace
{
using PictureButton = ButtonTest;

// Compares the painted pixels at (x, y) with the PNG composed over what lies under it
// (background(px, py) in the button's coordinates), within a rounding tolerance. The PNG's
// alpha is read back from its pixels over black and over white.
struct ComposedMatch
{
    int compared = 0;
    int differing = 0;
};
template <class Background>
ComposedMatch CompareComposed(const testsupport::Capture& painted, int x, int y, UINT png, Background background)
{
    const testsupport::Capture onBlack = testsupport::LoadPngPixels(SuiteCore(), png, 0x000000);
    const testsupport::Capture onWhite = testsupport::LoadPngPixels(SuiteCore(), png, 0xFFFFFF);
    ComposedMatch match;
    for (int py = 0; py < onBlack.height && y + py < painted.height; ++py)
        for (int px = 0; px < onBlack.width && x + px < painted.width; ++px)
        {
            const unsigned black = onBlack.At(px, py), white = onWhite.At(px, py);
            if (black == 0 && white == 0xFFFFFF)
                continue; // fully transparent
            const unsigned under = background(x + px, y + py), seen = painted.At(x + px, y + py);
            ++match.compared;
            for (int shift = 0; shift <= 16; shift += 8)
            {
                const int b = (black >> shift) & 0xFF, w = (white >> shift) & 0xFF, u = (under >> shift) & 0xFF;
                const int expected = b + (w - b) * u / 255;
                if (std::abs(expected - static_cast<int>((seen >> shift) & 0xFF)) > 4)
                {
                    ++match.differing;
                    break;
                }
            }
        }
    return match;
}

// A point where the PNG is fully transparent, or {-1, -1}.
POINT TransparentPoint(UINT png)
{
    const testsupport::Capture onBlack = testsupport::LoadPngPixels(SuiteCore(), png, 0x000000);
    const testsupport::Capture onWhite = testsupport::LoadPngPixels(SuiteCore(), png, 0xFFFFFF);
    for (int y = 0; y < onBlack.height; ++y)
        for (int x = 0; x < onBlack.width; ++x)
            if (onBlack.At(x, y) == 0 && onWhite.At(x, y) == 0xFFFFFF)
                return POINT{x, y};
    return POINT{-1, -1};
}
} // namespace

// Each picture button shows its hover PNG when hovered and its selected PNG when selected
// (only), at its place; with neither mark nothing covers the background.
TEST_F(PictureButton, StatePicturesLieWhereTheyBelong)
{
    CLeftSideBtns nav;
    CLauncherLeftSideBtns column;
    CLauncherBigButtons big;
    CreateButton(nav, 165, 31, 101);
    CreateButton(column, 168, 26, 102);
    CreateButton(big, 560, 64, 103);
    nav.m_nIconIndex = -1;
    const testsupport::Capture pane = testsupport::LoadBitmapPixels(SuiteCore(), 1096);
    const struct
    {
        CHyperLinkBtn* button;
        int width, height;
        BYTE hover, selected;
        UINT shown, absent; // 0: no picture to check
        POINT at;
    } cases[] = {
        {&nav, 165, 31, 1, 0, 1357, 1358, {0, 0}},    {&nav, 165, 31, 0, 1, 1358, 1357, {0, 0}},
        {&nav, 165, 31, 1, 1, 1357, 1358, {0, 0}},    {&nav, 165, 31, 0, 0, 0, 1357, {0, 0}},
        {&column, 168, 26, 1, 0, 1355, 1356, {4, 1}}, {&column, 168, 26, 0, 1, 1356, 1355, {4, 1}},
        {&big, 560, 64, 1, 0, 1353, 1354, {0, 0}},    {&big, 560, 64, 0, 1, 1354, 1353, {0, 0}},
        {&big, 560, 64, 0, 0, 0, 1353, {0, 0}},
    };
    int row = 0;
    for (const auto& c : cases)
    {
        c.button->m_bHover = c.hover;
        c.button->m_bSelected = c.selected;
        const testsupport::Capture painted = PaintControl(*c.button, c.width, c.height);
        auto under = [&](int x, int y) { return c.button == &nav ? pane.At(x, y) : Rgb(kParentColour); };
        if (c.shown)
        {
            const ComposedMatch match = CompareComposed(painted, c.at.x, c.at.y, c.shown, under);
            EXPECT_LT(1000, match.compared) << "row " << row;
            EXPECT_EQ(0, match.differing) << "row " << row;
        }
        EXPECT_LT(100, CompareComposed(painted, c.at.x, c.at.y, c.absent, under).differing) << "row " << row;
        ++row;
    }
}

// Under a navigation button lies the pane's background bitmap at the button's place in the
// pane; under the launcher's big buttons the parent's own background.
TEST_F(PictureButton, BackgroundUnderThePictures)
{
    CLeftSideBtns nav;
    ASSERT_TRUE(nav.Create(L"", WS_CHILD | WS_VISIBLE, RECT{3, 40, 168, 71}, &m_parent, 101));
    nav.m_nIconIndex = -1;
    nav.m_bHover = 1;
    const POINT clear = TransparentPoint(1357);
    ASSERT_GE(clear.x, 0);
    const testsupport::Capture pane = testsupport::LoadBitmapPixels(SuiteCore(), 1096);
    EXPECT_EQ(pane.At(3 + clear.x, 40 + clear.y), PaintControl(nav, 165, 31).At(clear.x, clear.y));
    EXPECT_EQ(3, nav.m_rcInParent.left);
    EXPECT_EQ(40, nav.m_rcInParent.top);

    CLauncherBigButtons big;
    CreateButton(big, 560, 64, 102);
    big.m_bHover = 1;
    const POINT under = TransparentPoint(1353);
    ASSERT_GE(under.x, 0);
    EXPECT_EQ(Rgb(kParentColour), PaintControl(big, 560, 64).At(under.x, under.y));
}

// A selected navigation button draws its caption bold and in the hover colour.
TEST_F(PictureButton, SelectedCaptionIsBold)
{
    CLeftSideBtns nav;
    CreateButton(nav, 165, 31);
    nav.SetWindowText(L"Registry Cleaner");
    nav.m_nIconIndex = -1;
    // Wine draws Tahoma's bold at 13 pixels with the regular glyphs: a face that it emboldens.
    wcscpy(nav.m_lf.lfFaceName, L"MS Sans Serif");
    const unsigned hoverColour = Rgb(RGB(9, 63, 153));
    nav.m_bHover = 1;
    const testsupport::Capture hovered = PaintControl(nav, 165, 31);
    nav.m_bHover = 0;
    nav.m_bSelected = 1;
    const testsupport::Capture selected = PaintControl(nav, 165, 31);
    const RECT regular = BoundsOf(hovered, hoverColour, 30), bold = BoundsOf(selected, hoverColour, 30);
    ASSERT_LT(regular.left, regular.right);
    EXPECT_GE(regular.left, 44) << "the caption starts one pixel left of x 45";
    EXPECT_LE(regular.left, 47);
    EXPECT_GT(bold.right - bold.left, regular.right - regular.left);
    const RECT all{0, 0, 165, 31};
    EXPECT_GT(testsupport::CountColour(selected, all, hoverColour, 120),
              testsupport::CountColour(hovered, all, hoverColour, 120));
}

// The icon cell: 24 x 24 at (11, 1), from the cell index's column, the selected row when
// selected; -1 draws none.
TEST_F(PictureButton, IconCellFollowsIndexAndSelection)
{
    CLeftSideBtns nav;
    CreateButton(nav, 165, 31);
    const testsupport::Capture cells = testsupport::LoadPngPixels(SuiteCore(), 1364, 0x000000);
    const testsupport::Capture cellsWhite = testsupport::LoadPngPixels(SuiteCore(), 1364, 0xFFFFFF);
    ASSERT_EQ(192, cells.width);
    const struct
    {
        int index;
        BYTE selected;
    } cases[] = {{0, 0}, {3, 0}, {3, 1}, {7, 1}};
    for (const auto& c : cases)
    {
        nav.m_nIconIndex = c.index;
        nav.m_bSelected = c.selected;
        const testsupport::Capture painted = PaintControl(nav, 165, 31);
        int compared = 0, differing = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
            {
                const int sx = c.index * 24 + x, sy = (c.selected ? 24 : 0) + y;
                if (cells.At(sx, sy) != cellsWhite.At(sx, sy))
                    continue;
                ++compared;
                differing += painted.At(11 + x, 1 + y) != cells.At(sx, sy);
            }
        EXPECT_LT(50, compared) << c.index;
        EXPECT_EQ(0, differing) << c.index << " selected " << int(c.selected);
    }
}

// SetProgram answers false without its PNG, its title or its command, and keeps what it was
// given; the status picks the status PNG.
TEST_F(PictureButton, SetProgramNeedsPictureTitleAndCommand)
{
    const struct
    {
        UINT png;
        const wchar_t* title;
        const wchar_t* command;
        int status;
        BOOL result;
    } cases[] = {
        {1354, L"Disk Cleaner", L"cleaner.exe", 0, TRUE},
        {1354, L"Disk Cleaner", L"cleaner.exe", 1, TRUE},
        {1354, L"Disk Cleaner", L"cleaner.exe", 2, TRUE},
        {4242, L"Disk Cleaner", L"cleaner.exe", 2, FALSE},
        {1354, L"", L"cleaner.exe", 2, FALSE},
        {1354, L"Disk Cleaner", L"", 2, FALSE},
    };
    const UINT statusPng[] = {1348, 1374, 1352};
    int row = 0;
    for (const auto& c : cases)
    {
        CLauncherProgBtns program;
        CreateButton(program, 300, 64);
        EXPECT_EQ(c.result, program.SetProgram(c.png, SuiteCore(), 7, c.title, L"Frees space", c.status, c.command))
            << "row " << row;
        EXPECT_EQ(7, program.m_nValue);
        EXPECT_EQ(c.status, program.m_nStatus);
        EXPECT_STREQ(c.command, program.m_strCommand);
        if (c.result)
        {
            const testsupport::Capture painted = PaintControl(program, 300, 64);
            const ComposedMatch match =
                CompareComposed(painted, 300 - CLauncherProgBtns::s_ptStatus.x, CLauncherProgBtns::s_ptStatus.y,
                                statusPng[c.status], [](int, int) { return Rgb(kParentColour); });
            EXPECT_LT(20, match.compared) << "row " << row;
            EXPECT_EQ(0, match.differing) << "row " << row;
        }
        ++row;
    }
}

// A strip button with a PNG: the strip frame at the left edge, the PNG stretched over the rest;
// a PNG that does not load leaves the plain strip.
TEST_F(PictureButton, StripWithPngDrawsThePngOneColumnIn)
{
    CHoverButtonTextPng button;
    CreateButton(button, 10, 10);
    ASSERT_TRUE(button.SetBitmap(1057)); // 3 frames of 52 x 17
    EXPECT_FALSE(button.SetPng(4242));
    const testsupport::Capture plain = PaintControl(button, 52, 17);
    const testsupport::Capture strip = testsupport::LoadBitmapPixels(SuiteCore(), 1057);
    EXPECT_EQ("", testsupport::CompareRegion(plain, 0, 0, strip, RECT{0, 0, 52, 17}));
    ASSERT_TRUE(button.SetPng(1348)); // 16 x 16, opaque in the middle
    const testsupport::Capture withPng = PaintControl(button, 52, 17);
    EXPECT_EQ("", testsupport::CompareRegion(withPng, 0, 0, strip, RECT{0, 0, 1, 17}));
    EXPECT_NE(plain.At(26, 8), withPng.At(26, 8));
}
