// Planting a fake suite for HaltSuite to stop: decoy processes, a real service, Task
// Scheduler work items and Run values. Shared by the tests and by halt_fixture (the demo's tool).
#pragma once

#include <framework/handles.h>

#include <windows.h>

#include <string>
#include <vector>

namespace halttest
{
// Copies a file to folder\name; empty on failure.
std::wstring CopyAs(const std::wstring& source, const std::wstring& folder, const std::wstring& name);
// Creates every folder of the path.
bool CreateFolderChain(const std::wstring& folder);

// A process started from an executable; terminated on destruction unless released.
class Decoy
{
public:
    // Starts "path" arguments and waits until the program says it is up (decoy_sleeper's
    // --ready event is added to the arguments).
    Decoy(const std::wstring& path, const std::wstring& arguments = std::wstring());
    ~Decoy();
    Decoy(Decoy&&) = default;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    bool Running() const;
    // The exit code once ended; STILL_ACTIVE while running.
    DWORD ExitCode() const;
    // Waits up to the time-out for the process to end.
    bool WaitEnded(DWORD timeoutMs) const;
    // Leaves the process running after destruction.
    void Release() { m_keep = true; }

private:
    CUniqueHandle m_process;
    DWORD m_id = 0;
    bool m_keep = false;
};

// Service control: installs a service that runs an own-process executable.
class ServiceFixture
{
public:
    // Removes a leftover service of that name first.
    ServiceFixture(const std::wstring& name, const std::wstring& commandLine);
    ~ServiceFixture();
    ServiceFixture(const ServiceFixture&) = delete;
    ServiceFixture& operator=(const ServiceFixture&) = delete;

    bool Installed() const { return m_installed; }
    // Starts the service and waits until it runs.
    bool Start();
    // Leaves the service installed after destruction.
    void Release() { m_keep = true; }

private:
    std::wstring m_name;
    bool m_installed = false;
    bool m_keep = false;
};

// SERVICE_RUNNING and the rest; 0 when the service is not installed.
DWORD ServiceState(const std::wstring& name);
// Waits until the service reaches the state or the time-out passes.
bool WaitServiceState(const std::wstring& name, DWORD state, DWORD timeoutMs);
// Stops (when running) and deletes a service; true when it is gone.
bool RemoveService(const std::wstring& name);
// The command line that runs decoy_service as the named service holding the mutex.
std::wstring DecoyServiceCommand(const std::wstring& folder, const std::wstring& name, const std::string& mutex,
                                 const std::wstring& extra = std::wstring());
// Whether a named (ANSI) mutex exists, without creating it for good.
bool MutexExists(const std::string& name);

// Task Scheduler 1.0 work items (the calling thread must have COM initialised).
HRESULT CreateTask(const std::wstring& name, const std::wstring& application);
bool TaskExists(const std::wstring& name);
// Deletes a work item, retrying while the scheduler still has the job file open.
HRESULT DeleteTask(const std::wstring& name);

// Values under Software\Microsoft\Windows\CurrentVersion\Run.
bool SetRunValue(HKEY root, const std::wstring& name, const std::wstring& data);
bool RunValueExists(HKEY root, const std::wstring& name);
void DeleteRunValue(HKEY root, const std::wstring& name);

// Makes Wine load one DLL for one program as Windows does, from the program's folder first,
// while the object lives. (Wine otherwise prefers its own copy of a system DLL.)
class NativeDllFirst
{
public:
    NativeDllFirst(const std::wstring& program, const std::wstring& dll);
    ~NativeDllFirst();
    NativeDllFirst(const NativeDllFirst&) = delete;
    NativeDllFirst& operator=(const NativeDllFirst&) = delete;

private:
    std::wstring m_key;
    std::wstring m_dll;
    bool m_created = false;
};
} // namespace halttest
