// The strip, text and link buttons: hover tracking by messages, the choice of frame, the
// text looks, and repainting that holds no GDI object.
#include "button_test_support.h"

#include <suitecore/ui/buttons.h>

#include <vector>

using namespace buttontest;

BEGIN_MESSAGE_MAP(buttontest::CTestParent, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace
{
// Strips of the skin kit: the demonstration button (3 frames of 52 x 17) and the small light
// text button (4 frames of 120 x 28).
constexpr UINT kThreeFrames = 1057;
constexpr UINT kFourFrames = 1074;

std::string CompareFrame(const testsupport::Capture& painted, UINT strip, int frameWidth, int frame)
{
    const testsupport::Capture picture = testsupport::LoadBitmapPixels(SuiteCore(), strip);
    return testsupport::CompareRegion(painted, 0, 0, picture,
                                      RECT{frame * frameWidth, 0, (frame + 1) * frameWidth, picture.height});
}

SIZE WindowSize(HWND window)
{
    RECT rc;
    GetWindowRect(window, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

using ButtonShape = ButtonTest;
using HoverTracking = ButtonTest;
using StripButton = ButtonTest;
using TextButton = ButtonTest;
using LinkButton = ButtonTest;
using Leaks = ButtonTest;
} // namespace

// A tool's button derived from the library's: its own map entry runs, the library's hover
// tracking still does, and the runtime classes chain across the boundary.
namespace
{
class CToolButton : public CHoverButton
{
public:
    int m_nDoubleClicks = 0;

protected:
    void OnLButtonDblClk(UINT, CPoint) { ++m_nDoubleClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CToolButton, CHoverButton)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()
} // namespace

// Every member of the family turns owner-drawn whatever button type it was created as; a
// tool's class derived from one keeps the library's behaviour.
TEST_F(ButtonShape, OwnerDrawnAndDerivableByTools)
{
    const DWORD types[] = {BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX, BS_AUTORADIOBUTTON, BS_GROUPBOX};
    for (DWORD type : types)
    {
        CHoverButton button;
        CreateButton(button, 40, 20, 100, type);
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & BS_TYPEMASK) << "type " << type;
    }
    CToolButton tool;
    CreateButton(tool, 40, 20);
    tool.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
    tool.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1, tool.m_nDoubleClicks);
    EXPECT_EQ(1, tool.m_bHover);
    EXPECT_TRUE(tool.IsKindOf(RUNTIME_CLASS(CBaseGUIButton)));
    EXPECT_EQ(&tool, DYNAMIC_DOWNCAST(CHoverButton, &tool));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CHyperLinkBtn, &tool));
}

// Mouse move starts tracking and takes the hand; hover shows the hover frame and the hand
// answers WM_SETCURSOR; leave returns to the normal frame and gives the cursor back.
TEST_F(HoverTracking, MouseMessagesDriveTheFrameAndCursor)
{
    CHoverButton button;
    CreateButton(button, 10, 10);
    ASSERT_TRUE(button.SetBitmap(kThreeFrames));
    const HCURSOR hand = LoadCursorW(SuiteCore(), MAKEINTRESOURCEW(IDC_SUITE_HAND));
    ASSERT_NE(nullptr, hand);
    EXPECT_EQ(hand, button.m_hHandCursor);

    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, button.m_bTracking);
    EXPECT_EQ(hand, button.m_hCurrentCursor);
    EXPECT_EQ("", CompareFrame(PaintControl(button, 52, 17), kThreeFrames, 52, 0));

    button.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1, button.m_bHover);
    EXPECT_EQ("", CompareFrame(PaintControl(button, 52, 17), kThreeFrames, 52, 2));
    SetCursor(nullptr);
    EXPECT_EQ(TRUE, button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(hand, GetCursor());

    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(0, button.m_bHover);
    EXPECT_EQ(0, button.m_bTracking);
    EXPECT_EQ(nullptr, button.m_hCurrentCursor);
    EXPECT_EQ("", CompareFrame(PaintControl(button, 52, 17), kThreeFrames, 52, 0));
    SetCursor(nullptr);
    button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(hand, GetCursor());
    // The face covers the whole control: erasing draws nothing.
    EXPECT_EQ(0, button.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(testsupport::PaintSurface(2, 2).Dc())));
}

// A strip of 3 or 4 frames gives the frame size and resizes the window to one frame; the
// selected mark is cleared.
TEST_F(StripButton, SetBitmapCutsFramesAndSizesTheWindow)
{
    const struct
    {
        UINT strip;
        BYTE disabledFrame;
        int width, height;
    } cases[] = {{kThreeFrames, 0, 52, 17}, {kFourFrames, 1, 120, 28}, {kFourFrames, 0, 160, 28}};
    for (const auto& c : cases)
    {
        CHoverButton button;
        CreateButton(button, 300, 90);
        button.m_bHasDisabledFrame = c.disabledFrame;
        button.m_bSelected = 1;
        ASSERT_TRUE(button.SetBitmap(c.strip));
        EXPECT_EQ(c.width, button.m_nFrameWidth) << c.strip;
        EXPECT_EQ(c.height, button.m_nFrameHeight) << c.strip;
        const SIZE size = WindowSize(button.m_hWnd);
        EXPECT_EQ(c.width, size.cx) << c.strip;
        EXPECT_EQ(c.height, size.cy) << c.strip;
        EXPECT_EQ(0, button.m_bSelected);
        EXPECT_EQ(1, button.m_bSingleStrip);
    }
}

// Frames 0 to 3 by state: 3 only with a disabled frame, then pressed (or the pressed look),
// then hover or selected.
TEST_F(StripButton, StateFramesFollowTheRule)
{
    const struct
    {
        UINT strip;
        BYTE disabledFrame;
        UINT itemState;
        bool windowEnabled;
        BYTE hover, selected, pressedLook;
        int frame;
    } cases[] = {
        {kFourFrames, 1, 0, true, 0, 0, 0, 0},
        {kFourFrames, 1, ODS_SELECTED, true, 0, 0, 0, 1},
        {kFourFrames, 1, 0, true, 0, 0, 1, 1},
        {kFourFrames, 1, 0, true, 1, 0, 0, 2},
        {kFourFrames, 1, 0, true, 0, 1, 0, 2},
        {kFourFrames, 1, ODS_SELECTED, true, 1, 1, 0, 1},
        {kFourFrames, 1, ODS_DISABLED, true, 1, 0, 0, 3},
        {kFourFrames, 1, 0, false, 0, 0, 1, 3},
        {kThreeFrames, 0, ODS_DISABLED, true, 0, 0, 0, 0},
        {kThreeFrames, 0, 0, false, 1, 0, 0, 2},
    };
    int row = 0;
    for (const auto& c : cases)
    {
        CHoverButton button;
        CreateButton(button, 10, 10);
        button.m_bHasDisabledFrame = c.disabledFrame;
        ASSERT_TRUE(button.SetBitmap(c.strip));
        button.EnableWindow(c.windowEnabled);
        button.m_bHover = c.hover;
        button.m_bSelected = c.selected;
        button.m_bForcePressedLook = c.pressedLook;
        EXPECT_EQ(c.frame, button.GetStateFrame(c.itemState)) << "row " << row;
        const testsupport::Capture painted =
            PaintControl(button, button.m_nFrameWidth, button.m_nFrameHeight, c.itemState);
        EXPECT_EQ("", CompareFrame(painted, c.strip, button.m_nFrameWidth, c.frame)) << "row " << row;
        ++row;
    }
}

// A strip or piece that does not load is reported and leaves the window's size alone; a
// handle strip always has three frames and belongs to the button.
TEST_F(StripButton, MissingPicturesAreReported)
{
    CHoverButton button;
    CreateButton(button, 33, 11);
    EXPECT_FALSE(button.SetBitmap(4242));
    EXPECT_EQ(33, WindowSize(button.m_hWnd).cx);

    const struct
    {
        UINT left, middle, right;
        BOOL result;
    } cases[] = {
        {1042, 1063, 1062, TRUE}, {4242, 1063, 1062, FALSE}, {1042, 4242, 1062, FALSE}, {1042, 1063, 4242, FALSE}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.result, button.SetThreePartBitmaps(c.left, c.middle, c.right, 90, 18))
            << c.left << " " << c.middle << " " << c.right;
        EXPECT_EQ(0, button.m_bSingleStrip);
        EXPECT_EQ(90, WindowSize(button.m_hWnd).cx);
    }

    HBITMAP strip = LoadBitmapW(SuiteCore(), MAKEINTRESOURCEW(kFourFrames));
    ASSERT_TRUE(button.SetBitmapHandle(strip));
    EXPECT_EQ(160, button.m_nFrameWidth);
    EXPECT_EQ(strip, button.m_bmpStrip.m_hObject);
}

// The caption's colour, weight and underline by state and preset; the disabled colour only
// together with the disabled frame, and "hover differs from selected" takes the hover look.
TEST_F(TextButton, LookFollowsStateAndPreset)
{
    enum Preset
    {
        None,
        Light,
        Dark
    };
    const struct
    {
        Preset preset;
        BOOL disabledLook;
        UINT itemState;
        BYTE hover, selected;
        COLORREF colour;
        LONG weight;
    } cases[] = {
        {None, FALSE, 0, 0, 0, RGB(9, 18, 27), 400},
        {None, FALSE, 0, 1, 0, RGB(45, 72, 108), 400},
        {None, FALSE, 0, 0, 1, RGB(45, 72, 108), 400},
        {None, FALSE, 0, 1, 1, RGB(45, 72, 108), 400},
        {None, FALSE, ODS_DISABLED, 0, 0, RGB(9, 18, 27), 400},
        {Light, TRUE, 0, 0, 0, RGB(252, 252, 255), 700},
        {Light, TRUE, ODS_DISABLED, 0, 0, RGB(158, 164, 167), 700},
        {Light, FALSE, ODS_DISABLED, 0, 0, RGB(252, 252, 255), 700},
        {Dark, TRUE, 0, 0, 0, RGB(9, 18, 54), GetOsMajorVersion() > 5 ? 500 : 700},
        {Dark, TRUE, 0, 1, 0, RGB(18, 9, 63), GetOsMajorVersion() > 5 ? 500 : 700},
        {Dark, TRUE, ODS_DISABLED, 0, 0, RGB(144, 153, 162), GetOsMajorVersion() > 5 ? 500 : 700},
        {Dark, FALSE, ODS_DISABLED, 0, 0, RGB(9, 18, 54), GetOsMajorVersion() > 5 ? 500 : 700},
    };
    int row = 0;
    for (const auto& c : cases)
    {
        CHoverButtonWithText button;
        CreateButton(button, 120, 28);
        if (c.preset == Light)
            button.ApplyLightPreset(c.disabledLook);
        else if (c.preset == Dark)
            button.ApplyDarkPreset(c.disabledLook);
        button.m_bHover = c.hover;
        button.m_bSelected = c.selected;
        const CHoverButtonWithText::TextLook look = button.GetTextLook(c.itemState);
        EXPECT_EQ(c.colour, look.colour) << "row " << row;
        EXPECT_EQ(c.weight, look.weight) << "row " << row;
        ++row;
    }

    // The look is what the paint uses: bold on hover with underline, and the stored font kept.
    CHoverButtonWithText button;
    CreateButton(button, 120, 28);
    ASSERT_TRUE(button.SetBitmap(kThreeFrames));
    button.SetWindowText(L"MMMM");
    button.m_bBoldOnHover = button.m_bUnderlineOnHover = 1;
    button.m_crHover = RGB(200, 0, 0);
    const RECT idle = BoundsOf(PaintControl(button, 52, 17), Rgb(RGB(9, 18, 27)), 40);
    button.m_bHover = 1;
    const CHoverButtonWithText::TextLook hover = button.GetTextLook(0);
    EXPECT_EQ(700, hover.weight);
    EXPECT_EQ(1, hover.underline);
    const RECT bold = BoundsOf(PaintControl(button, 52, 17), Rgb(RGB(200, 0, 0)), 40);
    EXPECT_GT(bold.right - bold.left, idle.right - idle.left);
    EXPECT_GT(bold.bottom, idle.bottom); // the underline
    EXPECT_EQ(400, button.m_lf.lfWeight);
    EXPECT_EQ(0, button.m_lf.lfUnderline);
}

// ApplyTextButtonStyle takes the preset's strip, small or not, always cut into four frames,
// keeps the disabled frame only when asked, and ends with weight 700.
TEST_F(TextButton, ApplyTextButtonStylePicksTheStrip)
{
    const struct
    {
        BOOL light, small, disabledFrame;
        UINT strip;
        int width, height;
        COLORREF normal;
    } cases[] = {
        {TRUE, TRUE, TRUE, 1074, 120, 28, RGB(252, 252, 255)},
        {TRUE, FALSE, FALSE, 1021, 160, 32, RGB(252, 252, 255)},
        {FALSE, TRUE, FALSE, 1076, 120, 28, RGB(9, 18, 54)},
        {FALSE, FALSE, TRUE, 1059, 160, 32, RGB(9, 18, 54)},
    };
    for (const auto& c : cases)
    {
        CHoverButtonWithText button;
        CreateButton(button, 10, 10);
        ApplyTextButtonStyle(&button, c.disabledFrame, c.light, c.small);
        EXPECT_EQ(c.width, button.m_nFrameWidth) << c.strip;
        EXPECT_EQ(c.height, button.m_nFrameHeight) << c.strip;
        EXPECT_EQ(c.disabledFrame, button.m_bHasDisabledFrame) << c.strip;
        EXPECT_EQ(c.disabledFrame, button.m_bUseDisabledColour) << c.strip;
        EXPECT_EQ(700, button.m_lf.lfWeight) << c.strip;
        EXPECT_EQ(c.normal, button.m_crNormal) << c.strip;
        button.m_bHover = 1;
        EXPECT_EQ("", CompareFrame(PaintControl(button, c.width, c.height), c.strip, c.width, 2)) << c.strip;
    }
}

// A pressed link draws its text one pixel right and down; SetLinkText measures the new text at
// the next paint; a disabled link takes the disabled colour.
TEST_F(LinkButton, PressedMovesAndTextIsMeasuredAtTheNextPaint)
{
    CHyperLinkBtn link;
    CreateButton(link, 200, 20);
    link.SetWindowText(L"Online help");
    link.m_bUnderlineWhenIdle = 1;
    link.m_crPressed = link.m_crNormal = RGB(0, 0, 200);
    const RECT idle = BoundsOf(PaintControl(link, 200, 20), 0x0000C8, 60);
    const RECT pressed = BoundsOf(PaintControl(link, 200, 20, ODS_SELECTED), 0x0000C8, 60);
    ASSERT_LT(idle.left, idle.right);
    EXPECT_EQ(idle.left + 1, pressed.left);
    EXPECT_EQ(idle.top + 1, pressed.top);
    EXPECT_EQ(idle.right + 1, pressed.right);
    EXPECT_EQ(idle.bottom + 1, pressed.bottom);

    const int shortWidth = link.GetTextWidth();
    EXPECT_GT(shortWidth, 0);
    EXPECT_EQ(0, link.m_bMeasurePending);
    link.SetLinkText(L"Online help and support pages");
    EXPECT_EQ(1, link.m_bMeasurePending);
    EXPECT_EQ(shortWidth, link.GetTextWidth());
    PaintControl(link, 200, 20);
    EXPECT_GT(link.GetTextWidth(), shortWidth);
    EXPECT_EQ(idle.right - idle.left, shortWidth); // the measure is the drawn width

    link.EnableWindow(FALSE);
    EXPECT_LT(0, testsupport::CountColour(PaintControl(link, 200, 20), RECT{0, 0, 200, 20}, 0x75757E, 8));
}

// A transparent link shows the parent's background; an opaque one its own colour.
TEST_F(LinkButton, BackgroundIsTheParentsWhenTransparent)
{
    CHyperLinkBtn link;
    CreateButton(link, 100, 20);
    link.SetWindowText(L"x");
    EXPECT_EQ(0xFFFFFFu, PaintControl(link, 100, 20, 0, 0x123456).At(95, 2));
    link.m_crBackground = RGB(1, 2, 3);
    EXPECT_EQ(0x010203u, PaintControl(link, 100, 20).At(95, 2));
    link.m_bTransparent = 1;
    EXPECT_EQ(Rgb(kParentColour), PaintControl(link, 100, 20).At(95, 2));
}

namespace
{
// Fills the process's GDI handle table up to `spare` free entries; the objects go on
// destruction. A control that leaks an object per paint then fails within `spare` paints.
class HandleTableFill
{
public:
    explicit HandleTableFill(size_t spare)
    {
        for (int i = 0; i < 200000; ++i)
        {
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(i & 0xFF, 0, 0));
            if (!pen)
                break;
            m_pens.push_back(pen);
        }
        for (size_t i = 0; i < spare && !m_pens.empty(); ++i)
        {
            DeleteObject(m_pens.back());
            m_pens.pop_back();
        }
    }
    ~HandleTableFill()
    {
        for (HPEN pen : m_pens)
            DeleteObject(pen);
    }
    HandleTableFill(const HandleTableFill&) = delete;
    HandleTableFill& operator=(const HandleTableFill&) = delete;
    size_t Count() const { return m_pens.size(); }

private:
    std::vector<HPEN> m_pens;
};
} // namespace

// Text and link buttons repainted many more times than the GDI handle table has room left
// still paint their text: the font of each paint is selected back out and deleted.
TEST_F(Leaks, RepaintingHoldsNoHandle)
{
    CHoverButtonWithText text;
    CreateButton(text, 10, 10, 101);
    ASSERT_TRUE(text.SetBitmap(kThreeFrames));
    text.SetWindowText(L"MMMM");
    CHyperLinkBtn ownFont;
    CreateButton(ownFont, 100, 20, 102);
    ownFont.SetWindowText(L"MMMM");
    ownFont.m_bUseSharedFonts = 0;
    CHyperLinkBtn shared;
    CreateButton(shared, 100, 20, 103);
    shared.SetWindowText(L"MMMM");
    CMyHoverButton icon;
    CreateButton(icon, 10, 10, 104);
    ASSERT_TRUE(icon.SetBitmapAndCaption(L"MMMM", kFourFrames));

    const struct
    {
        CButton* button;
        int width, height;
    } cases[] = {{&text, 52, 17}, {&ownFont, 100, 20}, {&shared, 100, 20}, {&icon, 120, 28}};
    testsupport::PaintSurface surface(120, 28);
    auto paint = [&](const auto& c)
    {
        PatBlt(surface.Dc(), 0, 0, 120, 28, WHITENESS);
        DRAWITEMSTRUCT dis = DrawItemFor(c.button->m_hWnd, surface.Dc(), c.width, c.height);
        c.button->DrawItem(&dis);
        return surface.Pixels().pixels;
    };
    std::vector<std::vector<unsigned>> before;
    for (const auto& c : cases)
        before.push_back(paint(c));

    const HandleTableFill fill(400);
    ASSERT_GT(fill.Count(), 1000u) << "the handle table should have filled up";
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        for (int n = 0; n < 1500; ++n)
            paint(cases[i]);
        EXPECT_TRUE(before[i] == paint(cases[i])) << cases[i].button->GetRuntimeClass()->m_lpszClassName;
    }
}
