#include "suitecore/processlist.h"

#include "path_split.h"

#include <framework/exception.h>
#include <framework/handles.h>

#include <psapi.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>

namespace
{
constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410
constexpr DWORD kBufferBytes = 16384;                                        // ids or module handles

void CopyName(WCHAR* target, LPCWSTR source)
{
    wcsncpy(target, source, MAX_PATH - 1);
    target[MAX_PATH - 1] = L'\0';
}
} // namespace

template <class Fill>
RecordList* CProcessList::NewList(Fill fill)
{
    std::unique_ptr<RecordList> list(new (std::nothrow) RecordList);
    if (!list)
    {
        m_nLastError = PL_NO_MEMORY;
        return nullptr;
    }
    try
    {
        m_nLastError = fill(*list);
    }
    catch (CException* e)
    {
        e->Delete();
        m_nLastError = PL_NO_MEMORY;
    }
    return list.release();
}

CProcessList::CProcessList() : CProcessList(AfxGetSystemLibraryBinder()) {}

CProcessList::CProcessList(const AFX_LIBRARY_BINDER& binder)
    : m_pfnGetModuleFileNameExW(nullptr), m_pfnEnumProcessModules(nullptr), m_pfnEnumProcesses(nullptr),
      m_pfnGetModuleInformation(nullptr), m_pfnCreateToolhelp32Snapshot(nullptr), m_pfnProcess32FirstW(nullptr),
      m_pfnProcess32NextW(nullptr), m_pfnModule32FirstW(nullptr), m_pfnModule32NextW(nullptr), m_hPsapi(nullptr),
      m_hKernel32(nullptr), m_bPsapiLoaded(false), m_bToolhelpLoaded(false), m_nLastError(PL_OK),
      m_bKernel32Loaded(false), m_pBinder(&binder)
{
}

BOOL CProcessList::Init(bool bPreferPsapi)
{
    const bool loaded = bPreferPsapi ? (LoadPsapi() || LoadToolhelp()) : (LoadToolhelp() || LoadPsapi());
    m_nLastError = loaded ? PL_OK : PL_INIT_FAILED;
    return loaded;
}

BOOL CProcessList::LoadPsapi()
{
    if (m_bPsapiLoaded)
        return TRUE;
    m_hPsapi = m_pBinder->pfnLoadLibrary(L"psapi.dll");
    if (!m_hPsapi)
        return FALSE;
    m_pfnGetModuleFileNameExW = reinterpret_cast<PFN_GETMODULEFILENAMEEXW>(Lookup(m_hPsapi, "GetModuleFileNameExW"));
    m_pfnEnumProcessModules = reinterpret_cast<PFN_ENUMPROCESSMODULES>(Lookup(m_hPsapi, "EnumProcessModules"));
    m_pfnEnumProcesses = reinterpret_cast<PFN_ENUMPROCESSES>(Lookup(m_hPsapi, "EnumProcesses"));
    m_pfnGetModuleInformation = reinterpret_cast<PFN_GETMODULEINFORMATION>(Lookup(m_hPsapi, "GetModuleInformation"));
    if (!m_pfnGetModuleFileNameExW || !m_pfnEnumProcessModules || !m_pfnEnumProcesses || !m_pfnGetModuleInformation)
    {
        m_pBinder->pfnFreeLibrary(m_hPsapi);
        m_hPsapi = nullptr;
        m_nLastError = PL_FUNCTION_MISSING;
        return FALSE;
    }
    m_bPsapiLoaded = true;
    return TRUE;
}

BOOL CProcessList::LoadToolhelp()
{
    if (m_bToolhelpLoaded)
        return TRUE;
    m_hKernel32 = GetModuleHandleW(L"kernel32.dll");
    m_bKernel32Loaded = false;
    if (!m_hKernel32)
    {
        m_hKernel32 = m_pBinder->pfnLoadLibrary(L"kernel32.dll");
        m_bKernel32Loaded = m_hKernel32 != nullptr;
    }
    if (!m_hKernel32)
        return FALSE;
    m_pfnCreateToolhelp32Snapshot =
        reinterpret_cast<PFN_CREATETOOLHELP32SNAPSHOT>(Lookup(m_hKernel32, "CreateToolhelp32Snapshot"));
    m_pfnProcess32FirstW = reinterpret_cast<PFN_PROCESS32W>(Lookup(m_hKernel32, "Process32FirstW"));
    m_pfnProcess32NextW = reinterpret_cast<PFN_PROCESS32W>(Lookup(m_hKernel32, "Process32NextW"));
    m_pfnModule32FirstW = reinterpret_cast<PFN_MODULE32W>(Lookup(m_hKernel32, "Module32FirstW"));
    m_pfnModule32NextW = reinterpret_cast<PFN_MODULE32W>(Lookup(m_hKernel32, "Module32NextW"));
    if (!m_pfnCreateToolhelp32Snapshot || !m_pfnProcess32FirstW || !m_pfnProcess32NextW || !m_pfnModule32FirstW ||
        !m_pfnModule32NextW)
    {
        if (m_bKernel32Loaded)
            m_pBinder->pfnFreeLibrary(m_hKernel32);
        m_hKernel32 = nullptr;
        m_bKernel32Loaded = false;
        m_nLastError = PL_FUNCTION_MISSING;
        return FALSE;
    }
    m_bToolhelpLoaded = true;
    return TRUE;
}

void CProcessList::Unload()
{
    if (m_hPsapi)
        m_pBinder->pfnFreeLibrary(m_hPsapi);
    if (m_hKernel32 && m_bKernel32Loaded)
        m_pBinder->pfnFreeLibrary(m_hKernel32);
    m_hPsapi = m_hKernel32 = nullptr;
    m_bPsapiLoaded = m_bToolhelpLoaded = m_bKernel32Loaded = false;
}

RecordList* CProcessList::GetProcesses()
{
    return NewList(
        [&](RecordList& list)
        {
            return m_bPsapiLoaded      ? ListProcessesPsapi(list)
                   : m_bToolhelpLoaded ? ListProcessesToolhelp(list)
                                       : int(PL_INIT_FAILED);
        });
}

RecordList* CProcessList::GetModules(DWORD dwProcessId)
{
    return NewList(
        [&](RecordList& list)
        {
            return m_bPsapiLoaded      ? ListModulesPsapi(dwProcessId, list)
                   : m_bToolhelpLoaded ? ListModulesToolhelp(dwProcessId, list)
                                       : int(PL_INIT_FAILED);
        });
}

int CProcessList::ListProcessesPsapi(RecordList& list) const
{
    std::unique_ptr<DWORD[]> ids(new (std::nothrow) DWORD[kBufferBytes / sizeof(DWORD)]);
    if (!ids)
        return PL_NO_MEMORY;
    DWORD returned = 0;
    if (!m_pfnEnumProcesses(ids.get(), kBufferBytes, &returned))
        return PL_OPEN_FAILED;
    const DWORD count = std::min(returned, kBufferBytes) / sizeof(DWORD);
    for (DWORD i = 0; i < count; ++i)
    {
        // A process that cannot be opened is left out of the list.
        const CUniqueHandle process(OpenProcess(kQueryAndRead, FALSE, ids[i]));
        if (!process)
            continue;
        ProcessRecord record{};
        record.dwProcessId = ids[i];
        HMODULE mainModule = nullptr;
        DWORD needed = 0;
        if (m_pfnEnumProcessModules(process.get(), &mainModule, sizeof mainModule, &needed))
        {
            if (!m_pfnGetModuleFileNameExW(process.get(), mainModule, record.szName, MAX_PATH))
                record.szName[0] = L'\0';
            record.szName[MAX_PATH - 1] = L'\0';
        }
        else
            CopyName(record.szName, L"-");
        list.processes.Add(record);
    }
    return PL_OK;
}

int CProcessList::ListProcessesToolhelp(RecordList& list) const
{
    const CUniqueFileHandle snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return PL_OPEN_FAILED;
    list.processes.RemoveAll();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = m_pfnProcess32FirstW(snapshot.get(), &entry); more;
         more = m_pfnProcess32NextW(snapshot.get(), &entry))
    {
        ProcessRecord record{};
        record.dwProcessId = entry.th32ProcessID;
        CopyName(record.szName, entry.szExeFile);
        list.processes.Add(record);
    }
    return PL_OK;
}

int CProcessList::ListModulesPsapi(DWORD dwProcessId, RecordList& list) const
{
    std::unique_ptr<HMODULE[]> modules(new (std::nothrow) HMODULE[kBufferBytes / sizeof(HMODULE)]);
    if (!modules)
        return PL_NO_MEMORY;
    const CUniqueHandle process(OpenProcess(kQueryAndRead, FALSE, dwProcessId));
    DWORD needed = 0;
    if (!process || !m_pfnEnumProcessModules(process.get(), modules.get(), kBufferBytes, &needed))
        return PL_OPEN_FAILED;
    // needed tells how many modules there are, which may be more than the buffer took.
    const DWORD count = std::min(needed, kBufferBytes) / sizeof(HMODULE);
    for (DWORD i = 0; i < count; ++i)
    {
        ModuleRecord record{};
        if (!m_pfnGetModuleFileNameExW(process.get(), modules[i], record.szPath, MAX_PATH))
            record.szPath[0] = L'\0';
        record.szPath[MAX_PATH - 1] = L'\0';
        MODULEINFO info{};
        static_assert(sizeof info == 12);
        if (m_pfnGetModuleInformation(process.get(), modules[i], &info, sizeof info))
        {
            record.dwBaseAddress = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(info.lpBaseOfDll));
            record.dwImageSize = info.SizeOfImage;
        }
        list.modules.Add(record);
    }
    return PL_OK;
}

int CProcessList::ListModulesToolhelp(DWORD dwProcessId, RecordList& list) const
{
    const CUniqueFileHandle snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId));
    if (!snapshot)
        return PL_OPEN_FAILED;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = m_pfnModule32FirstW(snapshot.get(), &entry); more;
         more = m_pfnModule32NextW(snapshot.get(), &entry))
    {
        ModuleRecord record{};
        record.dwBaseAddress = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(entry.modBaseAddr));
        record.dwImageSize = entry.modBaseSize;
        CopyName(record.szPath, entry.szExePath);
        list.modules.Add(record);
    }
    return PL_OK;
}

template <class TRecord>
BOOL CProcessList::TakeRecord(RecordList* pList, const CArray<TRecord>& records, TRecord* pRecord, unsigned nIndex)
{
    if (!pList)
    {
        m_nLastError = PL_BAD_INDEX;
        return FALSE;
    }
    if (nIndex == PL_CURSOR)
        nIndex = pList->nCursor;
    const unsigned count = static_cast<unsigned>(records.GetSize());
    if (nIndex > count)
    {
        m_nLastError = PL_BAD_INDEX;
        return FALSE;
    }
    if (nIndex == count)
    {
        m_nLastError = PL_END_OF_LIST;
        return FALSE;
    }
    if (pRecord)
        *pRecord = records[nIndex];
    ++pList->nCursor;
    m_nLastError = PL_OK;
    return TRUE;
}

BOOL CProcessList::GetNextProcess(RecordList* pList, ProcessRecord* pRecord, unsigned nIndex)
{
    static const CArray<ProcessRecord> kNone;
    return TakeRecord(pList, pList ? pList->processes : kNone, pRecord, nIndex);
}

BOOL CProcessList::GetNextModule(RecordList* pList, ModuleRecord* pRecord, unsigned nIndex)
{
    static const CArray<ModuleRecord> kNone;
    return TakeRecord(pList, pList ? pList->modules : kNone, pRecord, nIndex);
}

int CProcessList::GetProcessCount(const RecordList* pList) const
{
    return pList ? static_cast<int>(pList->processes.GetSize()) : 0;
}

int CProcessList::GetModuleCount(const RecordList* pList) const
{
    return pList ? static_cast<int>(pList->modules.GetSize()) : 0;
}

void CProcessList::FreeList(RecordList* pList)
{
    delete pList;
}

BOOL FindProcessesByFileName(const wchar_t* lpszFileName, CStringArray& paths)
{
    try
    {
        paths.RemoveAll();
        if (!lpszFileName)
            return FALSE;
        CProcessList processes;
        if (!processes.Init(false))
            return FALSE;
        struct Cleanup
        {
            CProcessList& processes;
            RecordList* list;
            ~Cleanup()
            {
                processes.FreeList(list);
                processes.Unload();
            }
        } cleanup{processes, processes.GetProcesses()};

        CString wanted(lpszFileName);
        wanted.MakeLower();
        ProcessRecord record;
        CPathSplit split;
        while (processes.GetNextProcess(cleanup.list, &record))
        {
            if (!split.Split(record.szName))
                continue;
            CString name = CString(split.m_szFileName) + split.m_szExt;
            if (name.MakeLower() == wanted)
                paths.Add(record.szName);
        }
        return paths.GetSize() > 0;
    }
    catch (CException* e)
    {
        e->Delete();
        return FALSE;
    }
}
