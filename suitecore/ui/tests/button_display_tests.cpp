// The buttons and statics on a real screen: strip faces equal their frames, the transparent
// static shows the parent's pattern around its text (also after new text), and the HTML
// static draws its text over the parent's background. A failing case leaves its capture in
// the build tree (captures\).
#include <suitecore/sysinfo.h>
#include <suitecore/ui/buttons.h>
#include <suitecore/ui/gdiplus_bitmap.h>
#include <suitecore/ui/statics.h>
#include <testsupport/ui.h>

#include <framework/gdi.h>
#include <framework/window.h>

#include <gtest/gtest.h>

namespace
{
unsigned Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// Stripes four pixels wide, so that a snapshot taken at the wrong place shows.
COLORREF PatternAt(int x)
{
    return (x / 4) % 2 ? RGB(200, 220, 240) : RGB(240, 200, 160);
}

class CPatternParent : public CWnd
{
public:
    BOOL Create()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ButtonDisplayParent";
        RegisterClassW(&wc);
        return CreateEx(WS_EX_TOPMOST, L"ButtonDisplayParent", L"buttons", WS_POPUP, 40, 40, 360, 200, nullptr,
                        nullptr);
    }

protected:
    BOOL OnEraseBkgnd(CDC* pDC)
    {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        for (int x = 0; x < rc.right; x += 4)
        {
            const RECT stripe{x, 0, x + 4, rc.bottom};
            const HBRUSH brush = CreateSolidBrush(PatternAt(x));
            FillRect(pDC->GetSafeHdc(), &stripe, brush);
            DeleteObject(brush);
        }
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPatternParent, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// How many pixels of the rectangle differ from the parent's pattern.
int OffPattern(const testsupport::Capture& capture, const RECT& area)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += capture.At(x, y) != Rgb(PatternAt(x));
    return count;
}

void Pump()
{
    MSG msg;
    for (int i = 0; i < 20; ++i)
    {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(50);
    }
}
} // namespace

TEST(ButtonScreen, FacesAndTransparentStatics)
{
    CGdiPlusToken gdiplus;
    GetOsMajorVersion();
    const HMODULE core = GetModuleHandleW(L"suitecore.dll");
    CPatternParent parent;
    ASSERT_TRUE(parent.Create());

    // Strip buttons of four frames at rest, hovered and disabled.
    CHoverButton plain, hovered, disabled;
    const struct
    {
        CHoverButton* button;
        int x, frame;
    } faces[] = {{&plain, 8, 0}, {&hovered, 130, 2}, {&disabled, 8, 3}};
    for (const auto& f : faces)
    {
        const int y = f.frame == 3 ? 40 : 8;
        ASSERT_TRUE(
            f.button->Create(L"", WS_CHILD | WS_VISIBLE, RECT{f.x, y, f.x + 10, y + 10}, &parent, 100 + f.frame));
        f.button->m_bHasDisabledFrame = 1;
        ASSERT_TRUE(f.button->SetBitmap(1074)); // 4 frames of 120 x 28
    }
    hovered.m_bHover = 1;
    disabled.EnableWindow(FALSE);

    CTransparentStatic2 label;
    ASSERT_TRUE(label.Create(L"Scanning", WS_CHILD | WS_VISIBLE | SS_LEFT, RECT{8, 80, 208, 100}, &parent, 200));
    CSThtmlStatic html;
    ASSERT_TRUE(html.Create(L"<b>Bold</b> text", WS_CHILD | WS_VISIBLE, RECT{8, 110, 208, 150}, &parent, 201));
    html.m_bTransparent = 1;

    parent.ShowWindow(SW_SHOW);
    parent.SetForegroundWindow();
    parent.UpdateWindow();
    Pump();

    testsupport::Capture screen = testsupport::CaptureClient(parent.m_hWnd);
    ASSERT_EQ(360, screen.width);
    const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, 1074);
    bool ok = true;
    for (const auto& f : faces)
    {
        const int y = f.frame == 3 ? 40 : 8;
        const std::string diff =
            testsupport::CompareRegion(screen, f.x, y, strip, RECT{f.frame * 120, 0, f.frame * 120 + 120, 28});
        EXPECT_EQ("", diff) << "frame " << f.frame;
        ok = ok && diff.empty();
    }

    // The static's text is dark; everything right of it is the parent's pattern.
    EXPECT_LT(10, testsupport::CountColour(screen, RECT{8, 80, 80, 100}, 0x000000, 60));
    EXPECT_EQ(0, OffPattern(screen, RECT{120, 80, 208, 100}));
    ok = ok && OffPattern(screen, RECT{120, 80, 208, 100}) == 0;
    // The HTML static draws its text over the pattern and leaves the rest of it.
    EXPECT_LT(10, testsupport::CountColour(screen, RECT{8, 110, 120, 150}, 0x000000, 60));
    EXPECT_EQ(0, OffPattern(screen, RECT{150, 110, 208, 150}));
    ok = ok && OffPattern(screen, RECT{150, 110, 208, 150}) == 0;

    // New text repaints at once, on the snapshot: the old text's place shows the pattern.
    label.SetWindowText(L"OK");
    Pump();
    screen = testsupport::CaptureClient(parent.m_hWnd);
    EXPECT_LT(5, testsupport::CountColour(screen, RECT{8, 80, 40, 100}, 0x000000, 60));
    EXPECT_EQ(0, OffPattern(screen, RECT{40, 80, 208, 100}));
    ok = ok && OffPattern(screen, RECT{40, 80, 208, 100}) == 0;
    if (!ok)
        testsupport::SaveCaptureForReview(screen, L"button_screen");
}
