#include "path_split.h"

#include <cwchar>

namespace
{
bool CopyPart(WCHAR* target, int capacity, LPCWSTR from, size_t count)
{
    if (count >= static_cast<size_t>(capacity))
        return false;
    wmemcpy(target, from, count);
    target[count] = L'\0';
    return true;
}
} // namespace

void CPathSplit::Clear()
{
    m_szFullPath[0] = m_szDrive[0] = m_szDir[0] = m_szFileName[0] = m_szExt[0] = L'\0';
}

bool CPathSplit::Split(LPCWSTR lpszPath)
{
    Clear();
    if (!lpszPath)
        return false;
    const size_t length = wcsnlen(lpszPath, kFullPathChars);
    if (length >= static_cast<size_t>(kFullPathChars))
        return false;

    LPCWSTR p = lpszPath;
    size_t driveLength = 0;
    if (length >= 2 && p[1] == L':')
        driveLength = 2;

    // The folder runs to the last separator; the extension starts at the last dot after it.
    LPCWSTR rest = p + driveLength;
    LPCWSTR lastSeparator = nullptr;
    LPCWSTR lastDot = nullptr;
    for (LPCWSTR q = rest; *q; ++q)
    {
        if (*q == L'\\' || *q == L'/')
        {
            lastSeparator = q;
            lastDot = nullptr;
        }
        else if (*q == L'.')
        {
            lastDot = q;
        }
    }
    LPCWSTR name = lastSeparator ? lastSeparator + 1 : rest;
    LPCWSTR end = p + length;
    LPCWSTR nameEnd = lastDot ? lastDot : end;

    const bool fits = CopyPart(m_szFullPath, kFullPathChars, p, length) &&
                      CopyPart(m_szDrive, kDriveChars, p, driveLength) &&
                      CopyPart(m_szDir, kPartChars, rest, static_cast<size_t>(name - rest)) &&
                      CopyPart(m_szFileName, kPartChars, name, static_cast<size_t>(nameEnd - name)) &&
                      CopyPart(m_szExt, kPartChars, nameEnd, static_cast<size_t>(end - nameEnd));
    if (!fits)
        Clear();
    return fits;
}
