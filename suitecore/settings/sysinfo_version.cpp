#include "suitecore/sysinfo.h"

#include <memory>

CString GetFileVersionString(LPCWSTR lpszPath)
{
    if (!lpszPath || GetFileAttributesW(lpszPath) == INVALID_FILE_ATTRIBUTES)
        return CString(L"0");

    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(lpszPath, &handle);
    if (size == 0)
        return CString();
    std::unique_ptr<BYTE[]> block(new BYTE[size]);
    if (!GetFileVersionInfoW(lpszPath, 0, size, block.get()))
        return CString();

    void* translation = nullptr;
    UINT translationSize = 0;
    if (!VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &translation, &translationSize) ||
        !translation || translationSize == 0)
        return CString();

    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return CString();

    CString text;
    text.Format(L"%u,%u,%u,%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    text.Replace(L',', L'.');
    return text;
}
