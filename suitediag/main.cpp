// SuiteDiag: SuiteCore's command-line face for support staff and scripts.
//   SuiteDiag COMMAND [ARGS...]
// Exit codes: 0 success, 1 failed operation (reason on stderr), 2 usage error.
#include "command.h"

#include <framework/exception.h>

#include <shellapi.h>

#include <algorithm>

namespace suitediag
{
namespace
{
std::vector<Command>& Table()
{
    static std::vector<Command> table;
    return table;
}

int RunHelp(Args& args)
{
    args.ExpectEnd();
    OutLine(L"Usage: SuiteDiag COMMAND [ARGS...]");
    OutLine(L"Exit codes: 0 success, 1 failed operation, 2 usage error.");
    OutLine(L"");
    OutLine(L"Commands:");
    std::vector<Command> sorted = Commands();
    std::sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) { return wcscmp(a.name, b.name) < 0; });
    for (const Command& c : sorted)
    {
        CString usage(c.name);
        if (c.usage && *c.usage)
            usage += CString(L" ") + c.usage;
        OutFormat(L"  %-40s %s\n", usage.GetString(), c.summary);
    }
    return 0;
}
SUITEDIAG_COMMAND(help, L"help", L"", L"Lists the commands", RunHelp);

const Command* FindCommand(LPCWSTR name)
{
    for (const Command& c : Commands())
        if (_wcsicmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

int Dispatch(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        ErrLine(L"SuiteDiag: no command given; \"SuiteDiag help\" lists them.");
        return 2;
    }
    const Command* command = FindCommand(argv[1]);
    if (!command)
    {
        ErrFormat(L"SuiteDiag: unknown command \"%s\"; \"SuiteDiag help\" lists them.\n", argv[1]);
        return 2;
    }
    std::vector<CString> items;
    for (int i = 2; i < argc; ++i)
        items.emplace_back(argv[i]);
    Args args(std::move(items));
    try
    {
        return command->run(args);
    }
    catch (const UsageError& e)
    {
        ErrFormat(L"SuiteDiag %s: %s\nUsage: SuiteDiag %s %s\n", command->name, e.message.GetString(), command->name,
                  command->usage);
        return 2;
    }
    catch (CException* e)
    {
        wchar_t message[512];
        if (!e->GetErrorMessage(message, 512))
            lstrcpynW(message, L"unexpected framework exception", 512);
        e->Delete();
        ErrFormat(L"SuiteDiag %s: %s\n", command->name, message);
        return 1;
    }
    catch (const std::exception& e)
    {
        ErrFormat(L"SuiteDiag %s: %hs\n", command->name, e.what());
        return 1;
    }
}
} // namespace

CommandRegistration::CommandRegistration(const Command& command) { Table().push_back(command); }

const std::vector<Command>& Commands() { return Table(); }

CString Args::Next(LPCWSTR what)
{
    if (Empty())
        throw UsageError{CString(L"missing ") + what};
    return m_items[m_next++];
}

bool Args::TakeOption(LPCWSTR option)
{
    if (Empty() || m_items[m_next].CompareNoCase(option) != 0)
        return false;
    ++m_next;
    return true;
}

bool Args::TakeOptionValue(LPCWSTR option, CString& value)
{
    if (!TakeOption(option))
        return false;
    value = Next(option);
    return true;
}

std::vector<CString> Args::Rest()
{
    std::vector<CString> rest(m_items.begin() + static_cast<std::ptrdiff_t>(m_next), m_items.end());
    m_next = m_items.size();
    return rest;
}

void Args::ExpectEnd() const
{
    if (!Empty())
        throw UsageError{CString(L"unexpected argument \"") + m_items[m_next] + L"\""};
}
} // namespace suitediag

int wmain(int argc, wchar_t** argv)
{
    return suitediag::Dispatch(argc, argv);
}
