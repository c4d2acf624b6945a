// CFileSha1: SHA-1 of a whole file.
#include "suitecore/checksum.h"

#include "checksum_kernels.h"
#include "digest_text.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <io.h>
#include <memory>

namespace
{
constexpr size_t kPathChars = 1024; // the longest path taken, with its terminator
constexpr size_t kPiece = 8000;

struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};

void Say(const char* text)
{
    fputs(text, stdout);
    fflush(stdout);
}
} // namespace

CFileSha1::CFileSha1()
{
    Reset();
}

CFileSha1::~CFileSha1()
{
    Reset();
}

void CFileSha1::Reset()
{
    m_state[0] = 0x67452301;
    m_state[1] = 0xEFCDAB89;
    m_state[2] = 0x98BADCFE;
    m_state[3] = 0x10325476;
    m_state[4] = 0xC3D2E1F0;
    m_count[0] = m_count[1] = 0;
}

void CFileSha1::AddBytes(const BYTE* pData, UINT32 nCount)
{
    suitecore::kernels::AddToBlocks(m_buffer, m_count, pData, nCount,
                                    [this](const BYTE* data, size_t blocks)
                                    { suitecore::kernels::Sha1Blocks(m_state, data, blocks); });
}

bool CFileSha1::HashFile(LPCWSTR lpszPath)
{
    if (!lpszPath)
        return false;
    std::unique_ptr<FILE, FileCloser> file(_wfopen(lpszPath, L"rb"));
    if (!file)
        return false;
    const __int64 size = _filelengthi64(_fileno(file.get()));
    if (size < 0)
        return false;
    std::unique_ptr<BYTE[]> piece(new BYTE[kPiece]);
    ULONGLONG done = 0;
    while (done < static_cast<ULONGLONG>(size))
    {
        const ULONGLONG left = static_cast<ULONGLONG>(size) - done;
        const size_t want = left < kPiece ? static_cast<size_t>(left) : kPiece;
        const size_t got = fread(piece.get(), 1, want, file.get());
        if (!got)
            return false;
        AddBytes(piece.get(), static_cast<UINT32>(got));
        done += got;
    }
    return true;
}

void CFileSha1::Finish()
{
    BYTE length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<BYTE>(m_count[i < 4 ? 1 : 0] >> (8 * (3 - (i & 3))));
    static const BYTE kPadding[64] = {0x80};
    const UINT32 index = (m_count[0] >> 3) & 63;
    AddBytes(kPadding, index < 56 ? 56 - index : 120 - index);
    AddBytes(length, 8);
    for (int i = 0; i < 20; ++i)
        m_digest[i] = static_cast<BYTE>(m_state[i / 4] >> (8 * (3 - (i & 3))));

    memset(m_buffer, 0, sizeof(m_buffer));
    memset(m_block, 0, sizeof(m_block));
    memset(m_state, 0, sizeof(m_state));
    m_count[0] = m_count[1] = 0;
}

void CFileSha1::ReportHash(CString& strReport) const
{
    strReport = suitecore::DigestText(m_digest, 20, true);
}

CString GetFileSha1Text(LPCWSTR lpszPath)
{
    // Paths are taken into a buffer of 1024 characters; a longer one is not a file we can open.
    const bool fits = lpszPath && wcsnlen(lpszPath, kPathChars) < kPathChars;
    Say("\r\n Filename: ");
    CFileSha1 sha1;
    sha1.Reset();
    const bool hashed = fits && sha1.HashFile(lpszPath);
    sha1.Finish();
    CString report;
    sha1.ReportHash(report);
    if (hashed)
    {
        char digits[41];
        for (int i = 0; i < 40; ++i)
            digits[i] = static_cast<char>(report[i]);
        digits[40] = '\0';
        Say("\r\n File contents hashed to:\r\n ");
        Say(digits);
        Say("\r\n");
    }
    else
    {
        Say("\r\n An error occured (does the file really exist?).\r\n");
    }
    sha1.Reset();
    return report;
}
