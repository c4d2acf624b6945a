// CEnumProcess: walks the running processes one at a time, through PSAPI or the tool-help
// snapshot functions, whichever the system offers. The same source is built into HaltSuite
// (which ships alone) and into SuiteCore.
#pragma once

#include <framework/handles.h>
#include <framework/string.h>
#include <framework/syslib.h>

#include <tlhelp32.h>

#include <memory>

enum
{
    ENUM_METHOD_NONE = 0,
    ENUM_METHOD_PSAPI = 1,
    ENUM_METHOD_TOOLHELP = 2,
};

class CEnumProcess
{
public:
    // Characters in an entry's name or path buffer, terminator included.
    static constexpr int NAME_BUFFER_LENGTH = 256;
    // The PSAPI id buffer starts with this many entries and grows by as many until the list fits.
    static constexpr int CAPACITY_STEP = 256;

    // One process of a walk; the caller owns it and passes it to every call.
    struct CProcessEntry
    {
        CProcessEntry();
        virtual ~CProcessEntry();
        CProcessEntry(const CProcessEntry&) = delete;
        CProcessEntry& operator=(const CProcessEntry&) = delete;

        DWORD dwPID = 0;
        // The full path of the executable on the PSAPI path, its file name on the tool-help
        // path, or one of the texts for a process that could not be read.
        LPWSTR lpszProcessName; // NAME_BUFFER_LENGTH characters
        WORD wReserved = 0;     // cleared by every GetProcessNext
        CString strReserved;
    };

    // The main module of one process.
    struct CModuleEntry
    {
        CModuleEntry();
        virtual ~CModuleEntry();
        CModuleEntry(const CModuleEntry&) = delete;
        CModuleEntry& operator=(const CModuleEntry&) = delete;

        LPVOID lpBaseAddress = nullptr;
        DWORD dwPreferredImageBase = 0; // 0 when unknown
        LPWSTR lpszModulePath;          // NAME_BUFFER_LENGTH characters, cut when longer
        CString strModulePath;          // the whole path, on the tool-help path
    };

    // Binds both facilities and chooses the method: PSAPI when usable, else tool-help.
    explicit CEnumProcess(const AFX_LIBRARY_BINDER& binder = AfxGetSystemLibraryBinder());
    virtual ~CEnumProcess();
    CEnumProcess(const CEnumProcess&) = delete;
    CEnumProcess& operator=(const CEnumProcess&) = delete;

    // Bit 0 (1): PSAPI usable; bit 1 (2): tool-help usable.
    int GetAvailableMethods() const;
    int GetMethod() const { return m_nMethod; }

    BOOL GetProcessFirst(CProcessEntry& entry);
    BOOL GetProcessNext(CProcessEntry& entry);
    BOOL GetModuleFirst(DWORD dwProcessId, CModuleEntry& entry);

    // The image base recorded in the PE headers of a module mapped at pBase in another
    // process; 0 when the headers cannot be read or are not those of a 32-bit image.
    static DWORD ReadPreferredImageBase(LPCVOID pBase, DWORD dwProcessId);

    // Texts that stand in for the name of a process that could not be read.
    static constexpr LPCWSTR SECURITY_RESTRICTION_TEXT = L"N/A (security restriction)";
    static constexpr LPCWSTR ERROR_TEXT = L"N/A (error)";

private:
    using PFN_ENUMPROCESSES = BOOL(WINAPI*)(DWORD* lpidProcess, DWORD cb, DWORD* lpcbNeeded);
    using PFN_ENUMPROCESSMODULES = BOOL(WINAPI*)(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded);
    using PFN_GETMODULEFILENAMEEX = DWORD(WINAPI*)(HANDLE hProcess, HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

    void BindPsapi();
    void BindToolhelp();
    BOOL FirstProcessPsapi(CProcessEntry& entry);
    BOOL FirstProcessToolhelp(CProcessEntry& entry);
    BOOL FirstModulePsapi(DWORD dwProcessId, CModuleEntry& entry);
    BOOL FirstModuleToolhelp(DWORD dwProcessId, CModuleEntry& entry);
    void FillFromProcessId(DWORD dwProcessId, CProcessEntry& entry) const;
    void FillFromSnapshot(CProcessEntry& entry) const;
    BOOL GrowCapacity();
    // Calls fill(buffer, size in bytes, &bytes returned) with a buffer of the current capacity,
    // growing it while the result fills it.
    template <class T, class Fill>
    BOOL FillGrowing(std::unique_ptr<T[]>& buffer, DWORD& bytesReturned, Fill fill);

    const AFX_LIBRARY_BINDER* m_pBinder; // loads, looks up and frees both libraries

    bool m_bPsapiUsable = false;
    bool m_bToolhelpUsable = false;
    int m_nMethod = ENUM_METHOD_NONE;
    HMODULE m_hPsapi = nullptr;
    int m_nCapacity = 0;
    std::unique_ptr<DWORD[]> m_pProcessIds;
    DWORD* m_pCurrentProcess = nullptr;
    int m_nProcessesLeft = 0;
    int m_nModulesLeft = 0;
    std::unique_ptr<HMODULE[]> m_pModules;
    HMODULE* m_pCurrentModule = nullptr;
    PFN_ENUMPROCESSES m_pfnEnumProcesses = nullptr;
    PFN_ENUMPROCESSMODULES m_pfnEnumProcessModules = nullptr;
    PFN_GETMODULEFILENAMEEX m_pfnGetModuleFileNameEx = nullptr;
    CUniqueFileHandle m_hProcessSnap; // INVALID_HANDLE_VALUE when none
    CUniqueFileHandle m_hModuleSnap;
    HMODULE m_hKernel32 = nullptr;
    PROCESSENTRY32W m_pe{};
    MODULEENTRY32W m_me{};
    FARPROC m_pfnCreateToolhelp32Snapshot = nullptr;
    FARPROC m_pfnProcess32First = nullptr;
    FARPROC m_pfnProcess32Next = nullptr;
    FARPROC m_pfnModule32First = nullptr;
    FARPROC m_pfnModule32Next = nullptr;
};
