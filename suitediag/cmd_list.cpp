// SuiteDiag list: a folder's files (and sub-folders) as CFileInfoArray::AddDir lists them.
#include "command.h"

#include <suitecore/filelist.h>

namespace
{
int RunList(suitediag::Args& args)
{
    BOOL recurse = FALSE, folders = FALSE;
    int order = CFileInfoArray::AddAtEnd;
    for (;;)
    {
        CString value;
        if (args.TakeOption(L"--recurse"))
            recurse = TRUE;
        else if (args.TakeOption(L"--folders"))
            folders = TRUE;
        else if (args.TakeOptionValue(L"--order", value))
        {
            wchar_t* end = nullptr;
            order = static_cast<int>(wcstol(value, &end, 10));
            if (value.IsEmpty() || *end)
                throw suitediag::UsageError{L"--order takes a number, not \"" + value + L"\""};
        }
        else
            break;
    }
    CString folder = args.Next(L"FOLDER");
    const CString mask = args.Empty() ? CString(L"*") : args.Next(L"MASK");
    args.ExpectEnd();

    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        suitediag::ErrFormat(L"SuiteDiag list: %s is not a folder\n", folder.GetString());
        return 1;
    }
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';

    CFileInfoArray list;
    list.AddDir(folder, mask, recurse, order, folders);
    suitediag::OutBuffer out;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
    {
        const CFileInfo& fi = list[i];
        out.AppendFormat(L"%I64u %08lx %s\n", fi.GetLength64(), fi.GetAttributes(), fi.GetFilePath().GetString());
    }
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(list, L"list", L"[--recurse] [--folders] [--order N] FOLDER [MASK]",
                  L"Lists a folder with CFileInfoArray::AddDir: size, attributes (hex), path", RunList);
