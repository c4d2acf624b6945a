// The system operations every tool shares: launcher status, elevation, processes by name,
// online help, message filters and number texts.
#include "admin_group.h"
#include "app_internal.h"
#include "web_addresses.h"

#include "suitecore/app.h"
#include "suitecore/paths.h"
#include "suitecore/registry.h"
#include "suitecore/sysinfo.h"
#include "walker/enumprocess.h"
#include "../settings/critical_section.h"

#include <framework/window.h>

#include <shellapi.h>

#include <iterator>
#include <string>

namespace
{
struct ModuleKey
{
    int nToolId;
    LPCWSTR lpszKey;
};

// The launcher's key word of every tool, by the tool's identifier.
constexpr ModuleKey kModuleKeys[] = {
    {1143, L"RegistrySweep"},   {1144, L"RegistryBackup"}, {1145, L"SysFileBackup"},
    {1146, L"DiskSweep"},       {1147, L"DiskTune"},       {1148, L"PrivacySweep"},
    {1150, L"RegistryTune"},    {1153, L"MemoryTune"},     {1155, L"StartupTune"},
    {1157, L"InternetTune"},    {1159, L"EmptyFolderSweep"}, {1161, L"DuplicateFinder"},
    {1163, L"ShortcutFixer"},   {1165, L"FileRescue"},     {1168, L"UninstallManager"},
};
static_assert(std::size(kModuleKeys) == 15);

constexpr int kRegistryBackupTool = 1144;
constexpr int kSystemFileBackupTool = 1145;
constexpr int kMemoryOptimizerTool = 1153;
constexpr int kUninstallManagerTool = 1168;

// HKEY_CURRENT_USER\<product key>\ScanStatusForLauncher\<module key>; empty for an unknown tool.
CString LauncherStatusKeyPath(int nToolId)
{
    const CString key = GetModuleKey(nToolId);
    if (key.IsEmpty())
        return CString();
    CString path;
    GetProductKeyPath(path);
    path += L"\\ScanStatusForLauncher\\";
    path += key;
    return path;
}

LPCWSTR DefaultStatusText(int nToolId)
{
    switch (nToolId)
    {
    case kRegistryBackupTool:
    case kSystemFileBackupTool:
        return L"No Backup taken yet";
    case kMemoryOptimizerTool:
        return L"Memory not optimized yet";
    case kUninstallManagerTool:
        return L"No Uninstall Operation Performed yet";
    default:
        return L"Scan not Performed yet";
    }
}

// A query value with everything but the unreserved characters percent-encoded (as UTF-8), so
// that a name or build tag can never add keys of its own.
CString EscapeQueryValue(LPCWSTR lpszValue)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, lpszValue, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, lpszValue, -1, utf8.data(), bytes, nullptr, nullptr);
    CString out;
    for (const char c : utf8)
    {
        if (c == '\0')
            break;
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_' ||
            b == '.' || b == '~')
            out += static_cast<wchar_t>(b);
        else
            out.AppendFormat(L"%%%02X", b);
    }
    return out;
}

// The file-name part of a walker entry (a full path on the PSAPI path), lower-cased.
CString LowerImageName(LPCWSTR lpszProcessName)
{
    LPCWSTR name = lpszProcessName ? lpszProcessName : L"";
    if (LPCWSTR slash = wcsrchr(name, L'\\'))
        name = slash + 1;
    CString lower(name);
    lower.MakeLower();
    return lower;
}

// Calls fn(pid) for every process whose image name contains the lower-cased text; false when
// processes cannot be listed.
template <class Fn>
bool ForEachProcessNamed(const CString& lowerPart, Fn fn)
{
    CEnumProcess walker;
    if (walker.GetMethod() == ENUM_METHOD_NONE)
        return false;
    CEnumProcess::CProcessEntry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry))
    {
        if (LowerImageName(entry.lpszProcessName).Find(lowerPart) >= 0 && !fn(entry.dwPID))
            break;
    }
    return true;
}

CString ReadLocaleText(LCTYPE type)
{
    wchar_t text[16] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(std::size(text))))
        return CString();
    return CString(text);
}
} // namespace

namespace suitecore
{
void OpenCampaignPage(LPCWSTR lpszPage, LPCWSTR lpszTerm, bool bWithModule, HWND hOwner)
{
    CString url(lpszPage);
    url += bWithModule ? L"?module=&" : L"?";
    url += L"utm_source=" + EscapeQueryValue(g_strBuildFor);
    url += L"&utm_medium=Product&utm_term=";
    url += lpszTerm;
    url += L"&utm_content=" + EscapeQueryValue(g_strAppName);
    url += L"&utm_campaign=Default-Product";
    ShellExecuteW(hOwner, L"open", url, nullptr, nullptr, SW_SHOWMAXIMIZED);
}
} // namespace suitecore

CString GetModuleKey(int nToolId)
{
    for (const ModuleKey& entry : kModuleKeys)
    {
        if (entry.nToolId == nToolId)
            return CString(entry.lpszKey);
    }
    return CString();
}

BOOL WriteLauncherStatus(int nToolId, DWORD dwIconStatus, LPCWSTR lpszMessage, LPCWSTR lpszHomeMessage,
                         const COleDateTime* pLastRun)
{
    // An unknown tool has no key of its own: its values would land among the tools' keys.
    const CString path = LauncherStatusKeyPath(nToolId);
    if (path.IsEmpty())
        return FALSE;
    CRegistry reg(HKEY_CURRENT_USER);
    if (!reg.Open(HKEY_CURRENT_USER, path, TRUE))
        return FALSE;
    BOOL ok = reg.WriteDword(L"iconStatus", &dwIconStatus);
    ok = reg.WriteString(L"MSG", lpszMessage ? lpszMessage : L"") && ok;
    ok = reg.WriteString(L"MSGOnHome", lpszHomeMessage ? lpszHomeMessage : L"") && ok;
    if (pLastRun)
        ok = reg.WriteString(L"LastScanDateTime", pLastRun->Format()) && ok;
    return ok;
}

CString ReadLauncherStatus(int nToolId, DWORD* pdwIconStatus, BOOL bOnHome, BOOL bWantDate)
{
    CString message;
    CString date;
    const CString path = LauncherStatusKeyPath(nToolId);
    CRegistry reg(HKEY_CURRENT_USER);
    reg.m_samAccess = KEY_READ;
    if (!path.IsEmpty() && reg.Open(HKEY_CURRENT_USER, path, FALSE))
    {
        DWORD icon = 0;
        if (pdwIconStatus && reg.ReadDword(L"iconStatus", &icon))
            *pdwIconStatus = icon;
        reg.ReadString(bOnHome ? L"MSGOnHome" : L"MSG", message);
        reg.ReadString(L"LastScanDateTime", date);
    }
    if (message.IsEmpty() && !bOnHome)
        message = DefaultStatusText(nToolId);
    return bWantDate ? date : message;
}

BOOL RunElevated(LPCWSTR lpszParameters, BOOL bExit)
{
    wchar_t path[261] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    if (length == 0 || length >= std::size(path))
        return FALSE;
    CString folder(path);
    const int slash = folder.ReverseFind(L'\\');
    folder = slash >= 0 ? folder.Left(slash) : CString();

    CWnd* pMain = AfxGetMainWnd();
    HWND hMain = pMain ? pMain->GetSafeHwnd() : nullptr;
    if (hMain && !IsWindow(hMain))
        hMain = nullptr;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hMain, L"runas", path, lpszParameters, folder.IsEmpty() ? nullptr : folder.GetString(),
                      SW_SHOWNORMAL));
    if (result <= 32)
        return FALSE;
    if (bExit)
    {
        PostQuitMessage(0);
        if (!hMain)
            ExitProcess(0);
        SendMessageW(hMain, WM_QUIT, 0, 0);
    }
    return TRUE;
}

void OpenOnlineHelp()
{
    suitecore::OpenCampaignPage(suitecore::web::kOnlineHelpPage, L"Help", true, GetDesktopWindow());
}

BOOL AllowWindowMessage(UINT message, DWORD dwAction)
{
    if (GetOsMajorVersion() < 6)
        return FALSE;
    using PFN_CHANGEWINDOWMESSAGEFILTER = BOOL(WINAPI*)(UINT, DWORD);
    static const auto pfnChangeFilter = reinterpret_cast<PFN_CHANGEWINDOWMESSAGEFILTER>(
        GetProcAddress(GetModuleHandleW(L"user32"), "ChangeWindowMessageFilter"));
    return pfnChangeFilter ? pfnChangeFilter(message, dwAction) : FALSE;
}

BOOL IsUserInAdminGroup()
{
    return suitecore::IsUserInAdminGroupWith(&suitecore::ReadTokenGroups);
}

BOOL IsRunningElevated()
{
    // The access check against a descriptor granted to Administrators alone: a filtered token,
    // whose Administrators entry is deny-only, fails it.
    return IsUserAdmin();
}

BOOL TerminateProcessesByName(LPCWSTR lpszNamePart)
{
    if (!lpszNamePart || !*lpszNamePart)
        return FALSE;
    CString part(lpszNamePart);
    part.MakeLower();
    const DWORD self = GetCurrentProcessId();
    return ForEachProcessNamed(part,
                               [self](DWORD pid)
                               {
                                   // The caller is spared: a tool never ends itself this way.
                                   if (pid == self)
                                       return true;
                                   CUniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
                                   if (process)
                                       TerminateProcess(process.get(), 666);
                                   Sleep(0);
                                   return true;
                               })
               ? TRUE
               : FALSE;
}

BOOL IsProcessRunning(LPCWSTR lpszNamePart, DWORD dwMinIntervalMs)
{
    if (!lpszNamePart || !*lpszNamePart)
        return FALSE;
    if (dwMinIntervalMs != 0)
    {
        // One time stamp for the process, recorded by the calls that go on to test.
        static suitecore::CriticalSection s_lock;
        static bool s_bTested = false;
        static DWORD s_dwLastTest = 0;
        suitecore::CriticalSectionLock hold(s_lock);
        const DWORD now = GetTickCount();
        if (s_bTested && now - s_dwLastTest <= dwMinIntervalMs)
            return TRUE;
        s_bTested = true;
        s_dwLastTest = now;
    }
    CString part(lpszNamePart);
    part.MakeLower();
    bool found = false;
    ForEachProcessNamed(part,
                        [&found](DWORD)
                        {
                            found = true;
                            return false;
                        });
    return found ? TRUE : FALSE;
}

LPWSTR FormatGroupedNumber(LONGLONG nValue, LPWSTR lpszBuffer, int nCapacity)
{
    if (!lpszBuffer || nCapacity <= 0)
        return lpszBuffer;
    const std::wstring digits = std::to_wstring(nValue);
    CString decimal = ReadLocaleText(LOCALE_SDECIMAL);
    CString thousand = ReadLocaleText(LOCALE_STHOUSAND);
    NUMBERFMTW format{};
    format.NumDigits = 0;
    format.LeadingZero = static_cast<UINT>(_wtoi(ReadLocaleText(LOCALE_ILZERO)));
    format.Grouping = 3;
    format.lpDecimalSep = decimal.GetBuffer();
    format.lpThousandSep = thousand.GetBuffer();
    format.NegativeOrder = static_cast<UINT>(_wtoi(ReadLocaleText(LOCALE_INEGNUMBER)));
    if (!GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits.c_str(), &format, lpszBuffer, nCapacity))
        lpszBuffer[0] = L'\0';
    decimal.ReleaseBuffer();
    thousand.ReleaseBuffer();
    return lpszBuffer;
}

CString GetModulePathText()
{
    wchar_t path[1040] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    if (length > 0 && length < std::size(path) && PathExists(path) == 1)
        return CString(path);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    CString first = argv && argc > 0 ? CString(argv[0]) : CString();
    if (argv)
        LocalFree(argv);
    return first;
}
