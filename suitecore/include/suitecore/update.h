// The update operations the suite's tools call: whether the machine is on line, whether a
// newer version of the suite is published, and the definition-archive update.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

// The update operations. The object holds no data; each call stands on its own.
class SUITECORE_API CGlobalUpdate
{
public:
    CGlobalUpdate();
    virtual ~CGlobalUpdate();

    // True when the update-check page publishes a version newer than the loaded SuiteCore's.
    // The version file is fetched with the download dialog hidden.
    BOOL CheckForNewVersion();
    // Fetches the definition information and answers whether the archive beside the running
    // executable matches its checksum; strDownloadAddress receives the archive's address.
    BOOL IsDatabaseCurrent(CString& strDownloadAddress);
    // Brings the definition archive beside the running executable up to date, with the
    // download dialog visible. The archive in place is only ever replaced by a verified one.
    //
    // Signed archives. Besides "SHA" and "DOWNLOADURL", section "AntiSpyUpdates" of
    // dbUpdate.ini may carry three keys (tools that do not know them ignore them):
    //   SHA256     the archive's SHA-256 digest, 64 hexadecimal digits
    //   DBVERSION  the definitions version, a decimal number from 0 to 4294967295 without a
    //              leading zero
    //   SIGNATURE  the publisher's RSA signature (PKCS#1 v1.5, SHA-256) in hexadecimal, most
    //              significant byte first: exactly the bytes "openssl dgst -sha256 -sign"
    //              writes, hex-encoded
    // The signed message is the ASCII text of the digest in lower case, a colon and the
    // version in decimal, with nothing before or after it, e.g.
    //   "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08:42"
    // made by: printf '%s:%s' "$sha256" "$version" | openssl dgst -sha256 -sign key.pem | xxd -p
    // When SIGNATURE is present, the download is installed only when its SHA-1 digest matches
    // "SHA", its SHA-256 digest matches "SHA256", one of the built-in publisher keys verifies
    // the signature, and DBVERSION is not lower than the last signed version installed for
    // the user (DWORD "InstalledDefinitionsVersion" under HKCU "Software\Orvane\QMN3",
    // written after each signed install). A signature that is present but does not verify
    // always refuses the archive. Without SIGNATURE the SHA-1 check alone decides, unless the
    // build requires signatures or the machine does (a non-zero DWORD
    // "RequireSignedDefinitions" under HKLM "Software\Orvane\QMN3"): then nothing is
    // downloaded. A refused archive never replaces the one in place.
    BOOL UpdateDefinitions();
};

// Each creates a temporary CGlobalUpdate and calls the operation of the same name.
SUITECORE_API BOOL CheckForNewVersionNow();
SUITECORE_API BOOL UpdateDefinitionsNow();

// Points the update operations at another server: the base address (scheme, host, optional
// port and path, without a trailing "/") under which the update pages lie. An empty text or
// null clears it; the "UpdateServer" value of the product's settings key, then the built-in
// address, serve instead.
SUITECORE_API void SetUpdateServer(LPCWSTR lpszBaseAddress);
