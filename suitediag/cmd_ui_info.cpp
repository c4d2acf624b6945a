// SuiteDiag ui info: what the start-up settled, and how the menus will look, one
// "key<TAB>value" line each.
#include "ui_view.h"

#include <suitecore/app.h>
#include <suitecore/ui/menu.h>
#include <suitecore/ui/trayicon.h>

#include <framework/app.h>

namespace
{
CString RegisteredName(UINT message)
{
    // Registered window messages share the atom table of clipboard formats.
    wchar_t name[256] = {};
    return GetClipboardFormatNameW(message, name, 256) > 0 ? CString(name) : CString();
}

CString CurrentFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return length > 0 && length <= MAX_PATH ? CString(folder) : CString();
}

int RunInfo(suitediag::Args& args, BOOL)
{
    args.ExpectEnd();
    const auto* app = dynamic_cast<COrvaneApp*>(AfxGetApp());
    suitediag::OutFormat(L"app-name\t%s\n", g_strAppName.GetString());
    suitediag::OutFormat(L"instance-mutex\t%s\n", app ? app->m_strInstanceName.GetString() : L"");
    suitediag::OutFormat(L"scheduler-message\t%u\t%s\n", g_nSchedulerMessage,
                         RegisteredName(g_nSchedulerMessage).GetString());
    suitediag::OutFormat(L"broadcast-message\t%u\t%s\n", g_nBroadcastMessage,
                         RegisteredName(g_nBroadcastMessage).GetString());
    suitediag::OutFormat(L"elevation\t%d\n", g_nElevationState);
    suitediag::OutFormat(L"admin-group\t%d\n", IsUserInAdminGroup() ? 1 : 0);
    suitediag::OutFormat(L"elevated\t%d\n", IsRunningElevated() ? 1 : 0);
    suitediag::OutFormat(L"build-for\t%s\n", g_strBuildFor.GetString());
    suitediag::OutFormat(L"windows-class\t%d\n", GetWindowsClass());
    suitediag::OutFormat(L"classic-theme\t%d\n", IsClassicTheme() ? 1 : 0);
    suitediag::OutFormat(L"xp-menu-look\t%d\n", UseXPMenuLook() ? 1 : 0);
    suitediag::OutFormat(L"shell5\t%d\n", IsShellVersion5() ? 1 : 0);
    suitediag::OutFormat(L"current-dir\t%s\n", CurrentFolder().GetString());
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(info, L"info", L"", L"The application name, messages, elevation, build tag and folder", false,
                  RunInfo);
