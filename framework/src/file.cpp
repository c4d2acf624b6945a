#include "framework/file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <ctime>
#include <fcntl.h>
#include <io.h>

IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

// ---------------------------------------------------------------------------------------------
// CFileException

CFileException::CFileException(int cause, LONG lOsError, LPCWSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName)
{
}

BOOL CFileException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    static const LPCWSTR kCauses[] = {
        L"No error occurred.",
        L"An unknown error occurred while accessing %s.",
        L"%s was not found.",
        L"%s contains an incorrect path.",
        L"%s could not be opened because there are too many open files.",
        L"Access to %s was denied.",
        L"An incorrect file handle was associated with %s.",
        L"%s could not be removed because it is the current directory.",
        L"%s could not be created because the directory is full.",
        L"Seek failed on %s",
        L"A hardware I/O error was reported while accessing %s.",
        L"A sharing violation occurred while accessing %s.",
        L"A locking violation occurred while accessing %s.",
        L"Disk full while accessing %s.",
        L"An attempt was made to access %s past its end.",
    };
    return FormatCauseMessage(kCauses, static_cast<int>(std::size(kCauses)), m_cause, genericException, m_strFileName,
                              lpszError, nMaxError, pnHelpContext);
}

int PASCAL CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError)
    {
    case NO_ERROR:
        return none;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_HANDLE:
    case ERROR_NO_MORE_FILES:
    case ERROR_DISK_CHANGE:
        return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_SAME_DEVICE:
    case ERROR_WRONG_DISK:
    case ERROR_DUP_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NET_NAME:
    case ERROR_SHARING_PAUSED:
    case ERROR_ALREADY_ASSIGNED:
    case ERROR_BUFFER_OVERFLOW:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_LEVEL:
    case ERROR_NO_VOLUME_LABEL:
    case ERROR_DIR_NOT_ROOT:
    case ERROR_LABEL_TOO_LONG:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_META_EXPANSION_TOO_LONG:
    case ERROR_DIRECTORY:
        return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_SHARING_BUFFER_EXCEEDED:
    case ERROR_TOO_MANY_NAMES:
    case ERROR_NO_MORE_SEARCH_HANDLES:
        return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_WRITE_PROTECT:
    case ERROR_WRITE_FAULT:
    case ERROR_NETWORK_BUSY:
    case ERROR_BAD_NET_RESP:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_REQ_NOT_ACCEP:
    case ERROR_FILE_EXISTS:
    case ERROR_CANNOT_MAKE:
    case ERROR_INVALID_PASSWORD:
    case ERROR_BUSY:
    case ERROR_ALREADY_EXISTS:
    case ERROR_SWAPERROR:
        return accessDenied;
    case ERROR_BAD_FORMAT:
    case ERROR_NOT_DOS_DISK:
    case ERROR_BAD_REM_ADAP:
    case ERROR_BAD_DEV_TYPE:
    case ERROR_INVALID_TARGET_HANDLE:
    case ERROR_INVALID_ORDINAL:
    case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_BAD_EXE_FORMAT:
        return invalidFile;
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_DIR_NOT_EMPTY:
        return removeCurrentDir;
    case ERROR_NO_SPOOL_SPACE:
        return directoryFull;
    case ERROR_BAD_LENGTH:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE:
        return badSeek;
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_CRC:
    case ERROR_ADAP_HDW_ERR:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NET_WRITE_FAULT:
    case ERROR_INVALID_CATEGORY:
    case ERROR_OPERATION_ABORTED:
    case ERROR_IO_INCOMPLETE:
    case ERROR_IO_PENDING:
        return hardIO;
    case ERROR_SHARING_VIOLATION:
        return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
    case ERROR_LOCK_FAILED:
        return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return diskFull;
    case ERROR_HANDLE_EOF:
        return endOfFile;
    default:
        return genericException;
    }
}

int PASCAL CFileException::ErrnoToException(int nErrno)
{
    switch (nErrno)
    {
    case EPERM:
    case EACCES:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EDEADLOCK:
        return sharingViolation;
    case EMFILE:
        return tooManyOpenFiles;
    case ENOENT:
    case ENFILE:
        return fileNotFound;
    case ENOSPC:
        return diskFull;
    case EINVAL:
    case EIO:
        return hardIO;
    default:
        return genericException;
    }
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName)
{
    throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void PASCAL CFileException::ThrowErrno(int nErrno, LPCWSTR lpszFileName)
{
    throw new CFileException(ErrnoToException(nErrno), nErrno, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}

// ---------------------------------------------------------------------------------------------
// CFile

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

__time64_t AfxFileTimeToLocalTime(const FILETIME& ft)
{
    FILETIME local;
    SYSTEMTIME st;
    if ((ft.dwLowDateTime == 0 && ft.dwHighDateTime == 0) || !FileTimeToLocalFileTime(&ft, &local) ||
        !FileTimeToSystemTime(&local, &st) || st.wYear < 1900)
        return 0;
    tm t{};
    t.tm_year = st.wYear - 1900;
    t.tm_mon = st.wMonth - 1;
    t.tm_mday = st.wDay;
    t.tm_hour = st.wHour;
    t.tm_min = st.wMinute;
    t.tm_sec = st.wSecond;
    t.tm_isdst = -1;
    const __time64_t value = _mktime64(&t);
    return value == -1 ? 0 : value;
}

namespace
{
void FillStatus(const WIN32_FIND_DATAW& data, CFileStatus& status)
{
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes);
    status.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_ctime = AfxFileTimeToLocalTime(data.ftCreationTime);
    status.m_atime = AfxFileTimeToLocalTime(data.ftLastAccessTime);
    status.m_mtime = AfxFileTimeToLocalTime(data.ftLastWriteTime);
    if (status.m_ctime == 0)
        status.m_ctime = status.m_mtime;
    if (status.m_atime == 0)
        status.m_atime = status.m_mtime;
}

// The name and extension of a path: what follows its last backslash, slash or colon.
CString FileNameOf(const CString& path)
{
    int cut = -1;
    for (int i = 0; i < path.GetLength(); ++i)
        if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':')
            cut = i;
    return path.Mid(cut + 1);
}
} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();  // closes without throwing
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (pError)
    {
        pError->m_cause = CFileException::none;
        pError->m_lOsError = 0;
        pError->m_strFileName = lpszFileName;
    }
    if (!lpszFileName || m_hFile != hFileNull)
    {
        if (pError)
            pError->m_cause = CFileException::genericException;
        return FALSE;
    }
    // Text and binary are stream matters; a plain CFile is always binary.
    nOpenFlags &= ~static_cast<UINT>(typeText | typeBinary);

    DWORD access = 0;
    switch (nOpenFlags & 3)
    {
    case modeRead:
        access = GENERIC_READ;
        break;
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    case modeReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        if (pError)
            pError->m_cause = CFileException::genericException;
        return FALSE;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70)
    {
    case shareCompat:
    case shareExclusive:
        share = 0;
        break;
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        if (pError)
            pError->m_cause = CFileException::genericException;
        return FALSE;
    }
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
    DWORD creation = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (nOpenFlags & osNoBuffer)
        attributes |= FILE_FLAG_NO_BUFFERING;
    if (nOpenFlags & osWriteThrough)
        attributes |= FILE_FLAG_WRITE_THROUGH;
    if (nOpenFlags & osRandomAccess)
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (nOpenFlags & osSequentialScan)
        attributes |= FILE_FLAG_SEQUENTIAL_SCAN;

    HANDLE h = CreateFileW(lpszFileName, access, share, &sa, creation, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        if (pError)
        {
            pError->m_lOsError = static_cast<LONG>(GetLastError());
            pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    SetFilePath(lpszFileName);
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return read;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    if (written != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (nFrom > end)
        AfxThrowInvalidArgException();
    LARGE_INTEGER distance, result;
    distance.QuadPart = lOff;
    if (!SetFilePointerEx(m_hFile, distance, &result, nFrom))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero{}, result;
    if (!SetFilePointerEx(m_hFile, zero, &result, FILE_CURRENT))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(result.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void CFile::Flush()
{
    if (m_hFile != hFileNull && !FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName);
}

void CFile::Close()
{
    BOOL ok = TRUE;
    DWORD error = 0;
    if (m_hFile != hFileNull)
    {
        ok = CloseHandle(m_hFile);
        error = GetLastError();
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (!ok)
        CFileException::ThrowOsError(static_cast<LONG>(error), m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

void CFile::SetFilePath(LPCWSTR lpszNewName)
{
    if (!lpszNewName)
        AfxThrowInvalidArgException();
    m_strFileName = lpszNewName;
}

CString CFile::GetFilePath() const { return m_strFileName; }

CString CFile::GetFileName() const { return FileNameOf(m_strFileName); }

CString CFile::GetFileTitle() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind(L'.');
    return dot >= 0 ? name.Left(dot) : name;
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const
{
    rStatus = CFileStatus();
    lstrcpynW(rStatus.m_szFullName, m_strFileName, MAX_PATH);
    if (m_hFile == hFileNull)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_hFile, &info))
        return FALSE;
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = info.dwFileAttributes;
    data.ftCreationTime = info.ftCreationTime;
    data.ftLastAccessTime = info.ftLastAccessTime;
    data.ftLastWriteTime = info.ftLastWriteTime;
    data.nFileSizeHigh = info.nFileSizeHigh;
    data.nFileSizeLow = info.nFileSizeLow;
    FillStatus(data, rStatus);
    return TRUE;
}

BOOL PASCAL CFile::GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus)
{
    rStatus = CFileStatus();
    if (!lpszFileName || !*lpszFileName)
        return FALSE;
    const DWORD n = GetFullPathNameW(lpszFileName, MAX_PATH, rStatus.m_szFullName, nullptr);
    if (n == 0 || n >= MAX_PATH)
    {
        rStatus.m_szFullName[0] = L'\0';
        return FALSE;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(lpszFileName, &data);
    if (find == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(find);
    FillStatus(data, rStatus);
    return TRUE;
}

void PASCAL CFile::Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName)
{
    if (!MoveFileW(lpszOldName, lpszNewName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszOldName);
}

void PASCAL CFile::Remove(LPCWSTR lpszFileName)
{
    if (!DeleteFileW(lpszFileName))
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), lpszFileName);
}

// ---------------------------------------------------------------------------------------------
// CStdioFile

CStdioFile::CStdioFile() : m_pStream(nullptr) {}

CStdioFile::CStdioFile(FILE* pOpenStream) : m_pStream(pOpenStream)
{
    if (!pOpenStream)
        AfxThrowInvalidArgException();
    m_hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(pOpenStream)));
}

CStdioFile::CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags) : m_pStream(nullptr)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_pStream && m_bCloseOnDelete)
        Abort();
}

BOOL CStdioFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    m_pStream = nullptr;
    if (!CFile::Open(lpszFileName, nOpenFlags & ~static_cast<UINT>(typeText), pError))
        return FALSE;

    // The stream's mode follows the open flags: create truncates ("w") unless told not to
    // ("a"), plain write appends, otherwise read; "+" where reading and writing mix.
    wchar_t mode[4];
    int n = 0;
    if (nOpenFlags & modeCreate)
        mode[n++] = (nOpenFlags & modeNoTruncate) ? L'a' : L'w';
    else if (nOpenFlags & modeWrite)
        mode[n++] = L'a';
    else
        mode[n++] = L'r';
    if ((mode[0] == L'r' && (nOpenFlags & modeReadWrite)) || (mode[0] != L'r' && !(nOpenFlags & modeWrite)))
        mode[n++] = L'+';
    int osFlags = _O_RDONLY | _O_TEXT;
    if (nOpenFlags & (modeWrite | modeReadWrite))
        osFlags ^= _O_RDONLY;
    if (mode[0] == L'a')
        osFlags |= _O_APPEND;  // as _wfopen's "a": every write goes to the end
    if (nOpenFlags & typeBinary)
    {
        mode[n++] = L'b';
        osFlags ^= _O_TEXT;
    }
    else
    {
        mode[n++] = L't';
    }
    mode[n] = L'\0';

    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), osFlags);
    FILE* stream = fd == -1 ? nullptr : _wfdopen(fd, mode);
    if (!stream)
    {
        const int err = errno;
        if (fd != -1)
            _close(fd);  // closes the handle too
        else
            CloseHandle(m_hFile);
        m_hFile = hFileNull;
        m_bCloseOnDelete = FALSE;
        if (pError)
        {
            pError->m_lOsError = err;
            pError->m_cause = CFileException::ErrnoToException(err);
        }
        return FALSE;
    }
    m_pStream = stream;
    return TRUE;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (!lpBuf || !m_pStream)
        AfxThrowInvalidArgException();
    const size_t got = fread(lpBuf, 1, nCount, m_pStream);
    if (got == 0 && !feof(m_pStream))
    {
        const int err = ferror(m_pStream) ? errno : 0;
        clearerr(m_pStream);
        if (err)
            CFileException::ThrowErrno(err, m_strFileName);
    }
    return static_cast<UINT>(got);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_pStream)
        AfxThrowInvalidArgException();
    if (nCount && fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
        CFileException::ThrowErrno(errno, m_strFileName);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (!m_pStream || nFrom > end)
        AfxThrowInvalidArgException();
    if (_fseeki64(m_pStream, lOff, static_cast<int>(nFrom)) != 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    return static_cast<ULONGLONG>(_ftelli64(m_pStream));
}

ULONGLONG CStdioFile::GetPosition() const
{
    if (!m_pStream)
        AfxThrowInvalidArgException();
    const __int64 pos = _ftelli64(m_pStream);
    if (pos < 0)
        CFileException::ThrowErrno(errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const
{
    if (!m_pStream)
        AfxThrowInvalidArgException();
    // The stream may hold unwritten bytes; flush so the length counts them.
    fflush(m_pStream);
    return CFile::GetLength();
}

void CStdioFile::Flush()
{
    if (m_pStream && fflush(m_pStream) != 0)
        CFileException::ThrowErrno(errno, m_strFileName);
}

void CStdioFile::Close()
{
    int result = 0;
    int err = 0;
    if (m_pStream)
    {
        result = fclose(m_pStream);  // closes the handle as well
        err = errno;
    }
    const CString name = m_strFileName;
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (result != 0)
        CFileException::ThrowErrno(err, name);
}

void CStdioFile::Abort()
{
    if (m_pStream && m_bCloseOnDelete)
        fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_pStream)
        AfxThrowInvalidArgException();
    wchar_t chunk[128];
    for (;;)
    {
        if (!fgetws(chunk, 128, m_pStream))
        {
            if (ferror(m_pStream))
            {
                const int err = errno;
                clearerr(m_pStream);
                CFileException::ThrowErrno(err, m_strFileName);
            }
            break;
        }
        const size_t len = wcslen(chunk);
        rString.Append(chunk, static_cast<int>(len));
        if (len > 0 && chunk[len - 1] == L'\n')
            break;
    }
    const int n = rString.GetLength();
    if (n > 0 && rString[n - 1] == L'\n')
    {
        rString.Truncate(n - 1);
        return TRUE;
    }
    return n > 0;
}

LPWSTR CStdioFile::ReadString(LPWSTR lpsz, UINT nMax)
{
    if (!lpsz || nMax == 0 || nMax > INT_MAX || !m_pStream)
        AfxThrowInvalidArgException();
    LPWSTR result = fgetws(lpsz, static_cast<int>(nMax), m_pStream);
    if (!result && ferror(m_pStream))
    {
        const int err = errno;
        clearerr(m_pStream);
        CFileException::ThrowErrno(err, m_strFileName);
    }
    return result;
}

void CStdioFile::WriteString(LPCWSTR lpsz)
{
    if (!lpsz || !m_pStream)
        AfxThrowInvalidArgException();
    if (fputws(lpsz, m_pStream) == WEOF)
        CFileException::ThrowErrno(errno, m_strFileName);
}

// ---------------------------------------------------------------------------------------------
// CMemFile

CMemFile::CMemFile(UINT nGrowBytes) : m_nGrowBytes(nGrowBytes) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : m_nGrowBytes(nGrowBytes)
{
    Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() { FreeBuffer(); }

void CMemFile::FreeBuffer()
{
    if (m_bAutoDelete)
        free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
{
    if (!lpBuffer && nBufferSize)
        AfxThrowInvalidArgException();
    FreeBuffer();
    m_lpBuffer = lpBuffer;
    m_nBufferSize = nBufferSize;
    m_nGrowBytes = nGrowBytes;
    // A grow-by of 0 means the buffer is the caller's and holds the file; otherwise the file
    // starts empty and writes may reallocate it.
    m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return buffer;
}

void CMemFile::GrowFile(SIZE_T dwNewLen)
{
    if (dwNewLen <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0)
        AfxThrowMemoryException();  // a fixed buffer cannot grow
    SIZE_T newSize = m_nBufferSize;
    const SIZE_T steps = (dwNewLen - newSize + m_nGrowBytes - 1) / m_nGrowBytes;
    if (steps > (SIZE_MAX - newSize) / m_nGrowBytes)
        AfxThrowMemoryException();
    newSize += steps * m_nGrowBytes;
    BYTE* p;
    if (m_bAutoDelete)
    {
        p = static_cast<BYTE*>(realloc(m_lpBuffer, newSize));
    }
    else
    {
        // The caller's buffer stays theirs; continue in a copy of our own.
        p = static_cast<BYTE*>(malloc(newSize));
        if (p && m_nFileSize)
            memcpy(p, m_lpBuffer, m_nFileSize);
    }
    if (!p)
        AfxThrowMemoryException();
    m_lpBuffer = p;
    m_nBufferSize = newSize;
    m_bAutoDelete = TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    if (m_nPosition >= m_nFileSize)
        return 0;
    const SIZE_T left = m_nFileSize - m_nPosition;
    const UINT n = left < nCount ? static_cast<UINT>(left) : nCount;
    memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return n;
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    if (nCount > SIZE_MAX - m_nPosition)
        AfxThrowMemoryException();
    const SIZE_T end = m_nPosition + nCount;
    GrowFile(end);
    if (m_nPosition > m_nFileSize)
        memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);  // a gap after a seek
    memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
    m_nPosition = end;
    if (end > m_nFileSize)
        m_nFileSize = end;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base = 0;
    switch (nFrom)
    {
    case begin:
        base = 0;
        break;
    case current:
        base = static_cast<LONGLONG>(m_nPosition);
        break;
    case end:
        base = static_cast<LONGLONG>(m_nFileSize);
        break;
    default:
        AfxThrowInvalidArgException();
    }
    const LONGLONG target = base + lOff;
    if (target < 0)
        AfxThrowFileException(CFileException::badSeek);
    if (static_cast<ULONGLONG>(target) > SIZE_MAX)
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = static_cast<SIZE_T>(target);
    return static_cast<ULONGLONG>(target);
}

ULONGLONG CMemFile::GetPosition() const { return m_nPosition; }

ULONGLONG CMemFile::GetLength() const { return m_nFileSize; }

void CMemFile::SetLength(ULONGLONG dwNewLen)
{
    if (dwNewLen > SIZE_MAX)
        AfxThrowMemoryException();
    const SIZE_T n = static_cast<SIZE_T>(dwNewLen);
    GrowFile(n);
    if (n > m_nFileSize)
        memset(m_lpBuffer + m_nFileSize, 0, n - m_nFileSize);
    m_nFileSize = n;
    if (m_nPosition > n)
        m_nPosition = n;
}

void CMemFile::Flush() {}

void CMemFile::Close() { FreeBuffer(); }

void CMemFile::Abort() { FreeBuffer(); }
