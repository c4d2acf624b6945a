// The texts the download worker shows.
#pragma once

#include <framework/string.h>

#include <initializer_list>

namespace suitecore::net
{
// Replaces %1 to %9 in the pattern by the arguments; any other '%' stays as it is.
CString SubstituteArgs(LPCWSTR lpszPattern, std::initializer_list<CString> args);
// "%1 KB of %2 KB (%3%)" when the length is known (> 0), else "%1 KB".
CString FormatAmount(ULONGLONG nBytes, LONGLONG nLength);
// "%d:%02d:%02d": hours, minutes, seconds.
CString FormatClock(ULONGLONG nSeconds);
// The last segment of an address after its final '/', the query (from the first '?') left out.
CString ShownFileName(LPCWSTR lpszAddress);
} // namespace suitecore::net
