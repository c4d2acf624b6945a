// A program with an application object, run by app_tests.cpp. It prints the steps it went
// through to its standard output; its command line chooses what InitInstance does:
//   run     shows a main window, runs the loop and quits at idle (exit code 3);
//   refuse  InitInstance answers FALSE (exit code 7, ExitInstance's);
//   msgbox  shows a message box and prints its title.
// Built twice: as a windows program whose wWinMain comes from framework_winmain, and as a
// console program (CONSOLE_HOST) that constructs its application object at run time.
#include <framework/app.h>
#include <framework/exception.h>
#include <framework/module.h>
#include <framework/msgbox.h>
#include <framework/window.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace
{
void Print(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Narrow(LPCWSTR text)
{
    std::string out;
    for (; text && *text; ++text)
        out += static_cast<char>(*text < 128 ? *text : '?');
    return out;
}

BOOL CALLBACK CloseBox(HWND hWnd, LPARAM)
{
    return AfxCallbackBarrier(
        [&]
        {
            wchar_t className[16] = {};
            GetClassNameW(hWnd, className, 16);
            if (wcscmp(className, L"#32770") != 0)
                return TRUE;
            wchar_t title[64] = {};
            GetWindowTextW(hWnd, title, 64);
            Print("box title: " + Narrow(title));
            PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
            return FALSE;
        },
        FALSE);
}

void AnswerBoxes(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    // The enumeration stops (FALSE) at the box it closed.
    if (!EnumThreadWindows(GetCurrentThreadId(), &CloseBox, 0))
        KillTimer(nullptr, nIDEvent);
}

class CProbeApp : public CWinApp
{
public:
    BOOL InitApplication() override
    {
        Print("InitApplication");
        return CWinApp::InitApplication();
    }

    BOOL InitInstance() override
    {
        Print("InitInstance");
        Print(std::string("app same: ") + (AfxGetApp() == this ? "1" : "0"));
        Print("name: " + Narrow(AfxGetAppName()) + " / " + Narrow(m_pszAppName));
        const std::wstring command = m_lpCmdLine ? m_lpCmdLine : L"";
        if (command.find(L"refuse") != std::wstring::npos)
            return FALSE;
        if (command.find(L"msgbox") != std::wstring::npos)
        {
            SetTimer(nullptr, 0, 50, AfxTimerProcBarrier<&AnswerBoxes>);
            AfxMessageBox(L"hello", MB_OK);
            return FALSE;
        }
        if (!m_main.CreateEx(0, L"STATIC", L"probe main", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr))
            return FALSE;
        m_pMainWnd = &m_main;
        Print(std::string("main same: ") + (AfxGetMainWnd() == &m_main ? "1" : "0"));

        // A temporary object taken here outlives messages to framework windows.
        m_hPlain = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        CWnd* pTemp = CWnd::FromHandle(m_hPlain);
        m_main.SendMessage(WM_NULL);
        Print("temps after send: " + std::to_string(AfxGetTempObjectCount()) +
              (CWnd::FromHandle(m_hPlain) == pTemp && pTemp->m_hWnd == m_hPlain ? " same" : " other"));
        return TRUE;
    }

    BOOL OnIdle(LONG lCount) override
    {
        const BOOL more = CWinApp::OnIdle(lCount);
        if (!m_bQuitting && lCount <= 1)
        {
            Print("idle " + std::to_string(lCount) + " temps " + std::to_string(AfxGetTempObjectCount()));
            if (lCount == 1)
            {
                m_bQuitting = true;
                PostQuitMessage(3);
            }
        }
        return more;
    }

    int ExitInstance() override
    {
        Print("ExitInstance");
        if (m_hPlain)
            DestroyWindow(m_hPlain);
        m_main.DestroyWindow();
        const int code = CWinApp::ExitInstance();
        const std::wstring command = m_lpCmdLine ? m_lpCmdLine : L"";
        return command.find(L"refuse") != std::wstring::npos ? 7 : code;
    }

private:
    CWnd m_main;
    HWND m_hPlain = nullptr;
    bool m_bQuitting = false;
};
} // namespace

#ifdef CONSOLE_HOST
int main()
{
    Print("host: console");
    CProbeApp app; // constructed at run time
    LPWSTR commandLine = GetCommandLineW();
    if (!AfxWinInit(GetModuleHandleW(nullptr), nullptr, commandLine, SW_HIDE))
        return 1;
    int code = -1;
    if (app.InitApplication())
        code = app.InitInstance() ? app.Run() : app.ExitInstance();
    AfxWinTerm();
    return code;
}
#else
CProbeApp theApp;
#endif
