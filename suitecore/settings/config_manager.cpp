// CConfigurationManager: a tool's settings under the product's branch in HKEY_CURRENT_USER.
#include "suitecore/registry.h"

#include "critical_section.h"

namespace
{
// The strings handed out by ReadStringValue, used in turn by every thread. The lock exists
// from library load on.
struct ReturnedStringRing
{
    static constexpr int kSlots = 8;
    suitecore::CriticalSection lock;
    CString slots[kSlots];
    int next = 0;
};
ReturnedStringRing g_returnedStrings;

LPCWSTR HoldInRing(const CString& value)
{
    suitecore::CriticalSectionLock hold(g_returnedStrings.lock);
    CString& slot = g_returnedStrings.slots[g_returnedStrings.next];
    g_returnedStrings.next = (g_returnedStrings.next + 1) % ReturnedStringRing::kSlots;
    slot = value;
    return slot;
}
} // namespace

CConfigurationManager::CConfigurationManager()
{
    InitializeCriticalSectionAndSpinCount(&m_cs, 1000);
}

CConfigurationManager::~CConfigurationManager()
{
    DeleteCriticalSection(&m_cs);
}

CConfigurationManager* CConfigurationManager::CreateForProfile(LPCWSTR lpszProfileName)
{
    CString profile(lpszProfileName);
    profile.Trim();
    CConfigurationManager* manager = new CConfigurationManager;
    GetProductKeyPath(manager->m_strKeyPath);
    manager->m_strKeyPath += L'\\';
    manager->m_strKeyPath += profile;
    return manager;
}

BOOL CConfigurationManager::HasStringValue(LPCWSTR lpszName, LPCWSTR /*lpszDefault*/)
{
    // A value of any size counts: existence is asked without reading the data.
    CRegistry reg;
    reg.m_samAccess = KEY_READ;
    return reg.Open(HKEY_CURRENT_USER, m_strKeyPath, FALSE) && reg.ValueExists(lpszName);
}

ULONGLONG CConfigurationManager::ReadQword(LPCWSTR lpszName)
{
    CRegistry reg;
    reg.m_samAccess = KEY_READ;
    if (!reg.Open(HKEY_CURRENT_USER, m_strKeyPath, FALSE))
        return 0;
    DWORD type = 0;
    ULONGLONG value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(reg.m_hKey, lpszName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_QWORD)
        return 0;
    return value;
}

BOOL CConfigurationManager::WriteQword(LPCWSTR lpszName, DWORD dwLow, DWORD dwHigh)
{
    CRegistry reg;
    if (!reg.Open(HKEY_CURRENT_USER, m_strKeyPath, FALSE))
        return FALSE;
    const ULONGLONG value = (static_cast<ULONGLONG>(dwHigh) << 32) | dwLow;
    return RegSetValueExW(reg.m_hKey, lpszName, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

LPCWSTR CConfigurationManager::ReadStringValue(LPCWSTR lpszName)
{
    CString value;
    CRegistry reg;
    reg.m_samAccess = KEY_READ;
    if (reg.Open(HKEY_CURRENT_USER, m_strKeyPath, FALSE))
        reg.ReadString(lpszName, value);
    return HoldInRing(value);
}
