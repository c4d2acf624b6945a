// "SuiteDiag ui launcher|pane|fade [--for MS]": the launcher window, the navigation pane and
// the fade overlay as users see them, shown for MS milliseconds (default 3000) and then closed.
//   launcher: three tabs, whose callback refuses the third;
//   pane:     eight navigation buttons with their pages, the second selected;
//   fade:     a window painted red, then faded.
#include "ui_sample_ids.h"
#include "ui_view.h"

#include <suitecore/app.h>
#include <suitecore/ui/fadewnd.h>
#include <suitecore/ui/launcher.h>

#include <framework/app.h>

#include <memory>

namespace suitediag
{
namespace
{
constexpr int kDefaultShowMs = 3000;

int ShowTime(Args& args)
{
    int ms = kDefaultShowMs;
    while (!args.Empty())
    {
        CString value;
        if (args.TakeOptionValue(L"--for", value))
            ms = _wtoi(value);
        else
            throw UsageError{L"unknown option " + args.Next(L"option")};
    }
    if (ms < 0)
        throw UsageError{L"--for takes a number of milliseconds"};
    return ms;
}

// Runs the thread's messages for the time, or until a WM_QUIT or the window is gone.
void RunFor(HWND hWnd, int ms)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(ms) || !IsWindow(hWnd))
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms) - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                OutLine(L"quit");
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int RefuseThirdTab(CDlgBaseAppDlg*, int nCode)
{
    OutFormat(L"tab %d\n", nCode);
    return nCode != 13;
}

void FillList(CStringList& list, std::initializer_list<LPCWSTR> items)
{
    for (LPCWSTR item : items)
        list.AddTail(item);
}

int RunLauncher(Args& args, BOOL)
{
    const int ms = ShowTime(args);
    LauncherConfig config;
    config.hIcon = g_hAppIcon;
    config.nTabCount = 3;
    FillList(config.tabCaptions, {L"Status", L"Clean Up", L"Tools"});
    config.strSysMenuFirst = L"About SuiteDiag";
    config.strTitle = L"SuiteDiag Launcher";
    config.pfnTabCallback = &RefuseThirdTab;
    CDlgBaseAppDlg launcher;
    launcher.ConfigureLauncher(config);
    launcher.SetDatabaseDate(L"08/12/2026");
    if (!launcher.Create(IDD_LAUNCHER, nullptr))
        return 1;
    CStatic pages[3];
    LPCWSTR texts[] = {L"The status page.", L"The clean-up page.", L"The tools page."};
    for (int i = 0; i < 3; ++i)
    {
        pages[i].Create(texts[i], WS_CHILD | SS_LEFT, RECT{40, 100, 700, 130}, &launcher);
        pages[i].SetFont(&g_fntNormal, FALSE);
        launcher.SetTabPage(i, &pages[i]);
    }
    launcher.SelectTab(0);
    launcher.ShowWindow(SW_SHOW);
    OutLine(L"ready");
    RunFor(launcher.m_hWnd, ms);
    if (launcher.m_hWnd)
        launcher.DestroyWindow();
    OutLine(L"closed");
    return 0;
}

void ReportNavigation(CDlgLeftDlgBase*, int nCode)
{
    OutFormat(L"navigation %d\n", nCode);
}

int RunPane(Args& args, BOOL)
{
    const int ms = ShowTime(args);
    LauncherConfig config;
    config.hIcon = g_hAppIcon;
    config.strTitle = L"SuiteDiag Pane";
    CDlgBaseAppDlg host;
    host.ConfigureLauncher(config);
    if (!host.Create(IDD_LAUNCHER, nullptr))
        return 1;
    CDlgLeftDlgBase pane(&host);
    pane.SetNavigationCallback(&ReportNavigation);
    if (!pane.Create(IDD_LEFT_PANE, &host))
        return 1;
    pane.SetWindowPos(nullptr, 6, 66, 168 + CDlgLeftSideChild::kWidth, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
    CStringList captions;
    FillList(captions, {L"Overview", L"Registry", L"Disk", L"Privacy", L"Tune-up", L"Backup", L"Tools", L"About"});
    pane.AddNavigationButtons(8, captions);
    std::unique_ptr<CDlgLeftSideChild> pages[8];
    POSITION pos = captions.GetHeadPosition();
    for (int i = 0; i < 8; ++i)
    {
        pages[i] = std::make_unique<CDlgLeftSideChild>(IDD_SUITEDIAG_PAGE, &pane);
        if (pages[i]->Create(IDD_SUITEDIAG_PAGE, &pane))
        {
            pages[i]->SetWindowText(captions.GetNext(pos));
            pages[i]->SetWindowPos(nullptr, 168, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
            pane.SetPage(i, pages[i].get());
        }
    }
    pane.SelectNavigationButton(1);
    host.ShowWindow(SW_SHOW);
    OutLine(L"ready");
    RunFor(host.m_hWnd, ms);
    for (auto& page : pages)
        if (page && page->m_hWnd)
            page->DestroyWindow();
    if (pane.m_hWnd)
        pane.DestroyWindow();
    if (host.m_hWnd)
        host.DestroyWindow();
    OutLine(L"closed");
    return 0;
}

// A top-level window painted pure red.
class CRedWindow : public CWnd
{
public:
    BOOL Make()
    {
        m_brush.CreateSolidBrush(RGB(255, 0, 0));
        LPCWSTR cls = AfxRegisterWndClass(0, LoadCursorW(nullptr, IDC_ARROW), m_brush);
        return cls && CreateEx(0, cls, L"Fade target", WS_POPUP | WS_CAPTION | WS_VISIBLE, 80, 60, 480, 320, nullptr,
                               nullptr);
    }

private:
    CBrush m_brush;
};

int RunFade(Args& args, BOOL)
{
    const int ms = ShowTime(args);
    CRedWindow target;
    if (!target.Make())
        return 1;
    target.UpdateWindow();
    RunFor(target.m_hWnd, 500);
    ShowFade(&target, RGB(255, 255, 255), RGB(0, 0, 0));
    HWND hFade = FindWindowW(CFadeWnd::ClassName(), L"Fade target");
    OutLine(hFade ? L"ready" : L"no overlay");
    RunFor(target.m_hWnd, ms);
    if (hFade && IsWindow(hFade))
        DestroyWindow(hFade);
    target.DestroyWindow();
    OutLine(L"closed");
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(launcher, L"launcher", L"[--for MS]",
                  L"Shows the launcher with three tabs (the third refused) for MS milliseconds", false, RunLauncher);
SUITEDIAG_UI_VIEW(pane, L"pane", L"[--for MS]",
                  L"Shows the navigation pane with eight buttons and pages, the second selected", false, RunPane);
SUITEDIAG_UI_VIEW(fade, L"fade", L"[--for MS]", L"Fades a red window for MS milliseconds", false, RunFade);
} // namespace suitediag
