// A deterministic mutation fuzzer over valid documents: every mutant must parse or fail cleanly,
// with positions that point at real tags, and must take an added element afterwards. Bounded and
// seeded, so each run tries the same inputs. Inputs that once failed stay below as regressions.
#include "markup_probe.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
const wchar_t* const kSeeds[] = {
    L"<r>\r\n<a>\r\n<b>1</b>\r\n</a>\r\n<c/>\r\n</r>\r\n",
    L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<!DOCTYPE r [ <!ELEMENT r ANY> <!ATTLIST r x CDATA \"[>]\"> ]>\r\n"
    L"<!-- c --><r x=\"1\"><a y='2'>text &amp; more</a><![CDATA[<x>]]><?pi d?><b/></r>",
    L"<sf_feedback>\r\n<feedback>\r\n<email>a@b.c</email>\r\n<feedback_type>General Feedback</feedback_type>\r\n"
    L"<content>x &lt; y</content>\r\n</feedback>\r\n<SetPublishState>\r\n<allowed>1</allowed>\r\n"
    L"</SetPublishState>\r\n<favorite_tools>\r\n<appid>3</appid>\r\n<appid>17</appid>\r\n</favorite_tools>\r\n"
    L"</sf_feedback>\r\n",
    L"< r ><a/><a></a><a>t</a><!----><a\t/></ r >",
    L"<a><b><c><d><e><f/></e></d></c></b></a>",
};

// Regression inputs: truncations and stray characters at the edge of every parse path, and every
// input the fuzzer below has ever failed on (add each new one here, escaped as the failure
// message prints it).
const wchar_t* const kRegressions[] = {
    L"<",        L"<!",        L"<?",        L"<!-",    L"<!--",     L"<![",        L"<!D[[[[>",     L"<!D]>",
    L"<a/",      L"<a>/>",     L"<a></",     L"<a></a", L"<a><//a>", L"<a>< / a",   L"</>",          L"<\"",
    L"<a x=\">", L"<a></a \"", L"<a></a '>", L"<//>",   L"<a><b/><", L"<a>\r\n\t ", L"<r><?>?></r>", L"<r><!-->--></r>",
};

const wchar_t* const kFragments[] = {
    L"<",  L">", L"/",  L"</", L"/>", L"<!--", L"-->", L"<![CDATA[", L"]]>",  L"<?", L"?>",   L"<!DOCTYPE d [",
    L"]>", L"[", L"]",  L"\"", L"'",  L"=",    L"<a>", L"</a>",      L"<a/>", L" ",  L"\r\n", L"!",
    L"?",  L"&", L"\\",
};

size_t Pick(std::mt19937& rng, size_t count)
{
    return count ? std::uniform_int_distribution<size_t>(0, count - 1)(rng) : 0;
}

std::wstring Mutate(std::wstring doc, std::mt19937& rng)
{
    const size_t steps = 1 + Pick(rng, 4);
    for (size_t step = 0; step < steps; ++step)
    {
        const size_t at = Pick(rng, doc.size() + 1);
        switch (Pick(rng, 6))
        {
        case 0:
            doc.erase(at, 1 + Pick(rng, 8));
            break;
        case 1:
            doc.insert(at, kFragments[Pick(rng, std::size(kFragments))]);
            break;
        case 2:
        {
            const size_t from = Pick(rng, doc.size() + 1);
            doc.insert(at, doc.substr(from, 1 + Pick(rng, 16)));
            break;
        }
        case 3:
            if (at < doc.size())
                doc[at] = L"<>/!?-[]\"'= a"[Pick(rng, 13)];
            break;
        case 4:
            doc.resize(at);
            break;
        default:
            if (at < doc.size())
                doc[at] = static_cast<wchar_t>(1 + Pick(rng, 0xFFFE));
            break;
        }
    }
    return doc;
}

// Parses the input and checks the document it leaves behind; empty when all is well.
std::string Exercise(const std::wstring& input)
{
    CMarkupProbe xml;
    const BOOL parsed = xml.SetDoc(input.c_str());
    std::string problem = xml.Check();
    if (!problem.empty())
        return "after SetDoc: " + problem;
    if (parsed && (xml.GetElemCount() < 1 || !xml.GetError().IsEmpty()))
        return "parsed without elements or with an error text";
    if (!parsed && xml.GetElemCount() != 0)
        return "failed parse left elements";
    // A document without a root takes one; one with a root refuses a second.
    if (xml.AddElem(L"z", L"<&>") == parsed)
        return "AddElem at the document level after SetDoc";
    if (!parsed && (!xml.AddChildElem(L"y") || !xml.IntoElem() || !xml.AddElem(L"x")))
        return "building on the added root";
    problem = xml.Check();
    return problem.empty() ? problem : "after adding: " + problem;
}
} // namespace

TEST(MarkupFuzz, RegressionInputsFailCleanly)
{
    for (const wchar_t* input : kRegressions)
        EXPECT_EQ("", Exercise(input)) << testing::PrintToString(std::wstring(input));
}

TEST(MarkupFuzz, SeedsParse)
{
    for (const wchar_t* seed : kSeeds)
    {
        CMarkupProbe xml;
        EXPECT_TRUE(xml.SetDoc(seed)) << testing::PrintToString(std::wstring(seed));
        EXPECT_EQ("", xml.Check());
    }
}

TEST(MarkupFuzz, MutantsOfValidDocumentsParseOrFailCleanly)
{
    std::mt19937 rng(20240131);
    int parsed = 0, failed = 0;
    for (int round = 0; round < 40000; ++round)
    {
        const std::wstring input = Mutate(kSeeds[Pick(rng, std::size(kSeeds))], rng);
        const std::string problem = Exercise(input);
        ASSERT_EQ("", problem) << "round " << round << ": " << testing::PrintToString(input);
        CMarkup xml;
        (xml.SetDoc(input.c_str()) ? parsed : failed)++;
    }
    // The mutants reach both outcomes in earnest.
    EXPECT_GT(parsed, 4000);
    EXPECT_GT(failed, 4000);
}

TEST(MarkupFuzz, RandomBuildsKeepEveryPositionInPlace)
{
    std::mt19937 rng(7);
    const wchar_t* const values[] = {nullptr, L"", L"1", L"a<b", L"x & y > z", L"\"quoted\""};
    for (int build = 0; build < 40; ++build)
    {
        CMarkupProbe xml;
        ASSERT_TRUE(xml.AddElem(L"root"));
        for (int step = 0; step < 60; ++step)
        {
            const wchar_t* value = values[Pick(rng, std::size(values))];
            switch (Pick(rng, 5))
            {
            case 0:
                xml.AddElem(L"e", value);
                break;
            case 1:
            case 2:
                xml.AddChildElem(L"c", value);
                break;
            case 3:
                xml.IntoElem();
                break;
            default:
                xml.OutOfElem();
                break;
            }
            ASSERT_EQ("", xml.Check()) << "build " << build << " step " << step;
        }
        CMarkupProbe parsed;
        ASSERT_TRUE(parsed.SetDoc(xml.GetDoc()));
        EXPECT_EQ(xml.GetElemCount(), parsed.GetElemCount());
        EXPECT_EQ("", parsed.Check());
    }
}
