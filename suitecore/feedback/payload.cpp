// The feedback payload: an MD5 digest of the text's ANSI form, then the RC4-enciphered
// UTF-16LE text, all in upper-case hexadecimal.
#include "suitecore/feedback.h"

#include "feedback_key.h"

#include "suitecore/checksum.h"

#include <utility>
#include <vector>

namespace
{
using suitecore::feedback::kPayloadKey;
using suitecore::feedback::kPayloadKeyLength;

constexpr int kDigestDigits = 32;

// RC4 whose key schedule repeats the key over the 256 positions; enciphers in place (and so
// deciphers as well).
void Rc4(BYTE* data, size_t size)
{
    BYTE state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<BYTE>(i);
    BYTE j = 0;
    for (int i = 0; i < 256; ++i)
    {
        j = static_cast<BYTE>(j + state[i] + static_cast<BYTE>(kPayloadKey[i % kPayloadKeyLength]));
        std::swap(state[i], state[j]);
    }
    BYTE x = 0, y = 0;
    for (size_t k = 0; k < size; ++k)
    {
        x = static_cast<BYTE>(x + 1);
        y = static_cast<BYTE>(y + state[x]);
        std::swap(state[x], state[y]);
        data[k] ^= state[static_cast<BYTE>(state[x] + state[y])];
    }
}

// The digest of the first n bytes of the text's ANSI form, n being its length in characters.
// A form shorter than n (a surrogate pair becomes one "?") is padded with zero bytes, so the
// digest never covers memory past the converted text; the first pad byte stands where the
// converted string's terminator stood. Empty when the text does not convert.
CString AnsiDigest(const CString& text)
{
    const int n = text.GetLength();
    const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.GetString(), n, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return CString();
    std::vector<char> ansi(static_cast<size_t>(needed > n ? needed : n), '\0');
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.GetString(), n, ansi.data(), needed, nullptr, nullptr) != needed)
        return CString();
    CString digest = CMD5Checksum::GetMD5(reinterpret_cast<const BYTE*>(ansi.data()), static_cast<UINT>(n));
    return digest.MakeUpper();
}

// The UTF-16LE bytes of the text, two per character, without a terminator.
std::vector<BYTE> Utf16Bytes(const CString& text)
{
    std::vector<BYTE> bytes;
    bytes.reserve(static_cast<size_t>(text.GetLength()) * 2);
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const wchar_t ch = text[i];
        bytes.push_back(static_cast<BYTE>(ch & 0xFF));
        bytes.push_back(static_cast<BYTE>(ch >> 8));
    }
    return bytes;
}

int HexValue(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    return -1;
}
} // namespace

CWebServiceHelper::CWebServiceHelper() = default;

CWebServiceHelper::~CWebServiceHelper() = default;

BOOL CWebServiceHelper::EncodeFeedbackPayload(const CString& strText, CString& strPayload)
{
    strPayload.Empty();
    if (strText.IsEmpty())
        return FALSE;
    const CString digest = AnsiDigest(strText);
    if (digest.GetLength() != kDigestDigits)
        return FALSE;
    std::vector<BYTE> bytes = Utf16Bytes(strText);
    Rc4(bytes.data(), bytes.size());
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    CString payload = digest;
    payload.Preallocate(kDigestDigits + static_cast<int>(bytes.size()) * 2);
    for (BYTE b : bytes)
    {
        payload.AppendChar(kDigits[b >> 4]);
        payload.AppendChar(kDigits[b & 0x0F]);
    }
    strPayload = payload;
    return TRUE;
}

BOOL CWebServiceHelper::DecodeFeedbackPayload(LPCWSTR lpszPayload, CString& strText)
{
    strText.Empty();
    const CString payload = lpszPayload ? lpszPayload : L"";
    const int cipherDigits = payload.GetLength() - kDigestDigits;
    if (cipherDigits <= 0 || cipherDigits % 4 != 0)
        return FALSE;
    std::vector<BYTE> bytes(static_cast<size_t>(cipherDigits / 2));
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        const int high = HexValue(payload[kDigestDigits + 2 * static_cast<int>(i)]);
        const int low = HexValue(payload[kDigestDigits + 2 * static_cast<int>(i) + 1]);
        if (high < 0 || low < 0)
            return FALSE;
        bytes[i] = static_cast<BYTE>(high << 4 | low);
    }
    Rc4(bytes.data(), bytes.size());
    CString text;
    for (size_t i = 0; i < bytes.size(); i += 2)
        text.AppendChar(static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8));
    if (AnsiDigest(text).CompareNoCase(payload.Left(kDigestDigits)) != 0)
        return FALSE;
    strText = text;
    return TRUE;
}
