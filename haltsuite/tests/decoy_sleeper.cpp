// A stand-in for one of the suite's programs: it does nothing but wait, so tests can copy it
// under the suite's file names and see which copies HaltSuite terminates.
//   decoy_sleeper [--seconds N] [--hold-mutex NAME] [--ready EVENT] [--load-library NAME]
// --hold-mutex keeps a named (ANSI) mutex while it runs; --ready sets a named event once it
// is up; --load-library loads a library by bare name, as a careless program would. It exits with 3 after N seconds
// (default 120), so a forgotten decoy goes away.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    DWORD seconds = 120;
    HANDLE mutex = nullptr;
    HANDLE ready = nullptr;
    for (int i = 1; argv && i + 1 < argc; i += 2)
    {
        const std::wstring option = argv[i];
        if (option == L"--seconds")
            seconds = wcstoul(argv[i + 1], nullptr, 10);
        else if (option == L"--hold-mutex")
        {
            char name[MAX_PATH] = "";
            WideCharToMultiByte(CP_ACP, 0, argv[i + 1], -1, name, MAX_PATH, nullptr, nullptr);
            mutex = CreateMutexA(nullptr, TRUE, name);
        }
        else if (option == L"--load-library")
            LoadLibraryW(argv[i + 1]);
        else if (option == L"--ready")
            ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[i + 1]);
    }
    if (ready)
    {
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(seconds * 1000);
    if (mutex)
        CloseHandle(mutex);
    LocalFree(argv);
    return 3;
}
