// The character scans CMarkup's parser spends its time in, with an SSE2 path chosen at run time
// (the library still runs on processors without it). Both paths give the same answers and read
// nothing outside [0, len).
#pragma once

#include <framework/framework.h>

namespace markup_scan
{
// Offset of the first ch in [nFrom, len), or -1.
int FindChar(const wchar_t* doc, int len, int nFrom, wchar_t ch);
// Copies len characters from src to dest (which do not overlap) and answers the number of "<"
// not directly followed by "/" among them: no document has more elements than that.
int CopyCountingElementStarts(wchar_t* dest, const wchar_t* src, int len);
// The length of a terminated wide string.
int Length(const wchar_t* text);

// The portable paths, for comparison in tests.
int FindCharPortable(const wchar_t* doc, int len, int nFrom, wchar_t ch);
int CopyCountingElementStartsPortable(wchar_t* dest, const wchar_t* src, int len);
} // namespace markup_scan
