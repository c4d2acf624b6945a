// The launcher, the navigation pane and the fade overlay read back from a real screen and
// compared with the library's own pictures.
#include <testsupport/ui.h>

#include <suitecore/ui/fadewnd.h>
#include <suitecore/ui/gdiplus_bitmap.h>
#include <suitecore/ui/launcher.h>

#include <framework/app.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using basewnd_test::SuiteCore;

unsigned Red(unsigned px) { return (px >> 16) & 0xFF; }
unsigned Green(unsigned px) { return (px >> 8) & 0xFF; }
unsigned Blue(unsigned px) { return px & 0xFF; }

// The desktop, once `ready` holds for it (or the time is up).
testsupport::Capture Screen(const std::function<bool(const testsupport::Capture&)>& ready)
{
    testsupport::Capture screen;
    testsupport::WaitUntil(
        [&] {
            screen = testsupport::CaptureClient(GetDesktopWindow());
            return screen.width > 0 && ready(screen);
        },
        20000);
    return screen;
}

POINT Origin(HWND window)
{
    POINT pt{0, 0};
    ClientToScreen(window, &pt);
    return pt;
}
} // namespace

TEST(LauncherScreen, CornerLogoTabsAndSelectedNavigationButton)
{
    CGdiPlusToken gdiplus; // the navigation buttons draw their pictures with GDI+
    const testsupport::Capture empty = Screen([](const testsupport::Capture&) { return true; });
    ASSERT_GT(empty.width, 0);
    LauncherConfig config;
    config.nTabCount = 2;
    config.tabCaptions.AddTail(L"One");
    config.tabCaptions.AddTail(L"Two");
    CDlgBaseAppDlg launcher;
    launcher.ConfigureLauncher(config);
    ASSERT_TRUE(launcher.Create(IDD_LAUNCHER, nullptr));
    CDlgLeftDlgBase pane(&launcher);
    ASSERT_TRUE(pane.Create(IDD_LEFT_PANE, &launcher));
    pane.SetWindowPos(nullptr, 6, 66, 759, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
    CStringList captions;
    captions.AddTail(L"First");
    captions.AddTail(L"Second");
    pane.AddNavigationButtons(2, captions);
    pane.SelectNavigationButton(1);
    launcher.ShowWindow(SW_SHOW);
    launcher.SetForegroundWindow();

    const POINT at = Origin(launcher.m_hWnd);
    const testsupport::Capture logo = testsupport::LoadBitmapPixels(SuiteCore(), 1152);
    const testsupport::Capture tabs = testsupport::LoadBitmapPixels(SuiteCore(), 1155);
    ASSERT_GT(logo.width, 0);
    ASSERT_GT(tabs.width, 0);
    // The logo inside the rounded corner, and the top rows of each tab (above the caption).
    const RECT logoPart = {4, 4, logo.width, logo.height};
    std::string logoDiff, tabDiff;
    const testsupport::Capture screen = Screen([&](const testsupport::Capture& s) {
        logoDiff = testsupport::CompareRegion(s, at.x + 4, at.y + 4, logo, logoPart, 2);
        tabDiff.clear();
        for (int i = 0; i < 2 && tabDiff.empty(); ++i)
            tabDiff = testsupport::CompareRegion(s, at.x + 165 + 100 * i + 8, at.y + 35, tabs, RECT{8, 0, 93, 3}, 2);
        return logoDiff.empty() && tabDiff.empty();
    });
    EXPECT_EQ("", logoDiff);
    EXPECT_EQ("", tabDiff);
    // Outside the rounded corner the desktop shows.
    EXPECT_EQ(empty.At(at.x, at.y), screen.At(at.x, at.y));

    // The selected navigation button shows PNG 1358 over the pane's background row.
    const testsupport::Capture background = testsupport::LoadBitmapPixels(SuiteCore(), 1096);
    const POINT paneAt = Origin(pane.m_hWnd);
    const int row = 48 + 26; // a row of the second button below its caption
    const testsupport::Capture selected = testsupport::LoadPngPixels(SuiteCore(), 1358, background.At(60, row));
    ASSERT_GT(selected.width, 0);
    EXPECT_EQ("", testsupport::CompareRegion(screen, paneAt.x + 1 + 120, paneAt.y + row, selected,
                                             RECT{120, 26, 160, 27}, 3));
    if (HasFailure())
        testsupport::SaveCaptureForReview(screen, L"launcher_screen");
    pane.DestroyWindow();
    launcher.DestroyWindow();
}

TEST(FadeScreen, RedFadesTowardsGreyAndComesBackAfterAClick)
{
    CBrush red(RGB(255, 0, 0));
    CWnd target;
    ASSERT_TRUE(target.CreateEx(0, AfxRegisterWndClass(0, nullptr, red), L"Red", WS_POPUP | WS_VISIBLE, 100, 100, 300,
                                200, nullptr, nullptr));
    target.SetForegroundWindow();
    auto pixel = [] { return testsupport::CaptureClient(GetDesktopWindow()).At(250, 200); };
    ASSERT_TRUE(testsupport::WaitUntil([&] { return pixel() == 0xFF0000; }, 20000));

    auto* fade = new CFadeWnd(nullptr, RGB(255, 255, 255), RGB(0, 0, 0));
    ASSERT_TRUE(fade->FadeWindow(&target, RECT{}, TRUE));
    HWND overlay = fade->m_hWnd;
    EXPECT_FALSE(target.IsWindowEnabled());
    testsupport::WaitUntil([] { return false; }, 2000);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !fade->IsAnimating(); }, 30000));
    // Somewhere between the original and the full fade, whatever step the machine chose.
    const unsigned faded = pixel();
    EXPECT_TRUE(Red(faded) >= 51 && Red(faded) <= 150) << std::hex << faded;
    EXPECT_EQ(Green(faded), Blue(faded)) << std::hex << faded;
    EXPECT_TRUE(Green(faded) >= 25 && Green(faded) <= 51) << std::hex << faded;

    SendMessageW(overlay, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindow(overlay));
    EXPECT_TRUE(target.IsWindowEnabled());
    EXPECT_TRUE(testsupport::WaitUntil([&] { return pixel() == 0xFF0000; }, 20000)) << std::hex << pixel();
    target.DestroyWindow();
}
