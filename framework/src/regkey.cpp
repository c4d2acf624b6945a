#include "framework/regkey.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

CRegKey& CRegKey::operator=(CRegKey&& other) noexcept
{
    if (this != &other)
        Attach(other.Detach());
    return *this;
}

LONG CRegKey::Create(HKEY hKeyParent, LPCWSTR lpszKeyName, LPWSTR lpszClass, DWORD dwOptions, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES lpSecAttr, LPDWORD lpdwDisposition)
{
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    const LONG result =
        RegCreateKeyExW(hKeyParent, lpszKeyName, 0, lpszClass, dwOptions, samDesired, lpSecAttr, &hKey, &disposition);
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    if (result == ERROR_SUCCESS)
        Attach(hKey);
    return result;
}

LONG CRegKey::Open(HKEY hKeyParent, LPCWSTR lpszKeyName, REGSAM samDesired)
{
    HKEY hKey = nullptr;
    const LONG result = RegOpenKeyExW(hKeyParent, lpszKeyName, 0, samDesired, &hKey);
    if (result == ERROR_SUCCESS)
        Attach(hKey);
    return result;
}

LONG CRegKey::Close() noexcept
{
    LONG result = ERROR_SUCCESS;
    if (m_hKey)
        result = RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return result;
}

void CRegKey::Attach(HKEY hKey) noexcept
{
    if (hKey != m_hKey)
        Close();
    m_hKey = hKey;
}

HKEY CRegKey::Detach() noexcept
{
    HKEY hKey = m_hKey;
    m_hKey = nullptr;
    return hKey;
}

LONG CRegKey::SetStringValue(LPCWSTR pszValueName, LPCWSTR pszValue, DWORD dwType)
{
    if (!pszValue)
        pszValue = L"";
    const DWORD cb = static_cast<DWORD>((lstrlenW(pszValue) + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_hKey, pszValueName, 0, dwType, reinterpret_cast<const BYTE*>(pszValue), cb);
}

LONG CRegKey::QueryStringValue(LPCWSTR pszValueName, LPWSTR pszValue, ULONG* pnChars)
{
    if (!pnChars)
        return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    DWORD cb = 0;
    LONG result = RegQueryValueExW(m_hKey, pszValueName, nullptr, &type, nullptr, &cb);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    // The stored data need not end with a terminator, or may end with several: read it whole.
    std::vector<wchar_t> data(cb / sizeof(wchar_t) + 1, L'\0');
    cb = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    result = RegQueryValueExW(m_hKey, pszValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &cb);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    ULONG chars = cb / sizeof(wchar_t);
    while (chars > 0 && data[chars - 1] == L'\0')
        --chars;
    const ULONG needed = chars + 1;
    if (!pszValue)
    {
        *pnChars = needed;
        return ERROR_SUCCESS;
    }
    if (*pnChars < needed)
    {
        *pnChars = needed;
        return ERROR_MORE_DATA;
    }
    std::copy(data.begin(), data.begin() + chars, pszValue);
    pszValue[chars] = L'\0';
    *pnChars = needed;
    return ERROR_SUCCESS;
}

LONG CRegKey::SetDWORDValue(LPCWSTR pszValueName, DWORD dwValue)
{
    return RegSetValueExW(m_hKey, pszValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue);
}

LONG CRegKey::QueryDWORDValue(LPCWSTR pszValueName, DWORD& dwValue)
{
    DWORD type = 0;
    DWORD cb = 0;
    LONG result = RegQueryValueExW(m_hKey, pszValueName, nullptr, &type, nullptr, &cb);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD value = 0;
    if (type != REG_DWORD || cb != sizeof value)
        return ERROR_INVALID_DATA;
    result = RegQueryValueExW(m_hKey, pszValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD || cb != sizeof value)
        return ERROR_INVALID_DATA;
    dwValue = value;
    return ERROR_SUCCESS;
}

LONG CRegKey::DeleteValue(LPCWSTR lpszValue)
{
    return RegDeleteValueW(m_hKey, lpszValue);
}

LONG CRegKey::DeleteSubKey(LPCWSTR lpszSubKey)
{
    return RegDeleteKeyW(m_hKey, lpszSubKey);
}

LONG CRegKey::RecurseDeleteKey(LPCWSTR lpszKey)
{
    return static_cast<LONG>(SHDeleteKeyW(m_hKey, lpszKey));
}

HKEY AfxRootKeyFromName(LPCWSTR lpszName)
{
    static const struct
    {
        LPCWSTR shortName;
        LPCWSTR longName;
        HKEY key;
    } kRoots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKU", L"HKEY_USERS", HKEY_USERS},
    };
    if (!lpszName)
        return nullptr;
    for (const auto& r : kRoots)
        if (_wcsicmp(lpszName, r.shortName) == 0 || _wcsicmp(lpszName, r.longName) == 0)
            return r.key;
    return nullptr;
}
