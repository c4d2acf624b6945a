// A small tool on COrvaneApp, started by the application tests as a process of its own.
//   orvapp_probe NAME REPORT MODE [ARGS...]
// NAME is the application name, REPORT a file the probe appends its findings to, one line
// each, as they happen. Modes:
//   window       shows its main dialog (class "#32770", titled NAME) until it is closed; reports
//                the scheduler commands it decodes, and for each command whether the dialog's
//                routing handled it and whether the application did when handed it;
//   nowindow     holds the instance but shows no window titled NAME;
//   once         reports what the start-up settled, then ends;
//   runelevated  moves to REPORT's folder, calls RunElevated(ARGS joined by blanks) and ends;
//   record       reports its command line and folder before any start-up, then ends.
// Every mode reports "init I prev P" and the flags after InitInstance (except record).
#include "orvapp_probe.h"

#include <suitecore/app.h>
#include <suitecore/registry.h>

#include <framework/dialog.h>
#include <framework/exception.h>
#include <framework/handles.h>

#include <qmnhtm.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> Arguments()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
    if (argv)
        LocalFree(argv);
    args.resize(std::max<size_t>(args.size(), 4));
    return args;
}

const std::vector<std::wstring>& Args()
{
    static const std::vector<std::wstring> args = Arguments();
    return args;
}

void Report(const std::wstring& line)
{
    CUniqueFileHandle file(CreateFileW(Args()[2].c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    const std::wstring text = line + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size() - 1), &written, nullptr);
}

std::wstring CurrentFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return folder;
}

bool Holds(const HINSTANCE* list, UINT count, HINSTANCE wanted)
{
    for (UINT i = 0; i < count; ++i)
        if (list[i] == wanted)
            return true;
    return false;
}

const wchar_t* IconSource()
{
    HICON own = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SUITE_APP_ICON));
    HICON library = LoadIconW(GetModuleHandleW(L"suitecore.dll"), MAKEINTRESOURCEW(IDI_SUITE_APP_ICON));
    if (g_hAppIcon && g_hAppIcon == own)
        return L"own";
    if (g_hAppIcon && g_hAppIcon == library)
        return L"suitecore";
    return g_hAppIcon ? L"other" : L"none";
}

class CProbeDialog : public CDialog
{
public:
    CProbeDialog() : CDialog(IDD_PROBE) {}

protected:
    LRESULT OnScheduler(WPARAM, LPARAM lParam)
    {
        LPCWSTR command = DecodeSchedulerCommand(lParam);
        Report(std::wstring(L"scheduler ") + (command ? command : L"none"));
        return command ? 1 : 0;
    }

    // Commands below the framework's command range stay with a dialog; like a tool's main
    // window, the probe hands those it leaves unhandled to the application.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const UINT id = LOWORD(wParam);
        const BOOL routed = CDialog::OnCommand(wParam, lParam);
        BOOL app = FALSE;
        if (!routed && lParam == 0)
            app = AfxGetApp()->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
        Report(L"command " + std::to_wstring(id) + L" " + std::to_wstring(routed) + L" " + std::to_wstring(app));
        return routed || app;
    }

    void OnCancel() override { DestroyWindow(); }
    void PostNcDestroy() override { PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
    ON_REGISTERED_MESSAGE(g_nSchedulerMessage, &CProbeDialog::OnScheduler)
END_MESSAGE_MAP()

class CProbeApp : public COrvaneApp
{
public:
    CProbeApp() : COrvaneApp(Args()[1].c_str(), L"QMN.ini") {}

    BOOL InitApplication() override
    {
        if (Mode() != L"record")
            return COrvaneApp::InitApplication();
        Report(std::wstring(L"cmdline ") + GetCommandLineW());
        Report(L"cwd " + CurrentFolder());
        return FALSE;
    }

    BOOL InitInstance() override
    {
        const BOOL init = COrvaneApp::InitInstance();
        Report(L"init " + std::to_wstring(init) + L" prev " + std::to_wstring(g_bPrevInstanceFound));
        Report(L"flags schedule=" + std::to_wstring(g_bScheduledRun) + L" autofix=" + std::to_wstring(g_bAutoFix) +
               L" shutdown=" + std::to_wstring(g_bShutdownAfter) +
               L" activate-prev=" + std::to_wstring(g_bActivatePrevInstance));
        if (!init)
            return FALSE;
        if (Mode() == L"once")
        {
            ReportStartUp();
            return FALSE;
        }
        if (Mode() == L"runelevated")
            return RunElevatedFromElsewhere();
        if (Mode() == L"nowindow")
            return ShowHiddenWindow();
        if (!m_dialog.Create(IDD_PROBE))
            return FALSE;
        m_dialog.SetWindowText(g_strAppName);
        m_dialog.ShowWindow(SW_SHOWNORMAL);
        m_pMainWnd = &m_dialog;
        Report(L"ready");
        return TRUE;
    }

private:
    static const std::wstring& Mode() { return Args()[3]; }

    void ReportStartUp()
    {
        Report(L"mutex " + std::wstring(m_strInstanceName.GetString()));
        Report(L"build-for " + std::wstring(g_strBuildFor.GetString()));
        Report(L"settings-path " + std::wstring(m_pAppSettings ? m_pAppSettings->GetKeyPath().GetString() : L""));
        Report(L"cwd " + CurrentFolder());
        Report(L"riched20 " + std::to_wstring(GetModuleHandleW(L"riched20.dll") != nullptr));
        // Initialised already, this call only counts up (S_FALSE) and is undone at once.
        const HRESULT ole = OleInitialize(nullptr);
        if (SUCCEEDED(ole))
            OleUninitialize();
        Report(L"ole " + std::to_wstring(ole == S_FALSE));
        HINSTANCE instances[64] = {};
        const UINT count = QHTM_TestControl(QHTM_TEST_INSTANCES, instances, 64);
        Report(L"qhtm exe=" + std::to_wstring(Holds(instances, count, GetModuleHandleW(nullptr))) +
               L" suitecore=" + std::to_wstring(Holds(instances, count, GetModuleHandleW(L"suitecore.dll"))));
        Report(std::wstring(L"icon ") + IconSource());
        Report(L"elevation " + std::to_wstring(g_nElevationState) + L" admin-group " +
               std::to_wstring(IsUserInAdminGroup()) + L" elevated " + std::to_wstring(IsRunningElevated()));
        Report(L"allow " + std::to_wstring(AllowWindowMessage(WM_COPYDATA, 1)));
    }

    BOOL RunElevatedFromElsewhere()
    {
        std::wstring folder = Args()[2];
        folder.resize(folder.find_last_of(L'\\'));
        SetCurrentDirectoryW(folder.c_str());
        std::wstring parameters;
        for (size_t i = 4; i < Args().size(); ++i)
            parameters += (i > 4 ? L" \"" : L"\"") + Args()[i] + L"\"";
        Report(L"runelevated " + std::to_wstring(RunElevated(parameters.c_str(), FALSE)));
        return FALSE;
    }

    BOOL ShowHiddenWindow()
    {
        const CString title = g_strAppName + L" hidden";
        if (!m_hidden.CreateEx(0, L"STATIC", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
            return FALSE;
        m_pMainWnd = &m_hidden;
        Report(L"ready");
        return TRUE;
    }

    CProbeDialog m_dialog;
    CWnd m_hidden;
};

CProbeApp theApp;
} // namespace
