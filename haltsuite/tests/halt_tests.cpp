// HaltSuite's steps run in this process against a throwaway suite: GUID-named service, mutex,
// executables, tasks and Run values, so nothing outside the test is touched.
#include "fixture.h"
#include "halt.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
std::vector<DWORD> g_pauses;

// Records the program's pauses and keeps them: the service needs the time to stop.
void WINAPI RecordPause(DWORD milliseconds)
{
    g_pauses.push_back(milliseconds);
    Sleep(milliseconds);
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

size_t CountLines(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1))
        ++count;
    return count;
}

// A suite whose every name is new.
class ThrowawaySuite
{
public:
    ThrowawaySuite() : m_tag(testsupport::NewGuidString().substr(1, 8))
    {
        for (const wchar_t* tool : {L"alpha", L"beta", L"gamma"})
            m_executables.push_back(L"dcy-" + m_tag + L"-" + tool + L".exe");
        for (int i = 1; i <= 9; ++i)
            m_tasks.push_back(L"SuiteTest-" + m_tag + L"-" + std::to_wstring(i));
        for (int i = 1; i <= 6; ++i)
            m_runValues.push_back(L"SuiteTest-" + m_tag + L"-" + std::to_wstring(i));
        m_service = L"SuiteTest-" + m_tag;
        m_mutex = Narrow(testsupport::NewGuidString());
        Rebind();
    }

    const SuiteNames& Names() const { return m_names; }
    const std::wstring& Tag() const { return m_tag; }
    const std::wstring& Service() const { return m_service; }
    const std::string& Mutex() const { return m_mutex; }
    std::vector<std::wstring>& Tasks() { return m_tasks; }
    const std::vector<std::wstring>& RunValues() const { return m_runValues; }
    void Rebind()
    {
        m_pointers.clear();
        for (const auto* list : {&m_executables, &m_tasks, &m_runValues})
            for (const std::wstring& name : *list)
                m_pointers.push_back(name.c_str());
        const LPCWSTR* p = m_pointers.data();
        m_names = {{p, m_executables.size()},
                   m_service.c_str(),
                   m_mutex.c_str(),
                   {p + m_executables.size(), m_tasks.size()},
                   {p + m_executables.size() + m_tasks.size(), m_runValues.size()}};
    }

private:
    std::wstring m_tag;
    std::vector<std::wstring> m_executables, m_tasks, m_runValues;
    std::wstring m_service;
    std::string m_mutex;
    std::vector<LPCWSTR> m_pointers;
    SuiteNames m_names{};
};

class HaltStepTest : public ::testing::Test
{
protected:
    void SetUp() override { g_pauses.clear(); }

    std::wstring StartService(const std::wstring& extra = std::wstring())
    {
        const std::wstring log = m_dir.File(L"service.log");
        m_service = std::make_unique<halttest::ServiceFixture>(
            m_suite.Service(), halttest::DecoyServiceCommand(testsupport::BinFolder(), m_suite.Service(),
                                                             m_suite.Mutex(), L"--log \"" + log + L"\" " + extra));
        EXPECT_TRUE(m_service->Installed());
        EXPECT_TRUE(m_service->Start());
        EXPECT_TRUE(halttest::MutexExists(m_suite.Mutex()));
        return log;
    }

    std::wstring Sleeper() const { return testsupport::BinFolder() + L"\\decoy_sleeper.exe"; }

    testsupport::TempDir m_dir;
    ThrowawaySuite m_suite;
    CSuiteHalt m_halt{m_suite.Names(), &RecordPause};
    std::unique_ptr<halttest::ServiceFixture> m_service;
};
} // namespace

TEST(HaltArguments, VerySilentCountsInAnyCaseAnywhere)
{
    for (LPCWSTR arguments : {L"verysilent", L"/VERYSILENT", L"  -VerySilent\t", L"/SP- /verysilentX /norestart"})
        EXPECT_TRUE(CSuiteHalt::IsVerySilent(arguments)) << arguments;
    for (LPCWSTR arguments : {L"", L"   ", L"/silent", L"/very silent", L"/quiet"})
        EXPECT_FALSE(CSuiteHalt::IsVerySilent(arguments)) << arguments;
    EXPECT_FALSE(CSuiteHalt::IsVerySilent(nullptr));
}

TEST_F(HaltStepTest, ProbeMutexSeesAnOwnerAndLeavesNoMutexBehind)
{
    EXPECT_EQ(0u, CSuiteHalt::ProbeMutex(m_suite.Mutex().c_str()));
    EXPECT_FALSE(halttest::MutexExists(m_suite.Mutex()));

    halttest::Decoy owner(Sleeper(), L"--hold-mutex " + testsupport::Wide(m_suite.Mutex()));
    ASSERT_TRUE(owner.Running());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), CSuiteHalt::ProbeMutex(m_suite.Mutex().c_str()));
}

TEST_F(HaltStepTest, AServiceThatIsNotInstalledCostsOnlyTheNetRun)
{
    ASSERT_EQ(0u, halttest::ServiceState(m_suite.Service()));
    EXPECT_FALSE(CSuiteHalt::IsServiceActive(m_suite.Service().c_str()));
    EXPECT_FALSE(m_halt.SendServiceStop(m_suite.Service().c_str()));
    g_pauses.clear();

    EXPECT_TRUE(m_halt.StopSuiteService());
    // The pause after starting net.exe, then no stop request: the mutex was never there.
    EXPECT_EQ((std::vector<DWORD>{1024, 0, 0}), g_pauses);
    EXPECT_FALSE(halttest::MutexExists(m_suite.Mutex()));
}

TEST_F(HaltStepTest, ARunningServiceIsStoppedThroughTheServiceManager)
{
    const std::wstring log = StartService();
    EXPECT_TRUE(CSuiteHalt::IsServiceActive(m_suite.Service().c_str()));

    EXPECT_TRUE(m_halt.StopSuiteService());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), halttest::ServiceState(m_suite.Service()));
    EXPECT_FALSE(CSuiteHalt::IsServiceActive(m_suite.Service().c_str()));
    EXPECT_FALSE(halttest::MutexExists(m_suite.Mutex()));
    // net.exe refuses the /y switch here, so the one stop came from the service manager.
    EXPECT_EQ(1u, CountLines(testsupport::ReadFileBytes(log), "stop"));
    EXPECT_EQ((std::vector<DWORD>{1024, 0, 0, 0, 2048, 2048, 0}), g_pauses);
}

TEST_F(HaltStepTest, AServiceThatKeepsItsMutexWhileStoppingIsAskedAgain)
{
    // The service holds its mutex for five seconds after the stop request.
    const std::wstring log = StartService(L"--stop-delay 5000");

    EXPECT_TRUE(m_halt.StopSuiteService());
    // First request, its check and the pause after it (4.1 s in all); the mutex is still there,
    // so a second request (refused: the service is stopping), the long pause, and by the last
    // probe the mutex is gone.
    EXPECT_EQ((std::vector<DWORD>{1024, 0, 0, 0, 2048, 2048, 0, 0, 2048, 0}), g_pauses);
    EXPECT_TRUE(halttest::WaitServiceState(m_suite.Service(), SERVICE_STOPPED, 5000));
    EXPECT_FALSE(halttest::MutexExists(m_suite.Mutex()));
    EXPECT_EQ(1u, CountLines(testsupport::ReadFileBytes(log), "stop"));
}

TEST_F(HaltStepTest, AMutexThatOutlivesTheServiceBringsTheStopAgain)
{
    const std::wstring log = StartService();
    halttest::Decoy secondOwner(Sleeper(), L"--hold-mutex " + testsupport::Wide(m_suite.Mutex()));
    ASSERT_TRUE(secondOwner.Running());

    EXPECT_TRUE(m_halt.StopSuiteService());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), halttest::ServiceState(m_suite.Service()));
    // The first stop ends the service; the mutex is still there, so the stop is sent twice
    // more (each open of the service followed by its two short pauses), with the long pause
    // after the first of them only. The service manager refuses both: nothing runs any more.
    EXPECT_EQ((std::vector<DWORD>{1024, 0, 0, 0, 2048, 2048, 0, 0, 2048, 0, 0, 0}), g_pauses);
    EXPECT_EQ(1u, CountLines(testsupport::ReadFileBytes(log), "stop"));
    EXPECT_TRUE(secondOwner.Running());
}

TEST_F(HaltStepTest, EveryProcessWhoseNameHoldsASuiteNameIsTerminated)
{
    const std::wstring tag = m_suite.Tag();
    const std::wstring deep = m_dir.Path() + L"\\Program Files\\Lumasweep";
    ASSERT_TRUE(halttest::CreateFolderChain(deep));
    std::vector<halttest::Decoy> doomed;
    doomed.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"dcy-" + tag + L"-alpha.exe"));
    doomed.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"DCY-" + tag + L"-BETA.EXE"));
    doomed.emplace_back(halttest::CopyAs(Sleeper(), deep, L"dcy-" + tag + L"-gamma.exe"));
    doomed.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"old-dcy-" + tag + L"-alpha.exe"));
    // Close to a suite name, but none of them contains one.
    std::vector<halttest::Decoy> spared;
    spared.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"dcy-" + tag + L"-alphabet.exe"));
    spared.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"dcy-" + tag + L"-beta.ex"));
    for (const auto* list : {&doomed, &spared})
        for (const halttest::Decoy& decoy : *list)
            ASSERT_TRUE(decoy.Running());

    EXPECT_TRUE(m_halt.TerminateSuiteProcesses());
    for (size_t i = 0; i < doomed.size(); ++i)
    {
        EXPECT_TRUE(doomed[i].WaitEnded(5000)) << i;
        EXPECT_EQ(0u, doomed[i].ExitCode()) << i;
    }
    for (const halttest::Decoy& decoy : spared)
        EXPECT_TRUE(decoy.Running());
}

TEST_F(HaltStepTest, TasksAreDeletedAndTheLastDeletionIsReported)
{
    const CComApartment apartment;
    const std::wstring app = Sleeper();
    for (const std::wstring& task : m_suite.Tasks())
        ASSERT_EQ(S_OK, halttest::CreateTask(task, app));
    for (const std::wstring& task : m_suite.Tasks())
        ASSERT_TRUE(halttest::TaskExists(task));

    EXPECT_TRUE(m_halt.DeleteSuiteTasks());
    for (const std::wstring& task : m_suite.Tasks())
        EXPECT_FALSE(halttest::TaskExists(task)) << testsupport::Utf8(task);

    // Only the last task is missing now: all others go, and the step reports the failure.
    for (size_t i = 0; i + 1 < m_suite.Tasks().size(); ++i)
        ASSERT_EQ(S_OK, halttest::CreateTask(m_suite.Tasks()[i], app));
    EXPECT_FALSE(m_halt.DeleteSuiteTasks());
    for (const std::wstring& task : m_suite.Tasks())
    {
        EXPECT_FALSE(halttest::TaskExists(task)) << testsupport::Utf8(task);
        halttest::DeleteTask(task);
    }
}

TEST_F(HaltStepTest, StartupEntriesGoFromUserAndMachine)
{
    const std::wstring unrelated = L"SuiteTest-" + m_suite.Tag() + L"-unrelated";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (const std::wstring& value : m_suite.RunValues())
            ASSERT_TRUE(halttest::SetRunValue(root, value, L"C:\\x.exe"));
        ASSERT_TRUE(halttest::SetRunValue(root, unrelated, L"C:\\y.exe"));
    }

    EXPECT_TRUE(m_halt.DeleteStartupEntries());
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (const std::wstring& value : m_suite.RunValues())
            EXPECT_FALSE(halttest::RunValueExists(root, value));
        EXPECT_TRUE(halttest::RunValueExists(root, unrelated));
        halttest::DeleteRunValue(root, unrelated);
    }
}
