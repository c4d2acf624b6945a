// SuiteDiag as a suite tool: its application object ("SuiteDiag", language file "QMN.ini"),
// whose InitInstance runs as a console host, for the commands that show the library's windows.
#pragma once

#include <windows.h>

#include <functional>

namespace suitediag
{
// Creates the application object, runs its start-up (with g_bActivatePrevInstance cleared
// unless bKeepActivatePrev), calls fn with what InitInstance answered, and ends the host on
// every way out. Returns what fn returns.
int RunInToolHost(bool bKeepActivatePrev, const std::function<int(BOOL initialised)>& fn);
} // namespace suitediag
