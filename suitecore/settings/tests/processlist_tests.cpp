// CProcessList and FindProcessesByFileName through suitecore.dll, against real processes.
// Bindings are swapped only for what a live system cannot show: a missing entry point, a
// chosen set of process ids, more modules than the buffer holds.
#include <suitecore/processlist.h>

#include "fixture.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace
{
struct FakeState
{
    const char* missing = nullptr;   // a function the lookup pretends not to find
    std::vector<DWORD> ids;          // what EnumProcesses reports, when not empty
    bool moreModulesThanFit = false; // EnumProcessModules claims 10,000 modules
    int moduleReads = 0;             // module names and information asked for
    std::vector<HMODULE> freed;
};
FakeState g_state;

HMODULE SystemLoad(LPCWSTR name)
{
    return AfxLoadSystemLibrary(name);
}
BOOL RecordFree(HMODULE module)
{
    g_state.freed.push_back(module);
    return FreeLibrary(module);
}

BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD cb, DWORD* returned)
{
    const DWORD fit = std::min<DWORD>(cb / sizeof(DWORD), static_cast<DWORD>(g_state.ids.size()));
    std::copy_n(g_state.ids.begin(), fit, ids);
    *returned = fit * sizeof(DWORD);
    return TRUE;
}

BOOL WINAPI FakeEnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, LPDWORD needed)
{
    auto real = reinterpret_cast<decltype(&FakeEnumProcessModules)>(
        GetProcAddress(GetModuleHandleW(L"psapi.dll"), "EnumProcessModules"));
    if (!real(process, modules, cb, needed))
        return FALSE;
    // Fill the whole buffer with real handles and claim there are more still.
    const DWORD real_count = *needed / sizeof(HMODULE);
    for (DWORD i = real_count; i < cb / sizeof(HMODULE); ++i)
        modules[i] = modules[i % real_count];
    *needed = 10000 * sizeof(HMODULE);
    return TRUE;
}

// Cheap stand-ins for the per-module reads, which take milliseconds each under Wine.
DWORD WINAPI CountingGetModuleFileNameExW(HANDLE, HMODULE, LPWSTR name, DWORD size)
{
    ++g_state.moduleReads;
    if (size < 2)
        return 0;
    wcscpy(name, L"m");
    return 1;
}
BOOL WINAPI CountingGetModuleInformation(HANDLE, HMODULE module, LPVOID info, DWORD)
{
    static_cast<MODULEINFO*>(info)->lpBaseOfDll = module;
    return TRUE;
}

FARPROC Lookup(HMODULE module, LPCSTR name)
{
    if (g_state.missing && strcmp(name, g_state.missing) == 0)
        return nullptr;
    if (!g_state.ids.empty() && strcmp(name, "EnumProcesses") == 0)
        return reinterpret_cast<FARPROC>(&FakeEnumProcesses);
    if (g_state.moreModulesThanFit && strcmp(name, "EnumProcessModules") == 0)
        return reinterpret_cast<FARPROC>(&FakeEnumProcessModules);
    if (g_state.moreModulesThanFit && strcmp(name, "GetModuleFileNameExW") == 0)
        return reinterpret_cast<FARPROC>(&CountingGetModuleFileNameExW);
    if (g_state.moreModulesThanFit && strcmp(name, "GetModuleInformation") == 0)
        return reinterpret_cast<FARPROC>(&CountingGetModuleInformation);
    return GetProcAddress(module, name);
}

const AFX_LIBRARY_BINDER kBinder = {&SystemLoad, &Lookup, &RecordFree};

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::towlower);
    return text;
}

std::vector<ProcessRecord> Records(CProcessList& processes, RecordList* list)
{
    std::vector<ProcessRecord> records;
    ProcessRecord record;
    while (processes.GetNextProcess(list, &record))
        records.push_back(record);
    return records;
}

const ProcessRecord* FindId(const std::vector<ProcessRecord>& records, DWORD id)
{
    auto it = std::find_if(records.begin(), records.end(), [&](const ProcessRecord& r) { return r.dwProcessId == id; });
    return it == records.end() ? nullptr : &*it;
}

class ProcessListTest : public ::testing::Test
{
protected:
    void SetUp() override { g_state = FakeState(); }

    std::wstring SleeperCopy(const std::wstring& name) const
    {
        return halttest::CopyAs(testsupport::BinFolder() + L"\\decoy_sleeper.exe", m_dir.Path(), name);
    }

    testsupport::TempDir m_dir;
};
} // namespace

TEST_F(ProcessListTest, InitLoadsThePreferredFacilityAndFallsBackToTheOther)
{
    CProcessList psapiFirst(kBinder);
    EXPECT_TRUE(psapiFirst.Init(true));
    EXPECT_TRUE(psapiFirst.IsPsapiLoaded());
    EXPECT_FALSE(psapiFirst.IsToolhelpLoaded());
    EXPECT_EQ(PL_OK, psapiFirst.GetErrorCode());
    psapiFirst.Unload();

    CProcessList toolhelpFirst(kBinder);
    EXPECT_TRUE(toolhelpFirst.Init(false));
    EXPECT_FALSE(toolhelpFirst.IsPsapiLoaded());
    EXPECT_TRUE(toolhelpFirst.IsToolhelpLoaded());
    toolhelpFirst.Unload();

    // A PSAPI without one of its functions is freed again, and tool-help serves.
    g_state.missing = "GetModuleInformation";
    CProcessList fallback(kBinder);
    EXPECT_FALSE(fallback.LoadPsapi());
    EXPECT_EQ(PL_FUNCTION_MISSING, fallback.GetErrorCode());
    EXPECT_EQ(2u, g_state.freed.size()); // psapiFirst's, and this one
    EXPECT_TRUE(fallback.Init(true));
    EXPECT_TRUE(fallback.IsToolhelpLoaded());
    EXPECT_EQ(PL_OK, fallback.GetErrorCode());
    fallback.Unload();

    // Neither: every function the two facilities need is looked up, one of them is missing.
    g_state.missing = "Module32NextW";
    CProcessList toolhelpBroken(kBinder);
    EXPECT_FALSE(toolhelpBroken.LoadToolhelp());
    EXPECT_EQ(PL_FUNCTION_MISSING, toolhelpBroken.GetErrorCode());
    const AFX_LIBRARY_BINDER noPsapi = {[](LPCWSTR) -> HMODULE { return nullptr; }, &Lookup, &RecordFree};
    CProcessList neither(noPsapi);
    EXPECT_FALSE(neither.Init(true));
    EXPECT_EQ(PL_INIT_FAILED, neither.GetErrorCode());
    RecordList* list = neither.GetProcesses();
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0, neither.GetProcessCount(list));
    neither.FreeList(list);
}

TEST_F(ProcessListTest, UnloadFreesOnlyTheLibrariesItLoaded)
{
    CProcessList processes(kBinder);
    ASSERT_TRUE(processes.LoadToolhelp());
    ASSERT_TRUE(processes.LoadPsapi());
    const HMODULE psapi = GetModuleHandleW(L"psapi.dll");
    processes.Unload();
    // kernel32 was already loaded and only borrowed: one free, PSAPI's.
    EXPECT_EQ(std::vector<HMODULE>{psapi}, g_state.freed);
    EXPECT_FALSE(processes.IsPsapiLoaded() || processes.IsToolhelpLoaded());
    processes.Unload();
    EXPECT_EQ(1u, g_state.freed.size());
}

TEST_F(ProcessListTest, RecordsComeOutByCursorOrIndexWithEndAndBadIndexCodes)
{
    halttest::Decoy first(SleeperCopy(L"first.exe")), second(SleeperCopy(L"second.exe"));
    ASSERT_TRUE(first.Running() && second.Running());
    g_state.ids = {GetCurrentProcessId(), first.Id(), second.Id()};
    CProcessList processes(kBinder);
    ASSERT_TRUE(processes.Init(true));
    RecordList* list = processes.GetProcesses();
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(3, processes.GetProcessCount(list));
    EXPECT_EQ(0, processes.GetModuleCount(list));

    ProcessRecord record{};
    for (DWORD id : g_state.ids)
    {
        ASSERT_TRUE(processes.GetNextProcess(list, &record, PL_CURSOR));
        EXPECT_EQ(id, record.dwProcessId);
        EXPECT_EQ(PL_OK, processes.GetErrorCode());
    }
    EXPECT_EQ(Lower(m_dir.File(L"second.exe")), Lower(record.szName));
    EXPECT_FALSE(processes.GetNextProcess(list, &record, PL_CURSOR));
    EXPECT_EQ(PL_END_OF_LIST, processes.GetErrorCode());
    EXPECT_FALSE(processes.GetNextProcess(list, &record, 4));
    EXPECT_EQ(PL_BAD_INDEX, processes.GetErrorCode());
    EXPECT_FALSE(processes.GetNextProcess(list, &record, 3));
    EXPECT_EQ(PL_END_OF_LIST, processes.GetErrorCode());

    // An explicit index reads that record and still moves the cursor on.
    list->nCursor = 0;
    ASSERT_TRUE(processes.GetNextProcess(list, &record, 2));
    EXPECT_EQ(second.Id(), record.dwProcessId);
    ASSERT_TRUE(processes.GetNextProcess(list, &record));
    EXPECT_EQ(first.Id(), record.dwProcessId);

    ModuleRecord module{};
    EXPECT_FALSE(processes.GetNextModule(list, &module));
    EXPECT_EQ(PL_BAD_INDEX, processes.GetErrorCode());
    EXPECT_FALSE(processes.GetNextProcess(nullptr, &record));
    EXPECT_EQ(PL_BAD_INDEX, processes.GetErrorCode());
    processes.FreeList(list);
    processes.FreeList(nullptr);
    processes.Unload();
}

TEST_F(ProcessListTest, APsapiListingLeavesOutWhatItCannotOpen)
{
    g_state.ids = {0x7FFF0000, GetCurrentProcessId(), 0x7FFF0004};
    CProcessList processes(kBinder);
    ASSERT_TRUE(processes.LoadPsapi());
    RecordList* list = processes.GetProcesses();
    const auto records = Records(processes, list);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(GetCurrentProcessId(), records[0].dwProcessId);
    EXPECT_EQ(Lower(testsupport::BinFolder() + L"\\process_list_tests.exe"), Lower(records[0].szName));
    processes.FreeList(list);
    processes.Unload();
}

TEST_F(ProcessListTest, BothFacilitiesListAStartedProcessAndItsModules)
{
    const std::wstring path = SleeperCopy(L"listed-" + testsupport::NewGuidString() + L".exe");
    halttest::Decoy decoy(path);
    ASSERT_TRUE(decoy.Running());

    ModuleRecord mainModules[2] = {};
    int facility = 0;
    for (const bool psapi : {true, false})
    {
        SCOPED_TRACE(psapi ? "PSAPI" : "tool-help");
        CProcessList processes;
        ASSERT_TRUE(psapi ? processes.LoadPsapi() : processes.LoadToolhelp());
        RecordList* list = processes.GetProcesses();
        EXPECT_EQ(PL_OK, processes.GetErrorCode());
        const auto records = Records(processes, list);
        processes.FreeList(list);
        const ProcessRecord* found = FindId(records, decoy.Id());
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(Lower(psapi ? path : path.substr(path.rfind(L'\\') + 1)), Lower(found->szName));

        list = processes.GetModules(decoy.Id());
        EXPECT_EQ(PL_OK, processes.GetErrorCode());
        EXPECT_GT(processes.GetModuleCount(list), 1);
        ModuleRecord& module = mainModules[facility++];
        ASSERT_TRUE(processes.GetNextModule(list, &module));
        EXPECT_EQ(Lower(path), Lower(module.szPath));
        EXPECT_NE(0u, module.dwBaseAddress);
        EXPECT_NE(0u, module.dwImageSize);
        processes.FreeList(list);

        list = processes.GetModules(0x7FFF0000);
        EXPECT_EQ(PL_OPEN_FAILED, processes.GetErrorCode());
        EXPECT_EQ(0, processes.GetModuleCount(list));
        processes.FreeList(list);
        processes.Unload();
    }
    EXPECT_EQ(mainModules[0].dwBaseAddress, mainModules[1].dwBaseAddress);
    EXPECT_EQ(mainModules[0].dwImageSize, mainModules[1].dwImageSize);
}

TEST_F(ProcessListTest, AModuleListingTakesNoMoreThanItsBufferHolds)
{
    g_state.moreModulesThanFit = true;
    CProcessList processes(kBinder);
    ASSERT_TRUE(processes.LoadPsapi());
    RecordList* list = processes.GetModules(GetCurrentProcessId());
    EXPECT_EQ(PL_OK, processes.GetErrorCode());
    // needed says 10,000; the 16 KB buffer holds 4,096 handles, and no more are read.
    EXPECT_EQ(4096, processes.GetModuleCount(list));
    EXPECT_EQ(4096, g_state.moduleReads);
    processes.FreeList(list);
    processes.Unload();
}

TEST_F(ProcessListTest, FindProcessesByFileNameMatchesTheWholeFileNameInAnyCase)
{
    const std::wstring name = L"find-" + testsupport::NewGuidString().substr(1, 8) + L".exe";
    const std::wstring other = m_dir.Path() + L"\\other";
    ASSERT_TRUE(halttest::CreateFolderChain(other));
    halttest::Decoy one(SleeperCopy(name));
    halttest::Decoy two(halttest::CopyAs(testsupport::BinFolder() + L"\\decoy_sleeper.exe", other, name));
    halttest::Decoy longer(SleeperCopy(L"x" + name));
    ASSERT_TRUE(one.Running() && two.Running() && longer.Running());

    CStringArray paths;
    ASSERT_TRUE(FindProcessesByFileName(name.c_str(), paths));
    ASSERT_EQ(2, paths.GetSize());
    EXPECT_EQ(Lower(name), Lower(paths[0].GetString()));

    paths.Add(L"left over");
    EXPECT_TRUE(FindProcessesByFileName(Lower(name).c_str(), paths));
    EXPECT_EQ(2, paths.GetSize());

    std::wstring upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
    EXPECT_TRUE(FindProcessesByFileName(upper.c_str(), paths));
    EXPECT_EQ(2, paths.GetSize());

    EXPECT_FALSE(FindProcessesByFileName(name.substr(1).c_str(), paths));
    EXPECT_EQ(0, paths.GetSize());
    EXPECT_FALSE(FindProcessesByFileName(nullptr, paths));
}
