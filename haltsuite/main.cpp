// HaltSuite: the window-less install helper. The suite's installer and uninstaller run it
// before they replace or remove files.
//   HaltSuite [verysilent]
// Exit code: always 0.
#include "halt.h"

#include <framework/exception.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR lpCmdLine, int)
{
    // The installer goes on whatever happens here; nothing is shown or reported.
    AfxCallbackBarrier([&] { CSuiteHalt(LumasweepSuite()).Run(lpCmdLine); });
    return 0;
}
