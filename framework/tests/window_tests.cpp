#include "window_test_resources.h"

#include <framework/dialog.h>
#include <framework/exception.h>
#include <framework/module.h>
#include <framework/thread.h>
#include <framework/window.h>

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace
{
const UINT WM_PING = WM_APP + 1;
const UINT WM_BASE_ONLY = WM_APP + 2;
const UINT WM_THROW_STD = WM_APP + 3;
const UINT WM_THROW_FRAMEWORK = WM_APP + 4;
const UINT g_registeredPing = RegisterWindowMessageW(L"FrameworkWindowTests.Ping");

// A window that records what its message map delivered.
class CProbeWnd : public CWnd
{
public:
    int m_nCreates = 0;
    bool m_bDestroyed = false;
    bool m_bPostNcDestroy = false;
    std::vector<UINT> m_commands;
    UINT m_nLastNotifyCode = 0;

    LRESULT OnPing(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    LRESULT OnBaseOnly(WPARAM, LPARAM) { return 77; }
    LRESULT OnThrowStd(WPARAM, LPARAM) { throw std::runtime_error("escaped a handler"); }
    LRESULT OnThrowFramework(WPARAM, LPARAM) { AfxThrowNotSupportedException(); }
    LRESULT OnRegisteredPing(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 2); }
    void OnFirst() { m_commands.push_back(10); }
    void OnRange(UINT nID) { m_commands.push_back(nID); }
    void OnChange() { m_commands.push_back(EN_CHANGE); }
    void OnItemNotify(NMHDR* pHdr, LRESULT* pResult)
    {
        m_nLastNotifyCode = pHdr->code;
        *pResult = 1234;
    }

protected:
    int OnCreate(LPCREATESTRUCTW lpCreateStruct)
    {
        ++m_nCreates;
        return CWnd::OnCreate(lpCreateStruct);
    }
    void OnDestroy()
    {
        m_bDestroyed = true;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_PING, &CProbeWnd::OnPing)
    ON_MESSAGE(WM_BASE_ONLY, &CProbeWnd::OnBaseOnly)
    ON_MESSAGE(WM_THROW_STD, &CProbeWnd::OnThrowStd)
    ON_MESSAGE(WM_THROW_FRAMEWORK, &CProbeWnd::OnThrowFramework)
    ON_REGISTERED_MESSAGE(g_registeredPing, &CProbeWnd::OnRegisteredPing)
    ON_COMMAND(10, &CProbeWnd::OnFirst)
    ON_COMMAND_RANGE(20, 29, &CProbeWnd::OnRange)
    ON_CONTROL(EN_CHANGE, 30, &CProbeWnd::OnChange)
    ON_NOTIFY(NM_CLICK, 40, &CProbeWnd::OnItemNotify)
END_MESSAGE_MAP()

// A derived map answers one message differently and inherits the rest.
class CDerivedProbeWnd : public CProbeWnd
{
public:
    LRESULT OnPingDerived(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(1000 + wParam); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbeWnd, CProbeWnd)
    ON_MESSAGE(WM_PING, &CDerivedProbeWnd::OnPingDerived)
END_MESSAGE_MAP()

BOOL CreateProbe(CWnd& wnd)
{
    return wnd.CreateEx(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr);
}
} // namespace

TEST(CWndTest, CreateExBindsTheWindowFromItsFirstMessageUntilItsLast)
{
    CProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd));
    const HWND hWnd = wnd.m_hWnd;
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(1, wnd.m_nCreates);
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(hWnd));
    EXPECT_EQ(&wnd, CWnd::FromHandle(hWnd));
    // Unhandled messages reach the window's own procedure.
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(L"probe", text);
    wnd.SetWindowText(L"renamed");
    EXPECT_EQ(7, wnd.GetWindowTextLength());

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.m_bDestroyed);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(CWndTest, TheMessageMapRoutesMessagesCommandsAndNotifications)
{
    CProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd));
    EXPECT_EQ(5, wnd.SendMessage(WM_PING, 2, 3));
    EXPECT_EQ(14, wnd.SendMessage(g_registeredPing, 7));

    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, 0), 0);               // menu command
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), 0x1234); // button click, same code
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, 1), 0);               // accelerator
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(24, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(30, EN_CHANGE), 0x1234);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(30, EN_KILLFOCUS), 0x1234); // no entry for this code
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(31, 0), 0);                 // no entry for this id
    EXPECT_EQ((std::vector<UINT>{10, 10, 10, 24, EN_CHANGE}), wnd.m_commands);

    NMHDR hdr{wnd.m_hWnd, 40, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(1234, wnd.SendMessage(WM_NOTIFY, 40, reinterpret_cast<LPARAM>(&hdr)));
    EXPECT_EQ(static_cast<UINT>(NM_CLICK), wnd.m_nLastNotifyCode);
    NMHDR other{wnd.m_hWnd, 41, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(0, wnd.SendMessage(WM_NOTIFY, 41, reinterpret_cast<LPARAM>(&other)));
    wnd.DestroyWindow();
}

TEST(CWndTest, ADerivedMapOverridesItsBaseAndInheritsTheRest)
{
    CDerivedProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd));
    EXPECT_EQ(1, wnd.m_nCreates);
    EXPECT_EQ(1002, wnd.SendMessage(WM_PING, 2, 3));
    EXPECT_EQ(77, wnd.SendMessage(WM_BASE_ONLY));
    wnd.DestroyWindow();
    EXPECT_TRUE(wnd.m_bDestroyed);
}

TEST(CWndTest, AnExceptionInAHandlerEndsTheMessageNotTheProcess)
{
    CProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_THROW_STD));
    EXPECT_EQ(0, wnd.SendMessage(WM_THROW_FRAMEWORK));
    EXPECT_EQ(5, wnd.SendMessage(WM_PING, 2, 3));
    wnd.DestroyWindow();
}

TEST(CWndTest, UnboundWindowsGetTemporaryObjectsThatNeverDestroyThem)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    CWnd* pTemp = CWnd::FromHandle(hWnd);
    ASSERT_NE(nullptr, pTemp);
    EXPECT_EQ(hWnd, pTemp->m_hWnd);
    EXPECT_EQ(pTemp, CWnd::FromHandle(hWnd));
    CString text;
    pTemp->GetWindowText(text);
    EXPECT_STREQ(L"plain", text);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    DestroyWindow(hWnd);
}

TEST(CWndTest, SubclassingAnExistingWindowRoutesItUntilUnsubclassed)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    const LONG_PTR original = GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    {
        CProbeWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(hWnd));
        EXPECT_FALSE(wnd.SubclassWindow(hWnd)); // already bound
        EXPECT_EQ(9, SendMessageW(hWnd, WM_PING, 4, 5));
        EXPECT_EQ(hWnd, wnd.UnsubclassWindow());
        EXPECT_EQ(original, GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
        EXPECT_EQ(0, SendMessageW(hWnd, WM_PING, 4, 5));
    }
    EXPECT_TRUE(IsWindow(hWnd)); // the unbound object left the window alone
    DestroyWindow(hWnd);
}

TEST(CWndTest, DeletingTheObjectDestroysAWindowStillBoundToIt)
{
    HWND hWnd = nullptr;
    {
        CProbeWnd wnd;
        ASSERT_TRUE(CreateProbe(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

namespace
{
// A dialog whose steps are scripted by the test: what OnInitDialog and the Press button do.
class CTestDialog : public CDialog
{
public:
    explicit CTestDialog(CWnd* pParent = nullptr) : CDialog(IDD_TEST_DIALOG, pParent) {}

    std::function<void(CTestDialog&)> m_onInit;
    std::function<void(CTestDialog&)> m_onPress;
    bool m_bInitialised = false;
    int m_nPresses = 0;
    bool m_bRefuseOK = false;
    int m_nRefusedOK = 0;
    std::vector<UINT> m_pretranslated;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_bInitialised = true;
        if (m_onInit)
            m_onInit(*this);
        return TRUE;
    }

    void OnOK() override
    {
        if (m_bRefuseOK)
        {
            ++m_nRefusedOK;
            return;
        }
        CDialog::OnOK();
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            m_pretranslated.push_back(static_cast<UINT>(pMsg->wParam));
        return CDialog::PreTranslateMessage(pMsg);
    }

    void OnPress()
    {
        ++m_nPresses;
        if (m_onPress)
            m_onPress(*this);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_BN_CLICKED(IDC_TEST_PRESS, &CTestDialog::OnPress)
END_MESSAGE_MAP()

void Post(CWnd& wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    EXPECT_TRUE(wnd.PostMessage(message, wParam, lParam));
}

void PostToItem(CWnd& dlg, int nID, UINT message, WPARAM wParam = 0)
{
    EXPECT_TRUE(PostMessageW(GetDlgItem(dlg.m_hWnd, nID), message, wParam, 0));
}
} // namespace

TEST(CDialogTest, DoModalInitialisesTheControlsAndEndsWithOK)
{
    CString label, edit;
    UINT number = 0;
    BOOL translated = FALSE;
    UINT checked = 0;
    int itemId = 0;
    CTestDialog dlg;
    dlg.m_onInit = [&](CTestDialog& d)
    {
        d.GetDlgItemText(IDC_TEST_LABEL, label);
        d.SetDlgItemText(IDC_TEST_EDIT, L"hello");
        d.GetDlgItemText(IDC_TEST_EDIT, edit);
        d.SetDlgItemInt(IDC_TEST_EDIT, static_cast<UINT>(-42), TRUE);
        number = d.GetDlgItemInt(IDC_TEST_EDIT, &translated, TRUE);
        d.CheckDlgButton(IDC_TEST_CHECK, BST_CHECKED);
        checked = d.IsDlgButtonChecked(IDC_TEST_CHECK);
        itemId = d.GetDlgItem(IDC_TEST_CHECK)->GetDlgCtrlID();
        Post(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(dlg.m_bInitialised);
    EXPECT_STREQ(L"Label", label);
    EXPECT_STREQ(L"hello", edit);
    EXPECT_EQ(static_cast<UINT>(-42), number);
    EXPECT_TRUE(translated);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), checked);
    EXPECT_EQ(IDC_TEST_CHECK, itemId);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(CDialogTest, ButtonsKeysAndTheCloseBoxEndTheDialogTheirWay)
{
    {
        CTestDialog dlg;
        dlg.m_onInit = [](CTestDialog& d)
        {
            PostToItem(d, IDC_TEST_PRESS, BM_CLICK);
            PostToItem(d, IDCANCEL, BM_CLICK);
        };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(1, dlg.m_nPresses);
    }
    {
        CTestDialog dlg;
        dlg.m_onInit = [](CTestDialog& d) { PostToItem(d, IDC_TEST_EDIT, WM_KEYDOWN, VK_ESCAPE); };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(std::vector<UINT>{VK_ESCAPE}, dlg.m_pretranslated); // seen before the dialog manager
    }
    {
        CTestDialog dlg;
        dlg.m_onInit = [](CTestDialog& d) { PostToItem(d, IDC_TEST_EDIT, WM_KEYDOWN, VK_RETURN); };
        EXPECT_EQ(IDOK, dlg.DoModal()); // Enter presses the default button
    }
    {
        CTestDialog dlg;
        dlg.m_onInit = [](CTestDialog& d) { Post(d, WM_CLOSE); };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
    }
}

TEST(CDialogTest, HandlersDecideWhenAndHowTheDialogEnds)
{
    CTestDialog dlg;
    dlg.m_bRefuseOK = true;
    dlg.m_onInit = [](CTestDialog& d)
    {
        PostToItem(d, IDOK, BM_CLICK);
        Post(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        PostToItem(d, IDC_TEST_PRESS, BM_CLICK);
        PostToItem(d, IDC_TEST_PRESS, BM_CLICK);
    };
    dlg.m_onPress = [](CTestDialog& d)
    {
        if (d.m_nPresses == 1)
            throw std::runtime_error("the first press fails"); // the dialog goes on
        d.EndDialog(42);
    };
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_EQ(2, dlg.m_nRefusedOK);
    EXPECT_EQ(2, dlg.m_nPresses);
}

TEST(CDialogTest, TheOwnerIsDisabledWhileTheDialogRunsAndEnabledAfter)
{
    CProbeWnd owner;
    ASSERT_TRUE(CreateProbe(owner));
    HWND hChild =
        CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 5, 5, owner.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hChild);

    BOOL ownerEnabled = TRUE;
    HWND dialogOwner = nullptr;
    CTestDialog dlg(CWnd::FromHandle(hChild)); // a child cannot own a pop-up: its top-level window does
    dlg.m_onInit = [&](CTestDialog& d)
    {
        ownerEnabled = owner.IsWindowEnabled();
        dialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        Post(d, WM_COMMAND, IDCANCEL);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(owner.m_hWnd, dialogOwner);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

namespace
{
// A top-level window of another thread, which answers its messages while the object lives.
class OtherThreadWindow
{
public:
    OtherThreadWindow()
    {
        std::promise<HWND> created;
        m_thread = std::thread(
            [this, &created]
            {
                HWND hWnd = CreateWindowExW(0, L"STATIC", L"other thread", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                            nullptr, nullptr);
                m_threadId = GetCurrentThreadId();
                created.set_value(hWnd);
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                    DispatchMessageW(&msg);
                DestroyWindow(hWnd);
            });
        m_hWnd = created.get_future().get();
    }
    ~OtherThreadWindow()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    OtherThreadWindow(const OtherThreadWindow&) = delete;
    OtherThreadWindow& operator=(const OtherThreadWindow&) = delete;

    HWND m_hWnd = nullptr;

private:
    DWORD m_threadId = 0;
    std::thread m_thread;
};
} // namespace

TEST(CDialogTest, TheDesktopAndOtherThreadsWindowsAreNeverDisabled)
{
    const OtherThreadWindow other;
    ASSERT_NE(nullptr, other.m_hWnd);
    const HWND parents[] = {GetDesktopWindow(), other.m_hWnd};
    for (HWND parent : parents)
    {
        SCOPED_TRACE(parent == other.m_hWnd ? "another thread's window" : "the desktop");
        ASSERT_TRUE(IsWindowEnabled(parent));
        BOOL enabledWhileRunning = FALSE;
        CTestDialog dlg(CWnd::FromHandle(parent));
        dlg.m_onInit = [&](CTestDialog& d)
        {
            enabledWhileRunning = IsWindowEnabled(parent);
            Post(d, WM_COMMAND, IDCANCEL);
        };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_TRUE(enabledWhileRunning);
        EXPECT_TRUE(IsWindowEnabled(parent));
    }
}

namespace
{
struct WorkerModal
{
    HWND hOwner = nullptr;
    HWND hDialogOwner = nullptr;
    DWORD dialogThread = 0;
    BOOL ownerEnabledMeanwhile = FALSE;
    INT_PTR result = 0;
};

UINT __cdecl RunDialogOnWorker(LPVOID pParam)
{
    auto& job = *static_cast<WorkerModal*>(pParam);
    CTestDialog dlg(CWnd::FromHandle(job.hOwner));
    dlg.m_onInit = [&](CTestDialog& d)
    {
        job.hDialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        job.dialogThread = GetWindowThreadProcessId(d.m_hWnd, nullptr);
        job.ownerEnabledMeanwhile = IsWindowEnabled(job.hOwner);
        // The owner's thread answers what the dialog sends it while it waits.
        SendMessageW(job.hOwner, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"told"));
        Post(d, WM_COMMAND, IDCANCEL);
    };
    job.result = dlg.DoModal();
    return 0;
}
} // namespace

TEST(CDialogTest, RunsModallyOnAWorkerOwnedByAWindowOfTheWaitingThread)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    WorkerModal job;
    job.hOwner = owner.m_hWnd;
    CWinThread* worker = AfxBeginThread(&RunDialogOnWorker, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, worker);
    worker->m_bAutoDelete = FALSE;
    worker->ResumeThread();
    EXPECT_EQ(WAIT_OBJECT_0, AfxWaitDispatchingSent(worker->m_hThread, 60000));
    delete worker;
    EXPECT_EQ(IDCANCEL, job.result);
    EXPECT_EQ(owner.m_hWnd, job.hDialogOwner);
    EXPECT_NE(GetCurrentThreadId(), job.dialogThread);
    // A window of another thread is left enabled (its own code decides), as for any parent.
    EXPECT_TRUE(job.ownerEnabledMeanwhile);
    CString text;
    owner.GetWindowText(text);
    EXPECT_STREQ(L"told", text);
    owner.DestroyWindow();
}

TEST(CDialogTest, ADialogThatCannotStartReturnsMinusOne)
{
    {
        CTestDialog dlg;
        dlg.m_onInit = [](CTestDialog&) { throw std::runtime_error("init failed"); };
        EXPECT_EQ(-1, dlg.DoModal());
        EXPECT_TRUE(dlg.m_bInitialised);
        EXPECT_EQ(nullptr, dlg.m_hWnd);
    }
    {
        CDialog dlg(IDD_TEST_MISSING);
        EXPECT_EQ(-1, dlg.DoModal());
    }
    {
        // The template is looked for in the resources of the current module state.
        AFX_MODULE_STATE elsewhere{GetModuleHandleW(L"kernel32.dll"), GetModuleHandleW(L"kernel32.dll"), nullptr};
        AFX_MANAGE_STATE(&elsewhere);
        CTestDialog dlg;
        EXPECT_EQ(-1, dlg.DoModal());
        EXPECT_FALSE(dlg.m_bInitialised);
    }
}

TEST(CDialogTest, AQuitMessageEndsTheModalLoopAndStaysForTheThread)
{
    CTestDialog dlg;
    dlg.m_onInit = [](CTestDialog&) { PostQuitMessage(5); };
    EXPECT_EQ(-1, dlg.DoModal());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(5u, msg.wParam);
}

TEST(CDialogTest, CreateMakesAModelessDialog)
{
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DIALOG));
    ASSERT_NE(nullptr, dlg.m_hWnd);
    EXPECT_TRUE(dlg.m_bInitialised);
    EXPECT_EQ(&dlg, CWnd::FromHandlePermanent(dlg.m_hWnd));
    EXPECT_EQ(IDC_TEST_EDIT, dlg.GetDlgItem(IDC_TEST_EDIT)->GetDlgCtrlID());
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}
