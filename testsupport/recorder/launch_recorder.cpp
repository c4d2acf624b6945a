// Stands in for the suite's outside programs (and for the browser, as the prefix's http and
// https handler) in tests: it records how it was started in "<own path>.record", UTF-8:
//   line 1: the command line
//   line 2: the working folder
//   line 3: wShowWindow of its start-up information, or -1 when STARTF_USESHOWWINDOW was unset
// The record appears whole (written under another name, then renamed), so a waiting test
// never reads half of one. Copies under other names record beside themselves.
#include <windows.h>

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

bool WriteWhole(const std::wstring& path, const std::string& bytes)
{
    const std::wstring part = path + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok && MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}
} // namespace

int wmain()
{
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    wchar_t folder[MAX_PATH] = {};
    const DWORD f = GetCurrentDirectoryW(MAX_PATH, folder);
    if (f == 0 || f >= MAX_PATH)
        return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    const std::string record = Utf8(GetCommandLineW()) + "\n" + Utf8(folder) + "\n" + std::to_string(show) + "\n";
    return WriteWhole(std::wstring(self, n) + L".record", record) ? 0 : 1;
}
