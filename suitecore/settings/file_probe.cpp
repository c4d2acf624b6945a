// File tests: whether a text refers to an existing file, and whether a file is in use.
#include "suitecore/paths.h"

#include <framework/exception.h>
#include <framework/handles.h>

#include <cwchar>

namespace
{
// The drive roots, "C:\#D:\#...", read once per process.
const CString& LogicalDriveList()
{
    static const CString list = []
    {
        CString text;
        constexpr DWORD kChars = 4096;
        LPWSTR buffer = text.GetBuffer(kChars);
        DWORD n = GetLogicalDriveStringsW(kChars, buffer);
        if (n >= kChars)
            n = 0;
        for (DWORD i = 0; i < n; ++i)
            if (buffer[i] == L'\0')
                buffer[i] = L'#';
        text.ReleaseBufferSetLength(static_cast<int>(n));
        return text;
    }();
    return list;
}

bool NamesExistingFile(LPCWSTR path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CannotStandInFileName(wchar_t ch)
{
    return ch < 32 || wcschr(L"*:<>?|", ch) != nullptr;
}

// What the text from one drive root on says: 1 a file, 0 not a file, -1 undecided.
int DecideFromRoot(const CString& rest)
{
    const DWORD attributes = GetFileAttributesW(rest);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    // A command line: the program's path followed by its arguments.
    for (int length = rest.GetLength() - 1; length >= 1; --length)
        if (NamesExistingFile(rest.Left(length)))
            return 1;
    const int dot = rest.Find(L'.');
    if (dot < 0)
        return 0;
    // The characters after the root, as many as the dot's position, and only those that exist.
    const int rootChars = 3;
    const int end = rootChars + dot < rest.GetLength() ? rootChars + dot : rest.GetLength();
    for (int i = rootChars; i < end; ++i)
        if (CannotStandInFileName(rest[i]))
            return 0;
    return -1;
}

int SearchText(LPCWSTR lpszText)
{
    if (!lpszText || !*lpszText)
        return 0;
    if (NamesExistingFile(lpszText))
        return 1;
    CString text(lpszText);
    text.MakeUpper();
    bool rootFound = false;
    int start = 0;
    const CString& drives = LogicalDriveList();
    for (CString root = drives.Tokenize(L"#", start); !root.IsEmpty(); root = drives.Tokenize(L"#", start))
    {
        const int at = text.Find(root);
        if (at < 0)
            continue;
        rootFound = true;
        const int answer = DecideFromRoot(text.Mid(at));
        if (answer != -1)
            return answer;
    }
    return rootFound ? -1 : 0;
}
} // namespace

int TextRefersToExistingFile(LPCWSTR lpszText)
{
    // When the search itself fails, the text counts as referring to a file, so that nothing
    // that may still be in use is reported as stale.
    return AfxCallbackBarrier([&] { return SearchText(lpszText); }, 1);
}

int IsFileInUse(LPCWSTR lpszPath)
{
    if (!lpszPath || !*lpszPath)
        return -1;
    const DWORD attributes = GetFileAttributesW(lpszPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    // A read-only file cannot be opened for writing; clear the flag for the test.
    const DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!SetFileAttributesW(lpszPath, writable))
        return -1;
    const bool inUse = !CUniqueFileHandle(
        CreateFileW(lpszPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (writable != attributes)
        SetFileAttributesW(lpszPath, attributes);
    return inUse ? 1 : 0;
}
