// SHA-1 and MD5 over a buffer: SuiteCore's exported engines against the platform's CryptoAPI.
#include "bench.h"

#include <suitecore/checksum.h>

#include <wincrypt.h>

namespace
{
constexpr size_t kBytes = 128u << 20;
constexpr double kMiB = 1024.0 * 1024.0;

// The platform's digest of the buffer, as upper-case hexadecimal text.
std::wstring CryptoApiDigest(ALG_ID algorithm, const std::vector<unsigned char>& data)
{
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::wstring text;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return text;
    if (CryptCreateHash(provider, algorithm, 0, 0, &hash) &&
        CryptHashData(hash, data.data(), static_cast<DWORD>(data.size()), 0))
    {
        BYTE digest[64];
        DWORD length = sizeof(digest);
        if (CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0))
            for (DWORD i = 0; i < length; ++i)
            {
                wchar_t two[3];
                _snwprintf(two, 3, L"%02X", digest[i]);
                text.append(two, 2);
            }
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return text;
}

std::wstring Upper(CString text)
{
    text.MakeUpper();
    return std::wstring(text.GetString());
}

void BenchSha1(suitebench::Reporter& r)
{
    const std::vector<unsigned char> data = suitebench::RandomBytes(kBytes, 3);
    std::wstring ours, peer;
    const double oursSeconds = suitebench::BestSeconds(3,
                                                       [&]
                                                       {
                                                           CFileSha1 sha1;
                                                           sha1.AddBytes(data.data(), static_cast<UINT32>(data.size()));
                                                           sha1.Finish();
                                                           CString text;
                                                           sha1.ReportHash(text);
                                                           ours = text.GetString();
                                                       });
    const double peerSeconds = suitebench::BestSeconds(3, [&] { peer = CryptoApiDigest(CALG_SHA1, data); });
    r.Report(L"sha1 128 MiB buffer", kBytes / kMiB / oursSeconds, L"CryptoAPI CALG_SHA1", kBytes / kMiB / peerSeconds,
             suitebench::Unit::MiBPerSecond);
    r.Note(ours == peer ? L"digests agree" : L"DIGESTS DIFFER");
}

void BenchMd5(suitebench::Reporter& r)
{
    const std::vector<unsigned char> data = suitebench::RandomBytes(kBytes, 5);
    std::wstring ours, peer;
    const double oursSeconds = suitebench::BestSeconds(
        3, [&] { ours = Upper(CMD5Checksum::GetMD5(data.data(), static_cast<UINT>(data.size()))); });
    const double peerSeconds = suitebench::BestSeconds(3, [&] { peer = CryptoApiDigest(CALG_MD5, data); });
    r.Report(L"md5 128 MiB buffer", kBytes / kMiB / oursSeconds, L"CryptoAPI CALG_MD5", kBytes / kMiB / peerSeconds,
             suitebench::Unit::MiBPerSecond);
    r.Note(ours == peer ? L"digests agree" : L"DIGESTS DIFFER");
}
} // namespace

SUITEBENCH_CASE(sha1, L"sha1", BenchSha1);
SUITEBENCH_CASE(md5, L"md5", BenchMd5);
