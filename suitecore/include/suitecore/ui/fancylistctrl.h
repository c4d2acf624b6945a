// CFancyListCtrl: an owner-drawn report list whose rows may carry a check box, an icon and a
// description cell (a bold title over a word-wrapped description). Every row is as tall as the
// tallest description needs. The parent must be a framework window, so that the list's own
// notifications (item insertion and deletion, measuring, drawing) are reflected back to it.
//
// Typical use: create the list with LVS_REPORT | LVS_OWNERDRAWFIXED, insert the columns, name the
// check and description columns (SetCheckColumn, SetDescriptionColumn), add an icon column with
// AddIconColumn, then insert items (the item data is the row's icon index) and give them titles
// and descriptions.
#pragma once

#include "../suitecore.h"

#include <framework/collections.h>
#include <framework/controls.h>
#include <framework/gdi.h>
#include <framework/listctrl.h>
#include <framework/string.h>

// The check images: unchecked and checked, 15 pixels square, magenta is transparent.
#define IDB_FANCYLIST_CHECK 1092

class SUITECORE_API CFancyListCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CFancyListCtrl)
public:
    enum
    {
        kRowPlain = 0,
        kRowHeading = 1, // a group heading: its title in the heading font, no check box
    };

    CFancyListCtrl();
    ~CFancyListCtrl() override;

    // Creates the check images and the fonts and measures the line heights.
    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    // Columns. InsertColumn shifts the special column indexes at or behind nCol.
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    void SetCheckColumn(int nCol);
    void SetDescriptionColumn(int nCol);
    // Inserts column 1 "module name" (30 wide) for the row icons of pImageList (borrowed),
    // once; FALSE when there is an icon column already.
    BOOL AddIconColumn(CImageList* pImageList);

    // Rows. Out-of-range indexes are refused (FALSE, or an empty answer).
    BOOL SetItemTitle(int nItem, LPCWSTR lpszTitle); // empties the description; a plain row
    BOOL SetItemDescription(int nItem, LPCWSTR lpszDescription);
    BOOL SetItemKind(int nItem, DWORD dwKind);
    BOOL SetItemImage(int nItem, int nImage);
    CString GetItemTitle(int nItem) const;
    CString GetItemDescription(int nItem) const;
    BOOL GetCheck(int nItem) const;
    BOOL SetCheck(int nItem, BOOL bChecked = TRUE);
    // Empties the list and every per-row array.
    void DeleteAllRows();

    int GetRowHeight() const { return m_nRowHeight; }
    // The number of lines the word wrap makes of the text in nWidth pixels with the font
    // selected in pDC (at most the maximum line count); the lines go to m_lstLines.
    int WrapText(CDC* pDC, const CString& strText, int nWidth);

    // ---- State, in its fixed order ----
    BYTE m_bDeletingAll = 0;
    BYTE m_bReserved = 0;
    BYTE m_bSuppressHeaderHandling = 0;
    BYTE m_bFixedIconColumn = 0;
    COLORREF m_crBackground = RGB(255, 255, 255);
    COLORREF m_crBackgroundAlt = RGB(255, 255, 255); // rows are cream when it differs
    CFont m_fontTitle;
    CFont m_fontBody;
    COLORREF m_crAccent = RGB(0, 0, 200);
    int m_nMaxLines = 100;
    int m_nCheckColumn = -1;
    int m_nIconColumn = -1;
    int m_nDescriptionColumn = -1;
    CImageList* m_pIconImages = nullptr;
    CImageList m_imgCheck;
    CByteArray m_arrChecked;
    CDWordArray m_arrImage;
    CStringArray m_arrTitle;
    CStringArray m_arrDescription;
    CDWordArray m_arrKind;
    int m_nRowHeight = 22;
    RECT m_rcIcon = {0, 0, 32, 32};
    int m_nTitleLineHeight = 13;
    int m_nBodyLineHeight = 13;
    CString m_strBreakChars;
    CStringList m_lstSource;
    CStringList m_lstLines;
    CFont m_fontHeading;

protected:
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnInsertItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteAllItems(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHeaderItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHeaderEndTrack(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    bool IsRow(int nItem) const;
    void ToggleCheckAt(CPoint point);
    void ShiftColumns(int nCol);
    int DescriptionWidth() const;
    // The least row height of the columns the list has; the height a row's description needs
    // (the body font selected in dc); the height every row fits in.
    int FloorHeight() const;
    int DescriptionHeight(CDC& dc, int nItem);
    int ComputeRowHeight();
    // Measures every row again; GrowRowHeight only grows the height, for the floors and for
    // one row's description (nItem -1: none).
    void RecalcRowHeight();
    void GrowRowHeight(int nItem);
    void ApplyRowHeight(int nHeight, bool bKeepTop);
    void DrawCell(CDC& dc, int nItem, int nCol, const RECT& rcCell, bool bSelected);
    void DrawDescriptionCell(CDC& dc, int nItem, const RECT& rcCell);
};
