// The Internet downloader: a process-wide queue of files fetched over HTTP or FTP on a worker
// thread, which reports to a window through posted private messages and waits on one
// manual-reset event whenever that window must answer.
//
// A run: ClearDownloadFiles(), AddDownloadFile() for each file, then a window (the download
// dialog, or CDownloadRunner for scripts) starts DownloadThreadProc with its CDownload.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/file.h>
#include <framework/string.h>

#include <wininet.h>

// Private messages from the worker to its window, all posted.
constexpr UINT WM_DL_FINISHED = 0x500;       // the worker ends
constexpr UINT WM_DL_AUTH_REQUIRED = 0x501;  // wParam: request handle; answer m_bAnswerAccepted
constexpr UINT WM_DL_FAILED = 0x502;         // wParam: DL_RETRY_OFFERED or DL_NO_RETRY; answer m_nAnswerCode
constexpr UINT WM_DL_FILE_PROGRESS = 0x503;  // wParam: bytes of the current file; lParam: its size
constexpr UINT WM_DL_TOTAL_PROGRESS = 0x504; // wParam: bytes of all files; lParam: total size
constexpr UINT WM_DL_STATUS_TEXT = 0x505;    // wParam: control id; lParam: text the receiver frees with LocalFree
constexpr UINT WM_DL_FTP_LOGIN = 0x506;      // lParam: CDownloadLogin*; answer m_bAnswerAccepted

constexpr WPARAM DL_RETRY_OFFERED = 21;
constexpr WPARAM DL_NO_RETRY = 16;
constexpr int DL_ANSWER_RETRY = 4; // the answer code that runs the queue again

// The controls whose texts the worker sets.
constexpr UINT IDC_DL_STATUS = 1256;
constexpr UINT IDC_DL_CURRENT_FILE = 1227;
constexpr UINT IDC_DL_SPEED = 1242;
constexpr UINT IDC_DL_FILE_AMOUNT = 1257;
constexpr UINT IDC_DL_TOTAL_AMOUNT = 1258;
constexpr UINT IDC_DL_ELAPSED = 1226;
constexpr UINT IDC_DL_REMAINING = 1240;

// WinInet, loaded once per process from the system folder and bound by name. A function the
// library lacks stays null; its wrapper then fails with ERROR_PROC_NOT_FOUND.
class SUITECORE_API CWinInet
{
public:
    CWinInet();
    ~CWinInet();
    CWinInet(const CWinInet&) = delete;
    CWinInet& operator=(const CWinInet&) = delete;

    BOOL InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved) const;
    BOOL InternetCloseHandle(HINTERNET hInternet) const;
    INTERNET_STATUS_CALLBACK InternetSetStatusCallback(HINTERNET hInternet, INTERNET_STATUS_CALLBACK pfn) const;
    BOOL HttpSendRequestW(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                          DWORD dwOptionalLength) const;
    BOOL HttpQueryInfoW(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                        LPDWORD lpdwIndex) const;
    HINTERNET FtpOpenFileW(HINTERNET hConnect, LPCWSTR lpszFileName, DWORD dwAccess, DWORD dwFlags,
                           DWORD_PTR dwContext) const;
    HINTERNET HttpOpenRequestW(HINTERNET hConnect, LPCWSTR lpszVerb, LPCWSTR lpszObjectName, LPCWSTR lpszVersion,
                               LPCWSTR lpszReferrer, LPCWSTR* lplpszAcceptTypes, DWORD dwFlags,
                               DWORD_PTR dwContext) const;
    HINTERNET InternetConnectW(HINTERNET hInternet, LPCWSTR lpszServerName, INTERNET_PORT nServerPort,
                               LPCWSTR lpszUserName, LPCWSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                               DWORD_PTR dwContext) const;
    DWORD InternetErrorDlg(HWND hWnd, HINTERNET hRequest, DWORD dwError, DWORD dwFlags, LPVOID* lppvData) const;
    BOOL InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                          LPDWORD lpdwNumberOfBytesRead) const;
    BOOL InternetCrackUrlW(LPCWSTR lpszUrl, DWORD dwUrlLength, DWORD dwFlags, LPURL_COMPONENTSW lpUrlComponents) const;
    HINTERNET InternetOpenW(LPCWSTR lpszAgent, DWORD dwAccessType, LPCWSTR lpszProxy, LPCWSTR lpszProxyBypass,
                            DWORD dwFlags) const;
    BOOL InternetSetOptionW(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength) const;
    HINTERNET FtpFindFirstFileW(HINTERNET hConnect, LPCWSTR lpszSearchFile, LPWIN32_FIND_DATAW lpFindFileData,
                                DWORD dwFlags, DWORD_PTR dwContext) const;
    BOOL InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer, LPDWORD lpdwBufferLength) const;

    HMODULE m_hModule;
    BOOL(WINAPI* m_pfnInternetGetConnectedState)(LPDWORD, DWORD);
    BOOL(WINAPI* m_pfnInternetCloseHandle)(HINTERNET);
    INTERNET_STATUS_CALLBACK(WINAPI* m_pfnInternetSetStatusCallback)(HINTERNET, INTERNET_STATUS_CALLBACK);
    BOOL(WINAPI* m_pfnHttpSendRequestW)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD);
    BOOL(WINAPI* m_pfnHttpQueryInfoW)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
    HINTERNET(WINAPI* m_pfnFtpOpenFileW)(HINTERNET, LPCWSTR, DWORD, DWORD, DWORD_PTR);
    HINTERNET(WINAPI* m_pfnHttpOpenRequestW)(HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD, DWORD_PTR);
    HINTERNET(WINAPI* m_pfnInternetConnectW)
    (HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD_PTR);
    DWORD(WINAPI* m_pfnInternetErrorDlg)(HWND, HINTERNET, DWORD, DWORD, LPVOID*);
    BOOL(WINAPI* m_pfnInternetReadFile)(HINTERNET, LPVOID, DWORD, LPDWORD);
    BOOL(WINAPI* m_pfnInternetCrackUrlW)(LPCWSTR, DWORD, DWORD, LPURL_COMPONENTSW);
    HINTERNET(WINAPI* m_pfnInternetOpenW)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
    BOOL(WINAPI* m_pfnInternetSetOptionW)(HINTERNET, DWORD, LPVOID, DWORD);
    HINTERNET(WINAPI* m_pfnFtpFindFirstFileW)(HINTERNET, LPCWSTR, LPWIN32_FIND_DATAW, DWORD, DWORD_PTR);
    BOOL(WINAPI* m_pfnInternetGetLastResponseInfoW)(LPDWORD, LPWSTR, LPDWORD);
};

// The process's WinInet binding, made on first use.
SUITECORE_API CWinInet& GetWinInet();

// One queued file. The address and the path are refused by AddDownloadFile when they do not
// fit their fields.
struct CDownloadItem
{
    static constexpr int kTextChars = 500; // with the terminator

    WCHAR m_szSource[kTextChars];
    WCHAR m_szLocalPath[kTextChars];
    LONG m_nSize; // remote size in bytes; 0 or -1 while unknown
    BYTE m_bDone; // 1 once the file is complete; later runs skip it
};

// The user name and password a window hands back for WM_DL_FTP_LOGIN.
struct CDownloadLogin
{
    CString m_strUserName;
    CString m_strPassword;
};

// Queues a file; false when the address or the path is null or does not fit, or when the
// queue cannot grow.
SUITECORE_API BOOL AddDownloadFile(LPCWSTR lpszSource, LPCWSTR lpszLocalPath);
// Frees every item and empties the queue.
SUITECORE_API void ClearDownloadFiles();
SUITECORE_API int GetDownloadFileCount();
// The queued item at nIndex, or null.
SUITECORE_API CDownloadItem* GetDownloadFile(int nIndex);

// Sets a downloader option by name (names and the values "true" and "1" compared without
// case): "noftpsize", "resume", "debug" ("true" or other), "hidden" ("1" or other),
// "simple", "title", "label", "description", "language". 1 for a known name, else 0.
SUITECORE_API int SetDownloadOption(LPCWSTR lpszName, LPCWSTR lpszValue);

// Runs the queue under the download dialog (never visible while the "hidden" option is "1")
// on the calling thread; true when every file is done. An empty queue, or one whose every item
// is done, gives true without a dialog.
SUITECORE_API BOOL DownloadQueuedFiles();
// True when InternetGetConnectedState reports a modem or LAN connection; also true when
// WinInet lacks that function.
SUITECORE_API BOOL IsInternetConnected();

// The value printed with "%d", then formatted with the user-default locale's separators and
// grouping, without decimals.
SUITECORE_API CString FormatLocaleNumber(int nValue);

// The worker's state for one run of the queue. The window that owns it sets
// m_hNotifyWnd, starts DownloadThreadProc with it, and answers its requests.
class SUITECORE_API CDownload
{
public:
    CDownload();
    virtual ~CDownload();
    CDownload(const CDownload&) = delete;
    CDownload& operator=(const CDownload&) = delete;

    // The worker: passes until one succeeds, the run is cancelled or the window declines a
    // retry; then WM_DL_FINISHED. Nothing escapes it.
    void RunWorker();
    // Closes the request and connection handles and starts a new attempt.
    void Reset();
    // One pass over the queue; true when every file is done.
    BOOL DownloadAllFiles();
    // The remote size of an item, 0 or -1 when it cannot be told.
    LONG QueryRemoteSize(CDownloadItem& item);
    // Reads the open request into the file, which stands at nStartOffset; nContentLength is
    // the file's full size (<= 0 when unknown).
    BOOL TransferBody(CFile& file, LONG nContentLength, LONG nStartOffset);
    // The window's cancel: sets the cancel flag, withdraws the retry offer and closes the
    // request, the connection and the shared session, so that a call the worker is blocked
    // in fails. Any thread.
    void CancelDownload();
    BOOL IsCancelled() const { return m_bCancel != 0; }
    // The WinInet or Win32 error that failed the last pass (a certificate that does not match
    // its host gives ERROR_INTERNET_SEC_CERT_CN_INVALID, a redirect from https:// to another
    // scheme ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR); 0 when the pass told none.
    DWORD GetLastPassError() const { return m_dwLastPassError; }

    BOOL m_bResult;
    INTERNET_STATUS_CALLBACK m_pfnPrevStatusCallback;
    HINTERNET m_hConnect;
    HINTERNET m_hRequest;
    CDownloadItem* m_pCurrentItem;
    HWND m_hNotifyWnd;
    int m_nFileNumber;
    int m_nFileCount;
    volatile LONG m_bCancel;
    volatile LONG m_bRetryOffered;
    BOOL m_bAnswerAccepted;
    int m_nAnswerCode;
    DWORD m_dwStartTick;
    CString m_strCurrentPath;
    ULONGLONG m_nBytesThisRun;
    HANDLE m_hAnswerEvent;

protected:
    // Posts a private message; false when it cannot be posted.
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Posts a heap copy of the text for a control; the copy is freed when posting fails.
    void PostStatusText(UINT nControl, LPCWSTR lpszText) const;
    // Resets the answer event, posts the request and waits for the answer. False, without
    // waiting, when the request cannot be posted.
    BOOL AskWindow(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend void CALLBACK DownloadStatusCallback(HINTERNET, DWORD_PTR, DWORD, LPVOID, DWORD);
    struct Address;

    BOOL EnsureSession();
    BOOL DownloadItem(CDownloadItem& item);
    BOOL DownloadHttp(CDownloadItem& item, CFile& file, const Address& address, CString& strAddress, LONG& nOffset,
                      BOOL& bRange, int& nRedirects, BOOL& bRedirected);
    BOOL FinishItem(CDownloadItem& item, CFile& file, BOOL bTransferred);
    BOOL Connect(const Address& address, DWORD_PTR dwContext);
    BOOL OpenRequest(const Address& address, DWORD_PTR dwContext);
    BOOL QueryStatusCode(DWORD& dwStatus) const;
    BOOL QueryFollowLocation(CString& strAddress, int& nRedirects);
    LONG QueryContentLength() const;
    void CloseRequest();
    void CloseConnection();
    void OnStatusCallback(DWORD dwStatus, LPVOID lpvInfo, DWORD dwInfoLength) const;
    void PostProgressTexts(ULONGLONG nFileBytes, LONG nContentLength, DWORD dwElapsed);
    void PostTotalProgress() const;
    void RecomputeTotal();

    ULONGLONG m_nOverallBytes = 0;                      // bytes of all files this pass, resumed offsets included
    LONGLONG m_nTotal = 0;                              // total size this pass; -1 when one size is unknown
    CArray<CDownloadItem*, CDownloadItem*> m_passItems; // the items this pass downloads
    HINTERNET m_hCallbackSession = nullptr;             // the session the status callback was installed on
    BOOL m_bLoginSupplied = FALSE;                      // the window supplied an FTP user name and password
    CDownloadLogin m_login;
    DWORD m_dwLastPassError = 0; // see GetLastPassError
};

// The worker thread's function; pParam is the CDownload. It runs the queue until a pass
// succeeds, the run is cancelled or the window declines a retry, then posts WM_DL_FINISHED.
SUITECORE_API UINT __cdecl DownloadThreadProc(LPVOID pParam);

// Runs the queue without a dialog: a message-only window on the calling thread answers the
// worker's requests until it ends. Subclasses watch the messages and choose the answers.
class SUITECORE_API CDownloadRunner
{
public:
    CDownloadRunner();
    virtual ~CDownloadRunner();
    CDownloadRunner(const CDownloadRunner&) = delete;
    CDownloadRunner& operator=(const CDownloadRunner&) = delete;

    // Runs the worker to its end; true when every file of the last pass is done. False also
    // when the window or the thread cannot be made.
    BOOL Run();
    // The cancel of a download dialog, from the answering thread (e.g. in OnWorkerMessage).
    void Cancel() { m_download.CancelDownload(); }
    CDownload& GetDownload() { return m_download; }

protected:
    // Every private message, on the answering thread, before it is answered; for
    // WM_DL_STATUS_TEXT lParam is the text, valid during the call.
    virtual void OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Answers: by default no authentication, no FTP log-in, and no retry.
    virtual BOOL AnswerAuthentication(HINTERNET hRequest);
    virtual BOOL AnswerFtpLogin(CDownloadLogin& login);
    virtual int AnswerFailure(BOOL bRetryOffered);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    CDownload m_download;
    HWND m_hWnd = nullptr;
    BOOL m_bFinished = FALSE;
};
