// The scheduled-run switches of a tool's command line, and the commands one instance hands to
// the running one through the scheduler message.
#pragma once

#include <framework/framework.h>

namespace suitecore
{
struct ScheduleSwitches
{
    BYTE scheduledRun = 0;
    BYTE autoFix = 0;
    BYTE shutdownAfter = 0;
};

// Reads the switches from a command line: lower-cased and trimmed, every "-" and "/" made a
// blank, then " schedule", " autofix" and " shutdown" are looked for anywhere, each later one
// overriding the earlier.
ScheduleSwitches ParseScheduleSwitches(LPCWSTR lpszCommandLine);

// The commands whose addresses travel as the scheduler message's lParam.
extern const wchar_t kSchedulerShutdown[];
extern const wchar_t kSchedulerAutoFix[];
extern const wchar_t kSchedulerScheduleScan[];

// The command the switches ask the running instance for; null when none is set.
LPCWSTR SchedulerCommandFor(const ScheduleSwitches& switches);
} // namespace suitecore
