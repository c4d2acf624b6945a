#include "framework/syslib.h"

#include <cwchar>

HMODULE AfxLoadSystemLibrary(LPCWSTR lpszFileName)
{
    if (!lpszFileName || !*lpszFileName || wcspbrk(lpszFileName, L"\\/:"))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    wchar_t path[MAX_PATH];
    const UINT folderLength = GetSystemDirectoryW(path, MAX_PATH);
    const size_t nameLength = wcslen(lpszFileName);
    if (folderLength == 0 || folderLength + 1 + nameLength >= MAX_PATH)
    {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return nullptr;
    }
    path[folderLength] = L'\\';
    wmemcpy(path + folderLength + 1, lpszFileName, nameLength + 1);
    // With a full path the loader searches nowhere else; the altered search order makes the
    // library's own dependencies resolve from its folder too.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace
{
FARPROC SystemGetProcAddress(HMODULE hModule, LPCSTR lpszProcName)
{
    return GetProcAddress(hModule, lpszProcName);
}
BOOL SystemFreeLibrary(HMODULE hModule)
{
    return FreeLibrary(hModule);
}

const AFX_LIBRARY_BINDER g_systemBinder = {&AfxLoadSystemLibrary, &SystemGetProcAddress, &SystemFreeLibrary};
} // namespace

const AFX_LIBRARY_BINDER& AfxGetSystemLibraryBinder()
{
    return g_systemBinder;
}
