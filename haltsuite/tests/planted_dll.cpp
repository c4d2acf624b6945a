// A DLL that tests plant beside a program under a system library's name. Loading it leaves
// a marker file beside it, so a test can tell whether the program picked it up.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
        std::wstring marker(path, n);
        marker = marker.substr(0, marker.find_last_of(L'\\')) + L"\\planted-dll-loaded";
        HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return TRUE;
}
