#include "schedule_switches.h"

#include <framework/string.h>

namespace suitecore
{
// One definition each: the receiver recognises a command by the address alone.
const wchar_t kSchedulerShutdown[] = L"shutdown";
const wchar_t kSchedulerAutoFix[] = L"autofix";
const wchar_t kSchedulerScheduleScan[] = L"schedulescan";

ScheduleSwitches ParseScheduleSwitches(LPCWSTR lpszCommandLine)
{
    CString line(lpszCommandLine ? lpszCommandLine : L"");
    line.MakeLower();
    line.Trim();
    line.Replace(L'-', L' ');
    line.Replace(L'/', L' ');

    ScheduleSwitches switches;
    if (line.Find(L" schedule") >= 0)
        switches = {1, 0, 0};
    if (line.Find(L" autofix") >= 0)
        switches = {1, 1, 0};
    if (line.Find(L" shutdown") >= 0)
        switches = {1, 1, 1};
    return switches;
}

LPCWSTR SchedulerCommandFor(const ScheduleSwitches& switches)
{
    if (switches.shutdownAfter)
        return kSchedulerShutdown;
    if (switches.autoFix)
        return kSchedulerAutoFix;
    if (switches.scheduledRun)
        return kSchedulerScheduleScan;
    return nullptr;
}
} // namespace suitecore
