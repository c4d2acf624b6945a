// One-call registry functions, and the product's registry branch and data folders.
#include "suitecore/paths.h"
#include "suitecore/registry.h"

#include <shlobj.h>

#include <cwchar>

namespace
{
constexpr wchar_t kProductKeyPath[] = L"Software\\Orvane\\QMN3";
constexpr wchar_t kProductDataFolder[] = L"Orvane\\QMN3";

BOOL GetDataFolder(int nCsidl, CString& strPath, LPCWSTR lpszSubFolder)
{
    CString path;
    if (!GetSpecialFolder(nCsidl, path))
        return FALSE;
    JoinPath(path, kProductDataFolder);
    JoinPath(path, lpszSubFolder ? lpszSubFolder : L"");
    if (PathExists(path) != 1)
    {
        CreateFolderPath(path);
        if (PathExists(path) != 1)
            return FALSE;
    }
    path.Trim();
    strPath = path;
    return TRUE;
}
} // namespace

BOOL RegValueExists(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName)
{
    CRegistry reg;
    reg.m_samAccess = KEY_READ;
    return reg.Open(hRoot, lpszPath, TRUE) && reg.ValueExists(lpszName);
}

BOOL RegWriteStringValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, LPCWSTR lpszText)
{
    CRegistry reg;
    return reg.Open(hRoot, lpszPath, TRUE) && reg.WriteString(lpszName, lpszText);
}

BOOL RegWriteDwordValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, DWORD dwValue)
{
    CRegistry reg;
    return reg.Open(hRoot, lpszPath, TRUE) && reg.WriteDword(lpszName, &dwValue);
}

BOOL RegReadStringValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, LPWSTR lpszBuffer, DWORD nCapacity)
{
    if (!lpszBuffer || nCapacity == 0)
        return FALSE;
    CRegistry reg;
    reg.m_samAccess = KEY_READ;
    CString value;
    if (!reg.Open(hRoot, lpszPath, TRUE) || !reg.ReadString(lpszName, value) ||
        static_cast<DWORD>(value.GetLength()) >= nCapacity)
        return FALSE;
    wmemcpy(lpszBuffer, value.GetString(), static_cast<size_t>(value.GetLength()) + 1);
    return TRUE;
}

DWORD RegReadDwordValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName)
{
    CRegistry reg;
    DWORD value = 0;
    if (!reg.Open(hRoot, lpszPath, TRUE) || !reg.ReadDword(lpszName, &value))
        return 0;
    return value;
}

void GetProductKeyPath(CString& strPath)
{
    strPath = kProductKeyPath;
}

LPCWSTR GetProductKeyPathPtr()
{
    return kProductKeyPath;
}

BOOL GetCommonDataFolder(CString& strPath, LPCWSTR lpszSubFolder)
{
    return GetDataFolder(CSIDL_COMMON_APPDATA, strPath, lpszSubFolder);
}

BOOL GetUserDataFolder(CString& strPath, LPCWSTR lpszSubFolder)
{
    return GetDataFolder(CSIDL_APPDATA, strPath, lpszSubFolder);
}

BOOL GetUserDataFolderFor(CString& strName)
{
    const CString subFolder = strName.Find(L'\\') >= 0 ? CString() : strName;
    return GetUserDataFolder(strName, subFolder);
}

BOOL GetCommonDataFolderRoot(CString& strPath)
{
    return GetCommonDataFolder(strPath, L"");
}
