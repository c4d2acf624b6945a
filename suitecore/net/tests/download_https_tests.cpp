// Downloads over HTTPS through SuiteDiag against the local HTTPS listeners: a test CA made at
// test time and trusted in the prefix's machine Root store only while the cases run.
#include "net_test_support.h"

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <set>

using namespace nettest;
using testsupport::ProcessResult;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::Utf8;
using testsupport::WriteFileBytes;

namespace
{
// The test CA's certificate (DER), made beside the listeners' certificates.
std::wstring CaCertificate()
{
    const std::wstring& server = TestServers().httpsCerts.at("localhost");
    return server.substr(0, server.rfind(L'\\')) + L"\\ca.cer";
}

ProcessResult RootCa(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\test_root_ca.exe\" " + arguments);
}

// Each fetch runs in a new SuiteDiag process, so that no certificate chain or connection that
// an earlier fetch saw can answer for a later one.
ProcessResult Download(const std::wstring& source, const std::wstring& file)
{
    return testsupport::RunProcess(
        L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" download \"" + source + L"\" \"" + file + L"\"", 120000);
}

// The error SuiteDiag names for a failed pass; 0 when it names none.
DWORD PassError(const ProcessResult& r)
{
    const std::string marker = "failed with error ";
    const size_t at = r.err.find(marker);
    return at == std::string::npos ? 0 : strtoul(r.err.c_str() + at + marker.size(), nullptr, 10);
}

// Takes the test CA out of the prefix again however the test ends.
struct TrustedCa
{
    std::wstring thumbprint;
    ~TrustedCa()
    {
        if (!thumbprint.empty())
            RootCa(L"remove " + thumbprint);
    }
};
} // namespace

TEST(HttpsDownload, TheCertificateDecidesAndTlsIsNeverLeftForPlainHttp)
{
    TempDir dir;
    TrustedCa ca;
    const ProcessResult added = RootCa(L"add \"" + CaCertificate() + L"\"");
    ASSERT_EQ(0u, added.exitCode) << added.err;
    ca.thumbprint = testsupport::Wide(added.out.substr(0, added.out.find_first_of("\r\n")));
    ASSERT_EQ(0u, RootCa(L"has " + ca.thumbprint).exitCode);

    const std::set<DWORD> untrustedCodes = {ERROR_INTERNET_SEC_CERT_REV_FAILED, ERROR_INTERNET_INVALID_CA};
    struct Row
    {
        const char* name;
        std::wstring source;    // built from the row's tag below
        size_t size;            // bytes of the remote file; 0 when nothing may arrive
        size_t partial;         // bytes already on disk, to be resumed
        std::set<DWORD> errors; // for a failing row, the codes that may fail it
        std::vector<std::string> log;
    };
    const std::wstring plainTag = NewTag();
    std::vector<std::wstring> tags;
    for (int i = 0; i < 6; ++i)
        tags.push_back(NewTag());
    const Row rows[] = {
        {"good certificate, resumed",
         Https("localhost", L"/data/300000/good.bin?tag=" + tags[0]),
         300000,
         100000,
         {},
         {"HEAD /data/300000/good.bin -", "GET /data/300000/good.bin bytes=100000-"}},
        {"wrong name",
         Https("wrongname", L"/data/10/w.bin?tag=" + tags[1]),
         0,
         0,
         {ERROR_INTERNET_SEC_CERT_CN_INVALID},
         {}},
        {"untrusted CA", Https("untrusted", L"/data/10/u.bin?tag=" + tags[2]), 0, 0, untrustedCodes, {}},
        {"expired",
         Https("expired", L"/data/10/e.bin?tag=" + tags[3]),
         0,
         0,
         {ERROR_INTERNET_SEC_CERT_DATE_INVALID},
         {}},
        {"https to http",
         Https("localhost", L"/data/10/d.bin?tag=" + tags[4] + RedirectTo(Http(L"/data/10/d.bin?tag=" + plainTag))),
         0,
         0,
         {ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR},
         {"HEAD /data/10/d.bin -", "GET /data/10/d.bin -"}},
        {"http to https",
         Http(L"/data/5000/up.bin?tag=" + tags[5] +
              RedirectTo(Https("localhost", L"/data/5000/up.bin?tag=" + tags[5]))),
         5000,
         0,
         {},
         {"HEAD /data/5000/up.bin -", "HEAD /data/5000/up.bin -", "GET /data/5000/up.bin -",
          "GET /data/5000/up.bin -"}},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const std::wstring file = dir.File(L"row" + std::to_wstring(i) + L".bin");
        if (row.partial)
        {
            ASSERT_TRUE(WriteFileBytes(file, Content(0, row.partial)));
        }
        const ProcessResult r = Download(row.source, file);
        if (row.size)
        {
            EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
            EXPECT_TRUE(SameBytes(Content(0, row.size), ReadFileBytes(file)));
        }
        else
        {
            EXPECT_EQ(1u, r.exitCode) << r.out << r.err;
            EXPECT_EQ(1u, row.errors.count(PassError(r))) << r.err;
            EXPECT_TRUE(ReadFileBytes(file).empty());
        }
        // A certificate refused in the handshake leaves no request behind.
        EXPECT_EQ(row.log, ServerLog(tags[i]));
    }
    // The refused redirect never asked the plain server.
    EXPECT_TRUE(ServerLog(plainTag).empty());

    // Deleting the key takes the CA out: the good listener fails again.
    ASSERT_EQ(0u, RootCa(L"remove " + ca.thumbprint).exitCode);
    EXPECT_EQ(1u, RootCa(L"has " + ca.thumbprint).exitCode);
    ca.thumbprint.clear();
    const ProcessResult again = Download(Https("localhost", L"/data/10/again.bin"), dir.File(L"again.bin"));
    EXPECT_EQ(1u, again.exitCode) << again.out;
    EXPECT_EQ(1u, untrustedCodes.count(PassError(again))) << again.err;
}
