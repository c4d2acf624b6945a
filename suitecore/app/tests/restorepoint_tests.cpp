// Restore points through recording fakes of srclient.dll handed in with a library binder: the
// two requests and their spacing, once per process, the description field, every failure path
// with the library freed and the cursor put back; then Wine's real stub, and the dialog.
#include <suitecore/restorepoint.h>

#include <testsupport/ui.h>

#include <framework/app.h>

#include <gtest/gtest.h>

#include <srrestoreptapi.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{
struct Request
{
    DWORD eventType;
    DWORD type;
    INT64 sequence;
    std::wstring description;
    size_t length; // characters before the terminator, within the field
    DWORD tick;
};

// What the fakes answer and what they saw; one test at a time.
struct Fakes
{
    bool missingLibrary = false;
    BOOL beginResult = TRUE;
    BOOL endResult = TRUE;
    bool throwOnBegin = false;
    INT64 sequence = 4711;
    int loads = 0;
    int frees = 0;
    std::vector<Request> requests;
    std::vector<DWORD> removed;
} g_fakes;

HMODULE const kFakeModule = reinterpret_cast<HMODULE>(0x5A5A0000);

BOOL WINAPI FakeSet(PRESTOREPOINTINFOW request, PSTATEMGRSTATUS status)
{
    const size_t length = wcsnlen(request->szDescription, MAX_DESC_W);
    g_fakes.requests.push_back({request->dwEventType, request->dwRestorePtType, request->llSequenceNumber,
                                std::wstring(request->szDescription, length), length, GetTickCount()});
    if (request->dwEventType == BEGIN_SYSTEM_CHANGE)
    {
        if (g_fakes.throwOnBegin)
            throw std::runtime_error("System Restore went away");
        if (!g_fakes.beginResult)
            return FALSE; // a failed call leaves the status as it found it
        status->nStatus = ERROR_SUCCESS;
        status->llSequenceNumber = g_fakes.sequence;
        return TRUE;
    }
    return g_fakes.endResult;
}

DWORD WINAPI FakeRemove(DWORD sequence)
{
    g_fakes.removed.push_back(sequence);
    return ERROR_SUCCESS;
}

HMODULE FakeLoad(LPCWSTR name)
{
    EXPECT_STREQ(L"srclient.dll", name);
    ++g_fakes.loads;
    return g_fakes.missingLibrary ? nullptr : kFakeModule;
}

FARPROC FakeFind(HMODULE module, LPCSTR name)
{
    EXPECT_EQ(kFakeModule, module);
    if (strcmp(name, "SRSetRestorePointW") == 0)
        return reinterpret_cast<FARPROC>(&FakeSet);
    if (strcmp(name, "SRRemoveRestorePoint") == 0)
        return reinterpret_cast<FARPROC>(&FakeRemove);
    return nullptr;
}

BOOL FakeFree(HMODULE module)
{
    EXPECT_EQ(kFakeModule, module);
    ++g_fakes.frees;
    return TRUE;
}

const AFX_LIBRARY_BINDER kFakeBinder = {&FakeLoad, &FakeFind, &FakeFree};

void ResetFakes()
{
    g_fakes = Fakes{};
}
} // namespace

TEST(RestorePoint, RequestsFreesAndKeepsTheCursorOnEveryPath)
{
    const std::wstring longText(300, L'x');
    struct Case
    {
        const char* name;
        const wchar_t* description;
        bool missingLibrary;
        BOOL beginResult;
        BOOL endResult;
        bool throwOnBegin;
        BOOL result;
        std::vector<DWORD> events; // the event types asked for
        std::vector<DWORD> removed;
        const wchar_t* expectedDescription;
        size_t expectedLength;
    } cases[] = {
        {"created", L"Before cleaning", false, TRUE, TRUE, false, TRUE, {100, 101}, {}, L"Before cleaning", 15},
        {"empty description", L"", false, TRUE, TRUE, false, TRUE, {100, 101}, {},
         L"Creating Restore Point : Lumasweep", 34},
        {"300 characters", longText.c_str(), false, TRUE, TRUE, false, TRUE, {100, 101}, {}, nullptr, 255},
        {"begin fails", L"d", false, FALSE, TRUE, false, FALSE, {100}, {}, L"d", 1},
        {"end fails", L"d", false, TRUE, FALSE, false, FALSE, {100, 101}, {4711}, L"d", 1},
        {"library missing", L"d", true, TRUE, TRUE, false, FALSE, {}, {}, nullptr, 0},
        {"begin throws", L"d", false, TRUE, TRUE, true, FALSE, {100}, {}, L"d", 1},
    };
    const HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetFakes();
        g_fakes.missingLibrary = c.missingLibrary;
        g_fakes.beginResult = c.beginResult;
        g_fakes.endResult = c.endResult;
        g_fakes.throwOnBegin = c.throwOnBegin;
        CRestorePointOnce once;
        SetCursor(cross);

        EXPECT_EQ(c.result, CreateRestorePoint(c.description, kFakeBinder, once));

        EXPECT_EQ(cross, GetCursor());
        EXPECT_EQ(1, g_fakes.loads);
        EXPECT_EQ(c.missingLibrary ? 0 : 1, g_fakes.frees);
        EXPECT_EQ(c.result, once.m_bCreated);
        EXPECT_EQ(c.removed, g_fakes.removed);
        std::vector<DWORD> events;
        for (const Request& r : g_fakes.requests)
        {
            events.push_back(r.eventType);
            EXPECT_EQ(12u, r.type);
            EXPECT_EQ(c.expectedLength, r.length);
            EXPECT_EQ(c.expectedDescription ? std::wstring(c.expectedDescription) : longText.substr(0, 255),
                      r.description);
        }
        EXPECT_EQ(c.events, events);
        if (events.size() == 2)
        {
            EXPECT_EQ(0, g_fakes.requests[0].sequence);
            EXPECT_EQ(4711, g_fakes.requests[1].sequence);
            // The wait is 512 ms; GetTickCount moves in steps of about 16 ms, so allow two steps less.
            EXPECT_GE(g_fakes.requests[1].tick - g_fakes.requests[0].tick, 480u);
        }
    }
}

TEST(RestorePoint, OneSuccessPerStateAndAFailureTriesAgain)
{
    ResetFakes();
    CRestorePointOnce once;
    g_fakes.endResult = FALSE;
    EXPECT_FALSE(CreateRestorePoint(L"first", kFakeBinder, once));
    EXPECT_FALSE(once.m_bCreated);
    g_fakes.endResult = TRUE;
    EXPECT_TRUE(CreateRestorePoint(L"second", kFakeBinder, once));
    EXPECT_EQ(4u, g_fakes.requests.size());
    EXPECT_TRUE(CreateRestorePoint(L"third", kFakeBinder, once)); // no call at all
    EXPECT_EQ(4u, g_fakes.requests.size());
    EXPECT_EQ(2, g_fakes.loads);
    EXPECT_EQ(2, g_fakes.frees);
}

TEST(RestorePoint, WinesStubFailsAndLeavesTheLibraryUnloaded)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"srclient.dll"));
    CRestorePointOnce once;
    EXPECT_FALSE(CreateRestorePoint(L"Real stub", AfxGetSystemLibraryBinder(), once));
    EXPECT_FALSE(once.m_bCreated);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"srclient.dll"));
}

TEST(RestorePoint, DialogPlaysAndClosesItselfWithOk)
{
    CWinApp app(L"RestorePointTests");
    for (const BOOL succeed : {FALSE, TRUE})
    {
        SCOPED_TRACE(succeed ? "succeeding" : "failing");
        ResetFakes();
        g_fakes.endResult = succeed;
        CRestorePointOnce once;
        CDlgCreateRestorePoint dlg;
        dlg.m_pBinder = &kFakeBinder;
        dlg.m_pOnce = &once;
        struct Seen
        {
            std::wstring caption;
            bool playing = false;
            DWORD opened = 0;
        } seen;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"", [&](HWND window) {
            seen.opened = GetTickCount();
            seen.caption = testsupport::WindowText(GetDlgItem(window, IDC_RESTORE_POINT_TEXT));
            seen.playing = IsWindowVisible(GetDlgItem(window, IDC_RESTORE_POINT_ANIMATION)) != FALSE;
        });
        const DWORD start = GetTickCount();
        EXPECT_EQ(IDOK, dlg.Run(L"Dialog test"));
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, 1000u);
        EXPECT_LT(elapsed, 30000u);
        EXPECT_EQ(succeed, dlg.m_bResult);
        EXPECT_EQ(L"Creating a System Restore Point...", seen.caption);
        EXPECT_TRUE(seen.playing);
        EXPECT_TRUE(dlg.m_bAnimationPlaying); // the clip opened and played
        ASSERT_EQ(succeed ? 2u : 2u, g_fakes.requests.size());
        EXPECT_EQ(L"Dialog test", g_fakes.requests[0].description);
    }
}
