// The downloader's process-wide state inside SuiteCore: the options, the shared Internet
// session and the download lock that guards it, and the queue.
#pragma once

#include "suitecore/download.h"

namespace suitecore::net
{
struct DownloadOptions
{
    bool resume = true;    // continue partial HTTP files from their length
    bool noFtpSize = true; // do not ask FTP servers for sizes
    bool hidden = false;
    bool debug = false;
    UINT nTemplate = 1283;
    CString title;
    CString label;
    CString description;
    CString language;
};

DownloadOptions& Options();

// The download lock: held while the session is opened, while connecting and opening a
// request, and while handles are closed, so that a cancel from the window's thread closes
// the handles that the worker uses.
CRITICAL_SECTION& DownloadLock();

class DownloadLockGuard
{
public:
    DownloadLockGuard() { EnterCriticalSection(&DownloadLock()); }
    ~DownloadLockGuard() { LeaveCriticalSection(&DownloadLock()); }
    DownloadLockGuard(const DownloadLockGuard&) = delete;
    DownloadLockGuard& operator=(const DownloadLockGuard&) = delete;
};

// The one Internet session of the process; read and written under the download lock.
HINTERNET& SessionHandle();

// Closes a handle under the download lock and sets it to null, so that nobody closes it twice.
void CloseHandleLocked(HINTERNET& hInternet);
} // namespace suitecore::net
