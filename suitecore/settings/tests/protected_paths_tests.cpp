// The protected-location rules: the fragment list as built, the one-pass matcher against the
// plain substring scan over a large generated corpus, the extension tests, and the file
// protection query made (or skipped) exactly when it should be.
#include "../protected_paths.h"

#include <suitecore/protect.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace protection = suitecore::protection;

namespace
{
// The rule as stated: the first of the fragments found in the lower-cased path.
bool LiteralUnprotected(const CString& path)
{
    CString lowered(path);
    lowered.MakeLower();
    const CStringArray& fragments = protection::ProtectedFragments();
    for (INT_PTR i = 0; i < fragments.GetSize(); ++i)
        if (lowered.Find(fragments[i]) >= 0)
            return false;
    return true;
}

// Records the file protection queries made.
struct QueryLog
{
    static std::vector<std::wstring> paths;
    static BOOL answer;
    static BOOL WINAPI Query(HANDLE hRpc, LPCWSTR path)
    {
        EXPECT_EQ(nullptr, hRpc);
        paths.emplace_back(path);
        return answer;
    }
    QueryLog()
    {
        paths.clear();
        answer = FALSE;
    }
};
std::vector<std::wstring> QueryLog::paths;
BOOL QueryLog::answer = FALSE;

// Paths built from pieces that come close to the fragments, in mixed case, with characters
// beyond ASCII (some of which lower-case into ASCII letters).
class PathGenerator
{
public:
    explicit PathGenerator(unsigned seed) : m_rng(seed) {}

    std::wstring Next()
    {
        static const wchar_t* const pieces[] = {
            L"C:",
            L"D:",
            L"\\",
            L"\\",
            L"\\",
            L"Users",
            L"ann",
            L"Documents",
            L"Photos",
            L"Syst",
            L"system",
            L"SYSTEM32",
            L"sys",
            L"tem",
            L"32",
            L"Program Files",
            L"Common Files",
            L"common",
            L"Windows",
            L"win",
            L"nt",
            L"Temp",
            L"report",
            L"notes",
            L".tmp",
            L".txt",
            L".dll",
            L".doc",
            L".",
            L"~",
            L"recycle",
            L":\\recycle",
            L"RECYCLER",
            L"sam",
            L"Samuel",
            L"s",
            L"a",
            L"m",
            L"default",
            L"def",
            L"ault",
            L"setup",
            L".in",
            L"ini",
            L"getright",
            L"get",
            L"right",
            L"Microsoft",
            L"micro",
            L"soft",
            L"ware",
            L"help",
            L"Help",
            L"LastGood",
            L"last",
            L"good",
            L"opera",
            L"7",
            L"\\profile",
            L"identities",
            L"\\{",
            L"{",
            L"_restore",
            L"chklist",
            L"edb",
            L".chk",
            L"data",
            L".bak",
            L"music",
            L"video",
            L"x",
            L"y",
            L"z",
            L"\x00e9t\x00e9",
            L"\x0130NDEX",
            L"\x212A",
            L"\x017F",
            L"\x00C5",
            L"\x0131",
            L"\xFF33YSTEM",
            L"\x0160",
            L"caf\x00e9",
            L"\x4E2D\x6587",
            L"\xD83D\xDE00",
            L"a\x0301",
        };
        const size_t count = sizeof(pieces) / sizeof(*pieces);
        std::wstring path;
        const int parts = 1 + static_cast<int>(m_rng() % 14);
        for (int i = 0; i < parts; ++i)
        {
            std::wstring piece = pieces[m_rng() % count];
            for (auto& ch : piece)
                if (ch < 128 && (m_rng() & 3) == 0)
                    ch = static_cast<wchar_t>(iswupper(ch) ? towlower(ch) : towupper(ch));
            path += piece;
        }
        return path;
    }

private:
    std::mt19937 m_rng;
};
} // namespace

TEST(ProtectedFragments, BuiltFromBothGroupsLowerCasedDuplicatesIncluded)
{
    CStringArray names, folders;
    AddProtectedFileNames(names);
    AddProtectedFolderFragments(folders);
    ASSERT_EQ(146, names.GetSize());
    ASSERT_EQ(106, folders.GetSize());
    EXPECT_EQ(L"ntldr", std::wstring(names[0]));
    EXPECT_EQ(L"Uninst.isu", std::wstring(names[80]));
    EXPECT_EQ(L"signatures.ini", std::wstring(names[145]));
    EXPECT_EQ(L"\\system32\\", std::wstring(folders[0]));
    EXPECT_EQ(L"\\Connection Wizard", std::wstring(folders[2]));
    EXPECT_EQ(L"\\winsxs", std::wstring(folders[105]));

    const CStringArray& fragments = protection::ProtectedFragments();
    ASSERT_EQ(252, fragments.GetSize());
    for (INT_PTR i = 0; i < 252; ++i)
    {
        CString expected = i < 146 ? names[i] : folders[i - 146];
        expected.MakeLower();
        EXPECT_EQ(std::wstring(expected), std::wstring(fragments[i])) << i;
    }
    EXPECT_EQ(L"uninst.isu", std::wstring(fragments[80]));
    EXPECT_EQ(L"\\connection wizard", std::wstring(fragments[148]));

    AddProtectedFileNames(names); // appends
    EXPECT_EQ(292, names.GetSize());
}

TEST(IsPathUnprotected, EdgeCases)
{
    EXPECT_FALSE(IsPathUnprotected(L"D:\\Photos\\System Backup\\a.jpg"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\Documents and Settings\\Samuel\\notes.tmp"));
    EXPECT_FALSE(IsPathUnprotected(L"E:\\DEFAULT\\x"));
    EXPECT_FALSE(IsPathUnprotected(L"E:\\my software\\x"));
    EXPECT_FALSE(IsPathUnprotected(L"E:\\Security camera\\x"));
    EXPECT_FALSE(IsPathUnprotected(L"E:\\downloads\\GetRight\\x"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\RECYCLER\\S-1-5-21\\Dc1.txt"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\Temp\\setup.ini"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\x\\UNINST.ISU"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\x\\dhcp.tmp"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\x\\Jet.Log"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\x\\y.~nt"));
    EXPECT_FALSE(IsPathUnprotected(L"ntldr"));                 // at the start
    EXPECT_FALSE(IsPathUnprotected(L"C:\\x\\signatures.ini")); // at the end
    EXPECT_TRUE(IsPathUnprotected(L"C:\\Temp\\report.tmp"));
    EXPECT_TRUE(IsPathUnprotected(L"C:\\Temp\\tool.dll"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\Temp\\helper.dll")); // "\help" is a folder fragment
    EXPECT_TRUE(IsPathUnprotected(L"C:\\Temp\\readme"));
    EXPECT_TRUE(IsPathUnprotected(L""));
    // Characters beyond ASCII are lower-cased as the framework does before matching.
    EXPECT_EQ(LiteralUnprotected(L"C:\\\x0130NDEX.DAT"), IsPathUnprotected(L"C:\\\x0130NDEX.DAT"));
    EXPECT_TRUE(IsPathUnprotected(L"C:\\caf\x00e9\\r\x00e9sum\x00e9.txt"));
    EXPECT_FALSE(IsPathUnprotected(L"C:\\caf\x00e9\\SYSTEM\x00e9.txt"));
}

TEST(IsPathUnprotected, MatcherAgreesWithTheLiteralScan)
{
    PathGenerator generator(20240611);
    int protectedCount = 0;
    for (int i = 0; i < 200000; ++i)
    {
        const std::wstring path = generator.Next();
        const bool literal = LiteralUnprotected(path.c_str());
        ASSERT_EQ(literal, protection::IsPathUnprotected(path.c_str())) << testing::PrintToString(path);
        protectedCount += literal ? 0 : 1;
    }
    // Both kinds of answer are well represented.
    EXPECT_GT(protectedCount, 20000);
    EXPECT_LT(protectedCount, 180000);
}

TEST(IsPathUnprotected, EveryFragmentAnywhereInAnyCase)
{
    const CStringArray& fragments = protection::ProtectedFragments();
    for (INT_PTR i = 0; i < fragments.GetSize(); ++i)
    {
        CString upper(fragments[i]);
        upper.MakeUpper();
        for (const CString& path : {fragments[i], CString(L"x") + upper, CString(L"abc") + fragments[i] + L"def"})
            EXPECT_FALSE(protection::IsPathUnprotected(path)) << std::wstring(path);
        // The fragment less its last character is a near miss the scan also rejects or accepts.
        const CString cut = fragments[i].Left(fragments[i].GetLength() - 1);
        EXPECT_EQ(LiteralUnprotected(cut), protection::IsPathUnprotected(cut)) << std::wstring(cut);
    }
}

TEST(IsFileDeletable, QueriesFileProtectionOnlyWhenItDecides)
{
    {
        QueryLog log;
        EXPECT_TRUE(protection::IsFileDeletable(L"C:\\Temp\\Report.TMP", QueryLog::Query));
        EXPECT_EQ((std::vector<std::wstring>{L"c:\\temp\\report.tmp"}), QueryLog::paths); // the lower-cased path
    }
    {
        QueryLog log;
        QueryLog::answer = TRUE; // under file protection
        EXPECT_FALSE(protection::IsFileDeletable(L"C:\\Temp\\font.ttf", QueryLog::Query));
        EXPECT_EQ(1u, QueryLog::paths.size());
    }
    {
        QueryLog log;
        EXPECT_TRUE(protection::IsFileDeletable(L"C:\\Temp\\readme", QueryLog::Query)); // no extension
        EXPECT_FALSE(protection::IsFileDeletable(L"C:\\Temp\\tool.dll", QueryLog::Query));
        EXPECT_FALSE(protection::IsFileDeletable(L"C:\\Temp\\tool. DLL ", QueryLog::Query)); // trimmed
        EXPECT_FALSE(protection::IsFileDeletable(L"C:\\Temp\\old.Dot", QueryLog::Query));
        EXPECT_FALSE(protection::IsFileDeletable(L"C:\\Windows\\System32\\x.txt", QueryLog::Query)); // protected
        EXPECT_FALSE(protection::IsFileDeletable(nullptr, QueryLog::Query));
        EXPECT_TRUE(QueryLog::paths.empty());
    }
    {
        QueryLog log;
        // A file name ending in a full stop has an extension of just "."; it is queried.
        EXPECT_TRUE(protection::IsFileDeletable(L"C:\\Temp\\odd.", QueryLog::Query));
        EXPECT_EQ(1u, QueryLog::paths.size());
    }
    // No query function: nothing counts as under file protection.
    EXPECT_TRUE(protection::IsFileDeletable(L"C:\\Temp\\report.tmp", nullptr));
}

TEST(IsFileDeletable, PathsTooLongToSplitAreNotDeletableAndRisky)
{
    QueryLog log;
    const std::wstring longName = L"C:\\Temp\\" + std::wstring(300, L'n') + L".tmp";
    const std::wstring longFolder = L"C:\\" + std::wstring(600, L'f') + L"\\a.tmp";
    for (const std::wstring& path : {longName, longFolder})
    {
        EXPECT_TRUE(protection::IsPathUnprotected(path.c_str())); // the fragments still answer
        EXPECT_FALSE(protection::IsFileDeletable(path.c_str(), QueryLog::Query));
        EXPECT_FALSE(IsFileDeletable(path.c_str()));
        EXPECT_TRUE(HasRiskyExtension(path.c_str()));
    }
    EXPECT_TRUE(QueryLog::paths.empty());
    const std::wstring longest = L"C:\\Temp\\" + std::wstring(250, L'n') + L".tmp";
    EXPECT_TRUE(protection::IsFileDeletable(longest.c_str(), QueryLog::Query));
    EXPECT_FALSE(HasRiskyExtension(longest.c_str()));
}

TEST(IsFileDeletable, ThroughTheSystemFileProtection)
{
    // Bound from sfc.dll in the system folder; Wine's always answers "not protected".
    EXPECT_NE(nullptr, protection::SystemFileProtectionQuery());
    EXPECT_TRUE(IsFileDeletable(L"C:\\Temp\\report.tmp"));
    EXPECT_FALSE(IsFileDeletable(L"C:\\Temp\\tool.dll"));
    EXPECT_TRUE(IsFileDeletable(L"C:\\Temp\\readme"));
    EXPECT_FALSE(IsFileDeletable(L"C:\\RECYCLER\\S-1-5-21\\Dc1.txt"));
}

TEST(HasRiskyExtension, Types)
{
    EXPECT_TRUE(HasRiskyExtension(L"C:\\Docs\\Macro.VSMACROS"));
    EXPECT_TRUE(HasRiskyExtension(L"C:\\x\\a.js"));
    EXPECT_TRUE(HasRiskyExtension(L"C:\\x\\a.xsl"));
    EXPECT_TRUE(HasRiskyExtension(L"C:\\x\\a.acm"));
    EXPECT_TRUE(HasRiskyExtension(L"a.b.Lnk"));
    EXPECT_TRUE(HasRiskyExtension(L"C:\\x\\a. exe "));
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x\\a.txt"));
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x\\a.jsx"));
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x\\readme"));
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x.exe\\readme")); // the folder's dot is not an extension
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x\\a."));
    EXPECT_FALSE(HasRiskyExtension(L""));
    EXPECT_FALSE(HasRiskyExtension(L"C:\\x\\a.dot")); // critical for deletion, yet no macro type here
}
