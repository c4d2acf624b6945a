#include "tool_launch.h"

#include <framework/archive.h>
#include <framework/com.h>
#include <framework/exception.h>
#include <framework/file.h>
#include <framework/handles.h>
#include <framework/module.h>

#include <objbase.h>
#include <shellapi.h>

namespace
{
// A worker's launch, with what keeps the worker's code loaded and its thread object.
struct WorkerStart
{
    std::unique_ptr<CToolLaunch> launch;
    HMODULE hModule = nullptr;
    CWinThread* pThread = nullptr;
};

HMODULE ReferenceThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&__ImageBase), &hModule);
    return hModule;
}

bool WriteSelection(LPCWSTR path, CStringArray& selection)
{
    try
    {
        // GetTempFileNameW created the file: open that one, not a new one of the same name.
        CFile file;
        if (!file.Open(path, CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary))
            return false;
        CArchive archive(&file, CArchive::store, 4096);
        selection.Serialize(archive);
        archive.Close();
        file.Close();
        return true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
    return false;
}

UINT LaunchTool(CToolLaunch& launch, const CString& program)
{
    CComApartment apartment; // the shell wants one
    CString file;
    if (!CreateSelectionFile(launch.selection, file))
        return 0;
    const CString parameters = L"-FileFolder " + file;
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(GetDesktopWindow(), L"open", program, parameters, L"", SW_SHOW));
    if (result <= 32)
    {
        DeleteFileW(file); // nobody took the file over
        return 0;
    }
    return 1;
}

// Ends the worker's thread. While it ran, the worker held a server lock (so the server answers
// that it cannot be unloaded) and a reference on this module (so that its code stays loaded even
// if the host unloads the server anyway); the reference goes with the thread.
[[noreturn]] void EndWorker(WorkerStart* pStart, UINT exitCode)
{
    const HMODULE hModule = pStart->hModule;
    delete pStart->pThread;
    delete pStart;
    AtlModuleUnlock();
    FreeLibraryAndExitThread(hModule, exitCode);
}

UINT RunWorker(LPVOID pParam, CString CToolLaunch::*program)
{
    auto* pStart = static_cast<WorkerStart*>(pParam);
    const UINT exitCode =
        AfxCallbackBarrier([&] { return LaunchTool(*pStart->launch, (*pStart->launch).*program); }, 0u);
    EndWorker(pStart, exitCode);
}
} // namespace

BOOL CreateSelectionFile(CStringArray& selection, CString& rPath)
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return FALSE;
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder, L"ST", 0, name))
        return FALSE;
    if (!WriteSelection(name, selection))
    {
        DeleteFileW(name);
        return FALSE;
    }
    rPath = name;
    return TRUE;
}

UINT ShredWorker(LPVOID pParam)
{
    return RunWorker(pParam, &CToolLaunch::strShredTool);
}

UINT SealWorker(LPVOID pParam)
{
    return RunWorker(pParam, &CToolLaunch::strSealTool);
}

BOOL StartToolWorker(AFX_THREADPROC pfnWorker, std::unique_ptr<CToolLaunch> launch)
{
    auto start = std::make_unique<WorkerStart>();
    start->launch = std::move(launch);
    start->hModule = ReferenceThisModule();
    if (!start->hModule)
        return FALSE;
    CWinThread* pThread = nullptr;
    try
    {
        pThread = AfxBeginThread(pfnWorker, start.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    }
    catch (...)
    {
        FreeLibrary(start->hModule);
        throw;
    }
    if (!pThread)
    {
        FreeLibrary(start->hModule);
        return FALSE;
    }
    // The worker deletes its thread object itself, as it never returns to the framework.
    pThread->m_bAutoDelete = FALSE;
    start->pThread = pThread;
    start.release();
    AtlModuleLock();
    pThread->ResumeThread();
    return TRUE;
}
