// SuiteDiag feedback: the feedback document exactly as the form builds it, optionally sent
// through the upload library as the form sends it; feedback-encode and feedback-decode: the
// transport payload of a text and back.
#include "command.h"

#include <suitecore/feedback.h>

#include <framework/file.h>

#include <vector>

namespace
{
// A file's bytes as UTF-8 text (a byte-order mark is skipped); false when it cannot be read.
bool ReadUtf8File(const CString& path, CString& text, LPCWSTR command)
{
    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &error))
    {
        wchar_t message[512];
        error.GetErrorMessage(message, 512);
        suitediag::ErrFormat(L"SuiteDiag %s: %s\n", command, message);
        return false;
    }
    const ULONGLONG length = file.GetLength();
    if (length > 0x4000000)
    {
        suitediag::ErrFormat(L"SuiteDiag %s: %s is larger than 64 MiB\n", command, path.GetString());
        return false;
    }
    std::vector<char> bytes(static_cast<size_t>(length));
    if (!bytes.empty() && file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size())
    {
        suitediag::ErrFormat(L"SuiteDiag %s: %s could not be read whole\n", command, path.GetString());
        return false;
    }
    const size_t first = bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF' ? 3 : 0;
    const int count = static_cast<int>(bytes.size() - first);
    text.Empty();
    if (count == 0)
        return true;
    const int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + first, count, nullptr, 0);
    MultiByteToWideChar(CP_UTF8, 0, bytes.data() + first, count, text.GetBufferSetLength(chars), chars);
    text.ReleaseBufferSetLength(chars);
    return true;
}

UINT ParseNumber(const CString& text, LPCWSTR what)
{
    wchar_t* end = nullptr;
    const unsigned long value = wcstoul(text, &end, 10);
    if (text.IsEmpty() || *end != L'\0')
        throw suitediag::UsageError{CString(what) + L" must be a number, not \"" + text + L"\""};
    return static_cast<UINT>(value);
}

int ListTools()
{
    const FeedbackTool* tools = nullptr;
    const int count = GetFeedbackTools(&tools);
    for (int i = 0; i < count; ++i)
        suitediag::OutFormat(L"%u\t%s\n", tools[i].nAppId, tools[i].lpszName);
    return 0;
}

// Encodes the document as the form's worker does and calls the upload library.
int Send(const CString& document)
{
    CString text = document;
    text.Trim();
    CWebServiceHelper helper;
    CString payload;
    if (!helper.EncodeFeedbackPayload(text, payload))
    {
        suitediag::ErrLine(L"SuiteDiag feedback: the document could not be encoded");
        return 1;
    }
    const CString fileName = MakeFeedbackFileName();
    const FeedbackUploadFn upload = LoadFeedbackUploader();
    if (!upload)
    {
        suitediag::ErrLine(kFeedbackLibraryMissingText);
        return 1;
    }
    suitediag::OutFormat(L"file %s\n", fileName.GetString());
    const bool accepted = upload(payload, fileName) != 0;
    suitediag::OutLine(accepted ? L"accepted" : L"refused");
    return accepted ? 0 : 1;
}

int RunFeedback(suitediag::Args& args)
{
    if (args.TakeOption(L"--list-tools"))
    {
        args.ExpectEnd();
        return ListTools();
    }
    CString email, value;
    int type = FEEDBACK_TYPE_NONE;
    std::vector<UINT> tools;
    bool publish = false, send = false;
    while (!args.Empty() && args.Remaining() > 1)
    {
        if (args.TakeOptionValue(L"--email", email))
            continue;
        if (args.TakeOptionValue(L"--type", value))
            type = static_cast<int>(ParseNumber(value, L"--type"));
        else if (args.TakeOptionValue(L"--tool", value))
            tools.push_back(ParseNumber(value, L"--tool"));
        else if (args.TakeOption(L"--publish"))
            publish = true;
        else if (args.TakeOption(L"--send"))
            send = true;
        else
            break;
    }
    const CString content = args.Next(L"CONTENT");
    args.ExpectEnd();

    CString document;
    if (!BuildFeedbackDocumentText(email, type, content, tools.data(), static_cast<int>(tools.size()), publish,
                                   document))
    {
        suitediag::ErrLine(kFeedbackEmptyText);
        return 1;
    }
    suitediag::Out(document);
    return send ? Send(document) : 0;
}

int RunFeedbackEncode(suitediag::Args& args)
{
    const CString path = args.Next(L"FILE");
    args.ExpectEnd();
    CString text;
    if (!ReadUtf8File(path, text, L"feedback-encode"))
        return 1;
    text.Trim();
    CWebServiceHelper helper;
    CString payload;
    if (!helper.EncodeFeedbackPayload(text, payload))
    {
        suitediag::ErrLine(L"SuiteDiag feedback-encode: nothing to encode");
        return 1;
    }
    suitediag::OutLine(payload);
    return 0;
}

int RunFeedbackDecode(suitediag::Args& args)
{
    const CString path = args.Next(L"FILE");
    args.ExpectEnd();
    CString payload;
    if (!ReadUtf8File(path, payload, L"feedback-decode"))
        return 1;
    payload.Trim();
    CWebServiceHelper helper;
    CString text;
    if (!helper.DecodeFeedbackPayload(payload, text))
    {
        suitediag::ErrLine(L"SuiteDiag feedback-decode: not a payload, or its digest does not match");
        return 1;
    }
    suitediag::Out(text);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(feedback, L"feedback",
                  L"[--email TEXT] [--type N] [--tool ID]... [--publish] [--send] CONTENT | --list-tools",
                  L"Prints the feedback document (and sends it through Network.dll)", RunFeedback);
SUITEDIAG_COMMAND(feedback_encode, L"feedback-encode", L"FILE",
                  L"Prints the feedback payload of the UTF-8 text in FILE", RunFeedbackEncode);
SUITEDIAG_COMMAND(feedback_decode, L"feedback-decode", L"FILE",
                  L"Prints the text a feedback payload in FILE carries, after checking its digest", RunFeedbackDecode);
