#include "fixture.h"

#include <testsupport/testsupport.h>

#include <mstask.h>
#include <objbase.h>
#include <shlwapi.h>

namespace halttest
{
namespace
{
const CLSID kClsidTaskScheduler = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kIidTaskScheduler = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const CLSID kClsidTask = {0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const IID kIidTask = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

constexpr LPCWSTR kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

CUniqueComPtr<ITaskScheduler> Scheduler()
{
    CUniqueComPtr<ITaskScheduler> scheduler;
    CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskScheduler, scheduler.put_void());
    return scheduler;
}

CUniqueServiceHandle OpenManager()
{
    return CUniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}
} // namespace

std::wstring CopyAs(const std::wstring& source, const std::wstring& folder, const std::wstring& name)
{
    const std::wstring target = folder + L"\\" + name;
    return CopyFileW(source.c_str(), target.c_str(), FALSE) ? target : std::wstring();
}

bool CreateFolderChain(const std::wstring& folder)
{
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

Decoy::Decoy(const std::wstring& path, const std::wstring& arguments)
{
    const std::wstring eventName = L"decoy-ready-" + testsupport::NewGuidString();
    const CUniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    std::wstring commandLine = L"\"" + path + L"\" --ready " + eventName;
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    m_id = pi.dwProcessId;
    const HANDLE waits[] = {ready.get(), m_process.get()};
    WaitForMultipleObjects(2, waits, FALSE, 15000);
}

Decoy::~Decoy()
{
    if (m_process && !m_keep && Running())
    {
        TerminateProcess(m_process.get(), 0xDEC0);
        WaitForSingleObject(m_process.get(), 5000);
    }
}

bool Decoy::Running() const
{
    return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

DWORD Decoy::ExitCode() const
{
    DWORD code = 0;
    return m_process && GetExitCodeProcess(m_process.get(), &code) ? code : 0xFFFFFFFF;
}

bool Decoy::WaitEnded(DWORD timeoutMs) const
{
    return m_process && WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ServiceState(const std::wstring& name)
{
    const CUniqueServiceHandle manager = OpenManager();
    const CUniqueServiceHandle service(manager ? OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS)
                                               : nullptr);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

bool WaitServiceState(const std::wstring& name, DWORD state, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (ServiceState(name) != state)
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

bool RemoveService(const std::wstring& name)
{
    const CUniqueServiceHandle manager = OpenManager();
    if (!manager)
        return false;
    {
        const CUniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
        if (!service)
            return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        SERVICE_STATUS status{};
        if (QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED)
        {
            ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            WaitServiceState(name, SERVICE_STOPPED, 10000);
        }
        DeleteService(service.get());
    }
    const DWORD start = GetTickCount();
    while (ServiceState(name) != 0 && GetTickCount() - start < 10000)
        Sleep(50);
    return ServiceState(name) == 0;
}

std::wstring DecoyServiceCommand(const std::wstring& folder, const std::wstring& name, const std::string& mutex,
                                 const std::wstring& extra)
{
    std::wstring command = L"\"" + folder + L"\\decoy_service.exe\" \"" + name + L"\" \"" +
                           std::wstring(mutex.begin(), mutex.end()) + L"\"";
    if (!extra.empty())
        command += L" " + extra;
    return command;
}

ServiceFixture::ServiceFixture(const std::wstring& name, const std::wstring& commandLine) : m_name(name)
{
    RemoveService(name);
    const CUniqueServiceHandle manager = OpenManager();
    if (!manager)
        return;
    const CUniqueServiceHandle service(CreateServiceW(
        manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
        SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    m_installed = static_cast<bool>(service);
}

ServiceFixture::~ServiceFixture()
{
    if (m_installed && !m_keep)
        RemoveService(m_name);
}

bool ServiceFixture::Start()
{
    const CUniqueServiceHandle manager = OpenManager();
    const CUniqueServiceHandle service(manager ? OpenServiceW(manager.get(), m_name.c_str(), SERVICE_START) : nullptr);
    if (!service || !StartServiceW(service.get(), 0, nullptr))
        return false;
    return WaitServiceState(m_name, SERVICE_RUNNING, 15000);
}

bool MutexExists(const std::string& name)
{
    const CUniqueHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
    return static_cast<bool>(mutex);
}

HRESULT CreateTask(const std::wstring& name, const std::wstring& application)
{
    const CUniqueComPtr<ITaskScheduler> scheduler = Scheduler();
    if (!scheduler)
        return E_FAIL;
    CUniqueComPtr<ITask> task;
    HRESULT hr = scheduler->NewWorkItem(name.c_str(), kClsidTask, kIidTask, reinterpret_cast<IUnknown**>(task.put()));
    if (FAILED(hr))
        return hr;
    hr = task->SetApplicationName(application.c_str());
    if (FAILED(hr))
        return hr;
    CUniqueComPtr<IPersistFile> file;
    hr = task->QueryInterface(IID_IPersistFile, file.put_void());
    if (FAILED(hr))
        return hr;
    return file->Save(nullptr, TRUE);
}

bool TaskExists(const std::wstring& name)
{
    const CUniqueComPtr<ITaskScheduler> scheduler = Scheduler();
    CUniqueComPtr<ITask> task;
    return scheduler &&
           SUCCEEDED(scheduler->Activate(name.c_str(), kIidTask, reinterpret_cast<IUnknown**>(task.put())));
}

HRESULT DeleteTask(const std::wstring& name)
{
    const CUniqueComPtr<ITaskScheduler> scheduler = Scheduler();
    if (!scheduler)
        return E_FAIL;
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        hr = scheduler->Delete(name.c_str());
        if (hr != HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION))
            break;
        Sleep(50);
    }
    return hr;
}

bool SetRunValue(HKEY root, const std::wstring& name, const std::wstring& data)
{
    return SHSetValueW(root, kRunKey, name.c_str(), REG_SZ, data.c_str(),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RunValueExists(HKEY root, const std::wstring& name)
{
    return SHGetValueW(root, kRunKey, name.c_str(), nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root, const std::wstring& name)
{
    SHDeleteValueW(root, kRunKey, name.c_str());
}

NativeDllFirst::NativeDllFirst(const std::wstring& program, const std::wstring& dll)
    : m_key(L"Software\\Wine\\AppDefaults\\" + program), m_dll(dll)
{
    CUniqueRegKey existing;
    m_created = RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, existing.put()) != ERROR_SUCCESS;
    const std::wstring order = L"native,builtin";
    SHSetValueW(HKEY_CURRENT_USER, (m_key + L"\\DllOverrides").c_str(), dll.c_str(), REG_SZ, order.c_str(),
                static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
}

NativeDllFirst::~NativeDllFirst()
{
    if (m_created)
        SHDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str());
    else
        SHDeleteValueW(HKEY_CURRENT_USER, (m_key + L"\\DllOverrides").c_str(), m_dll.c_str());
}
} // namespace halttest
