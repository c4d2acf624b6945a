#include "framework/archive.h"

#include "framework/file.h"

#include <cstring>
#include <iterator>
#include <memory>

IMPLEMENT_DYNAMIC(CArchiveException, CException)

CArchiveException::CArchiveException(int cause, LPCWSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName)
{
}

BOOL CArchiveException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    static const LPCWSTR kCauses[] = {
        L"No error occurred.",
        L"An unknown error occurred while accessing %s.",
        L"An attempt was made to write to the reading %s.",
        L"An attempt was made to access %s past its end.",
        L"An attempt was made to read from the writing %s.",
        L"%s has a bad format.",
        L"%s contained an unexpected object.",
        L"%s contains an incorrect schema.",
        L"The archive buffer of %s is full.",
    };
    return FormatCauseMessage(kCauses, static_cast<int>(std::size(kCauses)), m_cause, genericException, m_strFileName,
                              lpszError, nMaxError, pnHelpContext);
}

void AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName)
{
    throw new CArchiveException(cause, lpszArchiveName);
}

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf) : m_pFile(pFile), m_nMode(nMode)
{
    if (!pFile || lpBuf)
        AfxThrowInvalidArgException();
    m_nBufSize = nBufSize < 128 ? 128u : static_cast<UINT>(nBufSize);
    m_lpBufStart = static_cast<BYTE*>(malloc(m_nBufSize));
    if (!m_lpBufStart)
        AfxThrowMemoryException();
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

CArchive::~CArchive()
{
    if (!m_bClosed && IsStoring() && !(m_nMode & bNoFlushOnDelete))
    {
        // A destructor must not throw: an archive that is not closed explicitly flushes what
        // it can, and a failure is lost just as the caller chose not to see it.
        try
        {
            Flush();
        }
        catch (CException* e)
        {
            e->Delete();
        }
        catch (...)
        {
        }
    }
    free(m_lpBufStart);
}

void CArchive::Close()
{
    if (m_bClosed)
        return;
    Flush();
    m_bClosed = TRUE;
}

void CArchive::Abort()
{
    m_bClosed = TRUE;
}

void CArchive::Flush()
{
    if (IsStoring())
    {
        if (m_lpBufCur != m_lpBufStart)
            m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
        m_lpBufCur = m_lpBufStart;
    }
    else if (m_lpBufCur != m_lpBufMax)
    {
        // Give back what was read ahead, so the file position is where the reader stopped.
        m_pFile->Seek(-(m_lpBufMax - m_lpBufCur), CFile::current);
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
    }
}

void CArchive::FillBuffer(UINT nBytesNeeded)
{
    const UINT kept = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (kept)
        memmove(m_lpBufStart, m_lpBufCur, kept);
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = m_lpBufStart + kept;
    while (static_cast<UINT>(m_lpBufMax - m_lpBufCur) < nBytesNeeded)
    {
        const UINT got = m_pFile->Read(m_lpBufMax, m_nBufSize - static_cast<UINT>(m_lpBufMax - m_lpBufStart));
        if (got == 0)
            break;
        m_lpBufMax += got;
    }
    if (static_cast<UINT>(m_lpBufMax - m_lpBufCur) < nBytesNeeded)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

void CArchive::ReadRaw(void* p, UINT n)
{
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly, m_pFile->GetFilePath());
    if (static_cast<UINT>(m_lpBufMax - m_lpBufCur) < n)
        FillBuffer(n);
    memcpy(p, m_lpBufCur, n);
    m_lpBufCur += n;
}

void CArchive::WriteRaw(const void* p, UINT n)
{
    if (IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly, m_pFile->GetFilePath());
    if (static_cast<UINT>(m_lpBufMax - m_lpBufCur) < n)
        Flush();
    memcpy(m_lpBufCur, p, n);
    m_lpBufCur += n;
}

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly, m_pFile->GetFilePath());
    auto* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    // Bytes already buffered first, then large reads straight from the file.
    const UINT buffered = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    const UINT first = buffered < nMax ? buffered : nMax;
    memcpy(out, m_lpBufCur, first);
    m_lpBufCur += first;
    done += first;
    while (done < nMax)
    {
        const UINT want = nMax - done;
        if (want >= m_nBufSize)
        {
            const UINT got = m_pFile->Read(out + done, want);
            if (got == 0)
                break;
            done += got;
            continue;
        }
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
        const UINT got = m_pFile->Read(m_lpBufStart, m_nBufSize);
        if (got == 0)
            break;
        m_lpBufMax = m_lpBufStart + got;
        const UINT take = got < want ? got : want;
        memcpy(out + done, m_lpBufCur, take);
        m_lpBufCur += take;
        done += take;
    }
    return done;
}

void CArchive::EnsureRead(void* lpBuf, UINT nCount)
{
    if (Read(lpBuf, nCount) != nCount)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    if (IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly, m_pFile->GetFilePath());
    const auto* in = static_cast<const BYTE*>(lpBuf);
    while (nMax)
    {
        UINT room = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        if (room == 0)
        {
            Flush();
            room = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
        }
        const UINT take = nMax < room ? nMax : room;
        memcpy(m_lpBufCur, in, take);
        m_lpBufCur += take;
        in += take;
        nMax -= take;
    }
}

ULONGLONG CArchive::BytesLeft() const
{
    const ULONGLONG length = m_pFile->GetLength();
    const ULONGLONG position = m_pFile->GetPosition();
    return static_cast<ULONGLONG>(m_lpBufMax - m_lpBufCur) + (length > position ? length - position : 0);
}

void CArchive::CheckCount(ULONGLONG nCount, UINT nMinBytesEach)
{
    if (nCount == 0 || nMinBytesEach == 0)
        return;
    ULONGLONG left = 0;
    try
    {
        left = BytesLeft();
    }
    catch (CException* e)
    {
        e->Delete();  // a file that cannot say its length: the element reads check themselves
        return;
    }
    if (nCount > left / nMinBytesEach)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}

DWORD_PTR CArchive::ReadCount()
{
    WORD w;
    *this >> w;
    if (w != 0xFFFF)
        return w;
    DWORD dw;
    *this >> dw;
    if (dw != 0xFFFFFFFF)
        return dw;
    ULONGLONG qw;
    *this >> qw;
    if (qw > static_cast<ULONGLONG>(static_cast<DWORD_PTR>(-1)))
        AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    return static_cast<DWORD_PTR>(qw);
}

void CArchive::WriteCount(DWORD_PTR dwCount)
{
    const ULONGLONG n = dwCount;
    if (n < 0xFFFF)
    {
        *this << static_cast<WORD>(n);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (n < 0xFFFFFFFF)
    {
        *this << static_cast<DWORD>(n);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF);
    *this << n;
}

#define SUITE_ARCHIVE_PRIMITIVE(T)                  \
    CArchive& CArchive::operator<<(T value)         \
    {                                               \
        WriteRaw(&value, sizeof value);             \
        return *this;                               \
    }                                               \
    CArchive& CArchive::operator>>(T& value)        \
    {                                               \
        ReadRaw(&value, sizeof value);              \
        return *this;                               \
    }

SUITE_ARCHIVE_PRIMITIVE(BYTE)
SUITE_ARCHIVE_PRIMITIVE(WORD)
SUITE_ARCHIVE_PRIMITIVE(LONG)
SUITE_ARCHIVE_PRIMITIVE(DWORD)
SUITE_ARCHIVE_PRIMITIVE(int)
SUITE_ARCHIVE_PRIMITIVE(unsigned int)
SUITE_ARCHIVE_PRIMITIVE(short)
SUITE_ARCHIVE_PRIMITIVE(char)
SUITE_ARCHIVE_PRIMITIVE(wchar_t)
SUITE_ARCHIVE_PRIMITIVE(LONGLONG)
SUITE_ARCHIVE_PRIMITIVE(ULONGLONG)
SUITE_ARCHIVE_PRIMITIVE(float)
SUITE_ARCHIVE_PRIMITIVE(double)
#undef SUITE_ARCHIVE_PRIMITIVE

void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode)
{
    if (bUnicode)
    {
        ar << static_cast<BYTE>(0xFF);
        ar << static_cast<WORD>(0xFFFE);
    }
    if (nLength < 0xFF)
    {
        ar << static_cast<BYTE>(nLength);
        return;
    }
    ar << static_cast<BYTE>(0xFF);
    if (nLength < 0xFFFE)
    {
        ar << static_cast<WORD>(nLength);
        return;
    }
    ar << static_cast<WORD>(0xFFFF);
    if (nLength < 0xFFFFFFFF)
    {
        ar << static_cast<DWORD>(nLength);
        return;
    }
    ar << static_cast<DWORD>(0xFFFFFFFF);
    ar << nLength;
}

ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize)
{
    nCharSize = 1;
    BYTE b;
    ar >> b;
    if (b < 0xFF)
        return b;
    WORD w;
    ar >> w;
    if (w == 0xFFFE)
    {
        // The wide-string tag; the length proper follows.
        nCharSize = 2;
        ar >> b;
        if (b < 0xFF)
            return b;
        ar >> w;
    }
    if (w < 0xFFFF)
        return w;
    DWORD dw;
    ar >> dw;
    if (dw < 0xFFFFFFFF)
        return dw;
    ULONGLONG qw;
    ar >> qw;
    return qw;
}

CArchive& CArchive::operator<<(const CString& s)
{
    AfxWriteStringLength(*this, static_cast<ULONGLONG>(s.GetLength()), TRUE);
    Write(s.GetString(), static_cast<UINT>(s.GetLength()) * sizeof(wchar_t));
    return *this;
}

CArchive& CArchive::operator<<(LPCWSTR psz) { return *this << CString(psz); }

CArchive& CArchive::operator>>(CString& s)
{
    int nCharSize = 1;
    const ULONGLONG nLength = AfxReadStringLength(*this, nCharSize);
    CheckCount(nLength, static_cast<UINT>(nCharSize));
    if (nLength > static_cast<ULONGLONG>(INT_MAX / 2 - 1))
        AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    const int n = static_cast<int>(nLength);
    if (nCharSize == 2)
    {
        CString text;
        EnsureRead(text.GetBufferSetLength(n), static_cast<UINT>(n) * sizeof(wchar_t));
        text.ReleaseBuffer(n);  // embedded zeros stay part of the stored length
        s = std::move(text);
    }
    else
    {
        std::unique_ptr<char[]> narrow(new char[static_cast<size_t>(n) + 1]);
        EnsureRead(narrow.get(), static_cast<UINT>(n));
        s = CString(narrow.get(), n);
    }
    return *this;
}
