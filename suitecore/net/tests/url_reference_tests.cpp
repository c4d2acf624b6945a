// Resolution of a redirect's Location against the address asked for: the examples of RFC 3986,
// section 5.4, and the forms real servers send to the downloader.
#include "../url_reference.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

using suitecore::net::ResolveReference;
using testsupport::Utf8;

namespace
{
struct Case
{
    const wchar_t* base;
    const wchar_t* reference;
    const wchar_t* expected;
};

constexpr wchar_t kRfcBase[] = L"http://a/b/c/d;p?q";

const Case kCases[] = {
    // RFC 3986, 5.4.1: normal examples.
    {kRfcBase, L"g:h", L"g:h"},
    {kRfcBase, L"g", L"http://a/b/c/g"},
    {kRfcBase, L"./g", L"http://a/b/c/g"},
    {kRfcBase, L"g/", L"http://a/b/c/g/"},
    {kRfcBase, L"/g", L"http://a/g"},
    {kRfcBase, L"//g", L"http://g"},
    {kRfcBase, L"?y", L"http://a/b/c/d;p?y"},
    {kRfcBase, L"g?y", L"http://a/b/c/g?y"},
    {kRfcBase, L"#s", L"http://a/b/c/d;p?q#s"},
    {kRfcBase, L"g#s", L"http://a/b/c/g#s"},
    {kRfcBase, L"g?y#s", L"http://a/b/c/g?y#s"},
    {kRfcBase, L";x", L"http://a/b/c/;x"},
    {kRfcBase, L"g;x", L"http://a/b/c/g;x"},
    {kRfcBase, L"g;x?y#s", L"http://a/b/c/g;x?y#s"},
    {kRfcBase, L"", L"http://a/b/c/d;p?q"},
    {kRfcBase, L".", L"http://a/b/c/"},
    {kRfcBase, L"./", L"http://a/b/c/"},
    {kRfcBase, L"..", L"http://a/b/"},
    {kRfcBase, L"../", L"http://a/b/"},
    {kRfcBase, L"../g", L"http://a/b/g"},
    {kRfcBase, L"../..", L"http://a/"},
    {kRfcBase, L"../../", L"http://a/"},
    {kRfcBase, L"../../g", L"http://a/g"},
    // RFC 3986, 5.4.2: abnormal examples (the strict parser for "http:g").
    {kRfcBase, L"../../../g", L"http://a/g"},
    {kRfcBase, L"../../../../g", L"http://a/g"},
    {kRfcBase, L"/./g", L"http://a/g"},
    {kRfcBase, L"/../g", L"http://a/g"},
    {kRfcBase, L"g.", L"http://a/b/c/g."},
    {kRfcBase, L".g", L"http://a/b/c/.g"},
    {kRfcBase, L"g..", L"http://a/b/c/g.."},
    {kRfcBase, L"..g", L"http://a/b/c/..g"},
    {kRfcBase, L"./../g", L"http://a/b/g"},
    {kRfcBase, L"./g/.", L"http://a/b/c/g/"},
    {kRfcBase, L"g/./h", L"http://a/b/c/g/h"},
    {kRfcBase, L"g/../h", L"http://a/b/c/h"},
    {kRfcBase, L"g;x=1/./y", L"http://a/b/c/g;x=1/y"},
    {kRfcBase, L"g;x=1/../y", L"http://a/b/c/y"},
    {kRfcBase, L"g?y/./x", L"http://a/b/c/g?y/./x"},
    {kRfcBase, L"g?y/../x", L"http://a/b/c/g?y/../x"},
    {kRfcBase, L"g#s/./x", L"http://a/b/c/g#s/./x"},
    {kRfcBase, L"g#s/../x", L"http://a/b/c/g#s/../x"},
    {kRfcBase, L"http:g", L"http:g"},
    // What redirects carry: the port and the user stay with the host; a new authority replaces
    // both; an empty query is kept apart from none; a base without a path gets "/".
    {L"http://u:p@h:8080/dir/f.bin?x=1", L"/big.bin", L"http://u:p@h:8080/big.bin"},
    {L"http://u:p@h:8080/dir/f.bin?x=1", L"other.bin", L"http://u:p@h:8080/dir/other.bin"},
    {L"http://u:p@h:8080/dir/f.bin?x=1", L"//k:81/p?q=/a", L"http://k:81/p?q=/a"},
    {L"http://h:8080/dir/f.bin?x=1", L"http://k/a/../b/./c", L"http://k/b/c"},
    {L"http://h:8080/dir/f.bin?x=1", L"?", L"http://h:8080/dir/f.bin?"},
    {L"http://h:8080/dir/f.bin?x=1", L"#", L"http://h:8080/dir/f.bin?x=1#"},
    {L"http://h:8080", L"f.bin", L"http://h:8080/f.bin"},
    {L"http://h:8080/dir/", L"sub/", L"http://h:8080/dir/sub/"},
    {L"http://h/a/b?n=/x/y", L"c", L"http://h/a/c"},
};
} // namespace

TEST(UrlReference, ResolvesEveryFormAgainstTheBase)
{
    for (const Case& c : kCases)
        EXPECT_EQ(Utf8(c.expected), Utf8(ResolveReference(c.base, c.reference)))
            << "base " << Utf8(c.base) << ", reference \"" << Utf8(c.reference) << "\"";
}
