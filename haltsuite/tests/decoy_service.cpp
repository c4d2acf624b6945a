// A real Win32 service standing in for the suite's disk-optimizer service. While it runs it
// holds a named mutex, as the real service does, and it writes each control it receives to a
// log file, so tests can count the stop requests.
//   decoy_service NAME MUTEX [--log FILE] [--stop-delay MS] [--minutes M]
// --stop-delay MS: after a stop request the service stays stop-pending and keeps its mutex
// that long, as a service finishing its work does. It stops by itself after M minutes
// (default 5).
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace
{
struct Settings
{
    std::wstring name;
    std::string mutex;
    std::wstring log;
    DWORD stopDelay = 0;
    DWORD minutes = 5;
};

Settings g_settings;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
HANDLE g_stopEvent = nullptr;

void Log(const char* line)
{
    if (g_settings.log.empty())
        return;
    HANDLE file = CreateFileW(g_settings.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    const std::string text = std::string(line) + "\n";
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void Report(DWORD state)
{
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    g_status.dwWin32ExitCode = NO_ERROR;
    g_status.dwWaitHint = state == SERVICE_STOP_PENDING ? 3000 : 0;
    SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID)
{
    try
    {
        switch (control)
        {
        case SERVICE_CONTROL_STOP:
            Log("stop");
            Report(SERVICE_STOP_PENDING);
            SetEvent(g_stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            Log("interrogate");
            SetServiceStatus(g_statusHandle, &g_status);
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
    }
    catch (...)
    {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*)
{
    try
    {
        g_statusHandle = RegisterServiceCtrlHandlerExW(g_settings.name.c_str(), &Handler, nullptr);
        if (!g_statusHandle)
            return;
        g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE mutex = CreateMutexA(nullptr, TRUE, g_settings.mutex.c_str());
        Report(SERVICE_RUNNING);
        Log("running");
        WaitForSingleObject(g_stopEvent, g_settings.minutes * 60 * 1000);
        Sleep(g_settings.stopDelay);
        if (mutex)
            CloseHandle(mutex);
        Log("stopped");
        Report(SERVICE_STOPPED);
    }
    catch (...)
    {
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    g_settings.name = argv[1];
    char mutex[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, argv[2], -1, mutex, MAX_PATH, nullptr, nullptr);
    g_settings.mutex = mutex;
    for (int i = 3; i + 1 < argc; i += 2)
    {
        const std::wstring option = argv[i];
        if (option == L"--log")
            g_settings.log = argv[i + 1];
        else if (option == L"--stop-delay")
            g_settings.stopDelay = wcstoul(argv[i + 1], nullptr, 10);
        else if (option == L"--minutes")
            g_settings.minutes = wcstoul(argv[i + 1], nullptr, 10);
    }
    LocalFree(argv);

    SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(g_settings.name.c_str()), &ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
