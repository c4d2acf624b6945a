// Verifies a definition archive's signature with the platform's RSA/AES provider: the
// archive's SHA-256 digest, the signed message over it, and RSA PKCS#1 v1.5 with SHA-256.
#include "definition_signature.h"

#include <framework/handles.h>

#include <wincrypt.h>

#ifndef CALG_SHA_256
// The RSA/AES provider has SHA-256 from XP SP3 on; the headers offer it only to targets above
// SP2.
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12) // ALG_SID_SHA_256
#endif

#include <algorithm>
#include <cwctype>

namespace suitecore::net
{
namespace
{
struct CryptProviderTraits
{
    using type = HCRYPTPROV;
    static HCRYPTPROV invalid() noexcept { return 0; }
    static void close(HCRYPTPROV h) noexcept { CryptReleaseContext(h, 0); }
};
struct CryptKeyTraits
{
    using type = HCRYPTKEY;
    static HCRYPTKEY invalid() noexcept { return 0; }
    static void close(HCRYPTKEY h) noexcept { CryptDestroyKey(h); }
};
struct CryptHashTraits
{
    using type = HCRYPTHASH;
    static HCRYPTHASH invalid() noexcept { return 0; }
    static void close(HCRYPTHASH h) noexcept { CryptDestroyHash(h); }
};
using CryptProvider = CUniqueAny<CryptProviderTraits>;
using CryptKey = CUniqueAny<CryptKeyTraits>;
using CryptHash = CUniqueAny<CryptHashTraits>;

constexpr DWORD kSha256Bytes = 32;

bool IsHexText(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (!std::iswxdigit(text[i]))
            return false;
    }
    return true;
}

int HexValue(WCHAR ch)
{
    return ch <= L'9' ? ch - L'0' : (ch | 0x20) - L'a' + 10;
}

// The signature as CryptoAPI takes it: the published bytes, least significant first.
bool DecodeSignature(const CString& hex, std::vector<BYTE>& bytes)
{
    if (hex.IsEmpty() || hex.GetLength() % 2 != 0 || !IsHexText(hex))
        return false;
    bytes.clear();
    for (int i = 0; i < hex.GetLength(); i += 2)
        bytes.push_back(static_cast<BYTE>(HexValue(hex[i]) << 4 | HexValue(hex[i + 1])));
    std::reverse(bytes.begin(), bytes.end());
    return true;
}

CString HexText(const BYTE* bytes, DWORD count)
{
    static const WCHAR digits[] = L"0123456789abcdef";
    CString text;
    for (DWORD i = 0; i < count; ++i)
    {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

CryptHash NewSha256(const CryptProvider& provider)
{
    CryptHash hash;
    if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put()))
        hash.release(); // nothing was made
    return hash;
}

// The SHA-256 digest text of the whole file; empty when it cannot be read to its end.
CString FileSha256(const CryptProvider& provider, LPCWSTR lpszPath)
{
    CUniqueFileHandle file(CreateFileW(lpszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    CryptHash hash = NewSha256(provider);
    if (!file || !hash)
        return CString();
    std::vector<BYTE> buffer(64 * 1024);
    for (;;)
    {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return CString();
        if (read == 0)
            break;
        if (!CryptHashData(hash.get(), buffer.data(), read, 0))
            return CString();
    }
    BYTE digest[kSha256Bytes] = {};
    DWORD size = sizeof digest;
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0) || size != sizeof digest)
        return CString();
    return HexText(digest, size);
}

bool KeySigned(const CryptProvider& provider, const TrustedKey& key, const std::string& message,
               const std::vector<BYTE>& signature)
{
    CryptKey imported;
    if (!key.blob || !CryptImportKey(provider.get(), key.blob, key.size, 0, 0, imported.put()))
    {
        imported.release(); // nothing was imported
        return false;
    }
    CryptHash hash = NewSha256(provider);
    if (!hash || !CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()),
                                static_cast<DWORD>(message.size()), 0))
        return false;
    return CryptVerifySignatureW(hash.get(), signature.data(), static_cast<DWORD>(signature.size()), imported.get(),
                                 nullptr, 0) != FALSE;
}
} // namespace

bool ParseDefinitionsVersion(const CString& text, DWORD& version)
{
    const int length = text.GetLength();
    if (length == 0 || length > 10 || (length > 1 && text[0] == L'0'))
        return false;
    unsigned long long value = 0;
    for (int i = 0; i < length; ++i)
    {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    version = static_cast<DWORD>(value);
    return true;
}

std::string DefinitionsSignedMessage(const CString& sha256, DWORD version)
{
    std::string message;
    for (int i = 0; i < sha256.GetLength(); ++i)
        message += static_cast<char>(std::towlower(sha256[i]));
    return message + ":" + std::to_string(version);
}

SignatureCheck VerifyDefinitionsArchive(LPCWSTR lpszArchive, const PublishedSignature& published,
                                        const std::vector<TrustedKey>& keys)
{
    if (published.signature.IsEmpty())
        return SignatureCheck::Unsigned;
    DWORD version = 0;
    std::vector<BYTE> signature;
    if (published.sha256.GetLength() != 2 * kSha256Bytes || !IsHexText(published.sha256) ||
        !ParseDefinitionsVersion(published.version, version) || !DecodeSignature(published.signature, signature))
        return SignatureCheck::Malformed;

    CryptProvider provider;
    if (!CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
    {
        provider.release(); // nothing was acquired
        return SignatureCheck::NoProvider;
    }
    const CString digest = FileSha256(provider, lpszArchive);
    if (digest.IsEmpty())
        return SignatureCheck::Unreadable;
    if (digest.CompareNoCase(published.sha256) != 0)
        return SignatureCheck::DigestMismatch;
    // The message is built from the digest just computed, never from the published text alone.
    const std::string message = DefinitionsSignedMessage(digest, version);
    for (const TrustedKey& key : keys)
    {
        if (KeySigned(provider, key, message, signature))
            return SignatureCheck::Verified;
    }
    return SignatureCheck::BadSignature;
}
} // namespace suitecore::net
