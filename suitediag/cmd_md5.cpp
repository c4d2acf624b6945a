// SuiteDiag md5: the MD5 digest of each file's bytes, from SuiteCore's in-memory digest.
#include "command.h"

#include <framework/handles.h>
#include <suitecore/checksum.h>

namespace
{
// The digest of the whole file, mapped into memory; 0 or the Win32 error.
DWORD FileMd5(LPCWSTR path, CString& digest)
{
    const CUniqueFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return GetLastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size))
        return GetLastError();
    if (size.QuadPart == 0)
    {
        digest = CMD5Checksum::GetMD5(nullptr, 0);
        return 0;
    }
    if (size.QuadPart > 0x7FFFFFFF)
        return ERROR_FILE_TOO_LARGE;
    const CUniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return GetLastError();
    const CUniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view)
        return GetLastError();
    digest = CMD5Checksum::GetMD5(static_cast<const BYTE*>(view.get()), static_cast<UINT>(size.QuadPart));
    return 0;
}

int RunMd5(suitediag::Args& args)
{
    const std::vector<CString> files = args.Rest();
    if (files.empty())
        throw suitediag::UsageError{L"missing FILE"};
    int exitCode = 0;
    for (const CString& file : files)
    {
        CString digest;
        if (const DWORD error = FileMd5(file, digest))
        {
            suitediag::ErrFormat(L"SuiteDiag md5: %s: error %lu\n", file.GetString(), error);
            exitCode = 1;
            continue;
        }
        suitediag::OutFormat(L"%s  %s\n", digest.GetString(), file.GetString());
    }
    return exitCode;
}
} // namespace

SUITEDIAG_COMMAND(md5, L"md5", L"FILE...", L"Prints the MD5 digest of each file", RunMd5);
