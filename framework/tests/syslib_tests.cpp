// Loading system libraries by full path, and the owning handle wrappers.
#include <framework/handles.h>
#include <framework/syslib.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <cwctype>

namespace
{
std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring text(path, n);
    for (wchar_t& c : text)
        c = towlower(c);
    return text;
}
} // namespace

TEST(SystemLibrary, LoadsFromTheSystemFolderAndRefusesPaths)
{
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    std::wstring folder(system, n);
    for (wchar_t& c : folder)
        c = towlower(c);

    const CUniqueLibrary psapi(AfxLoadSystemLibrary(L"psapi.dll"));
    ASSERT_TRUE(psapi);
    EXPECT_EQ(folder + L"\\psapi.dll", ModulePath(psapi.get()));
    EXPECT_NE(nullptr, GetProcAddress(psapi.get(), "EnumProcesses"));

    for (LPCWSTR bad : {L"", L"..\\psapi.dll", L"C:\\windows\\system32\\psapi.dll", L"sub/psapi.dll"})
    {
        SetLastError(0);
        EXPECT_EQ(nullptr, AfxLoadSystemLibrary(bad)) << testsupport::Utf8(bad);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_EQ(nullptr, AfxLoadSystemLibrary(nullptr));
    EXPECT_EQ(nullptr, AfxLoadSystemLibrary(L"no-such-library-here.dll"));
    EXPECT_EQ(nullptr, AfxLoadSystemLibrary(std::wstring(300, L'a').c_str()));

    const AFX_LIBRARY_BINDER& binder = AfxGetSystemLibraryBinder();
    const HMODULE kernel = binder.pfnLoadLibrary(L"kernel32.dll");
    ASSERT_EQ(GetModuleHandleW(L"kernel32.dll"), kernel);
    EXPECT_EQ(GetProcAddress(kernel, "Sleep"), binder.pfnGetProcAddress(kernel, "Sleep"));
    EXPECT_TRUE(binder.pfnFreeLibrary(kernel));
}

TEST(UniqueHandles, CloseWhatTheyOwnAndHandItOver)
{
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CUniqueHandle event(raw);
        ASSERT_TRUE(event);
        CUniqueHandle moved(std::move(event));
        EXPECT_FALSE(event);
        EXPECT_EQ(raw, moved.get());
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags)); // closed with the last owner

    CUniqueHandle kept(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    raw = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(GetHandleInformation(raw, &flags));
    CloseHandle(raw);

    CUniqueFileHandle file;
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.get());
    EXPECT_FALSE(file);
    testsupport::TempDir dir;
    file.reset(CreateFileW(dir.File(L"x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    file.reset();
    EXPECT_TRUE(DeleteFileW(dir.File(L"x").c_str())); // nothing holds it open any more

    CUniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()));
    EXPECT_TRUE(key);

    WIN32_FIND_DATAW data;
    CUniqueFindHandle find(FindFirstFileW((dir.Path() + L"\\*").c_str(), &data));
    EXPECT_TRUE(find);
    EXPECT_FALSE(CUniqueFindHandle(INVALID_HANDLE_VALUE));

    CUniqueLocal block(LocalAlloc(LMEM_FIXED, 16));
    ASSERT_TRUE(block);
    EXPECT_EQ(16u, LocalSize(block.get()));
    void* const freeMe = block.release();
    EXPECT_FALSE(block);
    EXPECT_EQ(nullptr, LocalFree(freeMe)); // not freed by the wrapper it left

    const CUniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    ASSERT_TRUE(mapping);
    const void* address = nullptr;
    MEMORY_BASIC_INFORMATION info;
    {
        const CUniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        ASSERT_TRUE(view);
        address = view.get();
        ASSERT_EQ(sizeof(info), VirtualQuery(address, &info, sizeof(info)));
        EXPECT_EQ(static_cast<DWORD>(MEM_COMMIT), info.State);
    }
    ASSERT_EQ(sizeof(info), VirtualQuery(address, &info, sizeof(info)));
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State); // unmapped with its owner
}
