#include "framework/editctrls.h"

#include "framework/syslib.h"

#include <richedit.h>

IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)

namespace
{
BOOL CreateChild(CWnd& wnd, LPCWSTR lpszClass, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return wnd.CreateEx(0, lpszClass, L"", dwStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

LRESULT Send(const CWnd* pWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return ::SendMessageW(pWnd->m_hWnd, message, wParam, lParam);
}
} // namespace

// ---- CEdit ----

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateChild(*this, L"EDIT", dwStyle, rect, pParentWnd, nID);
}

void CEdit::LimitText(int nChars)
{
    Send(this, EM_LIMITTEXT, static_cast<WPARAM>(nChars));
}

UINT CEdit::GetLimitText() const
{
    return static_cast<UINT>(Send(this, EM_GETLIMITTEXT));
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    Send(this, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll)
        Send(this, EM_SCROLLCARET);
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo)
{
    Send(this, EM_REPLACESEL, static_cast<WPARAM>(bCanUndo), reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : L""));
}

void CEdit::SetReadOnly(BOOL bReadOnly)
{
    Send(this, EM_SETREADONLY, static_cast<WPARAM>(bReadOnly));
}

// ---- CRichEditCtrl ----

BOOL CRichEditCtrl::LoadLibrary()
{
    // Loaded once and kept: every rich edit of the process uses the class it registers.
    static const HMODULE library = AfxLoadSystemLibrary(L"riched20.dll");
    return library != nullptr;
}

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return LoadLibrary() && CreateChild(*this, RICHEDIT_CLASSW, dwStyle, rect, pParentWnd, nID);
}

void CRichEditCtrl::LimitText(long nChars)
{
    Send(this, EM_EXLIMITTEXT, 0, nChars);
}

long CRichEditCtrl::GetLimitText() const
{
    return static_cast<long>(Send(this, EM_GETLIMITTEXT));
}

void CRichEditCtrl::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE range{nStartChar, nEndChar};
    Send(this, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditCtrl::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo)
{
    Send(this, EM_REPLACESEL, static_cast<WPARAM>(bCanUndo), reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : L""));
}

DWORD CRichEditCtrl::SetEventMask(DWORD dwEventMask)
{
    return static_cast<DWORD>(Send(this, EM_SETEVENTMASK, 0, static_cast<LPARAM>(dwEventMask)));
}

COLORREF CRichEditCtrl::SetBackgroundColor(BOOL bSysColor, COLORREF cr)
{
    return static_cast<COLORREF>(Send(this, EM_SETBKGNDCOLOR, static_cast<WPARAM>(bSysColor), static_cast<LPARAM>(cr)));
}

// ---- CComboBox ----

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateChild(*this, L"COMBOBOX", dwStyle, rect, pParentWnd, nID);
}

int CComboBox::AddString(LPCWSTR lpszString)
{
    return static_cast<int>(Send(this, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString ? lpszString : L"")));
}

int CComboBox::InsertString(int nIndex, LPCWSTR lpszString)
{
    return static_cast<int>(
        Send(this, CB_INSERTSTRING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszString ? lpszString : L"")));
}

int CComboBox::DeleteString(UINT nIndex)
{
    return static_cast<int>(Send(this, CB_DELETESTRING, nIndex));
}

void CComboBox::ResetContent()
{
    Send(this, CB_RESETCONTENT);
}

int CComboBox::GetCount() const
{
    return static_cast<int>(Send(this, CB_GETCOUNT));
}

int CComboBox::GetCurSel() const
{
    return static_cast<int>(Send(this, CB_GETCURSEL));
}

int CComboBox::SetCurSel(int nSelect)
{
    return static_cast<int>(Send(this, CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
}

int CComboBox::GetLBTextLen(int nIndex) const
{
    return static_cast<int>(Send(this, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex)));
}

int CComboBox::GetLBText(int nIndex, CString& rString) const
{
    const int length = GetLBTextLen(nIndex);
    if (length == CB_ERR)
    {
        rString.Empty();
        return CB_ERR;
    }
    const int got = static_cast<int>(
        Send(this, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rString.GetBufferSetLength(length))));
    rString.ReleaseBufferSetLength(got == CB_ERR ? 0 : got);
    return got;
}

DWORD_PTR CComboBox::GetItemData(int nIndex) const
{
    return static_cast<DWORD_PTR>(Send(this, CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData)
{
    return static_cast<int>(Send(this, CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData)));
}

BOOL CComboBox::LimitText(int nMaxChars)
{
    return static_cast<BOOL>(Send(this, CB_LIMITTEXT, static_cast<WPARAM>(nMaxChars)));
}
