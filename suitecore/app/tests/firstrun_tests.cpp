// The first-run wizard with stand-ins for the backup and scheduler programs copied beside the
// test program (the tool's folder) and a recording restore point: what it starts and how,
// that it waits for the backup, that it closes by itself after failures too, that keys do
// nothing, and the step states.
#include <suitecore/firstrun.h>

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <framework/app.h>

#include <gtest/gtest.h>

#include <srrestoreptapi.h>

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
constexpr const wchar_t* kBackupKey = L"Software\\orvane\\QMN3\\SwiftMend\\Vaultline";

// ---- A recording restore point ----

struct RestoreFakes
{
    std::vector<std::wstring> descriptions;
    bool throwOnBegin = false;
} g_restore;

BOOL WINAPI FakeSet(PRESTOREPOINTINFOW request, PSTATEMGRSTATUS status)
{
    g_restore.descriptions.push_back(request->szDescription);
    if (g_restore.throwOnBegin)
        throw std::runtime_error("System Restore went away");
    status->llSequenceNumber = 7;
    return TRUE;
}
HMODULE FakeLoad(LPCWSTR)
{
    return reinterpret_cast<HMODULE>(0x5A5A0000);
}
FARPROC FakeFind(HMODULE, LPCSTR name)
{
    return strcmp(name, "SRSetRestorePointW") == 0 ? reinterpret_cast<FARPROC>(&FakeSet) : nullptr;
}
BOOL FakeFree(HMODULE)
{
    return TRUE;
}
const AFX_LIBRARY_BINDER kRestoreBinder = {&FakeLoad, &FakeFind, &FakeFree};

// ---- The stand-ins and what they recorded ----

using Record = std::map<std::string, std::string>;

std::vector<Record> ReadRecords(const std::wstring& path)
{
    std::ifstream in(testsupport::Utf8(path));
    std::vector<Record> records(1);
    std::string line;
    while (std::getline(in, line))
    {
        if (line == "----")
            records.emplace_back();
        else if (const size_t eq = line.find('='); eq != std::string::npos)
            records.back()[line.substr(0, eq)] = line.substr(eq + 1);
    }
    records.pop_back();
    return records;
}

const Record* RecordOf(const std::vector<Record>& records, const std::string& program)
{
    for (const Record& r : records)
        if (r.at("program").size() >= program.size() &&
            _stricmp(r.at("program").c_str() + r.at("program").size() - program.size(), program.c_str()) == 0)
            return &r;
    return nullptr;
}

void SetEnv(const wchar_t* name, const wchar_t* value)
{
    SetEnvironmentVariableW(name, value);
}

void ClearCleanFinished()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
    {
        RegDeleteValueW(key, L"CLEANFINISHED");
        RegCloseKey(key);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kBackupKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\orvane\\QMN3\\SwiftMend"); // only when empty
}

void WriteCleanFinished(DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"CLEANFINISHED", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

std::string CleanFinished()
{
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "none";
    const LONG status = RegQueryValueExW(key, L"CLEANFINISHED", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::to_string(value) : "none";
}

// Both stand-ins beside the test program for the case, the log in a throwaway folder, and the
// environment and registry as they were afterwards.
class StandIns
{
public:
    explicit StandIns(bool withBackup)
    {
        Remove();
        if (withBackup)
            CopyFileW(Bin(L"backup_standin.exe").c_str(), Bin(L"Keepsafe.exe").c_str(), FALSE);
        CopyFileW(Bin(L"scheduler_standin.exe").c_str(), Bin(L"Tasklane.exe").c_str(), FALSE);
        SetEnv(L"STANDIN_LOG", Log().c_str());
        ClearCleanFinished();
    }
    ~StandIns()
    {
        // Tasklane is not waited for: let it finish before its file goes.
        testsupport::WaitUntil([&] { return RecordOf(ReadRecords(Log()), "Tasklane.exe") != nullptr; }, 30000);
        for (const wchar_t* name : {L"STANDIN_LOG", L"KEEPSAFE_SLEEP_MS", L"KEEPSAFE_EXIT_CODE", L"KEEPSAFE_SKIP_FLAG"})
            SetEnv(name, nullptr);
        Remove();
        ClearCleanFinished();
    }
    std::wstring Log() const { return m_folder.File(L"standins.log"); }
    static std::wstring Bin(const wchar_t* name) { return testsupport::BinFolder() + L"\\" + name; }

private:
    static void Remove()
    {
        for (const wchar_t* name : {L"Keepsafe.exe", L"Tasklane.exe"})
            testsupport::WaitUntil([&] { return DeleteFileW(Bin(name).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
                                   10000);
    }
    testsupport::TempDir m_folder;
};

struct Owner
{
    Owner()
    {
        wnd.CreateEx(0, L"STATIC", L"First-run test main", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr);
        app.m_pMainWnd = &wnd;
    }
    ~Owner()
    {
        app.m_pMainWnd = nullptr;
        wnd.DestroyWindow();
    }
    CWinApp app{L"FirstRunTests"};
    CWnd wnd;
};
} // namespace

TEST(FirstRunWizard, RunsTheOperationsAndClosesByItselfAfterFailuresToo)
{
    struct Case
    {
        const char* name;
        bool withBackup;
        const wchar_t* sleepMs;
        const wchar_t* exitCode;
        bool skipFlag;
        bool restoreThrows;
        const char* cleanAfter;
    } cases[] = {
        {"backup succeeds", true, L"2000", nullptr, false, false, "1"},
        {"backup missing", false, nullptr, nullptr, false, false, "0"},
        {"backup fails", true, nullptr, L"3", true, false, "0"},
        {"restore point throws", true, nullptr, nullptr, false, true, "1"},
    };
    const std::wstring bin = testsupport::BinFolder();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        StandIns standIns(c.withBackup);
        WriteCleanFinished(5); // the wizard sets 0 before the backup starts
        SetEnv(L"KEEPSAFE_SLEEP_MS", c.sleepMs);
        SetEnv(L"KEEPSAFE_EXIT_CODE", c.exitCode);
        SetEnv(L"KEEPSAFE_SKIP_FLAG", c.skipFlag ? L"1" : nullptr);
        g_restore = RestoreFakes{};
        g_restore.throwOnBegin = c.restoreThrows;
        testsupport::TempDir elsewhere;
        SetCurrentDirectoryW(elsewhere.Path().c_str());

        Owner owner;
        CRestorePointOnce once;
        CDlgAfterInstallWiz wizard;
        wizard.m_pRestoreBinder = &kRestoreBinder;
        wizard.m_pRestoreOnce = &once;
        bool openAfterKeys = false;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"Welcome Wizard", [&](HWND window) {
            const struct
            {
                UINT message;
                WPARAM key;
                LPARAM lParam;
            } keys[] = {{WM_KEYDOWN, VK_RETURN, 1}, {WM_KEYDOWN, VK_ESCAPE, 1}, {WM_KEYDOWN, VK_SPACE, 1},
                        {WM_KEYDOWN, VK_F4, 1}, {WM_SYSKEYDOWN, VK_F4, 0x20000001}};
            for (const auto& k : keys)
                PostMessageW(window, k.message, k.key, k.lParam);
            Sleep(300);
            openAfterKeys = IsWindowVisible(window) != FALSE;
        });
        const DWORD start = GetTickCount();
        EXPECT_EQ(IDOK, DoModalShaded(&owner.wnd, &wizard, IDD_AFTER_INSTALL_WIZARD));
        EXPECT_LT(GetTickCount() - start, 60000u);
        EXPECT_TRUE(wizard.IsFirstDone());
        EXPECT_TRUE(wizard.IsSecondDone());
        EXPECT_EQ(nullptr, wizard.m_hWnd);
        if (c.withBackup && c.sleepMs)
        {
            EXPECT_TRUE(openAfterKeys); // the keys came while the backup still ran
        }

        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        EXPECT_EQ(0, _wcsicmp(bin.c_str(), folder));
        // Begin and end of one restore point; a begin that throws ends it there.
        EXPECT_EQ(c.restoreThrows ? 1u : 2u, g_restore.descriptions.size());
        for (const std::wstring& description : g_restore.descriptions)
        {
            EXPECT_EQ(L"Lumasweep - First Install", description);
        }
        EXPECT_EQ(c.cleanAfter, CleanFinished());

        ASSERT_TRUE(testsupport::WaitUntil(
            [&] { return RecordOf(ReadRecords(standIns.Log()), "Tasklane.exe") != nullptr; }, 30000));
        const std::vector<Record> records = ReadRecords(standIns.Log());
        const Record* scheduler = RecordOf(records, "Tasklane.exe");
        ASSERT_NE(nullptr, scheduler);
        EXPECT_NE(std::string::npos, scheduler->at("command").find("-qmnservice"));
        EXPECT_EQ("0", scheduler->at("show"));
        const Record* backup = RecordOf(records, "Keepsafe.exe");
        EXPECT_EQ(c.withBackup, backup != nullptr);
        if (!backup)
            continue;
        EXPECT_EQ(testsupport::Utf8(StandIns::Bin(L"Keepsafe.exe")), backup->at("program"));
        EXPECT_NE(std::string::npos, backup->at("command").find("runhiddenScan"));
        EXPECT_EQ("0", backup->at("show"));
        EXPECT_EQ("0", backup->at("clean"));
        // Waited for: the scheduler starts only after the backup ended.
        EXPECT_GE(std::stoull(scheduler->at("start")), std::stoull(backup->at("end")));
        if (c.sleepMs)
        {
            EXPECT_GE(std::stoull(scheduler->at("start")) - std::stoull(backup->at("start")), 2000u);
        }
    }
}

TEST(FirstRunWizard, RunSiblingAndWaitStartsByFullPathOnly)
{
    StandIns standIns(true);
    testsupport::TempDir elsewhere;
    // A program of that name in the current folder is never the one started.
    CopyFileW(StandIns::Bin(L"scheduler_standin.exe").c_str(), elsewhere.File(L"Sibling.exe").c_str(), FALSE);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    EXPECT_FALSE(CDlgAfterInstallWiz::RunSiblingAndWait(L"Sibling.exe", L""));
    EXPECT_TRUE(CDlgAfterInstallWiz::RunSiblingAndWait(L"Keepsafe.exe", L"plain"));
    const std::vector<Record> records = ReadRecords(standIns.Log());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(testsupport::Utf8(StandIns::Bin(L"Keepsafe.exe")), records[0].at("program"));
    CopyFileW(StandIns::Bin(L"scheduler_standin.exe").c_str(), StandIns::Bin(L"Tasklane.exe").c_str(), FALSE);
    EXPECT_TRUE(CDlgAfterInstallWiz::RunSiblingAndWait(L"Tasklane.exe", L""));
    DeleteFileW(elsewhere.File(L"Sibling.exe").c_str());
}

TEST(FirstRunWizard, StepStatesShowTheAnimationAndButtonBesideTheStep)
{
    Owner owner;
    struct Case
    {
        int step;
        int kind;
        const wchar_t* state;
        bool shown;
        bool buttonEnabled;
    } cases[] = {
        {0, 0, L"", true, false},
        {0, 1, L"Complete", false, false},
        {0, 2, L"Not Complete", false, false},
        {2, 0, L"", true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "step " << c.step << " kind " << c.kind);
        CDlgAfterInstallWiz wizard;
        wizard.m_bHostedInShade = 0;
        ASSERT_TRUE(wizard.Create(IDD_AFTER_INSTALL_WIZARD, nullptr));
        wizard.KillTimer(ID_WIZARD_START_TIMER); // no worker: only the steps
        EXPECT_EQ(L"Pending", std::wstring(wizard.GetStepState(c.step)));
        wizard.m_nCurrentStep = c.step;
        wizard.SetStepState(c.kind);
        EXPECT_EQ(c.state, std::wstring(wizard.GetStepState(c.step)));
        RECT client{};
        GetClientRect(wizard.m_hWnd, &client);
        const struct
        {
            CWnd& control;
            POINT at;
            SIZE size;
        } placed[] = {
            {wizard.m_animate, {client.right - 165, 72 * c.step + 121}, {134, 13}},
            {wizard.m_btnSecond, {client.right - 91, 72 * c.step + 135}, {60, 20}},
        };
        for (const auto& p : placed)
        {
            EXPECT_EQ(c.shown, (GetWindowLongW(p.control.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0);
            if (!c.shown)
                continue;
            RECT rc{};
            GetWindowRect(p.control.m_hWnd, &rc);
            MapWindowPoints(nullptr, wizard.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
            EXPECT_EQ(p.at.x, rc.left);
            EXPECT_EQ(p.at.y, rc.top);
            EXPECT_EQ(p.size.cx, rc.right - rc.left);
            EXPECT_EQ(p.size.cy, rc.bottom - rc.top);
        }
        if (c.shown)
        {
            EXPECT_EQ(c.buttonEnabled, wizard.m_btnSecond.IsWindowEnabled() != FALSE);
        }
        EXPECT_FALSE(wizard.m_btnFirst.IsWindowVisible());
        wizard.DestroyWindow();
    }
}
