// The Windows version, WOW64 state and file-system redirection, each looked up once.
#include "suitecore/sysinfo.h"

namespace
{
struct OsVersion
{
    DWORD major = 0;
    DWORD minor = 0;
};

const OsVersion& CachedOsVersion()
{
    static const OsVersion version = []
    {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        OsVersion v;
        if (GetVersionExW(&info))
        {
            v.major = info.dwMajorVersion;
            v.minor = info.dwMinorVersion;
        }
        return v;
    }();
    return version;
}

template <class Fn>
Fn Kernel32Function(LPCSTR name)
{
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Fn>(GetProcAddress(kernel32, name)) : nullptr;
}

struct Wow64State
{
    BOOL isWow64 = FALSE;
    CString systemWow64Folder;
    BOOL(WINAPI* disableRedirection)(PVOID*) = nullptr;
    BOOL(WINAPI* revertRedirection)(PVOID) = nullptr;
};

const Wow64State& CachedWow64State()
{
    static const Wow64State state = []
    {
        Wow64State s;
        typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
        if (auto isWow64Process = Kernel32Function<IsWow64ProcessFn>("IsWow64Process"))
        {
            BOOL wow64 = FALSE;
            s.isWow64 = isWow64Process(GetCurrentProcess(), &wow64) && wow64;
        }
        typedef UINT(WINAPI * GetSystemWow64DirectoryFn)(LPWSTR, UINT);
        auto getFolder = Kernel32Function<GetSystemWow64DirectoryFn>("GetSystemWow64DirectoryW");
        if (s.isWow64 && getFolder)
        {
            WCHAR folder[MAX_PATH] = {};
            const UINT n = getFolder(folder, MAX_PATH);
            if (n > 0 && n < MAX_PATH)
                s.systemWow64Folder = folder;
        }
        s.disableRedirection = Kernel32Function<decltype(s.disableRedirection)>("Wow64DisableWow64FsRedirection");
        s.revertRedirection = Kernel32Function<decltype(s.revertRedirection)>("Wow64RevertWow64FsRedirection");
        return s;
    }();
    return state;
}
} // namespace

DWORD GetOsMajorVersion()
{
    return CachedOsVersion().major;
}

DWORD GetOsMinorVersion()
{
    return CachedOsVersion().minor;
}

BOOL IsWow64()
{
    return CachedWow64State().isWow64;
}

CString GetSystemWow64Folder()
{
    return CachedWow64State().systemWow64Folder;
}

BOOL DisableFsRedirection(PVOID* ppOldValue)
{
    const Wow64State& s = CachedWow64State();
    if (!s.isWow64 || !s.disableRedirection)
        return FALSE;
    return s.disableRedirection(ppOldValue);
}

BOOL RevertFsRedirection(PVOID pOldValue)
{
    const Wow64State& s = CachedWow64State();
    if (!s.isWow64 || !s.revertRedirection)
        return FALSE;
    return s.revertRedirection(pOldValue);
}

// ---------------------------------------------------------------------------------------------
// COsVersionInfo

COsVersionInfo::COsVersionInfo() : OSVERSIONINFOW{}
{
    dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    GetVersionExW(this);
}

BOOL COsVersionInfo::IsWin32s() const
{
    return dwPlatformId == VER_PLATFORM_WIN32s;
}

BOOL COsVersionInfo::IsWin95() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && dwMajorVersion == 4 && dwMinorVersion < 10;
}

BOOL COsVersionInfo::IsWin98() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && IsVersion(4, 10);
}

BOOL COsVersionInfo::IsWinMe() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && IsVersion(4, 90);
}

BOOL COsVersionInfo::IsWin9x() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && dwMajorVersion > 3;
}

BOOL COsVersionInfo::IsWin98OrLater() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && IsVersionAtLeast(4, 10);
}

BOOL COsVersionInfo::IsWinMeOrLater() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && IsVersionAtLeast(4, 90);
}

BOOL COsVersionInfo::IsNT4() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(4, 0);
}

BOOL COsVersionInfo::IsWin2000() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(5, 0);
}

BOOL COsVersionInfo::IsWinXP() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(5, 1);
}

BOOL COsVersionInfo::IsVista() const
{
    return dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(6, 0);
}

BOOL COsVersionInfo::IsWinVista() const
{
    return IsVista();
}

BOOL COsVersionInfo::IsNT4OrLater() const
{
    return dwPlatformId >= VER_PLATFORM_WIN32_NT && dwMajorVersion >= 4;
}

BOOL COsVersionInfo::IsWin2000OrLater() const
{
    return dwPlatformId >= VER_PLATFORM_WIN32_NT && dwMajorVersion >= 5;
}

BOOL COsVersionInfo::IsWinXPOrLater() const
{
    return dwPlatformId > VER_PLATFORM_WIN32_WINDOWS && IsVersionAtLeast(5, 1);
}

BOOL COsVersionInfo::IsVersion(DWORD dwMajor, DWORD dwMinor) const
{
    return dwMajorVersion == dwMajor && dwMinorVersion == dwMinor;
}

BOOL COsVersionInfo::IsVersionAtLeast(DWORD dwMajor, DWORD dwMinor) const
{
    return dwMajorVersion > dwMajor || (dwMajorVersion == dwMajor && dwMinorVersion >= dwMinor);
}
