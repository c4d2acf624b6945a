// The download dialog and the queue's entry points.
#include "suitecore/download_dlg.h"

#include "download_state.h"
#include "suitecore/app.h"

#include <framework/app.h>

#include <objbase.h>

namespace
{
constexpr LPCWSTR kWindowText = L"Lumasweep Update Downloader";
constexpr LPCWSTR kCancelQuestion = L"Do you want to cancel the download?";
constexpr UINT kCancelBitmap = 1076;
constexpr int kWidth = 520;
constexpr int kHeight = 391;
constexpr int kCancelFromRight = 143;
constexpr int kCancelFromBottom = 41;
constexpr int kCancelWidth = 120;
constexpr int kCancelHeight = 28;
constexpr DWORD kStartDelay = 512;
// How often a worker that waits for an answer is answered again while the dialog ends.
constexpr DWORD kEndWorkerPoll = 100;

bool QueueHasWork()
{
    for (int i = 0; i < GetDownloadFileCount(); ++i)
    {
        const CDownloadItem* pItem = GetDownloadFile(i);
        if (pItem && !pItem->m_bDone)
            return true;
    }
    return false;
}

HWND OwnerForDownload()
{
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && ::IsWindow(pMain->m_hWnd))
        return pMain->m_hWnd;
    return ::GetDesktopWindow();
}

int AskCancelQuestion(CWnd* pParent)
{
    return ::MessageBoxW(pParent->m_hWnd, kCancelQuestion, L"", MB_YESNO | MB_ICONQUESTION);
}
} // namespace

BEGIN_MESSAGE_MAP(CDownloadDlg, CDlgBaseChildPopUpWndBase)
    ON_MESSAGE(WM_DL_FINISHED, &CDownloadDlg::OnDownloadFinished)
    ON_MESSAGE(WM_DL_AUTH_REQUIRED, &CDownloadDlg::OnAuthRequired)
    ON_MESSAGE(WM_DL_FAILED, &CDownloadDlg::OnDownloadFailed)
    ON_MESSAGE(WM_DL_FILE_PROGRESS, &CDownloadDlg::OnFileProgress)
    ON_MESSAGE(WM_DL_TOTAL_PROGRESS, &CDownloadDlg::OnTotalProgress)
    ON_MESSAGE(WM_DL_STATUS_TEXT, &CDownloadDlg::OnStatusText)
    ON_MESSAGE(WM_DL_FTP_LOGIN, &CDownloadDlg::OnFtpLogin)
    ON_COMMAND(IDOK, &CDownloadDlg::OnCancelButton)
    ON_COMMAND(IDCANCEL, &CDownloadDlg::OnCancelButton)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_LBUTTONDOWN()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDownloadDlg::CDownloadDlg(CWnd* pOwner)
    : CDlgBaseChildPopUpWndBase(suitecore::net::Options().nTemplate, pOwner),
      m_nIDTemplate(suitecore::net::Options().nTemplate),
      m_strCaption(suitecore::net::Options().title.IsEmpty() ? CString(L"File Download")
                                                             : suitecore::net::Options().title),
      m_hWndOwner(pOwner ? pOwner->m_hWnd : nullptr), m_bAsking(FALSE), m_bFinished(FALSE),
      m_pWorkerThread(nullptr)
{
    m_bOwnerWasVisible = m_hWndOwner && m_hWndOwner != ::GetDesktopWindow() && ::IsWindowVisible(m_hWndOwner);
}

CDownloadDlg::~CDownloadDlg()
{
    // A dialog that never got as far as its window may still have a worker.
    EndWorker();
    m_hNotifyWnd = nullptr;
    // A failed run leaves no partial file behind unless it is to be resumed.
    if (!m_bResult && !suitecore::net::Options().resume && m_pCurrentItem)
        ::DeleteFileW(m_pCurrentItem->m_szLocalPath);
}

BOOL CDownloadDlg::OnInitDialog()
{
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    SetWindowText(kWindowText);

    m_prgFile.Attach(::GetDlgItem(m_hWnd, IDC_DL_FILE_PROGRESS));
    m_prgTotal.Attach(::GetDlgItem(m_hWnd, IDC_DL_TOTAL_PROGRESS));
    if (g_fntSmall.GetSafeHandle())
        SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(g_fntSmall.GetSafeHandle()), TRUE, TRUE);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetForegroundWindow(m_hWnd);
    ::BringWindowToTop(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    CenterWindow();

    m_hNotifyWnd = m_hWnd;
    if (g_hAppIcon)
    {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_hAppIcon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_hAppIcon));
    }

    m_bComInitialised = SUCCEEDED(::CoInitialize(nullptr));
    ::Sleep(kStartDelay);
    if (!StartWorker())
    {
        // Nothing will ever post WM_DL_FINISHED: the run ends here, failed.
        m_bFinished = TRUE;
        EndDialog(IDOK);
    }

    if (m_btnCancel.SubclassDlgItem(IDOK, this))
    {
        ApplyTextButtonStyle(&m_btnCancel, TRUE, FALSE, TRUE);
        m_btnCancel.SetWindowText(L"Cancel");
        RECT rc{};
        GetClientRect(&rc);
        m_btnCancel.MoveWindow(rc.right - kCancelFromRight, rc.bottom - kCancelFromBottom, kCancelWidth,
                               kCancelHeight);
    }
    return TRUE;
}

BOOL CDownloadDlg::StartWorker()
{
    CWinThread* pThread = AfxBeginThread(DownloadThreadProc, static_cast<CDownload*>(this), THREAD_PRIORITY_NORMAL,
                                         0, CREATE_SUSPENDED);
    if (!pThread)
        return FALSE;
    pThread->m_bAutoDelete = FALSE;
    m_pWorkerThread = pThread;
    pThread->ResumeThread();
    return TRUE;
}

void CDownloadDlg::EndWorker()
{
    if (!m_pWorkerThread)
        return;
    if (!m_bFinished)
        CancelDownload();
    // The worker may be waiting for an answer, or about to ask for one: answer "no" until it
    // ends. The answer code stays as it is, which is never the retry code.
    for (;;)
    {
        m_bAnswerAccepted = FALSE;
        ::SetEvent(m_hAnswerEvent);
        const DWORD dwWait = AfxWaitDispatchingSent(m_pWorkerThread->m_hThread, kEndWorkerPoll);
        if (dwWait != WAIT_TIMEOUT)
            break;
    }
    delete m_pWorkerThread;
    m_pWorkerThread = nullptr;
    m_bFinished = TRUE;
}

void CDownloadDlg::DropQueuedMessages()
{
    if (!m_hWnd)
        return;
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, WM_DL_FINISHED, WM_DL_FTP_LOGIN, PM_REMOVE))
    {
        if (msg.message == WM_DL_STATUS_TEXT)
            ::LocalFree(reinterpret_cast<HLOCAL>(msg.lParam));
    }
}

void CDownloadDlg::OnOK()
{
    CancelAction();
}

void CDownloadDlg::OnCancel()
{
    CancelAction();
}

void CDownloadDlg::OnCloseRequest()
{
    CancelAction();
}

void CDownloadDlg::OnCancelButton()
{
    CancelAction();
}

void CDownloadDlg::CancelAction()
{
    if (m_bFinished)
    {
        EndDialog(IDOK);
        return;
    }
    // A second close route while the question is open adds nothing.
    if (m_bAsking)
        return;
    m_bAsking = TRUE;
    int nAnswer = IDNO;
    try
    {
        nAnswer = AskCancelQuestion(this);
    }
    catch (...)
    {
        m_bAsking = FALSE;
        throw;
    }
    m_bAsking = FALSE;
    if (m_bFinished)
    {
        EndDialog(IDOK);
        return;
    }
    if (nAnswer == IDNO)
        return;
    CancelDownload();
    for (const int nID : {IDCANCEL, IDOK})
    {
        if (HWND hControl = ::GetDlgItem(m_hWnd, nID))
            ::EnableWindow(hControl, FALSE);
    }
}

LRESULT CDownloadDlg::OnDownloadFinished(WPARAM, LPARAM)
{
    m_bFinished = TRUE;
    if (!m_bAsking)
        EndDialog(IDOK);
    return 0;
}

LRESULT CDownloadDlg::OnAuthRequired(WPARAM wParam, LPARAM)
{
    // The worker waits for the event whatever happens here.
    struct Answer
    {
        HANDLE hEvent;
        ~Answer() { ::SetEvent(hEvent); }
    } answer{m_hAnswerEvent};
    m_bAnswerAccepted = FALSE;
    const auto hRequest = reinterpret_cast<HINTERNET>(wParam);
    CWinInet& inet = GetWinInet();
    // What the server sent with its refusal must be read before the request can be sent again.
    BYTE buffer[100];
    DWORD dwRead = 0;
    while (inet.InternetReadFile(hRequest, buffer, sizeof(buffer), &dwRead) && dwRead)
        dwRead = 0;
    const DWORD dwResult =
        inet.InternetErrorDlg(m_hWnd, hRequest, ERROR_INTERNET_INCORRECT_PASSWORD,
                              FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                                  FLAGS_ERROR_UI_FLAGS_GENERATE_DATA,
                              nullptr);
    m_bAnswerAccepted = dwResult == ERROR_INTERNET_FORCE_RETRY;
    return 0;
}

LRESULT CDownloadDlg::OnDownloadFailed(WPARAM, LPARAM)
{
    // No retry is offered to the user: the answer code stays as it started, and the worker ends.
    ::SetEvent(m_hAnswerEvent);
    return 0;
}

LRESULT CDownloadDlg::OnFtpLogin(WPARAM, LPARAM)
{
    // The dialog has no log-in prompt: the log-in is declined and the pass fails.
    m_bAnswerAccepted = FALSE;
    ::SetEvent(m_hAnswerEvent);
    return 0;
}

LRESULT CDownloadDlg::OnFileProgress(WPARAM wParam, LPARAM lParam)
{
    if (m_prgFile.m_hWnd)
    {
        m_prgFile.SetRange32(0, static_cast<int>(lParam));
        m_prgFile.SetPos(static_cast<int>(wParam));
    }
    return 0;
}

LRESULT CDownloadDlg::OnTotalProgress(WPARAM wParam, LPARAM lParam)
{
    if (m_prgTotal.m_hWnd)
    {
        m_prgTotal.SetRange32(0, static_cast<int>(lParam));
        m_prgTotal.SetPos(static_cast<int>(wParam));
    }
    return 0;
}

LRESULT CDownloadDlg::OnStatusText(WPARAM wParam, LPARAM lParam)
{
    struct FreeText
    {
        HLOCAL hText;
        ~FreeText() { ::LocalFree(hText); }
    } text{reinterpret_cast<HLOCAL>(lParam)};
    if (lParam)
        ::SetDlgItemTextW(m_hWnd, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam));
    return 0;
}

void CDownloadDlg::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    if (suitecore::net::Options().hidden)
        lpwndpos->flags &= ~SWP_SHOWWINDOW;
    CDlgBaseChildPopUpWndBase::OnWindowPosChanging(lpwndpos);
}

void CDownloadDlg::OnLButtonDown(UINT, CPoint point)
{
    POINT screen = point;
    ClientToScreen(&screen);
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    HandlerResult();
}

void CDownloadDlg::OnDestroy()
{
    // The worker posts to this window and answers through this object: it ends first.
    EndWorker();
    DropQueuedMessages();
    m_hNotifyWnd = nullptr;
    m_prgFile.Detach();
    m_prgTotal.Detach();
    if (m_bOwnerWasVisible && ::IsWindow(m_hWndOwner))
        ::ShowWindow(m_hWndOwner, SW_SHOW);
    if (m_bComInitialised)
    {
        ::CoUninitialize();
        m_bComInitialised = FALSE;
    }
    CDlgBaseChildPopUpWndBase::OnDestroy();
}

BOOL DownloadQueuedFiles()
{
    if (!QueueHasWork())
        return TRUE;
    try
    {
        CDownloadDlg dialog(CWnd::FromHandle(OwnerForDownload()));
        dialog.DoModal();
        return dialog.m_bFinished && dialog.m_bResult;
    }
    catch (...)
    {
        return FALSE;
    }
}

BOOL IsInternetConnected()
{
    CWinInet& inet = GetWinInet();
    // Without the function nothing can be told: count the machine as connected.
    if (!inet.m_pfnInternetGetConnectedState)
        return TRUE;
    DWORD dwFlags = 0;
    if (!inet.InternetGetConnectedState(&dwFlags, 0))
        return FALSE;
    return (dwFlags & (INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN)) != 0;
}
