// SuiteDiag run as a real child process, its output and exit codes checked.
#include "suitediag_files.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}
} // namespace

TEST(SuiteDiagCli, VersionPrintsTheVersionSetInTheBuild)
{
    const auto r = SuiteDiag(L"version");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ(std::string(SUITE_PROJECT_VERSION) + "\n", r.out);
}

TEST(SuiteDiagCli, HelpListsTheCommands)
{
    const auto r = SuiteDiag(L"help");
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_NE(std::string::npos, r.out.find("\n  version "));
    EXPECT_NE(std::string::npos, r.out.find("\n  help "));
}

TEST(SuiteDiagCli, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(2u, SuiteDiag(L"").exitCode);
    const auto unknown = SuiteDiag(L"no-such-command");
    EXPECT_EQ(2u, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown command \"no-such-command\""));
    const auto extra = SuiteDiag(L"version surplus");
    EXPECT_EQ(2u, extra.exitCode);
    EXPECT_NE(std::string::npos, extra.err.find("Usage: SuiteDiag version"));
}

TEST(SuiteDiagCli, FormatSizePrintsBothFormsAtTheSteps)
{
    const struct
    {
        const wchar_t* bytes;
        const char* out;
    } cases[] = {
        {L"1203", "1203 Bytes\n1203 Bytes\n"},
        {L"1204", "1.18 KB\n1 KB\n"},
        {L"1232896", "1.18 MB\n1 MB\n"},
        {L"1073741824", "1.00 GB\n1.00 GB\n"},
        {L"18446744073709551615", "17179869184.00 GB\n17179869184.00 GB\n"},
    };
    for (const auto& c : cases)
    {
        const auto r = SuiteDiag(std::wstring(L"format-size ") + c.bytes);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(c.out, r.out);
    }
    for (const wchar_t* bad : {L"-1", L"12x", L"18446744073709551616", L""})
        EXPECT_EQ(2u, SuiteDiag(std::wstring(L"format-size \"") + bad + L"\"").exitCode) << testsupport::Utf8(bad);
}

TEST(SuiteDiagCli, FileVersionPrintsWhatTheLibraryAnswers)
{
    const auto known = SuiteDiag(L"file-version \"" + testsupport::BinFolder() + L"\\testver_known.dll\"");
    EXPECT_EQ(0u, known.exitCode) << known.err;
    EXPECT_EQ("4.3.2.1\n", known.out);

    testsupport::TempDir dir;
    const auto missing = SuiteDiag(L"file-version \"" + dir.File(L"gone.dll") + L"\"");
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_EQ("0\n", missing.out);
    EXPECT_NE(std::string::npos, missing.err.find("does not exist"));

    const auto bare = SuiteDiag(L"file-version \"" + testsupport::BinFolder() + L"\\testver_notranslation.dll\"");
    EXPECT_EQ(1u, bare.exitCode);
    EXPECT_EQ("\n", bare.out);
    EXPECT_NE(std::string::npos, bare.err.find("has no version block"));
}

namespace
{
// SuiteDiag and the DLLs it needs, copied into a folder of their own, so that a language file
// can sit beside suitecore.dll as it does in an installation.
struct CopiedSuiteDiag
{
    // Every file but `leftOut` (none when null).
    explicit CopiedSuiteDiag(const wchar_t* leftOut = nullptr)
    {
        for (const wchar_t* name : suitediag_tests::kSuiteDiagFiles)
            if (!leftOut || wcscmp(name, leftOut) != 0)
                copied = copied &&
                         CopyFileW((testsupport::BinFolder() + L"\\" + name).c_str(), dir.File(name).c_str(), FALSE);
    }
    testsupport::ProcessResult Run(const std::wstring& arguments) const
    {
        return testsupport::RunProcess(L"\"" + dir.File(L"SuiteDiag.exe") + L"\" " + arguments);
    }

    testsupport::TempDir dir;
    bool copied = true;
};
} // namespace

TEST(SuiteDiagCli, IniPrintsTheTextAndFailsWhenThereIsNone)
{
    testsupport::TempDir dir;
    const std::wstring ini = dir.File(L"lang.ini");
    ASSERT_TRUE(testsupport::WriteFileBytes(ini, "[QMN]\r\nIDS_OK=  Okay  \r\nIDS_TWO=one\\ntwo\r\nIDS_EMPTY=\r\n"));
    const auto ok = SuiteDiag(L"ini \"" + ini + L"\" QMN IDS_OK");
    EXPECT_EQ(0u, ok.exitCode) << ok.err;
    EXPECT_EQ("Okay\n", ok.out);
    EXPECT_EQ("one\ntwo\n", SuiteDiag(L"ini \"" + ini + L"\" QMN IDS_TWO").out);

    const auto empty = SuiteDiag(L"ini \"" + ini + L"\" QMN IDS_EMPTY");
    EXPECT_EQ(1u, empty.exitCode);
    EXPECT_EQ("", empty.out);
    EXPECT_NE(std::string::npos, empty.err.find("no text for IDS_EMPTY in section QMN"));
    EXPECT_EQ(1u, SuiteDiag(L"ini \"" + ini + L"\" Other IDS_OK").exitCode);
    const auto missing = SuiteDiag(L"ini \"" + dir.File(L"none.ini") + L"\" QMN IDS_OK");
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("was not found"));
    EXPECT_EQ(2u, SuiteDiag(L"ini \"" + ini + L"\" QMN").exitCode);
}

TEST(SuiteDiagCli, IniFindsABareNameBesideTheLibraryOrFallsBackToQmnIni)
{
    CopiedSuiteDiag diag;
    ASSERT_TRUE(diag.copied);
    ASSERT_TRUE(testsupport::WriteFileBytes(diag.dir.File(L"QMN.ini"), "[QMN]\r\nIDS_OK=From QMN\r\n"));
    ASSERT_TRUE(testsupport::WriteFileBytes(diag.dir.File(L"Tool.ini"), "[QMN]\r\nIDS_OK=From Tool\r\n"));

    const auto own = diag.Run(L"ini Tool.ini QMN IDS_OK");
    EXPECT_EQ(0u, own.exitCode) << own.err;
    EXPECT_EQ("From Tool\n", own.out);
    const auto fallback = diag.Run(L"ini Missing.ini QMN IDS_OK");
    EXPECT_EQ(0u, fallback.exitCode) << fallback.err;
    EXPECT_EQ("From QMN\n", fallback.out);
}

namespace
{
// The process's current folder, for as long as the object lives.
class CurrentFolder
{
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        wchar_t old[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, old);
        m_old = old;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(m_old.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring m_old;
};
} // namespace

// SuiteCore imports the HTML renderer through its import table: a program bound to SuiteCore
// does not start when qmnhtm.dll is missing beside it, and starts when it is there.
TEST(SuiteDiagCli, DoesNotStartWithoutTheRendererBesideSuiteCore)
{
    for (const bool withRenderer : {false, true})
    {
        SCOPED_TRACE(withRenderer ? "with qmnhtm.dll" : "without qmnhtm.dll");
        CopiedSuiteDiag diag(withRenderer ? nullptr : L"qmnhtm.dll");
        ASSERT_TRUE(diag.copied);
        // The current folder is searched for DLLs too, and the test's own is the build's bin.
        const CurrentFolder inCopy(diag.dir.Path());
        const auto r = diag.Run(L"version");
        EXPECT_EQ(withRenderer ? 0u : static_cast<DWORD>(STATUS_DLL_NOT_FOUND), r.exitCode) << r.err;
        EXPECT_EQ(withRenderer ? std::string(SUITE_PROJECT_VERSION) + "\n" : std::string(), r.out);
    }
}
