// The feedback pieces usable without a form: the exact document, the payload against an
// independent RC4 and MD5 of the right bytes, the file name against the clock, the tools
// table, and the upload library loaded from the program's folder.
#include "feedback_key.h"

#include <suitecore/checksum.h>
#include <suitecore/feedback.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace
{
std::wstring SysInfoBlock()
{
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v));
#pragma GCC diagnostic pop
    SYSTEM_INFO si{};
    GetNativeSystemInfo(&si);
    wchar_t block[512];
    swprintf(block, 512,
             L"<sys_info>\r\n<os_major_version>%lu</os_major_version>\r\n<os_minor_version>%lu</os_minor_version>\r\n"
             L"<os_product_type>%u</os_product_type>\r\n<os_architecture_type>%u</os_architecture_type>\r\n"
             L"<service_pack_major_version>%u</service_pack_major_version>\r\n"
             L"<service_pack_minor_version>%u</service_pack_minor_version>\r\n</sys_info>\r\n",
             v.dwMajorVersion, v.dwMinorVersion, unsigned(v.wProductType), unsigned(si.wProcessorArchitecture),
             unsigned(v.wServicePackMajor), unsigned(v.wServicePackMinor));
    return block;
}

// RC4 written out here from its definition, so the library's cipher is checked, not restated.
std::vector<BYTE> Rc4(std::vector<BYTE> data)
{
    using suitecore::feedback::kPayloadKey;
    int s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = i;
    for (int i = 0, j = 0; i < 256; ++i)
    {
        j = (j + s[i] + static_cast<unsigned char>(kPayloadKey[i % 49])) % 256;
        std::swap(s[i], s[j]);
    }
    for (size_t k = 0, i = 0, j = 0; k < data.size(); ++k)
    {
        i = (i + 1) % 256;
        j = (j + s[i]) % 256;
        std::swap(s[i], s[j]);
        data[k] ^= static_cast<BYTE>(s[(s[i] + s[j]) % 256]);
    }
    return data;
}

std::wstring Hex(const std::vector<BYTE>& bytes)
{
    std::wstring text;
    for (BYTE b : bytes)
    {
        wchar_t pair[3];
        swprintf(pair, 3, L"%02X", b);
        text += pair;
    }
    return text;
}
} // namespace

TEST(FeedbackDocument, ExactTextsEveryLineEndingInCrLf)
{
    const std::wstring head = L"<sf_feedback>\r\n<feedback>\r\n";
    struct Case
    {
        const wchar_t* name;
        const wchar_t* email;
        int type;
        const wchar_t* content;
        std::vector<UINT> tools;
        BOOL publish;
        std::wstring expected; // up to the system information; empty: no document
    } cases[] = {
        {L"empty e-mail, type 0, no tool", L"", 0, L"Fine.", {}, FALSE,
         head + L"<email/>\r\n<feedback_type>Select Feedback Type</feedback_type>\r\n<content>Fine.</content>\r\n"
                L"</feedback>\r\n<SetPublishState>\r\n<allowed>0</allowed>\r\n</SetPublishState>\r\n"
                L"<favorite_tools/>\r\n"},
        {L"escaped once, tools in row order, published", L"a&b@example.com", 2, L"a<b & c>d \"q\" 'x' &amp;",
         {3, 0, 24}, TRUE,
         head + L"<email>a&amp;b@example.com</email>\r\n<feedback_type>It does not optimized the system</feedback_type>\r\n"
                L"<content>a&lt;b &amp; c&gt;d \"q\" 'x' &amp;amp;</content>\r\n</feedback>\r\n<SetPublishState>\r\n"
                L"<allowed>1</allowed>\r\n</SetPublishState>\r\n<favorite_tools>\r\n<appid>3</appid>\r\n"
                L"<appid>0</appid>\r\n<appid>24</appid>\r\n</favorite_tools>\r\n"},
        {L"content trimmed, type outside the table", L"x@y", 9, L" \t Hello\r\n world \r\n", {}, FALSE,
         head + L"<email>x@y</email>\r\n<feedback_type/>\r\n<content>Hello\r\n world</content>\r\n</feedback>\r\n"
                L"<SetPublishState>\r\n<allowed>0</allowed>\r\n</SetPublishState>\r\n<favorite_tools/>\r\n"},
        {L"blank content", L"x@y", 4, L" \t\r\n ", {1}, TRUE, L""},
        {L"no content", nullptr, 4, nullptr, {}, FALSE, L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.name));
        CString doc = L"stale";
        const BOOL built = BuildFeedbackDocumentText(c.email, c.type, c.content, c.tools.data(),
                                                     static_cast<int>(c.tools.size()), c.publish, doc);
        EXPECT_EQ(!c.expected.empty(), built != FALSE);
        const std::wstring expected = c.expected.empty() ? L"" : c.expected + SysInfoBlock() + L"</sf_feedback>\r\n";
        EXPECT_EQ(expected, std::wstring(doc.GetString()));
    }
}

TEST(FeedbackDocument, SystemInformationOfTheFreshPrefix)
{
    // The test prefix is a fresh 64-bit one without version overrides for this program.
    CString doc;
    ASSERT_TRUE(BuildFeedbackDocumentText(L"", 0, L"x", nullptr, 0, FALSE, doc));
    EXPECT_NE(-1, doc.Find(L"<os_major_version>6</os_major_version>\r\n<os_minor_version>1</os_minor_version>\r\n"
                           L"<os_product_type>1</os_product_type>\r\n<os_architecture_type>9</os_architecture_type>\r\n"
                           L"<service_pack_major_version>1</service_pack_major_version>\r\n"
                           L"<service_pack_minor_version>0</service_pack_minor_version>\r\n"))
        << testsupport::Utf8(doc.GetString());
}

TEST(FeedbackPayload, DigestOfTheAnsiBytesThenRc4OfTheUtf16Bytes)
{
    struct Case
    {
        const wchar_t* name;
        std::wstring text;
        std::string hashed; // the n bytes the digest covers
    } cases[] = {
        {L"plain", L"hello", "hello"},
        {L"lines and markup", L"<a>\r\n<b>1</b>\r\n</a>", "<a>\r\n<b>1</b>\r\n</a>"},
        {L"accented, one ANSI byte each", L"Gr\u00FC\u00DFe caf\u00E9", "Gr\xFC\xDF" "e caf\xE9"},
        // A surrogate pair: Windows makes it one "?", so the ANSI form is a byte short and the
        // digest covers a zero byte in its place (where the converted string's terminator
        // stood); Wine 8 makes it "??". Either way n bytes, never what lies behind them.
        {L"surrogate pair", L"a\U0001F600b", ""},
    };
    CWebServiceHelper helper;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.name));
        CString payload;
        ASSERT_TRUE(helper.EncodeFeedbackPayload(c.text.c_str(), payload));
        const size_t n = c.text.size();
        std::string hashed = c.hashed;
        if (hashed.empty())
        {
            char ansi[16] = {};
            const int got = WideCharToMultiByte(CP_THREAD_ACP, 0, c.text.c_str(), static_cast<int>(n), ansi, 16,
                                                nullptr, nullptr);
            ASSERT_TRUE(got == 3 || got == 4) << got;
            hashed.assign(ansi, n); // zeros after a shorter form
        }
        ASSERT_EQ(32 + 4 * n, static_cast<size_t>(payload.GetLength()));
        CString digest = CMD5Checksum::GetMD5(reinterpret_cast<const BYTE*>(hashed.data()),
                                              static_cast<UINT>(hashed.size()));
        std::vector<BYTE> utf16;
        for (wchar_t ch : c.text)
        {
            utf16.push_back(static_cast<BYTE>(ch & 0xFF));
            utf16.push_back(static_cast<BYTE>(ch >> 8));
        }
        EXPECT_EQ(std::wstring(digest.MakeUpper().GetString()) + Hex(Rc4(utf16)), std::wstring(payload.GetString()));
        CString decoded;
        EXPECT_TRUE(helper.DecodeFeedbackPayload(payload, decoded));
        EXPECT_EQ(c.text, std::wstring(decoded.GetString()));
    }
}

TEST(FeedbackPayload, EmptyTextAndDamagedPayloadsAreRefused)
{
    CWebServiceHelper helper;
    CString payload = L"stale";
    EXPECT_FALSE(helper.EncodeFeedbackPayload(CString(), payload));
    EXPECT_TRUE(payload.IsEmpty());
    ASSERT_TRUE(helper.EncodeFeedbackPayload(L"feedback", payload));
    CString flipped = payload;
    flipped.SetAt(40, flipped[40] == L'0' ? L'1' : L'0');
    const CString damaged[] = {flipped, payload.Left(payload.GetLength() - 2), payload.Left(32), L"", L"Z" + payload.Mid(1)};
    for (const CString& bad : damaged)
    {
        CString text = L"stale";
        EXPECT_FALSE(helper.DecodeFeedbackPayload(bad, text)) << testsupport::Utf8(bad.GetString());
        EXPECT_TRUE(text.IsEmpty());
    }
}

TEST(FeedbackFileName, TwelveHourLocalTimeAndANumber)
{
    const time_t before = time(nullptr);
    const CString name = MakeFeedbackFileName();
    const time_t after = time(nullptr);
    int year, month, day, hour, minute, second, number, consumed = 0;
    wchar_t half[3] = {};
    ASSERT_EQ(8, swscanf(name, L"QMNv3-Feedback %4d%2d%2dT%2d_%2d%2d%2l[AMP] %d.xml%n", &year, &month, &day, &hour,
                         &minute, &second, half, &number, &consumed))
        << testsupport::Utf8(name.GetString());
    EXPECT_EQ(name.GetLength(), consumed);
    EXPECT_TRUE(wcscmp(half, L"AM") == 0 || wcscmp(half, L"PM") == 0);
    EXPECT_TRUE(hour >= 1 && hour <= 12);
    EXPECT_EQ(L'T', name[23]);
    EXPECT_EQ(L'_', name[26]);
    bool matched = false;
    for (time_t t = before; t <= after; ++t)
    {
        const tm local = *localtime(&t);
        const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
        matched |= local.tm_year + 1900 == year && local.tm_mon + 1 == month && local.tm_mday == day &&
                   hour12 == hour && local.tm_min == minute && local.tm_sec == second &&
                   (local.tm_hour < 12) == (wcscmp(half, L"AM") == 0);
    }
    EXPECT_TRUE(matched) << testsupport::Utf8(name.GetString());
}

TEST(FeedbackTools, TwentyThreeNamedToolsWithGapsInTheIds)
{
    const FeedbackTool* tools = nullptr;
    ASSERT_EQ(23, GetFeedbackTools(&tools));
    std::set<UINT> ids;
    for (int i = 0; i < 23; ++i)
    {
        EXPECT_LE(tools[i].nAppId, 24u);
        EXPECT_GT(wcslen(tools[i].lpszName), 0u);
        ids.insert(tools[i].nAppId);
    }
    EXPECT_EQ(23u, ids.size());
    EXPECT_EQ(0u, *ids.begin());
    EXPECT_EQ(24u, *ids.rbegin());
}

TEST(FeedbackUploader, LoadsNetworkDllBesideTheProgramAndCallsNumber14)
{
    testsupport::TempDir dir;
    const std::wstring log = dir.File(L"calls.log");
    SetEnvironmentVariableW(L"NETWORK_STANDIN_LOG", log.c_str());
    SetEnvironmentVariableW(L"NETWORK_STANDIN_RESULT", L"0");
    const FeedbackUploadFn upload = LoadFeedbackUploader();
    ASSERT_NE(nullptr, upload);
    EXPECT_EQ(0, upload(L"PAY\u00E9", L"name.xml"));
    SetEnvironmentVariableW(L"NETWORK_STANDIN_RESULT", nullptr);
    EXPECT_EQ(1, upload(L"P2", L"n2.xml"));
    SetEnvironmentVariableW(L"NETWORK_STANDIN_LOG", nullptr);
    const std::string thread = std::to_string(GetCurrentThreadId());
    EXPECT_EQ("name.xml\tPAY\xC3\xA9\t" + thread + "\nn2.xml\tP2\t" + thread + "\n", testsupport::ReadFileBytes(log));
}
