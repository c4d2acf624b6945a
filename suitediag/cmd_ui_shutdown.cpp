// "SuiteDiag ui shutdown": the real countdown over the shade of the sample main window, with a
// recording handler in place of ending the session. Delivers N ticks of timer 12 at once, and
// with --close tries Cancel, the close button and SC_CLOSE in turn; prints what it shows.
#include "ui_sample.h"
#include "ui_view.h"

#include <suitecore/shutdown.h>

#include <framework/exception.h>

#include <vector>

namespace suitediag
{
namespace
{
struct Request
{
    UINT flags;
    DWORD reason;
};
std::vector<Request> g_requests;

BOOL WINAPI RecordRequest(UINT flags, DWORD reason)
{
    g_requests.push_back({flags, reason});
    return TRUE;
}

// Puts the previous handler back on every way out.
class HandlerScope
{
public:
    explicit HandlerScope(SHUTDOWN_REQUEST_HANDLER pfn) : m_previous(SetShutdownRequestHandler(pfn)) {}
    ~HandlerScope() { SetShutdownRequestHandler(m_previous); }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    SHUTDOWN_REQUEST_HANDLER m_previous;
};

struct Script
{
    int ticks = 0;
    bool close = false;
    bool restart = false;
    // What the dialog showed once the script ran.
    bool ran = false;
    CString countdown;
    CString message;
    bool cancelVisible = false;
    bool open = false;
};
Script g_script;

BOOL CALLBACK FindCountdown(HWND hWnd, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CDlgShutDown)))
    {
        *reinterpret_cast<CDlgShutDown**>(lParam) = static_cast<CDlgShutDown*>(pWnd);
        return FALSE;
    }
    return TRUE;
}

CDlgShutDown* Countdown()
{
    CDlgShutDown* pDlg = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindCountdown, reinterpret_cast<LPARAM>(&pDlg));
    return pDlg;
}

// The dialog has ended once its shade's modal loop is told to stop (the windows go when the
// loop returns).
bool Ended(HWND hDlg)
{
    CWnd* pShade = ::IsWindow(hDlg) ? CWnd::FromHandlePermanent(::GetParent(hDlg)) : nullptr;
    return !pShade || !pShade->ContinueModal();
}

void RunScript(CDlgShutDown* pDlg)
{
    const HWND hDlg = pDlg->m_hWnd;
    for (int i = 0; i < g_script.ticks && !Ended(hDlg); ++i)
        ::SendMessageW(hDlg, WM_TIMER, ID_SHUTDOWN_TIMER, 0);
    if (g_script.close)
    {
        const HWND hClose = ::GetDlgItem(hDlg, IDC_SHUTDOWN_CLOSE);
        const MSG steps[] = {
            {hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0},
            {hDlg, WM_COMMAND, MAKEWPARAM(IDC_SHUTDOWN_CLOSE, BN_CLICKED), reinterpret_cast<LPARAM>(hClose)},
            {hDlg, WM_SYSCOMMAND, SC_CLOSE, 0},
        };
        for (const MSG& step : steps)
        {
            if (Ended(hDlg))
                break;
            ::SendMessageW(step.hwnd, step.message, step.wParam, step.lParam);
        }
    }
    g_script.open = !Ended(hDlg);
    g_script.countdown = pDlg->GetCountdownText();
    g_script.message = pDlg->GetMessageText();
    g_script.cancelVisible = pDlg->m_btnCancel.m_hWnd && (pDlg->m_btnCancel.GetStyle() & WS_VISIBLE);
}

void CALLBACK OnStart(HWND, UINT, UINT_PTR nID, DWORD)
{
    AfxCallbackBarrier([&] {
        CDlgShutDown* pDlg = Countdown();
        if (!pDlg)
            return; // not up yet: the timer comes again
        ::KillTimer(nullptr, nID);
        g_script.ran = true;
        RunScript(pDlg);
        // Whatever the script left open closes now.
        if (g_script.open)
            pDlg->EndShade();
    });
}

int RunShutdown(Args& args, BOOL)
{
    CString headline = L"Your scheduled scan has finished.";
    while (!args.Empty())
    {
        CString value;
        if (args.TakeOption(L"--restart"))
            g_script.restart = true;
        else if (args.TakeOptionValue(L"--headline", headline))
            continue;
        else if (args.TakeOptionValue(L"--ticks", value))
            g_script.ticks = _wtoi(value);
        else if (args.TakeOption(L"--close"))
            g_script.close = true;
        else
            throw UsageError{L"unknown option " + args.Next(L"option")};
    }
    HandlerScope handler(&RecordRequest);
    SampleMainHost host;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &OnStart);
    ShowShutdownDialog(host.Window(), g_script.restart ? 1 : 0, headline);
    ::KillTimer(nullptr, timer);
    if (!g_script.ran)
    {
        ErrLine(L"the countdown did not show");
        return 1;
    }
    OutFormat(L"countdown %s\n", static_cast<LPCWSTR>(g_script.countdown));
    OutFormat(L"message %s\n", static_cast<LPCWSTR>(g_script.message));
    OutLine(g_script.cancelVisible ? L"cancel visible" : L"cancel hidden");
    OutLine(g_script.open ? L"dialog open" : L"dialog closed");
    if (g_requests.empty())
        OutLine(L"request none");
    for (const Request& request : g_requests)
        OutFormat(L"request flags=%u reason=%lu\n", request.flags, request.reason);
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(shutdown, L"shutdown", L"[--restart] [--headline TEXT] [--ticks N] [--close]",
                  L"Shows the shutdown countdown with a recording handler; prints what it shows", false,
                  RunShutdown);
} // namespace suitediag
