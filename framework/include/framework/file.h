// Files: CFile over a Win32 handle, CStdioFile over a C runtime stream, CMemFile in memory.
#pragma once

#include "exception.h"
#include "string.h"

#include <cstdio>

class FRAMEWORK_API CFileException : public CException
{
    DECLARE_DYNAMIC(CFileException)
public:
    enum
    {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszArchiveName = nullptr);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    // The cause for a Win32 error code / a C runtime errno value.
    static int PASCAL OsErrorToException(LONG lOsError);
    static int PASCAL ErrnoToException(int nErrno);
    AFX_NORETURN static void PASCAL ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = nullptr);
    AFX_NORETURN static void PASCAL ThrowErrno(int nErrno, LPCWSTR lpszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

AFX_NORETURN FRAMEWORK_API void AfxThrowFileException(int cause, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);

// A file time as local time in seconds since 1970 (the C library's _mktime64 decides daylight
// saving); 0 for years before 1900 and for any time that cannot be converted.
FRAMEWORK_API __time64_t AfxFileTimeToLocalTime(const FILETIME& fileTime);

struct FRAMEWORK_API CFileStatus
{
    __time64_t m_ctime = 0;  // local times in seconds since 1970; 0 when unknown
    __time64_t m_mtime = 0;
    __time64_t m_atime = 0;
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;
    WCHAR m_szFullName[MAX_PATH] = {};
};

class FRAMEWORK_API CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT
    {
        modeRead = 0x0,
        modeWrite = 0x1,
        modeReadWrite = 0x2,
        shareCompat = 0x0,
        shareExclusive = 0x10,
        shareDenyWrite = 0x20,
        shareDenyRead = 0x30,
        shareDenyNone = 0x40,
        modeNoInherit = 0x80,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum SeekPosition
    {
        begin = 0,
        current = 1,
        end = 2,
    };
    static const HANDLE hFileNull;

    CFile();
    explicit CFile(HANDLE hFile);
    // Opens or throws CFileException.
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    virtual void Abort();
    virtual void SetFilePath(LPCWSTR lpszNewName);
    virtual CString GetFilePath() const;
    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    // True when the file is a memory file or a stream whose bytes the archive may buffer freely.
    virtual BOOL IsMemoryFile() const { return FALSE; }

    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    operator HANDLE() const { return m_hFile; }

    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL PASCAL GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus);
    static void PASCAL Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName);
    static void PASCAL Remove(LPCWSTR lpszFileName);

    HANDLE m_hFile;

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};

class FRAMEWORK_API CStdioFile : public CFile
{
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    explicit CStdioFile(FILE* pOpenStream);
    CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;

    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    // A line without its line feed; false at the end of the file when nothing was read.
    virtual BOOL ReadString(CString& rString);
    // Up to nMax - 1 characters of a line, its line feed kept; null at the end of the file.
    virtual LPWSTR ReadString(LPWSTR lpsz, UINT nMax);
    virtual void WriteString(LPCWSTR lpsz);

    FILE* m_pStream;
};

class FRAMEWORK_API CMemFile : public CFile
{
    DECLARE_DYNAMIC(CMemFile)
public:
    // An empty file that grows in steps of nGrowBytes.
    explicit CMemFile(UINT nGrowBytes = 1024);
    // A file over the caller's buffer; it grows (reallocating a copy) only when nGrowBytes > 0.
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Hands the buffer to the caller, who frees it with free(); the file is then empty.
    BYTE* Detach();

    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG dwNewLen) override;
    void Flush() override;
    void Close() override;
    void Abort() override;
    BOOL IsMemoryFile() const override { return TRUE; }

    UINT GetBufferSize() const { return m_nBufferSize; }
    const BYTE* GetBuffer() const { return m_lpBuffer; }

private:
    void GrowFile(SIZE_T dwNewLen);
    void FreeBuffer();

    UINT m_nGrowBytes;
    SIZE_T m_nPosition = 0;
    SIZE_T m_nBufferSize = 0;
    SIZE_T m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};
