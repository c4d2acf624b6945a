// Resolution of a URI reference against the address it was found at (RFC 3986, section 5), for
// the Location of a redirect: servers may send "/file", "file", "../file", "?query" or
// "//host:port/file" as well as a whole address.
#pragma once

#include <string>
#include <string_view>

namespace suitecore::net
{
// The target address of the reference given relative to the base address. A reference with a
// scheme stands for itself (dot segments removed); the strict parser is used, so "http:g"
// is an address of its own, not a path relative to an http base.
std::wstring ResolveReference(std::wstring_view base, std::wstring_view reference);
} // namespace suitecore::net
