// SuiteDiag's process commands run as real child processes, against decoys started here.
#include "fixture.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

namespace
{
testsupport::ProcessResult SuiteDiagIn(const std::wstring& folder, const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + folder + L"\\SuiteDiag.exe\" " + arguments);
}

testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return SuiteDiagIn(testsupport::BinFolder(), arguments);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::tolower);
    return text;
}

class ProcessCommands : public ::testing::Test
{
protected:
    ProcessCommands()
        : m_name(L"diag-" + testsupport::NewGuidString().substr(1, 8) + L".exe"),
          m_path(halttest::CopyAs(testsupport::BinFolder() + L"\\decoy_sleeper.exe", m_dir.Path(), m_name)),
          m_decoy(m_path)
    {
    }

    std::string Line(const std::wstring& name) const
    {
        return std::to_string(m_decoy.Id()) + " " + testsupport::Utf8(name) + "\n";
    }

    testsupport::TempDir m_dir;
    const std::wstring m_name;
    const std::wstring m_path;
    halttest::Decoy m_decoy;
};
} // namespace

TEST_F(ProcessCommands, ProcessesListsIdAndNameThroughEitherFacility)
{
    ASSERT_TRUE(m_decoy.Running());
    for (const wchar_t* option : {L"", L" --toolhelp"})
    {
        const auto r = SuiteDiag(std::wstring(L"processes") + option);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_NE(std::string::npos, r.out.find(Line(m_name))) << r.out;
    }
    const auto r = SuiteDiag(L"processes --psapi");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, Lower(r.out).find(Lower(Line(m_path)))) << r.out;

    EXPECT_EQ(2u, SuiteDiag(L"processes --psapi --toolhelp").exitCode);
    EXPECT_EQ(2u, SuiteDiag(L"processes --all").exitCode);
}

TEST_F(ProcessCommands, FindProcessPrintsWhatItFindsAndFailsOnNothing)
{
    ASSERT_TRUE(m_decoy.Running());
    const auto found = SuiteDiag(L"find-process " + m_name);
    EXPECT_EQ(0u, found.exitCode) << found.err;
    EXPECT_EQ(testsupport::Utf8(m_name) + "\n", found.out);

    const auto missing = SuiteDiag(L"find-process no-" + m_name);
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_EQ("", missing.out);
    EXPECT_NE(std::string::npos, missing.err.find("no running process is named \"no-" + testsupport::Utf8(m_name)));

    EXPECT_EQ(2u, SuiteDiag(L"find-process").exitCode);
}

TEST_F(ProcessCommands, SuiteCoreNeverLoadsAPsapiPlantedBesideTheProgram)
{
    const std::wstring bin = testsupport::BinFolder();
    for (const wchar_t* file :
         {L"SuiteDiag.exe", L"suitecore.dll", L"framework.dll", L"qmnhtm.dll", L"libgcc_s_dw2-1.dll",
              L"libwinpthread-1.dll"})
        ASSERT_FALSE(halttest::CopyAs(bin + L"\\" + file, m_dir.Path(), file).empty());
    ASSERT_FALSE(halttest::CopyAs(bin + L"\\planted_dll.dll", m_dir.Path(), L"psapi.dll").empty());
    const halttest::NativeDllFirst nativeFirst(L"SuiteDiag.exe", L"psapi");

    const auto r = SuiteDiagIn(m_dir.Path(), L"processes --psapi");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_NE(std::string::npos, Lower(r.out).find(Lower(Line(m_path))));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(m_dir.File(L"planted-dll-loaded").c_str()));
}
