// Shell file operations: silent deletes and moves through SHFileOperationW.
#include "suitecore/paths.h"

#include "path_split.h"

#include <framework/exception.h>

#include <cwchar>
#include <vector>

namespace
{
constexpr FILEOP_FLAGS kDeleteFlags = FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_NOCONFIRMATION | FOF_SILENT;
constexpr FILEOP_FLAGS kDeleteToBinFlags = kDeleteFlags | FOF_ALLOWUNDO;
constexpr FILEOP_FLAGS kPreparedFlags =
    FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR | FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
constexpr FILEOP_FLAGS kMoveIntoFolderFlags = kPreparedFlags | FOF_RENAMEONCOLLISION;
constexpr FILEOP_FLAGS kMovePathFlags =
    FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR | FOF_NOCONFIRMATION | FOF_SILENT;

constexpr int kShellDeleteChars = 521;
constexpr int kShellDeleteWithChars = 262;

// A path list of one entry as SHFileOperationW reads it: the path and two terminating zeros.
std::vector<WCHAR> SinglePathList(LPCWSTR path)
{
    const size_t length = wcslen(path);
    std::vector<WCHAR> list(length + 2, L'\0');
    wmemcpy(list.data(), path, length);
    return list;
}

// True when the given length is the path's own length and the path fits a buffer of
// nChars characters together with its two terminating zeros. A shorter length would
// delete a parent of the path, so it is refused rather than used.
bool FitsExactly(LPCWSTR path, int nLength, int nChars)
{
    if (!path || nLength <= 0 || nLength > nChars - 2)
        return false;
    return wcsnlen(path, static_cast<size_t>(nChars)) == static_cast<size_t>(nLength);
}

void PumpPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int Move(LPCWSTR source, LPCWSTR target, FILEOP_FLAGS flags)
{
    // Some shells report a move of a missing source as done; nothing was moved.
    if (GetFileAttributesW(source) == INVALID_FILE_ATTRIBUTES)
        return 0;
    std::vector<WCHAR> from = SinglePathList(source);
    std::vector<WCHAR> to = SinglePathList(target);
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_MOVE;
    op.pFrom = from.data();
    op.pTo = to.data();
    op.fFlags = flags;
    return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted ? 1 : 0;
}
} // namespace

int ShellDelete(LPCWSTR lpszPath, int nLength, BOOL bToRecycleBin)
{
    if (!FitsExactly(lpszPath, nLength, kShellDeleteChars))
        return 0;
    return AfxCallbackBarrier(
        [&]
        {
            WCHAR list[kShellDeleteChars] = {};
            wmemcpy(list, lpszPath, static_cast<size_t>(nLength));
            SHFILEOPSTRUCTW op{};
            op.wFunc = FO_DELETE;
            op.pFrom = list;
            op.fFlags = bToRecycleBin ? kDeleteToBinFlags : kDeleteFlags;
            if (SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted)
                return 1;
            PumpPendingMessages();
            return 0;
        },
        -1);
}

void InitFileOperation(SHFILEOPSTRUCTW& op)
{
    op = SHFILEOPSTRUCTW{};
    op.fFlags = kPreparedFlags;
}

int ShellDeleteWith(SHFILEOPSTRUCTW& op, LPCWSTR lpszPath, int nLength)
{
    if (!FitsExactly(lpszPath, nLength, kShellDeleteWithChars))
        return ERROR_FILENAME_EXCED_RANGE;
    WCHAR list[kShellDeleteWithChars] = {};
    wmemcpy(list, lpszPath, static_cast<size_t>(nLength));
    op.wFunc = FO_DELETE;
    op.pFrom = list;
    op.pTo = nullptr;
    const int result = SHFileOperationW(&op);
    op.pFrom = nullptr; // the list lives on this stack frame only
    return result;
}

BOOL ShellMoveIntoFolder(LPCWSTR lpszFile, LPCWSTR lpszFolder)
{
    CPathSplit split;
    if (!lpszFile || !lpszFolder || !split.Split(lpszFile))
        return FALSE;
    CString target(lpszFolder);
    JoinPath(target, CString(split.m_szFileName) + split.m_szExt);
    return Move(lpszFile, target, kMoveIntoFolderFlags);
}

int ShellMovePath(LPCWSTR lpszSource, LPCWSTR lpszTarget)
{
    if (!lpszSource || !lpszTarget)
        return 0;
    SetFileAttributesW(lpszSource, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesW(lpszTarget, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE);
    return Move(lpszSource, lpszTarget, kMovePathFlags);
}
