// SuiteDiag format-size: a byte count as the tools show it.
#include "command.h"

#include <suitecore/sysinfo.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>

namespace
{
ULONGLONG ParseByteCount(const CString& text)
{
    bool digits = !text.IsEmpty();
    for (int i = 0; i < text.GetLength() && digits; ++i)
        digits = iswdigit(text[i]) != 0;
    errno = 0;
    const ULONGLONG value = digits ? wcstoull(text, nullptr, 10) : 0;
    if (!digits || errno == ERANGE)
        throw suitediag::UsageError{L"BYTES must be a whole number from 0 to 18446744073709551615"};
    return value;
}

int RunFormatSize(suitediag::Args& args)
{
    const ULONGLONG bytes = ParseByteCount(args.Next(L"BYTES"));
    args.ExpectEnd();
    CString text;
    FormatSize(text, FALSE, bytes);
    suitediag::OutLine(text);
    FormatSize(text, TRUE, bytes);
    suitediag::OutLine(text);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(format_size, L"format-size", L"BYTES",
                  L"Prints a size as the tools show it: with decimals, then in whole numbers", RunFormatSize);
