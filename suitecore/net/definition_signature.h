// The signature check of a downloaded definition archive: the archive's SHA-256 digest and the
// published definitions version, signed with the publisher's RSA key (see update.h for the
// published keys and the exact signed bytes).
#pragma once

#include <framework/string.h>

#include <windows.h>

#include <string>
#include <vector>

namespace suitecore::net
{
// The signing values of "dbUpdate.ini" as read: lower-cased and trimmed, empty when absent.
struct PublishedSignature
{
    CString sha256;    // "SHA256": 64 hexadecimal digits
    CString version;   // "DBVERSION": decimal, no leading zero, at most 4294967295
    CString signature; // "SIGNATURE": the RSA signature in hexadecimal, most significant byte first
};

// A trusted public key: a CryptoAPI PUBLICKEYBLOB (PUBLICKEYSTRUC, RSAPUBKEY, modulus).
struct TrustedKey
{
    const BYTE* blob = nullptr;
    DWORD size = 0;
};

enum class SignatureCheck
{
    Unsigned,       // no "SIGNATURE": nothing to verify
    Verified,       // the digest matches the archive and one trusted key signed it
    Malformed,      // a signing value is missing or not in its form
    DigestMismatch, // the archive's SHA-256 digest is not the published one
    BadSignature,   // no trusted key made this signature over these values
    Unreadable,     // the archive could not be read to its end
    NoProvider,     // no RSA/AES cryptographic provider
};

// Parses "DBVERSION"; false unless it is a decimal number without a leading zero that fits a
// DWORD.
bool ParseDefinitionsVersion(const CString& text, DWORD& version);

// The bytes the publisher signs: "<SHA-256 in 64 lower-case hex digits>:<version in decimal>".
std::string DefinitionsSignedMessage(const CString& sha256, DWORD version);

// Checks the archive file against the published values with the given keys; any one key
// that verifies the signature suffices. Reads the file and nothing else: no settings, no
// policy, no state.
SignatureCheck VerifyDefinitionsArchive(LPCWSTR lpszArchive, const PublishedSignature& published,
                                        const std::vector<TrustedKey>& keys);

// The keys this build trusts: the publisher's two pinned keys, and the build's test key when
// it was built to trust one.
std::vector<TrustedKey> TrustedDefinitionKeys();
} // namespace suitecore::net
