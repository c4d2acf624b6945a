// The application object every tool of the suite derives its own from, the globals all tools
// share (application name, scheduled-run flags, elevation state, icon and the 24 shared fonts),
// and the small system operations every tool needs.
//
// A tool declares one global object of a class derived from COrvaneApp. The constructor stores
// the name, opens the language file and picks the shared font face; InitInstance enforces a
// single instance, reads the scheduled-run switches and prepares the user interface.
#pragma once

#include "appmessages.h"
#include "suitecore.h"

#include <framework/app.h>
#include <framework/collections.h>
#include <framework/datetime.h>
#include <framework/gdi.h>
#include <framework/string.h>

class CIniReader;
class CConfigurationManager;

// Command identifiers the application object handles (besides the framework's help commands).
enum : UINT
{
    ID_APP_NOTHING_1003 = 1003, // handled by the main window; swallowed here
    ID_APP_NOTHING_1004 = 1004,
    ID_APP_PRODUCT_PAGE = 1006,
    ID_APP_NOTHING_1008 = 1008,
    ID_APP_ONLINE_HELP = 1009,
    ID_APP_WEB_SITE = 1011,
};

// The group icon every tool shows; a tool's own wins over SuiteCore's.
constexpr UINT IDI_SUITE_APP_ICON = 1287;

class SUITECORE_API COrvaneApp : public CWinAppEx
{
    DECLARE_DYNAMIC(COrvaneApp)
public:
    // The language file is looked up in SuiteCore's own folder.
    COrvaneApp(LPCWSTR lpszAppName, LPCWSTR lpszLanguageFile);
    ~COrvaneApp() override;
    COrvaneApp(const COrvaneApp&) = delete;
    COrvaneApp& operator=(const COrvaneApp&) = delete;

    // FALSE ends the tool: a second instance that handed over or activated the first one.
    BOOL InitInstance() override;
    int ExitInstance() override;
    // Both open the online help.
    void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;
    void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F) override;

    // Creates the instance mutex (kept open for the process's life); true when another process
    // holds it.
    BOOL IsAnotherInstanceRunning();
    // Sets the scheduled-run flags from the process command line.
    void ParseCommandLineFlags();
    // Sends the scheduled command to the running instance's dialog; FALSE when it was sent,
    // TRUE when there was nobody to send it to.
    BOOL ForwardCommandToRunningInstance();

    // A text of the language file (section: the product code when empty). A missing text,
    // or a missing language file, shows the warning box and gives empty text.
    CString GetLangString(LPCWSTR lpszKey, LPCWSTR lpszSection = nullptr);
    // The same with a narrow key, converted with the thread's code page.
    CString GetLangString(LPCSTR lpszKey, LPCWSTR lpszSection = nullptr);

    // The tool's settings under HKEY_CURRENT_USER at m_pAppSettings's key path. Before
    // InitInstance made the settings store, reads give the default and writes fail.
    CString GetSettingString(LPCWSTR lpszName, LPCWSTR lpszDefault = L"");
    BOOL WriteSettingString(LPCWSTR lpszName, LPCWSTR lpszValue);
    int GetSettingInt(LPCWSTR lpszName, int nDefault = 0);
    BOOL WriteSettingInt(LPCWSTR lpszName, int nValue);
    // The integer in decimal, in one of five strings used in turn by every caller: the pointer
    // stays valid while four more such calls are made.
    LPCWSTR GetSettingIntText(LPCWSTR lpszName, int nDefault = 0);
    BOOL DeleteSetting(LPCWSTR lpszName);

    CIniReader* m_pLanguageFile;     // owned; null when the file does not exist
    CString m_strProductCode;        // "QMN", the default language section
    CMapStringToString m_mapStrings; // block size 10
    CString m_strInstanceName;       // the single-instance mutex's name
    CConfigurationManager* m_pAppSettings; // owned; made by InitInstance

protected:
    void OnOnlineHelp();
    void OnWebSite();
    void OnProductPage();
    void OnNoAction();

    DECLARE_MESSAGE_MAP()

private:
    // Shows the first instance's window and returns FALSE (the caller's answer).
    BOOL ActivatePreviousInstance();
};

// ---------------------------------------------------------------------------------------------
// The globals every tool shares, one set per process.

extern SUITECORE_API CString g_strAppName;       // the tool's name and its main window's title
extern SUITECORE_API CString g_strBuildFor;      // "QMNBUILDFOR" under HKEY_LOCAL_MACHINE, not expanded
extern SUITECORE_API CString g_strDialogContext; // "ABOUT" while the about box is shown
extern SUITECORE_API BYTE g_bScheduledRun;
extern SUITECORE_API BYTE g_bAutoFix;
extern SUITECORE_API BYTE g_bShutdownAfter;
extern SUITECORE_API BYTE g_bActivatePrevInstance; // initially 1
extern SUITECORE_API BYTE g_bPrevInstanceFound;
extern SUITECORE_API BYTE g_bEnglishLocale; // initially 0
// 0: not an administrator; 1: administrator with a full token; 2: filtered (not elevated).
extern SUITECORE_API int g_nElevationState;
extern SUITECORE_API HICON g_hAppIcon;

// The 24 shared fonts, created by InitInstance in this order.
extern SUITECORE_API CFont g_fntNormal;
extern SUITECORE_API CFont g_fntNormalUnderline;
extern SUITECORE_API CFont g_fntBoldUnderline;
extern SUITECORE_API CFont g_fntBold;
extern SUITECORE_API CFont g_fntLargeBold;
extern SUITECORE_API CFont g_fntLargeMedium;
extern SUITECORE_API CFont g_fntLarge;
extern SUITECORE_API CFont g_fntLargeUnderline;
extern SUITECORE_API CFont g_fntSmall;
extern SUITECORE_API CFont g_fntSmallBold;
extern SUITECORE_API CFont g_fntSmaller;
extern SUITECORE_API CFont g_fntTitleBold;
extern SUITECORE_API CFont g_fntTitleBoldItalic;
extern SUITECORE_API CFont g_fntHuge;
extern SUITECORE_API CFont g_fntTitle;
extern SUITECORE_API CFont g_fntHeadingUnderline;
extern SUITECORE_API CFont g_fntHeadingBold;
extern SUITECORE_API CFont g_fntHeading;
extern SUITECORE_API CFont g_fntSubHeading;
extern SUITECORE_API CFont g_fntCaption;
extern SUITECORE_API CFont g_fntCaptionBold;
extern SUITECORE_API CFont g_fntBanner;
extern SUITECORE_API CFont g_fntFixed15;
extern SUITECORE_API CFont g_fntFixed15Bold;

// ---------------------------------------------------------------------------------------------
// The receiving side of the scheduler message.

// The scheduled command a received lParam names: "shutdown", "autofix" or "schedulescan" when
// it is the address of that command in this process's SuiteCore, else null. The value is only
// compared, never read through: it is an address in the sender's process.
SUITECORE_API LPCWSTR DecodeSchedulerCommand(LPARAM lParam);

// ---------------------------------------------------------------------------------------------
// Operations.

// The launcher's key word of a tool ("" for an unknown tool).
SUITECORE_API CString GetModuleKey(int nToolId);
// Writes the tool's launcher status (the key is created when missing); the date, when given,
// as a date-time text in the user's locale. FALSE for an unknown tool or a failed write.
SUITECORE_API BOOL WriteLauncherStatus(int nToolId, DWORD dwIconStatus, LPCWSTR lpszMessage, LPCWSTR lpszHomeMessage,
                                       const COleDateTime* pLastRun = nullptr);
// The status message (on-home or the tool's own; a default text when the tool's own is empty),
// or the last-run date with bWantDate. *pdwIconStatus is set only when the value exists.
SUITECORE_API CString ReadLauncherStatus(int nToolId, DWORD* pdwIconStatus, BOOL bOnHome, BOOL bWantDate);
// Starts the tool's own executable again with the verb "runas". With bExit and on success the
// tool quits. FALSE when the start failed or was refused.
SUITECORE_API BOOL RunElevated(LPCWSTR lpszParameters, BOOL bExit);
// Opens the online-help page in the browser, maximised.
SUITECORE_API void OpenOnlineHelp();
// ChangeWindowMessageFilter on Windows Vista and later; 0 before, or when it is missing.
SUITECORE_API BOOL AllowWindowMessage(UINT message, DWORD dwAction);
// Whether the caller's token lists the Administrators group; true when the token cannot be
// read at all.
SUITECORE_API BOOL IsUserInAdminGroup();
// Whether the caller's token passes an access check granted to Administrators only.
SUITECORE_API BOOL IsRunningElevated();
// Ends (exit code 666) every process whose lower-cased image name contains the lower-cased
// text. FALSE for an empty text or when processes cannot be listed.
SUITECORE_API BOOL TerminateProcessesByName(LPCWSTR lpszNamePart);
// Whether a process's image name contains the text. Within dwMinIntervalMs of the last test
// (non-zero intervals only) it answers true without testing.
SUITECORE_API BOOL IsProcessRunning(LPCWSTR lpszNamePart, DWORD dwMinIntervalMs);
// The number with the user's thousands separator and negative form, no decimals.
SUITECORE_API LPWSTR FormatGroupedNumber(LONGLONG nValue, LPWSTR lpszBuffer, int nCapacity);
// The tool's executable path, or its first command-line argument when that file is missing.
SUITECORE_API CString GetModulePathText();
