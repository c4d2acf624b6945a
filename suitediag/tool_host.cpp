#include "tool_host.h"

#include <suitecore/app.h>

#include <framework/module.h>

namespace
{
class CSuiteDiagApp : public COrvaneApp
{
public:
    CSuiteDiagApp() : COrvaneApp(L"SuiteDiag", L"QMN.ini") {}
};

// Ends the console host on every way out.
class ConsoleHost
{
public:
    ConsoleHost() { m_bStarted = AfxWinInit(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_HIDE); }
    ~ConsoleHost() { AfxWinTerm(); }
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;
    BOOL Started() const { return m_bStarted; }

private:
    BOOL m_bStarted = FALSE;
};

// Runs the application's ExitInstance on every way out.
class AppExit
{
public:
    explicit AppExit(CWinApp& app) : m_app(app) {}
    ~AppExit() { m_app.ExitInstance(); }
    AppExit(const AppExit&) = delete;
    AppExit& operator=(const AppExit&) = delete;

private:
    CWinApp& m_app;
};
} // namespace

namespace suitediag
{
int RunInToolHost(bool bKeepActivatePrev, const std::function<int(BOOL initialised)>& fn)
{
    CSuiteDiagApp app;
    if (!bKeepActivatePrev)
        g_bActivatePrevInstance = 0;
    ConsoleHost host;
    const BOOL initialised = host.Started() && app.InitApplication() && app.InitInstance();
    AppExit exit(app);
    return fn(initialised);
}
} // namespace suitediag
