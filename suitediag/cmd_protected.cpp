// SuiteDiag protected: the three protected-location answers for each path, as a cleaner asks
// them: IsPathUnprotected, IsFileDeletable, HasRiskyExtension, each 0 or 1.
#include "command.h"

#include <suitecore/protect.h>

#include <string>

namespace
{
// Paths from standard input, UTF-8, one a line.
std::vector<CString> ReadPathLines()
{
    std::string input;
    char buffer[1 << 16];
    DWORD got = 0;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(in, buffer, sizeof(buffer), &got, nullptr) && got)
        input.append(buffer, got);
    if (input.compare(0, 3, "\xEF\xBB\xBF") == 0)
        input.erase(0, 3);

    std::vector<CString> lines;
    size_t start = 0;
    while (start < input.size())
    {
        size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        size_t stop = end;
        if (stop > start && input[stop - 1] == '\r')
            --stop;
        CString line;
        const int chars =
            MultiByteToWideChar(CP_UTF8, 0, input.data() + start, static_cast<int>(stop - start), nullptr, 0);
        MultiByteToWideChar(CP_UTF8, 0, input.data() + start, static_cast<int>(stop - start),
                            line.GetBufferSetLength(chars), chars);
        line.ReleaseBuffer(chars);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

int RunProtected(suitediag::Args& args)
{
    std::vector<CString> paths = args.Rest();
    if (paths.empty())
        paths = ReadPathLines();
    suitediag::OutBuffer out;
    for (const CString& path : paths)
        out.AppendFormat(L"%d%d%d %s\n", IsPathUnprotected(path) ? 1 : 0, IsFileDeletable(path) ? 1 : 0,
                         HasRiskyExtension(path) ? 1 : 0, path.GetString());
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(protected, L"protected", L"[PATH...]",
                  L"Prints IsPathUnprotected, IsFileDeletable, HasRiskyExtension (0/1) per path or stdin line",
                  RunProtected);
