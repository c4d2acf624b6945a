// SuiteDiag update-check and update-definitions: the suite's update operations, run inside
// SuiteDiag's tool host against the server --server names (else the configured one).
#include "command.h"
#include "stdout_capture.h"
#include "tool_host.h"

#include <suitecore/checksum.h>
#include <suitecore/paths.h>
#include <suitecore/registry.h>
#include <suitecore/sysinfo.h>
#include <suitecore/update.h>

#include <framework/module.h>

namespace
{
void TakeServer(suitediag::Args& args)
{
    CString server;
    if (args.TakeOptionValue(L"--server", server))
        SetUpdateServer(server);
}

CString InstalledVersion()
{
    const HMODULE core = GetModuleHandleW(L"suitecore.dll");
    return core ? GetFileVersionString(AfxGetModuleFileName(core)) : CString(L"0");
}

// PROGRAM_VERSION of the version file the check left, or "(none)".
CString PublishedVersion()
{
    CString path;
    if (!GetUserDataFolder(path, nullptr))
        return L"(none)";
    JoinPath(path, L"LatestVersion.ini");
    WCHAR buffer[256] = {};
    GetPrivateProfileStringW(L"Application", L"PROGRAM_VERSION", L"", buffer, _countof(buffer), path);
    return buffer[0] ? CString(buffer) : CString(L"(none)");
}

int RunUpdateCheck(suitediag::Args& args)
{
    TakeServer(args);
    args.ExpectEnd();
    return suitediag::RunInToolHost(false,
                                    [](BOOL)
                                    {
                                        const BOOL bNewer = CheckForNewVersionNow();
                                        suitediag::OutFormat(L"installed %s\n", InstalledVersion().GetString());
                                        suitediag::OutFormat(L"published %s\n", PublishedVersion().GetString());
                                        suitediag::OutLine(bNewer ? L"newer" : L"not newer");
                                        return bNewer ? 0 : 1;
                                    });
}

// The SHA-1 text of the archive beside SuiteDiag, or "(none)".
CString ArchiveDigest()
{
    CString path;
    GetExeFolder(path);
    path += L"Completedatabase.zip";
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return L"(none)";
    CFileSha1 sha;
    sha.Reset();
    if (!sha.HashFile(path))
        return L"(none)";
    sha.Finish();
    CString text;
    sha.ReportHash(text);
    return text;
}

int RunUpdateDefinitions(suitediag::Args& args)
{
    TakeServer(args);
    const bool bCheck = args.TakeOption(L"--check");
    args.ExpectEnd();
    return suitediag::RunInToolHost(false,
                                    [bCheck](BOOL)
                                    {
                                        // The digest's console report is not SuiteDiag's output.
                                        suitediag::StdoutCapture capture;
                                        CString address;
                                        CGlobalUpdate update;
                                        const BOOL bResult =
                                            bCheck ? update.IsDatabaseCurrent(address) : UpdateDefinitionsNow();
                                        capture.Finish();
                                        if (bCheck)
                                        {
                                            suitediag::OutLine(bResult ? L"current" : L"not current");
                                            if (!bResult)
                                                suitediag::OutFormat(L"address %s\n", address.GetString());
                                        }
                                        else
                                        {
                                            suitediag::OutLine(bResult ? L"ok" : L"failed");
                                            suitediag::OutFormat(L"archive %s\n", ArchiveDigest().GetString());
                                        }
                                        return bResult ? 0 : 1;
                                    });
}
} // namespace

SUITEDIAG_COMMAND(update_check, L"update-check", L"[--server BASE]",
                  L"Checks whether a newer version of the suite is published", RunUpdateCheck);
SUITEDIAG_COMMAND(update_definitions, L"update-definitions", L"[--server BASE] [--check]",
                  L"Brings the definition archive beside SuiteDiag up to date (--check: only compares)",
                  RunUpdateDefinitions);
