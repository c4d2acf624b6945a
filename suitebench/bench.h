// SuiteBench: figures for SuiteCore's hot paths, each measured against a peer in the same run.
//
// A benchmark is a function in its own source file that registers itself:
//
//   static void BenchCrc(suitebench::Reporter& r) { ... r.Report(...); }
//   SUITEBENCH_CASE(crc32, L"crc32", BenchCrc);
#pragma once

#include <framework/framework.h>

#include <functional>
#include <string>
#include <vector>

namespace suitebench
{
enum class Unit
{
    MiBPerSecond,      // higher is better
    ItemsPerSecond,    // higher is better
    Milliseconds,      // lower is better
};

class Reporter
{
public:
    explicit Reporter(bool tsv) : m_tsv(tsv) {}
    // One figure: ours against the peer's, in the same unit. The ratio printed is always
    // "how many times better ours is" (ours/peer for rates, peer/ours for times). A rate may also
    // be set against a reference line's rate (see Reference): that ratio goes in the last column.
    void Report(const std::wstring& name, double ours, const std::wstring& peerName, double peer, Unit unit,
                double reference = 0);
    // A reference line with no peer, such as the rate at which memory can be read at all.
    void Reference(const std::wstring& name, double value, Unit unit);
    void Note(const std::wstring& text);  // a line of context (table mode only)

private:
    void Line(const std::wstring& name, const std::wstring& ours, const std::wstring& peerName,
              const std::wstring& peer, Unit unit, const std::wstring& ratio, const std::wstring& toReference);

    bool m_tsv;
    bool m_headerDone = false;
};

// Wall-clock seconds of the fastest of `runs` calls.
double BestSeconds(int runs, const std::function<void()>& fn);

// A large buffer of deterministic pseudo-random bytes.
std::vector<unsigned char> RandomBytes(size_t size, unsigned seed = 12345);

using CaseFn = void (*)(Reporter&);
struct CaseRegistration
{
    CaseRegistration(const wchar_t* name, CaseFn fn);
};

#define SUITEBENCH_CASE(id, name, fn) static const ::suitebench::CaseRegistration g_bench_##id(name, fn)
} // namespace suitebench
