/* Keeps the Wine desktop in use for a whole test, demo or bench session.
 *
 * Wine closes the default desktop (its explorer.exe process) a moment after the last program
 * using it ends, and starts it again from whichever program next opens a window. Started from
 * a test, that explorer.exe inherits the test's standard output and error, which are CTest's
 * pipes, and CTest then waits for them to close long after the test has ended. This program,
 * started once with its output on /dev/null, holds one hidden window until the session's
 * wineserver is stopped, so the desktop starts once, from here. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    MSG msg;
    (void)previous;
    (void)commandLine;
    (void)show;
    HWND window = CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
