// Prints what the menus decide about this Windows, for tests that set the version a program
// sees (Wine's AppDefaults): "class N xp N shell5 N".
#include <suitecore/ui/menu.h>
#include <suitecore/ui/trayicon.h>

#include <cstdio>

int main()
{
    std::printf("class %d xp %d shell5 %d\n", GetWindowsClass(), UseXPMenuLook() ? 1 : 0, IsShellVersion5() ? 1 : 0);
    return 0;
}
