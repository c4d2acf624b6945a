/* Keeps the Wine desktop in use for a whole test, demo or bench session.
 *
 * Wine closes the default desktop (its explorer.exe process) a moment after the last program
 * using it ends, and starts it again from whichever program next opens a window. Started from
 * a test, that explorer.exe inherits the test's standard output and error, which are CTest's
 * pipes, and CTest then waits for them to close long after the test has ended. This program,
 * started once with its output on /dev/null, holds one hidden window until the session's
 * wineserver is stopped, so the desktop starts once, from here.
 *
 * Once its window exists (and with it the desktop) it creates a file beside itself, named
 * like itself with ".ready" added: the session waits for that file before any test starts, as
 * a test that ran first would otherwise start the desktop itself. */
#include <windows.h>

static void MarkReady(void)
{
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(path, ".ready");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    MSG msg;
    (void)previous;
    (void)commandLine;
    (void)show;
    HWND window = CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    MarkReady();
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
