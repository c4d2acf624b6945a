// The restart countdown and the first-run wizard on a real screen: the red countdown, keys
// held the way a user holds them (which never cancel a restart), and the wizard's green "Done".
#include <suitecore/firstrun.h>
#include <suitecore/shutdown.h>

#include <testsupport/shutdown_recorder.h>
#include <testsupport/ui.h>

#include <framework/app.h>

#include <gtest/gtest.h>

#include <srrestoreptapi.h>

#include <functional>

namespace
{
constexpr UINT WM_TEST_END = WM_APP + 78;

struct Owner
{
    Owner()
    {
        wnd.CreateEx(0, L"STATIC", L"Display test main", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr);
        app.m_pMainWnd = &wnd;
    }
    ~Owner()
    {
        app.m_pMainWnd = nullptr;
        wnd.DestroyWindow();
    }
    CWinApp app{L"SystemDisplayTests"};
    CWnd wnd;
};

class CEndableShutDown : public CDlgShutDown
{
public:
    LRESULT OnTestEnd(WPARAM, LPARAM)
    {
        EndShade();
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEndableShutDown, CDlgShutDown)
    ON_MESSAGE(WM_TEST_END, &CEndableShutDown::OnTestEnd)
END_MESSAGE_MAP()

testsupport::Capture CaptureWhen(HWND window, const std::function<bool(const testsupport::Capture&)>& ready)
{
    testsupport::Capture screen;
    testsupport::WaitUntil(
        [&] {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            screen = testsupport::CaptureClient(window);
            return screen.width > 0 && ready(screen);
        },
        20000);
    return screen;
}

void FocusFromOutside(HWND window)
{
    SetForegroundWindow(window);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(window);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    Sleep(200);
}

// A restore point that takes its time, so that the first "Done" can be looked at.
BOOL WINAPI SlowSet(PRESTOREPOINTINFOW, PSTATEMGRSTATUS status)
{
    Sleep(3000);
    status->llSequenceNumber = 1;
    return TRUE;
}
HMODULE FakeLoad(LPCWSTR)
{
    return reinterpret_cast<HMODULE>(0x5A5A0000);
}
FARPROC FakeFind(HMODULE, LPCSTR name)
{
    return strcmp(name, "SRSetRestorePointW") == 0 ? reinterpret_cast<FARPROC>(&SlowSet) : nullptr;
}
BOOL FakeFree(HMODULE)
{
    return TRUE;
}
const AFX_LIBRARY_BINDER kSlowBinder = {&FakeLoad, &FakeFind, &FakeFree};
} // namespace

TEST(SystemScreens, RestartCountdownIsRedAndHeldKeysNeverCancelIt)
{
    Owner owner;
    testsupport::ClearShutdownRequests();
    CEndableShutDown dlg;
    dlg.m_bRestart = 1;
    dlg.m_strHeadline = L"Optimization finished";
    int red = 0;
    bool openAfterEscape = false;
    bool openAfterAltF4 = false;
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Restart Alert", [&](HWND popup) {
        const testsupport::Capture screen = CaptureWhen(popup, [](const testsupport::Capture& s) {
            return testsupport::CountColour(s, RECT{530, 53, 590, 80}, 0xFF0000, 40) > 10;
        });
        red = testsupport::CountColour(screen, RECT{530, 53, 590, 80}, 0xFF0000, 40);
        if (red <= 10)
        {
            ADD_FAILURE() << testsupport::Utf8(testsupport::SaveCaptureForReview(screen, L"RestartCountdown"));
        }
        FocusFromOutside(popup);
        {
            testsupport::HeldKey escape(VK_ESCAPE);
            Sleep(500);
        }
        openAfterEscape = IsWindowVisible(GetParent(popup)) != FALSE;
        {
            testsupport::HeldKey alt(VK_MENU);
            testsupport::PressKey(VK_F4);
            Sleep(500);
        }
        openAfterAltF4 = IsWindowVisible(GetParent(popup)) != FALSE;
        PostMessageW(popup, WM_TEST_END, 0, 0);
    });
    DoModalShaded(&owner.wnd, &dlg, IDD_SHUTDOWN);
    ASSERT_EQ(1u, answers.Seen().size());
    EXPECT_EQ(L"Restart Alert", answers.Seen()[0].title);
    EXPECT_GT(red, 10);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(openAfterAltF4);
    EXPECT_TRUE(testsupport::ShutdownRequests().empty());
}

TEST(SystemScreens, WizardMarksTheFirstOperationDoneInGreen)
{
    Owner owner;
    CRestorePointOnce once;
    CDlgAfterInstallWiz wizard;
    wizard.m_pRestoreBinder = &kSlowBinder;
    wizard.m_pRestoreOnce = &once;
    int green = 0;
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Welcome Wizard", [&](HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        const RECT beside = {client.right - 238, 141, client.right - 100, 161};
        const testsupport::Capture screen = CaptureWhen(window, [&](const testsupport::Capture& s) {
            return testsupport::CountColour(s, beside, 0x56B656, 40) > 10;
        });
        green = testsupport::CountColour(screen, beside, 0x56B656, 40);
        if (green <= 10)
        {
            ADD_FAILURE() << testsupport::Utf8(testsupport::SaveCaptureForReview(screen, L"WizardDone"));
        }
    });
    EXPECT_EQ(IDOK, DoModalShaded(&owner.wnd, &wizard, IDD_AFTER_INSTALL_WIZARD));
    EXPECT_GT(green, 10);
}
