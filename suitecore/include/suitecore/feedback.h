// Feedback: the request document, its transport encoding, the upload file name, the table of
// favourite tools and the outside upload library. These pieces need no window; the feedback
// form (feedback_dialog.h) is built on them, and scripts reach them through SuiteDiag.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

// The upload call of "Network.dll" (its export number 14): the payload and the file name;
// non-zero when the feedback was accepted.
typedef int(WINAPI* FeedbackUploadFn)(LPCWSTR lpszPayload, LPCWSTR lpszFileName);

// Feedback types, by the number the form's combo box selects.
enum : int
{
    FEEDBACK_TYPE_NONE = 0, // "Select Feedback Type"
    FEEDBACK_TYPE_COUNT = 5,
};

// The texts the form shows (and SuiteDiag prints), as the service's users know them.
inline constexpr wchar_t kFeedbackEmptyText[] = L"Feedback cannot be empty:";
inline constexpr wchar_t kFeedbackThanksText[] = L"Thank you for providing us the feedback";
inline constexpr wchar_t kFeedbackFailedText[] =
    L"Feedback upload failed. Please check your Internet connection and try again later.";
inline constexpr wchar_t kFeedbackLibraryMissingText[] =
    L"Network.dll not found. You will not be able to upload the feedback. Please reinstall to fix the issue.";

// One row of the form's favourite-tools list: the tool's application id and display name.
struct FeedbackTool
{
    UINT nAppId;
    LPCWSTR lpszName;
};

// Encodes the feedback document for transport: the MD5 digest of the text followed by the text
// enciphered with RC4, both in upper-case hexadecimal.
class SUITECORE_API CWebServiceHelper
{
public:
    CWebServiceHelper();
    virtual ~CWebServiceHelper();

    // The payload of strText: 32 digits of the MD5 of the first n bytes of its ANSI form (n
    // being its length in characters; a shorter ANSI form is padded with zero bytes), then two
    // digits per byte of RC4 over its UTF-16LE bytes. False, with the payload empty, for an
    // empty text or a text that does not convert.
    BOOL EncodeFeedbackPayload(const CString& strText, CString& strPayload);
    // The reverse, for support staff and tests: false when the payload is malformed or its
    // digest does not match the deciphered text.
    BOOL DecodeFeedbackPayload(LPCWSTR lpszPayload, CString& strText);
};

// The type text the document carries for a type number; empty for a number outside the table.
SUITECORE_API CString GetFeedbackTypeText(int nType);

// The document the form sends. Content made only of blanks gives false and an empty document.
// pAppIds holds the application ids of the checked tools in row order.
SUITECORE_API BOOL BuildFeedbackDocumentText(LPCWSTR lpszEmail, int nType, LPCWSTR lpszContent, const UINT* pAppIds,
                                             int nAppIds, BOOL bPublish, CString& strDocument);

// "QMNv3-Feedback YYYYMMDDThh_mmssAM 12345.xml": the local time on a 12-hour clock and a
// pseudo-random number.
SUITECORE_API CString MakeFeedbackFileName();

// The favourite tools in list order; returns the count and points *ppTools at the table.
SUITECORE_API int GetFeedbackTools(const FeedbackTool** ppTools);

// Loads "Network.dll" from the folder of the running program (never through the search path)
// and answers its export number 14, or null when either is missing. The library stays loaded.
SUITECORE_API FeedbackUploadFn LoadFeedbackUploader();
