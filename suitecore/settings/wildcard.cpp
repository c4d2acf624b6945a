// WildcardMatch: "*" and "?" over 8-bit strings, never reading outside either string.
#include "suitecore/filelist.h"

#include <cstring>

namespace
{
bool CharMatches(char patternChar, char textChar)
{
    return patternChar == '?' || patternChar == textChar;
}

// The run (no "*" in it) against text at the same length.
bool RunMatchesAt(const char* run, size_t runLength, const char* text)
{
    for (size_t i = 0; i < runLength; ++i)
        if (!CharMatches(run[i], text[i]))
            return false;
    return true;
}

bool RunOccurs(const char* run, size_t runLength, const char* text, size_t textLength)
{
    if (runLength > textLength)
        return false;
    for (size_t start = 0; start + runLength <= textLength; ++start)
        if (RunMatchesAt(run, runLength, text + start))
            return true;
    return false;
}
} // namespace

BOOL WildcardMatch(LPCSTR pszPattern, LPCSTR pszText)
{
    if (!pszPattern || !pszText)
        return FALSE;
    const size_t patternLength = strlen(pszPattern);
    const size_t textLength = strlen(pszText);
    const char* firstStar = strchr(pszPattern, '*');
    if (!firstStar)
        return patternLength == textLength && RunMatchesAt(pszPattern, patternLength, pszText);

    // The head must match the start of the text.
    const size_t headLength = static_cast<size_t>(firstStar - pszPattern);
    if (headLength > textLength || !RunMatchesAt(pszPattern, headLength, pszText))
        return FALSE;

    // The tail must match the end of the text, compared backwards down to its second character.
    const char* lastStar = strrchr(pszPattern, '*');
    const char* tail = lastStar + 1;
    const size_t tailLength = patternLength - static_cast<size_t>(tail - pszPattern);
    if (tailLength > textLength)
        return FALSE;
    for (size_t back = 1; back <= tailLength && textLength - back >= 1; ++back)
        if (!CharMatches(tail[tailLength - back], pszText[textLength - back]))
            return FALSE;

    // Every run between the first and the last "*" must occur somewhere, in any order.
    for (const char* run = firstStar + 1; run < lastStar;)
    {
        const char* runEnd = static_cast<const char*>(memchr(run, '*', static_cast<size_t>(lastStar - run) + 1));
        const size_t runLength = static_cast<size_t>(runEnd - run);
        if (runLength && !RunOccurs(run, runLength, pszText, textLength))
            return FALSE;
        run = runEnd + 1;
    }
    return TRUE;
}
