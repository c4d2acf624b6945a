// WinInet bound by name at run time, loaded from the system folder by its full path.
#include "suitecore/download.h"

#include <framework/syslib.h>

namespace
{
template <class Fn>
void Bind(HMODULE hModule, Fn& pfn, const char* pszName)
{
    pfn = hModule ? reinterpret_cast<Fn>(GetProcAddress(hModule, pszName)) : nullptr;
}

// Calls a bound function, or fails as a missing export does.
template <class R, class Fn, class... Args>
R CallOr(R failure, Fn pfn, Args... args)
{
    if (!pfn)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return failure;
    }
    return pfn(args...);
}
} // namespace

CWinInet::CWinInet() : m_hModule(AfxLoadSystemLibrary(L"wininet.dll"))
{
    Bind(m_hModule, m_pfnInternetGetConnectedState, "InternetGetConnectedState");
    Bind(m_hModule, m_pfnInternetCloseHandle, "InternetCloseHandle");
    Bind(m_hModule, m_pfnInternetSetStatusCallback, "InternetSetStatusCallback");
    Bind(m_hModule, m_pfnHttpSendRequestW, "HttpSendRequestW");
    Bind(m_hModule, m_pfnHttpQueryInfoW, "HttpQueryInfoW");
    Bind(m_hModule, m_pfnFtpOpenFileW, "FtpOpenFileW");
    Bind(m_hModule, m_pfnHttpOpenRequestW, "HttpOpenRequestW");
    Bind(m_hModule, m_pfnInternetConnectW, "InternetConnectW");
    Bind(m_hModule, m_pfnInternetErrorDlg, "InternetErrorDlg");
    Bind(m_hModule, m_pfnInternetReadFile, "InternetReadFile");
    Bind(m_hModule, m_pfnInternetCrackUrlW, "InternetCrackUrlW");
    Bind(m_hModule, m_pfnInternetOpenW, "InternetOpenW");
    Bind(m_hModule, m_pfnInternetSetOptionW, "InternetSetOptionW");
    Bind(m_hModule, m_pfnFtpFindFirstFileW, "FtpFindFirstFileW");
    Bind(m_hModule, m_pfnInternetGetLastResponseInfoW, "InternetGetLastResponseInfoW");
}

CWinInet::~CWinInet()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

BOOL CWinInet::InternetGetConnectedState(LPDWORD lpdwFlags, DWORD dwReserved) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetGetConnectedState, lpdwFlags, dwReserved);
}

BOOL CWinInet::InternetCloseHandle(HINTERNET hInternet) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetCloseHandle, hInternet);
}

INTERNET_STATUS_CALLBACK CWinInet::InternetSetStatusCallback(HINTERNET hInternet, INTERNET_STATUS_CALLBACK pfn) const
{
    return CallOr<INTERNET_STATUS_CALLBACK>(INTERNET_INVALID_STATUS_CALLBACK, m_pfnInternetSetStatusCallback, hInternet,
                                            pfn);
}

BOOL CWinInet::HttpSendRequestW(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                                DWORD dwOptionalLength) const
{
    return CallOr<BOOL>(FALSE, m_pfnHttpSendRequestW, hRequest, lpszHeaders, dwHeadersLength, lpOptional,
                        dwOptionalLength);
}

BOOL CWinInet::HttpQueryInfoW(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                              LPDWORD lpdwIndex) const
{
    return CallOr<BOOL>(FALSE, m_pfnHttpQueryInfoW, hRequest, dwInfoLevel, lpBuffer, lpdwBufferLength, lpdwIndex);
}

HINTERNET CWinInet::FtpOpenFileW(HINTERNET hConnect, LPCWSTR lpszFileName, DWORD dwAccess, DWORD dwFlags,
                                 DWORD_PTR dwContext) const
{
    return CallOr<HINTERNET>(nullptr, m_pfnFtpOpenFileW, hConnect, lpszFileName, dwAccess, dwFlags, dwContext);
}

HINTERNET CWinInet::HttpOpenRequestW(HINTERNET hConnect, LPCWSTR lpszVerb, LPCWSTR lpszObjectName, LPCWSTR lpszVersion,
                                     LPCWSTR lpszReferrer, LPCWSTR* lplpszAcceptTypes, DWORD dwFlags,
                                     DWORD_PTR dwContext) const
{
    return CallOr<HINTERNET>(nullptr, m_pfnHttpOpenRequestW, hConnect, lpszVerb, lpszObjectName, lpszVersion,
                             lpszReferrer, lplpszAcceptTypes, dwFlags, dwContext);
}

HINTERNET CWinInet::InternetConnectW(HINTERNET hInternet, LPCWSTR lpszServerName, INTERNET_PORT nServerPort,
                                     LPCWSTR lpszUserName, LPCWSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                                     DWORD_PTR dwContext) const
{
    return CallOr<HINTERNET>(nullptr, m_pfnInternetConnectW, hInternet, lpszServerName, nServerPort, lpszUserName,
                             lpszPassword, dwService, dwFlags, dwContext);
}

DWORD CWinInet::InternetErrorDlg(HWND hWnd, HINTERNET hRequest, DWORD dwError, DWORD dwFlags, LPVOID* lppvData) const
{
    return CallOr<DWORD>(ERROR_PROC_NOT_FOUND, m_pfnInternetErrorDlg, hWnd, hRequest, dwError, dwFlags, lppvData);
}

BOOL CWinInet::InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                                LPDWORD lpdwNumberOfBytesRead) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetReadFile, hFile, lpBuffer, dwNumberOfBytesToRead, lpdwNumberOfBytesRead);
}

BOOL CWinInet::InternetCrackUrlW(LPCWSTR lpszUrl, DWORD dwUrlLength, DWORD dwFlags,
                                 LPURL_COMPONENTSW lpUrlComponents) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetCrackUrlW, lpszUrl, dwUrlLength, dwFlags, lpUrlComponents);
}

HINTERNET CWinInet::InternetOpenW(LPCWSTR lpszAgent, DWORD dwAccessType, LPCWSTR lpszProxy, LPCWSTR lpszProxyBypass,
                                  DWORD dwFlags) const
{
    return CallOr<HINTERNET>(nullptr, m_pfnInternetOpenW, lpszAgent, dwAccessType, lpszProxy, lpszProxyBypass, dwFlags);
}

BOOL CWinInet::InternetSetOptionW(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetSetOptionW, hInternet, dwOption, lpBuffer, dwBufferLength);
}

HINTERNET CWinInet::FtpFindFirstFileW(HINTERNET hConnect, LPCWSTR lpszSearchFile, LPWIN32_FIND_DATAW lpFindFileData,
                                      DWORD dwFlags, DWORD_PTR dwContext) const
{
    return CallOr<HINTERNET>(nullptr, m_pfnFtpFindFirstFileW, hConnect, lpszSearchFile, lpFindFileData, dwFlags,
                             dwContext);
}

BOOL CWinInet::InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer, LPDWORD lpdwBufferLength) const
{
    return CallOr<BOOL>(FALSE, m_pfnInternetGetLastResponseInfoW, lpdwError, lpszBuffer, lpdwBufferLength);
}

CWinInet& GetWinInet()
{
    // Made on first use rather than while SuiteCore loads, so that wininet is never loaded
    // under the loader lock.
    static CWinInet s_winInet;
    return s_winInet;
}
