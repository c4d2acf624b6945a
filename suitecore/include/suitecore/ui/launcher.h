// The two layouts of the suite's main windows: the launcher (a 773 x 584 skinned window with
// up to five tab buttons along the top, whose tabs a tool's callback opens), and the left
// navigation pane (up to eight buttons, each showing a content page to the right of the pane).
#pragma once

#include "basewnd.h"
#include "png_buttons.h"

#include <framework/collections.h>

class CDlgBaseAppDlg;
class CDlgLeftDlgBase;

// Asked before a launcher tab opens, with code 11 + the tab's index: non-zero lets it open.
typedef int (*TabCallback)(CDlgBaseAppDlg* pDlg, int nCode);
// Told what happened in a navigation pane: 3 + i for navigation button i, 1 for the update
// link, 0 for the second link (1197).
typedef void (*NavigationCallback)(CDlgLeftDlgBase* pPane, int nCode);

enum : UINT
{
    IDD_LAUNCHER = 1284,
    IDD_LEFT_PANE = 1272,
    IDC_LAUNCHER_TAB_FIRST = 1259, // five tabs: 1259 to 1263
    IDC_LAUNCHER_TAB_LAST = 1263,
    IDC_PANE_NAV_FIRST = 1199, // eight navigation buttons: 1199 to 1206
    IDC_PANE_NAV_LAST = 1206,
    IDC_PANE_UPDATE_LINK = 1181,
    IDC_PANE_SECOND_LINK = 1197,
};

// Everything a tool gives its launcher before the window exists, in this order.
struct SUITECORE_API LauncherConfig
{
    LauncherConfig();
    ~LauncherConfig();
    LauncherConfig(const LauncherConfig&) = delete;
    LauncherConfig& operator=(const LauncherConfig&) = delete;

    struct TabSettings
    {
        int nValue1 = 0;
        int nValue2 = 0;
        CStringList strings;
    };

    HICON hIcon = nullptr;
    UINT nToolBitmapID = 0;
    BYTE bResizable = 0;
    BYTE bToolTips = 0;    // stored process-wide
    int nTabCount = 0;     // at most 5 tabs are made
    CStringList tabCaptions;
    BYTE bHasDemo = 0;     // the help menu offers the demonstration
    CString strTool1;      // both kept process-wide for the tools
    CString strTool2;
    CString strSysMenuFirst; // the text of the first system-menu item
    CString strTitle;
    TabSettings tabs[5];
    TabCallback pfnTabCallback = nullptr;
};

class SUITECORE_API CDlgBaseAppDlg : public CDlgMainWnd
{
    DECLARE_DYNCREATE(CDlgBaseAppDlg)
public:
    enum
    {
        kMaxTabs = 5,
        kWidth = 773,
        kHeight = 584,
    };

    CDlgBaseAppDlg();
    explicit CDlgBaseAppDlg(CWnd* pParentWnd);
    ~CDlgBaseAppDlg() override;

    BOOL OnInitDialog() override;
    // The guarded cancel, only while the close button is enabled or missing.
    void OnCancel() override;
    // Posts WM_CLOSE to the window and ends the thread's message loop (PostQuitMessage(0)).
    virtual void CloseLauncher();

    // Copies the record into the window; call it before the window is created.
    void ConfigureLauncher(const LauncherConfig& config);
    // The page a tab shows (index 0 to 4); FALSE for another index.
    BOOL SetTabPage(int nIndex, CWnd* pPage);
    // Selects a tab and shows its page, without asking the callback; FALSE for a tab that does
    // not exist.
    BOOL SelectTab(int nIndex);
    int GetSelectedTab() const { return m_nSelectedTab; }
    int GetTabCount() const { return m_nTabCount; }
    void SetDatabaseDate(LPCWSTR lpszDate); // null or empty: not shown

    // The process-wide strings of the last configuration (nIndex 0 or 1).
    static CString GetToolString(int nIndex);

    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    void OnCloseButton();
    void OnTabClicked(UINT nID);

    // Paints the frame, the logo, the caption and the database date.
    virtual void DrawFrame(CDC* pDC, const RECT& rcClient);

    CStringList m_tabCaptions;
    CString m_strTitle;
    CString m_strDatabaseDate;
    BYTE m_bShowDatabaseDate = 0;
    CHoverButtonWithText m_btnTabs[6]; // the five tabs and one more
    CWnd* m_pTabPages[kMaxTabs] = {};
    LauncherConfig::TabSettings m_tabSettings[kMaxTabs];
    int m_nTabCount = 0;
    int m_nSelectedTab = -1;
    TabCallback m_pfnTabCallback = nullptr;
    BYTE m_bHelp = 1;
    HICON m_hLauncherIcon = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void CreateTabButtons();
    void CreateHelpButtons();
    BOOL m_bInMaximizeLayout = FALSE;
};

class SUITECORE_API CDlgLeftDlgBase : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgLeftDlgBase)
public:
    enum
    {
        kMaxButtons = 8,
        kMaxStepButtons = 7,
        kUpdateLinkTimer = 0x4C31,
    };

    CDlgLeftDlgBase();
    explicit CDlgLeftDlgBase(CWnd* pParentWnd);
    CDlgLeftDlgBase(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgLeftDlgBase() override;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The pane's background: bitmap 1096 and the tool's logo.
    virtual void DrawBackground(CDC* pDC);

    // Up to eight buttons, all enabled, each with its icon cell; the number made.
    int AddNavigationButtons(int nCount, const CStringList& captions);
    // Up to seven; in mode 2 button i shows icon cell i (the seventh cell 0) and only the first
    // is enabled, in other modes all are enabled without icons. The number made.
    int AddStepButtons(int nCount, const CStringList& captions);
    // The page of button nIndex (0 to 7); FALSE for another index.
    BOOL SetPage(int nIndex, CWnd* pPage);
    // Selects the button and shows its page (null: the page SetPage gave it), then tells the
    // callback 3 + nIndex. FALSE for a button that does not exist.
    BOOL SelectNavigationButton(int nIndex, CWnd* pPage = nullptr);
    // Enables or disables the first seven buttons.
    void EnableNavigationButtons(BOOL b1, BOOL b2, BOOL b3, BOOL b4, BOOL b5, BOOL b6, BOOL b7);
    void EnableUpdateLink(BOOL bEnable);

    void SetNavigationCallback(NavigationCallback pfnCallback) { m_pfnNavigationCallback = pfnCallback; }
    int GetButtonCount() const { return m_nButtonCount; }
    int GetSelectedButton() const { return m_nSelected; }
    CWnd* GetShownPage() const { return m_pShownPage; }

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnNavigationClicked(UINT nID);
    void OnUpdateLink();
    void OnSecondLink();
    void OnTimer(UINT_PTR nIDEvent);

    NavigationCallback m_pfnNavigationCallback = nullptr;
    CLeftSideBtns m_btnNav[kMaxButtons];
    CHyperLinkBtn m_lnkUpdate;
    CHyperLinkBtn m_lnkSecond;
    CWnd* m_pPages[kMaxButtons] = {};
    int m_nSelected = -1;
    CWnd* m_pShownPage = nullptr;
    int m_nMode = 0;
    BYTE m_bShowLinks = 1;
    BYTE m_bRaisedLinks = 0;
    // The tool's logo, drawn from its row (height - 11) at (1, 0); null when it has none.
    CBitmap* m_pToolLogo = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    int CreateButtons(int nCount, const CStringList& captions, bool bSteps);
    void DestroyButtons();
    void Notify(int nCode);
    void CreateUpdateLink();
    int m_nButtonCount = 0;
};

class SUITECORE_API CDlgLeftSideChild : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgLeftSideChild)
public:
    enum
    {
        kWidth = 591,
        kHeight = 473,
    };

    CDlgLeftSideChild();
    CDlgLeftSideChild(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgLeftSideChild() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The page heading: the window text with its shadow, the separator (1075) when asked,
    // and the bottom strip (1019) with the draw-bottom-strip flag.
    virtual void DrawBackground(CDC* pDC, const RECT& rcClient, BOOL bDrawSeparator);

    void OnPaint();

    RECT m_rcAction = {}; // (353, 406)-(550, 438) once the page is initialised

protected:
    DECLARE_MESSAGE_MAP()
};
