// CRegKey: an open registry key, closed when the object goes.
#pragma once

#include "framework.h"

class FRAMEWORK_API CRegKey
{
public:
    CRegKey() noexcept = default;
    explicit CRegKey(HKEY hKey) noexcept : m_hKey(hKey) {}
    CRegKey(CRegKey&& other) noexcept : m_hKey(other.Detach()) {}
    CRegKey& operator=(CRegKey&& other) noexcept;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() { Close(); }

    operator HKEY() const noexcept { return m_hKey; }

    // Win32 error codes, as the registry functions return them.
    LONG Create(HKEY hKeyParent, LPCWSTR lpszKeyName, LPWSTR lpszClass = nullptr,
                DWORD dwOptions = REG_OPTION_NON_VOLATILE, REGSAM samDesired = KEY_READ | KEY_WRITE,
                LPSECURITY_ATTRIBUTES lpSecAttr = nullptr, LPDWORD lpdwDisposition = nullptr);
    LONG Open(HKEY hKeyParent, LPCWSTR lpszKeyName, REGSAM samDesired = KEY_READ | KEY_WRITE);
    LONG Close() noexcept;
    void Attach(HKEY hKey) noexcept;
    HKEY Detach() noexcept;

    LONG SetStringValue(LPCWSTR pszValueName, LPCWSTR pszValue, DWORD dwType = REG_SZ);
    // pnChars: in, the buffer's size in characters with the terminator; out, the characters
    // stored or needed. Takes REG_SZ and REG_EXPAND_SZ, unexpanded; always terminates.
    LONG QueryStringValue(LPCWSTR pszValueName, LPWSTR pszValue, ULONG* pnChars);
    LONG SetDWORDValue(LPCWSTR pszValueName, DWORD dwValue);
    LONG QueryDWORDValue(LPCWSTR pszValueName, DWORD& dwValue);
    LONG DeleteValue(LPCWSTR lpszValue);
    LONG DeleteSubKey(LPCWSTR lpszSubKey);
    // Deletes the subkey with everything below it.
    LONG RecurseDeleteKey(LPCWSTR lpszKey);

    HKEY m_hKey = nullptr;
};

// The predefined root key for its name, short or long ("HKCU", "HKEY_CURRENT_USER"; also
// HKLM, HKCR and HKU), in any letter case; null for any other name.
FRAMEWORK_API HKEY AfxRootKeyFromName(LPCWSTR lpszName);
