// The suite's window messages, registered when SuiteCore loads, reach a tool's message map.
#include <suitecore/appmessages.h>

#include <framework/window.h>

#include <gtest/gtest.h>

namespace
{
class ToolWindow : public CWnd
{
public:
    LRESULT OnScheduler(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(100 + wParam); }
    LRESULT OnBroadcast(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(200 + wParam); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ToolWindow, CWnd)
    ON_REGISTERED_MESSAGE(g_nSchedulerMessage, &ToolWindow::OnScheduler)
    ON_REGISTERED_MESSAGE(g_nBroadcastMessage, &ToolWindow::OnBroadcast)
END_MESSAGE_MAP()
} // namespace

TEST(SuiteMessages, AreRegisteredAtLoadAndReachAToolsMap)
{
    const UINT scheduler = RegisterWindowMessageW(
        L"QMN_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE{969BB502-2ABB-40c4-BF80-F1530EFEB273}");
    EXPECT_EQ(scheduler, g_nSchedulerMessage);
    ASSERT_GE(g_nBroadcastMessage, 0xC000u);
    EXPECT_NE(g_nSchedulerMessage, g_nBroadcastMessage);

    ToolWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"STATIC", L"tool", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(103, wnd.SendMessage(g_nSchedulerMessage, 3, 0));
    EXPECT_EQ(204, wnd.SendMessage(g_nBroadcastMessage, 4, 0));
    wnd.DestroyWindow();
}
