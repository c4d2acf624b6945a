#include "ui_sample.h"

#include "output.h"

#include <suitecore/app.h>
#include <suitecore/appmessages.h>
#include <suitecore/ui/panels.h>

#include <framework/app.h>
#include <framework/menu.h>

namespace suitediag
{
namespace
{
constexpr UINT WM_SAMPLE_READY = WM_APP + 1;

void PaintSampleClient(CDlgBaseWnd* pDlg, DWORD dwUserData, CDC* pDC, const RECT& rcClient);

template <typename Popup>
void ApplyOptions(Popup& popup, const SamplePopupOptions& options)
{
    popup.SetHeaderStyle(options.headerStyle);
    popup.m_bMaximisable = options.maximisable ? 1 : 0;
    popup.m_bHasCloseButton = options.noClose ? 0 : 1;
    popup.m_bShowSubtitle = options.subtitle ? 1 : 0;
    popup.m_bSubtitleSeparator = options.separator ? 1 : 0;
}
} // namespace

BEGIN_MESSAGE_MAP(CSampleMainWnd, CDlgMainWnd)
    ON_MESSAGE(WM_SAMPLE_READY, &CSampleMainWnd::OnReady)
    ON_REGISTERED_MESSAGE(g_nSchedulerMessage, &CSampleMainWnd::OnScheduler)
    ON_BN_CLICKED(IDC_BASEWND_CLOSE, &CSampleMainWnd::OnCloseButton)
END_MESSAGE_MAP()

CSampleMainWnd::CSampleMainWnd() : CDlgMainWnd(IDD_SUITEDIAG_MAIN, nullptr)
{
    m_bSystemMenu = 1;
    m_bResizable = 1;
    m_bHasDemo = 1;
    m_nToolBitmapID = IDB_SUITEDIAG_TOOL;
    m_strSysMenuFirst = L"About SuiteDiag";
    SetPaintCallback(&PaintSampleClient, TRUE, 0);
}

BOOL CSampleMainWnd::OnInitDialog()
{
    CDlgMainWnd::OnInitDialog();
    SetHelpModuleName(L"SuiteDiag");
    if (m_btnHelp.SubclassDlgItem(IDC_BASEWND_HELP_SAMPLE, this))
    {
        m_btnHelp.SetBitmap(1061);
        m_btnHelp.SetWindowPos(nullptr, 640, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    if (m_btnDemo.SubclassDlgItem(IDC_BASEWND_DEMO_SAMPLE, this))
    {
        m_btnDemo.SetBitmap(1057);
        m_btnDemo.SetWindowPos(nullptr, 580, 43, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    if (m_bDumpMenus)
        DumpMenus();
    if (m_bReport)
        PostMessage(WM_SAMPLE_READY);
    return TRUE;
}

void CSampleMainWnd::DumpMenus()
{
    HMENU hMenu = GetSystemMenuHandle(FALSE);
    const int count = hMenu ? ::GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i)
    {
        MENUITEMINFOW mii{sizeof(mii)};
        WCHAR text[128] = {};
        mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 128;
        if (!::GetMenuItemInfoW(hMenu, i, TRUE, &mii))
            continue;
        if (mii.fType & MFT_SEPARATOR)
            OutLine(L"sysmenu\t0\t-");
        else
            OutFormat(L"sysmenu\t%u\t%s\n", mii.wID, text);
    }
    const HelpMenuItem* pItems = nullptr;
    const int helpCount = GetHelpMenuItems(m_bHasDemo, &pItems);
    for (int i = 0; i < helpCount; ++i)
        OutFormat(L"helpmenu\t%u\t%u\t%s\n", pItems[i].nID, pItems[i].nBitmapID, pItems[i].lpszText);
}

LRESULT CSampleMainWnd::OnReady(WPARAM, LPARAM)
{
    OutFormat(L"ready hwnd=0x%08X tool-bitmap=%u\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_hWnd)),
              m_nToolBitmapID);
    MINMAXINFO mmi{};
    SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    OutFormat(L"minmax\t%d\t%d\t%d\t%d\n", mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.x,
              mmi.ptMaxTrackSize.y);
    return 0;
}

LRESULT CSampleMainWnd::OnScheduler(WPARAM, LPARAM lParam)
{
    LPCWSTR command = DecodeSchedulerCommand(lParam);
    OutFormat(L"scheduler\t%s\n", command ? command : L"ignored");
    return 0;
}

void CSampleMainWnd::OnCloseButton()
{
    EndDialog(IDCANCEL);
}

namespace
{
// The client area of a tool, painted through the paint callback as tools paint theirs: a
// header table and an icon-list panel (the latter with the panel icon) on white.
void PaintSampleClient(CDlgBaseWnd*, DWORD, CDC* pDC, const RECT& rcClient)
{
    pDC->FillSolidRect(&rcClient, RGB(255, 255, 255));
    static const LPCWSTR labels[] = {L"Last scan", L"Items found", L"Status"};
    static const LPCWSTR values[] = {L"Today", L"0", L"Protected"};
    static const COLORREF colours[] = {RGB(72, 81, 90), RGB(72, 81, 90), RGB(0, 130, 44)};
    DrawHeaderTable(pDC, 20, 80, 3, L"System summary", labels, values, colours);
    static const int cells[] = {0, 1, 2};
    static const LPCWSTR listLabels[] = {L"Registry", L"Disk", L"Privacy"};
    static const LPCWSTR listValues[] = {L"Clean", L"Clean", L"Clean"};
    DrawIconListPanel(pDC, 20, 220, L"Areas checked", 3, cells, listLabels, listValues, colours);
}
} // namespace

CSamplePopup::CSamplePopup(const SamplePopupOptions& options)
    : CDlgBaseChildPopUpWndBase(IDD_SUITEDIAG_POPUP, nullptr), m_options(options)
{
    ApplyOptions(*this, options);
}

BOOL CSamplePopup::OnInitDialog()
{
    if (m_options.hasTitle)
        SetWindowText(m_options.title);
    return CDlgBaseChildPopUpWndBase::OnInitDialog();
}

CSampleShadedPopup::CSampleShadedPopup(const SamplePopupOptions& options)
    : CDlgBaseWndPopupNagBase(IDD_SUITEDIAG_POPUP, nullptr), m_options(options)
{
    ApplyOptions(*this, options);
}

BOOL CSampleShadedPopup::OnInitDialog()
{
    if (m_options.hasTitle)
        SetWindowText(m_options.title);
    return CDlgBaseWndPopupNagBase::OnInitDialog();
}

SampleMainHost::SampleMainHost()
{
    m_ok = m_main.Create(IDD_SUITEDIAG_MAIN, nullptr) != FALSE;
    if (!m_ok)
        return;
    m_main.ShowWindow(SW_SHOW);
    if (CWinApp* pApp = AfxGetApp())
        pApp->m_pMainWnd = &m_main;
}

SampleMainHost::~SampleMainHost()
{
    if (CWinApp* pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == &m_main)
        pApp->m_pMainWnd = nullptr;
    if (m_main.m_hWnd)
        m_main.DestroyWindow();
}
} // namespace suitediag
