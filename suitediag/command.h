// SuiteDiag's subcommands. Each lives in its own source file and registers itself:
//
//   static int RunVersion(Args& args);
//   SUITEDIAG_COMMAND(version, L"version", L"Prints the file version of the loaded suitecore.dll", RunVersion);
//
// A command returns 0 on success and 1 on a failed operation (after writing the reason to
// stderr); it throws UsageError for a malformed command line, which exits with 2.
#pragma once

#include "output.h"

#include <framework/string.h>

#include <stdexcept>
#include <vector>

namespace suitediag
{
struct UsageError
{
    CString message;
};

// The arguments after the subcommand's name, consumed front to back.
class Args
{
public:
    explicit Args(std::vector<CString> items) : m_items(std::move(items)) {}

    bool Empty() const { return m_next >= m_items.size(); }
    size_t Remaining() const { return m_items.size() - m_next; }
    // The next argument; a usage error names what was expected when there is none.
    CString Next(LPCWSTR what);
    // Takes the next argument when it equals the option (compared without case).
    bool TakeOption(LPCWSTR option);
    // Takes "--name VALUE"; false when the next argument is not the option.
    bool TakeOptionValue(LPCWSTR option, CString& value);
    // The arguments not yet taken, all of them.
    std::vector<CString> Rest();
    // A usage error when arguments are left over.
    void ExpectEnd() const;

private:
    std::vector<CString> m_items;
    size_t m_next = 0;
};

using CommandFn = int (*)(Args& args);

struct Command
{
    LPCWSTR name;
    LPCWSTR usage;    // the arguments, e.g. L"FILE SECTION KEY"
    LPCWSTR summary;  // one line for "help"
    CommandFn run;
};

// Adds a command to the table that main dispatches on; called by SUITEDIAG_COMMAND.
struct CommandRegistration
{
    explicit CommandRegistration(const Command& command);
};

const std::vector<Command>& Commands();

#define SUITEDIAG_COMMAND(id, name, usage, summary, fn) \
    static const ::suitediag::CommandRegistration g_command_##id({name, usage, summary, fn})
} // namespace suitediag
