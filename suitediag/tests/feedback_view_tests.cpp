// "SuiteDiag ui feedback" from a copy of SuiteDiag without Network.dll, started in a folder
// that holds one: the form warns when it opens, Submit fails without calling anything, and the
// form closes; the planted library is never loaded.
#include "feedback_test_support.h"

#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace feedback_tests;

namespace
{
constexpr int kBoxButton0 = 1185; // the skinned message box's first button

// A skinned message box of the run that was not answered before; null after the time-out.
HWND WaitForNewBox(const DiagRun& run, std::vector<HWND>& answered)
{
    HWND found = nullptr;
    testsupport::WaitUntil(
        [&]
        {
            testsupport::WindowQuery query;
            query.processId = run.ProcessId();
            query.className = L"#32770";
            for (HWND w : testsupport::FindWindows(query))
                if (GetDlgItem(w, kBoxButton0) && std::find(answered.begin(), answered.end(), w) == answered.end())
                    found = w;
            return found != nullptr;
        },
        60000);
    if (found)
        answered.push_back(found);
    return found;
}

HWND FormOf(const DiagRun& run)
{
    testsupport::WindowQuery query;
    query.processId = run.ProcessId();
    query.title = L"Feedback";
    return testsupport::FindWindows(query).empty() ? nullptr : testsupport::FindWindows(query)[0];
}
} // namespace

TEST(FeedbackView, WithoutNetworkDllItWarnsFailsAndCloses)
{
    const Sandbox sandbox;
    ASSERT_TRUE(sandbox.Ok());
    testsupport::TempDir planted;
    ASSERT_TRUE(CopyFileW((testsupport::BinFolder() + L"\\Network.dll").c_str(), planted.File(L"Network.dll").c_str(), FALSE));
    const StandIn standIn(planted.File(L"calls.log"));
    const DiagRun run(sandbox.SuiteDiag(), L"ui feedback", planted.Path());
    std::vector<HWND> answered;

    // The warning comes while the form opens, before it shows.
    const HWND warning = WaitForNewBox(run, answered);
    ASSERT_NE(nullptr, warning) << run.Output();
    EXPECT_EQ(nullptr, FormOf(run));
    ASSERT_TRUE(testsupport::ClickHeadless(GetDlgItem(warning, kBoxButton0)));

    testsupport::WindowQuery formQuery;
    formQuery.processId = run.ProcessId();
    formQuery.title = L"Feedback";
    const HWND form = testsupport::WaitForWindow(formQuery, 60000);
    ASSERT_NE(nullptr, form);
    SendMessageW(GetDlgItem(form, 1241), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Great tool"));
    ASSERT_TRUE(testsupport::ClickHeadless(GetDlgItem(form, 1001)));
    // The failure text, then the form closes by itself with Cancel's result.
    const HWND failure = WaitForNewBox(run, answered);
    ASSERT_NE(nullptr, failure) << run.Output();
    EXPECT_TRUE(IsWindow(form));
    ASSERT_TRUE(testsupport::ClickHeadless(GetDlgItem(failure, kBoxButton0)));
    EXPECT_EQ(0u, run.Exit());
    EXPECT_NE(std::string::npos, run.Output().find("result 2\n")) << run.Output();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(planted.File(L"calls.log").c_str()));
}
