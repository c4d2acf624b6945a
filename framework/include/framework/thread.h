// Worker threads started the framework's way.
#pragma once

#include "object.h"

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class FRAMEWORK_API CWinThread : public CObject
{
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread();
    DWORD SuspendThread();
    BOOL SetThreadPriority(int nPriority);
    int GetThreadPriority();
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // True (the default): the object deletes itself when the thread ends. Set it to false,
    // with the thread created suspended, to wait on m_hThread and delete the object yourself.
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall ThreadEntry(void* pThis);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// The exit code of a worker whose function ended with an exception.
constexpr UINT AFX_THREAD_EXCEPTION_EXIT_CODE = 0xFFFFFFFE;

// Starts pfnThreadProc(pParam) on a new thread with the given priority and stack size; it
// runs at once unless dwCreateFlags holds CREATE_SUSPENDED. An exception that escapes the
// function is caught at the thread's entry. Null when the thread cannot be created.
FRAMEWORK_API CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                         int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                         DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Waits for hObject like WaitForSingleObject, but keeps dispatching the messages that other
// threads send to this thread's windows meanwhile. A worker that sends to a window of the
// waiting thread (a control's progress, an animation) would otherwise deadlock the wait.
// Posted and input messages stay queued. Returns WAIT_OBJECT_0, WAIT_ABANDONED_0,
// WAIT_TIMEOUT or WAIT_FAILED (with the last error set).
FRAMEWORK_API DWORD AfxWaitDispatchingSent(HANDLE hObject, DWORD dwMilliseconds = INFINITE);
