// The message box on a real screen: Enter and Escape held down close nothing, and the type
// icon and header strip each icon flag gives are read back from the screen.
#include <testsupport/ui.h>

#include <suitecore/ui/msgbox.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using basewnd_test::SuiteCore;

void FocusFromOutside(HWND window)
{
    SetForegroundWindow(window);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(window);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    Sleep(200);
}
} // namespace

TEST(MsgBoxScreen, HeldEnterAndEscapeCloseNothing)
{
    struct Case
    {
        UINT flags;
        int click;
        int result;
    } cases[] = {{MB_OK, IDC_MSGBOX_CLOSE, 1}, {MB_YESNO, IDC_MSGBOX_BUTTON0 + 1, 7}};
    for (const Case& c : cases)
    {
        bool openAfterKeys = false;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"", [&](HWND box) {
            HWND button = testsupport::WaitForControl(box, IDC_MSGBOX_BUTTON0, 20000);
            FocusFromOutside(button);
            for (WORD key : {VK_RETURN, VK_ESCAPE})
            {
                testsupport::HeldKey held(key);
                Sleep(500);
            }
            Sleep(300);
            openAfterKeys = IsWindow(box) && IsWindowVisible(box);
            testsupport::ClickHeadless(GetDlgItem(box, c.click));
        });
        EXPECT_EQ(c.result, ShowMessageBox(L"Keys", c.flags, nullptr, nullptr, TRUE)) << c.flags;
        EXPECT_TRUE(openAfterKeys) << c.flags;
    }
}

TEST(MsgBoxScreen, IconFlagsShowTheirTypeIconAndHeaderStrip)
{
    const HMODULE core = SuiteCore();
    struct Case
    {
        UINT flags;
        UINT icon;
        UINT strip;
    } cases[] = {
        {MB_ICONQUESTION, 1116, 1118}, {MB_ICONERROR, 1113, 1117}, {0x30, 1113, 1117},
        {MB_ICONINFORMATION, 1115, 1102}, {0, 1115, 1102},
    };
    for (const Case& c : cases)
    {
        const testsupport::Capture icon = testsupport::LoadBitmapPixels(core, c.icon);
        const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, c.strip);
        ASSERT_GT(icon.width, 0);
        ASSERT_GT(strip.width, 0);
        std::string iconDiff = "not seen", stripDiff = "not seen";
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"", [&](HWND box) {
            testsupport::WaitForControl(box, IDC_MSGBOX_BUTTON0, 20000);
            testsupport::Capture screen;
            testsupport::WaitUntil(
                [&] {
                    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                    screen = testsupport::CaptureClient(box);
                    if (screen.width == 0)
                        return false;
                    iconDiff = testsupport::CompareRegion(screen, 18, 58, icon);
                    stripDiff = testsupport::CompareRegion(screen, 10, 29, strip);
                    for (int x = 6; stripDiff.empty() && x < screen.width - 6; x += 50)
                        stripDiff = testsupport::CompareRegion(screen, x, 29, strip);
                    return iconDiff.empty() && stripDiff.empty();
                },
                20000);
            if (!iconDiff.empty() || !stripDiff.empty())
                testsupport::SaveCaptureForReview(screen, L"msgbox_icon_" + std::to_wstring(c.flags));
            testsupport::ClickHeadless(GetDlgItem(box, IDC_MSGBOX_BUTTON0));
        });
        EXPECT_EQ(1, ShowMessageBox(L"Icons", c.flags, nullptr, nullptr, TRUE));
        EXPECT_EQ("", iconDiff) << c.flags;
        EXPECT_EQ("", stripDiff) << c.flags;
    }
}
