// CDlgBaseAppDlg: the launcher main window, with its skin frame and its tab buttons.
#include "suitecore/ui/launcher.h"
#include "suitecore/ui/memdc.h"

#include "basewnd_env.h"
#include "launcher_paint.h"
#include "skin_paint.h"

#include <framework/module.h>

using namespace suitecore::basewnd;

namespace
{
constexpr int kTabCodeBase = 11;
constexpr int kTabX = 165;
constexpr int kTabPitch = 100;
constexpr int kTabY = 35;
constexpr int kTabWidth = 101;
constexpr int kTabHeight = 22;
constexpr UINT kTabStrip = 1155;
constexpr int kRoundCorner = 9;
constexpr int kCaptionBand = 29;
constexpr int kMaximizedShortfall = 25;
constexpr COLORREF kButtonText = RGB(252, 252, 255);

// The process-wide strings the last configuration left for the tools.
CString g_strLauncherTool[2];


void CopyList(CStringList& target, const CStringList& source)
{
    target.RemoveAll();
    target.AddTail(&source);
}

CString NthString(const CStringList& list, int nIndex)
{
    POSITION pos = list.FindIndex(nIndex);
    return pos ? list.GetAt(pos) : CString();
}

// The help and demonstration buttons: light text in the UI font at height -11.
void StyleBandButton(CHoverButtonWithText& button)
{
    button.ApplyLightPreset(FALSE);
    button.m_crNormal = button.m_crHover = button.m_crPressed = kButtonText;
    button.m_lf.lfHeight = -11;
}

CString LibraryString(UINT nID)
{
    WCHAR buffer[128] = {};
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(nID / 16 + 1), RT_STRING);
    if (hInst)
        ::LoadStringW(hInst, nID, buffer, 128);
    return buffer;
}
} // namespace

LauncherConfig::LauncherConfig() = default;
LauncherConfig::~LauncherConfig() = default;

IMPLEMENT_DYNCREATE(CDlgBaseAppDlg, CDlgMainWnd)

BEGIN_MESSAGE_MAP(CDlgBaseAppDlg, CDlgMainWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_BASEWND_CLOSE, &CDlgBaseAppDlg::OnCloseButton)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_LAUNCHER_TAB_FIRST, IDC_LAUNCHER_TAB_LAST, &CDlgBaseAppDlg::OnTabClicked)
END_MESSAGE_MAP()

CDlgBaseAppDlg::CDlgBaseAppDlg() : CDlgBaseAppDlg(nullptr) {}

CDlgBaseAppDlg::CDlgBaseAppDlg(CWnd* pParentWnd) : CDlgMainWnd(IDD_LAUNCHER, pParentWnd)
{
    m_bSystemMenu = 1;
}

CDlgBaseAppDlg::~CDlgBaseAppDlg() = default;

CString CDlgBaseAppDlg::GetToolString(int nIndex)
{
    return (nIndex == 0 || nIndex == 1) ? g_strLauncherTool[nIndex] : CString();
}

void CDlgBaseAppDlg::ConfigureLauncher(const LauncherConfig& config)
{
    m_hLauncherIcon = config.hIcon;
    m_nToolBitmapID = config.nToolBitmapID;
    m_bResizable = config.bResizable;
    SetToolTipsEnabled(config.bToolTips);
    // More tabs than the window has buttons for are not made.
    m_nTabCount = config.nTabCount < 0 ? 0 : (config.nTabCount > kMaxTabs ? kMaxTabs : config.nTabCount);
    CopyList(m_tabCaptions, config.tabCaptions);
    m_bHasDemo = config.bHasDemo;
    m_strTool1 = config.strTool1;
    m_strTool2 = config.strTool2;
    g_strLauncherTool[0] = config.strTool1;
    g_strLauncherTool[1] = config.strTool2;
    m_strSysMenuFirst = config.strSysMenuFirst;
    m_strTitle = config.strTitle;
    for (int i = 0; i < kMaxTabs; ++i)
    {
        m_tabSettings[i].nValue1 = config.tabs[i].nValue1;
        m_tabSettings[i].nValue2 = config.tabs[i].nValue2;
        CopyList(m_tabSettings[i].strings, config.tabs[i].strings);
    }
    m_pfnTabCallback = config.pfnTabCallback;
}

void CDlgBaseAppDlg::SetDatabaseDate(LPCWSTR lpszDate)
{
    m_strDatabaseDate = lpszDate ? lpszDate : L"";
    m_bShowDatabaseDate = m_strDatabaseDate.IsEmpty() ? 0 : 1;
    if (m_hWnd)
        Invalidate(FALSE);
}

int CDlgBaseAppDlg::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    const int result = CWnd::OnCreate(lpCreateStruct);
    ::MoveWindow(m_hWnd, 0, 0, kWidth, kHeight, FALSE);
    SetRoundRegion(m_hWnd, kRoundCorner);
    return result;
}

BOOL CDlgBaseAppDlg::OnInitDialog()
{
    CDlgMainWnd::OnInitDialog();
    // The main-window set-up sizes the window for a tool main window; the launcher keeps its
    // own size, which its rounded region was made for.
    MoveWindow(0, 0, kWidth, kHeight);
    if (m_hLauncherIcon)
    {
        SetIcon(m_hLauncherIcon, TRUE);
        SetIcon(m_hLauncherIcon, FALSE);
    }
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);
    CreateTabButtons();
    RECT rc{};
    GetClientRect(&rc);
    PlaceCaptionButtons(rc.right, rc.bottom);
    CenterWindow(CWnd::GetDesktopWindow());
    if (m_bHelp)
        CreateHelpButtons();
    return TRUE;
}

void CDlgBaseAppDlg::CreateTabButtons()
{
    for (int i = 0; i < m_nTabCount; ++i)
    {
        CHoverButtonWithText& tab = m_btnTabs[i];
        const RECT rc = {kTabX + kTabPitch * i, kTabY, kTabX + kTabPitch * i + kTabWidth, kTabY + kTabHeight};
        if (!tab.Create(NthString(m_tabCaptions, i), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rc, this,
                        IDC_LAUNCHER_TAB_FIRST + i))
            continue;
        tab.ApplyLightPreset(TRUE);
        tab.SetBitmap(kTabStrip);
        // The strip's frame is the tab's size; keep the stated rectangle whatever the picture.
        tab.MoveWindow(rc.left, rc.top, kTabWidth, kTabHeight, FALSE);
        tab.SetFont(UiFont(), FALSE);
    }
}

void CDlgBaseAppDlg::CreateHelpButtons()
{
    RECT rc{};
    GetClientRect(&rc);
    const int width = rc.right;
    const RECT rcHelp = {width - 55, 35, width - 8, 58};
    if (!m_btnHelp.m_hWnd &&
        m_btnHelp.Create(LibraryString(1447), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rcHelp, this,
                         IDC_BASEWND_HELP))
    {
        StyleBandButton(m_btnHelp);
        m_btnHelp.SetBitmap(1061);
        m_btnHelp.MoveWindow(rcHelp.left, rcHelp.top, rcHelp.right - rcHelp.left, rcHelp.bottom - rcHelp.top, FALSE);
    }
    // The demonstration button sits left of the help button, centred on its height.
    const RECT rcDemo = {rcHelp.left - 2 - 52, 38, rcHelp.left - 2, 38 + 17};
    if (!m_btnText.m_hWnd &&
        m_btnText.Create(L"&Demo", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rcDemo, this, IDC_BASEWND_DEMO))
    {
        StyleBandButton(m_btnText);
        m_btnText.SetBitmap(1057);
        m_btnText.MoveWindow(rcDemo.left, rcDemo.top, 52, 17, FALSE);
    }
}

void CDlgBaseAppDlg::OnSize(UINT nType, int cx, int cy)
{
    CDlgMainWnd::OnSize(nType, cx, cy);
    if (m_bInMaximizeLayout || !(nType == SIZE_MAXIMIZED || IsZoomed()))
        return;
    // Maximised, the launcher leaves a strip at the bottom of the screen for the taskbar.
    m_bInMaximizeLayout = TRUE;
    ::MoveWindow(m_hWnd, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) - kMaximizedShortfall,
                 TRUE);
    m_bInMaximizeLayout = FALSE;
}

void CDlgBaseAppDlg::CloseLauncher()
{
    PostMessage(WM_CLOSE);
    ::PostQuitMessage(0);
}

void CDlgBaseAppDlg::OnCloseButton()
{
    CloseLauncher();
}

void CDlgBaseAppDlg::OnCancel()
{
    HWND hClose = ::GetDlgItem(m_hWnd, IDC_BASEWND_CLOSE);
    if (hClose && !::IsWindowEnabled(hClose))
        return;
    CDlgMainWnd::OnCancel();
}

void CDlgBaseAppDlg::OnTabClicked(UINT nID)
{
    const int index = static_cast<int>(nID) - IDC_LAUNCHER_TAB_FIRST;
    if (index < 0 || index >= m_nTabCount || !m_pfnTabCallback)
        return;
    if (m_pfnTabCallback(this, kTabCodeBase + index))
        SelectTab(index);
}

BOOL CDlgBaseAppDlg::SetTabPage(int nIndex, CWnd* pPage)
{
    if (nIndex < 0 || nIndex >= kMaxTabs)
        return FALSE;
    m_pTabPages[nIndex] = pPage;
    return TRUE;
}

BOOL CDlgBaseAppDlg::SelectTab(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nTabCount)
        return FALSE;
    if (m_nSelectedTab >= 0 && m_nSelectedTab != nIndex)
    {
        m_btnTabs[m_nSelectedTab].m_bSelected = 0;
        if (m_btnTabs[m_nSelectedTab].m_hWnd)
            m_btnTabs[m_nSelectedTab].Invalidate(FALSE);
        CWnd* pOld = m_pTabPages[m_nSelectedTab];
        if (pOld && pOld->m_hWnd && pOld != m_pTabPages[nIndex])
            pOld->ShowWindow(SW_HIDE);
    }
    m_nSelectedTab = nIndex;
    m_btnTabs[nIndex].m_bSelected = 1;
    if (m_btnTabs[nIndex].m_hWnd)
        m_btnTabs[nIndex].Invalidate(FALSE);
    if (CWnd* pPage = m_pTabPages[nIndex]; pPage && pPage->m_hWnd)
        pPage->ShowWindow(SW_SHOW);
    return TRUE;
}

void CDlgBaseAppDlg::OnPaint()
{
    if (PaintCallbackUsable(*this))
    {
        CDlgBaseWnd::OnPaint();
        return;
    }
    PaintBuffered(*this, [this](CDC* pDC, const RECT& rc) { DrawFrame(pDC, rc); });
}

void CDlgBaseAppDlg::DrawFrame(CDC* pDC, const RECT& rcClient)
{
    const int width = rcClient.right - rcClient.left;
    const int height = rcClient.bottom - rcClient.top;
    CSTBitmap& top = SkinBitmap(1154);
    const int band = top.m_nHeight > 0 ? top.m_nHeight : 36;
    TileRow(pDC, top, 0, width - 6, 0);
    Blit(pDC, SkinBitmap(1160), width - 6, 0);
    Blit(pDC, SkinBitmap(1152), 0, 0);
    if (m_nToolBitmapID)
        Blit(pDC, SkinBitmap(m_nToolBitmapID), 7, 0);
    TileColumn(pDC, SkinBitmap(1095), 0, band, height - 6);
    TileColumn(pDC, SkinBitmap(1125), width - 6, band, height - 6);
    Blit(pDC, SkinBitmap(1048), 0, height - 6);
    TileRow(pDC, SkinBitmap(1049), 6, width - 6, height - 6);
    Blit(pDC, SkinBitmap(1050), width - 6, height - 6);
    Blit(pDC, SkinBitmap(1458), width - 99, height - 27);

    const CString name = AppName();
    RECT rcCaption = {0, 0, width, kCaptionBand};
    DrawTextTwice(pDC, name, rcCaption, UiBoldFont(), RGB(81, 90, 108), 0, RGB(252, 252, 252), -1,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    if (m_bShowDatabaseDate)
    {
        CString text;
        text.Format(L"Database Date : %s", static_cast<LPCWSTR>(m_strDatabaseDate));
        RECT rcDate = {width - 420, 4, width - 90, 24};
        DrawPlainText(pDC, text, rcDate, UiFont(), RGB(255, 255, 255),
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
}
