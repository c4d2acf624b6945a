// CStdioFileEx: a text file in UTF-16 (with byte-order mark) or in 8-bit text of a chosen code
// page, read and written line by line with the same calls.
#pragma once

#include "suitecore.h"

#include <framework/file.h>

class SUITECORE_API CStdioFileEx : public CStdioFile
{
public:
    // Open flag of this class: write UTF-16 text, with its byte-order mark at the start.
    enum : UINT
    {
        modeWriteUnicode = 0x20000
    };

    CStdioFileEx();
    // Opens or throws CFileException.
    CStdioFileEx(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFileEx() override;

    // A null path throws CInvalidArgException.
    void SetFilePath(LPCWSTR lpszNewName) override;
    // A file opened for text reading is UTF-16 when it starts with the byte-order mark, and is
    // then read as binary; a file opened for writing with modeWriteUnicode is written as binary.
    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    void WriteString(LPCWSTR lpsz) override;
    // One line without its line end; false at the end of the file. An 8-bit line longer than
    // 8191 bytes comes in pieces.
    BOOL ReadString(CString& rString) override;
    using CStdioFile::ReadString;

    bool IsUnicodeText() const { return m_bIsUnicodeText; }
    // The code page of 8-bit text; -1 is the system's ANSI code page.
    int SetCodePage(int nCodePage);
    // Characters in the file: UTF-16 units after the mark, or bytes of 8-bit text.
    ULONGLONG GetCharacterCount();

    static bool FileHasUnicodeMark(LPCWSTR lpszFilePath);
    // The default ANSI code page of the user's locale; 0 on failure.
    static UINT GetLocaleAnsiCodePage();
    // Conversions that clear the target first and return what they wrote without the
    // terminating zero (0 on failure). Characters a code page lacks become "#".
    static int MultiByteToWide(LPCSTR lpszSource, LPWSTR lpszTarget, int nTargetChars, int nCodePage);
    static int WideToMultiByte(LPCWSTR lpszSource, LPSTR lpszTarget, int nTargetBytes, int nCodePage);
    // The bytes, terminating zero included, that WideToMultiByte needs.
    static int GetMultiByteLength(LPCWSTR lpszSource, int nCodePage);

protected:
    // Decides between UTF-16 and 8-bit text, and what the framework's stream is to be told.
    UINT AdjustFlags(LPCWSTR lpszFileName, UINT nOpenFlags);

    bool m_bIsUnicodeText;
    UINT m_nFlags;
    int m_nFileCodePage;
};
