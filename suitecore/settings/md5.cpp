// CMD5Checksum: MD5 of data in memory.
#include "suitecore/checksum.h"

#include "checksum_kernels.h"
#include "digest_text.h"

#include <cstring>

CString CMD5Checksum::GetMD5(const BYTE* pBuf, UINT nLength)
{
    CMD5Checksum md5;
    if (pBuf)
        md5.Update(pBuf, nLength);
    return md5.Final();
}

CMD5Checksum::CMD5Checksum()
{
    memset(m_lpszBuffer, 0, sizeof(m_lpszBuffer));
    m_nCount[0] = m_nCount[1] = 0;
    m_lMD5[0] = 0x67452301;
    m_lMD5[1] = 0xEFCDAB89;
    m_lMD5[2] = 0x98BADCFE;
    m_lMD5[3] = 0x10325476;
}

CMD5Checksum::~CMD5Checksum() = default;

void CMD5Checksum::Update(const BYTE* pInput, ULONG nInputLen)
{
    suitecore::kernels::AddToBlocks(
        m_lpszBuffer, m_nCount, pInput, nInputLen,
        [this](const BYTE* data, size_t blocks)
        { suitecore::kernels::Md5Blocks(reinterpret_cast<uint32_t*>(m_lMD5), data, blocks); });
}

CString CMD5Checksum::Final()
{
    BYTE length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<BYTE>(m_nCount[i / 4] >> (8 * (i % 4)));
    static const BYTE kPadding[64] = {0x80};
    const ULONG index = (m_nCount[0] >> 3) & 0x3F;
    Update(kPadding, index < 56 ? 56 - index : 120 - index);
    Update(length, 8);

    BYTE digest[16];
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<BYTE>(m_lMD5[i / 4] >> (8 * (i % 4)));
    return suitecore::DigestText(digest, 16, false);
}
