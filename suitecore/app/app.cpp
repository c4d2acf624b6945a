// COrvaneApp: construction, start-up, single instance and the commands of the application.
#include "admin_group.h"
#include "app_internal.h"
#include "schedule_switches.h"
#include "web_addresses.h"

#include "suitecore/app.h"
#include "suitecore/inifile.h"
#include "suitecore/paths.h"
#include "suitecore/registry.h"
#include "suitecore/sysinfo.h"
#include "../settings/critical_section.h"
#include "../settings/this_module.h"

#include <framework/handles.h>
#include <framework/window.h>

#include <qmnhtm.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <clocale>
#include <iterator>

IMPLEMENT_DYNAMIC(COrvaneApp, CWinAppEx)

BEGIN_MESSAGE_MAP(COrvaneApp, CWinAppEx)
    ON_COMMAND(ID_HELP_FINDER, &COrvaneApp::OnOnlineHelp)
    ON_COMMAND(ID_CONTEXT_HELP, &COrvaneApp::OnOnlineHelp)
    ON_COMMAND(ID_HELP, &COrvaneApp::OnOnlineHelp)
    ON_COMMAND(ID_DEFAULT_HELP, &COrvaneApp::OnOnlineHelp)
    ON_COMMAND(ID_APP_ONLINE_HELP, &COrvaneApp::OnOnlineHelp)
    ON_COMMAND(ID_APP_WEB_SITE, &COrvaneApp::OnWebSite)
    ON_COMMAND(ID_APP_PRODUCT_PAGE, &COrvaneApp::OnProductPage)
    ON_COMMAND(ID_APP_NOTHING_1003, &COrvaneApp::OnNoAction)
    ON_COMMAND(ID_APP_NOTHING_1004, &COrvaneApp::OnNoAction)
    ON_COMMAND(ID_APP_NOTHING_1008, &COrvaneApp::OnNoAction)
END_MESSAGE_MAP()

CString g_strAppName;
CString g_strBuildFor;
CString g_strDialogContext;
BYTE g_bScheduledRun = 0;
BYTE g_bAutoFix = 0;
BYTE g_bShutdownAfter = 0;
BYTE g_bActivatePrevInstance = 1;
BYTE g_bPrevInstanceFound = 0;
BYTE g_bEnglishLocale = 0;
int g_nElevationState = 0;
HICON g_hAppIcon = nullptr;

namespace
{
constexpr LPCWSTR kInstanceSuffix = L"_24BF8EAB-03C7-4e3c-B10F-1D1F7C0297CB";
constexpr LPCWSTR kDialogClass = L"#32770";

// GDI+ runs from the first application object to the end of the process.
void StartGdiPlusOnce()
{
    static const ULONG_PTR token = []
    {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, thread and codecs not suppressed
        ULONG_PTR started = 0;
        if (Gdiplus::GdiplusStartup(&started, &input, nullptr) != Gdiplus::Ok)
            started = 0;
        return started;
    }();
    (void)token;
}

// The instance mutex stays open until the process ends, so that later starts see it.
CUniqueHandle& InstanceMutex()
{
    static CUniqueHandle mutex;
    return mutex;
}

CString ReadBuildTag()
{
    CString path;
    GetProductKeyPath(path);
    CRegistry reg(HKEY_LOCAL_MACHINE);
    reg.m_samAccess = KEY_READ;
    CString tag;
    if (reg.Open(HKEY_LOCAL_MACHINE, path, FALSE) && !reg.ReadString(L"QMNBUILDFOR", tag))
        tag.Empty();
    return tag;
}

// The rotating texts of GetSettingIntText, guarded by their own lock.
constexpr int kIntTextSlots = 5;
struct IntTextRing
{
    suitecore::CriticalSection lock;
    wchar_t texts[kIntTextSlots][16] = {};
    int next = 0;
};

IntTextRing& TheIntTextRing()
{
    static IntTextRing ring;
    return ring;
}

void SetRuntimeLocaleToEnglish()
{
    for (int category : {LC_COLLATE, LC_CTYPE, LC_MONETARY, LC_NUMERIC, LC_TIME})
        _wsetlocale(category, L"English");
    _wsetlocale(LC_ALL, L"English");
}
} // namespace

LPCWSTR DecodeSchedulerCommand(LPARAM lParam)
{
    // Compared as numbers only: the value is an address in the sender's process.
    for (LPCWSTR command :
         {suitecore::kSchedulerShutdown, suitecore::kSchedulerAutoFix, suitecore::kSchedulerScheduleScan})
    {
        if (static_cast<UINT_PTR>(lParam) == reinterpret_cast<UINT_PTR>(command))
            return command;
    }
    return nullptr;
}

COrvaneApp::COrvaneApp(LPCWSTR lpszAppName, LPCWSTR lpszLanguageFile)
    : CWinAppEx(TRUE), m_pLanguageFile(nullptr), m_mapStrings(10), m_pAppSettings(nullptr)
{
    g_strAppName = lpszAppName ? lpszAppName : L"";
    m_pLanguageFile = OpenIniReader(lpszLanguageFile, TRUE);
    m_strProductCode = L"QMN";
    m_strInstanceName = L"QMN_" + g_strAppName + kInstanceSuffix;

    suitecore::ChooseSharedFont();
    StartGdiPlusOnce();

    g_bEnglishLocale = 0;
    g_nElevationState = suitecore::ElevationStateFor(IsUserInAdminGroup(), IsRunningElevated());
}

COrvaneApp::~COrvaneApp()
{
    m_mapStrings.RemoveAll();
    ReleaseIniReader(m_pLanguageFile);
    m_pLanguageFile = nullptr;
    delete m_pAppSettings;
    m_pAppSettings = nullptr;
}

BOOL COrvaneApp::InitInstance()
{
    CWinAppEx::InitInstance();
    g_hAppIcon = LoadIcon(IDI_SUITE_APP_ICON);

    // An elevated tool still hears these from the unelevated ones.
    if (GetOsMajorVersion() >= 6)
    {
        for (UINT message : {static_cast<UINT>(WM_COPYDATA), static_cast<UINT>(WM_SETTEXT),
                             static_cast<UINT>(WM_CLOSE), g_nSchedulerMessage, g_nBroadcastMessage})
            AllowWindowMessage(message, 1 /* MSGFLT_ADD */);
    }

    ParseCommandLineFlags();
    if (g_bScheduledRun)
        g_bActivatePrevInstance = 0;

    g_bPrevInstanceFound = IsAnotherInstanceRunning() ? 1 : 0;
    if (g_bPrevInstanceFound)
    {
        if (g_bActivatePrevInstance)
            return ActivatePreviousInstance();
        if ((g_bScheduledRun || g_bAutoFix || g_bShutdownAfter) && !ForwardCommandToRunningInstance())
        {
            PostQuitMessage(0);
            return FALSE;
        }
    }

    INITCOMMONCONTROLSEX controls{8, 0xFF};
    InitCommonControlsEx(&controls);
    AfxEnableControlContainer();
    AfxInitRichEdit2();

    if (g_bEnglishLocale == 1)
        SetRuntimeLocaleToEnglish();

    AfxOleInit();
    InitContextMenuManager();
    InitKeyboardManager();
    InitTooltipManager();
    InitMouseManager();
    InitShellManager();
    CMFCToolTipInfo params;
    params.m_bVislManagerTheme = TRUE;
    GetTooltipManager()->SetTooltipParams(AFX_TOOLTIP_TYPE_ALL, nullptr, &params);

    g_strBuildFor = ReadBuildTag();
    SetRegistryKey(CString(L"Orvane\\QMN3\\") + g_strAppName);
    delete m_pAppSettings;
    m_pAppSettings = CConfigurationManager::CreateForProfile(g_strAppName);

    suitecore::CreateSharedFonts();

    QHTM_Initialize(m_hInstance ? m_hInstance : GetModuleHandleW(nullptr));
    QHTM_Initialize(suitecore::ThisModule());

    CString folder;
    if (GetModuleFolder(nullptr, folder))
        SetCurrentDirectoryW(folder);
    return TRUE;
}

int COrvaneApp::ExitInstance()
{
    return CWinAppEx::ExitInstance();
}

void COrvaneApp::WinHelp(DWORD_PTR, UINT)
{
    OpenOnlineHelp();
}

void COrvaneApp::HtmlHelp(DWORD_PTR, UINT)
{
    OpenOnlineHelp();
}

BOOL COrvaneApp::IsAnotherInstanceRunning()
{
    HANDLE hMutex = CreateMutexW(nullptr, TRUE, m_strInstanceName);
    const DWORD error = GetLastError();
    if (hMutex)
    {
        // Owned only when this call created it; the handle is what keeps it alive.
        ReleaseMutex(hMutex);
        InstanceMutex().reset(hMutex);
    }
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

void COrvaneApp::ParseCommandLineFlags()
{
    const suitecore::ScheduleSwitches switches = suitecore::ParseScheduleSwitches(GetCommandLineW());
    g_bScheduledRun = switches.scheduledRun;
    g_bAutoFix = switches.autoFix;
    g_bShutdownAfter = switches.shutdownAfter;
}

BOOL COrvaneApp::ForwardCommandToRunningInstance()
{
    HWND hRunning = FindWindowW(kDialogClass, g_strAppName);
    if (!hRunning)
        return TRUE;
    const suitecore::ScheduleSwitches switches{g_bScheduledRun, g_bAutoFix, g_bShutdownAfter};
    SendMessageW(hRunning, g_nSchedulerMessage, 0, reinterpret_cast<LPARAM>(suitecore::SchedulerCommandFor(switches)));
    return FALSE;
}

BOOL COrvaneApp::ActivatePreviousInstance()
{
    HWND hRunning = FindWindowW(kDialogClass, g_strAppName);
    if (!hRunning)
        hRunning = FindWindowW(nullptr, g_strAppName);
    if (hRunning)
    {
        ShowWindow(hRunning, SW_SHOWNORMAL);
        BringWindowToTop(hRunning);
        SetForegroundWindow(GetLastActivePopup(hRunning));
    }
    return FALSE;
}

CString COrvaneApp::GetLangString(LPCWSTR lpszKey, LPCWSTR lpszSection)
{
    // ReadIniTextOrWarn takes a null reader as a missing text: warning, empty answer.
    CString text;
    ReadIniTextOrWarn(text, lpszKey, lpszSection && *lpszSection ? lpszSection : m_strProductCode.GetString(),
                      m_pLanguageFile);
    return text;
}

CString COrvaneApp::GetLangString(LPCSTR lpszKey, LPCWSTR lpszSection)
{
    CString key;
    if (lpszKey)
    {
        const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, lpszKey, -1, nullptr, 0);
        if (length > 0)
        {
            MultiByteToWideChar(CP_THREAD_ACP, 0, lpszKey, -1, key.GetBuffer(length), length);
            key.ReleaseBuffer();
        }
    }
    return GetLangString(key.GetString(), lpszSection);
}

CString COrvaneApp::GetSettingString(LPCWSTR lpszName, LPCWSTR lpszDefault)
{
    CString value(lpszDefault ? lpszDefault : L"");
    if (!m_pAppSettings)
        return value;
    CRegistry reg(HKEY_CURRENT_USER);
    reg.m_samAccess = KEY_READ;
    CString stored;
    if (reg.Open(HKEY_CURRENT_USER, m_pAppSettings->GetKeyPath(), FALSE) && reg.ReadString(lpszName, stored))
        value = stored;
    return value;
}

BOOL COrvaneApp::WriteSettingString(LPCWSTR lpszName, LPCWSTR lpszValue)
{
    if (!m_pAppSettings)
        return FALSE;
    CRegistry reg(HKEY_CURRENT_USER);
    return reg.Open(HKEY_CURRENT_USER, m_pAppSettings->GetKeyPath(), TRUE) &&
           reg.WriteString(lpszName, lpszValue ? lpszValue : L"");
}

int COrvaneApp::GetSettingInt(LPCWSTR lpszName, int nDefault)
{
    if (!m_pAppSettings)
        return nDefault;
    CRegistry reg(HKEY_CURRENT_USER);
    reg.m_samAccess = KEY_READ;
    DWORD value = 0;
    if (reg.Open(HKEY_CURRENT_USER, m_pAppSettings->GetKeyPath(), FALSE) && reg.ReadDword(lpszName, &value))
        return static_cast<int>(value);
    return nDefault;
}

BOOL COrvaneApp::WriteSettingInt(LPCWSTR lpszName, int nValue)
{
    if (!m_pAppSettings)
        return FALSE;
    CRegistry reg(HKEY_CURRENT_USER);
    const DWORD value = static_cast<DWORD>(nValue);
    return reg.Open(HKEY_CURRENT_USER, m_pAppSettings->GetKeyPath(), TRUE) && reg.WriteDword(lpszName, &value);
}

LPCWSTR COrvaneApp::GetSettingIntText(LPCWSTR lpszName, int nDefault)
{
    const int value = GetSettingInt(lpszName, nDefault);
    IntTextRing& ring = TheIntTextRing();
    suitecore::CriticalSectionLock hold(ring.lock);
    wchar_t* text = ring.texts[ring.next];
    ring.next = (ring.next + 1) % kIntTextSlots;
    _itow_s(value, text, std::size(ring.texts[0]), 10);
    return text;
}

BOOL COrvaneApp::DeleteSetting(LPCWSTR lpszName)
{
    if (!m_pAppSettings)
        return FALSE;
    CRegistry reg(HKEY_CURRENT_USER);
    return reg.Open(HKEY_CURRENT_USER, m_pAppSettings->GetKeyPath(), FALSE) && reg.DeleteValue(lpszName);
}

void COrvaneApp::OnOnlineHelp()
{
    OpenOnlineHelp();
}

void COrvaneApp::OnWebSite()
{
    suitecore::OpenCampaignPage(suitecore::web::kWebSite, L"Website", false, nullptr);
}

void COrvaneApp::OnProductPage()
{
    suitecore::OpenCampaignPage(suitecore::web::kProductPage, L"Help", false, nullptr);
}

void COrvaneApp::OnNoAction()
{
    // The main window acts on these; at the application level they end here.
}
