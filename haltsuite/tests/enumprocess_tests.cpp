// CEnumProcess against the real processes of the Wine prefix. Library bindings are swapped
// only to produce what the live system cannot: a PSAPI with the unsuffixed export, a missing
// facility, more than 256 processes, a failing call.
#include "fixture.h"
#include "walker/enumprocess.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace
{
using Entry = CEnumProcess::CProcessEntry;

HMODULE SystemLoad(LPCWSTR name)
{
    return AfxLoadSystemLibrary(name);
}
HMODULE LoadNothing(LPCWSTR)
{
    return nullptr;
}
BOOL RealFree(HMODULE module)
{
    return FreeLibrary(module);
}

// A PSAPI that exports GetModuleFileNameEx under the name the walker looks up.
FARPROC LookupWithUnsuffixedName(HMODULE module, LPCSTR name)
{
    return GetProcAddress(module, strcmp(name, "GetModuleFileNameEx") == 0 ? "GetModuleFileNameExW" : name);
}
// The same, on a kernel32 without one of the tool-help entry points.
FARPROC LookupWithoutModule32Next(HMODULE module, LPCSTR name)
{
    return strcmp(name, "Module32Next") == 0 ? nullptr : LookupWithUnsuffixedName(module, name);
}

const AFX_LIBRARY_BINDER kBothFacilities = {&SystemLoad, &LookupWithUnsuffixedName, &RealFree};
const AFX_LIBRARY_BINDER kPsapiOnly = {&SystemLoad, &LookupWithoutModule32Next, &RealFree};
const AFX_LIBRARY_BINDER kNoFacility = {&LoadNothing, &LookupWithUnsuffixedName, &RealFree};

// Substitutes for PSAPI entry points, bound through the lookup below.
struct FakePsapi
{
    int syntheticTotal = 0;        // EnumProcesses reports this many ids in all
    bool fail = false;             // the calls fail, and claim a full buffer
    std::vector<DWORD> sizesAsked; // cb of every EnumProcesses/EnumProcessModules call
    std::vector<DWORD> ids;        // what EnumProcesses reported, in order
};
FakePsapi g_fake;

BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD cb, DWORD* returned)
{
    g_fake.sizesAsked.push_back(cb);
    if (g_fake.fail)
    {
        *returned = cb;
        // A walker that ignores the failure asks forever; end that case instead of hanging.
        return g_fake.sizesAsked.size() > 50;
    }
    DWORD real[1024];
    DWORD realBytes = 0;
    auto enumProcesses =
        reinterpret_cast<decltype(&FakeEnumProcesses)>(GetProcAddress(GetModuleHandleW(L"psapi.dll"), "EnumProcesses"));
    enumProcesses(real, sizeof real, &realBytes);
    g_fake.ids.assign(real, real + realBytes / sizeof(DWORD));
    for (DWORD next = 0x7FFF0000; g_fake.ids.size() < static_cast<size_t>(g_fake.syntheticTotal); next += 4)
        g_fake.ids.push_back(next); // ids no process has: they cannot be opened
    const DWORD fit = std::min<DWORD>(cb / sizeof(DWORD), static_cast<DWORD>(g_fake.ids.size()));
    std::copy_n(g_fake.ids.begin(), fit, ids);
    *returned = fit * sizeof(DWORD);
    return TRUE;
}

BOOL WINAPI FakeEnumProcessModules(HANDLE, HMODULE*, DWORD cb, LPDWORD needed)
{
    g_fake.sizesAsked.push_back(cb);
    *needed = cb;
    return g_fake.sizesAsked.size() > 50;
}

FARPROC LookupFakes(HMODULE module, LPCSTR name)
{
    if (strcmp(name, "EnumProcesses") == 0)
        return reinterpret_cast<FARPROC>(&FakeEnumProcesses);
    if (g_fake.fail && strcmp(name, "EnumProcessModules") == 0)
        return reinterpret_cast<FARPROC>(&FakeEnumProcessModules);
    return LookupWithUnsuffixedName(module, name);
}
const AFX_LIBRARY_BINDER kFakePsapi = {&SystemLoad, &LookupFakes, &RealFree};

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::towlower);
    return text;
}

// id -> every name the walk reported for it
std::multimap<DWORD, std::wstring> Walk(CEnumProcess& walker)
{
    std::multimap<DWORD, std::wstring> seen;
    Entry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry))
        seen.emplace(entry.dwPID, entry.lpszProcessName);
    return seen;
}

class EnumProcessTest : public ::testing::Test
{
protected:
    void SetUp() override { g_fake = FakePsapi(); }

    std::wstring SleeperCopy(const std::wstring& name) const
    {
        return halttest::CopyAs(testsupport::BinFolder() + L"\\decoy_sleeper.exe", m_dir.Path(), name);
    }

    testsupport::TempDir m_dir;
};
} // namespace

TEST_F(EnumProcessTest, ChoosesPsapiWhenUsableElseToolhelp)
{
    // The system's psapi.dll exports only the suffixed names, so the walker takes tool-help.
    EXPECT_EQ(ENUM_METHOD_TOOLHELP, CEnumProcess().GetAvailableMethods());
    EXPECT_EQ(ENUM_METHOD_TOOLHELP, CEnumProcess().GetMethod());

    CEnumProcess both(kBothFacilities);
    EXPECT_EQ(ENUM_METHOD_PSAPI | ENUM_METHOD_TOOLHELP, both.GetAvailableMethods());
    EXPECT_EQ(ENUM_METHOD_PSAPI, both.GetMethod());

    CEnumProcess psapiOnly(kPsapiOnly);
    EXPECT_EQ(ENUM_METHOD_PSAPI, psapiOnly.GetAvailableMethods());
    EXPECT_EQ(ENUM_METHOD_PSAPI, psapiOnly.GetMethod());
}

TEST_F(EnumProcessTest, WithoutEitherFacilityEveryWalkFails)
{
    CEnumProcess walker(kNoFacility);
    EXPECT_EQ(0, walker.GetAvailableMethods());
    EXPECT_EQ(ENUM_METHOD_NONE, walker.GetMethod());
    Entry entry;
    CEnumProcess::CModuleEntry module;
    EXPECT_FALSE(walker.GetProcessFirst(entry));
    EXPECT_FALSE(walker.GetProcessNext(entry));
    EXPECT_FALSE(walker.GetModuleFirst(GetCurrentProcessId(), module));
}

TEST_F(EnumProcessTest, BothMethodsReportAStartedProcessExactlyOnce)
{
    const std::wstring path = SleeperCopy(L"walk-" + testsupport::NewGuidString() + L".exe");
    halttest::Decoy decoy(path);
    ASSERT_TRUE(decoy.Running());
    const std::wstring fileName = path.substr(path.find_last_of(L'\\') + 1);

    CEnumProcess toolhelp;
    auto seen = Walk(toolhelp);
    ASSERT_EQ(1u, seen.count(decoy.Id()));
    EXPECT_EQ(fileName, seen.find(decoy.Id())->second); // tool-help: the file name
    EXPECT_EQ(1u, seen.count(GetCurrentProcessId()));

    CEnumProcess psapi(kBothFacilities);
    seen = Walk(psapi);
    ASSERT_EQ(1u, seen.count(decoy.Id()));
    EXPECT_EQ(Lower(path), Lower(seen.find(decoy.Id())->second)); // PSAPI: the full path
    EXPECT_EQ(1u, seen.count(GetCurrentProcessId()));
}

TEST_F(EnumProcessTest, PsapiWalkGrowsItsBufferUntilEveryProcessFits)
{
    g_fake.syntheticTotal = 700;
    CEnumProcess walker(kFakePsapi);
    ASSERT_EQ(ENUM_METHOD_PSAPI, walker.GetMethod());
    const auto seen = Walk(walker);

    EXPECT_EQ((std::vector<DWORD>{256 * 4, 512 * 4, 768 * 4}), g_fake.sizesAsked);
    ASSERT_EQ(700u, g_fake.ids.size());
    EXPECT_EQ(700u, seen.size());
    for (DWORD id : g_fake.ids)
        EXPECT_EQ(1u, seen.count(id)) << id;
    // Ids that cannot be opened still appear, with the text that stands for their name.
    EXPECT_EQ(CEnumProcess::SECURITY_RESTRICTION_TEXT, seen.find(0x7FFF0000)->second);
    EXPECT_NE(CEnumProcess::SECURITY_RESTRICTION_TEXT, seen.find(GetCurrentProcessId())->second);
}

TEST_F(EnumProcessTest, AFailingPsapiCallEndsTheWalkInsteadOfGrowingTheBuffer)
{
    g_fake.fail = true;
    CEnumProcess walker(kFakePsapi);
    Entry entry;
    EXPECT_FALSE(walker.GetProcessFirst(entry));
    EXPECT_EQ(1u, g_fake.sizesAsked.size());

    g_fake.sizesAsked.clear();
    CEnumProcess::CModuleEntry module;
    EXPECT_FALSE(walker.GetModuleFirst(GetCurrentProcessId(), module));
    EXPECT_EQ(1u, g_fake.sizesAsked.size());
}

TEST_F(EnumProcessTest, FirstModuleIsTheMainImageThroughEitherMethod)
{
    const std::wstring path = SleeperCopy(L"module-" + testsupport::NewGuidString() + L".exe");
    halttest::Decoy decoy(path);
    ASSERT_TRUE(decoy.Running());

    // The image base the file asks for, from its headers on disk.
    const std::string file = testsupport::ReadFileBytes(path);
    ASSERT_GT(file.size(), 0x200u);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);

    CEnumProcess toolhelp;
    CEnumProcess::CModuleEntry byToolhelp;
    ASSERT_TRUE(toolhelp.GetModuleFirst(decoy.Id(), byToolhelp));
    EXPECT_EQ(Lower(path), Lower(byToolhelp.lpszModulePath));
    EXPECT_EQ(Lower(path), Lower(byToolhelp.strModulePath.GetString()));
    EXPECT_NE(nullptr, byToolhelp.lpBaseAddress);
    EXPECT_EQ(nt->OptionalHeader.ImageBase, byToolhelp.dwPreferredImageBase);

    CEnumProcess psapi(kBothFacilities);
    CEnumProcess::CModuleEntry byPsapi;
    ASSERT_TRUE(psapi.GetModuleFirst(decoy.Id(), byPsapi));
    EXPECT_EQ(Lower(path), Lower(byPsapi.lpszModulePath));
    EXPECT_EQ(byToolhelp.lpBaseAddress, byPsapi.lpBaseAddress);
    EXPECT_EQ(byToolhelp.dwPreferredImageBase, byPsapi.dwPreferredImageBase);

    // The module walk leaves a process walk in progress alone.
    Entry entry;
    ASSERT_TRUE(psapi.GetProcessFirst(entry));
    ASSERT_TRUE(psapi.GetModuleFirst(decoy.Id(), byPsapi));
    size_t more = 0;
    while (psapi.GetProcessNext(entry))
        ++more;
    EXPECT_GT(more, 0u);
}

TEST_F(EnumProcessTest, ALongModulePathIsCutToTheEntryBuffer)
{
    std::wstring folder = m_dir.Path();
    while (folder.size() < 200)
        folder += L"\\deep-folder-" + std::to_wstring(folder.size());
    // 258 characters in all: as long as a path to a program can be.
    const std::wstring name = L"long-" + std::wstring(258 - folder.size() - 1 - 9, L'x') + L".exe";
    ASSERT_TRUE(halttest::CreateFolderChain(folder));
    const std::wstring path = halttest::CopyAs(testsupport::BinFolder() + L"\\decoy_sleeper.exe", folder, name);
    ASSERT_EQ(folder.size() + 1 + name.size(), path.size());
    ASSERT_GT(path.size(), 255u);
    halttest::Decoy decoy(path);
    ASSERT_TRUE(decoy.Running());

    CEnumProcess walker;
    CEnumProcess::CModuleEntry module;
    ASSERT_TRUE(walker.GetModuleFirst(decoy.Id(), module));
    EXPECT_EQ(Lower(path.substr(0, 255)), Lower(module.lpszModulePath));
    EXPECT_EQ(Lower(path), Lower(module.strModulePath.GetString()));
}

TEST_F(EnumProcessTest, PreferredImageBaseIsReadOnlyFromCompleteHeaders)
{
    const HMODULE self = GetModuleHandleW(nullptr);
    const auto* selfDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(self);
    const auto* selfNt =
        reinterpret_cast<const IMAGE_NT_HEADERS32*>(reinterpret_cast<const BYTE*>(self) + selfDos->e_lfanew);
    EXPECT_EQ(selfNt->OptionalHeader.ImageBase, CEnumProcess::ReadPreferredImageBase(self, GetCurrentProcessId()));

    // Made-up images in this process: one committed page followed by a reserved one.
    BYTE* region = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(nullptr, region);
    ASSERT_NE(nullptr, VirtualAlloc(region, 0x1000, MEM_COMMIT, PAGE_READWRITE));
    auto image = [&](LONG ntOffset, WORD magic)
    {
        memset(region, 0, 0x1000);
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(region);
        dos->e_magic = IMAGE_DOS_SIGNATURE;
        dos->e_lfanew = ntOffset;
        if (ntOffset >= 0 && ntOffset + 4 <= 0x1000)
            *reinterpret_cast<DWORD*>(region + ntOffset) = IMAGE_NT_SIGNATURE;
        if (ntOffset >= 0 && ntOffset + 0x38 <= 0x1000)
        {
            auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(region + ntOffset);
            nt->OptionalHeader.Magic = magic;
            nt->OptionalHeader.ImageBase = 0x12340000;
        }
        return CEnumProcess::ReadPreferredImageBase(region, GetCurrentProcessId());
    };
    EXPECT_EQ(0x12340000u, image(0x80, IMAGE_NT_OPTIONAL_HDR32_MAGIC));
    EXPECT_EQ(0u, image(0x80, IMAGE_NT_OPTIONAL_HDR64_MAGIC));
    // NT headers that run into the reserved page: the read fails and nothing is guessed.
    EXPECT_EQ(0u, image(0x1000 - 8, IMAGE_NT_OPTIONAL_HDR32_MAGIC));
    EXPECT_EQ(0u, image(-64, IMAGE_NT_OPTIONAL_HDR32_MAGIC));
    EXPECT_EQ(0u, image(0x7FFFFFF0, IMAGE_NT_OPTIONAL_HDR32_MAGIC));
    region[0] = 'X';
    EXPECT_EQ(0u, CEnumProcess::ReadPreferredImageBase(region, GetCurrentProcessId()));
    EXPECT_EQ(0u, CEnumProcess::ReadPreferredImageBase(region + 0x1000, GetCurrentProcessId()));
    VirtualFree(region, 0, MEM_RELEASE);
}
