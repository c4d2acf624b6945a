#include "suitecore/ui/fancylistctrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CFancyListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CFancyListCtrl, CListCtrl)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MEASUREITEM_REFLECT()
    ON_NOTIFY_REFLECT(LVN_INSERTITEM, &CFancyListCtrl::OnInsertItem)
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, &CFancyListCtrl::OnDeleteItem)
    ON_NOTIFY_REFLECT(LVN_DELETEALLITEMS, &CFancyListCtrl::OnDeleteAllItems)
    // The header is the list's child with identifier 0; it notifies in either character set.
    ON_NOTIFY(HDN_ITEMCHANGINGW, 0, &CFancyListCtrl::OnHeaderItemChanging)
    ON_NOTIFY(HDN_ITEMCHANGINGA, 0, &CFancyListCtrl::OnHeaderItemChanging)
    ON_NOTIFY(HDN_ENDTRACKW, 0, &CFancyListCtrl::OnHeaderEndTrack)
    ON_NOTIFY(HDN_ENDTRACKA, 0, &CFancyListCtrl::OnHeaderEndTrack)
END_MESSAGE_MAP()

namespace
{
constexpr COLORREF kRowCream = RGB(246, 236, 202);
constexpr COLORREF kRowWhite = RGB(255, 255, 255);
constexpr COLORREF kTextColour = RGB(9, 18, 27);
constexpr COLORREF kTitleColour = RGB(85, 85, 85);
constexpr COLORREF kHeadingColour = RGB(109, 109, 109);
constexpr int kCheckSize = 15;
constexpr int kMinCheckRow = 19;
constexpr int kMinDescriptionWidth = 50;
constexpr int kMaxIconWidthRule = 40;

// Selects a GDI object into a DC for one scope.
class CSelectScope
{
public:
    CSelectScope(CDC& dc, HGDIOBJ hObject) : m_dc(dc), m_hOld(::SelectObject(dc.m_hDC, hObject)) {}
    ~CSelectScope() { ::SelectObject(m_dc.m_hDC, m_hOld); }
    CSelectScope(const CSelectScope&) = delete;
    CSelectScope& operator=(const CSelectScope&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_hOld;
};

int LineHeight(CDC& dc, CFont& font)
{
    CSelectScope select(dc, font.m_hObject);
    return dc.GetTextExtent(L"_X^", 3).cy;
}

void CreateUiFont(CFont& font, int nHeight, int nWeight)
{
    font.DeleteObject();
    font.CreateFont(nHeight, 0, 0, 0, nWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}
} // namespace

CFancyListCtrl::CFancyListCtrl() : m_strBreakChars(L" \\\t") {}

CFancyListCtrl::~CFancyListCtrl() = default;

void CFancyListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    // 32-bit: a list loaded at the default depth may get 16 colours only.
    if (!m_imgCheck.GetSafeHandle())
        m_imgCheck.CreateFromBitmap(IDB_FANCYLIST_CHECK, kCheckSize, ILC_COLOR32 | ILC_MASK, RGB(255, 0, 255));
    CreateUiFont(m_fontTitle, -12, FW_BOLD);
    CreateUiFont(m_fontBody, -11, FW_NORMAL);
    CreateUiFont(m_fontHeading, -15, FW_BOLD);
    m_crBackground = m_crBackgroundAlt = ::GetSysColor(COLOR_WINDOW);
    // Measured on the screen: the window may not be a list view yet while it is being created.
    CClientDC dc(nullptr);
    m_nTitleLineHeight = LineHeight(dc, m_fontTitle);
    m_nBodyLineHeight = LineHeight(dc, m_fontBody);
    // A list subclassed after its creation takes the row height at once.
    if (::IsWindow(m_hWnd) && ::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0))
        ApplyRowHeight(m_nRowHeight, false);
}

int CFancyListCtrl::OnCreate(LPCREATESTRUCTW)
{
    const int result = static_cast<int>(Default());
    if (result != -1)
        ApplyRowHeight(m_nRowHeight, false);
    return result;
}

// ---- Columns ----

void CFancyListCtrl::ShiftColumns(int nCol)
{
    for (int* pColumn : {&m_nCheckColumn, &m_nIconColumn, &m_nDescriptionColumn})
        if (*pColumn >= nCol)
            ++*pColumn;
}

int CFancyListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    const int nIndex = CListCtrl::InsertColumn(nCol, lpszColumnHeading, nFormat, nWidth, nSubItem);
    if (nIndex < 0)
        return nIndex;
    const bool bBeforeSpecial = (m_nCheckColumn >= nIndex) || (m_nIconColumn >= nIndex) ||
                                (m_nDescriptionColumn >= nIndex);
    ShiftColumns(nIndex);
    if (bBeforeSpecial)
        RecalcRowHeight();
    return nIndex;
}

void CFancyListCtrl::SetCheckColumn(int nCol)
{
    m_nCheckColumn = nCol;
    RecalcRowHeight();
}

void CFancyListCtrl::SetDescriptionColumn(int nCol)
{
    m_nDescriptionColumn = nCol;
    RecalcRowHeight();
}

BOOL CFancyListCtrl::AddIconColumn(CImageList* pImageList)
{
    if (m_nIconColumn != -1)
        return FALSE;
    const int nIndex = CListCtrl::InsertColumn(1, L"module name", LVCFMT_LEFT, 30);
    if (nIndex < 0)
        return FALSE;
    ShiftColumns(nIndex);
    m_nIconColumn = nIndex;
    m_pIconImages = pImageList;
    IMAGEINFO info{};
    if (pImageList && pImageList->GetImageCount() > 0 && pImageList->GetImageInfo(0, &info))
        m_rcIcon = RECT{0, 0, info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top};
    GrowRowHeight(-1);
    return TRUE;
}

// ---- Rows ----

bool CFancyListCtrl::IsRow(int nItem) const
{
    return nItem >= 0 && nItem < m_arrTitle.GetSize();
}

BOOL CFancyListCtrl::SetItemTitle(int nItem, LPCWSTR lpszTitle)
{
    if (!IsRow(nItem) || m_nDescriptionColumn < 0)
        return FALSE;
    m_arrTitle[nItem] = lpszTitle ? lpszTitle : L"";
    m_arrDescription[nItem].Empty();
    m_arrKind[nItem] = kRowPlain;
    if (m_nRowHeight < m_nTitleLineHeight + 5)
        ApplyRowHeight(m_nTitleLineHeight + 5, false);
    return TRUE;
}

BOOL CFancyListCtrl::SetItemDescription(int nItem, LPCWSTR lpszDescription)
{
    if (!IsRow(nItem))
        return FALSE;
    m_arrDescription[nItem] = lpszDescription ? lpszDescription : L"";
    GrowRowHeight(nItem);
    Update(nItem);
    return TRUE;
}

BOOL CFancyListCtrl::SetItemKind(int nItem, DWORD dwKind)
{
    if (!IsRow(nItem))
        return FALSE;
    m_arrKind[nItem] = dwKind;
    Update(nItem);
    return TRUE;
}

BOOL CFancyListCtrl::SetItemImage(int nItem, int nImage)
{
    if (!IsRow(nItem))
        return FALSE;
    m_arrImage[nItem] = static_cast<DWORD>(nImage);
    Update(nItem);
    return TRUE;
}

CString CFancyListCtrl::GetItemTitle(int nItem) const
{
    return IsRow(nItem) ? m_arrTitle[nItem] : CString();
}

CString CFancyListCtrl::GetItemDescription(int nItem) const
{
    return IsRow(nItem) ? m_arrDescription[nItem] : CString();
}

BOOL CFancyListCtrl::GetCheck(int nItem) const
{
    return IsRow(nItem) && m_arrChecked[nItem] != 0;
}

BOOL CFancyListCtrl::SetCheck(int nItem, BOOL bChecked)
{
    if (!IsRow(nItem))
        return FALSE;
    m_arrChecked[nItem] = bChecked ? 1 : 0;
    Update(nItem);
    return TRUE;
}

void CFancyListCtrl::DeleteAllRows()
{
    m_bDeletingAll = 1;
    m_arrChecked.RemoveAll();
    m_arrImage.RemoveAll();
    m_arrTitle.RemoveAll();
    m_arrDescription.RemoveAll();
    m_arrKind.RemoveAll();
    DeleteAllItems();
    m_bDeletingAll = 0;
}

// ---- Item notifications ----

void CFancyListCtrl::OnInsertItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int nItem = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    // An index the arrays cannot take means they are out of step with the list: ignored.
    if (nItem < 0 || nItem > m_arrTitle.GetSize())
        return;
    m_arrChecked.InsertAt(nItem, BYTE(0));
    m_arrImage.InsertAt(nItem, static_cast<DWORD>(GetItemData(nItem)));
    m_arrTitle.InsertAt(nItem, CString());
    m_arrDescription.InsertAt(nItem, CString());
    m_arrKind.InsertAt(nItem, static_cast<DWORD>(kRowPlain));
    GrowRowHeight(-1);
}

void CFancyListCtrl::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int nItem = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    if (m_bDeletingAll || !IsRow(nItem))
        return;
    m_arrChecked.RemoveAt(nItem);
    m_arrImage.RemoveAt(nItem);
    m_arrTitle.RemoveAt(nItem);
    m_arrDescription.RemoveAt(nItem);
    m_arrKind.RemoveAt(nItem);
}

// However the list is emptied (DeleteAllItems, destruction), the arrays empty with it; the
// per-item notifications that may follow find nothing left to remove.
void CFancyListCtrl::OnDeleteAllItems(NMHDR*, LRESULT* pResult)
{
    *pResult = FALSE;
    m_arrChecked.RemoveAll();
    m_arrImage.RemoveAll();
    m_arrTitle.RemoveAll();
    m_arrDescription.RemoveAll();
    m_arrKind.RemoveAll();
}

// ---- Header tracking ----

void CFancyListCtrl::OnHeaderItemChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pHeader = reinterpret_cast<const NMHEADERW*>(pNMHDR);
    *pResult = FALSE;
    if (m_bSuppressHeaderHandling || !pHeader->pitem || !(pHeader->pitem->mask & HDI_WIDTH))
    {
        *pResult = Default();
        return;
    }
    const int nCol = pHeader->iItem;
    const int nWidth = pHeader->pitem->cxy;
    const int nIconLimit = std::min<int>(m_rcIcon.right - m_rcIcon.left, kMaxIconWidthRule);
    const bool bRefuse = (nCol == m_nCheckColumn) ||
                         (nCol == m_nIconColumn && (m_bFixedIconColumn || nWidth < nIconLimit)) ||
                         (nCol == m_nDescriptionColumn && nWidth < kMinDescriptionWidth);
    if (bRefuse)
    {
        *pResult = TRUE;
        return;
    }
    *pResult = Default();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CFancyListCtrl::OnHeaderEndTrack(NMHDR*, LRESULT* pResult)
{
    *pResult = Default();
    RecalcRowHeight();
}

// ---- Clicks ----

// The row is measured from the top row's rectangle: clicks on the header, above the first
// row or below the last one toggle nothing.
void CFancyListCtrl::ToggleCheckAt(CPoint point)
{
    if (m_nCheckColumn < 0 || GetItemCount() == 0)
        return;
    const int nTop = GetTopIndex();
    RECT rcTop{};
    if (!GetItemRect(nTop, &rcTop, LVIR_BOUNDS) || point.y < rcTop.top)
        return;
    const int nRowHeight = std::max<int>(1, rcTop.bottom - rcTop.top);
    const int nItem = nTop + (point.y - rcTop.top) / nRowHeight;
    if (nItem >= GetItemCount() || !IsRow(nItem))
        return;
    m_arrChecked[nItem] = m_arrChecked[nItem] ? 0 : 1;
    RedrawItems(nItem, nItem);
}

void CFancyListCtrl::OnLButtonDown(UINT, CPoint point)
{
    ToggleCheckAt(point);
    Default();
}

void CFancyListCtrl::OnLButtonDblClk(UINT, CPoint point)
{
    ToggleCheckAt(point);
    Default();
}

// ---- Word wrap and row height ----

int CFancyListCtrl::WrapText(CDC* pDC, const CString& strText, int nWidth)
{
    m_lstSource.RemoveAll();
    m_lstLines.RemoveAll();
    if (!strText.IsEmpty())
    {
        int iStart = 0;
        for (int iBreak; (iBreak = strText.Find(L'\n', iStart)) >= 0; iStart = iBreak + 1)
            m_lstSource.AddTail(strText.Mid(iStart, iBreak - iStart));
        m_lstSource.AddTail(strText.Mid(iStart));
    }
    for (POSITION pos = m_lstSource.GetHeadPosition(); pos && m_lstLines.GetCount() < m_nMaxLines;)
    {
        CString strLine = m_lstSource.GetNext(pos);
        while (m_lstLines.GetCount() < m_nMaxLines)
        {
            if (pDC->GetTextExtent(strLine).cx <= nWidth)
            {
                m_lstLines.AddTail(strLine);
                break;
            }
            // The last break character that still lets the part before it fit.
            int iCut = -1;
            for (int i = 0; i < strLine.GetLength(); ++i)
            {
                if (m_strBreakChars.Find(strLine[i]) < 0)
                    continue;
                if (pDC->GetTextExtent(strLine.Left(i)).cx > nWidth)
                    break;
                iCut = i;
            }
            if (iCut < 0)
            {
                m_lstLines.AddTail(strLine); // a word longer than the width stays whole
                break;
            }
            CString strHead = strLine.Left(iCut + 1);
            m_lstLines.AddTail(strHead.TrimRight());
            strLine = strLine.Mid(iCut + 1);
            strLine.TrimLeft();
            if (strLine.IsEmpty())
                break;
        }
    }
    return static_cast<int>(std::min<INT_PTR>(m_lstLines.GetCount(), m_nMaxLines));
}

int CFancyListCtrl::DescriptionWidth() const
{
    int nWidth = 0;
    const int nColumns = GetColumnCount();
    for (int nCol = m_nDescriptionColumn; nCol >= 0 && nCol < nColumns; ++nCol)
        nWidth += GetColumnWidth(nCol);
    return nWidth - 4;
}

int CFancyListCtrl::FloorHeight() const
{
    int nHeight = m_nDescriptionColumn >= 0 ? m_nTitleLineHeight + 5 : 22;
    if (m_nCheckColumn >= 0)
        nHeight = std::max(nHeight, kMinCheckRow);
    if (m_nIconColumn >= 0 && m_pIconImages)
        nHeight = std::max<int>(nHeight, m_rcIcon.bottom - m_rcIcon.top + 4);
    return nHeight;
}

int CFancyListCtrl::DescriptionHeight(CDC& dc, int nItem)
{
    return m_nBodyLineHeight * WrapText(&dc, m_arrDescription[nItem], DescriptionWidth()) + m_nTitleLineHeight + 5;
}

int CFancyListCtrl::ComputeRowHeight()
{
    int nHeight = FloorHeight();
    if (m_nDescriptionColumn >= 0 && ::IsWindow(m_hWnd))
    {
        CClientDC dc(this);
        CSelectScope select(dc, m_fontBody.m_hObject);
        for (INT_PTR i = 0; i < m_arrDescription.GetSize(); ++i)
            nHeight = std::max(nHeight, DescriptionHeight(dc, static_cast<int>(i)));
    }
    return nHeight;
}

void CFancyListCtrl::RecalcRowHeight()
{
    const int nHeight = ComputeRowHeight();
    if (nHeight != m_nRowHeight)
        ApplyRowHeight(nHeight, true);
}

void CFancyListCtrl::GrowRowHeight(int nItem)
{
    int nHeight = std::max(m_nRowHeight, FloorHeight());
    if (nItem >= 0 && m_nDescriptionColumn >= 0 && IsRow(nItem) && ::IsWindow(m_hWnd))
    {
        CClientDC dc(this);
        CSelectScope select(dc, m_fontBody.m_hObject);
        nHeight = std::max(nHeight, DescriptionHeight(dc, nItem));
    }
    if (nHeight != m_nRowHeight)
        ApplyRowHeight(nHeight, false);
}

// The list measures its rows again (WM_MEASUREITEM) when its window position changes.
void CFancyListCtrl::ApplyRowHeight(int nHeight, bool bKeepTop)
{
    m_nRowHeight = nHeight;
    if (!::IsWindow(m_hWnd))
        return;
    const int nTop = bKeepTop ? GetTopIndex() : -1;
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    WINDOWPOS pos{};
    pos.hwnd = m_hWnd;
    pos.cx = rc.right - rc.left;
    pos.cy = rc.bottom - rc.top;
    pos.flags = SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (nTop > 0)
        EnsureVisible(nTop, FALSE);
}

void CFancyListCtrl::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    lpMeasureItemStruct->itemHeight = static_cast<UINT>(m_nRowHeight);
}

// ---- Drawing ----

void CFancyListCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (m_bDeletingAll || lpDrawItemStruct->CtlType != ODT_LISTVIEW ||
        !(lpDrawItemStruct->itemAction & ODA_DRAWENTIRE))
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    const int nSaved = dc.SaveDC();
    const RECT& rcItem = lpDrawItemStruct->rcItem;
    const int nItem = static_cast<int>(lpDrawItemStruct->itemID);
    const bool bSelected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;

    dc.FillSolidRect(rcItem.left, rcItem.top, rcItem.right - rcItem.left, rcItem.bottom - rcItem.top - 1,
                     m_crBackground != m_crBackgroundAlt ? kRowCream : kRowWhite);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kTextColour);

    int x = -::GetScrollPos(m_hWnd, SB_HORZ);
    const int nColumns = GetColumnCount();
    for (int nCol = 0; nCol < nColumns; ++nCol)
    {
        const int nWidth = GetColumnWidth(nCol);
        const RECT rcCell{x, rcItem.top, x + nWidth, rcItem.bottom};
        DrawCell(dc, nItem, nCol, rcCell, bSelected);
        x += nWidth;
    }
    dc.RestoreDC(nSaved);
    dc.Detach();
}

void CFancyListCtrl::DrawCell(CDC& dc, int nItem, int nCol, const RECT& rcCell, bool bSelected)
{
    const bool bHeading = IsRow(nItem) && m_arrKind[nItem] == kRowHeading;
    const int nWidth = rcCell.right - rcCell.left;
    const int nHeight = rcCell.bottom - rcCell.top;
    if (nCol == m_nCheckColumn)
    {
        if (!bHeading && m_imgCheck.GetSafeHandle())
            m_imgCheck.Draw(&dc, GetCheck(nItem) ? 1 : 0,
                            POINT{rcCell.left + (nWidth - kCheckSize) / 2, rcCell.top + (nHeight - kCheckSize) / 2},
                            ILD_TRANSPARENT);
    }
    else if (nCol == m_nIconColumn)
    {
        const int cx = m_rcIcon.right - m_rcIcon.left;
        const int cy = m_rcIcon.bottom - m_rcIcon.top;
        if (m_pIconImages && m_pIconImages->GetSafeHandle() && IsRow(nItem))
            m_pIconImages->Draw(&dc, static_cast<int>(m_arrImage[nItem]),
                                POINT{rcCell.left + (nWidth - cx) / 2, rcCell.top + (nHeight - cy) / 2},
                                ILD_TRANSPARENT);
    }
    else if (nCol == m_nDescriptionColumn)
    {
        DrawDescriptionCell(dc, nItem, rcCell);
    }
    else
    {
        RECT rcText{rcCell.left + 2, rcCell.top + 2, rcCell.right - 2, rcCell.bottom - 2};
        CSelectScope select(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        const COLORREF crOld = dc.SetTextColor(bSelected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : kTextColour);
        dc.DrawText(GetItemText(nItem, nCol), &rcText, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        dc.SetTextColor(crOld);
    }
}

void CFancyListCtrl::DrawDescriptionCell(CDC& dc, int nItem, const RECT& rcCell)
{
    if (!IsRow(nItem))
        return;
    if (m_arrKind[nItem] == kRowHeading)
    {
        CSelectScope select(dc, m_fontHeading.m_hObject);
        dc.SetTextColor(kHeadingColour);
        const int xRow = -::GetScrollPos(m_hWnd, SB_HORZ);
        dc.TextOut(xRow + 14, rcCell.top + 13, m_arrTitle[nItem]);
        return;
    }
    dc.SetTextColor(kTitleColour);
    {
        CSelectScope select(dc, m_fontTitle.m_hObject);
        dc.TextOut(rcCell.left + 5, rcCell.top + 6, m_arrTitle[nItem]);
    }
    CSelectScope select(dc, m_fontBody.m_hObject);
    WrapText(&dc, m_arrDescription[nItem], DescriptionWidth());
    const int yBottom = rcCell.bottom - 2;
    int y = rcCell.top + m_nTitleLineHeight + 3;
    for (POSITION pos = m_lstLines.GetHeadPosition(); pos && y + m_nBodyLineHeight <= yBottom;
         y += m_nBodyLineHeight)
    {
        RECT rcLine{rcCell.left + 5, y, rcCell.left + 5 + DescriptionWidth(), y + m_nBodyLineHeight};
        dc.DrawText(m_lstLines.GetNext(pos), &rcLine, DT_SINGLELINE | DT_NOPREFIX);
    }
}
