// CMarkup: parsing into positions, the parse errors, building with its line layout and escaping,
// and navigation.
#include "markup_probe.h"

#include <gtest/gtest.h>

namespace
{
// Parses the document again from its text: what was built must read back the same way.
void ExpectReparsesTheSame(const CMarkupProbe& built)
{
    CMarkupProbe parsed;
    ASSERT_TRUE(parsed.SetDoc(built.GetDoc())) << testing::PrintToString(std::wstring(parsed.GetError()));
    EXPECT_EQ("", parsed.Check());
    EXPECT_EQ(built.GetElemCount(), parsed.GetElemCount());
}
} // namespace

TEST(MarkupBuild, TheLayoutIsOneElementALineEndedByCrLf)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"r"));
    EXPECT_STREQ(L"<r/>\r\n", xml.GetDoc());
    ASSERT_TRUE(xml.AddChildElem(L"a"));
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.AddChildElem(L"b", L"1"));
    ASSERT_TRUE(xml.OutOfElem());
    ASSERT_TRUE(xml.AddChildElem(L"c"));
    EXPECT_STREQ(L"<r>\r\n<a>\r\n<b>1</b>\r\n</a>\r\n<c/>\r\n</r>\r\n", xml.GetDoc());
    EXPECT_EQ("", xml.Check());
    EXPECT_EQ(4, xml.GetElemCount());
    ExpectReparsesTheSame(xml);
}

TEST(MarkupBuild, ElementsGoAfterTheCurrentOneAndShiftWhatFollows)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"root"));
    ASSERT_TRUE(xml.AddChildElem(L"first", L"1"));
    ASSERT_TRUE(xml.AddChildElem(L"third", L"3"));
    ASSERT_TRUE(xml.IntoElem()); // third is current
    ASSERT_TRUE(xml.AddElem(L"fourth"));
    ASSERT_TRUE(xml.OutOfElem());
    ASSERT_TRUE(xml.IntoElem()); // the current child is fourth now
    ASSERT_TRUE(xml.OutOfElem());
    EXPECT_STREQ(L"<root>\r\n<first>1</first>\r\n<third>3</third>\r\n<fourth/>\r\n</root>\r\n", xml.GetDoc());
    EXPECT_EQ("", xml.Check());

    // A child of an empty element gives it a start and an end tag.
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.AddChildElem(L"deep", L"x"));
    EXPECT_STREQ(
        L"<root>\r\n<first>1</first>\r\n<third>3</third>\r\n<fourth>\r\n<deep>x</deep>\r\n</fourth>\r\n</root>\r\n",
        xml.GetDoc());
    EXPECT_EQ("", xml.Check());
    ExpectReparsesTheSame(xml);
}

TEST(MarkupBuild, AnElementAddedInTheMiddleShiftsEverythingBehindIt)
{
    // The navigation only ever reaches the last element of a level; a current element with
    // siblings behind it is set up directly.
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"r"));
    ASSERT_TRUE(xml.AddChildElem(L"a"));
    const int a = xml.Child();
    ASSERT_TRUE(xml.IntoElem());
    ASSERT_TRUE(xml.AddChildElem(L"a1", L"1"));
    ASSERT_TRUE(xml.AddElem(L"b"));
    ASSERT_TRUE(xml.AddChildElem(L"b1"));
    EXPECT_STREQ(L"<r>\r\n<a>\r\n<a1>1</a1>\r\n</a>\r\n<b>\r\n<b1/>\r\n</b>\r\n</r>\r\n", xml.GetDoc());

    xml.MoveTo(a, xml.Pos(a).iElemChild, 0); // inside a, at a1
    ASSERT_TRUE(xml.AddElem(L"a2", L"2"));
    xml.MoveTo(xml.Root(), a, 0); // at a, with b behind it
    ASSERT_TRUE(xml.AddElem(L"m"));
    EXPECT_STREQ(L"<r>\r\n<a>\r\n<a1>1</a1>\r\n<a2>2</a2>\r\n</a>\r\n<m/>\r\n<b>\r\n<b1/>\r\n</b>\r\n</r>\r\n",
                 xml.GetDoc());
    EXPECT_EQ("", xml.Check());
    ExpectReparsesTheSame(xml);
}

TEST(MarkupBuild, AChildOfAnElementWithTextFollowsTheText)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"v", L"text"));
    ASSERT_TRUE(xml.AddChildElem(L"c"));
    EXPECT_STREQ(L"<v>text<c/>\r\n</v>\r\n", xml.GetDoc());
    EXPECT_EQ("", xml.Check());
}

TEST(MarkupBuild, ValuesAreEscapedOnceAndQuotesKept)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"v", L"a<b&c>d\"e'f"));
    EXPECT_STREQ(L"<v>a&lt;b&amp;c&gt;d\"e'f</v>\r\n", xml.GetDoc());
    // A less-than sign becomes "&lt;", never "&amp;lt;"; an entity in the value is text.
    ASSERT_TRUE(xml.AddChildElem(L"w", L"<"));
    ASSERT_TRUE(xml.AddChildElem(L"x", L"&lt;&&"));
    EXPECT_STREQ(L"<v>a&lt;b&amp;c&gt;d\"e'f<w>&lt;</w>\r\n<x>&amp;lt;&amp;&amp;</x>\r\n</v>\r\n", xml.GetDoc());
    EXPECT_EQ("", xml.Check());
    ExpectReparsesTheSame(xml);
}

TEST(MarkupBuild, AnEmptyOrMissingValueMakesAnEmptyElementAndANameIsRequired)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"r", L""));
    ASSERT_TRUE(xml.AddChildElem(L"a", nullptr));
    EXPECT_STREQ(L"<r>\r\n<a/>\r\n</r>\r\n", xml.GetDoc());
    EXPECT_FALSE(xml.AddChildElem(L""));
    EXPECT_FALSE(xml.AddChildElem(nullptr, L"v"));
    EXPECT_STREQ(L"<r>\r\n<a/>\r\n</r>\r\n", xml.GetDoc());
}

TEST(MarkupBuild, ADocumentHasOneRoot)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.AddElem(L"r"));
    EXPECT_FALSE(xml.AddElem(L"second"));
    EXPECT_STREQ(L"<r/>\r\n", xml.GetDoc());
    // Nor after a parse, where nothing is current.
    ASSERT_TRUE(xml.SetDoc(L"<r/>"));
    EXPECT_FALSE(xml.AddElem(L"second"));
    EXPECT_FALSE(xml.AddChildElem(L"child"));
    EXPECT_STREQ(L"<r/>", xml.GetDoc());
}

TEST(MarkupBuild, AnEmptyParseLeavesADocumentToBuildOn)
{
    CMarkupProbe xml;
    EXPECT_FALSE(xml.SetDoc(L""));
    EXPECT_FALSE(xml.SetDoc(nullptr));
    EXPECT_STREQ(L"", xml.GetDoc());
    EXPECT_EQ(0, xml.GetElemCount());
    ASSERT_TRUE(xml.AddElem(L"root"));
    EXPECT_STREQ(L"<root/>\r\n", xml.GetDoc());

    // A declaration alone has no root: the root goes after it.
    EXPECT_FALSE(xml.SetDoc(L"<?xml version=\"1.0\"?>\r\n"));
    ASSERT_TRUE(xml.AddElem(L"root", L"1"));
    EXPECT_STREQ(L"<?xml version=\"1.0\"?>\r\n<root>1</root>\r\n", xml.GetDoc());
    EXPECT_EQ("", xml.Check());
    ExpectReparsesTheSame(xml);
}

TEST(MarkupNavigation, IntoAndOutOfElements)
{
    CMarkupProbe xml;
    EXPECT_FALSE(xml.IntoElem());  // nothing current
    EXPECT_FALSE(xml.OutOfElem()); // already at the document level
    ASSERT_TRUE(xml.AddElem(L"r"));

    // Into the new element: nothing inside is current, so no child can be added, but an
    // element can, and it becomes the first child.
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_EQ(0, xml.Current());
    EXPECT_FALSE(xml.AddChildElem(L"nope"));
    EXPECT_FALSE(xml.IntoElem());
    ASSERT_TRUE(xml.AddElem(L"a"));
    EXPECT_EQ(xml.Pos(xml.Root()).iElemChild, xml.Current());

    // After AddChildElem, IntoElem makes the new child current.
    ASSERT_TRUE(xml.AddChildElem(L"x"));
    const int x = xml.Child();
    ASSERT_TRUE(xml.IntoElem());
    EXPECT_EQ(x, xml.Current());
    EXPECT_EQ(0, xml.Child());
    ASSERT_TRUE(xml.AddChildElem(L"y")); // inside x
    EXPECT_STREQ(L"<r>\r\n<a>\r\n<x>\r\n<y/>\r\n</x>\r\n</a>\r\n</r>\r\n", xml.GetDoc());

    ASSERT_TRUE(xml.OutOfElem());
    EXPECT_EQ(x, xml.Child());
    ASSERT_TRUE(xml.OutOfElem());
    EXPECT_EQ(xml.Root(), xml.Current());
    EXPECT_EQ(0, xml.Parent());
    EXPECT_FALSE(xml.OutOfElem());
    EXPECT_EQ("", xml.Check());
}

TEST(MarkupPositions, TheArrayGrowsFromItsSmallestSizes)
{
    CMarkupProbe xml;
    EXPECT_EQ(1, xml.PosArraySize()); // the document's own position
    std::vector<INT_PTR> sizes;
    ASSERT_TRUE(xml.AddElem(L"r"));
    sizes.push_back(xml.PosArraySize());
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_TRUE(xml.AddChildElem(L"c"));
        sizes.push_back(xml.PosArraySize());
    }
    // At least one more each time; one and a half times once that is more.
    EXPECT_EQ((std::vector<INT_PTR>{2, 3, 4, 6, 6, 9}), sizes);
    EXPECT_EQ(6, xml.GetElemCount());
    EXPECT_EQ("", xml.Check());

    CMarkupProbe big;
    const std::wstring text = L"<r>" + std::wstring(6400, L' ') + L"</r>";
    ASSERT_TRUE(big.SetDoc(text.c_str()));
    EXPECT_EQ(static_cast<INT_PTR>(text.size() / 64 + 8), big.PosArraySize());
}

TEST(MarkupParse, OffsetsAndLinksOfAParsedDocument)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.SetDoc(L"<r><a>x</a><b/></r>"));
    EXPECT_EQ(3, xml.GetElemCount());
    EXPECT_STREQ(L"", xml.GetError());
    const int r = xml.Root();
    const int a = xml.Pos(r).iElemChild;
    const int b = xml.Pos(a).iElemNext;
    auto offsets = [&](int i)
    {
        const auto& p = xml.Pos(i);
        return std::vector<int>{p.nStartL, p.nStartR, p.nEndL, p.nEndR};
    };
    EXPECT_EQ((std::vector<int>{0, 2, 15, 18}), offsets(r));
    EXPECT_EQ((std::vector<int>{3, 5, 7, 10}), offsets(a));
    EXPECT_EQ((std::vector<int>{11, 14, 13, 14}), offsets(b));
    EXPECT_EQ(0, xml.Pos(b).iElemNext);
    EXPECT_EQ(r, xml.Pos(b).iElemParent);
    EXPECT_EQ(0, xml.Current());
    EXPECT_EQ("", xml.Check());
}

TEST(MarkupParse, CommentsInstructionsCDataAndDeclarationsAreSkipped)
{
    CMarkupProbe xml;
    const wchar_t* doc = L"<?xml version=\"1.0\"?>\r\n"
                         L"<!DOCTYPE r [\r\n"
                         L"  <!ELEMENT r (a, b)>\r\n"
                         L"  <!ATTLIST a x CDATA \"[>]\">\r\n"
                         L"  <!ENTITY e \"<not/>\">\r\n"
                         L"]>\r\n"
                         L"<!-- a comment with <tags> and > signs -->\r\n"
                         L"<r><!----><a x=\"1\"><![CDATA[ <no> ]] > </a> ]]></a>\r\n"
                         L"<?pi with <angle> ?><b/><!-- <c/> --></r>";
    ASSERT_TRUE(xml.SetDoc(doc)) << testing::PrintToString(std::wstring(xml.GetError()));
    EXPECT_EQ(3, xml.GetElemCount());
    EXPECT_EQ("", xml.Check());
    const int a = xml.Pos(xml.Root()).iElemChild;
    EXPECT_EQ(L"<a x=\"1\">", xml.StartTag(a));
    EXPECT_EQ(L"<b/>", xml.StartTag(xml.Pos(a).iElemNext));
}

TEST(MarkupParse, BlanksInsideTagsAreAllowed)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.SetDoc(L"\r\n\t< r >< a\t/>< / r\r\n>"));
    EXPECT_EQ(2, xml.GetElemCount());
    EXPECT_EQ("", xml.Check());
}

TEST(MarkupParse, EveryParseErrorHasItsText)
{
    struct Case
    {
        const wchar_t* doc;
        const wchar_t* error;
    };
    const Case cases[] = {
        {L"", L"Element tag not found"},
        {L"just text", L"Element tag not found"},
        {L"<r><a></a>", L"Element tag not found"}, // the root is never closed
        {L"<", L"Abrupt end within tag"},
        {L"<r>< \r\n", L"Abrupt end within tag"},
        {L"<\"r\"/>", L"Tag starts with quote"},
        {L"<r><'a'/></r>", L"Tag starts with quote"},
        {L"<!-- open", L"Invalid node"},
        {L"<!-->", L"Invalid node"},
        {L"<r><?pi ></r>", L"Invalid node"},
        {L"<r><![CDATA[ ]]</r>", L"Invalid node"},
        {L"<!DOCTYPE r [ <!ENTITY e \"x\"> ><r/>", L"Invalid node"},
        {L"<r", L"End of tag not found"},
        {L"<r><a x='1'", L"End of tag not found"},
        {L"<a><b/></c>", L"End tag does not correspond to a"},
        {L"<r><a></A></r>", L"End tag does not correspond to a"},
        {L"<r></", L"End tag does not correspond to r"},
        {L"<r><a></a", L"End tag not completed for element a"},
        {L"<r></r x='>'", L"End tag not completed for element r"},
    };
    for (const Case& c : cases)
    {
        CMarkupProbe xml;
        EXPECT_FALSE(xml.SetDoc(c.doc)) << testing::PrintToString(std::wstring(c.doc));
        EXPECT_STREQ(c.error, xml.GetError()) << testing::PrintToString(std::wstring(c.doc));
        EXPECT_EQ(0, xml.GetElemCount());
        EXPECT_STREQ(c.doc, xml.GetDoc()); // the text stays
    }
    // An end tag where the root should be: no root, and no error either.
    CMarkupProbe xml;
    EXPECT_FALSE(xml.SetDoc(L"</r>"));
    EXPECT_STREQ(L"", xml.GetError());
}

TEST(MarkupParse, AFailedParseResetsThePositions)
{
    CMarkupProbe xml;
    ASSERT_TRUE(xml.SetDoc(L"<r><a/><b/></r>"));
    EXPECT_EQ(3, xml.GetElemCount());
    EXPECT_FALSE(xml.SetDoc(L"<r><a/><b></r>"));
    EXPECT_EQ(0, xml.GetElemCount());
    EXPECT_EQ(0, xml.Root());
    EXPECT_EQ("", xml.Check());
    ASSERT_TRUE(xml.SetDoc(L"<r><a/><b/></r>"));
    EXPECT_STREQ(L"", xml.GetError());
    EXPECT_EQ("", xml.Check());
}

TEST(MarkupParse, DeepNestingNeedsNoDeepStack)
{
    // Far deeper than any call stack holds one frame per level.
    const int depth = 200000;
    std::wstring doc;
    doc.reserve(depth * 7);
    for (int i = 0; i < depth; ++i)
        doc += L"<e>";
    for (int i = 0; i < depth; ++i)
        doc += L"</e>";
    CMarkupProbe xml;
    ASSERT_TRUE(xml.SetDoc(doc.c_str()));
    EXPECT_EQ(depth, xml.GetElemCount());
    EXPECT_EQ("", xml.Check());
    doc.resize(doc.size() - 1);
    EXPECT_FALSE(xml.SetDoc(doc.c_str()));
    EXPECT_STREQ(L"End tag not completed for element e", xml.GetError());
}
