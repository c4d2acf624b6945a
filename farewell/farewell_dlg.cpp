// CFarewellDlg, the wizard window: a skinned pop-up holding the two pages and five buttons.
#include "farewell.h"

#include <framework/module.h>

namespace
{
constexpr COLORREF kBackground = RGB(216, 225, 234);
constexpr int kWidth = 522;
constexpr int kHeight = 422;
constexpr RECT kPageRect = {6, 36, 516, 358};
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 28;

bool KeyDown(int vk)
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

struct ButtonPlace
{
    CHoverButtonWithText CFarewellDlg::*button;
    UINT bitmap;
    int x;
    int y;
};

// Back and No Uninstall share a place, as do Continue and Get Help: one of each pair shows.
constexpr ButtonPlace kButtonPlaces[] = {
    {&CFarewellDlg::m_btnCancel, IDB_SUITE_DARK_BUTTON, 22, 377},
    {&CFarewellDlg::m_btnBack, IDB_SUITE_DARK_BUTTON, 247, 377},
    {&CFarewellDlg::m_btnNoUninstall, IDB_SUITE_DARK_BUTTON, 247, 377},
    {&CFarewellDlg::m_btnContinue, IDB_SUITE_LIGHT_BUTTON, 372, 377},
    {&CFarewellDlg::m_btnGetHelp, IDB_SUITE_LIGHT_BUTTON, 372, 377},
};
} // namespace

BEGIN_MESSAGE_MAP(CFarewellDlg, CDlgBaseChildPopUpWndBase)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_FAREWELL_BACK, &CFarewellDlg::OnBack)
    ON_BN_CLICKED(IDC_FAREWELL_CONTINUE, &CFarewellDlg::OnContinue)
    ON_BN_CLICKED(IDC_FAREWELL_GETHELP, &CFarewellDlg::OnGetHelp)
END_MESSAGE_MAP()

CFarewellDlg::CFarewellDlg() : CDlgBaseChildPopUpWndBase(IDD_FAREWELL, nullptr)
{
    SetDarkStyle(m_btnCancel);
    SetDarkStyle(m_btnBack);
    SetDarkStyle(m_btnNoUninstall);
    SetLightStyle(m_btnGetHelp);
    SetLightStyle(m_btnContinue);
    if (HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(IDI_FAREWELL), RT_GROUP_ICON))
        m_hIcon = ::LoadIconW(hInst, MAKEINTRESOURCEW(IDI_FAREWELL));
}

void CFarewellDlg::DoDataExchange(CDataExchange* pDX)
{
    CDlgBaseChildPopUpWndBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_FAREWELL_BACK, m_btnBack);
    DDX_Control(pDX, IDOK, m_btnNoUninstall);
    DDX_Control(pDX, IDC_FAREWELL_CONTINUE, m_btnContinue);
    DDX_Control(pDX, IDC_FAREWELL_GETHELP, m_btnGetHelp);
}

BOOL CFarewellDlg::OnInitDialog()
{
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    MoveWindow(0, 0, kWidth, kHeight);
    CenterWindow();
    if (m_hIcon)
    {
        SetIcon(m_hIcon, TRUE);
        SetIcon(m_hIcon, FALSE);
    }

    const int pageWidth = kPageRect.right - kPageRect.left;
    const int pageHeight = kPageRect.bottom - kPageRect.top;
    for (CDialog* page : {static_cast<CDialog*>(&m_step1), static_cast<CDialog*>(&m_step3)})
    {
        if (page->Create(page == &m_step1 ? IDD_STEP1 : IDD_STEP3, this))
            page->MoveWindow(kPageRect.left, kPageRect.top, pageWidth, pageHeight);
    }
    if (m_step1.m_hWnd)
        m_step1.ShowWindow(SW_SHOW);
    if (m_step3.m_hWnd)
        m_step3.ShowWindow(SW_HIDE);
    if (m_step1.m_hWnd)
        m_step1.SetFocus();

    m_btnNoUninstall.ShowWindow(SW_HIDE);
    m_btnNoUninstall.EnableWindow(FALSE);
    m_btnContinue.EnableWindow(FALSE);
    m_btnGetHelp.ShowWindow(SW_HIDE);
    m_btnGetHelp.EnableWindow(FALSE);
    PlaceButtons();
    return FALSE; // the focus is on page 1
}

void CFarewellDlg::PlaceButtons()
{
    for (const ButtonPlace& place : kButtonPlaces)
    {
        CHoverButtonWithText& button = this->*place.button;
        if (!button.m_hWnd)
            continue;
        button.SetBitmap(place.bitmap);
        button.SetWindowPos(nullptr, place.x, place.y, kButtonWidth, kButtonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HBRUSH CFarewellDlg::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    if (!m_brBackground.GetSafeHandle())
        m_brBackground.CreateSolidBrush(kBackground);
    pDC->SetBkColor(kBackground);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(0, 0, 0));
    return static_cast<HBRUSH>(m_brBackground.GetSafeHandle());
}

void CFarewellDlg::OnOK()
{
    if (KeyDown(VK_RETURN))
        return;
    WriteProceedUninstall(1);
    CDlgBaseChildPopUpWndBase::OnOK();
}

void CFarewellDlg::OnCancel()
{
    if (KeyDown(VK_ESCAPE))
        return;
    WriteProceedUninstall(0);
    CDlgBaseChildPopUpWndBase::OnCancel();
}

void CFarewellDlg::EnableContinue()
{
    if (m_btnContinue.m_hWnd)
        m_btnContinue.EnableWindow(TRUE);
}

void CFarewellDlg::OnBack()
{
    // Disabled on page 1 and hidden on page 3: there is no way back.
}

void CFarewellDlg::OnContinue()
{
    m_btnContinue.EnableWindow(FALSE);
    m_btnContinue.ShowWindow(SW_HIDE);
    m_btnBack.ShowWindow(SW_HIDE);
    m_step1.ShowWindow(SW_HIDE);
    m_step3.ShowWindow(SW_SHOW);
    m_btnGetHelp.SetWindowText(L"Get Help");
    m_btnGetHelp.ShowWindow(SW_SHOW);
    m_btnGetHelp.EnableWindow(TRUE);
    m_btnNoUninstall.EnableWindow(TRUE);
    m_btnNoUninstall.ShowWindow(SW_SHOW);
}

void CFarewellDlg::OnGetHelp()
{
    // The help page carries the library's module name, which Farewell leaves empty.
    OpenHelpPage();
    WriteProceedUninstall(0);
    CDlgBaseChildPopUpWndBase::OnOK();
}
