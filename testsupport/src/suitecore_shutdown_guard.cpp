// Compiled into every test program that links SuiteCore: installs the recording shutdown
// handler while the program starts, before any test or global object can reach the countdown.
#include <suitecore/shutdown.h>

#include "../include/testsupport/shutdown_recorder.h"

extern "C" const char g_suiteShutdownGuardMarker[] = "suite-shutdown-guard: recorder installed";

namespace
{
struct InstallRecorder
{
    InstallRecorder()
    {
        SetShutdownRequestHandler(&testsupport::RecordShutdownRequest);
        testsupport::MarkShutdownRecorderInstalled();
    }
};
const InstallRecorder g_installRecorder;
} // namespace
