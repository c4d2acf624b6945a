// The entry point of a program whose application object derives from CWinApp. It lives in
// the program itself (this static library), as the framework is a DLL.
#include <framework/app.h>

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
