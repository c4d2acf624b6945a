// The rules that keep cleaners away from system files, hives, logs, profiles and code: a list
// of protected path fragments (plain substrings of the lower-cased path), critical extensions
// backed by the Windows file protection check, and the file types that run code. Internal to
// SuiteCore; the exported functions in protect.h wrap these.
#pragma once

#include <framework/collections.h>

#include <cstdint>
#include <vector>

namespace suitecore::protection
{
constexpr int kFileNameCount = 146;
constexpr int kFolderFragmentCount = 106;

void AppendFileNames(CStringArray& array);       // letter case as written
void AppendFolderFragments(CStringArray& array); // letter case as written

// Every entry of both groups, lower-cased and trimmed, built once at load.
const CStringArray& ProtectedFragments();

// Answers "does any protected fragment occur in the lower-cased path" in one pass: an automaton
// over all fragments, fed the path's characters lower-cased as the framework lower-cases them.
class FragmentMatcher
{
public:
    explicit FragmentMatcher(const CStringArray& fragments);
    bool ContainsFragment(LPCWSTR path) const;

private:
    static constexpr uint16_t kMatch = 0xFFFF;
    // Feeds the text to the automaton; without `lowered`, stops at the first code unit beyond
    // ASCII and sets sawWide.
    bool Run(LPCWSTR text, bool lowered, bool& sawWide) const;

    uint8_t m_class[128] = {}; // lower-cased ASCII code unit -> input class (0: in no fragment)
    int m_classes = 1;
    std::vector<uint16_t> m_next; // state * m_classes + class -> state, or kMatch
    bool m_usable = true;         // false if a fragment is not ASCII: then the plain scan answers
    const CStringArray& m_fragments;
};

// True when no protected fragment occurs in the lower-cased path.
bool IsPathUnprotected(LPCWSTR path);

// SfcIsFileProtected's signature; a null query counts as "not protected".
using SfcQueryFn = BOOL(WINAPI*)(HANDLE hRpc, LPCWSTR path);

// False for a critical extension, else the negation of the file protection query; true at once,
// without a query, when the path has no extension. A path too long to split is not deletable.
bool PassesFileProtection(LPCWSTR path, SfcQueryFn query);
bool IsFileDeletable(LPCWSTR path, SfcQueryFn query);
// A path too long to split counts as risky.
bool HasRiskyExtension(LPCWSTR path);

// SfcIsFileProtected from the system folder's sfc.dll, bound once; null when unavailable.
SfcQueryFn SystemFileProtectionQuery();
} // namespace suitecore::protection
