// The skinned base windows every tool's dialogs derive from: the common base (fonts, tooltips,
// owner paint callback, Enter/Escape guards, help key), the tool main window (caption buttons,
// system menu, dragging, maximising, help menu), the skinned pop-up, the pop-up shown over a
// translucent shade, and the shade itself.
#pragma once

#include "../suitecore.h"
#include "dlgfontscaler.h"
#include "buttons.h"
#include "stbitmap.h"

#include <framework/controls.h>
#include <framework/dialog.h>
#include <framework/gdi.h>

class CDlgBaseWnd;
class CDlgBaseChildPopUpWndBase;
class CDlgBaseWndPopupNagBase;

// Paints a dialog's client area instead of the default painting: (dialog, user data, paint DC,
// client rectangle).
typedef void (*PaintCallback)(CDlgBaseWnd* pDlg, DWORD dwUserData, CDC* pDC, const RECT& rcClient);
// Runs instead of the default close of a pop-up (OnCloseRequest).
typedef void (*PopupCloseHandler)(CDlgBaseChildPopUpWndBase* pDlg);

// Control identifiers and pictures of the caption and the help menu.
enum : UINT
{
    IDC_BASEWND_CLOSE = 1182,       // main window close button
    IDC_BASEWND_MAXRESTORE = 1221,  // maximise and restore share it
    IDC_BASEWND_MINIMIZE = 1222,
    IDC_BASEWND_POPUP_CLOSE = 1184,
    IDC_BASEWND_HELP = 1219,        // the help button of a tool main window
    IDC_BASEWND_DEMO = 1218,        // the demonstration button
    ID_BASEWND_SYSMENU_ABOUT = 16,  // the first system-menu item
    ID_BASEWND_SYSMENU_MINIMIZE = 0x8001,
    ID_HELPMENU_ABOUT = 1003,
    ID_HELPMENU_UPDATE = 1004,
    ID_HELPMENU_DEMO = 1005,
    ID_HELPMENU_FEEDBACK = 1008,
    ID_HELPMENU_HELP = 1009,
    ID_HELPMENU_WEBSITE = 1011,
};

class SUITECORE_API CDlgBaseWnd : public CDialog
{
    DECLARE_DYNCREATE(CDlgBaseWnd)
public:
    CDlgBaseWnd();
    CDlgBaseWnd(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgBaseWnd() override;

    BOOL OnInitDialog() override;
    // Enter (Escape) held down at this moment with the ignore flag set: nothing happens, so
    // the keys never close a skinned dialog while its buttons do.
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetPaintCallback(PaintCallback pfnCallback, BOOL bEnable, DWORD dwUserData);
    // The text button presets.
    void SetLightStyle(CHoverButtonWithText& button);
    void SetDarkStyle(CHoverButtonWithText& button);
    // Moves a control to (x, y) scaled by 1.5016077 and 1.62378 (rounded up), with the given
    // size, or with the size scaled the same way when bScaleSize is set.
    BOOL MoveControl(int nID, int x, int y, int cx, int cy, BOOL bScaleSize);
    // The rectangle MoveControl gives a control.
    static RECT ScaledControlRect(int x, int y, int cx, int cy, BOOL bScaleSize);

    // Message handlers, exported so that derived tools' maps and code can call them.
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnPaint();
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);

    // Process-wide: create tooltips in OnInitDialog (the launcher's configuration sets it).
    static void SetToolTipsEnabled(BOOL bEnabled);
    static BOOL GetToolTipsEnabled();
    // The one white brush all skinned dialogs colour their controls with.
    static HBRUSH GetWhiteBrush();

    CDlgFontScaler m_fontScaler;
    int m_nTemplateID = 0;
    BYTE m_bPassToDefault = 0;
    BYTE m_bIgnoreEnter = 1;
    BYTE m_bIgnoreEscape = 1;
    CToolTipCtrl m_ToolTip;
    PaintCallback m_pfnPaintCallback = nullptr;
    BYTE m_bUseCallback = 0;
    DWORD m_dwCallbackData = 0;
    int m_bDrawBottomStrip = 0;

protected:
    // What an exported handler answers when it has done its work: default processing when
    // the pass-to-default flag is set, else 0.
    LRESULT HandlerResult();
    // The default painting: a white memory DC over the client area, with a pop-up's skin.
    void PaintClient(CDC* pDC, const RECT& rcClient);

    DECLARE_MESSAGE_MAP()
};

// Draws the skin frame (corners, edges) around the rectangle.
SUITECORE_API void DrawSkinFrame(CDC* pDC, const RECT& rect);

class SUITECORE_API CDlgMainWnd : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgMainWnd)
public:
    CDlgMainWnd();
    CDlgMainWnd(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgMainWnd() override;

    BOOL OnInitDialog() override;

    // Shows the help menu below the help button (1219).
    void ShowHelpMenu();
    // Re-places the caption buttons for a client area of cx x cy.
    void PlaceCaptionButtons(int cx, int cy);
    // Toggles maximised and restored (the caption button and a double click in the band).
    void ToggleMaximize();

    void OnSize(UINT nType, int cx, int cy);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMinimizeButton();
    void OnMaxRestoreButton();
    void OnHelpButton();
    void OnDemoButton();
    void OnHelpMenuCommand(UINT nID);
    LRESULT OnBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);

    CHoverButton m_btnClose;
    CHoverButton m_btnMinimize;
    CHoverButton m_btnMaximize;
    CHoverButton m_btnRestore;
    CHoverButtonWithText m_btnHelp;
    CHoverButtonWithText m_btnText;
    CString m_strSysMenuFirst; // the text of system-menu item 16
    CString m_strTool1;
    CString m_strTool2;
    CFont m_fntCaption;
    BYTE m_bMaximized = 0;
    BYTE m_bInitialized = 0;
    BYTE m_bResizable = 0;
    BYTE m_bSysCommandSeen = 0;
    BYTE m_bHasDemo = 0;
    BYTE m_bSystemMenu = 0;
    int m_nMinTrackWidth = 772;
    int m_nMinTrackHeight = 583;
    UINT m_nToolBitmapID = 0; // drawn beside the logo; 0: none

protected:
    DECLARE_MESSAGE_MAP()

private:
    void RebuildSystemMenu();
    void CreateCaptionButtons();
};

class SUITECORE_API CDlgBaseChildPopUpWndBase : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgBaseChildPopUpWndBase)
public:
    CDlgBaseChildPopUpWndBase();
    CDlgBaseChildPopUpWndBase(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgBaseChildPopUpWndBase() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The close button, SC_CLOSE and Alt+F4 end here: the close handler when one is set, else
    // the guarded OnCancel, else (hosted in the shade) the shade ends.
    virtual void OnCloseRequest();
    // Places the caption buttons for the current client size.
    virtual void LayoutCaptionButtons();

    void SetRegionOptions(int bEnable, int bApply, int bUseClientRect);
    void SetHeaderStyle(int nStyle); // 1 to 4
    // Ends the shade this pop-up is hosted in (the parent's CDialog::OnOK).
    void EndShade();
    void ToggleMaximize();

    void OnSize(UINT nType, int cx, int cy);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnCloseButton();
    void OnMaxRestoreButton();

    int m_bRegionEnable = 0;
    int m_bRegionUseClientRect = 0;
    int m_bRegionApply = 0;
    int m_nHeaderStyle = 0;
    CSTBitmap m_bmpHeader;
    BYTE m_bHasCloseButton = 1;
    BYTE m_bDrawBottomStripPopup = 1;
    BYTE m_bHostedInShade = 0;
    BYTE m_bShowSubtitle = 0;
    BYTE m_bSubtitleSeparator = 0;
    CHoverButton m_btnMaximize;
    CHoverButton m_btnRestore;
    CHoverButton m_btnClose;
    BYTE m_bMaximized = 0;
    BYTE m_bMaximisable = 0;
    int m_nMinTrackWidth = 772;
    int m_nMinTrackHeight = 583;
    int m_bHasCloseHandler = 0;
    PopupCloseHandler m_pfnCloseHandler = nullptr;

    // Bottom strip, frame, header strip, caption icon, title and the subtitle.
    void DrawPopupSkin(CDC* pDC, const RECT& rcClient);

protected:
    void ApplyRegion();

    DECLARE_MESSAGE_MAP()
};

class SUITECORE_API CDlgBaseWndPopupNagBase : public CDlgBaseChildPopUpWndBase
{
    DECLARE_DYNCREATE(CDlgBaseWndPopupNagBase)
public:
    CDlgBaseWndPopupNagBase();
    CDlgBaseWndPopupNagBase(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgBaseWndPopupNagBase() override;

    void OnOK() override;     // result 1, then the shade ends
    void OnCancel() override; // result 2, then the shade ends
    void LayoutCaptionButtons() override;

    // 1 after OK, 2 after Cancel; 2 until either happened.
    int m_nResult = IDCANCEL;

protected:
    DECLARE_MESSAGE_MAP()
};

class SUITECORE_API CDlgParentTransculent : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgParentTransculent)
public:
    CDlgParentTransculent();
    CDlgParentTransculent(CDlgBaseWndPopupNagBase* pPopup, UINT nPopupTemplateID, const RECT& rcOwner,
                          CWnd* pParentWnd);
    ~CDlgParentTransculent() override;

    BOOL OnInitDialog() override;
    // Only the pop-up ends the shade: Enter, Escape and SC_CLOSE (Alt+F4) aimed at the shade
    // itself do nothing.
    void OnOK() override;
    void OnCancel() override;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSysCommand(UINT nID, LPARAM lParam);

    CDlgBaseWndPopupNagBase* m_pPopup = nullptr;
    UINT m_nPopupTemplateID = 0;
    RECT m_rcOwner = {}; // the owner's window rectangle shrunk by one pixel on each side
    CSTBitmap m_bmpShade;
    int m_nShadeWidth = 0;
    int m_nShadeHeight = 0;

protected:
    DECLARE_MESSAGE_MAP()
};

// Shows the pop-up from its template over a translucent shade covering the owner, modally;
// the pop-up's result code (1 for OK, 2 for Cancel).
SUITECORE_API int DoModalShaded(CWnd* pOwner, CDlgBaseWndPopupNagBase* pPopup, UINT nTemplateID);

// The help page, the update check and the demonstration program.
SUITECORE_API void OpenHelpPage();
SUITECORE_API void StartUpdateCheck();
// pButton (the demonstration button, may be null) is disabled for 512 ms.
SUITECORE_API void StartDemo(CWnd* pButton);

// The process-wide module name the help page and the demonstration program are given
// (empty until a tool sets it).
SUITECORE_API void SetHelpModuleName(LPCWSTR lpszModuleName);
SUITECORE_API CString GetHelpModuleName();

// One item of the main window's help menu.
struct HelpMenuItem
{
    UINT nID;
    UINT nBitmapID; // 16 x 16
    LPCWSTR lpszText;
};
// The help menu's items in order: five, six with the demonstration item. Returns the count.
SUITECORE_API int GetHelpMenuItems(BOOL bHasDemo, const HelpMenuItem** ppItems);
