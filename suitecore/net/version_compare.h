// Comparison of dotted version texts ("3.5.2.1").
#pragma once

#include <windows.h>

namespace suitecore::net
{
// True when lpszPublished is newer than lpszInstalled. Each text is split at "." into four
// decimal numbers, a missing part counting as 0; the first part in which the two differ
// decides. Equal versions and an empty or null published text give false.
bool IsNewerVersion(LPCWSTR lpszPublished, LPCWSTR lpszInstalled);
} // namespace suitecore::net
