// The download queue, the options and the shared session.
#include "download_state.h"

#include <new>

namespace suitecore::net
{
namespace
{
// A growable array of item pointers whose capacity doubles from 1.
class DownloadQueue
{
public:
    ~DownloadQueue() { Clear(); }

    bool Add(CDownloadItem* pItem)
    {
        if (m_nCount == m_nCapacity)
        {
            const int nCapacity = m_nCapacity ? m_nCapacity * 2 : 1;
            auto** ppItems = new (std::nothrow) CDownloadItem*[nCapacity];
            if (!ppItems)
                return false;
            for (int i = 0; i < m_nCount; ++i)
                ppItems[i] = m_ppItems[i];
            delete[] m_ppItems;
            m_ppItems = ppItems;
            m_nCapacity = nCapacity;
        }
        m_ppItems[m_nCount++] = pItem;
        return true;
    }

    void Clear()
    {
        for (int i = 0; i < m_nCount; ++i)
            delete m_ppItems[i];
        delete[] m_ppItems;
        m_ppItems = nullptr;
        m_nCount = m_nCapacity = 0;
    }

    int Count() const { return m_nCount; }
    CDownloadItem* At(int nIndex) const { return nIndex >= 0 && nIndex < m_nCount ? m_ppItems[nIndex] : nullptr; }

private:
    CDownloadItem** m_ppItems = nullptr;
    int m_nCount = 0;
    int m_nCapacity = 0;
};

DownloadQueue& Queue()
{
    static DownloadQueue s_queue;
    return s_queue;
}

struct Lock
{
    Lock() { InitializeCriticalSectionAndSpinCount(&section, 1000); }
    ~Lock() { DeleteCriticalSection(&section); }
    CRITICAL_SECTION section;
};

bool Fits(LPCWSTR lpszText)
{
    return lpszText && wcslen(lpszText) < CDownloadItem::kTextChars;
}

bool IsTrue(LPCWSTR lpszValue, LPCWSTR lpszTrue)
{
    return lpszValue && _wcsicmp(lpszValue, lpszTrue) == 0;
}
} // namespace

DownloadOptions& Options()
{
    static DownloadOptions s_options;
    return s_options;
}

CRITICAL_SECTION& DownloadLock()
{
    static Lock s_lock;
    return s_lock.section;
}

HINTERNET& SessionHandle()
{
    static HINTERNET s_hSession = nullptr;
    return s_hSession;
}

void CloseHandleLocked(HINTERNET& hInternet)
{
    DownloadLockGuard lock;
    if (hInternet)
    {
        GetWinInet().InternetCloseHandle(hInternet);
        hInternet = nullptr;
    }
}
} // namespace suitecore::net

using namespace suitecore::net;

BOOL AddDownloadFile(LPCWSTR lpszSource, LPCWSTR lpszLocalPath)
{
    // The addresses may come from files fetched off the network: what does not fit is refused
    // whole rather than cut.
    if (!Fits(lpszSource) || !Fits(lpszLocalPath))
        return FALSE;
    auto* pItem = new (std::nothrow) CDownloadItem();
    if (!pItem)
        return FALSE;
    wcscpy(pItem->m_szSource, lpszSource);
    wcscpy(pItem->m_szLocalPath, lpszLocalPath);
    if (!Queue().Add(pItem))
    {
        delete pItem;
        return FALSE;
    }
    return TRUE;
}

void ClearDownloadFiles()
{
    Queue().Clear();
}

int GetDownloadFileCount()
{
    return Queue().Count();
}

CDownloadItem* GetDownloadFile(int nIndex)
{
    return Queue().At(nIndex);
}

int SetDownloadOption(LPCWSTR lpszName, LPCWSTR lpszValue)
{
    if (!lpszName)
        return 0;
    DownloadOptions& options = Options();
    const CString value = lpszValue ? lpszValue : L"";
    if (_wcsicmp(lpszName, L"noftpsize") == 0)
        options.noFtpSize = IsTrue(lpszValue, L"true");
    else if (_wcsicmp(lpszName, L"resume") == 0)
        options.resume = IsTrue(lpszValue, L"true");
    else if (_wcsicmp(lpszName, L"hidden") == 0)
        options.hidden = IsTrue(lpszValue, L"1");
    else if (_wcsicmp(lpszName, L"debug") == 0)
        options.debug = IsTrue(lpszValue, L"true");
    else if (_wcsicmp(lpszName, L"simple") == 0)
        options.nTemplate = 1283;
    else if (_wcsicmp(lpszName, L"title") == 0)
        options.title = value;
    else if (_wcsicmp(lpszName, L"label") == 0)
        options.label = value;
    else if (_wcsicmp(lpszName, L"description") == 0)
        options.description = value;
    else if (_wcsicmp(lpszName, L"language") == 0)
        options.language = value;
    else
        return 0;
    return 1;
}
