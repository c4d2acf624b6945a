// The application object and the one value Farewell leaves behind.
#include "farewell.h"

#include <suitecore/registry.h>

CFarewellDlg* g_pFarewellDlg = nullptr;

void WriteProceedUninstall(DWORD dwValue)
{
    CRegistry registry(HKEY_LOCAL_MACHINE);
    registry.m_samAccess = KEY_READ | KEY_WRITE;
    if (!registry.Open(HKEY_LOCAL_MACHINE, kProceedUninstallKey, TRUE))
        return;
    registry.WriteDword(kProceedUninstallValue, &dwValue);
    registry.Close();
}

CFarewellApp::CFarewellApp() : COrvaneApp(L"Farewell", L"qmn.ini") {}

BOOL CFarewellApp::InitInstance()
{
    // The wizard runs whatever the start-up decided: the uninstaller waits for its answer.
    COrvaneApp::InitInstance();

    CFarewellDlg wizard;
    m_pMainWnd = &wizard;
    g_pFarewellDlg = &wizard;
    wizard.DoModal();
    g_pFarewellDlg = nullptr;
    m_pMainWnd = nullptr;
    return FALSE;
}

CFarewellApp theApp;
