// The suite's own names: what HaltSuite stops, terminates and deletes.
#pragma once

#include <windows.h>

#include <span>

struct SuiteNames
{
    // Executable file names, matched without regard to case as substrings of process names.
    std::span<const LPCWSTR> executables;
    // The disk-optimizer service, and the mutex it holds while it runs (an ANSI name).
    LPCWSTR service;
    LPCSTR serviceMutex;
    // Task Scheduler 1.0 work items.
    std::span<const LPCWSTR> tasks;
    // Values under Software\Microsoft\Windows\CurrentVersion\Run of both user and machine.
    std::span<const LPCWSTR> runValues;
};

// The Lumasweep suite.
const SuiteNames& LumasweepSuite();
