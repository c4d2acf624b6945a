#include "framework/string.h"

#include "framework/exception.h"
#include "framework/module.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <utility>
#include <oleauto.h>

namespace
{
const wchar_t kEmpty[1] = {L'\0'};

int CheckedLength(size_t n)
{
    if (n > static_cast<size_t>(INT_MAX / 2 - 1))
        AfxThrowMemoryException();
    return static_cast<int>(n);
}

int SafeWcslen(LPCWSTR psz)
{
    return psz ? CheckedLength(wcslen(psz)) : 0;
}

bool IsInSet(wchar_t ch, LPCWSTR set)
{
    return set && wcschr(set, ch) != nullptr && ch != L'\0';
}

// Narrow text through the ANSI code page.
int WideLengthOfNarrow(LPCSTR pch, int nLength)
{
    if (!pch || nLength <= 0)
        return 0;
    return MultiByteToWideChar(CP_ACP, 0, pch, nLength, nullptr, 0);
}
} // namespace

CString::CString(const CString& other) { SetString(other.m_pszData, other.m_nLength); }

CString::CString(CString&& other) noexcept
    : m_pszData(other.m_pszData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity)
{
    other.m_pszData = nullptr;
    other.m_nLength = other.m_nCapacity = 0;
}

CString::CString(LPCWSTR psz) { SetString(psz); }
CString::CString(LPCWSTR pch, int nLength) { SetString(pch, nLength); }

CString::CString(LPCSTR psz) { *this = psz; }

CString::CString(LPCSTR pch, int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    const int wide = WideLengthOfNarrow(pch, nLength);
    if (wide > 0)
    {
        Reserve(wide);
        MultiByteToWideChar(CP_ACP, 0, pch, nLength, m_pszData, wide);
        SetLength(wide);
    }
}

CString::CString(wchar_t ch, int nRepeat)
{
    if (nRepeat > 0)
    {
        Reserve(nRepeat);
        wmemset(m_pszData, ch, nRepeat);
        SetLength(nRepeat);
    }
}

CString::~CString() { free(m_pszData); }

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        SetString(other.m_pszData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other)
    {
        free(m_pszData);
        m_pszData = other.m_pszData;
        m_nLength = other.m_nLength;
        m_nCapacity = other.m_nCapacity;
        other.m_pszData = nullptr;
        other.m_nLength = other.m_nCapacity = 0;
    }
    return *this;
}

CString& CString::operator=(LPCWSTR psz)
{
    SetString(psz);
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    *this = CString(psz, psz ? CheckedLength(strlen(psz)) : 0);
    return *this;
}

CString& CString::operator=(wchar_t ch)
{
    SetString(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& s)
{
    Append(s.m_pszData, s.m_nLength);
    return *this;
}

CString& CString::operator+=(LPCWSTR psz)
{
    Append(psz, SafeWcslen(psz));
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    *this += CString(psz);
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    AppendChar(ch);
    return *this;
}

void CString::Empty() noexcept
{
    if (m_pszData)
        m_pszData[0] = L'\0';
    m_nLength = 0;
}

void CString::Reserve(int nCapacity)
{
    if (nCapacity < 0)
        AfxThrowInvalidArgException();
    if (nCapacity <= m_nCapacity && m_pszData)
        return;
    // Grow geometrically so that repeated appends stay linear.
    int grown = m_nCapacity + m_nCapacity / 2;
    if (grown < nCapacity || m_nCapacity > INT_MAX / 3)
        grown = nCapacity;
    if (grown < 15)
        grown = 15;
    CheckedLength(static_cast<size_t>(grown));
    auto* p = static_cast<wchar_t*>(realloc(m_pszData, (static_cast<size_t>(grown) + 1) * sizeof(wchar_t)));
    if (!p)
        AfxThrowMemoryException();
    if (!m_pszData)
        p[0] = L'\0';
    m_pszData = p;
    m_nCapacity = grown;
}

void CString::Preallocate(int nLength) { Reserve(nLength); }

void CString::FreeExtra()
{
    if (!m_pszData || m_nCapacity == m_nLength)
        return;
    auto* p = static_cast<wchar_t*>(realloc(m_pszData, (static_cast<size_t>(m_nLength) + 1) * sizeof(wchar_t)));
    if (p)
    {
        m_pszData = p;
        m_nCapacity = m_nLength;
    }
}

void CString::SetLength(int nLength)
{
    m_nLength = nLength;
    if (m_pszData)
        m_pszData[nLength] = L'\0';
}

wchar_t CString::GetAt(int iChar) const
{
    if (iChar < 0 || iChar > m_nLength)
        AfxThrowInvalidArgException();
    return GetString()[iChar];
}

void CString::SetAt(int iChar, wchar_t ch)
{
    if (iChar < 0 || iChar >= m_nLength)
        AfxThrowInvalidArgException();
    m_pszData[iChar] = ch;
}

void CString::SetString(LPCWSTR psz) { SetString(psz, SafeWcslen(psz)); }

void CString::SetString(LPCWSTR pch, int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    if (nLength == 0 || !pch)
    {
        Empty();
        return;
    }
    // The source may lie inside this string's own buffer.
    if (m_pszData && pch >= m_pszData && pch <= m_pszData + m_nLength)
    {
        const int offset = static_cast<int>(pch - m_pszData);
        if (nLength > m_nLength - offset)
            AfxThrowInvalidArgException();
        wmemmove(m_pszData, m_pszData + offset, nLength);
        SetLength(nLength);
        return;
    }
    Reserve(nLength);
    wmemcpy(m_pszData, pch, nLength);
    SetLength(nLength);
}

void CString::Append(LPCWSTR pch, int nLength)
{
    if (nLength < 0)
        AfxThrowInvalidArgException();
    if (nLength == 0 || !pch)
        return;
    if (nLength > INT_MAX / 2 - 1 - m_nLength)
        AfxThrowMemoryException();
    if (m_pszData && pch >= m_pszData && pch <= m_pszData + m_nLength)
    {
        const CString copy(pch, nLength);  // appending a piece of itself
        Append(copy.m_pszData, nLength);
        return;
    }
    Reserve(m_nLength + nLength);
    wmemcpy(m_pszData + m_nLength, pch, nLength);
    SetLength(m_nLength + nLength);
}

void CString::AppendChar(wchar_t ch) { Append(&ch, 1); }

int CString::Compare(LPCWSTR psz) const { return wcscmp(GetString(), psz ? psz : kEmpty); }

int CString::CompareNoCase(LPCWSTR psz) const { return _wcsicmp(GetString(), psz ? psz : kEmpty); }

int CString::Find(wchar_t ch, int iStart) const noexcept
{
    if (iStart < 0 || iStart >= m_nLength)
        return -1;
    const wchar_t* p = wmemchr(m_pszData + iStart, ch, m_nLength - iStart);
    return p ? static_cast<int>(p - m_pszData) : -1;
}

int CString::Find(LPCWSTR pszSub, int iStart) const noexcept
{
    if (!pszSub || iStart < 0 || iStart > m_nLength)
        return -1;
    const wchar_t* p = wcsstr(GetString() + iStart, pszSub);
    return p ? static_cast<int>(p - GetString()) : -1;
}

int CString::FindOneOf(LPCWSTR pszCharSet) const noexcept
{
    if (!pszCharSet || m_nLength == 0)
        return -1;
    const size_t n = wcscspn(m_pszData, pszCharSet);
    return n < static_cast<size_t>(m_nLength) ? static_cast<int>(n) : -1;
}

int CString::ReverseFind(wchar_t ch) const noexcept
{
    for (int i = m_nLength - 1; i >= 0; --i)
        if (m_pszData[i] == ch)
            return i;
    return -1;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return nCount >= m_nLength ? *this : CString(m_pszData, nCount);
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, m_nLength); }

CString CString::Mid(int iFirst, int nCount) const
{
    if (iFirst < 0)
        iFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (iFirst > m_nLength)
        iFirst = m_nLength;
    if (nCount > m_nLength - iFirst)
        nCount = m_nLength - iFirst;
    return CString(GetString() + iFirst, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return nCount >= m_nLength ? *this : CString(m_pszData + m_nLength - nCount, nCount);
}

CString CString::SpanIncluding(LPCWSTR pszCharSet) const
{
    return Left(pszCharSet ? static_cast<int>(wcsspn(GetString(), pszCharSet)) : 0);
}

CString CString::SpanExcluding(LPCWSTR pszCharSet) const
{
    return Left(pszCharSet ? static_cast<int>(wcscspn(GetString(), pszCharSet)) : m_nLength);
}

CString CString::Tokenize(LPCWSTR pszTokens, int& iStart) const
{
    if (iStart < 0)
        AfxThrowInvalidArgException();
    if (!pszTokens || !*pszTokens)
    {
        if (iStart < m_nLength)
            return Mid(iStart);
    }
    else if (iStart < m_nLength)
    {
        const wchar_t* p = m_pszData + iStart;
        const int skip = static_cast<int>(wcsspn(p, pszTokens));
        if (iStart + skip < m_nLength)
        {
            const int len = static_cast<int>(wcscspn(p + skip, pszTokens));
            const int first = iStart + skip;
            iStart = first + len + 1;
            return CString(m_pszData + first, len);
        }
    }
    iStart = -1;
    return CString();
}

CString& CString::MakeLower()
{
    if (m_nLength)
        _wcslwr(m_pszData);
    return *this;
}

CString& CString::MakeUpper()
{
    if (m_nLength)
        _wcsupr(m_pszData);
    return *this;
}

CString& CString::MakeReverse()
{
    for (int i = 0, j = m_nLength - 1; i < j; ++i, --j)
    {
        const wchar_t t = m_pszData[i];
        m_pszData[i] = m_pszData[j];
        m_pszData[j] = t;
    }
    return *this;
}

int CString::Replace(wchar_t chOld, wchar_t chNew)
{
    int count = 0;
    for (int i = 0; i < m_nLength; ++i)
    {
        if (m_pszData[i] == chOld)
        {
            m_pszData[i] = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew)
{
    const int oldLen = SafeWcslen(pszOld);
    if (oldLen == 0 || m_nLength == 0)
        return 0;
    const int newLen = SafeWcslen(pszNew);
    CString result;
    int count = 0;
    int pos = 0;
    for (;;)
    {
        const wchar_t* hit = wcsstr(m_pszData + pos, pszOld);
        if (!hit)
            break;
        const int at = static_cast<int>(hit - m_pszData);
        result.Append(m_pszData + pos, at - pos);
        result.Append(pszNew, newLen);
        pos = at + oldLen;
        ++count;
    }
    if (count)
    {
        result.Append(m_pszData + pos, m_nLength - pos);
        *this = std::move(result);
    }
    return count;
}

int CString::Remove(wchar_t chRemove)
{
    int out = 0;
    for (int i = 0; i < m_nLength; ++i)
        if (m_pszData[i] != chRemove)
            m_pszData[out++] = m_pszData[i];
    const int removed = m_nLength - out;
    if (removed)
        SetLength(out);
    return removed;
}

int CString::Insert(int iIndex, wchar_t ch) { return Insert(iIndex, CString(ch, 1)); }

int CString::Insert(int iIndex, LPCWSTR psz)
{
    if (iIndex < 0)
        iIndex = 0;
    if (iIndex > m_nLength)
        iIndex = m_nLength;
    const CString piece(psz);  // psz may point into this string
    const int n = piece.m_nLength;
    if (n)
    {
        if (n > INT_MAX / 2 - 1 - m_nLength)
            AfxThrowMemoryException();
        Reserve(m_nLength + n);
        wmemmove(m_pszData + iIndex + n, m_pszData + iIndex, m_nLength - iIndex);
        wmemcpy(m_pszData + iIndex, piece.m_pszData, n);
        SetLength(m_nLength + n);
    }
    return m_nLength;
}

int CString::Delete(int iIndex, int nCount)
{
    if (iIndex < 0)
        iIndex = 0;
    if (nCount > 0 && iIndex < m_nLength)
    {
        if (nCount > m_nLength - iIndex)
            nCount = m_nLength - iIndex;
        wmemmove(m_pszData + iIndex, m_pszData + iIndex + nCount, m_nLength - iIndex - nCount);
        SetLength(m_nLength - nCount);
    }
    return m_nLength;
}

void CString::Truncate(int nNewLength)
{
    if (nNewLength < 0 || nNewLength > m_nLength)
        AfxThrowInvalidArgException();
    if (m_pszData)
        SetLength(nNewLength);
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(LPCWSTR pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

namespace
{
template <class Pred>
int LeadingRun(const wchar_t* p, int n, Pred pred)
{
    int i = 0;
    while (i < n && pred(p[i]))
        ++i;
    return i;
}

template <class Pred>
int TrailingRun(const wchar_t* p, int n, Pred pred)
{
    int i = n;
    while (i > 0 && pred(p[i - 1]))
        --i;
    return n - i;
}

bool IsBlank(wchar_t ch) { return iswspace(ch) != 0; }
} // namespace

CString& CString::TrimLeft() { return Delete(0, LeadingRun(m_pszData, m_nLength, IsBlank)), *this; }

CString& CString::TrimLeft(wchar_t chTarget)
{
    Delete(0, LeadingRun(m_pszData, m_nLength, [chTarget](wchar_t c) { return c == chTarget; }));
    return *this;
}

CString& CString::TrimLeft(LPCWSTR pszTargets)
{
    Delete(0, LeadingRun(m_pszData, m_nLength, [pszTargets](wchar_t c) { return IsInSet(c, pszTargets); }));
    return *this;
}

CString& CString::TrimRight()
{
    if (m_nLength)
        SetLength(m_nLength - TrailingRun(m_pszData, m_nLength, IsBlank));
    return *this;
}

CString& CString::TrimRight(wchar_t chTarget)
{
    if (m_nLength)
        SetLength(m_nLength - TrailingRun(m_pszData, m_nLength, [chTarget](wchar_t c) { return c == chTarget; }));
    return *this;
}

CString& CString::TrimRight(LPCWSTR pszTargets)
{
    if (m_nLength)
        SetLength(m_nLength -
                  TrailingRun(m_pszData, m_nLength, [pszTargets](wchar_t c) { return IsInSet(c, pszTargets); }));
    return *this;
}

LPWSTR CString::GetBuffer() { return GetBuffer(0); }

LPWSTR CString::GetBuffer(int nMinBufferLength)
{
    if (nMinBufferLength < 0)
        AfxThrowInvalidArgException();
    Reserve(nMinBufferLength > m_nLength ? nMinBufferLength : m_nLength);
    return m_pszData;
}

LPWSTR CString::GetBufferSetLength(int nLength)
{
    LPWSTR p = GetBuffer(nLength);
    SetLength(nLength);
    return p;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pszData)
    {
        if (nNewLength > 0)
            AfxThrowInvalidArgException();
        return;
    }
    if (nNewLength < 0)
        nNewLength = static_cast<int>(wcsnlen(m_pszData, static_cast<size_t>(m_nCapacity) + 1));
    if (nNewLength > m_nCapacity)
        AfxThrowInvalidArgException();
    SetLength(nNewLength);
}

void CString::ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }

void CString::Format(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR pszFormat, va_list args)
{
    // Formatted into a string of its own: an argument may point into this string's text.
    CString result;
    result.AppendFormatV(pszFormat, args);
    *this = std::move(result);
}

void CString::AppendFormat(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormatV(LPCWSTR pszFormat, va_list args)
{
    if (!pszFormat)
        AfxThrowInvalidArgException();
    va_list measure;
    va_copy(measure, args);
    const int n = _vscwprintf(pszFormat, measure);
    va_end(measure);
    if (n < 0)
        AfxThrowInvalidArgException();
    if (n == 0)
        return;
    if (n > INT_MAX / 2 - 1 - m_nLength)
        AfxThrowMemoryException();
    if (m_nLength == 0 && m_pszData == nullptr)
    {
        Reserve(n);
        _vsnwprintf(m_pszData, static_cast<size_t>(n) + 1, pszFormat, args);
        SetLength(n);
        return;
    }
    // An argument may point into this string's text; format into a buffer of its own.
    CString piece;
    piece.AppendFormatV(pszFormat, args);
    Append(piece.m_pszData, piece.m_nLength);
}

BOOL CString::LoadString(UINT nID)
{
    HINSTANCE module = AfxFindStringResourceHandle(nID);
    return module ? LoadString(module, nID) : FALSE;
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    // A string table block holds 16 counted strings; reading it directly gives the full
    // length without guessing a buffer size.
    HRSRC block = FindResourceW(hInstance, MAKEINTRESOURCEW((nID >> 4) + 1), MAKEINTRESOURCEW(6) /*RT_STRING*/);
    if (!block)
        return FALSE;
    const DWORD size = SizeofResource(hInstance, block);
    HGLOBAL loaded = LoadResource(hInstance, block);
    const auto* p = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (!p)
        return FALSE;
    const WCHAR* end = p + size / sizeof(WCHAR);
    for (UINT i = 0; i < (nID & 15); ++i)
    {
        if (p >= end)
            return FALSE;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end)
        return FALSE;
    SetString(p + 1, *p);
    return TRUE;
}

BSTR CString::AllocSysString() const
{
    BSTR b = SysAllocStringLen(GetString(), static_cast<UINT>(m_nLength));
    if (!b)
        AfxThrowMemoryException();
    return b;
}

CString operator+(const CString& a, const CString& b)
{
    CString r;
    r.Preallocate(a.GetLength() + b.GetLength());
    r += a;
    r += b;
    return r;
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(LPCWSTR a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, wchar_t b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(wchar_t a, const CString& b)
{
    CString r(a, 1);
    r += b;
    return r;
}
