// SuiteDiag launcher-status: the status values the suite's launcher shows for each tool.
//   launcher-status write TOOL ICON MSG HOME [YYYY-MM-DDTHH:MM]
//   launcher-status read TOOL [--home] [--date]
// "read" prints "icon=N" when the tool has an icon status, then the text the library returns:
// the tool's own message (or its default), the on-home message, or the last-run date.
#include "command.h"

#include <suitecore/app.h>
#include <suitecore/registry.h>

#include <cwchar>

namespace
{
int ParseTool(const CString& text)
{
    wchar_t* end = nullptr;
    const long tool = wcstol(text, &end, 10);
    if (text.IsEmpty() || *end != L'\0' || tool < 0 || tool > 0xFFFF)
        throw suitediag::UsageError{L"TOOL must be a tool number, not \"" + text + L"\""};
    return static_cast<int>(tool);
}

DWORD ParseIcon(const CString& text)
{
    wchar_t* end = nullptr;
    const unsigned long icon = wcstoul(text, &end, 10);
    if (text.IsEmpty() || *end != L'\0' || text[0] == L'-')
        throw suitediag::UsageError{L"ICON must be a number, not \"" + text + L"\""};
    return static_cast<DWORD>(icon);
}

// YYYY-MM-DDTHH:MM, handed over as a date-time value.
COleDateTime ParseDate(const CString& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    wchar_t tail = 0;
    COleDateTime date;
    if (text.GetLength() != 16 ||
        swscanf(text, L"%4d-%2d-%2dT%2d:%2d%lc", &year, &month, &day, &hour, &minute, &tail) != 5 ||
        !date.SetDateTime(year, month, day, hour, minute, 0) || date.GetStatus() != COleDateTime::valid)
        throw suitediag::UsageError{L"DATE must be YYYY-MM-DDTHH:MM, not \"" + text + L"\""};
    return date;
}

int Write(suitediag::Args& args)
{
    const int tool = ParseTool(args.Next(L"TOOL"));
    const DWORD icon = ParseIcon(args.Next(L"ICON"));
    const CString message = args.Next(L"MSG");
    const CString home = args.Next(L"HOME");
    COleDateTime date;
    const bool withDate = !args.Empty();
    if (withDate)
        date = ParseDate(args.Next(L"DATE"));
    args.ExpectEnd();
    if (!WriteLauncherStatus(tool, icon, message, home, withDate ? &date : nullptr))
    {
        suitediag::ErrFormat(L"SuiteDiag launcher-status: the status of tool %d could not be written%s.\n", tool,
                             GetModuleKey(tool).IsEmpty() ? L" (no such tool)" : L"");
        return 1;
    }
    return 0;
}

int Read(suitediag::Args& args)
{
    const int tool = ParseTool(args.Next(L"TOOL"));
    bool home = false;
    bool date = false;
    while (!args.Empty())
    {
        if (args.TakeOption(L"--home"))
            home = true;
        else if (args.TakeOption(L"--date"))
            date = true;
        else
            args.ExpectEnd();
    }
    CString path;
    GetProductKeyPath(path);
    path += L"\\ScanStatusForLauncher\\" + GetModuleKey(tool);
    DWORD icon = 0;
    const CString text = ReadLauncherStatus(tool, &icon, home, date);
    if (!GetModuleKey(tool).IsEmpty() && RegValueExists(HKEY_CURRENT_USER, path, L"iconStatus"))
        suitediag::OutFormat(L"icon=%lu\n", icon);
    suitediag::OutLine(text);
    return 0;
}

int RunLauncherStatus(suitediag::Args& args)
{
    const CString action = args.Next(L"write|read");
    if (action.CompareNoCase(L"write") == 0)
        return Write(args);
    if (action.CompareNoCase(L"read") == 0)
        return Read(args);
    throw suitediag::UsageError{L"unknown action \"" + action + L"\"; use write or read"};
}
} // namespace

SUITEDIAG_COMMAND(launcher_status, L"launcher-status",
                  L"write TOOL ICON MSG HOME [YYYY-MM-DDTHH:MM] | read TOOL [--home] [--date]",
                  L"Writes or reads a tool's status for the launcher", RunLauncherStatus);
