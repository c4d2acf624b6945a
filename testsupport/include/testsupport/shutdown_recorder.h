// The handler that stands in for ending the session in every test program. A test program that
// loads SuiteCore installs it before its first test (the shared test main refuses to run
// otherwise), so no test can reach ExitWindowsEx, which under Wine ends every process of the
// prefix. Tests read what was asked and choose what the handler answers.
#pragma once

#include <windows.h>

#include <vector>

namespace testsupport
{
struct ShutdownRequest
{
    UINT flags;
    DWORD reason;
    bool operator==(const ShutdownRequest&) const = default;
};

// Records the request and answers as SetShutdownAnswer said (TRUE until then).
BOOL WINAPI RecordShutdownRequest(UINT flags, DWORD reason);
std::vector<ShutdownRequest> ShutdownRequests();
void ClearShutdownRequests();
// What the handler answers from now on: FALSE acts as a process without the privilege.
void SetShutdownAnswer(BOOL answer);

// Set by the installer linked into test programs that load SuiteCore.
void MarkShutdownRecorderInstalled();
bool ShutdownRecorderInstalled();
} // namespace testsupport
