// Network.dll stand-in: the outside upload library the feedback form calls through its export
// number 14. It records every call instead of sending anything:
//   NETWORK_STANDIN_LOG       file that gets one UTF-8 line a call: file name, tab, payload,
//                             tab, the calling thread's id, line feed (nothing when unset);
//   NETWORK_STANDIN_DELAY_MS  milliseconds to wait before answering (default 0);
//   NETWORK_STANDIN_RESULT    the answer (default 1, accepted).
#include <windows.h>

#include <cwchar>
#include <string>

namespace
{
std::wstring Environment(LPCWSTR name)
{
    wchar_t value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return length && length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

int EnvironmentNumber(LPCWSTR name, int fallback)
{
    const std::wstring text = Environment(name);
    return text.empty() ? fallback : static_cast<int>(wcstol(text.c_str(), nullptr, 10));
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void Record(LPCWSTR payload, LPCWSTR fileName)
{
    const std::wstring log = Environment(L"NETWORK_STANDIN_LOG");
    if (log.empty())
        return;
    std::wstring line = fileName ? fileName : L"";
    line += L'\t';
    line += payload ? payload : L"";
    line += L'\t';
    line += std::to_wstring(GetCurrentThreadId());
    line += L'\n';
    const std::string bytes = Utf8(line);
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}
} // namespace

extern "C" int WINAPI Upload(LPCWSTR payload, LPCWSTR fileName)
{
    Record(payload, fileName);
    const int delay = EnvironmentNumber(L"NETWORK_STANDIN_DELAY_MS", 0);
    if (delay > 0)
        Sleep(static_cast<DWORD>(delay));
    return EnvironmentNumber(L"NETWORK_STANDIN_RESULT", 1);
}
