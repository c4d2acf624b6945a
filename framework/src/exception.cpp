#include "framework/exception.h"

#include "framework/msgbox.h"
#include "framework/string.h"

#include <cwchar>
#include <iterator>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)

CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (lpszError && nMaxError)
        *lpszError = L'\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) const
{
    wchar_t text[512];
    if (GetErrorMessage(text, static_cast<UINT>(std::size(text))))
        return AfxMessageBox(text, nType);
    if (nMessageID)
        return AfxMessageBox(nMessageID, nType);
    return AfxMessageBox(L"An unknown error has occurred.", nType);
}

BOOL CException::FormatCauseMessage(const LPCWSTR* causeTexts, int causeCount, int cause, int fallbackCause,
                                    LPCWSTR lpszFileName, LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || !nMaxError)
        return FALSE;
    if (cause < 0 || cause >= causeCount)
        cause = fallbackCause;
    CString text;
    text.Format(causeTexts[cause], lpszFileName && *lpszFileName ? lpszFileName : L"an unnamed file");
    lstrcpynW(lpszError, text, static_cast<int>(nMaxError));
    return TRUE;
}

CSimpleException::CSimpleException(BOOL bAutoDelete, LPCWSTR lpszMessage)
    : CException(bAutoDelete), m_lpszMessage(lpszMessage)
{
}

BOOL CSimpleException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || !nMaxError)
        return FALSE;
    if (!m_lpszMessage)
    {
        *lpszError = L'\0';
        return FALSE;
    }
    lstrcpynW(lpszError, m_lpszMessage, static_cast<int>(nMaxError));
    return TRUE;
}

CMemoryException::CMemoryException(BOOL bAutoDelete) : CSimpleException(bAutoDelete, L"Out of memory.") {}

CNotSupportedException::CNotSupportedException(BOOL bAutoDelete)
    : CSimpleException(bAutoDelete, L"An unsupported operation was attempted.")
{
}

CUserException::CUserException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}

CResourceException::CResourceException(BOOL bAutoDelete)
    : CSimpleException(bAutoDelete, L"A required resource was unavailable.")
{
}

CInvalidArgException::CInvalidArgException(BOOL bAutoDelete)
    : CSimpleException(bAutoDelete, L"Encountered an improper argument.")
{
}

void AfxThrowMemoryException()
{
    // Static: throwing must not need the heap that just ran out.
    static CMemoryException s_memoryException(FALSE);
    throw &s_memoryException;
}

void AfxThrowNotSupportedException() { throw new CNotSupportedException; }

void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowUserException() { throw new CUserException; }
void AfxThrowResourceException() { throw new CResourceException; }
