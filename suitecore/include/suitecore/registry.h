// Registry access: an open key with typed reads and writes (CRegistry), one-call functions,
// the product's registry branch and data folders, and a tool's settings (CConfigurationManager).
// Every access sees the registry view of a 32-bit process; no view flag is ever added.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/object.h>
#include <framework/string.h>

// The access mask CRegistry uses unless told otherwise: read and write rights.
constexpr REGSAM REGISTRY_DEFAULT_ACCESS = 0x2001F;

class SUITECORE_API CRegistry : public CObject
{
public:
    explicit CRegistry(HKEY hRoot = HKEY_CURRENT_USER);
    ~CRegistry() override;
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Opens root\path with the access mask; with bCreate, a missing key is created unless the
    // mask is exactly KEY_READ. A key opened before is closed (predefined roots stay). After a
    // failure the key is the root (a caller's own key through a handle of this object's).
    BOOL Open(HKEY hRoot, LPCWSTR lpszPath, BOOL bCreate = TRUE);
    // Opens (or creates) a path below the open key, or below HKEY_CURRENT_USER when none is.
    BOOL OpenPath(LPCWSTR lpszPath);
    BOOL Create(HKEY hRoot, LPCWSTR lpszPath, DWORD dwOptions = 0);
    // As Open without creating and without changing the stored path.
    BOOL OpenKey(HKEY hRoot, LPCWSTR lpszPath);
    // A sub-key of the open key becomes the open key.
    BOOL OpenSubKey(LPCWSTR lpszPath);
    void Close();

    BOOL ValueExists(LPCWSTR lpszName);
    // Removes a key without sub-keys.
    static BOOL DeleteKey(HKEY hRoot, LPCWSTR lpszPath);
    BOOL DeleteValue(LPCWSTR lpszName);

    BOOL WriteString(LPCWSTR lpszName, LPCWSTR lpszText, BOOL bExpand = FALSE);
    BOOL WriteExpandString(LPCWSTR lpszName, LPCWSTR lpszText);
    BOOL WriteDword(LPCWSTR lpszName, const DWORD* pValue);
    BOOL WriteInt(LPCWSTR lpszName, const int* pValue);
    BOOL WriteBool(LPCWSTR lpszName, const bool* pValue);

    // A REG_SZ or REG_EXPAND_SZ value as stored (not expanded), also when it was stored
    // without its terminating zero. The out string is unchanged on failure.
    BOOL ReadString(LPCWSTR lpszName, CString& strValue);
    BOOL ReadStringEx(LPCWSTR lpszName, CString& strValue, BOOL& bExpandable);
    BOOL ReadDword(LPCWSTR lpszName, DWORD* pValue);
    // The caller's value stays when the value is missing; returns the resulting value.
    int ReadInt(LPCWSTR lpszName, int& nValue);
    // Stores whether the value is not 0; returns the stored value (0 when missing).
    DWORD ReadBool(LPCWSTR lpszName, bool* pValue);
    BOOL ReadBinary(LPCWSTR lpszName, BYTE* pBuffer, DWORD* pnBytes);
    BOOL WriteBinary(LPCWSTR lpszName, const BYTE* pBuffer, DWORD* pnBytes);

    // Values in the framework's archive format, stored as REG_BINARY.
    BOOL WriteObject(LPCWSTR lpszName, CObject& object);
    // A rectangle or point is a five-entry CDWordArray (22 bytes): top, bottom, left, right, 0
    // or x, y, 0, 0, 0. The reads let the framework's exceptions pass to the caller.
    BOOL WriteRect(LPCWSTR lpszName, const RECT& rect);
    BOOL WritePoint(LPCWSTR lpszName, const POINT& point);
    BOOL ReadRect(LPCWSTR lpszName, RECT& rect);
    BOOL ReadPoint(LPCWSTR lpszName, POINT& point);
    BOOL ReadStringList(LPCWSTR lpszName, CStringList& list);
    // The array keeps the size the caller gave it: stored elements beyond it are dropped and
    // missing ones are zero or empty.
    BOOL ReadByteArray(LPCWSTR lpszName, CByteArray& array);
    BOOL ReadWordArray(LPCWSTR lpszName, CWordArray& array);
    BOOL ReadDWordArray(LPCWSTR lpszName, CDWordArray& array);
    BOOL ReadStringArray(LPCWSTR lpszName, CStringArray& array);

    // Names below a sub-key of the open key (empty: the open key itself). True when the whole
    // enumeration succeeded; a value name that cannot be read is skipped.
    BOOL EnumSubKeys(LPCWSTR lpszPath, CStringArray& names);
    BOOL EnumValueNames(LPCWSTR lpszPath, CStringArray& names);
    BOOL GetSubKeyCount(DWORD* pnCount);
    BOOL GetValueCount(DWORD* pnCount);
    BOOL GetMaxSubKeyNameLength(DWORD* pnLength);
    BOOL EnumSubKey(DWORD nIndex, LPWSTR lpszName, DWORD* pnChars);

    REGSAM m_samAccess;
    HKEY m_hKey;
    CString m_strKeyPath;
    LONG m_lLastStatus;
    DWORD m_dwLastType; // 1 rectangle, 2 point, 3 object
    DWORD m_dwLastSize;

private:
    // Makes hNewKey the open key and closes the one it replaces.
    void Replace(HKEY hNewKey);
    // After a failed open: the root becomes the open key.
    void HoldRoot(HKEY hRoot);
    BOOL ReadArchiveBytes(LPCWSTR lpszName, BYTE* pBuffer, DWORD nCapacity, DWORD& nBytes);
    BOOL WriteArchiveBytes(LPCWSTR lpszName, const BYTE* pBytes, DWORD nBytes);
    BOOL ReadFiveEntries(LPCWSTR lpszName, DWORD entries[5]);
    BOOL WriteFiveEntries(LPCWSTR lpszName, DWORD a, DWORD b, DWORD c, DWORD d);
    template <class ARRAY>
    BOOL ReadSizedArray(LPCWSTR lpszName, ARRAY& array);
    BOOL EnumNames(LPCWSTR lpszPath, CStringArray& names, bool bValues);
};

// One-call functions: each opens root\path, does one thing and closes.
SUITECORE_API BOOL RegValueExists(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName);
SUITECORE_API BOOL RegWriteStringValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, LPCWSTR lpszText);
SUITECORE_API BOOL RegWriteDwordValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, DWORD dwValue);
// Copies a string value with its zero into the buffer; false when it does not fit.
SUITECORE_API BOOL RegReadStringValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName, LPWSTR lpszBuffer,
                                      DWORD nCapacity);
// Creates the key when it is missing; 0 when the value is missing.
SUITECORE_API DWORD RegReadDwordValue(HKEY hRoot, LPCWSTR lpszPath, LPCWSTR lpszName);
// The value names of an open key; returns their count.
SUITECORE_API INT_PTR RegListValueNames(HKEY hKey, CStringArray& names);

// The product's registry branch, "Software\Orvane\QMN3", under HKEY_CURRENT_USER for settings
// and HKEY_LOCAL_MACHINE for installation facts.
SUITECORE_API void GetProductKeyPath(CString& strPath);
SUITECORE_API LPCWSTR GetProductKeyPathPtr();
// The product's data folders (all users, or the current user), created when missing, with an
// optional sub-folder; false when the folder cannot be made.
SUITECORE_API BOOL GetCommonDataFolder(CString& strPath, LPCWSTR lpszSubFolder);
SUITECORE_API BOOL GetUserDataFolder(CString& strPath, LPCWSTR lpszSubFolder);
// The user data folder with the given name as sub-folder, returned in place of the name; a
// name holding a backslash is ignored.
SUITECORE_API BOOL GetUserDataFolderFor(CString& strName);
SUITECORE_API BOOL GetCommonDataFolderRoot(CString& strPath);

// A tool's settings: HKEY_CURRENT_USER\Software\Orvane\QMN3\<profile>.
class SUITECORE_API CConfigurationManager : public CObject
{
public:
    CConfigurationManager();
    ~CConfigurationManager() override;
    CConfigurationManager(const CConfigurationManager&) = delete;
    CConfigurationManager& operator=(const CConfigurationManager&) = delete;

    // A new manager for the profile (blanks at its ends trimmed); the caller owns it.
    static CConfigurationManager* CreateForProfile(LPCWSTR lpszProfileName);

    // True when the value exists, whatever its type.
    BOOL HasStringValue(LPCWSTR lpszName, LPCWSTR lpszDefault);
    // A REG_QWORD value; 0 when missing or of another type.
    ULONGLONG ReadQword(LPCWSTR lpszName);
    // Writes a REG_QWORD value into the existing key.
    BOOL WriteQword(LPCWSTR lpszName, DWORD dwLow, DWORD dwHigh);
    // The value as text, empty when missing. The pointer is one of eight held strings used in
    // turn by every thread: it stays valid until seven more calls have been made.
    LPCWSTR ReadStringValue(LPCWSTR lpszName);

    const CString& GetKeyPath() const { return m_strKeyPath; }

protected:
    CRITICAL_SECTION m_cs; // part of the class's layout; the operations above need no lock of their own
    CString m_strKeyPath;
};
