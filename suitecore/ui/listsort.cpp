#include "suitecore/ui/listsort.h"

#include <framework/exception.h>
#include <framework/string.h>

#include <oleauto.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace
{
struct SortRecord
{
    DWORD_PTR dwData; // the item's own data
    CString strText;  // the text of the sort column
};

int Sign(long long value)
{
    return (value > 0) - (value < 0);
}

// The digits of the text as one number; every other character (a minus sign too) is dropped.
unsigned long long DigitsValue(const CString& text)
{
    unsigned long long value = 0;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const wchar_t ch = text[i];
        if (ch < L'0' || ch > L'9')
            continue;
        const unsigned digit = static_cast<unsigned>(ch - L'0');
        value = value > (~0ULL - digit) / 10 ? ~0ULL : value * 10 + digit;
    }
    return value;
}

int CompareIntegers(const CString& a, const CString& b)
{
    const unsigned long long x = DigitsValue(a);
    const unsigned long long y = DigitsValue(b);
    return (x > y) - (x < y);
}

// Two texts that do not both parse count as ordered; equal days count as greater.
int CompareDates(const CString& a, const CString& b)
{
    DATE x = 0;
    DATE y = 0;
    if (FAILED(VarDateFromStr(const_cast<LPOLESTR>(static_cast<LPCWSTR>(a)), LOCALE_USER_DEFAULT, 0, &x)) ||
        FAILED(VarDateFromStr(const_cast<LPOLESTR>(static_cast<LPCWSTR>(b)), LOCALE_USER_DEFAULT, 0, &y)))
        return -1;
    return std::ceil(x) < std::ceil(y) ? -1 : 1;
}

double AnsiValue(const CString& text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return 0.0;
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
    return std::atof(ansi.c_str());
}

int CompareFloats(const CString& a, const CString& b)
{
    return AnsiValue(a) < AnsiValue(b) ? -1 : 1;
}

// The sign of lParamSort is the direction (negative: descending), its magnitude the kind.
int CALLBACK CompareRecords(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* a = reinterpret_cast<const SortRecord*>(lParam1);
    const auto* b = reinterpret_cast<const SortRecord*>(lParam2);
    const int direction = lParamSort < 0 ? -1 : 1;
    int result = 0;
    switch (std::labs(static_cast<long>(lParamSort)))
    {
    case LIST_SORT_INTEGER:
        result = CompareIntegers(a->strText, b->strText);
        break;
    case LIST_SORT_TEXT:
        result = Sign(_wcsicmp(a->strText, b->strText));
        break;
    case LIST_SORT_DATE:
        result = CompareDates(a->strText, b->strText);
        break;
    case LIST_SORT_FLOAT:
        result = CompareFloats(a->strText, b->strText);
        break;
    default:
        break;
    }
    return result * direction;
}

// The process's sort direction and the column it was last used on.
struct SortDirection
{
    std::mutex lock;
    BOOL bAscending = TRUE;
    int nLastColumn = -1;
};

SortDirection& Direction()
{
    static SortDirection direction;
    return direction;
}

// The direction for a sort of this column: reversed when it is the column sorted last,
// ascending for another one.
BOOL NextDirection(int nColumn)
{
    SortDirection& state = Direction();
    std::lock_guard<std::mutex> guard(state.lock);
    state.bAscending = (nColumn == state.nLastColumn) ? !state.bAscending : TRUE;
    state.nLastColumn = nColumn;
    return state.bAscending;
}
} // namespace

CListSortClass::CListSortClass(CListCtrl* pList, int nColumn) : m_pList(pList)
{
    const int nCount = m_pList->GetItemCount();
    int nDone = 0;
    try
    {
        for (; nDone < nCount; ++nDone)
        {
            auto record = std::make_unique<SortRecord>(
                SortRecord{m_pList->GetItemData(nDone), m_pList->GetItemText(nDone, nColumn)});
            if (m_pList->SetItemData(nDone, reinterpret_cast<DWORD_PTR>(record.get())))
                record.release();
        }
    }
    catch (...)
    {
        // The items already changed get their own data back before the failure goes on.
        for (int i = 0; i < nDone; ++i)
        {
            std::unique_ptr<SortRecord> record(reinterpret_cast<SortRecord*>(m_pList->GetItemData(i)));
            m_pList->SetItemData(i, record->dwData);
        }
        throw;
    }
}

CListSortClass::~CListSortClass()
{
    const int nCount = m_pList->GetItemCount();
    for (int i = 0; i < nCount; ++i)
    {
        std::unique_ptr<SortRecord> record(reinterpret_cast<SortRecord*>(m_pList->GetItemData(i)));
        if (record)
            m_pList->SetItemData(i, record->dwData);
    }
}

void CListSortClass::Sort(BOOL bAscending, int nKind)
{
    m_pList->SortItems(&CompareRecords, static_cast<DWORD_PTR>(bAscending ? nKind : -nKind));
}

int SortListCtrl(CListCtrl* pList, int nColumn, int nKind)
{
    if (!pList || !::IsWindow(pList->GetSafeHwnd()))
        return 0;
    try
    {
        const BOOL bAscending = NextDirection(nColumn);
        CListSortClass sorter(pList, nColumn);
        sorter.Sort(bAscending, nKind);
        return 1;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
    return 0;
}
