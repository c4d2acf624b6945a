#include "halt.h"

#include "walker/enumprocess.h"

#include <framework/handles.h>
#include <framework/string.h>

#include <mstask.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#ifndef SEE_MASK_NOZONECHECKS
#define SEE_MASK_NOZONECHECKS 0x00800000
#endif

namespace
{
const CLSID kClsidTaskScheduler = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kIidTaskScheduler = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

constexpr LPCWSTR kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

constexpr DWORD kManagerAccess = GENERIC_READ | SC_MANAGER_CONNECT;                               // 0x80000001
constexpr DWORD kQueryAccess = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE; // 0x85
constexpr DWORD kStopAccess = GENERIC_EXECUTE | SERVICE_STOP | SERVICE_INTERROGATE;               // 0x200000A0

constexpr DWORD kNetStartPause = 1024; // after starting net.exe
constexpr DWORD kNetWait = 4096;       // at most, for net.exe to end
constexpr DWORD kStopPause = 2048;     // after each stop request
constexpr DWORD kPerProcessPause = 1;

CUniqueServiceHandle OpenManager()
{
    return CUniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, kManagerAccess));
}
} // namespace

CSuiteHalt::CSuiteHalt(const SuiteNames& names, PFN_SLEEP pfnSleep) : m_names(names), m_pfnSleep(pfnSleep) {}

bool CSuiteHalt::IsVerySilent(LPCWSTR lpszArguments)
{
    CString arguments(lpszArguments ? lpszArguments : L"");
    arguments.MakeLower();
    arguments.Trim();
    return !arguments.IsEmpty() && arguments.Find(L"verysilent") >= 0;
}

int CSuiteHalt::Run(LPCWSTR lpszArguments)
{
    const CComApartment apartment;
    const bool verySilent = IsVerySilent(lpszArguments);
    StopSuiteService();
    TerminateSuiteProcesses();
    if (!verySilent)
    {
        DeleteSuiteTasks();
        DeleteStartupEntries();
    }
    return 0;
}

BOOL CSuiteHalt::StopSuiteService()
{
    const LPCWSTR service = m_names.service;
    NetStopService(service);
    const BOOL active = IsServiceActive(service);
    ProbeMutex(m_names.serviceMutex);
    Pause(0);
    if (active)
    {
        StopServiceAndConfirm(service);
        Pause(kStopPause);
    }
    // While the service's mutex exists its owner is still there: ask again, up to twice.
    if (ProbeMutex(m_names.serviceMutex) != 0)
    {
        StopServiceAndConfirm(service);
        Pause(kStopPause);
    }
    Pause(0);
    if (ProbeMutex(m_names.serviceMutex) != 0)
        StopServiceAndConfirm(service);
    return TRUE;
}

void CSuiteHalt::NetStopService(LPCWSTR lpszService)
{
    wchar_t folder[MAX_PATH] = L"";
    wchar_t file[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
    {
        wcscpy(file, folder);
        PathAppendW(file, L"net.exe");
    }
    CString parameters;
    parameters.Format(L" stop \"%s\" /y ", lpszService);

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOZONECHECKS; // 0x00800440
    info.hwnd = GetDesktopWindow();
    info.lpVerb = L"open";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = SW_HIDE;
    const BOOL started = *file && ShellExecuteExW(&info);
    const CUniqueHandle process(started ? info.hProcess : nullptr);
    Pause(kNetStartPause);
    if (started && reinterpret_cast<INT_PTR>(info.hInstApp) >= 32 && process)
        WaitForSingleObject(process.get(), kNetWait);
}

BOOL CSuiteHalt::IsServiceActive(LPCWSTR lpszService)
{
    const CUniqueServiceHandle manager = OpenManager();
    if (!manager)
        return FALSE;
    const CUniqueServiceHandle service(OpenServiceW(manager.get(), lpszService, kQueryAccess));
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.get(), &status))
        return FALSE;
    switch (status.dwCurrentState)
    {
    case SERVICE_START_PENDING:
    case SERVICE_RUNNING:
    case SERVICE_PAUSE_PENDING:
    case SERVICE_PAUSED:
        return TRUE;
    default:
        return FALSE;
    }
}

DWORD CSuiteHalt::ProbeMutex(LPCSTR lpszMutex)
{
    // A mutex that did not exist is created here and destroyed again by the close.
    SetLastError(ERROR_SUCCESS);
    const CUniqueHandle mutex(CreateMutexA(nullptr, TRUE, lpszMutex));
    return GetLastError();
}

BOOL CSuiteHalt::SendServiceStop(LPCWSTR lpszService)
{
    const CUniqueServiceHandle manager = OpenManager();
    if (!manager)
        return FALSE;
    const CUniqueServiceHandle service(OpenServiceW(manager.get(), lpszService, kStopAccess));
    if (!service)
        return FALSE;
    SERVICE_STATUS status{};
    const BOOL stopSent = ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    Pause(0);
    ControlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status);
    Pause(0);
    return stopSent;
}

BOOL CSuiteHalt::StopServiceAndConfirm(LPCWSTR lpszService)
{
    if (!SendServiceStop(lpszService))
        return FALSE;
    Pause(kStopPause);
    return !IsServiceActive(lpszService);
}

BOOL CSuiteHalt::TerminateSuiteProcesses()
{
    std::vector<CString> names;
    names.reserve(m_names.executables.size());
    for (LPCWSTR name : m_names.executables)
        names.emplace_back(CString(name).MakeLower());

    CEnumProcess walker;
    if (walker.GetMethod() == ENUM_METHOD_NONE)
        return FALSE;
    CEnumProcess::CProcessEntry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry))
    {
        Pause(kPerProcessPause);
        CString processName(entry.lpszProcessName);
        processName.MakeLower();
        for (const CString& name : names)
        {
            if (processName.Find(name) >= 0)
                TerminateProcessById(entry.dwPID);
        }
    }
    return TRUE;
}

void CSuiteHalt::TerminateProcessById(DWORD dwProcessId) const
{
    const CUniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, dwProcessId));
    if (process && TerminateProcess(process.get(), 0))
        Pause(0);
}

BOOL CSuiteHalt::DeleteSuiteTasks()
{
    CUniqueComPtr<ITaskScheduler> scheduler;
    if (FAILED(CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskScheduler,
                                scheduler.put_void())))
        return FALSE;
    HRESULT last = S_OK;
    for (LPCWSTR task : m_names.tasks)
        last = scheduler->Delete(task);
    return SUCCEEDED(last);
}

BOOL CSuiteHalt::DeleteStartupEntries()
{
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (LPCWSTR value : m_names.runValues)
            SHDeleteValueW(root, kRunKey, value);
    }
    return TRUE;
}
