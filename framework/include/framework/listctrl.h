// Wrappers for the list view and its header control. A list view created or subclassed through
// CListCtrl gets its parent's notifications reflected back first (ON_NOTIFY_REFLECT,
// ON_WM_MEASUREITEM_REFLECT, DrawItem), and its header's notifications arrive in its own map
// (ON_NOTIFY with the header's identifier).
#pragma once

#include "string.h"
#include "window.h"

#include <commctrl.h>

class CImageList;

class FRAMEWORK_API CHeaderCtrl : public CWnd
{
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    int GetItemCount() const;
    BOOL GetItem(int nPos, HDITEMW* pHeaderItem) const;
    BOOL SetItem(int nPos, HDITEMW* pHeaderItem);
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
};

class FRAMEWORK_API CListCtrl : public CWnd
{
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // The header of a report view, as a temporary object unless somebody bound it.
    CHeaderCtrl* GetHeaderCtrl() const;
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);

    // Columns.
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    BOOL DeleteColumn(int nCol);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int nCol, int cx);
    int GetColumnCount() const; // the header's item count

    // Items.
    int GetItemCount() const;
    int InsertItem(const LVITEMW* pItem);
    int InsertItem(int nItem, LPCWSTR lpszItem);
    int InsertItem(int nItem, LPCWSTR lpszItem, int nImage);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    int GetTopIndex() const;
    int GetCountPerPage() const;
    int HitTest(LVHITTESTINFO* pHitTestInfo) const;
    int HitTest(POINT pt, UINT* pFlags = nullptr) const;
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    BOOL RedrawItems(int nFirst, int nLast);
    BOOL Update(int nItem);

    // Sorts through comctl32, which calls pfnCompare(item data 1, item data 2, dwData). The
    // comparison runs behind an exception barrier: a comparison that throws counts as equal.
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData);
};
