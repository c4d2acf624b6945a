// The language file: user-visible texts read from "QMN.ini" beside the library (section
// "QMN", keys "IDS_..."), every answer cached.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/object.h>
#include <framework/string.h>

class SUITECORE_API CIniReader : public CObject
{
    DECLARE_DYNAMIC(CIniReader)
public:
    explicit CIniReader(LPCWSTR lpszIniPath);
    ~CIniReader() override;

    // Replaces the file; the answers cached so far are kept.
    void SetIniPath(LPCWSTR lpszIniPath);
    const CString& GetIniPath() const { return m_strIniPath; }

    // The text of a key, with a leading double quote dropped, "\n", "\t", "\r" and "\\"
    // turned into their characters, and blanks at its ends trimmed. A cached answer is
    // returned as it was stored, untrimmed. True when the text is not empty.
    BOOL GetKeyValue(LPCWSTR lpszKey, LPCWSTR lpszSection, CString& strValue);

protected:
    CString m_strIniPath;
    CMapStringToString m_mapCache; // "section _ key" to text
};

// A reader on the file, or null when it does not exist. With bInModuleFolder the name is
// looked up beside suitecore.dll, falling back to "qmn.ini" there.
SUITECORE_API CIniReader* OpenIniReader(LPCWSTR lpszFileName, BOOL bInModuleFolder);
// GetKeyValue; an empty text is reported in an error message box. Closing the tool after
// that is the caller's business.
SUITECORE_API CString ReadIniTextOrWarn(CString& strText, LPCWSTR lpszKey, LPCWSTR lpszSection, CIniReader* pReader);
// Deletes a reader; null is accepted.
SUITECORE_API void ReleaseIniReader(CIniReader* pReader);
