// Sorting any list control by the text of one column.
#pragma once

#include "../suitecore.h"

#include <framework/listctrl.h>

// The comparison kinds of CListSortClass::Sort and SortListCtrl.
enum
{
    LIST_SORT_INTEGER = 1, // digits only: every other character is dropped first
    LIST_SORT_TEXT = 2,    // text without regard to case
    LIST_SORT_DATE = 3,    // the day of a date and time (VarDateFromStr)
    LIST_SORT_FLOAT = 4,   // a floating-point number
};

// While it lives, every item's data is a record holding the item's own data and the text of
// the sort column; its destruction gives every item its own data back.
class SUITECORE_API CListSortClass
{
public:
    CListSortClass(CListCtrl* pList, int nColumn);
    virtual ~CListSortClass();
    CListSortClass(const CListSortClass&) = delete;
    CListSortClass& operator=(const CListSortClass&) = delete;

    // Sorts by the column's text with one of the LIST_SORT_ kinds.
    virtual void Sort(BOOL bAscending, int nKind);

    CListCtrl* m_pList;
};

// Sorts the list by the column's text. Sorting the column sorted last reverses the direction;
// another column starts ascending (one direction for the whole process). 1 on success, 0 when
// the sort failed (the items keep their data either way).
SUITECORE_API int SortListCtrl(CListCtrl* pList, int nColumn, int nKind);
