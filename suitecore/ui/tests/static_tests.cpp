// The statics' colour answers, reached as a control's parent reflects them.
#include "button_test_support.h"

#include <suitecore/ui/statics.h>

using namespace buttontest;

namespace
{
using StaticColours = ButtonTest;

struct ColourAnswer
{
    HBRUSH brush;
    int bkMode;
    COLORREF bk, text;
};

// What the parent answers for the control's colour message, and what it left in the DC.
ColourAnswer AskColours(CWnd& parent, HWND control, UINT message)
{
    testsupport::PaintSurface surface(4, 4);
    SetBkMode(surface.Dc(), OPAQUE);
    SetBkColor(surface.Dc(), RGB(1, 1, 1));
    SetTextColor(surface.Dc(), RGB(2, 2, 2));
    const auto brush = reinterpret_cast<HBRUSH>(
        parent.SendMessage(message, reinterpret_cast<WPARAM>(surface.Dc()), reinterpret_cast<LPARAM>(control)));
    return ColourAnswer{brush, GetBkMode(surface.Dc()), GetBkColor(surface.Dc()), GetTextColor(surface.Dc())};
}
} // namespace

// Check boxes and radio buttons: transparent text in RGB(45,54,72) on white, and one white
// brush for all of them; their erase draws nothing. The transparent static asks for no
// background brush at all.
TEST_F(StaticColours, CheckRadioAndTransparentStatic)
{
    CTransparentCheckRadio check, radio;
    ASSERT_TRUE(check.Create(L"Remember", WS_CHILD | BS_AUTOCHECKBOX, RECT{0, 0, 80, 16}, &m_parent, 201));
    ASSERT_TRUE(radio.Create(L"Never", WS_CHILD | BS_AUTORADIOBUTTON, RECT{0, 20, 80, 36}, &m_parent, 202));
    const HBRUSH shared = CTransparentCheckRadio::GetSharedBrush();
    LOGBRUSH lb{};
    ASSERT_EQ(static_cast<int>(sizeof lb), GetObjectW(shared, sizeof lb, &lb));
    EXPECT_EQ(static_cast<UINT>(BS_SOLID), lb.lbStyle);
    EXPECT_EQ(RGB(255, 255, 255), lb.lbColor);
    const struct
    {
        CWnd* control;
        UINT message;
    } cases[] = {{&check, WM_CTLCOLORSTATIC}, {&radio, WM_CTLCOLORSTATIC}, {&check, WM_CTLCOLORBTN}};
    for (const auto& c : cases)
    {
        const ColourAnswer answer = AskColours(m_parent, c.control->m_hWnd, c.message);
        EXPECT_EQ(shared, answer.brush);
        EXPECT_EQ(TRANSPARENT, answer.bkMode);
        EXPECT_EQ(RGB(255, 255, 255), answer.bk);
        EXPECT_EQ(RGB(45, 54, 72), answer.text);
    }
    EXPECT_EQ(1, check.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(testsupport::PaintSurface(2, 2).Dc())));

    CTransparentStatic2 label;
    ASSERT_TRUE(label.Create(L"Scanning", WS_CHILD | SS_LEFT, RECT{0, 40, 80, 56}, &m_parent, 203));
    const ColourAnswer answer = AskColours(m_parent, label.m_hWnd, WM_CTLCOLORSTATIC);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), answer.brush);
    EXPECT_EQ(TRANSPARENT, answer.bkMode);
}
