// Binding system libraries at run time. A library loaded by name is looked for in the
// program's own folder first, so a program started from a download or installer folder could
// pick up a planted DLL of the same name; these helpers load from the system folder by full path.
#pragma once

#include "framework.h"

// Loads lpszFileName (a bare file name such as L"psapi.dll") from the system folder; null,
// with the error of LoadLibrary, when it cannot be loaded or the name holds a path.
FRAMEWORK_API HMODULE AfxLoadSystemLibrary(LPCWSTR lpszFileName);

// How a class binds the libraries it calls through pointers. The system binder loads from the
// system folder and looks names up with GetProcAddress; tests substitute their own to produce
// what a live system cannot (a missing entry point, a failing call).
struct AFX_LIBRARY_BINDER
{
    HMODULE (*pfnLoadLibrary)(LPCWSTR lpszFileName);
    FARPROC (*pfnGetProcAddress)(HMODULE hModule, LPCSTR lpszProcName);
    BOOL (*pfnFreeLibrary)(HMODULE hModule);
};

FRAMEWORK_API const AFX_LIBRARY_BINDER& AfxGetSystemLibraryBinder();
