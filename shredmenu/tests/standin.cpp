// Stands in for the suite's secure-delete and secure-encrypt programs in tests and the demo.
// Copied beside the tests as ShredTool.exe and SealTool.exe, it records what it was given:
//   <own name>.cmdline    its command line, UTF-8;
//   <own name>.selection  a copy of the file named after "-FileFolder ".
// It then deletes the selection file, which it owns. Each record appears whole (written
// under another name, then renamed), so a waiting test never reads half of one.
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

std::string ReadWhole(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}
} // namespace

int wmain()
{
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    const std::wstring record(self, n);
    const std::wstring commandLine = GetCommandLineW();

    const std::wstring marker = L"-FileFolder ";
    const size_t at = commandLine.find(marker);
    if (at != std::wstring::npos)
    {
        const std::wstring selection = commandLine.substr(at + marker.size());
        WriteWhole(record + L".selection", ReadWhole(selection));
        DeleteFileW(selection.c_str());
    }
    return WriteWhole(record + L".cmdline", Utf8(commandLine)) ? 0 : 1;
}
