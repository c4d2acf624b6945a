// The download dialog: the window under which the download queue runs. It starts the worker,
// shows its texts and two progress bars, answers its requests and lets the user cancel.
#pragma once

#include "download.h"
#include "ui/basewnd.h"
#include "ui/buttons.h"

#include <framework/controls.h>
#include <framework/thread.h>

constexpr UINT IDD_DOWNLOAD = 1283;
constexpr UINT IDC_DL_FILE_PROGRESS = 1232;  // the current file
constexpr UINT IDC_DL_TOTAL_PROGRESS = 1233; // all files

// The dialog object is the worker's CDownload. It ends only after the worker has posted
// WM_DL_FINISHED, and never goes away while the worker runs.
class SUITECORE_API CDownloadDlg : public CDlgBaseChildPopUpWndBase, public CDownload
{
public:
    explicit CDownloadDlg(CWnd* pOwner);
    ~CDownloadDlg() override;

    BOOL OnInitDialog() override;
    // Enter, Escape and every close route end in the cancel action.
    void OnOK() override;
    void OnCancel() override;
    void OnCloseRequest() override;
    // Asks whether to cancel and, on Yes, cancels the download; closes the dialog when the
    // worker has already ended.
    virtual void CancelAction();

    LRESULT OnDownloadFinished(WPARAM wParam, LPARAM lParam);
    LRESULT OnAuthRequired(WPARAM wParam, LPARAM lParam);
    LRESULT OnDownloadFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnFileProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnTotalProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnStatusText(WPARAM wParam, LPARAM lParam);
    LRESULT OnFtpLogin(WPARAM wParam, LPARAM lParam);
    void OnCancelButton();
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnDestroy();

    UINT m_nIDTemplate;
    CString m_strCaption; // kept, not displayed
    HWND m_hWndOwner;
    BOOL m_bAsking;   // the cancel question is on screen
    BOOL m_bFinished; // the worker has posted WM_DL_FINISHED
    CWinThread* m_pWorkerThread;
    CHoverButtonWithText m_btnCancel;
    CProgressCtrl m_prgFile;
    CProgressCtrl m_prgTotal;

protected:
    // Starts the worker on this object's CDownload part; false when no thread can be made.
    BOOL StartWorker();
    // Cancels a worker that still runs, answers whatever it waits for, and waits for its end
    // while delivering what other threads send to this thread.
    void EndWorker();
    // Frees the texts of worker messages still queued for the window.
    void DropQueuedMessages();

    BOOL m_bOwnerWasVisible = FALSE;
    BOOL m_bComInitialised = FALSE;

    DECLARE_MESSAGE_MAP()
};
