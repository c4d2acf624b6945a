// The path-split record: a path taken apart into drive, folder, file name and extension with
// the rules of the C runtime's _wsplitpath, into fixed-size fields. A path or a part that does
// not fit is refused as a whole; nothing is cut and nothing overflows.
#pragma once

#include <framework/framework.h>

struct CPathSplit
{
    static constexpr int kFullPathChars = 520;  // with the terminator
    static constexpr int kDriveChars = 3;
    static constexpr int kPartChars = 260;

    WCHAR m_szFullPath[kFullPathChars];
    WCHAR m_szDrive[kDriveChars];
    WCHAR m_szDir[kPartChars];
    WCHAR m_szFileName[kPartChars];
    WCHAR m_szExt[kPartChars];  // with its dot

    CPathSplit() { Clear(); }

    // Fills the record; false, with every field empty, when the path is null or does not fit.
    bool Split(LPCWSTR lpszPath);
    void Clear();
};
