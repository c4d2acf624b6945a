// Reference resolution after RFC 3986, section 5.2: split both addresses into their five
// parts, take each part from the reference or the base, clean the path of "." and "..", and
// join the parts again.
#include "url_reference.h"

#include <optional>

namespace suitecore::net
{
namespace
{
// The five parts of an address. An absent part and an empty one differ ("a?" has an empty
// query, "a" has none), and the difference survives the round trip.
struct Parts
{
    std::optional<std::wstring_view> scheme;
    std::optional<std::wstring_view> authority;
    std::wstring_view path;
    std::optional<std::wstring_view> query;
    std::optional<std::wstring_view> fragment;
};

// The split of RFC 3986, appendix B: ^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\?([^#]*))?(#(.*))?
Parts Split(std::wstring_view text)
{
    Parts parts;
    const size_t hash = text.find(L'#');
    if (hash != std::wstring_view::npos)
    {
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    const size_t question = text.find(L'?');
    if (question != std::wstring_view::npos)
    {
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    const size_t colon = text.find_first_of(L":/");
    if (colon != std::wstring_view::npos && colon > 0 && text[colon] == L':')
    {
        parts.scheme = text.substr(0, colon);
        text = text.substr(colon + 1);
    }
    if (text.substr(0, 2) == L"//")
    {
        const size_t end = text.find(L'/', 2);
        parts.authority = text.substr(2, end == std::wstring_view::npos ? std::wstring_view::npos : end - 2);
        text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end);
    }
    parts.path = text;
    return parts;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Drops the last segment, and the '/' before it, from the output path.
void DropLastSegment(std::wstring& output)
{
    const size_t slash = output.rfind(L'/');
    output.erase(slash == std::wstring::npos ? 0 : slash);
}

// remove_dot_segments of RFC 3986, section 5.2.4.
std::wstring RemoveDotSegments(std::wstring_view input)
{
    std::wstring output;
    while (!input.empty())
    {
        if (StartsWith(input, L"../"))
            input.remove_prefix(3);
        else if (StartsWith(input, L"./"))
            input.remove_prefix(2);
        else if (StartsWith(input, L"/./"))
            input.remove_prefix(2);
        else if (input == L"/.")
            input = L"/";
        else if (StartsWith(input, L"/../"))
        {
            input.remove_prefix(3);
            DropLastSegment(output);
        }
        else if (input == L"/..")
        {
            input = L"/";
            DropLastSegment(output);
        }
        else if (input == L"." || input == L"..")
            input = std::wstring_view();
        else
        {
            // The first segment, with its leading '/', moves to the output.
            const size_t end = input.find(L'/', 1);
            const size_t length = end == std::wstring_view::npos ? input.size() : end;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

// The merge of RFC 3986, section 5.2.3: the reference's path in the base path's folder.
std::wstring Merge(const Parts& base, std::wstring_view path)
{
    if (base.authority && base.path.empty())
        return L"/" + std::wstring(path);
    const size_t slash = base.path.rfind(L'/');
    const std::wstring_view folder =
        slash == std::wstring_view::npos ? std::wstring_view() : base.path.substr(0, slash + 1);
    return std::wstring(folder) + std::wstring(path);
}

// Component recomposition, RFC 3986 section 5.3.
std::wstring Join(const std::optional<std::wstring_view>& scheme, const std::optional<std::wstring_view>& authority,
                  const std::wstring& path, const std::optional<std::wstring_view>& query,
                  const std::optional<std::wstring_view>& fragment)
{
    std::wstring result;
    if (scheme)
        result.append(*scheme).append(L":");
    if (authority)
        result.append(L"//").append(*authority);
    result.append(path);
    if (query)
        result.append(L"?").append(*query);
    if (fragment)
        result.append(L"#").append(*fragment);
    return result;
}
} // namespace

std::wstring ResolveReference(std::wstring_view base, std::wstring_view reference)
{
    const Parts r = Split(reference);
    if (r.scheme)
        return Join(r.scheme, r.authority, RemoveDotSegments(r.path), r.query, r.fragment);
    const Parts b = Split(base);
    if (r.authority)
        return Join(b.scheme, r.authority, RemoveDotSegments(r.path), r.query, r.fragment);
    if (r.path.empty())
        return Join(b.scheme, b.authority, std::wstring(b.path), r.query ? r.query : b.query, r.fragment);
    const std::wstring path = r.path[0] == L'/' ? RemoveDotSegments(r.path) : RemoveDotSegments(Merge(b, r.path));
    return Join(b.scheme, b.authority, path, r.query, r.fragment);
}
} // namespace suitecore::net
