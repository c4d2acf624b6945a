// SuiteDiag processes [--psapi|--toolhelp]: the running processes, one line each, id then name,
// as CProcessList lists them (by default through whichever facility loads, tool-help first).
#include "command.h"

#include <suitecore/processlist.h>

namespace
{
int RunProcesses(suitediag::Args& args)
{
    const bool psapi = args.TakeOption(L"--psapi");
    const bool toolhelp = args.TakeOption(L"--toolhelp");
    args.ExpectEnd();
    if (psapi && toolhelp)
        throw suitediag::UsageError{L"--psapi and --toolhelp exclude each other"};

    CProcessList processes;
    const BOOL loaded = psapi ? processes.LoadPsapi() : toolhelp ? processes.LoadToolhelp() : processes.Init(false);
    if (!loaded)
    {
        suitediag::ErrFormat(L"SuiteDiag processes: the process list could not be loaded (code %d)\n",
                             processes.GetErrorCode());
        return 1;
    }
    RecordList* list = processes.GetProcesses();
    const int code = processes.GetErrorCode();
    ProcessRecord record;
    while (code == PL_OK && processes.GetNextProcess(list, &record))
        suitediag::OutFormat(L"%lu %s\n", record.dwProcessId, record.szName);
    processes.FreeList(list);
    processes.Unload();
    if (code != PL_OK)
    {
        suitediag::ErrFormat(L"SuiteDiag processes: the processes could not be listed (code %d)\n", code);
        return 1;
    }
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(processes, L"processes", L"[--psapi|--toolhelp]",
                  L"Lists the running processes: id, then name (full path through PSAPI)", RunProcesses);
