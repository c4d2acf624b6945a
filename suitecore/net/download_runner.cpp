// Runs the download queue under a message-only window that answers the worker's requests:
// what scripts and tools without a download dialog use.
#include "suitecore/download.h"

#include <framework/thread.h>

namespace
{
constexpr LPCWSTR kWindowClass = L"SuiteCoreDownloadAnswer";

HINSTANCE ThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       kWindowClass, &hModule);
    return hModule;
}

// Frees the text a status message carries, for messages nobody will handle.
void DropPendingMessages(HWND hWnd)
{
    MSG msg;
    while (PeekMessageW(&msg, hWnd, WM_DL_FINISHED, WM_DL_FTP_LOGIN, PM_REMOVE))
    {
        if (msg.message == WM_DL_STATUS_TEXT)
            LocalFree(reinterpret_cast<HLOCAL>(msg.lParam));
    }
}

class WindowHandle
{
public:
    explicit WindowHandle(HWND hWnd) : m_hWnd(hWnd) {}
    ~WindowHandle()
    {
        if (m_hWnd)
        {
            DropPendingMessages(m_hWnd);
            DestroyWindow(m_hWnd);
        }
    }
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};
} // namespace

CDownloadRunner::CDownloadRunner() = default;

CDownloadRunner::~CDownloadRunner() = default;

void CDownloadRunner::OnWorkerMessage(UINT, WPARAM, LPARAM) {}

BOOL CDownloadRunner::AnswerAuthentication(HINTERNET)
{
    return FALSE;
}

BOOL CDownloadRunner::AnswerFtpLogin(CDownloadLogin&)
{
    return FALSE;
}

int CDownloadRunner::AnswerFailure(BOOL)
{
    return 0;
}

BOOL CDownloadRunner::Run()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return FALSE;
    WindowHandle window(
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    if (!window.Get())
        return FALSE;
    SetWindowLongPtrW(window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_hWnd = window.Get();
    m_bFinished = FALSE;
    m_download.m_hNotifyWnd = m_hWnd;

    CWinThread* pThread = AfxBeginThread(DownloadThreadProc, &m_download, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!pThread)
    {
        m_download.m_hNotifyWnd = nullptr;
        return FALSE;
    }
    pThread->m_bAutoDelete = FALSE;
    pThread->ResumeThread();

    BOOL bQuit = FALSE;
    int nQuitCode = 0;
    MSG msg;
    while (!m_bFinished)
    {
        const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == -1)
            break;
        if (!bGot)
        {
            // Someone asked the thread to quit: end the download, then pass the request on.
            bQuit = TRUE;
            nQuitCode = static_cast<int>(msg.wParam);
            Cancel();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!m_bFinished)
        Cancel();
    WaitForSingleObject(pThread->m_hThread, INFINITE);
    delete pThread;
    m_download.m_hNotifyWnd = nullptr;
    m_hWnd = nullptr;
    if (bQuit)
        PostQuitMessage(nQuitCode);
    return m_bFinished && m_download.m_bResult;
}

LRESULT CALLBACK CDownloadRunner::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pRunner = reinterpret_cast<CDownloadRunner*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!pRunner || message < WM_DL_FINISHED || message > WM_DL_FTP_LOGIN)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    return AfxCallbackBarrier([&] { return pRunner->OnMessage(message, wParam, lParam); }, LRESULT(0));
}

LRESULT CDownloadRunner::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The worker waits on the answer event for these three: it is set whatever the observer
    // or the answer does.
    struct AnswerOnExit
    {
        HANDLE hEvent;
        bool bAnswer;
        ~AnswerOnExit()
        {
            if (bAnswer)
                SetEvent(hEvent);
        }
    } answer{m_download.m_hAnswerEvent,
             message == WM_DL_AUTH_REQUIRED || message == WM_DL_FAILED || message == WM_DL_FTP_LOGIN};
    struct FreeTextOnExit
    {
        HLOCAL hText;
        ~FreeTextOnExit() { LocalFree(hText); }
    } text{message == WM_DL_STATUS_TEXT ? reinterpret_cast<HLOCAL>(lParam) : nullptr};

    switch (message)
    {
    case WM_DL_FAILED:
        m_download.m_nAnswerCode = 0;
        break;
    case WM_DL_AUTH_REQUIRED:
    case WM_DL_FTP_LOGIN:
        m_download.m_bAnswerAccepted = FALSE;
        break;
    default:
        break;
    }
    OnWorkerMessage(message, wParam, lParam);
    switch (message)
    {
    case WM_DL_FINISHED:
        m_bFinished = TRUE;
        break;
    case WM_DL_FAILED:
        m_download.m_nAnswerCode = AnswerFailure(wParam == DL_RETRY_OFFERED);
        break;
    case WM_DL_AUTH_REQUIRED:
        m_download.m_bAnswerAccepted = AnswerAuthentication(reinterpret_cast<HINTERNET>(wParam));
        break;
    case WM_DL_FTP_LOGIN:
        m_download.m_bAnswerAccepted = AnswerFtpLogin(*reinterpret_cast<CDownloadLogin*>(lParam));
        break;
    default:
        break;
    }
    return 0;
}
