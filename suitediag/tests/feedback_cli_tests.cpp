// "SuiteDiag feedback", "feedback-encode" and "feedback-decode": the printed document, the
// upload through the stand-in Network.dll, and the upload library looked for only beside the
// program.
#include "feedback_test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace feedback_tests;

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + SuiteDiagPath() + L"\" " + arguments);
}

size_t CountLines(const std::string& text)
{
    size_t count = 0;
    for (char c : text)
        count += c == '\n';
    return count;
}
} // namespace

TEST(FeedbackCommand, PrintsTheDocumentRefusesBlankContentAndListsTools)
{
    const std::string head = "<sf_feedback>\r\n<feedback>\r\n<email>a&amp;b@c.d</email>\r\n"
                             "<feedback_type>It successfully optimized the system</feedback_type>\r\n"
                             "<content>Nice \xC3\xA9</content>\r\n</feedback>\r\n<SetPublishState>\r\n<allowed>1</allowed>\r\n"
                             "</SetPublishState>\r\n<favorite_tools>\r\n<appid>3</appid>\r\n<appid>0</appid>\r\n"
                             "</favorite_tools>\r\n<sys_info>\r\n";
    struct Case
    {
        const wchar_t* arguments;
        DWORD exitCode;
        std::string outStart, err;
        size_t outLines;
    } cases[] = {
        {L"feedback --email a&b@c.d --type 1 --tool 3 --tool 0 --publish \"  Nice \u00E9 \"", 0, head, "", 22},
        {L"feedback --email x \" \t \"", 1, "", "Feedback cannot be empty:\n", 0},
        {L"feedback --list-tools", 0, "0\tRegistry Cleaner\n1\tDisk Cleaner\n", "", 23},
        {L"feedback --type one text", 2, "", "", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.arguments));
        const testsupport::ProcessResult r = SuiteDiag(c.arguments);
        EXPECT_EQ(c.exitCode, r.exitCode) << r.err;
        EXPECT_EQ(c.outStart, r.out.substr(0, c.outStart.size()));
        EXPECT_EQ(c.outLines, CountLines(r.out)) << r.out;
        if (c.exitCode != 2)
        {
            EXPECT_EQ(c.err, r.err);
        }
    }
}

TEST(FeedbackCommand, SendsThroughTheStandInAndThePayloadDecodesToTheDocument)
{
    struct Case
    {
        const wchar_t* result; // the stand-in's answer, null for its default
        const char* verdict;
        DWORD exitCode;
    } cases[] = {{nullptr, "accepted", 0}, {L"0", "refused", 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.verdict);
        testsupport::TempDir dir;
        const StandIn standIn(dir.File(L"calls.log"), c.result);
        const testsupport::ProcessResult r = SuiteDiag(L"feedback --type 4 --tool 24 --send \"Works <well> & fast\"");
        EXPECT_EQ(c.exitCode, r.exitCode) << r.err;
        const size_t file = r.out.find("file ");
        ASSERT_NE(std::string::npos, file) << r.out;
        const std::string document = r.out.substr(0, file);
        const std::vector<Upload> uploads = ReadUploads(dir.File(L"calls.log"));
        ASSERT_EQ(1u, uploads.size());
        EXPECT_EQ("file " + uploads[0].fileName + "\n" + c.verdict + "\n", r.out.substr(file));
        EXPECT_EQ(0u, uploads[0].fileName.rfind("QMNv3-Feedback ", 0));
        EXPECT_EQ(32 + 4 * (testsupport::Wide(document).size() - 2), uploads[0].payload.size());

        // The payload decodes to the printed document (trimmed), and encoding that document
        // from a file, blanks around it, gives the same payload.
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"payload.txt"), uploads[0].payload));
        const testsupport::ProcessResult decoded = SuiteDiag(L"feedback-decode \"" + dir.File(L"payload.txt") + L"\"");
        EXPECT_EQ(0u, decoded.exitCode) << decoded.err;
        EXPECT_EQ(document.substr(0, document.size() - 2), decoded.out);
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"doc.txt"), " \r\n" + document + "\r\n"));
        const testsupport::ProcessResult encoded = SuiteDiag(L"feedback-encode \"" + dir.File(L"doc.txt") + L"\"");
        EXPECT_EQ(uploads[0].payload + "\n", encoded.out);
    }
}

TEST(FeedbackCommand, NetworkDllIsLookedForOnlyBesideTheProgram)
{
    // The sandbox lacks Network.dll; the current folder and PATH hold a stand-in that would
    // record a call if it were loaded.
    const Sandbox sandbox;
    ASSERT_TRUE(sandbox.Ok());
    testsupport::TempDir planted;
    ASSERT_TRUE(CopyFileW((testsupport::BinFolder() + L"\\Network.dll").c_str(), planted.File(L"Network.dll").c_str(), FALSE));
    const StandIn standIn(planted.File(L"calls.log"));
    wchar_t path[8192] = {};
    GetEnvironmentVariableW(L"PATH", path, 8192);
    SetEnvironmentVariableW(L"PATH", (planted.Path() + L";" + path).c_str());
    const DiagRun run(sandbox.SuiteDiag(), L"feedback --send hello", planted.Path());
    const DWORD exitCode = run.Exit();
    SetEnvironmentVariableW(L"PATH", path);
    EXPECT_EQ(1u, exitCode);
    EXPECT_NE(std::string::npos, run.Output().find("Network.dll not found. You will not be able to upload the feedback. "
                                                   "Please reinstall to fix the issue.\n"))
        << run.Output();
    EXPECT_EQ(std::string::npos, run.Output().find("file "));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(planted.File(L"calls.log").c_str()));
}
