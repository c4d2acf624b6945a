#include "enumprocess.h"

#include <cstdint>
#include <cwchar>
#include <new>

namespace
{
constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410
// The loader itself refuses an NT header offset this large; beyond it the DOS header is not
// that of an image.
constexpr LONG kMaxNtHeaderOffset = 256 * 1024 * 1024;
// Far beyond any real process count; stops the growth should a broken EnumProcesses keep
// reporting a full buffer.
constexpr int kMaxCapacity = 1024 * 1024;

// Copies at most count - 1 characters and always terminates.
void CopyBounded(LPWSTR dest, int count, LPCWSTR src)
{
    wcsncpy(dest, src, count - 1);
    dest[count - 1] = L'\0';
}
} // namespace

CEnumProcess::CProcessEntry::CProcessEntry() : lpszProcessName(new wchar_t[NAME_BUFFER_LENGTH]()), strReserved(L"") {}

CEnumProcess::CProcessEntry::~CProcessEntry()
{
    delete[] lpszProcessName;
}

CEnumProcess::CModuleEntry::CModuleEntry() : lpszModulePath(new wchar_t[NAME_BUFFER_LENGTH]()), strModulePath(L"") {}

CEnumProcess::CModuleEntry::~CModuleEntry()
{
    delete[] lpszModulePath;
}

CEnumProcess::CEnumProcess(const AFX_LIBRARY_BINDER& binder) : m_pBinder(&binder)
{
    BindPsapi();
    BindToolhelp();
    if (m_bToolhelpUsable)
        m_nMethod = ENUM_METHOD_TOOLHELP;
    if (m_bPsapiUsable)
        m_nMethod = ENUM_METHOD_PSAPI;
}

CEnumProcess::~CEnumProcess()
{
    if (m_hPsapi)
        m_pBinder->pfnFreeLibrary(m_hPsapi);
    if (m_hKernel32)
        m_pBinder->pfnFreeLibrary(m_hKernel32);
}

void CEnumProcess::BindPsapi()
{
    m_hPsapi = m_pBinder->pfnLoadLibrary(L"psapi.dll");
    if (!m_hPsapi)
        return;
    m_nCapacity = CAPACITY_STEP;
    m_nProcessesLeft = 0;
    m_nModulesLeft = 0;
    m_pfnEnumProcesses = reinterpret_cast<PFN_ENUMPROCESSES>(m_pBinder->pfnGetProcAddress(m_hPsapi, "EnumProcesses"));
    m_pfnEnumProcessModules =
        reinterpret_cast<PFN_ENUMPROCESSMODULES>(m_pBinder->pfnGetProcAddress(m_hPsapi, "EnumProcessModules"));
    // Looked up under this exact name and called as the wide-character function. A library
    // without an export of that name leaves PSAPI unusable and the walk to tool-help.
    m_pfnGetModuleFileNameEx =
        reinterpret_cast<PFN_GETMODULEFILENAMEEX>(m_pBinder->pfnGetProcAddress(m_hPsapi, "GetModuleFileNameEx"));
    m_bPsapiUsable = m_pfnEnumProcesses && m_pfnEnumProcessModules && m_pfnGetModuleFileNameEx;
}

void CEnumProcess::BindToolhelp()
{
    m_hKernel32 = m_pBinder->pfnLoadLibrary(L"kernel32.dll");
    if (!m_hKernel32)
        return;
    m_pe.dwSize = sizeof(PROCESSENTRY32W);
    m_me.dwSize = sizeof(MODULEENTRY32W);
    static_assert(sizeof(PROCESSENTRY32W) == 556 && sizeof(MODULEENTRY32W) == 1064);
    // The walk itself calls kernel32's imports; the lookups only tell whether they exist.
    m_pfnCreateToolhelp32Snapshot = m_pBinder->pfnGetProcAddress(m_hKernel32, "CreateToolhelp32Snapshot");
    m_pfnProcess32First = m_pBinder->pfnGetProcAddress(m_hKernel32, "Process32First");
    m_pfnProcess32Next = m_pBinder->pfnGetProcAddress(m_hKernel32, "Process32Next");
    m_pfnModule32First = m_pBinder->pfnGetProcAddress(m_hKernel32, "Module32First");
    m_pfnModule32Next = m_pBinder->pfnGetProcAddress(m_hKernel32, "Module32Next");
    m_bToolhelpUsable = m_pfnCreateToolhelp32Snapshot && m_pfnProcess32First && m_pfnProcess32Next &&
                        m_pfnModule32First && m_pfnModule32Next;
}

int CEnumProcess::GetAvailableMethods() const
{
    return (m_bPsapiUsable ? ENUM_METHOD_PSAPI : 0) | (m_bToolhelpUsable ? ENUM_METHOD_TOOLHELP : 0);
}

BOOL CEnumProcess::GetProcessFirst(CProcessEntry& entry)
{
    switch (m_nMethod)
    {
    case ENUM_METHOD_PSAPI:
        return FirstProcessPsapi(entry);
    case ENUM_METHOD_TOOLHELP:
        return FirstProcessToolhelp(entry);
    default:
        return FALSE;
    }
}

BOOL CEnumProcess::GetProcessNext(CProcessEntry& entry)
{
    if (m_nMethod == ENUM_METHOD_NONE)
        return FALSE;
    entry.wReserved = 0;
    if (m_nMethod == ENUM_METHOD_TOOLHELP)
    {
        if (!m_hProcessSnap || !Process32NextW(m_hProcessSnap.get(), &m_pe))
            return FALSE;
        FillFromSnapshot(entry);
        return TRUE;
    }
    if (!m_pCurrentProcess || --m_nProcessesLeft <= 0)
        return FALSE;
    ++m_pCurrentProcess;
    FillFromProcessId(*m_pCurrentProcess, entry);
    return TRUE;
}

BOOL CEnumProcess::GrowCapacity()
{
    if (m_nCapacity >= kMaxCapacity)
        return FALSE;
    m_nCapacity += CAPACITY_STEP;
    return TRUE;
}

template <class T, class Fill>
BOOL CEnumProcess::FillGrowing(std::unique_ptr<T[]>& buffer, DWORD& bytesReturned, Fill fill)
{
    for (;;)
    {
        buffer.reset(new (std::nothrow) T[m_nCapacity]);
        if (!buffer)
            return FALSE;
        const DWORD size = static_cast<DWORD>(m_nCapacity) * sizeof(T);
        // The result of the call comes first: after a failure the byte count means nothing.
        if (!fill(buffer.get(), size, &bytesReturned))
            return FALSE;
        if (bytesReturned < size)
            return TRUE;
        if (!GrowCapacity())
            return FALSE;
    }
}

BOOL CEnumProcess::FirstProcessPsapi(CProcessEntry& entry)
{
    m_pCurrentProcess = nullptr;
    m_nProcessesLeft = 0;
    DWORD bytesReturned = 0;
    if (!FillGrowing(m_pProcessIds, bytesReturned,
                     [&](DWORD* ids, DWORD size, DWORD* returned) { return m_pfnEnumProcesses(ids, size, returned); }))
        return FALSE;
    m_nProcessesLeft = static_cast<int>(bytesReturned / sizeof(DWORD));
    if (m_nProcessesLeft <= 0)
        return FALSE;
    m_pCurrentProcess = m_pProcessIds.get();
    FillFromProcessId(*m_pCurrentProcess, entry);
    return TRUE;
}

BOOL CEnumProcess::FirstProcessToolhelp(CProcessEntry& entry)
{
    m_hProcessSnap.reset(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!m_hProcessSnap || !Process32FirstW(m_hProcessSnap.get(), &m_pe))
        return FALSE;
    FillFromSnapshot(entry);
    return TRUE;
}

void CEnumProcess::FillFromSnapshot(CProcessEntry& entry) const
{
    entry.dwPID = m_pe.th32ProcessID;
    CopyBounded(entry.lpszProcessName, NAME_BUFFER_LENGTH, m_pe.szExeFile);
}

void CEnumProcess::FillFromProcessId(DWORD dwProcessId, CProcessEntry& entry) const
{
    entry.dwPID = dwProcessId;
    CUniqueHandle process(OpenProcess(kQueryAndRead, FALSE, dwProcessId));
    if (!process)
    {
        CopyBounded(entry.lpszProcessName, NAME_BUFFER_LENGTH, SECURITY_RESTRICTION_TEXT);
        return;
    }
    HMODULE mainModule = nullptr;
    DWORD needed = 0;
    if (!m_pfnEnumProcessModules(process.get(), &mainModule, sizeof mainModule, &needed) ||
        !m_pfnGetModuleFileNameEx(process.get(), mainModule, entry.lpszProcessName, NAME_BUFFER_LENGTH))
    {
        CopyBounded(entry.lpszProcessName, NAME_BUFFER_LENGTH, ERROR_TEXT);
        return;
    }
    // Older systems leave a name that fills the buffer unterminated.
    entry.lpszProcessName[NAME_BUFFER_LENGTH - 1] = L'\0';
}

BOOL CEnumProcess::GetModuleFirst(DWORD dwProcessId, CModuleEntry& entry)
{
    switch (m_nMethod)
    {
    case ENUM_METHOD_PSAPI:
        return FirstModulePsapi(dwProcessId, entry);
    case ENUM_METHOD_TOOLHELP:
        return FirstModuleToolhelp(dwProcessId, entry);
    default:
        return FALSE;
    }
}

BOOL CEnumProcess::FirstModuleToolhelp(DWORD dwProcessId, CModuleEntry& entry)
{
    m_hModuleSnap.reset(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId));
    if (!m_hModuleSnap || !Module32FirstW(m_hModuleSnap.get(), &m_me))
        return FALSE;
    entry.lpBaseAddress = m_me.modBaseAddr;
    CopyBounded(entry.lpszModulePath, NAME_BUFFER_LENGTH, m_me.szExePath);
    entry.dwPreferredImageBase = ReadPreferredImageBase(m_me.modBaseAddr, dwProcessId);
    entry.strModulePath = m_me.szExePath;
    return TRUE;
}

BOOL CEnumProcess::FirstModulePsapi(DWORD dwProcessId, CModuleEntry& entry)
{
    m_pCurrentModule = nullptr;
    m_nModulesLeft = 0;
    DWORD needed = 0;
    if (!FillGrowing(m_pModules, needed,
                     [&](HMODULE* modules, DWORD size, DWORD* returned)
                     {
                         const CUniqueHandle process(OpenProcess(kQueryAndRead, FALSE, dwProcessId));
                         return process && m_pfnEnumProcessModules(process.get(), modules, size, returned);
                     }))
        return FALSE;
    m_nModulesLeft = static_cast<int>(needed / sizeof(HMODULE));
    if (m_nModulesLeft <= 0)
        return FALSE;
    m_pCurrentModule = m_pModules.get();

    CUniqueHandle process(OpenProcess(kQueryAndRead, FALSE, dwProcessId));
    if (!process)
        return FALSE;
    const HMODULE module = *m_pCurrentModule;
    if (m_pfnGetModuleFileNameEx(process.get(), module, entry.lpszModulePath, NAME_BUFFER_LENGTH))
        entry.lpszModulePath[NAME_BUFFER_LENGTH - 1] = L'\0';
    else
        CopyBounded(entry.lpszModulePath, NAME_BUFFER_LENGTH, ERROR_TEXT);
    entry.lpBaseAddress = module;
    entry.dwPreferredImageBase = ReadPreferredImageBase(module, dwProcessId);
    return TRUE;
}

DWORD CEnumProcess::ReadPreferredImageBase(LPCVOID pBase, DWORD dwProcessId)
{
    CUniqueHandle process(OpenProcess(PROCESS_VM_READ, FALSE, dwProcessId));
    if (!process)
        return 0;

    IMAGE_DOS_HEADER dos{};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process.get(), pBase, &dos, sizeof dos, &read) || read != sizeof dos ||
        dos.e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    const uintptr_t base = reinterpret_cast<uintptr_t>(pBase);
    if (dos.e_lfanew < 0 || dos.e_lfanew >= kMaxNtHeaderOffset ||
        base > UINTPTR_MAX - static_cast<uintptr_t>(dos.e_lfanew) - sizeof(IMAGE_NT_HEADERS32))
        return 0;

    IMAGE_NT_HEADERS32 nt{};
    static_assert(sizeof nt == 248);
    const LPCVOID ntAddress = reinterpret_cast<LPCVOID>(base + static_cast<uintptr_t>(dos.e_lfanew));
    if (!ReadProcessMemory(process.get(), ntAddress, &nt, sizeof nt, &read) || read != sizeof nt)
        return 0;
    // A 64-bit image keeps an eight-byte image base at another offset.
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return 0;
    return nt.OptionalHeader.ImageBase;
}
