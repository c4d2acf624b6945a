// SuiteDiag sort run as a child process: the order after each sort and its usage errors.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

TEST(SuiteDiagSort, PrintsTheOrderAfterEachSort)
{
    const struct
    {
        const wchar_t* arguments;
        unsigned exitCode;
        const char* out;
    } cases[] = {
        {L"1 --sequence 0,0,1 -- 1,234 999 -5 12", 0,
         "-5\n12\n999\n1,234\n\n1,234\n999\n12\n-5\n\n-5\n12\n999\n1,234\n"},
        {L"2 -- beta Alpha gamma", 0, "Alpha\nbeta\ngamma\n"},
        {L"4 --sequence 1 -- 2.5 -1.25 10", 0, "-1.25\n2.5\n10\n"},
        {L"1 -5 3", 2, ""},                 // an item with a minus before --
        {L"5 a b", 2, ""},                  // no such kind
        {L"1 --sequence 0,2 -- a b", 2, ""}, // no such column
    };
    for (const auto& c : cases)
    {
        const auto r = testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" sort " +
                                               c.arguments);
        EXPECT_EQ(c.exitCode, r.exitCode) << r.err;
        EXPECT_EQ(c.out, r.out);
    }
}
