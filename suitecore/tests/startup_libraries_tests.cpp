// SuiteCore's start-up loads the shell, the browser control, GDI+ and the shell helpers from
// the system folder, once for the process.
#include <suitecore/sysinfo.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace
{
std::wstring Lower(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}
} // namespace

TEST(SuiteCoreStartup, LoadsTheSystemLibrariesFromTheSystemFolder)
{
    GetOsMajorVersion(); // a call through the import table: SuiteCore is loaded
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    for (const wchar_t* name : {L"shell32.dll", L"shdocvw.dll", L"gdiplus.dll", L"shlwapi.dll"})
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const HMODULE module = GetModuleHandleW(name);
        ASSERT_NE(nullptr, module);
        wchar_t path[MAX_PATH] = {};
        ASSERT_NE(0u, GetModuleFileNameW(module, path, MAX_PATH));
        EXPECT_EQ(Lower(std::wstring(system) + L"\\" + name), Lower(path));
    }
}
