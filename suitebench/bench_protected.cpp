// The protected-path test over a million generated paths: SuiteCore's one-pass matcher against
// the literal rule (lower-case, then each of the 252 fragments as a substring).
#include "bench.h"

#include <suitecore/protect.h>

#include <random>

namespace
{
constexpr int kPaths = 1000000;

std::vector<CString> GeneratePaths()
{
    static const wchar_t* const roots[] = {L"C:\\Users\\",  L"D:\\Data\\",        L"C:\\Documents and Settings\\",
                                           L"E:\\Backup\\", L"C:\\ProgramData\\", L"C:\\Windows\\Temp\\"};
    static const wchar_t* const words[] = {
        L"Anna",     L"Bob",      L"AppData", L"Local",     L"Roaming", L"Temp",       L"Cache",    L"Mozilla",
        L"Firefox",  L"Profiles", L"Chrome",  L"Default",   L"Photos",  L"Holiday",    L"Projects", L"Reports",
        L"Invoices", L"Music",    L"Videos",  L"Downloads", L"Logs",    L"Thumbnails", L"Office",   L"Games",
        L"Steam",    L"Adobe",    L"Acrobat", L"Updates",   L"Old",     L"Archive",    L"2019",     L"2020"};
    static const wchar_t* const extensions[] = {L".tmp", L".log", L".txt", L".jpg", L".dat",   L".bak",
                                                L".dll", L".exe", L".doc", L".ini", L".cache", L""};
    std::mt19937 rng(4242);
    std::vector<CString> paths;
    paths.reserve(kPaths);
    for (int i = 0; i < kPaths; ++i)
    {
        CString path = roots[rng() % 6];
        const int depth = 2 + static_cast<int>(rng() % 5);
        for (int d = 0; d < depth; ++d)
        {
            path += words[rng() % 32];
            path += L'\\';
        }
        path.AppendFormat(L"file%05x", static_cast<unsigned>(rng() & 0xFFFFF));
        path += extensions[rng() % 12];
        paths.push_back(path);
    }
    return paths;
}

class LiteralScan
{
public:
    LiteralScan()
    {
        AddProtectedFileNames(m_fragments);
        AddProtectedFolderFragments(m_fragments);
        for (INT_PTR i = 0; i < m_fragments.GetSize(); ++i)
            m_fragments[i].MakeLower().Trim();
    }
    bool Unprotected(const CString& path) const
    {
        CString lowered(path);
        lowered.MakeLower();
        for (INT_PTR i = 0; i < m_fragments.GetSize(); ++i)
            if (lowered.Find(m_fragments[i]) >= 0)
                return false;
        return true;
    }

private:
    CStringArray m_fragments;
};

void BenchProtected(suitebench::Reporter& r)
{
    const std::vector<CString> paths = GeneratePaths();
    const LiteralScan literal;
    int oursUnprotected = 0, peerUnprotected = 0;
    const double oursSeconds = suitebench::BestSeconds(3,
                                                       [&]
                                                       {
                                                           oursUnprotected = 0;
                                                           for (const CString& path : paths)
                                                               oursUnprotected += IsPathUnprotected(path) ? 1 : 0;
                                                       });
    const double peerSeconds = suitebench::BestSeconds(1,
                                                       [&]
                                                       {
                                                           peerUnprotected = 0;
                                                           for (const CString& path : paths)
                                                               peerUnprotected += literal.Unprotected(path) ? 1 : 0;
                                                       });
    r.Report(L"IsPathUnprotected, 1M paths", kPaths / oursSeconds, L"literal 252-substring scan", kPaths / peerSeconds,
             suitebench::Unit::ItemsPerSecond);
    wchar_t note[128];
    _snwprintf(note, 128, L"%d of %d paths unprotected%s", oursUnprotected, kPaths,
               oursUnprotected == peerUnprotected ? L"; answers agree" : L"; ANSWERS DIFFER");
    note[127] = L'\0';
    r.Note(note);
}
} // namespace

SUITEBENCH_CASE(protected_paths, L"protected", BenchProtected);
