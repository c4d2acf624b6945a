// CArchive: a buffered binary stream over a CFile, in the framework's byte format.
//
// All values are little-endian. Counts are 16 bits below 0xFFFF, else 0xFFFF and 32 bits
// below 0xFFFFFFFF, else 0xFFFFFFFF and 64 bits. Strings are stored as their length (8 bits
// below 255, else 0xFF and 16 bits below 0xFFFE, else 0xFFFF and 32 bits, ...) followed by
// their characters; wide strings carry the tag 0xFF, 0xFFFE in front of the length.
// A read that finds fewer bytes than it needs throws CArchiveException with cause endOfFile.
#pragma once

#include "exception.h"
#include "string.h"

class CFile;

class FRAMEWORK_API CArchiveException : public CException
{
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum
    {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
        bufferFull = 8,
    };

    explicit CArchiveException(int cause = none, LPCWSTR lpszArchiveName = nullptr);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

AFX_NORETURN FRAMEWORK_API void AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName = nullptr);

class FRAMEWORK_API CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1,
        bNoFlushOnDelete = 2,
    };

    // The archive buffers nBufSize bytes (at least 128) of its own; lpBuf is not supported.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // Raw bytes. Read returns what it could read (fewer at the end of the file); EnsureRead
    // throws endOfFile unless it reads all.
    UINT Read(void* lpBuf, UINT nMax);
    void EnsureRead(void* lpBuf, UINT nCount);
    void Write(const void* lpBuf, UINT nMax);
    void Flush();
    void Close();
    void Abort();

    DWORD_PTR ReadCount();
    void WriteCount(DWORD_PTR dwCount);
    // Throws endOfFile when nCount items of at least nMinBytesEach cannot all be in the rest of
    // the archive, so that a corrupt count never makes a loader allocate without bound.
    void CheckCount(ULONGLONG nCount, UINT nMinBytesEach);

    CArchive& operator<<(BYTE by);
    CArchive& operator<<(WORD w);
    CArchive& operator<<(LONG l);
    CArchive& operator<<(DWORD dw);
    CArchive& operator<<(int i);
    CArchive& operator<<(unsigned int u);
    CArchive& operator<<(short w);
    CArchive& operator<<(char ch);
    CArchive& operator<<(wchar_t ch);
    CArchive& operator<<(LONGLONG ll);
    CArchive& operator<<(ULONGLONG ull);
    CArchive& operator<<(float f);
    CArchive& operator<<(double d);
    CArchive& operator<<(const CString& s);
    CArchive& operator<<(LPCWSTR psz);

    CArchive& operator>>(BYTE& by);
    CArchive& operator>>(WORD& w);
    CArchive& operator>>(LONG& l);
    CArchive& operator>>(DWORD& dw);
    CArchive& operator>>(int& i);
    CArchive& operator>>(unsigned int& u);
    CArchive& operator>>(short& w);
    CArchive& operator>>(char& ch);
    CArchive& operator>>(wchar_t& ch);
    CArchive& operator>>(LONGLONG& ll);
    CArchive& operator>>(ULONGLONG& ull);
    CArchive& operator>>(float& f);
    CArchive& operator>>(double& d);
    // Reads either string form; narrow characters are converted through the ANSI code page.
    CArchive& operator>>(CString& s);

    // Serialises an object in place through its Serialize (no class tag is written).
    void SerializeObject(CObject& object) { object.Serialize(*this); }

private:
    void FillBuffer(UINT nBytesNeeded);
    void WriteRaw(const void* p, UINT n);
    void ReadRaw(void* p, UINT n);
    ULONGLONG BytesLeft() const;

    CFile* m_pFile;
    UINT m_nMode;
    BOOL m_bClosed = FALSE;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax;  // load: end of the valid bytes; store: end of the buffer
    UINT m_nBufSize;
};

// The length prefix of a string, as written by operator<<(CString) (bUnicode) or for a narrow
// string (!bUnicode); the reader reports the character size it found (1 or 2).
FRAMEWORK_API void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode);
FRAMEWORK_API ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize);
