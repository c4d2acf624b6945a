// The download dialog driven by real messages under the null driver: the hidden run, the
// close routes and the cancel question, authentication, the FTP log-in and failed runs.
#include "net_test_support.h"

#include "../../ui/tests/basewnd_test_env.h"

#include <suitecore/download_dlg.h>
#include <suitecore/ui/msgbox.h>

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace nettest;
using testsupport::ReadFileBytes;
using testsupport::ScriptedAnswers;
using testsupport::TempDir;

namespace
{
constexpr LPCWSTR kDialogTitle = L"Lumasweep Update Downloader";

size_t ThreadCount()
{
    size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof(entry)};
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

// The child button whose caption, without its "&", is the text.
HWND ButtonByText(HWND window, const std::wstring& text)
{
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        std::wstring caption = testsupport::WindowText(child);
        caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
        if (caption == text)
            return child;
    }
    return nullptr;
}

// The skinned cancel question: a box with Yes and No (its text is painted, not a control).
bool IsCancelQuestion(HWND box)
{
    return testsupport::WaitForControl(box, IDC_MSGBOX_BUTTON0, 20000) && ButtonByText(box, L"Yes") &&
           ButtonByText(box, L"No");
}

class DownloadDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetDownloader();
        SetDownloadOption(L"hidden", L"0");
    }
    void TearDown() override
    {
        ClearDownloadFiles();
        SetDownloadOption(L"hidden", L"0");
    }
    void Queue(const std::wstring& source, const std::wstring& name)
    {
        ASSERT_TRUE(AddDownloadFile(source.c_str(), dir.File(name).c_str()));
    }
    // Answers the cancel question with the given button once it is asked; records each ask.
    void AnswerQuestion(ScriptedAnswers& answers, const std::wstring& button)
    {
        answers.On(L"#32770", L"",
                   [this, button](HWND box)
                   {
                       if (!IsCancelQuestion(box))
                           return;
                       ++questions;
                       testsupport::ClickHeadless(ButtonByText(box, button));
                   });
    }

    TempDir dir;
    std::wstring tag = NewTag();
    std::atomic<int> questions{0};
};

// ---- The hidden run, and nothing to do ----------------------------------------------------

struct ShownEvent
{
    UINT message;
    WPARAM wParam;
    UINT swpFlags;
    bool visible;
};
std::vector<ShownEvent> g_shown;

LRESULT CALLBACK RecordShowing(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* p = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && (p->message == WM_WINDOWPOSCHANGED || p->message == WM_SHOWWINDOW) &&
        testsupport::ClassName(p->hwnd) == L"#32770" && !(GetWindowLongW(p->hwnd, GWL_STYLE) & WS_CHILD))
    {
        const UINT flags =
            p->message == WM_WINDOWPOSCHANGED ? reinterpret_cast<const WINDOWPOS*>(p->lParam)->flags : 0;
        g_shown.push_back({p->message, p->wParam, flags, (GetWindowLongW(p->hwnd, GWL_STYLE) & WS_VISIBLE) != 0});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int g_created = 0;
LRESULT CALLBACK CountCreations(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        ++g_created;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(DownloadDialog, HiddenRunNeverShowsTheDialogYetRunsTheQueue)
{
    Queue(Http(L"/data/60000/hidden.bin?rate=40000"), L"hidden.bin");
    SetDownloadOption(L"hidden", L"1");
    g_shown.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordShowing, nullptr, GetCurrentThreadId());
    const BOOL result = DownloadQueuedFiles();
    UnhookWindowsHookEx(hook);

    EXPECT_TRUE(result);
    EXPECT_TRUE(SameBytes(Content(0, 60000), ReadFileBytes(dir.File(L"hidden.bin"))));
    EXPECT_FALSE(g_shown.empty()) << "the hook saw nothing of the dialog";
    // The modal loop's show-on-idle step asks to show it (WM_SHOWWINDOW); the dialog strips
    // the flag from the move, and the window stays hidden throughout.
    for (const ShownEvent& e : g_shown)
    {
        EXPECT_FALSE(e.visible) << std::hex << e.message;
        EXPECT_FALSE(e.swpFlags & SWP_SHOWWINDOW);
    }
}

TEST_F(DownloadDialog, NothingToDoGivesTrueWithoutAWindow)
{
    struct Row
    {
        const char* name;
        bool queueOne; // one item, marked done
    } rows[] = {{"empty queue", false}, {"every item done", true}};
    for (const Row& row : rows)
    {
        ClearDownloadFiles();
        if (row.queueOne)
        {
            Queue(Http(L"/data/10/never.bin?tag=" + tag), L"never.bin");
            GetDownloadFile(0)->m_bDone = 1;
        }
        g_created = 0;
        HHOOK hook = SetWindowsHookExW(WH_CBT, CountCreations, nullptr, GetCurrentThreadId());
        EXPECT_TRUE(DownloadQueuedFiles()) << row.name;
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(0, g_created) << row.name;
    }
    EXPECT_TRUE(ServerLog(tag).empty());
}

// ---- Every close route during a slow transfer ----------------------------------------------

enum class Route
{
    SysClose,
    AltF4,
    IdCancel,
    CancelButton
};

struct CloseRow
{
    const char* name;
    Route route;
    bool yes;
};

void Close(HWND dialog, Route route)
{
    switch (route)
    {
    case Route::SysClose:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Route::AltF4:
        PostMessageW(dialog, WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1);
        break;
    case Route::IdCancel:
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    case Route::CancelButton:
        testsupport::ClickHeadless(GetDlgItem(dialog, IDOK));
        break;
    }
}

class DialogCloseRoute : public DownloadDialog, public ::testing::WithParamInterface<CloseRow>
{
};

TEST_P(DialogCloseRoute, AsksAndNoRunsOnWhileYesEndsTheWorker)
{
    const CloseRow& row = GetParam();
    // A first run makes the threads Wine starts once per process (WinInet's, COM's), so that
    // the count below sees only what a run leaves behind.
    Queue(Http(L"/data/10/warm.bin"), L"warm.bin");
    SetDownloadOption(L"hidden", L"1");
    ASSERT_TRUE(DownloadQueuedFiles());
    ClearDownloadFiles();
    SetDownloadOption(L"hidden", L"0");
    // Long enough that the question is answered mid-transfer: 100 000 bytes at 10 000 a second.
    Queue(Http(L"/data/100000/slow.bin?rate=10000&tag=" + tag), L"slow.bin");
    ScriptedAnswers answers;
    answers.On(L"#32770", kDialogTitle,
               [&](HWND dialog)
               {
                   Sleep(1500);
                   Close(dialog, row.route);
               });
    AnswerQuestion(answers, row.yes ? L"Yes" : L"No");
    const size_t threadsBefore = ThreadCount();
    const BOOL result = DownloadQueuedFiles();
    const size_t threadsAfter = ThreadCount();

    EXPECT_EQ(1, questions.load());
    EXPECT_EQ(threadsBefore, threadsAfter);
    if (row.yes)
    {
        EXPECT_FALSE(result);
    }
    else
    {
        EXPECT_TRUE(result);
        EXPECT_TRUE(SameBytes(Content(0, 100000), ReadFileBytes(dir.File(L"slow.bin"))));
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, DialogCloseRoute,
                         ::testing::Values(CloseRow{"SysCloseNo", Route::SysClose, false},
                                           CloseRow{"SysCloseYes", Route::SysClose, true},
                                           CloseRow{"AltF4No", Route::AltF4, false},
                                           CloseRow{"AltF4Yes", Route::AltF4, true},
                                           CloseRow{"IdCancelNo", Route::IdCancel, false},
                                           CloseRow{"IdCancelYes", Route::IdCancel, true},
                                           CloseRow{"CancelButtonNo", Route::CancelButton, false},
                                           CloseRow{"CancelButtonYes", Route::CancelButton, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadDialog, ACancelAnsweredAfterTheWorkerFinishedClosesWithItsResult)
{
    Queue(Http(L"/data/40000/late.bin?rate=40000&tag=" + tag), L"late.bin");
    ScriptedAnswers answers;
    answers.On(L"#32770", kDialogTitle, [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
    answers.On(L"#32770", L"",
               [&](HWND box)
               {
                   if (!IsCancelQuestion(box))
                       return;
                   ++questions;
                   // Let the worker finish the file and end before the answer.
                   const std::wstring file = dir.File(L"late.bin");
                   testsupport::WaitUntil(
                       [&]
                       {
                           WIN32_FILE_ATTRIBUTE_DATA data{};
                           return GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) &&
                                  data.nFileSizeLow == 40000;
                       });
                   Sleep(1500);
                   testsupport::ClickHeadless(ButtonByText(box, L"Yes"));
               });
    EXPECT_TRUE(DownloadQueuedFiles());
    EXPECT_EQ(1, questions.load());
    EXPECT_TRUE(SameBytes(Content(0, 40000), ReadFileBytes(dir.File(L"late.bin"))));
}

// ---- Answers to the worker ------------------------------------------------------------------

// Fills the password dialog WinInet shows over ours, or cancels it.
void AnswerPasswordDialog(ScriptedAnswers& answers, bool fill, std::atomic<int>& asked)
{
    answers.On(L"#32770", L"Authentication Required",
               [fill, &asked](HWND box)
               {
                   ++asked;
                   if (!fill)
                   {
                       PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                       return;
                   }
                   std::vector<HWND> edits;
                   for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                       if (testsupport::ClassName(child) == L"Edit")
                           edits.push_back(child);
                   if (edits.size() >= 2)
                   {
                       SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"tester"));
                       SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"secret"));
                   }
                   PostMessageW(box, WM_COMMAND, IDOK, 0);
               });
}

TEST_F(DownloadDialog, AuthenticationGoesThroughThePasswordDialog)
{
    struct Row
    {
        const char* name;
        bool fill;
        int asked; // the size query asks first, then the transfer unless the session has them
    } rows[] = {{"cancelled", false, 2}, {"filled", true, 1}}; // the session keeps accepted credentials
    for (const Row& row : rows)
    {
        ClearDownloadFiles();
        const std::wstring name = std::wstring(L"auth-") + (row.fill ? L"1" : L"0") + L".bin";
        Queue(Http(L"/auth/data/20000/" + name + L"?tag=" + tag), name);
        ScriptedAnswers answers;
        questions = 0;
        AnswerPasswordDialog(answers, row.fill, questions);
        EXPECT_EQ(row.fill ? TRUE : FALSE, DownloadQueuedFiles()) << row.name;
        EXPECT_EQ(row.asked, questions.load()) << row.name;
        if (row.fill)
        {
            EXPECT_TRUE(SameBytes(Content(0, 20000), ReadFileBytes(dir.File(name)))) << row.name;
        }
    }
}

TEST_F(DownloadDialog, RunsThatFailEndWithFalseAndKeepOnlyWhatResumes)
{
    struct Row
    {
        const char* name;
        std::wstring source;
        bool resume;
        bool kept; // the current item's file after the dialog
    } rows[] = {
        {"ftp log-in without password", Ftp(L"/none.bin", L"tester"), true, true},
        {"cut short, no resume", Http(L"/data/50000/cut0.bin?cut=20000"), false, false},
        {"cut short, resume", Http(L"/data/50000/cut1.bin?cut=20000"), true, true},
    };
    int n = 0;
    for (const Row& row : rows)
    {
        ClearDownloadFiles();
        SetDownloadOption(L"resume", row.resume ? L"true" : L"false");
        const std::wstring file = dir.File(L"failed" + std::to_wstring(++n) + L".bin");
        ASSERT_TRUE(AddDownloadFile(row.source.c_str(), file.c_str()));
        EXPECT_FALSE(DownloadQueuedFiles()) << row.name;
        EXPECT_EQ(row.kept, GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) << row.name;
    }
    // A dialog that ends before any item became current deletes nothing.
    SetDownloadOption(L"resume", L"false");
    const std::wstring kept = dir.File(L"failed3.bin");
    ASSERT_TRUE(AddDownloadFile(Http(L"/data/10/x.bin").c_str(), kept.c_str()));
    {
        CDownloadDlg never(nullptr);
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kept.c_str()));
}
} // namespace
