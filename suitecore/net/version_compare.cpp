#include "version_compare.h"

#include <array>
#include <cwchar>

namespace suitecore::net
{
namespace
{
// The four numbers of a version text; a part without digits counts as 0.
std::array<unsigned long, 4> VersionParts(LPCWSTR lpszText)
{
    std::array<unsigned long, 4> parts{};
    const wchar_t* p = lpszText ? lpszText : L"";
    for (auto& part : parts)
    {
        if (!*p)
            break;
        wchar_t* end = nullptr;
        part = std::wcstoul(p, &end, 10);
        const wchar_t* dot = std::wcschr(end, L'.');
        if (!dot)
            break;
        p = dot + 1;
    }
    return parts;
}
} // namespace

bool IsNewerVersion(LPCWSTR lpszPublished, LPCWSTR lpszInstalled)
{
    if (!lpszPublished || !*lpszPublished)
        return false;
    const auto published = VersionParts(lpszPublished);
    const auto installed = VersionParts(lpszInstalled);
    for (size_t i = 0; i < published.size(); ++i)
    {
        if (published[i] != installed[i])
            return published[i] > installed[i];
    }
    return false;
}
} // namespace suitecore::net
