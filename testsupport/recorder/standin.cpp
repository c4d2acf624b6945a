// Stands in for the suite's backup program (built with STANDIN_BACKUP) and its scheduler in the
// first-run tests, copied beside the test program as Keepsafe.exe and Tasklane.exe. Each run
// appends one record to the file named by STANDIN_LOG, UTF-8, written whole when the run ends:
//   program=<own image path>
//   command=<command line>
//   folder=<current folder>
//   show=<wShowWindow, or -1 without STARTF_USESHOWWINDOW>
//   clean=<CLEANFINISHED as it found it, or none>
//   start=<system time in ms>   end=<system time in ms>
//   exit=<exit code>
//   ----
// The backup stand-in, given "runhiddenScan", sleeps KEEPSAFE_SLEEP_MS, then sets CLEANFINISHED
// = 1 under HKCU\Software\orvane\QMN3\SwiftMend\Vaultline unless KEEPSAFE_SKIP_FLAG is set, and
// exits with KEEPSAFE_EXIT_CODE (0 when unset).
#include <windows.h>

#include <cwchar>
#include <string>

namespace
{
std::string Utf8(const std::wstring& text)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Env(LPCWSTR name)
{
    wchar_t value[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n && n < 1024 ? std::wstring(value, n) : std::wstring();
}

unsigned long long NowMs()
{
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    return ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
}

void Append(const std::wstring& path, const std::string& record)
{
    // Appends whole, with retries while another stand-in holds the file.
    for (int attempt = 0; attempt < 200; ++attempt)
    {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
        {
            DWORD written = 0;
            WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(25);
    }
}

std::string CleanFinished()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\orvane\\QMN3\\SwiftMend\\Vaultline", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return "none";
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExW(key, L"CLEANFINISHED", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? std::to_string(value) : std::string("none");
}

#ifdef STANDIN_BACKUP
void SetCleanFinished()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\orvane\\QMN3\\SwiftMend\\Vaultline", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD one = 1;
    RegSetValueExW(key, L"CLEANFINISHED", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
}

int Run()
{
    if (!wcsstr(GetCommandLineW(), L"runhiddenScan"))
        return 0;
    Sleep(static_cast<DWORD>(_wtoi(Env(L"KEEPSAFE_SLEEP_MS").c_str())));
    if (Env(L"KEEPSAFE_SKIP_FLAG").empty())
        SetCleanFinished();
    return _wtoi(Env(L"KEEPSAFE_EXIT_CODE").c_str());
}
#else
int Run()
{
    return 0;
}
#endif
} // namespace

int wmain()
{
    const unsigned long long start = NowMs();
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    const std::string clean = CleanFinished();

    const int exitCode = Run();

    const std::wstring log = Env(L"STANDIN_LOG");
    if (!log.empty())
        Append(log, "program=" + Utf8(self) + "\ncommand=" + Utf8(GetCommandLineW()) + "\nfolder=" + Utf8(folder) +
                        "\nshow=" + std::to_string(show) + "\nclean=" + clean + "\nstart=" + std::to_string(start) +
                        "\nend=" + std::to_string(NowMs()) + "\nexit=" + std::to_string(exitCode) + "\n----\n");
    return exitCode;
}
