// CDlgMainWnd: a tool's main window with its own caption buttons, system menu and help menu.
#include "suitecore/ui/aboutbox.h"
#include "suitecore/ui/basewnd.h"
#include "suitecore/ui/menu.h"

#include "basewnd_env.h"
#include "skin_paint.h"

#include "suitecore/appmessages.h"
#include "suitecore/inifile.h"

#include <framework/app.h>
#include <framework/menu.h>
#include <framework/module.h>

#include <shellapi.h>

#include <memory>

using namespace suitecore::basewnd;

namespace
{
constexpr int kDragBand = 29;       // the top band that drags the window
constexpr int kCaptionButtonY = 2;
constexpr int kSmallButtonWidth = 25;
constexpr int kButtonHeight = 18;
constexpr UINT kBroadcastQuit = 1001;

const HelpMenuItem kHelpMenu[] = {
    {ID_HELPMENU_HELP, 1304, L"Online Help"},
    {ID_HELPMENU_WEBSITE, 1308, L"Orvane Website"},
    {ID_HELPMENU_UPDATE, 1307, L"Check For Updates"},
    {ID_HELPMENU_FEEDBACK, 1303, L"Report Feedback"},
    {ID_HELPMENU_ABOUT, 1293, L"About"},
    {ID_HELPMENU_DEMO, 1297, L"View Demo"},
};

// A text of the language file "QMN.ini" (section "QMN"); a missing text warns and is empty.
CString LanguageText(LPCWSTR lpszKey)
{
    std::unique_ptr<CIniReader, void (*)(CIniReader*)> reader(OpenIniReader(L"QMN.ini", TRUE), &ReleaseIniReader);
    CString text;
    return ReadIniTextOrWarn(text, lpszKey, L"QMN", reader.get());
}

// String 0xE000 of the tool (the framework's resource search finds it in the program first).
CString ApplicationTitle()
{
    const UINT id = 0xE000;
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
    WCHAR buffer[256] = {};
    if (hInst)
        ::LoadStringW(hInst, id, buffer, 256);
    return buffer;
}

// The client height of the taskbar window, 0 when there is none.
int TrayClientHeight()
{
    HWND hTray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT rc{};
    if (!hTray || !::GetClientRect(hTray, &rc))
        return 0;
    return rc.bottom - rc.top;
}

void CreateCaptionButton(CHoverButton& button, CWnd* pParent, UINT nID, UINT nBitmap, bool bVisible)
{
    const RECT rc = {0, 0, kSmallButtonWidth, kButtonHeight};
    DWORD style = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;
    if (bVisible)
        style |= WS_VISIBLE;
    if (!button.Create(L"", style, rc, pParent, nID))
        return;
    button.SetBitmap(nBitmap);
    button.SetFont(suitecore::basewnd::UiFont(), FALSE);
}

void PlaceButton(CWnd& button, int x, int y)
{
    if (button.m_hWnd)
        ::SetWindowPos(button.m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ButtonWidth(const CWnd& button)
{
    RECT rc{};
    if (button.m_hWnd)
        ::GetWindowRect(button.m_hWnd, &rc);
    return rc.right - rc.left;
}
} // namespace

void suitecore::basewnd::SuiteMaxTrackSize(MINMAXINFO* lpMMI, int nMinWidth, int nMinHeight)
{
    lpMMI->ptMinTrackSize.x = nMinWidth;
    lpMMI->ptMinTrackSize.y = nMinHeight;
    lpMMI->ptMaxTrackSize.x = ::GetSystemMetrics(SM_CXMAXTRACK);
    lpMMI->ptMaxTrackSize.y = ::GetSystemMetrics(SM_CYMAXTRACK) - TrayClientHeight() - 5;
}

int GetHelpMenuItems(BOOL bHasDemo, const HelpMenuItem** ppItems)
{
    if (ppItems)
        *ppItems = kHelpMenu;
    return bHasDemo ? 6 : 5;
}

IMPLEMENT_DYNCREATE(CDlgMainWnd, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgMainWnd, CDlgBaseWnd)
    ON_WM_SIZE()
    ON_WM_SYSCOMMAND()
    ON_WM_GETMINMAXINFO()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_BN_CLICKED(IDC_BASEWND_MINIMIZE, &CDlgMainWnd::OnMinimizeButton)
    ON_BN_CLICKED(IDC_BASEWND_MAXRESTORE, &CDlgMainWnd::OnMaxRestoreButton)
    ON_BN_CLICKED(IDC_BASEWND_HELP, &CDlgMainWnd::OnHelpButton)
    ON_BN_CLICKED(IDC_BASEWND_DEMO, &CDlgMainWnd::OnDemoButton)
    ON_COMMAND_RANGE(ID_HELPMENU_ABOUT, ID_HELPMENU_DEMO, &CDlgMainWnd::OnHelpMenuCommand)
    ON_COMMAND_RANGE(ID_HELPMENU_FEEDBACK, ID_HELPMENU_HELP, &CDlgMainWnd::OnHelpMenuCommand)
    ON_COMMAND_RANGE(ID_HELPMENU_WEBSITE, ID_HELPMENU_WEBSITE, &CDlgMainWnd::OnHelpMenuCommand)
    ON_REGISTERED_MESSAGE(g_nBroadcastMessage, &CDlgMainWnd::OnBroadcast)
    ON_MESSAGE(WM_KICKIDLE, &CDlgMainWnd::OnKickIdle)
END_MESSAGE_MAP()

CDlgMainWnd::CDlgMainWnd() = default;

CDlgMainWnd::CDlgMainWnd(UINT nIDTemplate, CWnd* pParentWnd) : CDlgBaseWnd(nIDTemplate, pParentWnd) {}

CDlgMainWnd::~CDlgMainWnd() = default;

BOOL CDlgMainWnd::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    if (m_nTemplateID)
    {
        HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nTemplateID), RT_DIALOG);
        m_fontScaler.Apply(hInst, m_hWnd, static_cast<UINT>(m_nTemplateID), 96);
        SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()->GetSafeHandle()), TRUE, TRUE);
    }
    if (HICON hIcon = AppIcon())
    {
        SetWindowText(ApplicationTitle());
        SetIcon(hIcon, TRUE);
        SetIcon(hIcon, FALSE);
    }
    MoveWindow(0, 0, 772, 583);
    if (m_bSystemMenu)
        RebuildSystemMenu();
    CreateCaptionButtons();
    m_bInitialized = 1;
    return TRUE;
}

void CDlgMainWnd::RebuildSystemMenu()
{
    ModifyStyle(0, WS_SYSMENU);
    HMENU hMenu = GetSystemMenuHandle(FALSE);
    if (!hMenu)
        return;
    for (UINT cmd : {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE, SC_SIZE, SC_CLOSE, SC_MOVE})
        ::DeleteMenu(hMenu, cmd, MF_BYCOMMAND);
    for (int i = 0; i < 3; ++i)
        ::DeleteMenu(hMenu, 0, MF_BYPOSITION);
    ::DeleteMenu(hMenu, 1, MF_BYPOSITION);
    ::AppendMenuW(hMenu, MF_STRING, ID_BASEWND_SYSMENU_ABOUT, m_strSysMenuFirst);
    ::AppendMenuW(hMenu, MF_STRING, SC_RESTORE, LanguageText(L"IDS_STR_RESTORE"));
    ::AppendMenuW(hMenu, MF_STRING, SC_MINIMIZE, LanguageText(L"IDS_STR_MINIMIZE"));
    ::AppendMenuW(hMenu, MF_STRING, SC_MOVE, LanguageText(L"IDS_STR_MOVE"));
    ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(hMenu, MF_STRING, SC_CLOSE, LanguageText(L"IDS_STR_CLOSE"));
    ModifyStyle(0, WS_MINIMIZEBOX);
}

void CDlgMainWnd::CreateCaptionButtons()
{
    CreateCaptionButton(m_btnClose, this, IDC_BASEWND_CLOSE, 1038, true);
    if (m_bResizable)
    {
        CreateCaptionButton(m_btnMaximize, this, IDC_BASEWND_MAXRESTORE, 1063, !m_bMaximized);
        CreateCaptionButton(m_btnRestore, this, IDC_BASEWND_MAXRESTORE, 1062, m_bMaximized);
    }
    CreateCaptionButton(m_btnMinimize, this, IDC_BASEWND_MINIMIZE, 1042, true);
    RECT rc{};
    GetClientRect(&rc);
    PlaceCaptionButtons(rc.right, rc.bottom);
}

void CDlgMainWnd::PlaceCaptionButtons(int cx, int)
{
    const int closeX = cx - ButtonWidth(m_btnClose) - 7;
    PlaceButton(m_btnClose, closeX, kCaptionButtonY);
    int minX = closeX - kSmallButtonWidth;
    if (m_bResizable)
    {
        PlaceButton(m_btnMaximize, minX, kCaptionButtonY);
        PlaceButton(m_btnRestore, minX, kCaptionButtonY);
        minX -= kSmallButtonWidth;
    }
    PlaceButton(m_btnMinimize, minX, kCaptionButtonY);
}

void CDlgMainWnd::OnSize(UINT, int cx, int cy)
{
    PlaceCaptionButtons(cx, cy);
    Invalidate(FALSE);
}

void CDlgMainWnd::ToggleMaximize()
{
    m_bMaximized = m_bMaximized ? 0 : 1;
    PostMessage(WM_SYSCOMMAND, m_bMaximized ? SC_MAXIMIZE : SC_RESTORE, 0);
    if (m_btnMaximize.m_hWnd && m_btnRestore.m_hWnd)
    {
        m_btnMaximize.ShowWindow(m_bMaximized ? SW_HIDE : SW_SHOW);
        m_btnRestore.ShowWindow(m_bMaximized ? SW_SHOW : SW_HIDE);
    }
}

void CDlgMainWnd::OnMinimizeButton()
{
    POINT pt{};
    ::GetCursorPos(&pt);
    PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, MAKELPARAM(pt.x, pt.y));
}

void CDlgMainWnd::OnMaxRestoreButton()
{
    ToggleMaximize();
}

void CDlgMainWnd::OnSysCommand(UINT nID, LPARAM)
{
    m_bSysCommandSeen = 1;
    if (nID == ID_BASEWND_SYSMENU_ABOUT)
    {
        ShowAboutBox(this);
        return;
    }
    if (nID == ID_BASEWND_SYSMENU_MINIMIZE)
    {
        ShowWindow(SW_MINIMIZE);
        return;
    }
    switch (nID & 0xFFF0)
    {
    case SC_CLOSE:
        // Default processing would send a second WM_CLOSE.
        PostMessage(WM_CLOSE);
        return;
    case SC_RESTORE:
        ShowWindow(SW_RESTORE);
        return;
    default:
        Default();
        return;
    }
}

void CDlgMainWnd::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    SuiteMaxTrackSize(lpMMI, m_nMinTrackWidth, m_nMinTrackHeight);
}

void CDlgMainWnd::OnLButtonDown(UINT, CPoint point)
{
    if (point.y < kDragBand && !m_bMaximized)
    {
        POINT screen = point;
        ClientToScreen(&screen);
        SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
        return;
    }
    HandlerResult();
}

void CDlgMainWnd::OnLButtonDblClk(UINT, CPoint point)
{
    if (point.y < kDragBand && m_bResizable)
    {
        ToggleMaximize();
        return;
    }
    HandlerResult();
}

void CDlgMainWnd::ShowHelpMenu()
{
    HWND hHelp = ::GetDlgItem(m_hWnd, IDC_BASEWND_HELP);
    RECT rc{};
    if (hHelp)
        ::GetWindowRect(hHelp, &rc);
    BCMenu menu;
    const HelpMenuItem* pItems = nullptr;
    const int count = GetHelpMenuItems(m_bHasDemo, &pItems);
    for (int i = 0; i < count; ++i)
        menu.AppendODMenu(pItems[i].lpszText, MF_OWNERDRAW, pItems[i].nID, static_cast<int>(pItems[i].nBitmapID));
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, rc.left - 181, rc.top + 22, this);
}

void CDlgMainWnd::OnHelpButton()
{
    ShowHelpMenu();
}

void CDlgMainWnd::OnDemoButton()
{
    StartDemo(GetDlgItem(IDC_BASEWND_DEMO));
}

void CDlgMainWnd::OnHelpMenuCommand(UINT nID)
{
    switch (nID)
    {
    case ID_HELPMENU_HELP:
        OpenHelpPage();
        break;
    case ID_HELPMENU_WEBSITE:
        OpenWebSite();
        break;
    case ID_HELPMENU_UPDATE:
        StartUpdateCheck();
        break;
    case ID_HELPMENU_FEEDBACK:
        OpenFeedbackForm(this);
        break;
    case ID_HELPMENU_ABOUT:
        ShowAboutBox(this);
        break;
    case ID_HELPMENU_DEMO:
        StartDemo(GetDlgItem(IDC_BASEWND_DEMO));
        break;
    default:
        break;
    }
}

LRESULT CDlgMainWnd::OnBroadcast(WPARAM wParam, LPARAM lParam)
{
    if (wParam == kBroadcastQuit && static_cast<UINT>(lParam) == m_nToolBitmapID)
        ::PostQuitMessage(0);
    return 0;
}

LRESULT CDlgMainWnd::OnKickIdle(WPARAM, LPARAM)
{
    SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, FALSE);
    return 0;
}
