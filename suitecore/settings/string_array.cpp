// Searching and sorting of string arrays.
#include "suitecore/sysinfo.h"

#include <framework/exception.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace
{
const CString& StringAt(const void* p)
{
    return **static_cast<CString* const*>(p);
}

// qsort callbacks: nothing may leave them, so each runs behind the callback barrier.
int __cdecl CompareAscending(const void* a, const void* b)
{
    return AfxCallbackBarrier([&] { return wcscmp(StringAt(a), StringAt(b)); }, 0);
}
int __cdecl CompareDescending(const void* a, const void* b)
{
    return CompareAscending(b, a);
}
int __cdecl CompareAscendingNoCase(const void* a, const void* b)
{
    return AfxCallbackBarrier([&] { return _wcsicmp(StringAt(a), StringAt(b)); }, 0);
}
int __cdecl CompareDescendingNoCase(const void* a, const void* b)
{
    return CompareAscendingNoCase(b, a);
}
} // namespace

BOOL FindInStringArray(const CStringArray& array, LPCWSTR lpszText, BOOL bFromEnd)
{
    if (!lpszText)
        return FALSE;
    const INT_PTR count = array.GetSize();
    for (INT_PTR i = 0; i < count; ++i)
    {
        const INT_PTR index = bFromEnd ? count - 1 - i : i;
        if (array[index].CompareNoCase(lpszText) == 0)
            return TRUE;
    }
    return FALSE;
}

void SortStringArray(CStringArray& array, BOOL bDescending, BOOL bCaseSensitive)
{
    const INT_PTR count = array.GetSize();
    if (count < 2)
        return;
    // The strings are sorted through pointers and then moved into place, so that qsort never
    // copies string objects byte by byte.
    std::vector<CString*> order;
    order.reserve(static_cast<size_t>(count));
    for (INT_PTR i = 0; i < count; ++i)
        order.push_back(&array[i]);
    int(__cdecl * compare)(const void*, const void*) =
        bCaseSensitive ? (bDescending ? CompareDescending : CompareAscending)
                       : (bDescending ? CompareDescendingNoCase : CompareAscendingNoCase);
    qsort(order.data(), order.size(), sizeof(CString*), compare);

    std::vector<CString> sorted;
    sorted.reserve(order.size());
    for (CString* s : order)
        sorted.push_back(std::move(*s));
    for (INT_PTR i = 0; i < count; ++i)
        array[i] = std::move(sorted[static_cast<size_t>(i)]);
}
