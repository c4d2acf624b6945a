// SuiteDiag sha1: the SHA-1 text of each file from GetFileSha1Text, whose console report is
// captured instead of shown; its error report makes the command fail.
#include "command.h"
#include "stdout_capture.h"

#include <suitecore/checksum.h>

#include <string>

namespace
{
using suitediag::StdoutCapture;

int RunSha1(suitediag::Args& args)
{
    const std::vector<CString> files = args.Rest();
    if (files.empty())
        throw suitediag::UsageError{L"missing FILE"};
    int exitCode = 0;
    for (const CString& file : files)
    {
        StdoutCapture capture;
        const CString digest = GetFileSha1Text(file);
        const std::string report = capture.Finish();
        if (report.find("An error occured") != std::string::npos)
        {
            suitediag::ErrFormat(L"SuiteDiag sha1: %s: cannot be read\n", file.GetString());
            exitCode = 1;
            continue;
        }
        suitediag::OutFormat(L"%s  %s\n", digest.GetString(), file.GetString());
    }
    return exitCode;
}
} // namespace

SUITEDIAG_COMMAND(sha1, L"sha1", L"FILE...", L"Prints the SHA-1 digest of each file", RunSha1);
