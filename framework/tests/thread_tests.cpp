#include <framework/exception.h>
#include <framework/msgbox.h>
#include <framework/module.h>
#include <framework/thread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace
{
struct Work
{
    HANDLE done;
    int priority = 0;
    DWORD threadId = 0;
};

UINT Record(LPVOID p)
{
    auto* work = static_cast<Work*>(p);
    work->priority = GetThreadPriority(GetCurrentThread());
    work->threadId = GetCurrentThreadId();
    SetEvent(work->done);
    return 7;
}

UINT ThrowFramework(LPVOID) { AfxThrowNotSupportedException(); }
UINT ThrowStd(LPVOID) { throw std::runtime_error("escaped"); }

DWORD RunKept(AFX_THREADPROC fn, LPVOID param)
{
    CWinThread* t = AfxBeginThread(fn, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    EXPECT_NE(nullptr, t);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t->m_hThread, 10000));
    DWORD code = 0;
    GetExitCodeThread(t->m_hThread, &code);
    delete t;
    return code;
}
} // namespace

TEST(AfxBeginThreadTest, RunsTheFunctionWithItsParameterAndPriority)
{
    Work work{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CWinThread* t = AfxBeginThread(Record, &work, THREAD_PRIORITY_BELOW_NORMAL);
    ASSERT_NE(nullptr, t);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(work.done, 10000));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, work.priority);
    EXPECT_NE(GetCurrentThreadId(), work.threadId);
    CloseHandle(work.done);

    Work kept{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    EXPECT_EQ(7u, RunKept(Record, &kept));
    CloseHandle(kept.done);
}

TEST(AfxBeginThreadTest, ExceptionsEndTheThreadNotTheProcess)
{
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, RunKept(ThrowFramework, nullptr));
    EXPECT_EQ(AFX_THREAD_EXCEPTION_EXIT_CODE, RunKept(ThrowStd, nullptr));
}

namespace
{
struct BoxSeen
{
    wchar_t title[128] = {};
    wchar_t text[256] = {};
    std::atomic<bool> found{false};
};

// The first dialog of this process; other tests' dialogs may be up in the same session.
HWND FindOwnDialog()
{
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr))
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        if (pid == GetCurrentProcessId())
            return box;
    }
    return nullptr;
}

// Finds the message box of this process, reads it and presses its default button.
UINT AnswerMessageBox(LPVOID p)
{
    auto* seen = static_cast<BoxSeen*>(p);
    for (int i = 0; i < 500 && !seen->found; ++i)
    {
        if (HWND box = FindOwnDialog())
        {
            GetWindowTextW(box, seen->title, 128);
            GetDlgItemTextW(box, 0xFFFF, seen->text, 256);
            seen->found = true;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            break;
        }
        Sleep(20);
    }
    return 0;
}
} // namespace

TEST(AfxMessageBoxTest, ShowsTheTextUnderTheApplicationsTitle)
{
    AfxGetAppModuleState()->m_lpszCurrentAppName = L"Framework Test App";
    BoxSeen seen;
    AfxBeginThread(AnswerMessageBox, &seen);
    EXPECT_EQ(IDOK, AfxMessageBox(L"Something to say", MB_OK | MB_ICONINFORMATION));
    AfxGetAppModuleState()->m_lpszCurrentAppName = nullptr;
    ASSERT_TRUE(seen.found);
    EXPECT_STREQ(L"Framework Test App", seen.title);
    EXPECT_STREQ(L"Something to say", seen.text);
}

namespace
{
struct SendingWork
{
    HWND target;
    LRESULT sendResult = 0;
};

UINT SendThenPost(LPVOID p)
{
    auto* work = static_cast<SendingWork*>(p);
    work->sendResult = SendMessageW(work->target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent"));
    PostMessageW(work->target, WM_APP, 0, 0);
    return 0;
}
} // namespace

// The worker's send would deadlock a plain wait; the posted message must survive the wait.
TEST(AfxWaitDispatchingSentTest, DeliversSentMessagesAndLeavesPostedOnes)
{
    HWND target = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, target);
    SendingWork work{target};
    CWinThread* t = AfxBeginThread(SendThenPost, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();

    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitDispatchingSent(t->m_hThread, 30000));
    EXPECT_EQ(TRUE, work.sendResult);
    wchar_t text[16] = {};
    GetWindowTextW(target, text, 16);
    EXPECT_STREQ(L"sent", text);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, target, WM_APP, WM_APP, PM_REMOVE));
    delete t;
    DestroyWindow(target);
}

TEST(AfxWaitDispatchingSentTest, TimesOutAndReportsInvalidHandles)
{
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WAIT_TIMEOUT, AfxWaitDispatchingSent(never, 50));
    CloseHandle(never);
    EXPECT_EQ(WAIT_FAILED, AfxWaitDispatchingSent(nullptr, 50));
}
