// How checksum code opens a file: read-only, others may read too, with the sequential-scan
// hint. Internal to SuiteCore.
#pragma once

#include <framework/handles.h>

namespace suitecore
{
constexpr DWORD kChecksumOpenFlags = FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
static_assert(kChecksumOpenFlags == 0x8000027);

inline CUniqueFileHandle OpenForChecksum(LPCWSTR path)
{
    return CUniqueFileHandle(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, kChecksumOpenFlags, nullptr));
}
} // namespace suitecore
