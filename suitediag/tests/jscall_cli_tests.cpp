// SuiteDiag jscall: a JScript file's functions called through CWebPage and the document host.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

TEST(JsCallCommand, PrintsResultsAndReportsFailures)
{
    testsupport::TempDir dir;
    const std::wstring script = dir.File(L"page.js");
    ASSERT_TRUE(testsupport::WriteFileBytes(script, "function join3(a,b,c){return a+\"|\"+b+\"|\"+c}\n"
                                                    "function nothing(){}\n"
                                                    "function twice(n){return n*2}\n"));
    struct Case
    {
        std::wstring arguments;
        DWORD exitCode;
        const char* out;
        const char* err; // the start of stderr
    } cases[] = {
        {L"join3 x y z", 0, "x|y|z\n", ""},
        {L"twice 21", 0, "42\n", ""},
        {L"nothing", 0, "", ""},
        {L"nosuch", 1, "", "JSCall Error:\nFormatMessage Native Error"},
        {L"", 2, "", ""},
    };
    for (const Case& c : cases)
    {
        const auto r = testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" jscall \"" +
                                                   script + L"\" " + c.arguments,
                                               60000);
        EXPECT_EQ(c.exitCode, r.exitCode) << testsupport::Utf8(c.arguments) << r.err;
        EXPECT_EQ(c.out, r.out) << testsupport::Utf8(c.arguments);
        EXPECT_EQ(0u, r.err.rfind(c.err, 0)) << testsupport::Utf8(c.arguments) << ": " << r.err;
    }
    const auto missing = testsupport::RunProcess(
        L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" jscall \"" + dir.File(L"none.js") + L"\" join3", 60000);
    EXPECT_EQ(1u, missing.exitCode) << missing.err;
}
