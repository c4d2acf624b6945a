// SuiteDiag crc32: the CRC-32 of files through one of SuiteCore's file methods.
#include "command.h"

#include <framework/handles.h>
#include <suitecore/filelist.h>

namespace
{
constexpr ULONGLONG kStep = 1 << 20;

// GetCrc in steps of 1 MiB, as a scanner with a progress display calls it.
DWORD CrcInSteps(LPCWSTR path, DWORD& crc)
{
    // GetCrc reports no errors: find out first whether the file can be read at all.
    if (!CUniqueFileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)))
        return GetLastError();
    CFileInfo fi;
    fi.CreateFromPath(path);
    for (ULONGLONG limit = kStep; limit < fi.GetLength64(); limit += kStep)
        fi.GetCrc(limit);
    crc = fi.GetCrc();
    return 0;
}

int RunCrc32(suitediag::Args& args)
{
    CString method = L"streamed";
    args.TakeOptionValue(L"--method", method);
    using Method = DWORD (CCrc32Dynamic::*)(LPCWSTR, DWORD&) const;
    Method fileMethod = nullptr;
    if (method == L"streamed")
        fileMethod = &CCrc32Dynamic::FileCrc32Streamed;
    else if (method == L"mapped")
        fileMethod = &CCrc32Dynamic::FileCrc32Mapped;
    else if (method == L"buffered")
        fileMethod = &CCrc32Dynamic::FileCrc32Buffered;
    else if (method != L"steps")
        throw suitediag::UsageError{L"unknown method \"" + method + L"\""};
    const std::vector<CString> files = args.Rest();
    if (files.empty())
        throw suitediag::UsageError{L"missing FILE"};

    CCrc32Dynamic engine;
    engine.InitTable();
    int exitCode = 0;
    for (const CString& file : files)
    {
        DWORD crc = 0;
        const DWORD error = fileMethod ? (engine.*fileMethod)(file, crc) : CrcInSteps(file, crc);
        if (error)
        {
            suitediag::ErrFormat(L"SuiteDiag crc32: %s: error %lu\n", file.GetString(), error);
            exitCode = 1;
            continue;
        }
        suitediag::OutFormat(L"%08lx  %s\n", crc, file.GetString());
    }
    return exitCode;
}
} // namespace

SUITEDIAG_COMMAND(crc32, L"crc32", L"[--method streamed|mapped|buffered|steps] FILE...",
                  L"Prints the CRC-32 of each file", RunCrc32);
