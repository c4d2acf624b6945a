// Signed definition archives: the signature check alone, with keys, archives and signatures
// that openssl made for this run (make_signed_archives.sh), and the definition update end to
// end through SuiteDiag against a local site.
#include "net_test_support.h"

#include "../definition_signature.h"

#include <framework/handles.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <wincrypt.h>

#include <map>
#include <sstream>

using namespace nettest;
using namespace suitecore::net;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::Utf8;
using testsupport::Wide;

namespace
{
// What make_signed_archives.sh left for this run: its files, and the "name=value" lines of
// signing.ini (empty when a name is missing).
struct Signing
{
    Signing()
    {
        for (const char ch : std::string("Z:" SUITE_SIGNING_STATE))
            dir += ch == '/' ? L'\\' : static_cast<wchar_t>(ch);
        std::istringstream lines(ReadFileBytes(File("signing.ini")));
        for (std::string line; std::getline(lines, line);)
            if (const size_t eq = line.find('='); eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
        trusted = ReadFileBytes(File("trusted.blob"));
        other = ReadFileBytes(File("other.blob"));
    }
    std::wstring File(const std::string& name) const { return dir + L"\\" + Wide(name); }
    std::string Bytes(const std::string& archive) const { return ReadFileBytes(File(archive + ".zip")); }
    std::string Value(const std::string& key) const { return values.count(key) ? values.at(key) : ""; }
    static TrustedKey Key(const std::string& blob)
    {
        return {reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())};
    }

    std::wstring dir;
    std::map<std::string, std::string> values;
    std::string trusted, other;
};

const Signing& TestSigning()
{
    static const Signing signing;
    return signing;
}

CString W(const std::string& text)
{
    return CString(Wide(text).c_str());
}
} // namespace

TEST(DefinitionSignature, VersionsAreDecimalDwordsWithoutLeadingZero)
{
    struct Row
    {
        LPCWSTR text;
        bool valid;
        DWORD value;
    } rows[] = {
        {L"0", true, 0},   {L"4294967295", true, 0xFFFFFFFF},
        {L"42", true, 42}, {L"4294967296", false, 0},
        {L"05", false, 0}, {L"", false, 0},
        {L"1a", false, 0}, {L"-1", false, 0},
        {L" 1", false, 0}, {L"99999999999", false, 0},
    };
    for (const Row& row : rows)
    {
        DWORD value = 7;
        EXPECT_EQ(row.valid, ParseDefinitionsVersion(row.text, value)) << Utf8(row.text);
        EXPECT_EQ(row.valid ? row.value : 7u, value) << Utf8(row.text);
    }
}

TEST(DefinitionSignature, OnlyATrustedKeysSignatureOverTheArchivesDigestAndVersionVerifies)
{
    const Signing& s = TestSigning();
    const std::vector<TrustedKey> pinned = TrustedDefinitionKeys();
    std::vector<TrustedKey> pinnedThenTrusted(pinned.begin(), pinned.begin() + 2);
    pinnedThenTrusted.push_back(Signing::Key(s.trusted));
    const std::vector<TrustedKey> pinnedOnly(pinned.begin(), pinned.begin() + 2);
    const std::vector<TrustedKey> otherOnly = {Signing::Key(s.other)};

    const std::string sigA = s.Value("sig.trusted.a.5");
    const std::string shaA = s.Value("a.sha256");
    ASSERT_EQ(768u, sigA.size());
    std::string reversedA; // the same bytes, least significant first
    for (size_t i = sigA.size(); i >= 2; i -= 2)
        reversedA += sigA.substr(i - 2, 2);
    struct Row
    {
        const char* name;
        std::string archive;
        std::string sha256;
        std::string version;
        std::string signature;
        const std::vector<TrustedKey>& keys;
        SignatureCheck expected;
    } rows[] = {
        {"signed by the trusted key", "a", shaA, "5", sigA, pinnedThenTrusted, SignatureCheck::Verified},
        {"no signature", "a", "", "", "", pinnedThenTrusted, SignatureCheck::Unsigned},
        {"one flipped byte", "b-flipped", s.Value("b.sha256"), "6", s.Value("sig.trusted.b.6"), pinnedThenTrusted,
         SignatureCheck::DigestMismatch},
        {"one flipped byte, its digest republished", "b-flipped", s.Value("b-flipped.sha256"), "6",
         s.Value("sig.trusted.b.6"), pinnedThenTrusted, SignatureCheck::BadSignature},
        {"another key", "b", s.Value("b.sha256"), "6", s.Value("sig.other.b.6"), pinnedThenTrusted,
         SignatureCheck::BadSignature},
        {"another key, trusted", "b", s.Value("b.sha256"), "6", s.Value("sig.other.b.6"), otherOnly,
         SignatureCheck::Verified},
        {"the version raised", "a", shaA, "6", sigA, pinnedThenTrusted, SignatureCheck::BadSignature},
        {"the pinned keys alone", "a", shaA, "5", sigA, pinnedOnly, SignatureCheck::BadSignature},
        {"signature in the wrong byte order", "a", shaA, "5", reversedA, pinnedThenTrusted,
         SignatureCheck::BadSignature},
        {"digest cut short", "a", shaA.substr(1), "5", sigA, pinnedThenTrusted, SignatureCheck::Malformed},
        {"no version", "a", shaA, "", sigA, pinnedThenTrusted, SignatureCheck::Malformed},
        {"odd signature", "a", shaA, "5", sigA.substr(1), pinnedThenTrusted, SignatureCheck::Malformed},
        {"signature not hex", "a", shaA, "5", "zz" + sigA.substr(2), pinnedThenTrusted, SignatureCheck::Malformed},
        {"no archive", "missing", shaA, "5", sigA, pinnedThenTrusted, SignatureCheck::Unreadable},
    };
    for (const Row& row : rows)
    {
        const PublishedSignature published{W(row.sha256), W(row.version), W(row.signature)};
        EXPECT_EQ(row.expected, VerifyDefinitionsArchive(s.File(row.archive + ".zip").c_str(), published, row.keys))
            << row.name;
    }
}

TEST(DefinitionSignature, ThePinnedKeysAreRsa3072AndOnlyADebugBuildAddsItsTestKey)
{
    const std::vector<TrustedKey> keys = TrustedDefinitionKeys();
#if defined(SUITE_TRUST_TEST_DEFINITION_KEY)
    ASSERT_EQ(3u, keys.size());
    EXPECT_EQ(TestSigning().trusted, std::string(reinterpret_cast<const char*>(keys[2].blob), keys[2].size));
#else
    ASSERT_EQ(2u, keys.size());
#endif
    HCRYPTPROV provider = 0;
    ASSERT_TRUE(CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT));
    for (const TrustedKey& key : keys)
    {
        HCRYPTKEY imported = 0;
        DWORD bits = 0, size = sizeof bits;
        ASSERT_TRUE(CryptImportKey(provider, key.blob, key.size, 0, 0, &imported)) << GetLastError();
        EXPECT_TRUE(CryptGetKeyParam(imported, KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0));
        EXPECT_EQ(3072u, bits);
        CryptDestroyKey(imported);
    }
    CryptReleaseContext(provider, 0);
}

namespace
{
// A value under the product key, deleted before and after the test; the key too when the test
// made it.
class ProductValue
{
public:
    ProductValue(HKEY root, LPCWSTR name) : m_root(root), m_name(name)
    {
        DWORD disposition = 0;
        RegCreateKeyExW(m_root, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_key.put(), &disposition);
        m_created = disposition == REG_CREATED_NEW_KEY;
        Clear();
    }
    ~ProductValue()
    {
        Clear();
        m_key.reset();
        if (m_created)
            RegDeleteKeyW(m_root, kKey);
    }
    void Set(DWORD value)
    {
        RegSetValueExW(m_key.get(), m_name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void Clear() { RegDeleteValueW(m_key.get(), m_name); }
    long long Get() const // -1: none
    {
        DWORD value = 0, size = sizeof value, type = 0;
        const LONG status =
            RegQueryValueExW(m_key.get(), m_name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        return status == ERROR_SUCCESS && type == REG_DWORD ? value : -1;
    }

private:
    static constexpr LPCWSTR kKey = L"Software\\Orvane\\QMN3";
    HKEY m_root;
    LPCWSTR m_name;
    CUniqueRegKey m_key;
    bool m_created = false;
};

// A copy of SuiteDiag and its libraries, so that the archive lands beside this copy only.
class Sandbox
{
public:
    Sandbox()
    {
        for (LPCWSTR name : {L"SuiteDiag.exe", L"framework.dll", L"suitecore.dll", L"qmnhtm.dll", L"libgcc_s_dw2-1.dll",
                             L"libwinpthread-1.dll", L"QMN.ini"})
            CopyFileW((testsupport::BinFolder() + L"\\" + name).c_str(), dir.File(name).c_str(), FALSE);
    }
    std::wstring Archive() const { return dir.File(L"Completedatabase.zip"); }
    std::wstring Download() const { return dir.File(L"DBUpdates\\Completedatabase.zip"); }
    testsupport::ProcessResult Update(const std::wstring& server) const
    {
        return testsupport::RunProcess(L"\"" + dir.File(L"SuiteDiag.exe") + L"\" update-definitions --server " + server,
                                       120000);
    }

    TempDir dir;
};
} // namespace

TEST(SignedDefinitionUpdate, InstallsOnlySignedVersionsNoOlderThanTheLastAndKeepsTheArchiveOtherwise)
{
#if !defined(SUITE_TRUST_TEST_DEFINITION_KEY)
    GTEST_SKIP() << "this build trusts no test key";
#endif
    const Signing& s = TestSigning();
    ProductValue installed(HKEY_CURRENT_USER, L"InstalledDefinitionsVersion");
    ProductValue policy(HKEY_LOCAL_MACHINE, L"RequireSignedDefinitions");
    Sandbox box;
    const std::wstring tag = NewTag();

    struct Row
    {
        const char* name;
        std::string served;    // the archive the site serves
        std::string digests;   // the archive whose SHA-1 and SHA-256 are published
        std::string version;   // "DBVERSION", none when empty
        std::string signature; // key "sig.*" of signing.ini, none when empty
        bool policyOn;
        bool fetched;   // the archive is requested at all
        bool installed; // else the archive in place stays
        long long record;
    } rows[] = {
        {"good signature", "a", "a", "5", "sig.trusted.a.5", false, true, true, 5},
        {"one flipped byte, its digests republished", "b-flipped", "b-flipped", "6", "sig.trusted.b.6", false, true,
         false, 5},
        {"signature by another key", "b", "b", "6", "sig.other.b.6", false, true, false, 5},
        {"older DBVERSION", "c", "c", "4", "sig.trusted.c.4", false, false, false, 5},
        {"no signature, policy on", "d", "d", "", "", true, false, false, 5},
        {"no signature, policy off: SHA-1 decides; an unsigned 99 is not recorded", "d", "d", "99", "", false, true,
         true, 5},
        {"signed 6 after the unsigned 99", "b", "b", "6", "sig.trusted.b.6", false, true, true, 6},
    };
    std::string inPlace;
    int n = 0;
    for (const Row& row : rows)
    {
        const std::string file = "row" + std::to_string(++n) + ".zip";
        WriteSiteFile(tag, Wide(file), s.Bytes(row.served));
        std::string info = "[AntiSpyUpdates]\r\nSHA=" + s.Value(row.digests + ".sha1") +
                           "\r\nDOWNLOADURL=" + Utf8(SiteBase(tag)) + "/" + file + "\r\n";
        if (!row.signature.empty())
            info += "SHA256=" + s.Value(row.digests + ".sha256") + "\r\nSIGNATURE=" + s.Value(row.signature) + "\r\n";
        if (!row.version.empty())
            info += "DBVERSION=" + row.version + "\r\n";
        WriteSiteFile(tag, L"antispywareupdates/CompleteDatabase/getdatabase.asp", info);
        if (row.policyOn)
            policy.Set(1);
        else
            policy.Clear();

        const auto r = box.Update(SiteBase(tag));
        EXPECT_EQ(row.installed ? 0u : 1u, r.exitCode) << row.name << "\n" << r.out << r.err;
        EXPECT_EQ(row.fetched ? 1u : 0u, CountGets(tag, "/" + file)) << row.name;
        if (row.installed)
            inPlace = s.Bytes(row.served);
        EXPECT_TRUE(SameBytes(inPlace, ReadFileBytes(box.Archive()))) << row.name;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(box.Download().c_str())) << row.name;
        EXPECT_EQ(row.record, installed.Get()) << row.name;
    }
}
