// Face names into the fixed LOGFONTW field, for every copy the library makes.
#pragma once

#include <windows.h>

namespace suitecore
{
// Copies at most LF_FACESIZE - 1 characters of the face and terminates the field; null gives "".
inline void CopyFaceName(WCHAR (&target)[LF_FACESIZE], LPCWSTR lpszFace) noexcept
{
    size_t n = 0;
    if (lpszFace)
        for (; n < LF_FACESIZE - 1 && lpszFace[n]; ++n)
            target[n] = lpszFace[n];
    target[n] = L'\0';
}
} // namespace suitecore
