// The shutdown and restart countdown driven by real messages under the null driver, with the
// recording shutdown handler the test main installs: the countdown and its request, the action
// button, a handler without the privilege, and every way of closing it in both modes.
#include <suitecore/shutdown.h>

#include <testsupport/shutdown_recorder.h>
#include <testsupport/ui.h>

#include <framework/app.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

using testsupport::ShutdownRequest;

namespace
{
constexpr UINT WM_TEST_END = WM_APP + 77;
constexpr UINT WM_TEST_MARK = WM_APP + 78;

// A top-level window that stands in for the tool's main window.
struct MainWindow
{
    MainWindow()
    {
        wnd.CreateEx(0, L"STATIC", L"Shutdown test main", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr);
        app.m_pMainWnd = &wnd;
    }
    ~MainWindow()
    {
        app.m_pMainWnd = nullptr;
        wnd.DestroyWindow();
    }
    bool CloseQueued()
    {
        MSG msg;
        return PeekMessageW(&msg, wnd.m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
    }
    CWinApp app{L"ShutdownTests"};
    CWnd wnd;
};

// The countdown shown modeless, so that the test delivers its ticks itself.
struct Countdown
{
    explicit Countdown(BYTE restart)
    {
        testsupport::ClearShutdownRequests();
        dlg.m_bRestart = restart;
        dlg.m_bHostedInShade = 0;
        created = dlg.Create(IDD_SHUTDOWN, nullptr);
    }
    ~Countdown()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        testsupport::SetShutdownAnswer(TRUE);
    }
    void Tick(int count)
    {
        for (int i = 0; i < count; ++i)
            dlg.SendMessage(WM_TIMER, ID_SHUTDOWN_TIMER, 0);
    }
    CDlgShutDown dlg;
    BOOL created;
};

bool Visible(CWnd& wnd)
{
    return wnd.m_hWnd && (GetWindowLongW(wnd.m_hWnd, GWL_STYLE) & WS_VISIBLE);
}
} // namespace

TEST(ShutdownCountdown, CountsDownAndRequestsOnceAtTheEnd)
{
    struct Case
    {
        const char* name;
        BYTE restart;
        int ticks;
        bool action;   // the action button after the ticks
        BOOL answer;   // what the handler answers
        const wchar_t* countdown;
        const wchar_t* message;
        std::vector<ShutdownRequest> requests;
        bool closePosted;
    } cases[] = {
        {"shutdown start", 0, 0, false, TRUE, L"4 : 59", L"Your system will shutdown in 5 minute(s).", {}, false},
        {"shutdown 59", 0, 59, false, TRUE, L"3 : 59", L"Your system will shutdown in 4 minute(s).", {}, false},
        {"shutdown 294", 0, 294, false, TRUE, L"0 : 1", L"Your system will shutdown in 1 minute(s).", {}, false},
        {"shutdown 295", 0, 295, false, TRUE, nullptr, nullptr, {{1, 16}}, true},
        {"restart start", 1, 0, false, TRUE, L"0 : 59", L"Your system will restart in 1 minute(s).", {}, false},
        {"restart 59", 1, 59, false, TRUE, nullptr, nullptr, {{2, 16}}, true},
        {"action at tick 10", 0, 10, true, TRUE, L"4 : 49", nullptr, {{1, 16}}, true},
        {"no privilege", 0, 295, false, FALSE, nullptr, nullptr, {{1, 16}}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MainWindow main;
        Countdown countdown(c.restart);
        ASSERT_TRUE(countdown.created);
        testsupport::SetShutdownAnswer(c.answer);
        countdown.Tick(c.ticks);
        if (c.action)
            countdown.dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                      reinterpret_cast<LPARAM>(countdown.dlg.m_btnAction.m_hWnd));
        if (c.countdown)
        {
            EXPECT_EQ(c.countdown, std::wstring(countdown.dlg.GetCountdownText()));
        }
        if (c.message)
        {
            EXPECT_EQ(c.message, std::wstring(countdown.dlg.GetMessageText()));
        }
        EXPECT_EQ(c.requests, testsupport::ShutdownRequests());
        EXPECT_EQ(c.closePosted, main.CloseQueued());
        // The dialog stays either way: after a request Windows ends the session.
        EXPECT_TRUE(IsWindow(countdown.dlg.m_hWnd));
        // The timer runs until the last tick, and is not set again after it.
        const bool lastTickPassed = c.ticks == (c.restart ? 59 : 295);
        EXPECT_EQ(!lastTickPassed, KillTimer(countdown.dlg.m_hWnd, ID_SHUTDOWN_TIMER) != FALSE);
        if (c.restart && c.ticks == 0)
        {
            EXPECT_FALSE(Visible(countdown.dlg.m_btnCancel));
            EXPECT_FALSE(countdown.dlg.m_btnCancel.IsWindowEnabled());
            EXPECT_EQ(L"Restart", testsupport::WindowText(countdown.dlg.m_btnAction.m_hWnd));
        }
        if (!c.restart && c.ticks == 0)
        {
            EXPECT_TRUE(Visible(countdown.dlg.m_btnCancel));
            EXPECT_EQ(L"Shutdown", testsupport::WindowText(countdown.dlg.m_btnAction.m_hWnd));
        }
    }
}

namespace
{
// The countdown over the shade, ended on the test's word once the case has looked at it.
class CEndableShutDown : public CDlgShutDown
{
public:
    LRESULT OnTestEnd(WPARAM, LPARAM)
    {
        EndShade();
        return 0;
    }
    // Posted after the case's message: once it is handled, so is the case's message, and
    // the countdown was still up to see it.
    LRESULT OnTestMark(WPARAM, LPARAM)
    {
        marked = true;
        return 0;
    }
    std::atomic<bool> marked{false};

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEndableShutDown, CDlgShutDown)
    ON_MESSAGE(WM_TEST_END, &CEndableShutDown::OnTestEnd)
    ON_MESSAGE(WM_TEST_MARK, &CEndableShutDown::OnTestMark)
END_MESSAGE_MAP()
} // namespace

TEST(ShutdownCountdown, OnlyAShutdownCanBeCancelledAndEveryClosePathAgrees)
{
    struct Case
    {
        const char* name;
        BYTE restart;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool ends;
    } cases[] = {
        {"shutdown: Cancel", 0, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, true},
        {"shutdown: close button", 0, WM_COMMAND, MAKEWPARAM(IDC_SHUTDOWN_CLOSE, BN_CLICKED), 0, true},
        {"restart: Cancel", 1, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, false},
        {"restart: close button", 1, WM_COMMAND, MAKEWPARAM(IDC_SHUTDOWN_CLOSE, BN_CLICKED), 0, false},
        {"restart: SC_CLOSE", 1, WM_SYSCOMMAND, SC_CLOSE, 0, false},
        {"restart: Alt+F4", 1, WM_SYSKEYDOWN, VK_F4, 0x20000001, false},
        {"restart: Escape", 1, WM_KEYDOWN, VK_ESCAPE, 0x00010001, false},
        {"restart: WM_CLOSE", 1, WM_CLOSE, 0, 0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MainWindow main;
        testsupport::ClearShutdownRequests();
        struct Seen
        {
            bool endedByCase = false;
            std::wstring countdownAfter;
        } seen;
        CEndableShutDown dlg;
        dlg.m_bRestart = c.restart;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", c.restart ? L"Restart Alert" : L"Shutdown Alert", [&](HWND popup) {
            HWND shade = GetParent(popup);
            // Both go through the modal loop in order (no fixed wait, which a loaded machine
            // outlasts): the mark is handled only if the case's message left the countdown up.
            PostMessageW(popup, c.message, c.wParam, c.lParam);
            PostMessageW(popup, WM_TEST_MARK, 0, 0);
            testsupport::WaitUntil([&] { return dlg.marked || !IsWindowVisible(shade); });
            seen.endedByCase = !dlg.marked;
            if (seen.endedByCase)
                return;
            // Still counting: one more tick moves it on.
            SendMessageW(popup, WM_TIMER, ID_SHUTDOWN_TIMER, 0);
            seen.countdownAfter = dlg.GetCountdownText().GetString();
            PostMessageW(popup, WM_TEST_END, 0, 0);
        });
        const int result = DoModalShaded(&main.wnd, &dlg, IDD_SHUTDOWN);
        ASSERT_TRUE(answers.WaitForFinishedActions(1));
        ASSERT_EQ(1u, answers.Seen().size());
        EXPECT_EQ(c.ends, seen.endedByCase);
        if (c.ends)
        {
            EXPECT_EQ(IDCANCEL, result);
        }
        else
        {
            // Counting on (its own timer ticks too): below the start, still in the first minute.
            EXPECT_NE(L"0 : 59", seen.countdownAfter);
            EXPECT_EQ(L"0 : 5", seen.countdownAfter.substr(0, 5));
        }
        EXPECT_TRUE(testsupport::ShutdownRequests().empty());
        EXPECT_EQ(nullptr, dlg.m_hWnd);
    }
}

TEST(ShutdownCountdown, LauncherShowsTheHeadlineOverTheShadeAndHandlersChain)
{
    MainWindow main;
    testsupport::ScriptedAnswers answers;
    std::wstring title;
    answers.On(L"#32770", L"Shutdown Alert", [&](HWND popup) {
        title = testsupport::WindowText(popup);
        RECT rc{};
        GetWindowRect(popup, &rc);
        EXPECT_EQ(630, rc.right - rc.left);
        EXPECT_EQ(365, rc.bottom - rc.top);
        PostMessageW(popup, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDCANCEL, ShowShutdownDialog(&main.wnd, 0, L"Scan finished"));
    EXPECT_EQ(L"Shutdown Alert", title);

    // Installing hands back the one before; null puts the default back, which is never
    // left in place here.
    const SHUTDOWN_REQUEST_HANDLER recorder = SetShutdownRequestHandler(&testsupport::RecordShutdownRequest);
    EXPECT_EQ(&testsupport::RecordShutdownRequest, recorder);
    const SHUTDOWN_REQUEST_HANDLER fallback = SetShutdownRequestHandler(nullptr);
    EXPECT_EQ(&testsupport::RecordShutdownRequest, fallback);
    const SHUTDOWN_REQUEST_HANDLER defaultHandler = SetShutdownRequestHandler(&testsupport::RecordShutdownRequest);
    EXPECT_NE(nullptr, defaultHandler);
    EXPECT_NE(&testsupport::RecordShutdownRequest, defaultHandler);
}
