// The main of every test program, in place of GoogleTest's own: it refuses to run a program
// that has SuiteCore loaded without the shutdown recorder installed, then runs the tests.
#include <testsupport/shutdown_recorder.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace testsupport
{
namespace
{
struct RecorderState
{
    std::mutex lock;
    std::vector<ShutdownRequest> requests;
    BOOL answer = TRUE;
};

RecorderState& State()
{
    static RecorderState state;
    return state;
}

std::atomic<bool> g_installed{false};
} // namespace

BOOL WINAPI RecordShutdownRequest(UINT flags, DWORD reason)
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().requests.push_back({flags, reason});
    return State().answer;
}

std::vector<ShutdownRequest> ShutdownRequests()
{
    std::lock_guard<std::mutex> guard(State().lock);
    return State().requests;
}

void ClearShutdownRequests()
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().requests.clear();
}

void SetShutdownAnswer(BOOL answer)
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().answer = answer;
}

void MarkShutdownRecorderInstalled()
{
    g_installed = true;
}

bool ShutdownRecorderInstalled()
{
    return g_installed;
}
} // namespace testsupport

// The build's check finds this text in every test program.
extern "C" const char g_suiteTestMainMarker[] = "suite-test-main: shutdown requests recorded";

int main(int argc, char** argv)
{
    std::fputs(g_suiteTestMainMarker + sizeof g_suiteTestMainMarker - 1, stdout); // keeps the marker linked
    if (GetModuleHandleW(L"suitecore.dll") && !testsupport::ShutdownRecorderInstalled())
    {
        std::fputs("SuiteCore is loaded but the shutdown recorder is not installed: refusing to run\n", stderr);
        return 3;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
