// CString: the framework's wide-character string.
//
// A CString owns its buffer (no sharing between copies). Text given as narrow characters is
// converted through the ANSI code page. Format and AppendFormat follow the platform's printf
// meaning, where %s takes a wide string and %I64d a 64-bit integer.
#pragma once

#include "framework.h"

#include <cstdarg>
#include <wtypes.h>

class FRAMEWORK_API CString
{
public:
    CString() noexcept = default;
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(LPCWSTR psz);
    CString(LPCWSTR pch, int nLength);
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    explicit CString(wchar_t ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);
    CString& operator=(wchar_t ch);

    CString& operator+=(const CString& s);
    CString& operator+=(LPCWSTR psz);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(wchar_t ch);

    int GetLength() const noexcept { return m_nLength; }
    int GetAllocLength() const noexcept { return m_nCapacity; }
    bool IsEmpty() const noexcept { return m_nLength == 0; }
    void Empty() noexcept;
    void Preallocate(int nLength);
    void FreeExtra();

    LPCWSTR GetString() const noexcept { return m_pszData ? m_pszData : L""; }
    operator LPCWSTR() const noexcept { return GetString(); }

    // Index checks throw CInvalidArgException.
    wchar_t GetAt(int iChar) const;
    void SetAt(int iChar, wchar_t ch);
    wchar_t operator[](int iChar) const { return GetAt(iChar); }

    void SetString(LPCWSTR psz);
    void SetString(LPCWSTR pch, int nLength);
    void Append(LPCWSTR pch, int nLength);
    void AppendChar(wchar_t ch);

    // Ordinal comparison (wcscmp) and case-insensitive comparison (_wcsicmp).
    int Compare(LPCWSTR psz) const;
    int CompareNoCase(LPCWSTR psz) const;

    // Searching; positions are zero-based, -1 when not found.
    int Find(wchar_t ch, int iStart = 0) const noexcept;
    int Find(LPCWSTR pszSub, int iStart = 0) const noexcept;
    int FindOneOf(LPCWSTR pszCharSet) const noexcept;
    int ReverseFind(wchar_t ch) const noexcept;

    // Extraction; counts and positions outside the string are clamped.
    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCWSTR pszCharSet) const;
    CString SpanExcluding(LPCWSTR pszCharSet) const;
    CString Tokenize(LPCWSTR pszTokens, int& iStart) const;

    // Editing.
    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();
    int Replace(wchar_t chOld, wchar_t chNew);
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
    int Remove(wchar_t chRemove);
    int Insert(int iIndex, wchar_t ch);
    int Insert(int iIndex, LPCWSTR psz);
    int Delete(int iIndex, int nCount = 1);
    void Truncate(int nNewLength);

    // White space is what iswspace accepts, as in the C runtime.
    CString& Trim();
    CString& Trim(wchar_t chTarget);
    CString& Trim(LPCWSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t chTarget);
    CString& TrimLeft(LPCWSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(wchar_t chTarget);
    CString& TrimRight(LPCWSTR pszTargets);

    // Direct access: GetBuffer gives room for at least nMinBufferLength characters plus the
    // terminator; ReleaseBuffer(-1) takes the length from the terminator.
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int nMinBufferLength);
    LPWSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength);

    // Formatting through msvcrt's _vsnwprintf: %s is wide, %hs narrow, %I64d 64-bit.
    void Format(LPCWSTR pszFormat, ...);
    void FormatV(LPCWSTR pszFormat, va_list args);
    void AppendFormat(LPCWSTR pszFormat, ...);
    void AppendFormatV(LPCWSTR pszFormat, va_list args);

    // String-table text; the module defaults to the framework's resource search order.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    BSTR AllocSysString() const;

private:
    void Reserve(int nCapacity);
    void SetLength(int nLength);

    wchar_t* m_pszData = nullptr;  // null while no buffer was ever needed
    int m_nLength = 0;
    int m_nCapacity = 0;           // characters, without the terminator
};

FRAMEWORK_API CString operator+(const CString& a, const CString& b);
FRAMEWORK_API CString operator+(const CString& a, LPCWSTR b);
FRAMEWORK_API CString operator+(LPCWSTR a, const CString& b);
FRAMEWORK_API CString operator+(const CString& a, wchar_t b);
FRAMEWORK_API CString operator+(wchar_t a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCWSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCWSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCWSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
