// "SuiteDiag ui main": the sample tool window, single instance as every tool.
#include "ui_sample.h"
#include "ui_view.h"

#include <framework/app.h>

namespace suitediag
{
namespace
{
int RunMain(Args& args, BOOL initialised)
{
    bool dumpMenus = false;
    while (!args.Empty())
    {
        if (args.TakeOption(L"--dump-menus"))
            dumpMenus = true;
        else
            args.Next(L"switch"); // the scheduled-run switches, read by InitInstance itself
    }
    // A second instance activated the first one or handed its command over.
    if (!initialised)
        return 1;
    CSampleMainWnd main;
    main.m_bDumpMenus = dumpMenus;
    main.m_bReport = true;
    CWinApp* pApp = AfxGetApp();
    if (pApp)
        pApp->m_pMainWnd = &main;
    main.DoModal();
    if (pApp)
        pApp->m_pMainWnd = nullptr;
    OutLine(L"closed");
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(main, L"main", L"[--dump-menus] [SWITCHES...]",
                  L"Shows the sample tool window (single instance; prints ready, minmax, scheduler lines)", true,
                  RunMain);
} // namespace suitediag
