// HaltSuite.exe run as the installer runs it, against a fake suite planted under the suite's
// real names: decoy processes, the test service, Task Scheduler work items and Run values.
#include "fixture.h"
#include "suitenames.h"
#include "walker/enumprocess.h"

#include "../res/resource.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

namespace
{
const SuiteNames& Suite()
{
    return LumasweepSuite();
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::towlower);
    return text;
}

// The suite names that the file name contains.
std::vector<std::wstring> SuiteNamesIn(const std::wstring& fileName)
{
    std::vector<std::wstring> found;
    for (LPCWSTR name : Suite().executables)
        if (Lower(fileName).find(Lower(name)) != std::wstring::npos)
            found.push_back(name);
    return found;
}

std::wstring Sleeper()
{
    return testsupport::BinFolder() + L"\\decoy_sleeper.exe";
}

testsupport::ProcessResult RunHaltSuite(const std::wstring& folder, const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + folder + L"\\HaltSuite.exe\" " + arguments, 60000);
}

// Removes everything a run may leave under the suite's real names.
void CleanSuite()
{
    halttest::RemoveService(Suite().service);
    for (LPCWSTR task : Suite().tasks)
        halttest::DeleteTask(task);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (LPCWSTR value : Suite().runValues)
            halttest::DeleteRunValue(root, value);
}

class HaltSuiteProgram : public ::testing::Test
{
protected:
    void SetUp() override { CleanSuite(); }
    void TearDown() override { CleanSuite(); }

    void PlantServiceTasksAndValues()
    {
        m_service = std::make_unique<halttest::ServiceFixture>(
            Suite().service,
            halttest::DecoyServiceCommand(testsupport::BinFolder(), Suite().service, Suite().serviceMutex));
        ASSERT_TRUE(m_service->Start());
        ASSERT_TRUE(halttest::MutexExists(Suite().serviceMutex));
        for (LPCWSTR task : Suite().tasks)
            ASSERT_EQ(S_OK, halttest::CreateTask(task, Sleeper()));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        {
            for (LPCWSTR value : Suite().runValues)
                ASSERT_TRUE(halttest::SetRunValue(root, value, L"\"C:\\Program Files\\Lumasweep\\LumaTray.exe\""));
            ASSERT_TRUE(halttest::SetRunValue(root, m_unrelatedValue, L"C:\\other.exe"));
        }
    }

    void ExpectServiceStopped() const
    {
        EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), halttest::ServiceState(Suite().service));
        EXPECT_FALSE(halttest::MutexExists(Suite().serviceMutex));
    }

    // Whether each of the suite's tasks and Run values is there.
    void ExpectTasksAndValues(bool present)
    {
        for (LPCWSTR task : Suite().tasks)
            EXPECT_EQ(present, halttest::TaskExists(task)) << testsupport::Utf8(task);
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        {
            for (LPCWSTR value : Suite().runValues)
                EXPECT_EQ(present, halttest::RunValueExists(root, value)) << testsupport::Utf8(value);
            EXPECT_TRUE(halttest::RunValueExists(root, m_unrelatedValue));
            halttest::DeleteRunValue(root, m_unrelatedValue);
        }
    }

    const CComApartment m_apartment;
    testsupport::TempDir m_dir;
    const std::wstring m_unrelatedValue = L"SuiteTest-" + testsupport::NewGuidString();
    std::unique_ptr<halttest::ServiceFixture> m_service;
};
} // namespace

TEST(HaltSuiteNames, OnlyTheSuitesOwnProgramsCarryItsNames)
{
    // No running process outside the suite matches, Wine's own included.
    CEnumProcess walker;
    CEnumProcess::CProcessEntry entry;
    size_t processes = 0;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry), ++processes)
        EXPECT_TRUE(SuiteNamesIn(entry.lpszProcessName).empty()) << testsupport::Utf8(entry.lpszProcessName);
    EXPECT_GT(processes, 3u);

    // A program built here either is one of the suite's (Farewell.exe) or holds none of its
    // names, or HaltSuite's tests would terminate it.
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((testsupport::BinFolder() + L"\\*.exe").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do
    {
        const auto names = SuiteNamesIn(data.cFileName);
        EXPECT_TRUE(names.empty() || (names.size() == 1 && Lower(names[0]) == Lower(data.cFileName)))
            << testsupport::Utf8(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);

    for (LPCWSTR required : {L"Farewell.exe", L"ShredTool.exe", L"SealTool.exe", L"wardtool.exe", L"qmndemo.exe",
                             L"Keepsafe.exe", L"Tasklane.exe"})
        EXPECT_NE(Suite().executables.end(), std::find_if(Suite().executables.begin(), Suite().executables.end(),
                                                          [&](LPCWSTR n) { return wcscmp(n, required) == 0; }));
    EXPECT_EQ(8, std::count_if(Suite().tasks.begin(), Suite().tasks.end(),
                               [](LPCWSTR n) { return wcsncmp(n, L"QMN-", 4) == 0; }));
}

TEST_F(HaltSuiteProgram, AFullRunStopsTheSuiteAndRemovesItsTasksAndStartupEntries)
{
    const std::wstring installDir = m_dir.Path() + L"\\Program Files\\Lumasweep";
    ASSERT_TRUE(halttest::CreateFolderChain(installDir));
    std::vector<halttest::Decoy> doomed;
    doomed.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"Lumasweep.exe"));
    doomed.emplace_back(halttest::CopyAs(Sleeper(), m_dir.Path(), L"SHREDTOOL.EXE"));
    doomed.emplace_back(halttest::CopyAs(Sleeper(), installDir, L"DiskTune.exe"));
    // The programs the suite's own windows and first-run wizard start.
    for (LPCWSTR name : {L"wardtool.exe", L"QMNDEMO.EXE", L"Keepsafe.exe", L"Tasklane.exe"})
        doomed.emplace_back(halttest::CopyAs(Sleeper(), installDir, name));
    halttest::Decoy installer(halttest::CopyAs(Sleeper(), m_dir.Path(), L"LumasweepSetup.exe"));
    halttest::Decoy helper(halttest::CopyAs(Sleeper(), installDir, L"DiskTuneHelper.exe"));
    for (const halttest::Decoy& decoy : doomed)
        ASSERT_TRUE(decoy.Running());
    ASSERT_TRUE(installer.Running() && helper.Running());
    PlantServiceTasksAndValues();

    const auto result = RunHaltSuite(testsupport::BinFolder(), L"");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode);

    for (const halttest::Decoy& decoy : doomed)
    {
        EXPECT_TRUE(decoy.WaitEnded(5000));
        EXPECT_EQ(0u, decoy.ExitCode());
    }
    EXPECT_TRUE(installer.Running());
    EXPECT_TRUE(helper.Running());
    ExpectServiceStopped();
    ExpectTasksAndValues(false);
}

TEST_F(HaltSuiteProgram, AVerySilentRunLeavesTasksAndStartupEntries)
{
    halttest::Decoy survey(halttest::CopyAs(Sleeper(), m_dir.Path(), L"Farewell.exe"));
    halttest::Decoy seal(halttest::CopyAs(Sleeper(), m_dir.Path(), L"SealTool.exe"));
    ASSERT_TRUE(survey.Running() && seal.Running());
    PlantServiceTasksAndValues();

    const auto result = RunHaltSuite(testsupport::BinFolder(), L"/SP- /VerySilent /NoRestart");
    EXPECT_EQ(0u, result.exitCode);

    EXPECT_TRUE(survey.WaitEnded(5000));
    EXPECT_TRUE(seal.WaitEnded(5000));
    ExpectServiceStopped();
    ExpectTasksAndValues(true);
}

TEST_F(HaltSuiteProgram, WithNothingOfTheSuiteAroundItStillEndsWithZero)
{
    halttest::Decoy bystander(halttest::CopyAs(Sleeper(), m_dir.Path(), L"Bystander.exe"));
    const auto result = RunHaltSuite(testsupport::BinFolder(), L"unknown switches");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_TRUE(bystander.Running());
    EXPECT_EQ(0u, halttest::ServiceState(Suite().service));
}

TEST_F(HaltSuiteProgram, APsapiPlantedBesideItIsNeverLoaded)
{
    const std::wstring bin = testsupport::BinFolder();
    ASSERT_FALSE(halttest::CopyAs(bin + L"\\HaltSuite.exe", m_dir.Path(), L"HaltSuite.exe").empty());
    ASSERT_FALSE(halttest::CopyAs(bin + L"\\planted_dll.dll", m_dir.Path(), L"psapi.dll").empty());
    const std::wstring marker = m_dir.File(L"planted-dll-loaded");
    // Wine prefers its own psapi wherever a psapi.dll lies; have both programs load as Windows
    // does, where a DLL in the program's folder comes first.
    const halttest::NativeDllFirst carelessLoadsNative(L"careless.exe", L"psapi");
    const halttest::NativeDllFirst haltSuiteLoadsNative(L"HaltSuite.exe", L"psapi");

    // A program in that folder that loads "psapi" by bare name gets the planted one.
    halttest::Decoy careless(halttest::CopyAs(Sleeper(), m_dir.Path(), L"careless.exe"),
                             L"--load-library psapi --seconds 0");
    ASSERT_TRUE(careless.WaitEnded(10000));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str())) << "the planted DLL does not work";
    ASSERT_TRUE(DeleteFileW(marker.c_str()));

    const auto result = RunHaltSuite(m_dir.Path(), L"verysilent");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str()));
}

TEST(HaltSuiteBinary, IsAWindowlessAdministratorProgramNamedInItsStringTable)
{
    const std::wstring path = testsupport::BinFolder() + L"\\HaltSuite.exe";
    const CUniqueLibrary image(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(image);
    wchar_t text[64] = L"";
    EXPECT_EQ(9, LoadStringW(image.get(), IDS_APP_TITLE, text, 64));
    EXPECT_STREQ(L"HaltSuite", text);
    EXPECT_NE(nullptr, FindResourceW(image.get(), MAKEINTRESOURCEW(IDI_HALTSUITE), RT_GROUP_ICON));

    const HRSRC manifest = FindResourceW(image.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(nullptr, manifest);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(image.get(), manifest))),
                          SizeofResource(image.get(), manifest));
    EXPECT_NE(std::string::npos, xml.find("level=\"requireAdministrator\""));

    const std::string file = testsupport::ReadFileBytes(path);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt->OptionalHeader.Subsystem);
}
