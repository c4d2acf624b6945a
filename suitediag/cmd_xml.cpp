// SuiteDiag xml FILE: parses a UTF-8 or UTF-16 file as an XML document; prints "ok" and the
// number of elements, or the parse error.
#include "command.h"

#include <suitecore/markup.h>

#include <framework/file.h>

#include <vector>

namespace
{
// The file's text: UTF-16 (either byte order) when it starts with a byte-order mark or looks like
// little-endian UTF-16 ("<" then a zero byte), UTF-8 otherwise.
CString DecodeText(const std::vector<BYTE>& bytes)
{
    const size_t size = bytes.size();
    const bool le = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool be = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    const bool bare = !le && !be && size >= 2 && bytes[0] != 0 && bytes[1] == 0;
    if (le || be || bare)
    {
        const size_t first = bare ? 0 : 2;
        const int count = static_cast<int>((size - first) / 2);
        CString text;
        LPWSTR out = text.GetBufferSetLength(count);
        for (int i = 0; i < count; ++i)
        {
            const BYTE lo = bytes[first + 2 * i + (be ? 1 : 0)];
            const BYTE hi = bytes[first + 2 * i + (be ? 0 : 1)];
            out[i] = static_cast<wchar_t>(lo | (hi << 8));
        }
        text.ReleaseBufferSetLength(count);
        return text;
    }
    const size_t first = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    const int length = static_cast<int>(size - first);
    if (length == 0)
        return CString();
    const auto* utf8 = reinterpret_cast<LPCSTR>(bytes.data() + first);
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8, length, nullptr, 0);
    CString text;
    MultiByteToWideChar(CP_UTF8, 0, utf8, length, text.GetBufferSetLength(count), count);
    text.ReleaseBufferSetLength(count);
    return text;
}

int RunXml(suitediag::Args& args)
{
    const CString path = args.Next(L"FILE");
    args.ExpectEnd();
    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &error))
    {
        wchar_t message[512];
        error.GetErrorMessage(message, 512);
        suitediag::ErrFormat(L"SuiteDiag xml: %s\n", message);
        return 1;
    }
    const ULONGLONG length = file.GetLength();
    if (length > 0x40000000)
    {
        suitediag::ErrFormat(L"SuiteDiag xml: %s is larger than 1 GiB\n", path.GetString());
        return 1;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(length));
    if (!bytes.empty() && file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size())
    {
        suitediag::ErrFormat(L"SuiteDiag xml: %s could not be read whole\n", path.GetString());
        return 1;
    }

    CMarkup xml;
    if (!xml.SetDoc(DecodeText(bytes)))
    {
        const CString reason = xml.GetError();
        suitediag::ErrFormat(L"SuiteDiag xml: %s\n", reason.IsEmpty() ? L"no root element" : reason.GetString());
        return 1;
    }
    suitediag::OutFormat(L"ok %d\n", xml.GetElemCount());
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(xml, L"xml", L"FILE", L"Parses a UTF-8 or UTF-16 XML file; prints ok and its element count", RunXml);
