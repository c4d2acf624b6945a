// What the message-box views of "SuiteDiag ui" share: the box rectangle option and the
// captions after the text.
#pragma once

#include "command.h"

#include <framework/collections.h>

#include <cwchar>
#include <optional>

namespace suitediag
{
// "L,T,R,B"; a usage error for anything else.
inline RECT ParseBoxRect(const CString& value)
{
    RECT rc{};
    wchar_t tail = 0;
    if (swscanf(value, L"%ld,%ld,%ld,%ld%lc", &rc.left, &rc.top, &rc.right, &rc.bottom, &tail) != 4)
        throw UsageError{L"--rect takes L,T,R,B, not \"" + value + L"\""};
    return rc;
}

// The text and the captions that follow it, with the count: the number of captions unless the
// count option gave one (passed on as given, even when larger).
struct ChoiceArgs
{
    CString text;
    CStringArray captions;
    int count = -1;
    std::optional<RECT> rect;

    // Takes "--count N" or "--rect L,T,R,B"; false when the next argument is neither.
    bool TakeCommonOption(Args& args)
    {
        CString value;
        if (args.TakeOptionValue(L"--count", value))
            count = _wtoi(value);
        else if (args.TakeOptionValue(L"--rect", value))
            rect = ParseBoxRect(value);
        else
            return false;
        return true;
    }
    void TakeTextAndCaptions(Args& args)
    {
        text = args.Next(L"TEXT");
        for (const CString& caption : args.Rest())
            captions.Add(caption);
        if (count < 0)
            count = static_cast<int>(captions.GetSize());
    }
    const RECT* Rect() const { return rect ? &*rect : nullptr; }
};

} // namespace suitediag
