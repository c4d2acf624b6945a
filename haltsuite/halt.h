// CSuiteHalt: what HaltSuite does before the installer replaces or removes the suite's files.
// It stops the suite's service, terminates every process of the suite and, unless told to be
// very silent, deletes the suite's scheduled tasks and start-up entries. Every step tolerates
// failure; the program goes on with the next one.
#pragma once

#include "suitenames.h"

#include <windows.h>

class CSuiteHalt
{
public:
    // Every pause goes through this function, so that a test can see the program's pacing.
    using PFN_SLEEP = void(WINAPI*)(DWORD dwMilliseconds);

    explicit CSuiteHalt(const SuiteNames& names, PFN_SLEEP pfnSleep = &::Sleep);

    // The whole program for the arguments after its own name; returns the exit code, always 0.
    // Initialises COM for the Task Scheduler on this thread for the duration.
    int Run(LPCWSTR lpszArguments);
    // True when the arguments, lower-cased and trimmed, contain "verysilent".
    static bool IsVerySilent(LPCWSTR lpszArguments);

    // net.exe, then the service control manager, until the service's mutex is gone.
    BOOL StopSuiteService();
    // Terminates every process whose name contains one of the suite's executable names.
    BOOL TerminateSuiteProcesses();
    // Deletes the suite's Task Scheduler work items; needs COM on the calling thread. Reports
    // the outcome of the last deletion.
    BOOL DeleteSuiteTasks();
    // Deletes the suite's Run values of the current user and of the machine.
    BOOL DeleteStartupEntries();

    // The pieces of StopSuiteService.
    void NetStopService(LPCWSTR lpszService);
    static BOOL IsServiceActive(LPCWSTR lpszService);
    // The error CreateMutexA leaves: non-zero while another owner keeps the mutex alive.
    static DWORD ProbeMutex(LPCSTR lpszMutex);
    BOOL SendServiceStop(LPCWSTR lpszService);
    BOOL StopServiceAndConfirm(LPCWSTR lpszService);

private:
    void Pause(DWORD dwMilliseconds) const { m_pfnSleep(dwMilliseconds); }
    void TerminateProcessById(DWORD dwProcessId) const;

    const SuiteNames& m_names;
    PFN_SLEEP m_pfnSleep;
};
