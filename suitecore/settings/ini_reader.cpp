// CIniReader: cached texts of the language file.
#include "suitecore/inifile.h"
#include "suitecore/paths.h"

#include "critical_section.h"
#include "this_module.h"

#include <framework/msgbox.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CIniReader, CObject)

namespace
{
constexpr DWORD kValueChars = 2048;

// One lock for every reader's cache and file reads, there from library load on.
suitecore::CriticalSection g_readerLock;

// Tries once without waiting; a busy lock is waited for after a 1 ms pause, which lets the
// thread that holds it finish a file read first.
class ReaderLock
{
public:
    ReaderLock()
    {
        if (!g_readerLock.TryEnter())
        {
            Sleep(1);
            g_readerLock.Enter();
        }
    }
    ~ReaderLock() { g_readerLock.Leave(); }
    ReaderLock(const ReaderLock&) = delete;
    ReaderLock& operator=(const ReaderLock&) = delete;
};

void Unescape(CString& text)
{
    text.Replace(L"\\n", L"\n");
    text.Replace(L"\\t", L"\t");
    text.Replace(L"\\r", L"\r");
    text.Replace(L"\\\\", L"\\");
}
} // namespace

CIniReader::CIniReader(LPCWSTR lpszIniPath) : m_strIniPath(lpszIniPath), m_mapCache(10) {}

CIniReader::~CIniReader()
{
    m_mapCache.RemoveAll();
}

void CIniReader::SetIniPath(LPCWSTR lpszIniPath)
{
    m_strIniPath = lpszIniPath;
}

BOOL CIniReader::GetKeyValue(LPCWSTR lpszKey, LPCWSTR lpszSection, CString& strValue)
{
    ReaderLock hold;
    strValue.Empty();
    // Null names would make the profile function list the file's keys or sections.
    if (!lpszKey || !lpszSection)
        return FALSE;
    const CString cacheKey = CString(lpszSection) + L" _ " + lpszKey;
    CString cached;
    if (m_mapCache.Lookup(cacheKey, cached) && !cached.IsEmpty())
    {
        strValue = cached;
        return TRUE;
    }

    WCHAR buffer[kValueChars];
    GetPrivateProfileStringW(lpszSection, lpszKey, L"", buffer, kValueChars, m_strIniPath);
    CString text(buffer);
    // The profile function strips a pair of quotes; a lone opening quote is blanked out.
    if (!text.IsEmpty() && text[0] == L'"')
        text.SetAt(0, L' ');
    if (!text.IsEmpty())
        Unescape(text);
    m_mapCache.SetAt(cacheKey, text);

    text.Trim();
    if (text.IsEmpty())
        return FALSE;
    strValue = text;
    return TRUE;
}

CIniReader* OpenIniReader(LPCWSTR lpszFileName, BOOL bInModuleFolder)
{
    if (!lpszFileName)
        return nullptr;
    CString path(lpszFileName);
    if (bInModuleFolder)
    {
        CString folder;
        GetModuleFolder(suitecore::ThisModule(), folder);
        path = folder;
        JoinPath(path, lpszFileName);
        if (PathExists(path) != 1)
        {
            path = folder;
            JoinPath(path, L"qmn.ini");
        }
    }
    if (PathExists(path) != 1)
        return nullptr;
    CIniReader* reader = new CIniReader(path);
    if (strcmp(reader->GetRuntimeClass()->m_lpszClassName, "CIniReader") != 0)
    {
        delete reader;
        return nullptr;
    }
    return reader;
}

CString ReadIniTextOrWarn(CString& strText, LPCWSTR lpszKey, LPCWSTR lpszSection, CIniReader* pReader)
{
    strText.Empty();
    if (pReader)
        pReader->GetKeyValue(lpszKey, lpszSection, strText);
    if (strText.IsEmpty())
        AfxMessageBox(L"Fail to Read from dependent file. This application will close now! ", MB_ICONERROR);
    return strText;
}

void ReleaseIniReader(CIniReader* pReader)
{
    delete pReader;
}
