// Path helpers: module folders, joining, existence, folder chains, special folders.
#include "suitecore/paths.h"

#include "path_split.h"

#include <framework/handles.h>

#include <framework/file.h>

#include <shlobj.h>
#include <shlwapi.h>

namespace
{
constexpr DWORD kModulePathChars = 1039;

struct LocalMemoryTraits
{
    using type = LPWSTR*;
    static LPWSTR* invalid() noexcept { return nullptr; }
    static void close(LPWSTR* p) noexcept { LocalFree(p); }
};

// PathRemoveFileSpecW on a copy of the path.
CString FolderOf(LPCWSTR path)
{
    CString folder(path);
    LPWSTR buffer = folder.GetBuffer();
    PathRemoveFileSpecW(buffer);
    folder.ReleaseBuffer();
    return folder;
}

CString FirstCommandLineArgument()
{
    int count = 0;
    CUniqueAny<LocalMemoryTraits> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!argv || count < 1)
        return CString();
    return CString(argv.get()[0]);
}
} // namespace

BOOL GetModuleFolder(HMODULE hModule, CString& strFolder)
{
    WCHAR path[kModulePathChars];
    const DWORD n = GetModuleFileNameW(hModule, path, kModulePathChars);
    if (n > 0 && n < kModulePathChars && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        strFolder = FolderOf(path);
    else
        strFolder = FolderOf(FirstCommandLineArgument());
    return !strFolder.IsEmpty();
}

int GetExeFolder(CString& strFolder)
{
    strFolder.Empty();
    WCHAR path[kModulePathChars];
    const DWORD n = GetModuleFileNameW(nullptr, path, kModulePathChars);
    CPathSplit split;
    if (n > 0 && n < kModulePathChars && split.Split(path))
        strFolder = CString(split.m_szDrive) + split.m_szDir;
    return 0;
}

int JoinPath(CString& strBase, LPCWSTR lpszPart)
{
    if (!lpszPart)
        return 1;
    if (strBase.IsEmpty() || !*lpszPart)
    {
        strBase += lpszPart;
        return 1;
    }
    if (*lpszPart == L'\\')
        ++lpszPart;
    if (strBase[strBase.GetLength() - 1] != L'\\')
        strBase += L'\\';
    strBase += lpszPart;
    return 1;
}

int PathExists(LPCWSTR lpszPath)
{
    if (!lpszPath || !*lpszPath)
        return -4;
    return AfxCallbackBarrier(
        [&]
        {
            if (GetFileAttributesW(lpszPath) != INVALID_FILE_ATTRIBUTES)
                return 1;
            CFileStatus status;
            return CFile::GetStatus(lpszPath, status) ? 1 : 0;
        },
        -1);
}

int IsFolder(LPCWSTR lpszPath)
{
    if (!lpszPath || wcslen(lpszPath) <= 2)
        return 0;
    return AfxCallbackBarrier(
        [&]
        {
            CString path(lpszPath);
            if (path[path.GetLength() - 1] == L'\\')
                path.Truncate(path.GetLength() - 1);
            const DWORD attributes = GetFileAttributesW(path);
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return 0;
            CFileStatus status;
            return CFile::GetStatus(path, status) && (status.m_attribute & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
        },
        -1);
}

int CreateFolderPath(LPCWSTR lpszPath)
{
    if (!lpszPath)
        return 0;
    return AfxCallbackBarrier(
        [&]
        {
            CString path(lpszPath);
            if (!path.IsEmpty() && path[path.GetLength() - 1] == L'\\')
                path.Truncate(path.GetLength() - 1);
            if (IsFolder(path) == 1)
                return 1;
            // Every level from the one after the drive down to the path itself; levels that exist
            // already simply fail to be created.
            bool first = true;
            for (int i = 0; i <= path.GetLength(); ++i)
            {
                if (i < path.GetLength() && path[i] != L'\\')
                    continue;
                if (!first)
                {
                    const CString level = path.Left(i);
                    if (CreateDirectoryW(level, nullptr))
                        SetFileAttributesW(level, FILE_ATTRIBUTE_NORMAL);
                }
                first = false;
            }
            return IsFolder(path) == 1 ? 1 : 0;
        },
        -1);
}

BOOL GetSpecialFolder(int nCsidl, CString& strPath)
{
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, nCsidl, &pidl)) || !pidl)
        return FALSE;
    WCHAR path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(pidl, path);
    IMalloc* shellAllocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&shellAllocator)) && shellAllocator)
    {
        shellAllocator->Free(pidl);
        shellAllocator->Release();
    }
    if (!found)
        return FALSE;
    strPath = path;
    return TRUE;
}

void RemoveTrailingBackslash(CString& strPath, BOOL bKeepRoot)
{
    const int length = strPath.GetLength();
    if (length == 0 || strPath[length - 1] != L'\\')
        return;
    // A root such as "C:\" keeps its backslash when asked: without it, it would name the
    // drive's current folder.
    if (bKeepRoot && length - 1 <= 2)
        return;
    strPath.Truncate(length - 1);
}
