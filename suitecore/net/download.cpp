// The download worker: one pass over the queue, the size phase, HTTP, HTTPS and FTP transfers,
// resume, redirects and the requests it puts to its window.
#include "download_state.h"
#include "download_text.h"
#include "url_reference.h"

#include <memory>
#include <new>

using namespace suitecore::net;

namespace
{
constexpr LPCWSTR kAgent = L"ISX Download DLL";
// Redirects are followed here rather than inside WinInet, which follows a loop for ever:
// here they are counted, and each one's handles are closed.
constexpr DWORD kGetFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                            INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr DWORD kHeadFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT;
// Added to both for https:// only. No SECURITY_FLAG_IGNORE_* flag is ever set: a certificate
// that WinInet does not trust, or one for another name, fails the request and so the pass.
constexpr DWORD kSecureFlags = INTERNET_FLAG_SECURE;
constexpr DWORD kFtpFlags = FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD;
constexpr int kMaxRedirects = 10;
// Windows' own receive time-out, set on each HTTP request because Wine's WinInet has none: a
// read from a server that stopped sending then fails instead of waiting for ever, and so does
// a cancel there, whose closed handles do not end a read that is already blocked.
constexpr DWORD kReceiveTimeoutMs = 30000;
constexpr DWORD kStatusRangeNotSatisfiable = 416;
// Large reads keep up with a fast network; the size is ours to choose.
constexpr DWORD kReadBufferSize = 256 * 1024;
// The Location and Content-Range buffers; a longer header is refused, never used cut short.
constexpr DWORD kLocationChars = 260;
constexpr DWORD kContentRangeChars = 256;

void SetReceiveTimeout(HINTERNET hRequest)
{
    DWORD dwTimeout = kReceiveTimeoutMs;
    GetWinInet().InternetSetOptionW(hRequest, INTERNET_OPTION_RECEIVE_TIMEOUT, &dwTimeout, sizeof(dwTimeout));
}

// The schemes that go through HttpOpenRequest: plain and over TLS.
bool IsWebScheme(INTERNET_SCHEME nScheme)
{
    return nScheme == INTERNET_SCHEME_HTTP || nScheme == INTERNET_SCHEME_HTTPS;
}

DWORD RequestFlags(DWORD dwFlags, INTERNET_SCHEME nScheme)
{
    return nScheme == INTERNET_SCHEME_HTTPS ? dwFlags | kSecureFlags : dwFlags;
}

// The scheme of an absolute address; INTERNET_SCHEME_UNKNOWN when it cannot be cracked.
INTERNET_SCHEME SchemeOf(LPCWSTR lpszAddress)
{
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    return GetWinInet().InternetCrackUrlW(lpszAddress, 0, 0, &parts) ? parts.nScheme : INTERNET_SCHEME_UNKNOWN;
}

bool IsKnownSize(LONGLONG nSize)
{
    return nSize > 0;
}

// 301 and 302, and the other redirects WinInet would have followed by itself.
bool IsRedirect(DWORD dwStatus)
{
    return dwStatus == HTTP_STATUS_MOVED || dwStatus == HTTP_STATUS_REDIRECT ||
           dwStatus == HTTP_STATUS_REDIRECT_METHOD || dwStatus == HTTP_STATUS_REDIRECT_KEEP_VERB || dwStatus == 308;
}

// Moves the file to offset 0 and cuts it there, so that no old bytes stay behind the new ones.
void StartAtZero(CFile& file)
{
    file.SeekToBegin();
    file.SetLength(0);
}

// The number after the last '/' of a Content-Range value ("bytes */1234"); -1 when absent.
LONGLONG SizeOfContentRange(const CString& strRange)
{
    const int nSlash = strRange.ReverseFind(L'/');
    if (nSlash < 0)
        return -1;
    const CString strSize = strRange.Mid(nSlash + 1).Trim();
    if (strSize.IsEmpty() || strSize.SpanIncluding(L"0123456789").GetLength() != strSize.GetLength())
        return -1;
    return _wtoi64(strSize);
}
} // namespace

// An address split into its parts; the buffers hold any address that fits a queue item.
struct CDownload::Address
{
    static constexpr DWORD kChars = 1024;

    INTERNET_SCHEME nScheme = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT nPort = 0;
    WCHAR szHost[kChars] = {};
    WCHAR szUser[kChars] = {};
    WCHAR szPassword[kChars] = {};
    WCHAR szPath[kChars] = {};
    WCHAR szExtra[kChars] = {};

    BOOL Crack(LPCWSTR lpszAddress)
    {
        URL_COMPONENTSW parts = {};
        parts.dwStructSize = sizeof(parts);
        parts.lpszHostName = szHost;
        parts.dwHostNameLength = kChars;
        parts.lpszUserName = szUser;
        parts.dwUserNameLength = kChars;
        parts.lpszPassword = szPassword;
        parts.dwPasswordLength = kChars;
        parts.lpszUrlPath = szPath;
        parts.dwUrlPathLength = kChars;
        parts.lpszExtraInfo = szExtra;
        parts.dwExtraInfoLength = kChars;
        if (!GetWinInet().InternetCrackUrlW(lpszAddress, 0, 0, &parts))
            return FALSE;
        nScheme = parts.nScheme;
        nPort = parts.nPort;
        return TRUE;
    }

    CString Object() const { return CString(szPath) + szExtra; }
    static LPCWSTR OrNull(LPCWSTR lpsz) { return *lpsz ? lpsz : nullptr; }
};

void CALLBACK DownloadStatusCallback(HINTERNET, DWORD_PTR dwContext, DWORD dwStatus, LPVOID lpvInfo, DWORD dwInfoLength)
{
    // Connections made for the size query carry no context and show nothing.
    if (!dwContext)
        return;
    AfxCallbackBarrier([&]
                       { reinterpret_cast<CDownload*>(dwContext)->OnStatusCallback(dwStatus, lpvInfo, dwInfoLength); });
}

CDownload::CDownload()
    : m_bResult(FALSE), m_pfnPrevStatusCallback(nullptr), m_hConnect(nullptr), m_hRequest(nullptr),
      m_pCurrentItem(nullptr), m_hNotifyWnd(nullptr), m_nFileNumber(0), m_nFileCount(0), m_bCancel(0),
      m_bRetryOffered(0), m_bAnswerAccepted(FALSE), m_nAnswerCode(0), m_dwStartTick(0), m_nBytesThisRun(0),
      m_hAnswerEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CDownload::~CDownload()
{
    CloseRequest();
    CloseConnection();
    {
        DownloadLockGuard lock;
        if (m_hCallbackSession && SessionHandle() == m_hCallbackSession)
            GetWinInet().InternetSetStatusCallback(m_hCallbackSession, m_pfnPrevStatusCallback);
    }
    if (m_hAnswerEvent)
        CloseHandle(m_hAnswerEvent);
}

void CDownload::Reset()
{
    CloseRequest();
    CloseConnection();
    InterlockedExchange(&m_bRetryOffered, 1);
    InterlockedExchange(&m_bCancel, 0);
    m_bResult = FALSE;
    m_dwLastPassError = 0;
}

void CDownload::CancelDownload()
{
    DownloadLockGuard lock;
    InterlockedExchange(&m_bCancel, 1);
    InterlockedExchange(&m_bRetryOffered, 0);
    CloseHandleLocked(m_hRequest);
    CloseHandleLocked(m_hConnect);
    CloseHandleLocked(SessionHandle());
}

void CDownload::CloseRequest()
{
    CloseHandleLocked(m_hRequest);
}

void CDownload::CloseConnection()
{
    CloseHandleLocked(m_hConnect);
}

BOOL CDownload::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hNotifyWnd && PostMessageW(m_hNotifyWnd, message, wParam, lParam);
}

void CDownload::PostStatusText(UINT nControl, LPCWSTR lpszText) const
{
    const size_t nBytes = (wcslen(lpszText) + 1) * sizeof(WCHAR);
    auto* pszCopy = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, nBytes));
    if (!pszCopy)
        return;
    memcpy(pszCopy, lpszText, nBytes);
    if (!Post(WM_DL_STATUS_TEXT, nControl, reinterpret_cast<LPARAM>(pszCopy)))
        LocalFree(pszCopy);
}

BOOL CDownload::AskWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    ResetEvent(m_hAnswerEvent);
    // A window that is gone can never answer: do not wait for it.
    if (!Post(message, wParam, lParam))
        return FALSE;
    WaitForSingleObject(m_hAnswerEvent, INFINITE);
    return TRUE;
}

void CDownload::OnStatusCallback(DWORD dwStatus, LPVOID lpvInfo, DWORD dwInfoLength) const
{
    // The callback is the narrow one (bound as "InternetSetStatusCallback"): its texts are narrow.
    const CString strInfo = lpvInfo && dwInfoLength
                                ? CString(static_cast<LPCSTR>(lpvInfo),
                                          static_cast<int>(strnlen(static_cast<LPCSTR>(lpvInfo), dwInfoLength)))
                                : CString();
    switch (dwStatus)
    {
    case INTERNET_STATUS_RESOLVING_NAME:
        PostStatusText(IDC_DL_STATUS, SubstituteArgs(L"Resolving %1", {strInfo}));
        break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
        PostStatusText(IDC_DL_STATUS, SubstituteArgs(L"Connecting to %1", {strInfo}));
        break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        PostStatusText(IDC_DL_STATUS, SubstituteArgs(L"Connected to %1", {strInfo}));
        break;
    case INTERNET_STATUS_SENDING_REQUEST:
        PostStatusText(IDC_DL_STATUS, L"Sending request...");
        break;
    case INTERNET_STATUS_REQUEST_SENT:
        PostStatusText(IDC_DL_STATUS, L"Receiving...");
        break;
    case INTERNET_STATUS_REDIRECT:
        PostStatusText(IDC_DL_STATUS, L"");
        break;
    default:
        break;
    }
}

BOOL CDownload::EnsureSession()
{
    const CWinInet& inet = GetWinInet();
    DownloadLockGuard lock;
    HINTERNET& hSession = SessionHandle();
    if (!hSession)
    {
        INTERNET_CONNECTED_INFO online = {INTERNET_STATE_CONNECTED, 0};
        inet.InternetSetOptionW(nullptr, INTERNET_OPTION_CONNECTED_STATE, &online, sizeof(online));
        hSession = inet.InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!hSession)
            return FALSE;
    }
    // Once per session this CDownload works in (a cancel closes the session; the next run
    // opens another).
    if (m_hCallbackSession != hSession)
    {
        const INTERNET_STATUS_CALLBACK pfnPrevious = inet.InternetSetStatusCallback(hSession, DownloadStatusCallback);
        if (pfnPrevious != INTERNET_INVALID_STATUS_CALLBACK)
        {
            m_pfnPrevStatusCallback = pfnPrevious;
            m_hCallbackSession = hSession;
        }
    }
    return TRUE;
}

BOOL CDownload::Connect(const Address& address, DWORD_PTR dwContext)
{
    const BOOL bFtp = address.nScheme == INTERNET_SCHEME_FTP;
    LPCWSTR lpszUser = Address::OrNull(address.szUser);
    LPCWSTR lpszPassword = Address::OrNull(address.szPassword);
    if (bFtp && m_bLoginSupplied)
    {
        lpszUser = Address::OrNull(m_login.m_strUserName);
        lpszPassword = Address::OrNull(m_login.m_strPassword);
    }
    DownloadLockGuard lock;
    CloseHandleLocked(m_hConnect);
    if (!SessionHandle())
        return FALSE;
    m_hConnect = GetWinInet().InternetConnectW(SessionHandle(), address.szHost, address.nPort, lpszUser, lpszPassword,
                                               bFtp ? INTERNET_SERVICE_FTP : INTERNET_SERVICE_HTTP,
                                               bFtp ? INTERNET_FLAG_PASSIVE : 0, dwContext);
    return m_hConnect != nullptr;
}

BOOL CDownload::OpenRequest(const Address& address, DWORD_PTR dwContext)
{
    DownloadLockGuard lock;
    if (!m_hConnect)
        return FALSE;
    if (address.nScheme == INTERNET_SCHEME_FTP)
    {
        m_hRequest = GetWinInet().FtpOpenFileW(m_hConnect, address.szPath, GENERIC_READ, kFtpFlags, dwContext);
    }
    else
    {
        LPCWSTR acceptTypes[] = {L"*/*", nullptr};
        m_hRequest = GetWinInet().HttpOpenRequestW(m_hConnect, L"GET", address.Object(), nullptr, nullptr, acceptTypes,
                                                   RequestFlags(kGetFlags, address.nScheme), dwContext);
        if (m_hRequest)
            SetReceiveTimeout(m_hRequest);
    }
    return m_hRequest != nullptr;
}

BOOL CDownload::QueryStatusCode(DWORD& dwStatus) const
{
    DWORD dwSize = sizeof(dwStatus);
    return GetWinInet().HttpQueryInfoW(m_hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &dwSize,
                                       nullptr);
}

LONG CDownload::QueryContentLength() const
{
    DWORD dwLength = 0;
    DWORD dwSize = sizeof(dwLength);
    if (!GetWinInet().HttpQueryInfoW(m_hRequest, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &dwLength, &dwSize,
                                     nullptr))
        return -1;
    return static_cast<LONG>(dwLength);
}

// Reads the Location of a redirect, resolved against the address that was asked for (it may
// be relative: "/file", "../file", "?query", "//host/file"), into the address, and closes the
// request and the connection it came on. False after too many redirects, when the header is
// missing or does not fit its buffer, and when it would leave https:// for another scheme: an
// address asked for over TLS is never fetched in the clear.
BOOL CDownload::QueryFollowLocation(CString& strAddress, int& nRedirects)
{
    if (++nRedirects > kMaxRedirects)
        return FALSE;
    WCHAR szLocation[kLocationChars] = {};
    DWORD dwSize = sizeof(szLocation);
    if (!GetWinInet().HttpQueryInfoW(m_hRequest, HTTP_QUERY_LOCATION, szLocation, &dwSize, nullptr) || !*szLocation)
        return FALSE;
    const CString strTarget =
        ResolveReference(std::wstring_view(strAddress.GetString(), strAddress.GetLength()), szLocation).c_str();
    if (SchemeOf(strAddress) == INTERNET_SCHEME_HTTPS && SchemeOf(strTarget) != INTERNET_SCHEME_HTTPS)
    {
        m_dwLastPassError = ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
        return FALSE;
    }
    strAddress = strTarget;
    CloseRequest();
    CloseConnection();
    return TRUE;
}

LONG CDownload::QueryRemoteSize(CDownloadItem& item)
{
    const CWinInet& inet = GetWinInet();
    CString strAddress = item.m_szSource;
    int nRedirects = 0;
    LONG nSize = -1;
    for (;;)
    {
        auto address = std::make_unique<Address>();
        if (!address->Crack(strAddress))
            break;
        if (address->nScheme == INTERNET_SCHEME_FTP)
        {
            if (Options().noFtpSize || !Connect(*address, 0))
                break;
            WIN32_FIND_DATAW found = {};
            HINTERNET hFind = inet.FtpFindFirstFileW(m_hConnect, address->szPath, &found,
                                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
            nSize = hFind ? static_cast<LONG>(found.nFileSizeLow) : 0;
            CloseHandleLocked(hFind);
            break;
        }
        if (!IsWebScheme(address->nScheme) || !Connect(*address, 0))
            break;
        {
            DownloadLockGuard lock;
            m_hRequest = m_hConnect ? inet.HttpOpenRequestW(m_hConnect, L"HEAD", address->Object(), nullptr, nullptr,
                                                            nullptr, RequestFlags(kHeadFlags, address->nScheme), 0)
                                    : nullptr;
        }
        if (!m_hRequest)
            break;
        SetReceiveTimeout(m_hRequest);
        DWORD dwStatus = 0;
        BOOL bSent = inet.HttpSendRequestW(m_hRequest, nullptr, 0, nullptr, 0);
        while (bSent && QueryStatusCode(dwStatus) &&
               (dwStatus == HTTP_STATUS_DENIED || dwStatus == HTTP_STATUS_PROXY_AUTH_REQ))
        {
            if (!AskWindow(WM_DL_AUTH_REQUIRED, reinterpret_cast<WPARAM>(m_hRequest), 0) || !m_bAnswerAccepted)
                break;
            bSent = inet.HttpSendRequestW(m_hRequest, nullptr, 0, nullptr, 0);
        }
        if (bSent && dwStatus == HTTP_STATUS_OK)
            nSize = QueryContentLength();
        else if (bSent && IsRedirect(dwStatus) && QueryFollowLocation(strAddress, nRedirects))
            continue;
        break;
    }
    CloseRequest();
    CloseConnection();
    return nSize;
}

void CDownload::PostTotalProgress() const
{
    if (m_nTotal != -1)
        Post(WM_DL_TOTAL_PROGRESS, static_cast<WPARAM>(m_nOverallBytes), static_cast<LPARAM>(m_nTotal));
}

void CDownload::RecomputeTotal()
{
    m_nTotal = 0;
    for (INT_PTR i = 0; i < m_passItems.GetSize(); ++i)
    {
        const LONG nSize = m_passItems[i]->m_nSize;
        if (nSize == 0 || nSize == -1)
        {
            m_nTotal = -1;
            return;
        }
        m_nTotal += nSize;
    }
}

BOOL CDownload::DownloadAllFiles()
{
    if (!EnsureSession())
        return FALSE;
    m_nBytesThisRun = 0;
    m_nOverallBytes = 0;
    m_nFileCount = 0;
    PostStatusText(IDC_DL_STATUS, L"Getting file information...");

    m_passItems.RemoveAll();
    m_nTotal = 0;
    const int nCount = GetDownloadFileCount();
    for (int i = 0; i < nCount; ++i)
    {
        CDownloadItem& item = *GetDownloadFile(i);
        if (item.m_bDone)
            continue;
        ++m_nFileCount;
        m_passItems.Add(&item);
        LONG nSize = item.m_nSize;
        if (nSize == 0 || nSize == -1)
        {
            nSize = QueryRemoteSize(item);
            if (nSize != 0 && nSize != -1)
                item.m_nSize = nSize;
        }
        if (m_nTotal != -1)
            m_nTotal = nSize == -1 ? -1 : m_nTotal + nSize;
        if (IsCancelled())
        {
            InterlockedExchange(&m_bRetryOffered, 0);
            return FALSE;
        }
    }
    PostTotalProgress();

    m_dwStartTick = GetTickCount();
    m_nFileNumber = 0;
    for (INT_PTR i = 0; i < m_passItems.GetSize(); ++i)
    {
        if (!DownloadItem(*m_passItems[i]))
            return FALSE;
    }
    InterlockedExchange(&m_bRetryOffered, 0);
    return TRUE;
}

BOOL CDownload::FinishItem(CDownloadItem& item, CFile& file, BOOL bTransferred)
{
    if (!bTransferred)
        return FALSE;
    file.Close();
    CloseRequest();
    item.m_bDone = 1;
    return TRUE;
}

BOOL CDownload::DownloadItem(CDownloadItem& item)
{
    m_pCurrentItem = &item;
    ++m_nFileNumber;
    m_strCurrentPath = item.m_szLocalPath;

    try
    {
        CFile file;
        LONG nOffset = 0;
        BOOL bRange = FALSE;
        if (Options().resume && file.Open(item.m_szLocalPath, CFile::modeWrite | CFile::shareDenyWrite))
        {
            const ULONGLONG nLength = file.GetLength();
            if (nLength > static_cast<ULONGLONG>(LONG_MAX))
                return FALSE;
            nOffset = static_cast<LONG>(nLength);
            bRange = TRUE;
            file.SeekToEnd();
        }
        else if (!file.Open(item.m_szLocalPath,
                            CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite))
        {
            return FALSE;
        }

        CString strAddress = item.m_szSource;
        int nRedirects = 0;
        for (;;)
        {
            PostStatusText(IDC_DL_CURRENT_FILE, SubstituteArgs(L"%1 (%2 of %3)", {ShownFileName(strAddress),
                                                                                  FormatLocaleNumber(m_nFileNumber),
                                                                                  FormatLocaleNumber(m_nFileCount)}));
            if (IsCancelled())
                return FALSE;
            auto address = std::make_unique<Address>();
            if (!address->Crack(strAddress))
                return FALSE;
            if (!IsWebScheme(address->nScheme) && address->nScheme != INTERNET_SCHEME_FTP)
                return FALSE;
            const DWORD_PTR dwContext = reinterpret_cast<DWORD_PTR>(this);
            if (!Connect(*address, dwContext))
            {
                // An FTP server that refuses the log-in: ask the window for another one.
                if (address->nScheme != INTERNET_SCHEME_FTP)
                    return FALSE;
                CDownloadLogin login = m_login;
                if (!AskWindow(WM_DL_FTP_LOGIN, 0, reinterpret_cast<LPARAM>(&login)) || !m_bAnswerAccepted)
                    return FALSE;
                m_login = login;
                m_bLoginSupplied = TRUE;
                if (!Connect(*address, dwContext))
                    return FALSE;
            }
            if (!OpenRequest(*address, dwContext))
                return FALSE;
            if (address->nScheme == INTERNET_SCHEME_FTP)
            {
                StartAtZero(file);
                return FinishItem(item, file, TransferBody(file, item.m_nSize, 0));
            }
            BOOL bRedirected = FALSE;
            const BOOL bDone = DownloadHttp(item, file, *address, strAddress, nOffset, bRange, nRedirects, bRedirected);
            if (!bRedirected)
                return bDone;
        }
    }
    catch (CException* e)
    {
        // A failure to read the length, to seek, to cut or to write the file.
        e->Delete();
        return FALSE;
    }
}

// Sends the request and acts on the answer. bRedirected asks the caller to start again with
// the new address.
BOOL CDownload::DownloadHttp(CDownloadItem& item, CFile& file, const Address& address, CString& strAddress,
                             LONG& nOffset, BOOL& bRange, int& nRedirects, BOOL& bRedirected)
{
    const CWinInet& inet = GetWinInet();
    CString strRange;
    if (bRange)
        strRange.Format(L"Range: bytes=%d-", nOffset);
    for (;;)
    {
        if (!inet.HttpSendRequestW(m_hRequest, strRange.IsEmpty() ? nullptr : strRange.GetString(),
                                   static_cast<DWORD>(strRange.GetLength()), nullptr, 0))
        {
            // A TLS failure (an untrusted or mismatched certificate) ends up here too.
            m_dwLastPassError = ::GetLastError();
            return FALSE;
        }
        DWORD dwStatus = 0;
        if (!QueryStatusCode(dwStatus))
            return FALSE;
        if (IsRedirect(dwStatus))
        {
            if (!QueryFollowLocation(strAddress, nRedirects))
                return FALSE;
            PostStatusText(IDC_DL_STATUS, SubstituteArgs(L"Redirecting to %1", {strAddress}));
            bRedirected = TRUE;
            return FALSE;
        }
        switch (dwStatus)
        {
        case HTTP_STATUS_OK:
        {
            // Without a range, or with one the server ignored: the whole file from its start.
            StartAtZero(file);
            nOffset = 0;
            bRange = FALSE;
            const LONG nLength = QueryContentLength();
            return FinishItem(item, file, TransferBody(file, nLength == -1 ? 0 : nLength, 0));
        }
        case HTTP_STATUS_PARTIAL_CONTENT:
            if (strRange.IsEmpty())
                return FALSE;
            else
            {
                const LONG nLength = QueryContentLength();
                m_nOverallBytes += static_cast<ULONGLONG>(nOffset);
                return FinishItem(item, file, TransferBody(file, nLength > 0 ? nLength + nOffset : 0, nOffset));
            }
        case HTTP_STATUS_DENIED:
        case HTTP_STATUS_PROXY_AUTH_REQ:
            if (!AskWindow(WM_DL_AUTH_REQUIRED, reinterpret_cast<WPARAM>(m_hRequest), 0) || !m_bAnswerAccepted)
                return FALSE;
            continue;
        case kStatusRangeNotSatisfiable:
        {
            if (strRange.IsEmpty())
                return FALSE;
            WCHAR szRange[kContentRangeChars] = {};
            DWORD dwSize = sizeof(szRange);
            const LONGLONG nRemote =
                inet.HttpQueryInfoW(m_hRequest, HTTP_QUERY_CONTENT_RANGE, szRange, &dwSize, nullptr)
                    ? SizeOfContentRange(szRange)
                    : -1;
            if (nRemote == nOffset)
            {
                // The local file is already complete.
                item.m_nSize = nOffset;
                RecomputeTotal();
                m_nOverallBytes += static_cast<ULONGLONG>(nOffset);
                Post(WM_DL_FILE_PROGRESS, static_cast<WPARAM>(nOffset), nOffset);
                PostTotalProgress();
                return FinishItem(item, file, TRUE);
            }
            // Another size: the local file is not a part of this one; fetch it whole. A header
            // once sent stays with its request, so a new request goes without the range.
            strRange.Empty();
            bRange = FALSE;
            StartAtZero(file);
            nOffset = 0;
            CloseRequest();
            if (!OpenRequest(address, reinterpret_cast<DWORD_PTR>(this)))
                return FALSE;
            continue;
        }
        default:
            return FALSE;
        }
    }
}

void CDownload::PostProgressTexts(ULONGLONG nFileBytes, LONG nContentLength, DWORD dwElapsed)
{
    if (IsKnownSize(nContentLength))
    {
        PostTotalProgress();
        Post(WM_DL_FILE_PROGRESS, static_cast<WPARAM>(nFileBytes), nContentLength);
    }
    PostStatusText(
        IDC_DL_SPEED,
        SubstituteArgs(L"%1 KB/s", {FormatLocaleNumber(static_cast<int>(m_nBytesThisRun / 1024 / dwElapsed))}));
    PostStatusText(IDC_DL_FILE_AMOUNT, FormatAmount(nFileBytes, nContentLength));
    PostStatusText(IDC_DL_TOTAL_AMOUNT, FormatAmount(m_nOverallBytes, m_nTotal));
    PostStatusText(IDC_DL_ELAPSED, FormatClock(dwElapsed));
    if (IsKnownSize(nContentLength) && IsKnownSize(m_nTotal) && m_nOverallBytes && m_nBytesThisRun)
    {
        const ULONGLONG t = m_nOverallBytes * dwElapsed / m_nBytesThisRun;
        const ULONGLONG nTotal = static_cast<ULONGLONG>(m_nTotal);
        const ULONGLONG nWhole = t * nTotal / m_nOverallBytes;
        PostStatusText(IDC_DL_REMAINING, FormatClock(nWhole > t ? nWhole - t : 0));
    }
}

BOOL CDownload::TransferBody(CFile& file, LONG nContentLength, LONG nStartOffset)
{
    Post(WM_DL_FILE_PROGRESS, 0, nContentLength);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kReadBufferSize]);
    if (!buffer)
        return FALSE;
    ULONGLONG nFileBytes = static_cast<ULONGLONG>(nStartOffset);
    DWORD dwShownSecond = 0;
    for (;;)
    {
        if (IsCancelled())
            return FALSE;
        DWORD dwRead = 0;
        if (!GetWinInet().InternetReadFile(m_hRequest, buffer.get(), kReadBufferSize, &dwRead))
            return FALSE;
        if (dwRead == 0)
            break;
        m_nBytesThisRun += dwRead;
        m_nOverallBytes += dwRead;
        nFileBytes += dwRead;
        try
        {
            file.Write(buffer.get(), dwRead);
        }
        catch (CFileException* e)
        {
            e->Delete();
            return FALSE;
        }
        DWORD dwElapsed = (GetTickCount() - m_dwStartTick) / 1000;
        if (dwElapsed < 1)
            dwElapsed = 1;
        if (dwElapsed > dwShownSecond)
        {
            dwShownSecond = dwElapsed;
            PostProgressTexts(nFileBytes, nContentLength, dwElapsed);
        }
    }
    // A connection that closed before the announced length is a failure; the item stays not
    // done, so that a resumed run continues it.
    if (IsKnownSize(nContentLength) && nFileBytes < static_cast<ULONGLONG>(nContentLength))
        return FALSE;
    if (m_pCurrentItem)
        m_pCurrentItem->m_nSize = static_cast<LONG>(nFileBytes);
    RecomputeTotal();
    Post(WM_DL_FILE_PROGRESS, static_cast<WPARAM>(nFileBytes), static_cast<LPARAM>(nFileBytes));
    PostTotalProgress();
    return TRUE;
}

void CDownload::RunWorker()
{
    AfxCallbackBarrier(
        [&]
        {
            for (;;)
            {
                Reset();
                m_bResult = DownloadAllFiles();
                if (m_bResult || IsCancelled())
                    break;
                if (!AskWindow(WM_DL_FAILED, m_bRetryOffered ? DL_RETRY_OFFERED : DL_NO_RETRY, 0) ||
                    m_nAnswerCode != DL_ANSWER_RETRY)
                    break;
            }
        });
    // The window waits for this message whatever happened above.
    Post(WM_DL_FINISHED, 0, 0);
}

UINT __cdecl DownloadThreadProc(LPVOID pParam)
{
    static_cast<CDownload*>(pParam)->RunWorker();
    return 0;
}
