// Farewell, the survey the uninstaller runs before it removes anything: a two-page wizard that
// asks why the user leaves, offers the technical support, and records in the registry whether
// the uninstall is to go on ("ProceedUninstall" under the machine's product key).
#pragma once

#include "resource.h"

#include <suitecore/app.h>
#include <suitecore/ui/basewnd.h>
#include <suitecore/ui/buttons.h>
#include <suitecore/ui/stbitmap.h>

#include <framework/dialog.h>
#include <framework/gdi.h>

// The value the uninstaller reads, and its key under HKEY_LOCAL_MACHINE (32-bit view).
constexpr const wchar_t* kProceedUninstallKey = L"Software\\Orvane\\QMN3";
constexpr const wchar_t* kProceedUninstallValue = L"ProceedUninstall";

// Writes the decision: 1 keeps the suite, 0 lets the uninstall go on. Failures (no rights to
// the machine's keys) are silent: the wizard closes as usual.
void WriteProceedUninstall(DWORD dwValue);

// What every page shares: its controls' colours, and Enter and Escape kept from closing it.
class CDlgStepBase : public CDialog
{
public:
    CDlgStepBase(UINT nIDTemplate, CWnd* pParentWnd);

    // The page's default work only while the key that may have sent the command is up.
    void OnOK() override;
    void OnCancel() override;

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()
};

// Page 1: thanks the user and asks why they leave.
class CDlgStep1 : public CDlgStepBase
{
public:
    CDlgStep1();
    BOOL OnInitDialog() override;

    int m_nAnswer = 0; // 1 once the answer was chosen

protected:
    void OnPaint();
    void OnReasonChosen();

    DECLARE_MESSAGE_MAP()

private:
    CSTBitmap m_bmpBand;     // 136, tiled
    CSTBitmap m_bmpEmblem;   // 137
    CSTBitmap m_bmpBackdrop; // 135, behind the question
};

// Page 3: the support offer, all painted.
class CDlgStep3 : public CDlgStepBase
{
public:
    CDlgStep3();
    BOOL OnInitDialog() override;

    HICON m_hBullet = nullptr; // SuiteCore's icon 1314, shared (never destroyed)

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    CSTBitmap m_bmpBand;   // 138, tiled
    CSTBitmap m_bmpEmblem; // 139
};

class CFarewellDlg : public CDlgBaseChildPopUpWndBase
{
public:
    CFarewellDlg();

    BOOL OnInitDialog() override;
    // No Uninstall: writes 1 and closes. Cancel: writes 0 and closes. Neither while the key
    // that the dialog manager turns into the command is held down.
    void OnOK() override;
    void OnCancel() override;

    // The first page's answer was chosen.
    void EnableContinue();

    CDlgStep1 m_step1;
    CDlgStep3 m_step3;
    CHoverButtonWithText m_btnCancel;
    CHoverButtonWithText m_btnBack;
    CHoverButtonWithText m_btnNoUninstall;
    CHoverButtonWithText m_btnContinue;
    CHoverButtonWithText m_btnGetHelp;
    HICON m_hIcon = nullptr; // icon 128 of the program, shared (never destroyed)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnBack();
    void OnContinue();
    void OnGetHelp();

    DECLARE_MESSAGE_MAP()

private:
    void PlaceButtons();

    CBrush m_brBackground; // made on first use
};

// The wizard while it runs; page 1 reaches the Continue button through it.
extern CFarewellDlg* g_pFarewellDlg;

class CFarewellApp : public COrvaneApp
{
public:
    CFarewellApp();
    // Runs the wizard and ends the program.
    BOOL InitInstance() override;
};
