// CRegistry: an open registry key with typed reads and writes, enumeration and values in the
// framework's archive format.
#include "suitecore/registry.h"

#include <framework/archive.h>
#include <framework/file.h>
#include <framework/handles.h>

#include <cwchar>
#include <vector>

namespace
{
constexpr DWORD kRectOrPointBytes = 30; // a stored rectangle or point is 22 bytes
constexpr DWORD kArchivedListBytes = 4096;
constexpr DWORD kMaxKeyNameChars = 255;
constexpr DWORD kMaxValueNameChars = 16383;

constexpr DWORD kLastTypeRect = 1;
constexpr DWORD kLastTypePoint = 2;
constexpr DWORD kLastTypeObject = 3;

// HKEY_CLASSES_ROOT and its siblings are not handles of ours to close.
bool IsPredefinedRoot(HKEY hKey)
{
    return (reinterpret_cast<ULONG_PTR>(hKey) & 0x80000000u) != 0;
}

// Appends the sub-key or value names of a key. Every call gets the full name buffer and its
// length afresh; a name that does not fit is skipped and the enumeration goes on. Returns the
// status that ended it (ERROR_NO_MORE_ITEMS when it ran to the end).
LONG AppendNames(HKEY hKey, CStringArray& names, bool bValues)
{
    std::vector<WCHAR> name((bValues ? kMaxValueNameChars : kMaxKeyNameChars) + 1);
    for (DWORD index = 0;; ++index)
    {
        DWORD chars = static_cast<DWORD>(name.size());
        const LONG result = bValues
                                ? RegEnumValueW(hKey, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr)
                                : RegEnumKeyExW(hKey, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return result;
        names.Add(CString(name.data(), static_cast<int>(chars)));
    }
}

// Serialises an object into the bytes of a memory file.
class ArchivedBytes
{
public:
    explicit ArchivedBytes(CObject& object) : m_file(16)
    {
        CArchive ar(&m_file, CArchive::store, 4096);
        ar.SerializeObject(object);
        ar.Close();
    }
    const BYTE* Data() const { return m_file.GetBuffer(); }
    DWORD Size() const { return static_cast<DWORD>(m_file.GetLength()); }

private:
    CMemFile m_file;
};

// Loads an object from stored archive bytes.
void LoadFromBytes(CObject& object, BYTE* bytes, DWORD count)
{
    CMemFile file(bytes, count);
    CArchive ar(&file, CArchive::load, 4096);
    ar.SerializeObject(object);
    ar.Close();
}
} // namespace

CRegistry::CRegistry(HKEY hRoot)
    : m_samAccess(REGISTRY_DEFAULT_ACCESS), m_hKey(hRoot), m_lLastStatus(ERROR_SUCCESS), m_dwLastType(0),
      m_dwLastSize(0)
{
}

CRegistry::~CRegistry()
{
    Close();
}

void CRegistry::Replace(HKEY hNewKey)
{
    const HKEY old = m_hKey;
    m_hKey = hNewKey;
    if (old && old != hNewKey && !IsPredefinedRoot(old))
        RegCloseKey(old);
}

void CRegistry::HoldRoot(HKEY hRoot)
{
    if (hRoot == m_hKey || IsPredefinedRoot(hRoot))
    {
        Replace(hRoot);
        return;
    }
    // A caller's key is held through a handle of our own, so that closing this object never
    // closes the caller's handle.
    HKEY own = nullptr;
    if (RegOpenKeyExW(hRoot, L"", 0, m_samAccess, &own) != ERROR_SUCCESS)
        own = nullptr;
    Replace(own);
}

BOOL CRegistry::Open(HKEY hRoot, LPCWSTR lpszPath, BOOL bCreate)
{
    m_strKeyPath = lpszPath;
    HKEY key = nullptr;
    if (RegOpenKeyExW(hRoot, lpszPath, 0, m_samAccess, &key) == ERROR_SUCCESS)
    {
        Replace(key);
        return TRUE;
    }
    HoldRoot(hRoot);
    // A read-only caller never creates keys as a side effect.
    if (bCreate && m_samAccess != KEY_READ)
        return Create(hRoot, lpszPath, 0);
    return FALSE;
}

BOOL CRegistry::OpenPath(LPCWSTR lpszPath)
{
    return AfxCallbackBarrier(
        [&]() -> BOOL
        {
            const HKEY root = m_hKey ? m_hKey : HKEY_CURRENT_USER;
            m_strKeyPath = lpszPath;
            HKEY key = nullptr;
            if (RegOpenKeyExW(root, lpszPath, 0, m_samAccess, &key) != ERROR_SUCCESS &&
                RegCreateKeyExW(root, lpszPath, 0, nullptr, 0, m_samAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
                return FALSE;
            Replace(key);
            return TRUE;
        },
        FALSE);
}

BOOL CRegistry::Create(HKEY hRoot, LPCWSTR lpszPath, DWORD dwOptions)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(hRoot, lpszPath, 0, nullptr, dwOptions, m_samAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return FALSE;
    Replace(key);
    return TRUE;
}

BOOL CRegistry::OpenKey(HKEY hRoot, LPCWSTR lpszPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(hRoot, lpszPath, 0, m_samAccess, &key) != ERROR_SUCCESS)
    {
        HoldRoot(hRoot);
        return FALSE;
    }
    Replace(key);
    return TRUE;
}

BOOL CRegistry::OpenSubKey(LPCWSTR lpszPath)
{
    HKEY key = nullptr;
    if (!m_hKey || RegOpenKeyExW(m_hKey, lpszPath, 0, m_samAccess, &key) != ERROR_SUCCESS)
        return FALSE;
    Replace(key);
    return TRUE;
}

void CRegistry::Close()
{
    Replace(nullptr);
}

BOOL CRegistry::ValueExists(LPCWSTR lpszName)
{
    return RegQueryValueExW(m_hKey, lpszName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteKey(HKEY hRoot, LPCWSTR lpszPath)
{
    return RegDeleteKeyW(hRoot, lpszPath) == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteValue(LPCWSTR lpszName)
{
    return RegDeleteValueW(m_hKey, lpszName) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// Plain values

BOOL CRegistry::WriteString(LPCWSTR lpszName, LPCWSTR lpszText, BOOL bExpand)
{
    if (!lpszText)
        lpszText = L"";
    const DWORD bytes = static_cast<DWORD>((wcslen(lpszText) + 1) * sizeof(WCHAR));
    return RegSetValueExW(m_hKey, lpszName, 0, bExpand ? REG_EXPAND_SZ : REG_SZ,
                          reinterpret_cast<const BYTE*>(lpszText), bytes) == ERROR_SUCCESS;
}

BOOL CRegistry::WriteExpandString(LPCWSTR lpszName, LPCWSTR lpszText)
{
    return WriteString(lpszName, lpszText, TRUE);
}

BOOL CRegistry::WriteDword(LPCWSTR lpszName, const DWORD* pValue)
{
    if (!pValue)
        return FALSE;
    return RegSetValueExW(m_hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(pValue), sizeof(DWORD)) ==
           ERROR_SUCCESS;
}

BOOL CRegistry::WriteInt(LPCWSTR lpszName, const int* pValue)
{
    if (!pValue)
        return FALSE;
    const DWORD value = static_cast<DWORD>(*pValue);
    return WriteDword(lpszName, &value);
}

BOOL CRegistry::WriteBool(LPCWSTR lpszName, const bool* pValue)
{
    if (!pValue)
        return FALSE;
    const DWORD value = *pValue ? 1 : 0;
    return WriteDword(lpszName, &value);
}

BOOL CRegistry::ReadString(LPCWSTR lpszName, CString& strValue)
{
    BOOL expandable = FALSE;
    return ReadStringEx(lpszName, strValue, expandable);
}

BOOL CRegistry::ReadStringEx(LPCWSTR lpszName, CString& strValue, BOOL& bExpandable)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(m_hKey, lpszName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return FALSE;
    bExpandable = type == REG_EXPAND_SZ;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return FALSE;
    // The value may have grown since it was measured; a few rounds settle that.
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        // Whole characters for an odd byte count, and two zero characters after the data,
        // so that a value stored without its terminator still ends inside the buffer.
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 3, L'\0');
        DWORD bytes = static_cast<DWORD>((buffer.size() - 2) * sizeof(WCHAR));
        const LONG result =
            RegQueryValueExW(m_hKey, lpszName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (result == ERROR_MORE_DATA)
        {
            size = bytes;
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return FALSE;
        strValue = buffer.data();
        return TRUE;
    }
    return FALSE;
}

BOOL CRegistry::ReadDword(LPCWSTR lpszName, DWORD* pValue)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!pValue ||
        RegQueryValueExW(m_hKey, lpszName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return FALSE;
    *pValue = value;
    return TRUE;
}

int CRegistry::ReadInt(LPCWSTR lpszName, int& nValue)
{
    DWORD value = 0;
    if (ReadDword(lpszName, &value))
        nValue = static_cast<int>(value);
    return nValue;
}

DWORD CRegistry::ReadBool(LPCWSTR lpszName, bool* pValue)
{
    DWORD value = 0;
    if (!ReadDword(lpszName, &value))
        value = 0;
    if (pValue)
        *pValue = value != 0;
    return value;
}

BOOL CRegistry::ReadBinary(LPCWSTR lpszName, BYTE* pBuffer, DWORD* pnBytes)
{
    DWORD type = 0;
    return pnBytes && RegQueryValueExW(m_hKey, lpszName, nullptr, &type, pBuffer, pnBytes) == ERROR_SUCCESS &&
           type == REG_BINARY;
}

BOOL CRegistry::WriteBinary(LPCWSTR lpszName, const BYTE* pBuffer, DWORD* pnBytes)
{
    return pnBytes && RegSetValueExW(m_hKey, lpszName, 0, REG_BINARY, pBuffer, *pnBytes) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// Values in the archive format

BOOL CRegistry::ReadArchiveBytes(LPCWSTR lpszName, BYTE* pBuffer, DWORD nCapacity, DWORD& nBytes)
{
    DWORD type = 0;
    nBytes = nCapacity;
    m_lLastStatus = RegQueryValueExW(m_hKey, lpszName, nullptr, &type, pBuffer, &nBytes);
    if (m_lLastStatus != ERROR_SUCCESS || type != REG_BINARY)
        return FALSE;
    m_dwLastSize = nBytes;
    return TRUE;
}

BOOL CRegistry::WriteArchiveBytes(LPCWSTR lpszName, const BYTE* pBytes, DWORD nBytes)
{
    m_lLastStatus = RegSetValueExW(m_hKey, lpszName, 0, REG_BINARY, pBytes, nBytes);
    m_dwLastSize = nBytes;
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::WriteObject(LPCWSTR lpszName, CObject& object)
{
    const ArchivedBytes bytes(object);
    m_dwLastType = kLastTypeObject;
    return WriteArchiveBytes(lpszName, bytes.Data(), bytes.Size());
}

BOOL CRegistry::WriteFiveEntries(LPCWSTR lpszName, DWORD a, DWORD b, DWORD c, DWORD d)
{
    CDWordArray entries;
    entries.SetSize(5);
    entries[0] = a;
    entries[1] = b;
    entries[2] = c;
    entries[3] = d;
    const ArchivedBytes bytes(entries);
    return WriteArchiveBytes(lpszName, bytes.Data(), bytes.Size());
}

BOOL CRegistry::ReadFiveEntries(LPCWSTR lpszName, DWORD entries[5])
{
    BYTE buffer[kRectOrPointBytes];
    DWORD count = 0;
    if (!ReadArchiveBytes(lpszName, buffer, sizeof(buffer), count))
        return FALSE;
    CDWordArray stored;
    LoadFromBytes(stored, buffer, count);
    for (INT_PTR i = 0; i < 5; ++i)
        entries[i] = stored.GetAt(i); // fewer entries throw the framework's invalid-argument exception
    return TRUE;
}

BOOL CRegistry::WriteRect(LPCWSTR lpszName, const RECT& rect)
{
    m_dwLastType = kLastTypeRect;
    return WriteFiveEntries(lpszName, static_cast<DWORD>(rect.top), static_cast<DWORD>(rect.bottom),
                            static_cast<DWORD>(rect.left), static_cast<DWORD>(rect.right));
}

BOOL CRegistry::WritePoint(LPCWSTR lpszName, const POINT& point)
{
    m_dwLastType = kLastTypePoint;
    return WriteFiveEntries(lpszName, static_cast<DWORD>(point.x), static_cast<DWORD>(point.y), 0, 0);
}

BOOL CRegistry::ReadRect(LPCWSTR lpszName, RECT& rect)
{
    m_dwLastType = kLastTypeRect;
    DWORD entries[5];
    if (!ReadFiveEntries(lpszName, entries))
        return FALSE;
    rect.top = static_cast<LONG>(entries[0]);
    rect.bottom = static_cast<LONG>(entries[1]);
    rect.left = static_cast<LONG>(entries[2]);
    rect.right = static_cast<LONG>(entries[3]);
    m_dwLastSize = sizeof(RECT);
    return TRUE;
}

BOOL CRegistry::ReadPoint(LPCWSTR lpszName, POINT& point)
{
    m_dwLastType = kLastTypePoint;
    DWORD entries[5];
    if (!ReadFiveEntries(lpszName, entries))
        return FALSE;
    point.x = static_cast<LONG>(entries[0]);
    point.y = static_cast<LONG>(entries[1]);
    m_dwLastSize = sizeof(POINT);
    return TRUE;
}

BOOL CRegistry::ReadStringList(LPCWSTR lpszName, CStringList& list)
{
    std::vector<BYTE> buffer(kArchivedListBytes);
    DWORD count = 0;
    if (!ReadArchiveBytes(lpszName, buffer.data(), kArchivedListBytes, count))
        return FALSE;
    list.RemoveAll();
    LoadFromBytes(list, buffer.data(), count);
    return TRUE;
}

template <class ARRAY>
BOOL CRegistry::ReadSizedArray(LPCWSTR lpszName, ARRAY& array)
{
    std::vector<BYTE> buffer(kArchivedListBytes);
    DWORD count = 0;
    if (!ReadArchiveBytes(lpszName, buffer.data(), kArchivedListBytes, count))
        return FALSE;
    const INT_PTR wanted = array.GetSize();
    array.RemoveAll();
    array.SetSize(10);
    LoadFromBytes(array, buffer.data(), count);
    array.SetSize(wanted);
    return TRUE;
}

BOOL CRegistry::ReadByteArray(LPCWSTR lpszName, CByteArray& array)
{
    return ReadSizedArray(lpszName, array);
}

BOOL CRegistry::ReadWordArray(LPCWSTR lpszName, CWordArray& array)
{
    return ReadSizedArray(lpszName, array);
}

BOOL CRegistry::ReadDWordArray(LPCWSTR lpszName, CDWordArray& array)
{
    return ReadSizedArray(lpszName, array);
}

BOOL CRegistry::ReadStringArray(LPCWSTR lpszName, CStringArray& array)
{
    return ReadSizedArray(lpszName, array);
}

// ---------------------------------------------------------------------------------------------
// Enumeration

BOOL CRegistry::EnumNames(LPCWSTR lpszPath, CStringArray& names, bool bValues)
{
    CUniqueRegKey key;
    m_lLastStatus = RegOpenKeyExW(m_hKey, lpszPath ? lpszPath : L"", 0, m_samAccess, key.put());
    if (m_lLastStatus != ERROR_SUCCESS)
        return FALSE;
    names.RemoveAll();
    m_lLastStatus = AppendNames(key.get(), names, bValues);
    return m_lLastStatus == ERROR_NO_MORE_ITEMS;
}

BOOL CRegistry::EnumSubKeys(LPCWSTR lpszPath, CStringArray& names)
{
    return EnumNames(lpszPath, names, false);
}

BOOL CRegistry::EnumValueNames(LPCWSTR lpszPath, CStringArray& names)
{
    return EnumNames(lpszPath, names, true);
}

BOOL CRegistry::GetSubKeyCount(DWORD* pnCount)
{
    return pnCount && RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, pnCount, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CRegistry::GetValueCount(DWORD* pnCount)
{
    return pnCount && RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, pnCount, nullptr,
                                       nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CRegistry::GetMaxSubKeyNameLength(DWORD* pnLength)
{
    return pnLength && RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, pnLength, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CRegistry::EnumSubKey(DWORD nIndex, LPWSTR lpszName, DWORD* pnChars)
{
    return RegEnumKeyExW(m_hKey, nIndex, lpszName, pnChars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

INT_PTR RegListValueNames(HKEY hKey, CStringArray& names)
{
    names.RemoveAll();
    AppendNames(hKey, names, true);
    return names.GetSize();
}
