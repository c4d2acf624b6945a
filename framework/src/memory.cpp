#include "framework/memory.h"

namespace
{
bool Allows(DWORD protect, BOOL bReadWrite)
{
    if (protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const DWORD readable = writable | PAGE_READONLY | PAGE_EXECUTE_READ;
    return (protect & (bReadWrite ? writable : readable)) != 0;
}
} // namespace

BOOL AfxIsValidAddress(const void* lp, UINT_PTR nBytes, BOOL bReadWrite)
{
    if (!lp)
        return FALSE;
    const UINT_PTR first = reinterpret_cast<UINT_PTR>(lp);
    const UINT_PTR last = first + (nBytes ? nBytes - 1 : 0);
    if (last < first)
        return FALSE; // the range wraps around the address space
    // One region of equal attributes at a time, until the range is covered.
    UINT_PTR address = first;
    for (;;)
    {
        MEMORY_BASIC_INFORMATION mbi;
        if (!::VirtualQuery(reinterpret_cast<LPCVOID>(address), &mbi, sizeof(mbi)))
            return FALSE;
        if (mbi.State != MEM_COMMIT || !Allows(mbi.Protect, bReadWrite))
            return FALSE;
        const UINT_PTR regionEnd = reinterpret_cast<UINT_PTR>(mbi.BaseAddress) + mbi.RegionSize;
        if (regionEnd == 0 || last < regionEnd)
            return TRUE; // the region reaches the top of the address space or covers the rest
        address = regionEnd;
    }
}
