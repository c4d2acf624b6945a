// SuiteBench [--tsv] [NAME...]: runs every benchmark, or those named.
#include "bench.h"

#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

namespace suitebench
{
namespace
{
struct Case
{
    const wchar_t* name;
    CaseFn fn;
};

std::vector<Case>& Cases()
{
    static std::vector<Case> cases;
    return cases;
}

const wchar_t* UnitText(Unit unit)
{
    switch (unit)
    {
    case Unit::MiBPerSecond:
        return L"MiB/s";
    case Unit::ItemsPerSecond:
        return L"items/s";
    case Unit::Milliseconds:
        return L"ms";
    }
    return L"";
}

void Print(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring Fixed(double value)
{
    wchar_t text[64];
    _snwprintf(text, 64, L"%.2f", value);
    text[63] = L'\0';
    return text;
}

std::wstring Padded(const std::wstring& text, size_t width)
{
    return text.size() >= width ? text + L" " : text + std::wstring(width - text.size(), L' ');
}
} // namespace

CaseRegistration::CaseRegistration(const wchar_t* name, CaseFn fn) { Cases().push_back({name, fn}); }

void Reporter::Report(const std::wstring& name, double ours, const std::wstring& peerName, double peer, Unit unit,
                      double reference)
{
    const bool higherIsBetter = unit != Unit::Milliseconds;
    const double ratio = higherIsBetter ? (peer > 0 ? ours / peer : 0) : (ours > 0 ? peer / ours : 0);
    Line(name, Fixed(ours), peerName, Fixed(peer), unit, Fixed(ratio) + (m_tsv ? L"" : L"x"),
         reference > 0 ? Fixed(ours / reference) + (m_tsv ? L"" : L"x") : L"");
}

void Reporter::Reference(const std::wstring& name, double value, Unit unit)
{
    Line(name, Fixed(value), L"", L"", unit, L"", L"");
}

void Reporter::Line(const std::wstring& name, const std::wstring& ours, const std::wstring& peerName,
                    const std::wstring& peer, Unit unit, const std::wstring& ratio, const std::wstring& toReference)
{
    if (m_tsv)
    {
        // A seventh column only on the lines measured against a reference.
        Print(name + L"\t" + ours + L"\t" + peerName + L"\t" + peer + L"\t" + UnitText(unit) + L"\t" + ratio +
              (toReference.empty() ? L"" : L"\t" + toReference) + L"\n");
        return;
    }
    if (!m_headerDone)
    {
        Print(Padded(L"figure", 44) + Padded(L"ours", 12) + Padded(L"peer", 28) + Padded(L"peer value", 12) +
              Padded(L"unit", 9) + Padded(L"ratio", 10) + L"to reference\n");
        m_headerDone = true;
    }
    std::wstring line = Padded(name, 44) + Padded(ours, 12) + Padded(peerName, 28) + Padded(peer, 12) +
                        Padded(UnitText(unit), 9) + (toReference.empty() ? ratio : Padded(ratio, 10) + toReference);
    line.erase(line.find_last_not_of(L' ') + 1);
    Print(line + L"\n");
}

void Reporter::Note(const std::wstring& text)
{
    if (!m_tsv)
        Print(L"  " + text + L"\n");
}

double BestSeconds(int runs, const std::function<void()>& fn)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
    {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        fn();
        QueryPerformanceCounter(&stop);
        const double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (seconds < best)
            best = seconds;
    }
    return best;
}

std::vector<unsigned char> RandomBytes(size_t size, unsigned seed)
{
    std::vector<unsigned char> bytes(size);
    std::mt19937 rng(seed);
    size_t i = 0;
    for (; i + 4 <= size; i += 4)
    {
        const unsigned v = rng();
        memcpy(&bytes[i], &v, 4);
    }
    for (; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(rng());
    return bytes;
}
} // namespace suitebench

int wmain(int argc, wchar_t** argv)
{
    bool tsv = false;
    std::vector<std::wstring> only;
    for (int i = 1; i < argc; ++i)
    {
        if (wcscmp(argv[i], L"--tsv") == 0)
            tsv = true;
        else
            only.emplace_back(argv[i]);
    }
    suitebench::Reporter reporter(tsv);
    int ran = 0;
    for (const auto& c : suitebench::Cases())
    {
        bool wanted = only.empty();
        for (const auto& name : only)
            wanted = wanted || _wcsicmp(name.c_str(), c.name) == 0;
        if (!wanted)
            continue;
        c.fn(reporter);
        ++ran;
    }
    if (ran == 0 && !only.empty())
    {
        fwprintf(stderr, L"SuiteBench: no benchmark of that name\n");
        return 2;
    }
    return 0;
}
