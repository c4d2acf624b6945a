// The message box on a real screen: Enter and Escape held down close nothing, the type icon
// and header strip of each icon flag are read back from the screen, and mark-up is drawn as
// plain text when the box does not wrap it.
#include <testsupport/ui.h>

#include <suitecore/ui/msgbox.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
// Shows the box with the flags; the watcher waits for its buttons, runs inspect until it holds
// (repainting and capturing the box each time), then clicks the control. The box's result.
int ShowAndInspect(LPCWSTR text, UINT flags, BOOL wrap, const std::function<bool(HWND, const testsupport::Capture&)>& inspect,
                   int click = IDC_MSGBOX_BUTTON0)
{
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"", [&](HWND box) {
        testsupport::WaitForControl(box, IDC_MSGBOX_BUTTON0, 20000);
        testsupport::WaitUntil(
            [&] {
                RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                const testsupport::Capture screen = testsupport::CaptureClient(box);
                return screen.width > 0 && inspect(box, screen);
            },
            20000);
        testsupport::ClickHeadless(GetDlgItem(box, click));
    });
    return ShowMessageBox(text, flags, nullptr, nullptr, wrap);
}
} // namespace

TEST(MsgBoxScreen, HeldEnterAndEscapeCloseNothing)
{
    for (const auto& [flags, click, result] : {std::tuple{MB_OK, +IDC_MSGBOX_CLOSE, 1},
                                               std::tuple{MB_YESNO, IDC_MSGBOX_BUTTON0 + 1, 7}})
    {
        bool open = false;
        EXPECT_EQ(result, ShowAndInspect(L"Keys", flags, TRUE, [&](HWND box, const testsupport::Capture&) {
                      // The default button has the focus: Enter would click it.
                      SetForegroundWindow(box);
                      const DWORD thread = GetWindowThreadProcessId(box, nullptr);
                      AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
                      SetFocus(GetDlgItem(box, IDC_MSGBOX_BUTTON0));
                      AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
                      Sleep(200);
                      for (WORD key : {VK_RETURN, VK_ESCAPE})
                      {
                          testsupport::HeldKey held(key);
                          Sleep(500);
                      }
                      Sleep(300);
                      open = IsWindow(box) && IsWindowVisible(box);
                      return true;
                  }, click)) << flags;
        EXPECT_TRUE(open) << flags;
    }
}

TEST(MsgBoxScreen, IconFlagsShowTheirTypeIconAndHeaderStrip)
{
    const HMODULE core = basewnd_test::SuiteCore();
    struct Case
    {
        UINT flags, icon, strip;
    } cases[] = {{MB_ICONQUESTION, 1116, 1118}, {MB_ICONERROR, 1113, 1117}, {0x30, 1113, 1117},
                 {MB_ICONINFORMATION, 1115, 1102}, {0, 1115, 1102}};
    for (const Case& c : cases)
    {
        const testsupport::Capture icon = testsupport::LoadBitmapPixels(core, c.icon);
        const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, c.strip);
        std::string iconDiff, stripDiff;
        testsupport::Capture last;
        EXPECT_EQ(1, ShowAndInspect(L"Icons", c.flags, TRUE, [&](HWND, const testsupport::Capture& screen) {
                      last = screen;
                      iconDiff = testsupport::CompareRegion(screen, 18, 58, icon);
                      stripDiff = "";
                      for (int x = 6; stripDiff.empty() && x < screen.width - 6; x += 50)
                          stripDiff = testsupport::CompareRegion(screen, x, 29, strip); // tiled along row 29
                      return iconDiff.empty() && stripDiff.empty();
                  }));
        EXPECT_EQ("", iconDiff) << c.flags;
        EXPECT_EQ("", stripDiff) << c.flags;
        if (!iconDiff.empty() || !stripDiff.empty())
            testsupport::SaveCaptureForReview(last, L"msgbox_icon_" + std::to_wstring(c.flags));
    }
}

TEST(MsgBoxScreen, WithoutWrappingTheMarkUpIsDrawnAsPlainText)
{
    // Rendered, the mark-up leaves two short words; drawn with DrawText, every character shows.
    int ink[2] = {};
    for (const BOOL wrap : {TRUE, FALSE})
        ShowAndInspect(L"<b>Two</b> <i>words</i>", MB_OK, wrap, [&](HWND, const testsupport::Capture& screen) {
            ink[wrap] = testsupport::CountColour(screen, RECT{53, 55, screen.width - 17, screen.height - 45}, 0x48515A, 48);
            return ink[wrap] > 0;
        });
    EXPECT_GT(ink[TRUE], 0);
    EXPECT_GT(ink[FALSE], ink[TRUE] * 3 / 2);
}
