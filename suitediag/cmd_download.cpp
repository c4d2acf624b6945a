// SuiteDiag download: runs the download queue without a dialog and prints every message the
// worker posts as a readable line; with --dialog it runs the queue under the download dialog
// instead, inside SuiteDiag's tool host.
#include "command.h"
#include "tool_host.h"

#include <suitecore/download.h>

namespace
{
LPCWSTR ControlName(UINT nControl)
{
    switch (nControl)
    {
    case IDC_DL_STATUS:
        return L"status";
    case IDC_DL_CURRENT_FILE:
        return L"file";
    case IDC_DL_SPEED:
        return L"speed";
    case IDC_DL_FILE_AMOUNT:
        return L"file amount";
    case IDC_DL_TOTAL_AMOUNT:
        return L"total amount";
    case IDC_DL_ELAPSED:
        return L"elapsed";
    case IDC_DL_REMAINING:
        return L"remaining";
    default:
        return L"text";
    }
}

// Prints the messages; declines authentication and FTP log-in, and answers a failed pass
// with "no retry".
class PrintingRunner : public CDownloadRunner
{
protected:
    void OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_DL_STATUS_TEXT:
            suitediag::OutFormat(L"%s: %s\n", ControlName(static_cast<UINT>(wParam)),
                                 reinterpret_cast<LPCWSTR>(lParam));
            break;
        case WM_DL_FILE_PROGRESS:
            suitediag::OutFormat(L"file progress: %u of %ld\n", static_cast<UINT>(wParam), static_cast<long>(lParam));
            break;
        case WM_DL_TOTAL_PROGRESS:
            suitediag::OutFormat(L"total progress: %u of %ld\n", static_cast<UINT>(wParam), static_cast<long>(lParam));
            break;
        case WM_DL_AUTH_REQUIRED:
            suitediag::OutLine(L"authentication required: declined");
            break;
        case WM_DL_FTP_LOGIN:
            suitediag::OutLine(L"FTP log-in refused: declined");
            break;
        case WM_DL_FAILED:
            suitediag::OutFormat(L"failed%s: answered no retry\n",
                                 wParam == DL_RETRY_OFFERED ? L" (retry offered)" : L"");
            break;
        case WM_DL_FINISHED:
            suitediag::OutLine(L"finished");
            break;
        default:
            break;
        }
    }
};

int RunDownload(suitediag::Args& args)
{
    bool bDialog = false;
    bool bHidden = false;
    bool bNoResume = false;
    for (bool bTaken = true; bTaken;)
    {
        bTaken = false;
        if (args.TakeOption(L"--dialog"))
            bTaken = bDialog = true;
        if (args.TakeOption(L"--hidden"))
            bTaken = bHidden = true;
        if (args.TakeOption(L"--no-resume"))
            bTaken = bNoResume = true;
    }
    if (bHidden && !bDialog)
        throw suitediag::UsageError{L"--hidden needs --dialog"};
    const std::vector<CString> pairs = args.Rest();
    if (pairs.empty() || pairs.size() % 2 != 0)
        throw suitediag::UsageError{L"give the files as URL FILE pairs"};

    SetDownloadOption(L"resume", bNoResume ? L"false" : L"true");
    ClearDownloadFiles();
    for (size_t i = 0; i < pairs.size(); i += 2)
    {
        if (!AddDownloadFile(pairs[i], pairs[i + 1]))
        {
            suitediag::ErrFormat(L"SuiteDiag download: cannot queue %s (an address or a path that long is refused)\n",
                                 pairs[i].GetString());
            return 1;
        }
    }

    DWORD dwError = 0;
    if (bDialog)
    {
        SetDownloadOption(L"hidden", bHidden ? L"1" : L"0");
        suitediag::RunInToolHost(false, [](BOOL) { return DownloadQueuedFiles() ? 0 : 1; });
    }
    else
    {
        PrintingRunner runner;
        runner.Run();
        dwError = runner.GetDownload().GetLastPassError();
    }
    int nDone = 0;
    for (int i = 0; i < GetDownloadFileCount(); ++i)
        nDone += GetDownloadFile(i)->m_bDone ? 1 : 0;
    suitediag::OutFormat(L"done: %d of %d\n", nDone, GetDownloadFileCount());
    const bool bAllDone = nDone == GetDownloadFileCount();
    ClearDownloadFiles();
    if (!bAllDone)
    {
        // The WinInet code tells a refused certificate from a refused connection.
        if (dwError)
            suitediag::ErrFormat(L"SuiteDiag download: the last pass failed with error %u\n",
                                 static_cast<UINT>(dwError));
        suitediag::ErrLine(L"SuiteDiag download: not every file was downloaded");
        return 1;
    }
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(download, L"download", L"[--dialog [--hidden]] [--no-resume] URL FILE [URL FILE ...]",
                  L"Downloads files over HTTP, HTTPS or FTP, printing the worker's messages (--dialog: under the "
                  L"download dialog)",
                  RunDownload);
