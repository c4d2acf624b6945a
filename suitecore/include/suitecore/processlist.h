// Process lists: CProcessList builds whole lists of the running processes, or of the modules
// of one process, through PSAPI or the tool-help functions, both bound at run time.
// FindProcessesByFileName finds the running processes of one executable.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/syslib.h>

#include <tlhelp32.h>

// Error codes of CProcessList.
enum
{
    PL_OK = 0,
    PL_INIT_FAILED = 1,      // neither facility could be loaded
    PL_FUNCTION_MISSING = 2, // a facility's library lacks one of its functions
    PL_NO_MEMORY = 3,        // a result list could not be allocated
    PL_OPEN_FAILED = 4,      // no snapshot, the process could not be opened, or its modules not read
    PL_END_OF_LIST = 5,      // the record index equals the number of records
    PL_BAD_INDEX = 6,        // the record index is beyond the number of records
};

// The index that means: the list's own cursor.
constexpr unsigned PL_CURSOR = static_cast<unsigned>(-1);

struct ProcessRecord
{
    DWORD dwProcessId;
    WCHAR szName[MAX_PATH]; // full path through PSAPI, file name through tool-help, "-" when unreadable
};
static_assert(sizeof(ProcessRecord) == 524);

struct ModuleRecord
{
    DWORD dwBaseAddress;
    DWORD dwImageSize;
    WCHAR szPath[MAX_PATH];
};
static_assert(sizeof(ModuleRecord) == 528);

// The result of one listing: made by CProcessList, handed back to its FreeList.
struct RecordList
{
    unsigned nCursor = 0; // the next record GetNextProcess/GetNextModule hands out
    CArray<ProcessRecord> processes;
    CArray<ModuleRecord> modules;
};

class SUITECORE_API CProcessList
{
public:
    CProcessList();
    // The libraries are loaded, looked up and freed through the binder (tests use their own).
    explicit CProcessList(const AFX_LIBRARY_BINDER& binder);

    // Loads the preferred facility and only when that fails the other one; PL_INIT_FAILED and
    // false when neither loads.
    BOOL Init(bool bPreferPsapi);
    BOOL LoadPsapi();
    BOOL LoadToolhelp();
    // Frees whatever this object loaded.
    void Unload();

    // A new list, through PSAPI when loaded, else tool-help; the error code tells how the
    // listing went. Null only when no list could be allocated.
    RecordList* GetProcesses();
    RecordList* GetModules(DWORD dwProcessId);

    // Copies the record at nIndex (PL_CURSOR: at the list's cursor) and advances the cursor.
    // False with PL_END_OF_LIST or PL_BAD_INDEX when there is no such record.
    BOOL GetNextProcess(RecordList* pList, ProcessRecord* pRecord, unsigned nIndex = PL_CURSOR);
    BOOL GetNextModule(RecordList* pList, ModuleRecord* pRecord, unsigned nIndex = PL_CURSOR);
    int GetProcessCount(const RecordList* pList) const;
    int GetModuleCount(const RecordList* pList) const;
    void FreeList(RecordList* pList);

    int GetErrorCode() const { return m_nLastError; }
    bool IsPsapiLoaded() const { return m_bPsapiLoaded; }
    bool IsToolhelpLoaded() const { return m_bToolhelpLoaded; }

private:
    using PFN_GETMODULEFILENAMEEXW = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    using PFN_ENUMPROCESSMODULES = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
    using PFN_ENUMPROCESSES = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using PFN_GETMODULEINFORMATION = BOOL(WINAPI*)(HANDLE, HMODULE, LPVOID, DWORD);
    using PFN_CREATETOOLHELP32SNAPSHOT = HANDLE(WINAPI*)(DWORD, DWORD);
    using PFN_PROCESS32W = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
    using PFN_MODULE32W = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);

    int ListProcessesPsapi(RecordList& list) const;
    int ListProcessesToolhelp(RecordList& list) const;
    int ListModulesPsapi(DWORD dwProcessId, RecordList& list) const;
    int ListModulesToolhelp(DWORD dwProcessId, RecordList& list) const;
    // A new list filled by fill(list), which returns the code of the listing.
    template <class Fill>
    RecordList* NewList(Fill fill);
    template <class TRecord>
    BOOL TakeRecord(RecordList* pList, const CArray<TRecord>& records, TRecord* pRecord, unsigned nIndex);
    FARPROC Lookup(HMODULE hModule, LPCSTR lpszName) const { return m_pBinder->pfnGetProcAddress(hModule, lpszName); }

    PFN_GETMODULEFILENAMEEXW m_pfnGetModuleFileNameExW;
    PFN_ENUMPROCESSMODULES m_pfnEnumProcessModules;
    PFN_ENUMPROCESSES m_pfnEnumProcesses;
    PFN_GETMODULEINFORMATION m_pfnGetModuleInformation;
    PFN_CREATETOOLHELP32SNAPSHOT m_pfnCreateToolhelp32Snapshot;
    PFN_PROCESS32W m_pfnProcess32FirstW;
    PFN_PROCESS32W m_pfnProcess32NextW;
    PFN_MODULE32W m_pfnModule32FirstW;
    PFN_MODULE32W m_pfnModule32NextW;
    HMODULE m_hPsapi;
    HMODULE m_hKernel32;
    bool m_bPsapiLoaded;
    bool m_bToolhelpLoaded;
    int m_nLastError;
    // kernel32 is normally already loaded and only borrowed; it is freed only when this object
    // had to load it.
    bool m_bKernel32Loaded;
    const AFX_LIBRARY_BINDER* m_pBinder;
};

// Collects the names of the running processes whose executable file name (name and extension,
// without regard to case) equals lpszFileName; true when at least one was found.
SUITECORE_API BOOL FindProcessesByFileName(const wchar_t* lpszFileName, CStringArray& paths);
