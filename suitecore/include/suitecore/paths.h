// Path helpers, file tests and shell file operations.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

#include <shellapi.h>

// ---------------------------------------------------------------------------------------------
// Paths.

// The folder of a module (null: the program), without a trailing backslash. When the module's
// file cannot be found, the folder of the program's first command-line argument. True when a
// folder was found.
SUITECORE_API BOOL GetModuleFolder(HMODULE hModule, CString& strFolder);
// Drive and folder of the running program, with the trailing backslash; empty when the path
// is too long to take apart. Returns 0.
SUITECORE_API int GetExeFolder(CString& strFolder);
// Appends a part to a base path with exactly one backslash between them; an empty base or
// part is simply concatenated. Returns 1.
SUITECORE_API int JoinPath(CString& strBase, LPCWSTR lpszPart);
// 1 when the path exists, 0 when not, -4 for an empty path, -1 after an exception.
SUITECORE_API int PathExists(LPCWSTR lpszPath);
// True (1) when the path names a folder; paths of two characters or fewer give 0; -1 after an
// exception.
SUITECORE_API int IsFolder(LPCWSTR lpszPath);
// Creates every missing folder of the path; true (1) when it then names a folder, -1 after an
// exception.
SUITECORE_API int CreateFolderPath(LPCWSTR lpszPath);
// A special folder by its CSIDL.
SUITECORE_API BOOL GetSpecialFolder(int nCsidl, CString& strPath);
// Removes one final backslash; with bKeepRoot only from paths longer than two characters, so
// that "C:\" stays.
SUITECORE_API void RemoveTrailingBackslash(CString& strPath, BOOL bKeepRoot);

// ---------------------------------------------------------------------------------------------
// File tests.

// Whether a text, such as a command line stored in the registry, refers to an existing file:
// 1 when it does; 0 when it names a folder, holds no drive root, or holds a name that cannot be
// a file name; -1 when a drive root occurs but nothing was decided.
SUITECORE_API int TextRefersToExistingFile(LPCWSTR lpszText);
// 1 when another process holds the file open, 0 when it can be opened exclusively, -1 when it
// is missing, is a folder, or its attributes cannot be changed for the test.
SUITECORE_API int IsFileInUse(LPCWSTR lpszPath);

// ---------------------------------------------------------------------------------------------
// Shell file operations. Every operation is silent: no confirmation, no progress, no error UI.

// Deletes a file or folder, into the recycle bin when asked. nLength must be the path's exact
// length (at most 519 characters), or nothing is deleted. 1 on success, 0 on failure or
// refusal, -1 after an exception.
SUITECORE_API int ShellDelete(LPCWSTR lpszPath, int nLength, BOOL bToRecycleBin);
// Clears the record and sets the flags that ShellDeleteWith uses.
SUITECORE_API void InitFileOperation(SHFILEOPSTRUCTW& op);
// Deletes the path with a record prepared by InitFileOperation (the caller may set its window
// and flags). Returns the result of SHFileOperationW (0 on success), or
// ERROR_FILENAME_EXCED_RANGE when nLength is not the path's length or exceeds 260.
SUITECORE_API int ShellDeleteWith(SHFILEOPSTRUCTW& op, LPCWSTR lpszPath, int nLength);
// Moves a file into a folder under its own name, renaming it on a collision.
SUITECORE_API BOOL ShellMoveIntoFolder(LPCWSTR lpszFile, LPCWSTR lpszFolder);
// Moves or renames a path after clearing the attributes of source and target. 1 on success.
SUITECORE_API int ShellMovePath(LPCWSTR lpszSource, LPCWSTR lpszTarget);
