// CStdioFileEx: UTF-16 and code-page text files, line by line.
#include "suitecore/stdiofileex.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace
{
constexpr int kLineChars = 8192;
constexpr BYTE kUnicodeMark[2] = {0xFF, 0xFE};

UINT ResolveCodePage(int nCodePage)
{
    return nCodePage == -1 ? GetACP() : static_cast<UINT>(nCodePage);
}

// WideCharToMultiByte with the flags and "#" default character of 8-bit text. Code pages that
// refuse flags or a default character (UTF-7, the ISO-2022 family) are converted without them.
int ConvertToMultiByte(LPCWSTR source, LPSTR target, int targetBytes, int nCodePage)
{
    const UINT page = ResolveCodePage(nCodePage);
    if (page != CP_UTF8)
    {
        const int n =
            WideCharToMultiByte(page, WC_COMPOSITECHECK | WC_SEPCHARS, source, -1, target, targetBytes, "#", nullptr);
        const DWORD error = n > 0 ? ERROR_SUCCESS : GetLastError();
        if (error != ERROR_INVALID_FLAGS && error != ERROR_INVALID_PARAMETER)
            return n;
    }
    return WideCharToMultiByte(page, 0, source, -1, target, targetBytes, nullptr, nullptr);
}
} // namespace

CStdioFileEx::CStdioFileEx() : m_bIsUnicodeText(true), m_nFlags(0), m_nFileCodePage(-1) {}

CStdioFileEx::CStdioFileEx(LPCWSTR lpszFileName, UINT nOpenFlags)
    : m_bIsUnicodeText(true), m_nFlags(0), m_nFileCodePage(-1)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CStdioFileEx::~CStdioFileEx() = default;

void CStdioFileEx::SetFilePath(LPCWSTR lpszNewName)
{
    if (!lpszNewName)
        AfxThrowInvalidArgException();
    CStdioFile::SetFilePath(lpszNewName);
}

UINT CStdioFileEx::AdjustFlags(LPCWSTR lpszFileName, UINT nOpenFlags)
{
    m_bIsUnicodeText = true;
    UINT flags = nOpenFlags;
    const bool reading = !(nOpenFlags & (modeCreate | modeWrite));
    if ((nOpenFlags & typeText) && reading)
    {
        m_bIsUnicodeText = FileHasUnicodeMark(lpszFileName);
        if (m_bIsUnicodeText)
            flags = (flags & ~static_cast<UINT>(typeText)) | typeBinary;
    }
    // UTF-16 goes out unchanged: a text stream would turn every 0x0A byte into 0D 0A.
    if (flags & modeWriteUnicode)
        flags = (flags & ~static_cast<UINT>(typeText)) | typeBinary;
    m_nFlags = flags;
    // The framework knows the write-Unicode bit as write-through; it stays ours.
    return flags & ~static_cast<UINT>(modeWriteUnicode);
}

BOOL CStdioFileEx::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    const UINT flags = AdjustFlags(lpszFileName, nOpenFlags);
    return CStdioFile::Open(lpszFileName, flags, pError);
}

BOOL CStdioFileEx::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_pStream)
        AfxThrowInvalidArgException();
    if (m_bIsUnicodeText)
    {
        if (GetPosition() == 0)
        {
            BYTE mark[2] = {};
            if (Read(mark, 2) != 2 || memcmp(mark, kUnicodeMark, 2) != 0)
                Seek(0, begin);
        }
        if (!CStdioFile::ReadString(rString))
            return FALSE;
    }
    else
    {
        char line[kLineChars];
        if (!fgets(line, kLineChars, m_pStream))
        {
            if (ferror(m_pStream))
            {
                const int err = errno;
                clearerr(m_pStream);
                CFileException::ThrowErrno(err, m_strFileName);
            }
            return FALSE;
        }
        WCHAR wide[kLineChars];
        const int n = MultiByteToWide(line, wide, kLineChars, m_nFileCodePage);
        if (n > 0)
            rString.SetString(wide, n);
    }

    const int length = rString.GetLength();
    if (length >= 2 && rString[length - 2] == L'\r' && rString[length - 1] == L'\n')
        rString.Truncate(length - 2);
    else if (length >= 1 && (rString[length - 1] == L'\r' || rString[length - 1] == L'\n'))
        rString.Truncate(length - 1);
    return TRUE;
}

void CStdioFileEx::WriteString(LPCWSTR lpsz)
{
    if (!lpsz)
        AfxThrowInvalidArgException();
    if (m_nFlags & modeWriteUnicode)
    {
        // An appending stream reports position 0 until it first writes; a file that already
        // holds text has its mark.
        const bool appending = (m_nFlags & modeCreate) ? (m_nFlags & modeNoTruncate) != 0 : (m_nFlags & modeWrite) != 0;
        if (!m_pStream || (GetPosition() == 0 && !(appending && GetLength() > 0)))
            Write(kUnicodeMark, 2);
        Write(lpsz, static_cast<UINT>(wcslen(lpsz) * sizeof(WCHAR)));
        return;
    }
    const int bytes = GetMultiByteLength(lpsz, m_nFileCodePage);
    if (bytes <= 1)
        return;
    std::vector<char> text(static_cast<size_t>(bytes));
    const int n = WideToMultiByte(lpsz, text.data(), bytes, m_nFileCodePage);
    Write(text.data(), static_cast<UINT>(n));
}

int CStdioFileEx::SetCodePage(int nCodePage)
{
    m_nFileCodePage = nCodePage;
    return nCodePage;
}

ULONGLONG CStdioFileEx::GetCharacterCount()
{
    if (!m_pStream)
        return 0;
    const ULONGLONG length = GetLength();
    if (!m_bIsUnicodeText)
        return length;
    return length >= 2 ? (length - 2) / 2 : 0;
}

bool CStdioFileEx::FileHasUnicodeMark(LPCWSTR lpszFilePath)
{
    CFile file;
    if (!lpszFilePath || !file.Open(lpszFilePath, modeRead | shareDenyNone | typeBinary))
        return false;
    BYTE mark[2] = {};
    DWORD read = 0;
    // A plain read: a failure here means "no mark", not an exception.
    return ReadFile(file.m_hFile, mark, 2, &read, nullptr) && read == 2 && memcmp(mark, kUnicodeMark, 2) == 0;
}

UINT CStdioFileEx::GetLocaleAnsiCodePage()
{
    WCHAR number[8] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, 8))
        return 0;
    return static_cast<UINT>(wcstoul(number, nullptr, 10));
}

int CStdioFileEx::MultiByteToWide(LPCSTR lpszSource, LPWSTR lpszTarget, int nTargetChars, int nCodePage)
{
    if (!lpszSource || !lpszTarget || nTargetChars <= 0)
        return 0;
    wmemset(lpszTarget, L'\0', static_cast<size_t>(nTargetChars));
    const UINT page = ResolveCodePage(nCodePage);
    const int n =
        ::MultiByteToWideChar(page, page == CP_UTF8 ? 0 : MB_PRECOMPOSED, lpszSource, -1, lpszTarget, nTargetChars);
    return n > 0 ? n - 1 : 0;
}

int CStdioFileEx::WideToMultiByte(LPCWSTR lpszSource, LPSTR lpszTarget, int nTargetBytes, int nCodePage)
{
    if (!lpszSource || !lpszTarget || nTargetBytes <= 0)
        return 0;
    memset(lpszTarget, 0, static_cast<size_t>(nTargetBytes));
    const int n = ConvertToMultiByte(lpszSource, lpszTarget, nTargetBytes, nCodePage);
    return n > 0 ? n - 1 : 0;
}

int CStdioFileEx::GetMultiByteLength(LPCWSTR lpszSource, int nCodePage)
{
    if (!lpszSource)
        return 0;
    return ConvertToMultiByte(lpszSource, nullptr, 0, nCodePage);
}
