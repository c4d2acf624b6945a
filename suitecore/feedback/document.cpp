// The feedback document: the user's answers, the checked tools and the system's version, built
// with CMarkup (one element a line, CR LF line ends, values escaped once).
#include "suitecore/feedback.h"

#include "suitecore/markup.h"

#include <framework/exception.h>

namespace
{
const LPCWSTR kTypeTexts[FEEDBACK_TYPE_COUNT] = {
    L"Select Feedback Type",
    L"It successfully optimized the system",
    L"It does not optimized the system",
    L"Unable to understand the problem",
    L"General Feedback",
};

struct SystemInfo
{
    DWORD values[6];
};

// The version and the native processor architecture, the latter looked up in kernel32 since
// older systems lack it. False when either cannot be read.
bool ReadSystemInfo(SystemInfo& info)
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return false;
#pragma GCC diagnostic pop
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto getNative =
        kernel ? reinterpret_cast<GetNativeSystemInfoFn>(GetProcAddress(kernel, "GetNativeSystemInfo")) : nullptr;
    if (!getNative)
        return false;
    SYSTEM_INFO system{};
    getNative(&system);
    info = {{version.dwMajorVersion, version.dwMinorVersion, version.wProductType, system.wProcessorArchitecture,
             version.wServicePackMajor, version.wServicePackMinor}};
    return true;
}

CString Decimal(DWORD value)
{
    CString text;
    text.Format(L"%lu", value);
    return text;
}

// Adds an element and steps into it, so that the next elements become its children.
void AddParent(CMarkup& xml, LPCWSTR name)
{
    xml.AddElem(name);
    xml.IntoElem();
}

// The document's text; false for blank content.
BOOL BuildDocument(LPCWSTR lpszEmail, int nType, LPCWSTR lpszContent, const UINT* pAppIds, int nAppIds,
                   BOOL bPublish, CString& strDocument)
{
    CString content = lpszContent ? lpszContent : L"";
    content.Trim();
    if (content.IsEmpty())
        return FALSE;

    CMarkup xml;
    AddParent(xml, L"sf_feedback");
    AddParent(xml, L"feedback");
    xml.AddElem(L"email", lpszEmail);
    xml.AddElem(L"feedback_type", GetFeedbackTypeText(nType));
    xml.AddElem(L"content", content);
    xml.OutOfElem();
    AddParent(xml, L"SetPublishState");
    xml.AddElem(L"allowed", bPublish ? L"1" : L"0");
    xml.OutOfElem();
    AddParent(xml, L"favorite_tools");
    for (int i = 0; pAppIds && i < nAppIds; ++i)
        xml.AddElem(L"appid", Decimal(pAppIds[i]));
    xml.OutOfElem();
    SystemInfo info;
    if (ReadSystemInfo(info))
    {
        static const LPCWSTR kNames[] = {L"os_major_version",     L"os_minor_version",
                                         L"os_product_type",      L"os_architecture_type",
                                         L"service_pack_major_version", L"service_pack_minor_version"};
        AddParent(xml, L"sys_info");
        for (int i = 0; i < 6; ++i)
            xml.AddElem(kNames[i], Decimal(info.values[i]));
        xml.OutOfElem();
    }
    strDocument = xml.GetDoc();
    return TRUE;
}
} // namespace

CString GetFeedbackTypeText(int nType)
{
    return nType >= 0 && nType < FEEDBACK_TYPE_COUNT ? CString(kTypeTexts[nType]) : CString();
}

BOOL BuildFeedbackDocumentText(LPCWSTR lpszEmail, int nType, LPCWSTR lpszContent, const UINT* pAppIds, int nAppIds,
                               BOOL bPublish, CString& strDocument)
{
    strDocument.Empty();
    // A failure while building (memory) gives false, as blank content does.
    return AfxCallbackBarrier(
        [&] { return BuildDocument(lpszEmail, nType, lpszContent, pAppIds, nAppIds, bPublish, strDocument); },
        BOOL(FALSE));
}
