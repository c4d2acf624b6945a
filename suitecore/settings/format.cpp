// Size, date and free-space texts.
#include "suitecore/sysinfo.h"

#include "this_module.h"

#include <ctime>
#include <cwchar>
#include <cwctype>

namespace
{
// The library's string resource for a date that cannot be shown.
constexpr UINT kIdsInvalidDateTime = 0xD800;
} // namespace

void FormatSize(CString& strOut, BOOL bWholeNumbers, ULONGLONG nBytes)
{
    // The steps are 1204 bytes and 1204 KB, not 1024: texts like "1100 Bytes" are what users
    // of the suite have always seen, so they stay.
    if (nBytes < 1204)
    {
        strOut.Format(L"%d Bytes", static_cast<int>(nBytes));
        return;
    }
    const float kb = static_cast<float>(nBytes) / 1024;
    if (kb < 1204)
    {
        if (bWholeNumbers)
            strOut.Format(L"%d KB", static_cast<int>(nBytes >> 10));
        else
            strOut.Format(L"%0.2f KB", static_cast<double>(kb));
        return;
    }
    const float mb = kb / 1024;
    if (mb < 1024)
    {
        if (bWholeNumbers)
            strOut.Format(L"%d MB", static_cast<int>(nBytes >> 20));
        else
            strOut.Format(L"%0.2f MB", static_cast<double>(mb));
        return;
    }
    strOut.Format(L"%0.2f GB", static_cast<double>(mb / 1024));
}

BOOL FormatSizeKB(ULONGLONG nBytes, LPWSTR lpszBuffer, int nCapacity)
{
    if (!lpszBuffer || nCapacity <= 0)
        return TRUE;
    const double kb = static_cast<double>(nBytes) / 1024;
    CString text;
    text.Format(nBytes < 1024 ? L"%0.3f KB" : L"%0.1f KB", kb);
    lstrcpynW(lpszBuffer, text, nCapacity);
    return TRUE;
}

CString FormatNowLong()
{
    const __time64_t now = _time64(nullptr);
    const tm* local = _localtime64(&now);
    wchar_t buffer[256];
    if (local && wcsftime(buffer, 256, L"%a. %B %d, %Y. %I:%M %p", local) > 0)
        return CString(buffer);
    CString text;
    if (!text.LoadString(suitecore::ThisModule(), kIdsInvalidDateTime))
        text = L"Invalid DateTime";
    return text;
}

CString GetFreeSpacePercent(double& dPercent, BOOL bAllDrives)
{
    WCHAR systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const WCHAR systemDrive = static_cast<WCHAR>(towupper(systemFolder[0]));

    ULONGLONG total = 0;
    ULONGLONG free = 0;
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
    {
        if (!(drives & (1u << i)))
            continue;
        const WCHAR letter = static_cast<WCHAR>(L'A' + i);
        if (!bAllDrives && letter != systemDrive)
            continue;
        const WCHAR root[] = {letter, L':', L'\\', L'\0'};
        const UINT type = GetDriveTypeW(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
            continue;
        WCHAR volumeName[256];
        WCHAR fileSystem[256];
        DWORD serial = 0, maxComponent = 0, flags = 0;
        if (!GetVolumeInformationW(root, volumeName, 256, &serial, &maxComponent, &flags, fileSystem, 256))
            continue;
        ULARGE_INTEGER available, driveTotal, driveFree;
        if (GetDiskFreeSpaceExW(root, &available, &driveTotal, &driveFree))
        {
            total += driveTotal.QuadPart;
            free += driveFree.QuadPart;
        }
        if (!bAllDrives)
            break;
    }
    dPercent = total ? static_cast<double>(free) * 100 / static_cast<double>(total) : 0.0;
    CString text;
    text.Format(L"%0.2f%%", dPercent);
    return text;
}
