// SuiteCore as a module among modules: tools derive from its exported classes, it calls back
// into their overrides, and the framework's exceptions cross the framework DLL, SuiteCore and
// the tool in every direction without ending the process.
#include <suitecore/inifile.h>
#include <suitecore/processlist.h>
#include <suitecore/registry.h>
#include <suitecore/stdiofileex.h>

#include <framework/file.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
// Derived in this module from a SuiteCore class; SuiteCore destroys it through its vtable.
class CCountingReader : public CIniReader
{
public:
    explicit CCountingReader(LPCWSTR path, int& destroyed) : CIniReader(path), m_destroyed(destroyed) {}
    ~CCountingReader() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

// A tool's object that SuiteCore serialises by calling back into this module.
class CToolSettings : public CObject
{
public:
    void Serialize(CArchive& ar) override
    {
        ++calls;
        ar << static_cast<DWORD>(0xC0FFEE) << CString(L"tool");
    }
    int calls = 0;
};

// A framework class, extended by SuiteCore, extended again here: three modules on one call.
class CTaggedTextFile : public CStdioFileEx
{
public:
    void WriteString(LPCWSTR lpsz) override { CStdioFileEx::WriteString(CString(L"[tool] ") + lpsz); }
};
} // namespace

TEST(ModuleBoundary, ToolsDeriveFromSuiteCoreClassesAndSuiteCoreCallsTheirOverrides)
{
    testsupport::TempDir dir;
    const std::wstring ini = dir.File(L"QMN.ini");
    ASSERT_TRUE(testsupport::WriteFileBytes(ini, "[QMN]\r\nIDS_OK=Okay\r\n"));

    int destroyed = 0;
    auto* reader = new CCountingReader(ini.c_str(), destroyed);
    CString text;
    EXPECT_TRUE(reader->GetKeyValue(L"IDS_OK", L"QMN", text));
    EXPECT_STREQ(L"Okay", text);
    EXPECT_TRUE(reader->IsKindOf(RUNTIME_CLASS(CIniReader)));
    EXPECT_STREQ("CIniReader", reader->GetRuntimeClass()->m_lpszClassName);
    ReleaseIniReader(reader);  // SuiteCore's delete runs this module's destructor
    EXPECT_EQ(1, destroyed);

    testsupport::TempRegKey key;
    CRegistry registry;
    ASSERT_TRUE(registry.Open(key.Root(), key.Path().c_str(), FALSE));
    CToolSettings settings;
    ASSERT_TRUE(registry.WriteObject(L"Settings", settings));
    EXPECT_EQ(1, settings.calls);
    BYTE stored[64] = {};
    DWORD size = sizeof stored;
    ASSERT_TRUE(registry.ReadBinary(L"Settings", stored, &size));
    ASSERT_EQ(4u + 4u + 8u, size);
    EXPECT_EQ(0, memcmp(stored, "\xEE\xFF\xC0\x00\xFF\xFE\xFF\x04t\0o\0o\0l\0", size));

    const std::wstring path = dir.File(L"tagged.txt");
    {
        CTaggedTextFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        CStdioFile& asFramework = file;
        asFramework.WriteString(L"line\n");
    }
    EXPECT_EQ("[tool] line\r\n", testsupport::ReadFileBytes(path));
}

TEST(ModuleBoundary, AnExceptionThrownInSuiteCoreIsCaughtInTheTool)
{
    testsupport::TempDir dir;
    const std::wstring missing = dir.File(L"missing.txt");
    try
    {
        CStdioFileEx file(missing.c_str(), CFile::modeRead | CFile::typeText);
        FAIL() << "a missing file was opened";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        EXPECT_STREQ(missing.c_str(), e->m_strFileName);
        e->Delete();
    }
}

TEST(ModuleBoundary, AFrameworkExceptionUnwindsThroughSuiteCoreIntoTheTool)
{
    testsupport::TempRegKey key;
    CRegistry registry;
    ASSERT_TRUE(registry.Open(key.Root(), key.Path().c_str(), FALSE));
    // A stored array of three entries where a rectangle needs five.
    BYTE three[] = {3, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    DWORD size = sizeof three;
    ASSERT_TRUE(registry.WriteBinary(L"Window", three, &size));
    RECT rect{};
    bool caught = false;
    try
    {
        registry.ReadRect(L"Window", rect);
    }
    catch (CInvalidArgException* e)
    {
        caught = true;
        e->Delete();
    }
    EXPECT_TRUE(caught);
}

namespace
{
HANDLE WINAPI ThrowingSnapshot(DWORD, DWORD)
{
    AfxThrowMemoryException();  // runs in the framework DLL
}

HMODULE FakeLoad(LPCWSTR) { return GetModuleHandleW(L"kernel32.dll"); }
BOOL FakeFree(HMODULE) { return TRUE; }
FARPROC FakeLookup(HMODULE module, LPCSTR name)
{
    if (strcmp(name, "CreateToolhelp32Snapshot") == 0)
        return reinterpret_cast<FARPROC>(&ThrowingSnapshot);
    return GetProcAddress(module, name);
}
} // namespace

TEST(ModuleBoundary, AFrameworkExceptionIsCaughtInsideSuiteCore)
{
    static const AFX_LIBRARY_BINDER binder{FakeLoad, FakeLookup, FakeFree};
    CProcessList processes(binder);
    ASSERT_TRUE(processes.LoadToolhelp());
    RecordList* list = processes.GetProcesses();  // SuiteCore catches and reports it
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(PL_NO_MEMORY, processes.GetErrorCode());
    EXPECT_EQ(0, processes.GetProcessCount(list));
    processes.FreeList(list);
    processes.Unload();
}
