// "SuiteDiag ui main", "ui popup" and "ui about" run as a tool runs them: the sample main
// window's menus, ready line, tracking sizes, single instance and scheduler messages, and the
// results of the pop-up and the about box, alone and over the shade.
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
// A SuiteDiag run whose output is read line by line while it runs.
class ViewRun
{
public:
    explicit ViewRun(const std::wstring& arguments)
    {
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
            return;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{sizeof(si)};
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = writeEnd;
        si.hStdError = writeEnd;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        std::wstring line = L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments;
        m_started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &m_pi);
        CloseHandle(writeEnd);
        m_reader = std::thread([this, readEnd] { Read(readEnd); });
    }
    ~ViewRun()
    {
        if (m_started && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 99);
        if (m_reader.joinable())
            m_reader.join();
        if (m_started)
        {
            CloseHandle(m_pi.hThread);
            CloseHandle(m_pi.hProcess);
        }
    }
    ViewRun(const ViewRun&) = delete;
    ViewRun& operator=(const ViewRun&) = delete;

    bool Started() const { return m_started != FALSE; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // The first line beginning with the prefix, once it came; empty after the time-out.
    std::string WaitLine(const std::string& prefix, DWORD timeoutMs = 60000)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        std::string found;
        m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const std::string& line : m_lines)
                if (line.compare(0, prefix.size(), prefix) == 0)
                {
                    found = line;
                    return true;
                }
            return m_ended;
        });
        return found;
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_lines;
    }
    // The exit code, or 259 when it did not end in time.
    DWORD Exit(DWORD timeoutMs = 60000)
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }
    HWND Window(const std::wstring& title)
    {
        testsupport::WindowQuery query;
        query.processId = m_pi.dwProcessId;
        query.title = title;
        return testsupport::WaitForWindow(query, 60000);
    }

private:
    void Read(HANDLE readEnd)
    {
        std::string pending;
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got)
        {
            pending.append(buffer, got);
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            {
                std::string line = pending.substr(0, end);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                std::lock_guard<std::mutex> lock(m_lock);
                m_lines.push_back(line);
                m_changed.notify_all();
            }
        }
        CloseHandle(readEnd);
        std::lock_guard<std::mutex> lock(m_lock);
        m_ended = true;
        m_changed.notify_all();
    }

    PROCESS_INFORMATION m_pi{};
    BOOL m_started = FALSE;
    std::thread m_reader;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    bool m_ended = false;
};

int TaskbarClientHeight()
{
    RECT rc{};
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    return tray && GetClientRect(tray, &rc) ? rc.bottom : 0;
}
} // namespace

TEST(UiMainView, MenusReadyTrackingSizesSingleInstanceAndScheduler)
{
    ViewRun main(L"ui main --dump-menus");
    ASSERT_TRUE(main.Started());
    const std::string ready = main.WaitLine("ready ");
    ASSERT_FALSE(ready.empty());
    unsigned hwndValue = 0, bitmap = 0;
    ASSERT_EQ(2, sscanf(ready.c_str(), "ready hwnd=0x%8X tool-bitmap=%u", &hwndValue, &bitmap)) << ready;
    const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(hwndValue));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(1301u, bitmap);
    EXPECT_EQ(L"SuiteDiag", testsupport::WindowText(window));

    const std::vector<std::string> expectedMenus = {
        "sysmenu\t16\tAbout SuiteDiag",
        "sysmenu\t61728\tRestore",
        "sysmenu\t61472\tMinimize",
        "sysmenu\t61456\tMove",
        "sysmenu\t0\t-",
        "sysmenu\t61536\tClose",
        "helpmenu\t1009\t1304\tOnline Help",
        "helpmenu\t1011\t1308\tOrvane Website",
        "helpmenu\t1004\t1307\tCheck For Updates",
        "helpmenu\t1008\t1303\tReport Feedback",
        "helpmenu\t1003\t1293\tAbout",
        "helpmenu\t1005\t1297\tView Demo",
        ready,
    };
    const std::string minmax = main.WaitLine("minmax\t");
    std::vector<std::string> lines = main.Lines();
    ASSERT_GE(lines.size(), expectedMenus.size());
    lines.resize(expectedMenus.size());
    EXPECT_EQ(expectedMenus, lines);
    const std::string expectedMinmax = "minmax\t772\t583\t" + std::to_string(GetSystemMetrics(SM_CXMAXTRACK)) + "\t" +
                                       std::to_string(GetSystemMetrics(SM_CYMAXTRACK) - TaskbarClientHeight() - 5);
    EXPECT_EQ(expectedMinmax, minmax);

    // A second start hands a scheduled command over (any spelling of the switch) or brings the
    // first one forward, and ends with 1.
    {
        ViewRun second(L"ui main /AUTOFIX");
        EXPECT_EQ(1u, second.Exit());
    }
    EXPECT_EQ("scheduler\tautofix", main.WaitLine("scheduler\t"));
    {
        ViewRun third(L"ui main");
        EXPECT_EQ(1u, third.Exit());
    }
    // A scheduler message from elsewhere with a foreign pointer is ignored.
    const UINT scheduler = RegisterWindowMessageW(
        L"QMN_SCHEDULER_MESSAGE_TO_BE_PASSED_TO_RUNNING_INSTANCE{969BB502-2ABB-40c4-BF80-F1530EFEB273}");
    SendMessageTimeoutW(window, scheduler, 0, 1, SMTO_NORMAL, 10000, nullptr);
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            int count = 0;
            for (const std::string& line : main.Lines())
                count += line == "scheduler\tignored";
            return count == 1;
        },
        10000));

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ("closed", main.WaitLine("closed"));
    EXPECT_EQ(0u, main.Exit());
}

TEST(UiPopupView, ResultsAloneAndOverTheShade)
{
    struct Case
    {
        const wchar_t* arguments;
        const wchar_t* title;
        int action; // a button to click, or 0 for the system menu's close
        const char* result;
    } cases[] = {
        {L"ui popup --header 2 --maximisable", L"Sample pop-up", IDOK, "result 1"},
        {L"ui popup", L"Sample pop-up", IDCANCEL, "result 2"},
        {L"ui popup --title Named", L"Named", 0, "result 2"},
        {L"ui popup --shaded", L"Sample pop-up", IDOK, "result 1"},
        {L"ui popup --shaded --subtitle --separator", L"Sample pop-up", IDCANCEL, "result 2"},
        {L"ui popup --shaded --title Named", L"Named", 0, "result 2"},
        {L"ui about", L"About Lumasweep", IDOK, "result 1"},
    };
    for (const Case& c : cases)
    {
        ViewRun run(c.arguments);
        ASSERT_TRUE(run.Started());
        HWND popup = run.Window(c.title);
        ASSERT_NE(nullptr, popup) << testsupport::Utf8(c.arguments);
        if (c.action)
            PostMessageW(GetDlgItem(popup, c.action), BM_CLICK, 0, 0);
        else
            PostMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(c.result, run.WaitLine("result ")) << testsupport::Utf8(c.arguments);
        EXPECT_EQ(0u, run.Exit()) << testsupport::Utf8(c.arguments);
    }
}

TEST(UiLauncherViews, ShowTheirWindowForTheTimeGivenThenClose)
{
    const struct
    {
        const wchar_t* arguments;
        const wchar_t* title;
        const wchar_t* className;
    } views[] = {
        {L"ui launcher --for 6000", L"SuiteDiag Launcher", L""},
        {L"ui pane --for 6000", L"SuiteDiag Pane", L""},
        {L"ui fade --for 6000", L"Fade target", L"Fade_Wnd_1"},
    };
    for (const auto& v : views)
    {
        ViewRun run(v.arguments);
        ASSERT_TRUE(run.Started());
        EXPECT_EQ("ready", run.WaitLine("ready")) << testsupport::Utf8(v.arguments);
        testsupport::WindowQuery query;
        query.processId = run.ProcessId();
        query.title = v.title;
        query.className = v.className;
        EXPECT_TRUE(testsupport::WaitForWindow(query, 30000)) << testsupport::Utf8(v.arguments);
        EXPECT_EQ("closed", run.WaitLine("closed"));
        EXPECT_EQ(0u, run.Exit());
    }
    ViewRun refused(L"ui launcher --for 15000");
    ASSERT_EQ("ready", refused.WaitLine("ready"));
    testsupport::WindowQuery query;
    query.processId = refused.ProcessId();
    query.title = L"SuiteDiag Launcher";
    HWND launcher = testsupport::WaitForWindow(query, 30000);
    ASSERT_TRUE(launcher);
    // The third tab is refused; the close button ends the view's loop at once.
    SendMessageW(launcher, WM_COMMAND, MAKEWPARAM(1261, BN_CLICKED), 0);
    EXPECT_EQ("tab 13", refused.WaitLine("tab"));
    PostMessageW(launcher, WM_COMMAND, MAKEWPARAM(1182, BN_CLICKED), 0);
    EXPECT_EQ("quit", refused.WaitLine("quit", 10000));
    EXPECT_EQ(0u, refused.Exit());
}
