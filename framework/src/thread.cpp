#include "framework/thread.h"

#include "framework/exception.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CObject)

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::ThreadEntry(void* pThis)
{
    auto* thread = static_cast<CWinThread*>(pThis);
    // The creator resumes the thread only after CreateThread returned, so the object's
    // members are complete here.
    const UINT exitCode = AfxCallbackBarrier([thread] { return thread->m_pfnThreadProc(thread->m_pThreadParams); },
                                             AFX_THREAD_EXCEPTION_EXIT_CODE);
    if (thread->m_bAutoDelete)
        delete thread;
    return exitCode;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    unsigned id = 0;
    const uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                       dwCreateFlags | CREATE_SUSPENDED, &id);
    if (h == 0)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!pfnThreadProc)
        AfxThrowInvalidArgException();
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

DWORD AfxWaitDispatchingSent(HANDLE hObject, DWORD dwMilliseconds)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        DWORD remaining = INFINITE;
        if (dwMilliseconds != INFINITE)
        {
            const DWORD elapsed = GetTickCount() - start;
            remaining = elapsed >= dwMilliseconds ? 0 : dwMilliseconds - elapsed;
        }
        const DWORD rc = MsgWaitForMultipleObjects(1, &hObject, FALSE, remaining, QS_SENDMESSAGE);
        if (rc != WAIT_OBJECT_0 + 1)
            return rc;
        // Peeking delivers every pending sent message; nothing posted is removed.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
