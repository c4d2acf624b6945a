// Digests: MD5 of data in memory, SHA-1 of a whole file.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

// MD5 (RFC 1321); the digest is returned as 32 lower-case hexadecimal digits.
class SUITECORE_API CMD5Checksum
{
public:
    // The digest of nLength bytes at pBuf.
    static CString GetMD5(const BYTE* pBuf, UINT nLength);

    CMD5Checksum();
    virtual ~CMD5Checksum();

    void Update(const BYTE* pInput, ULONG nInputLen);
    CString Final();

protected:
    BYTE m_lpszBuffer[64];
    ULONG m_nCount[2]; // message length in bits: low word, high word
    ULONG m_lMD5[4];
};

// SHA-1 (FIPS 180-1) of a whole file, reported as 40 upper-case hexadecimal digits.
struct SUITECORE_API CFileSha1
{
    UINT32 m_state[5];
    UINT32 m_count[2]; // message length in bits: low word, high word
    BYTE m_buffer[64];
    BYTE m_digest[20];
    UINT32 m_block[16];

    CFileSha1();
    ~CFileSha1();

    void Reset();
    void AddBytes(const BYTE* pData, UINT32 nCount);
    // False for a null path, a file that cannot be opened, or one that ends before its size.
    bool HashFile(LPCWSTR lpszPath);
    void Finish();
    void ReportHash(CString& strReport) const;
};

// The SHA-1 text of the file; for a file that cannot be read, the text of the bytes taken so
// far (no data at all when it cannot be opened). Writes its progress to the standard output.
SUITECORE_API CString GetFileSha1Text(LPCWSTR lpszPath);
