// Digest bytes as hexadecimal text, two digits a byte. Internal to SuiteCore.
#pragma once

#include <framework/string.h>

namespace suitecore
{
inline CString DigestText(const BYTE* digest, int count, bool upperCase)
{
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    CString text;
    LPWSTR out = text.GetBufferSetLength(count * 2);
    for (int i = 0; i < count; ++i)
    {
        out[2 * i] = static_cast<wchar_t>(digits[digest[i] >> 4]);
        out[2 * i + 1] = static_cast<wchar_t>(digits[digest[i] & 0x0F]);
    }
    text.ReleaseBuffer(count * 2);
    return text;
}
} // namespace suitecore
