// Wrappers for the text-entry controls: the edit, the rich edit and the combo box.
#pragma once

#include "window.h"

class FRAMEWORK_API CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // The most characters the user may type (0: the control's maximum).
    void LimitText(int nChars = 0);
    UINT GetLimitText() const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
    void SetReadOnly(BOOL bReadOnly = TRUE);
};

// A rich edit of version 2 or later ("RichEdit20W"); Create loads its library from the system
// folder first, once for the process.
class FRAMEWORK_API CRichEditCtrl : public CWnd
{
    DECLARE_DYNAMIC(CRichEditCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Loads the rich edit library (also for a dialog template that names its class); false when
    // it is missing.
    static BOOL LoadLibrary();

    // The most characters the text may hold (0: the control's default, 32767).
    void LimitText(long nChars = 0);
    long GetLimitText() const;
    void SetSel(long nStartChar, long nEndChar);
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
    DWORD SetEventMask(DWORD dwEventMask);
    COLORREF SetBackgroundColor(BOOL bSysColor, COLORREF cr);
};

class FRAMEWORK_API CComboBox : public CWnd
{
    DECLARE_DYNAMIC(CComboBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int AddString(LPCWSTR lpszString); // the new item's index, or CB_ERR
    int InsertString(int nIndex, LPCWSTR lpszString);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const; // CB_ERR when nothing is selected
    int SetCurSel(int nSelect);
    int GetLBText(int nIndex, CString& rString) const;
    int GetLBTextLen(int nIndex) const;
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    BOOL LimitText(int nMaxChars);
};
