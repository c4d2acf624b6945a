// The suite's message box: a skinned pop-up with a header strip chosen by the message type, the
// application name as title, the message as HTML, bitmap buttons with captions in the user's
// language and, for the choice boxes, a check box whose state is recorded in the registry. The
// box sizes itself to its text. The tools call the three exported functions at the end of this
// file instead of the system's message box.
#pragma once

#include "basewnd.h"
#include "stbitmap.h"

#include <framework/collections.h>

// The box's template and control identifiers.
enum : UINT
{
    IDD_QMN_MESSAGEBOX = 1273,
    IDC_MSGBOX_CLOSE = 1184,
    IDC_MSGBOX_BUTTON0 = 1185, // the five buttons are 1185 to 1189, right to left
    IDC_MSGBOX_BUTTON4 = 1189,
    IDC_MSGBOX_CHECK = 1231,
};

// The button sets of SetButtons.
enum : int
{
    MSGBOX_TYPE_OK = 0,           // OK; close button
    MSGBOX_TYPE_YESNO = 1,        // Yes, No; results 6 and 7
    MSGBOX_TYPE_OKCANCEL = 2,     // OK, Cancel; results 1 and 2
    MSGBOX_TYPE_CHOICE_CHECK = 3, // the caller's captions, results 0 to 4, and the check box
    MSGBOX_TYPE_CHOICE = 4,       // the caller's captions, results 0 to 4
    MSGBOX_MAX_BUTTONS = 5,
};

class SUITECORE_API CDlgBaseMessageBoxWndBase : public CDlgBaseWnd
{
    DECLARE_DYNAMIC(CDlgBaseMessageBoxWndBase)
public:
    CDlgBaseMessageBoxWndBase(UINT nIDTemplate, CWnd* pParentWnd);
    ~CDlgBaseMessageBoxWndBase() override;

    // Sizes the box to its text, creates the buttons, the close button and the check box.
    BOOL OnInitDialog() override;
    // The result of OK, then the guarded OK; the result of Cancel, then the dialog's Cancel.
    // Enter or Escape held down at that moment does neither.
    void OnOK() override;
    void OnCancel() override;

    // Reads the localised captions and fills the caption list for the button set. Types 3 and
    // 4 take the caller's captions: at most five, and no more than the array holds.
    void SetButtons(int nType, int nCount, const CStringArray* pCaptions, int nDefault, BOOL bLargeButtons);
    // The box's smallest rectangle; an empty one stands for 300 x 160.
    void SetBoxRect(const RECT& rect);
    // The picture beside the text (clears the type icon), or below it.
    void SetSideBitmap(UINT nIDBitmap);
    void SetLowerBitmap(UINT nIDBitmap);
    // The 32 x 32 type icon and the header strip that goes with it.
    void SetTypeIcon(UINT nIDIcon);
    // Plain text (no '<' and no '>') is wrapped in a font tag of the shared face while the
    // wrap flag is set; mark-up is kept as given.
    void SetMessageText(LPCWSTR lpszText);
    int GetResult() const { return m_nResult; }
    // Sets the result for a button kind by the button set; a choice box with the check box
    // records the box's state.
    void SetResult(int nKind);

    // The header strip that goes with a type icon.
    static UINT HeaderStripForIcon(UINT nIDIcon);
    // The plain text between a font tag's first '>' and last '<', or the whole text.
    static CString MeasuringText(const CString& strMessage);

    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnButtonClicked(UINT nID);
    void OnCloseButton();

    int m_nButtonCount = 0;
    CStringArray m_arrCaptions;
    int m_nDefaultButton = 0;
    RECT m_rcBox = {};
    RECT m_rcText = {};
    RECT m_rcCheckLabel = {};
    CString m_strMessage;
    int m_bHasSideBitmap = 0;
    int m_bHasLowerBitmap = 0;
    int m_bHasTypeIcon = 0;
    CSTBitmap m_bmpSide;
    CSTBitmap m_bmpLower;
    int m_nSideWidth = 0;
    int m_nSideHeight = 0;
    int m_nLowerWidth = 0;
    int m_nLowerHeight = 0;
    CSTBitmap m_bmpTypeIcon;    // 32 x 32
    CSTBitmap m_bmpHeaderStrip; // 1 x 7
    int m_bWrapPlainText = 1;
    int m_nButtonType = MSGBOX_TYPE_OK;
    CHoverButtonWithText m_btnButtons[MSGBOX_MAX_BUTTONS];
    int m_bHasCloseButton = 1;
    CHoverButton m_btnClose;
    CString m_strOK;
    CString m_strCancel;
    CString m_strYes;
    CString m_strNo;
    CString m_strCheckLabel;
    int m_nResult = 0;
    CButton m_chkDontShow;
    int m_bLargeButtons = 0;

protected:
    void SizeToText();
    void CreateButtons();
    void CreateCheckBox();
    void RecordCheckState();
    void PaintBox(CDC* pDC, const RECT& rcClient);

    DECLARE_MESSAGE_MAP()
};

// The concrete box on template 1273.
class SUITECORE_API CQMNMessageBox : public CDlgBaseMessageBoxWndBase
{
    DECLARE_DYNCREATE(CQMNMessageBox)
public:
    explicit CQMNMessageBox(CWnd* pParentWnd = nullptr);
    ~CQMNMessageBox() override;

protected:
    DECLARE_MESSAGE_MAP()
};

// Shows the text with the buttons and icon of the system's MessageBox flags (MB_OK, MB_YESNO,
// MB_OKCANCEL, MB_YESNOCANCEL, MB_ABORTRETRYIGNORE; MB_ICON...). pRect null: 315 x 171. The
// result: 1 for OK, 6/7 for Yes/No, 1/2 for OK/Cancel, 0/1/2 for the three-button sets.
SUITECORE_API int ShowMessageBox(LPCWSTR lpszText, UINT nFlags, CWnd* pParent, const RECT* pRect,
                                 BOOL bWrapPlainText);
// A box with the caller's captions (at most five), the check box, and a picture beside the text
// (bSideBitmap) or below it. The index of the button clicked, or 2 when it was closed.
SUITECORE_API int ShowChoiceBox(LPCWSTR lpszText, UINT nIDBitmap, int nCount, const CStringArray* pCaptions,
                                const RECT* pRect, BOOL bSideBitmap, CWnd* pParent);
// A box with the caller's captions and a type icon (MB_ICONINFORMATION, MB_ICONERROR,
// MB_ICONQUESTION), with or without the check box, with normal or large buttons.
SUITECORE_API int ShowIconChoiceBox(LPCWSTR lpszText, UINT nIconKind, int nCount, const CStringArray* pCaptions,
                                    const RECT* pRect, BOOL bCheckBox, BOOL bLargeButtons, CWnd* pParent);
