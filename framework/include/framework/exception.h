// The framework's exceptions. They are thrown as heap objects (throw new CXxxException) and
// the catcher deletes them with Delete(): catch (CException* e) { ...; e->Delete(); }.
#pragma once

#include "object.h"

class FRAMEWORK_API CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE);
    ~CException() override = default;

    // Deletes a heap exception; a static one (auto-delete off) stays.
    void Delete();

    // Copies the message into the buffer, cut to its size; false when there is no message.
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    // Shows the message in a message box; returns the box's result.
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;

protected:
    // The message for one of a table of cause texts, each with a %s for the file's name.
    static BOOL FormatCauseMessage(const LPCWSTR* causeTexts, int causeCount, int cause, int fallbackCause,
                                   LPCWSTR lpszFileName, LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext);

    BOOL m_bAutoDelete;
};

class FRAMEWORK_API CSimpleException : public CException
{
    DECLARE_DYNAMIC(CSimpleException)
public:
    explicit CSimpleException(BOOL bAutoDelete = TRUE, LPCWSTR lpszMessage = nullptr);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

private:
    LPCWSTR m_lpszMessage;
};

class FRAMEWORK_API CMemoryException : public CSimpleException
{
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL bAutoDelete = TRUE);
};

class FRAMEWORK_API CNotSupportedException : public CSimpleException
{
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL bAutoDelete = TRUE);
};

class FRAMEWORK_API CInvalidArgException : public CSimpleException
{
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    explicit CInvalidArgException(BOOL bAutoDelete = TRUE);
};

// A resource (a window class, a GDI object, a template) could not be obtained.
class FRAMEWORK_API CResourceException : public CSimpleException
{
    DECLARE_DYNAMIC(CResourceException)
public:
    explicit CResourceException(BOOL bAutoDelete = TRUE);
};

// A failure the user was already told about (a dialog's data exchange that refused a value):
// its catcher shows nothing more.
class FRAMEWORK_API CUserException : public CSimpleException
{
    DECLARE_DYNAMIC(CUserException)
public:
    explicit CUserException(BOOL bAutoDelete = TRUE);
};

// Throwers. The memory exception is a static object, so it can be thrown when the heap is
// exhausted; the others are allocated and auto-deleting.
AFX_NORETURN FRAMEWORK_API void AfxThrowMemoryException();
AFX_NORETURN FRAMEWORK_API void AfxThrowNotSupportedException();
AFX_NORETURN FRAMEWORK_API void AfxThrowInvalidArgException();
AFX_NORETURN FRAMEWORK_API void AfxThrowUserException();
AFX_NORETURN FRAMEWORK_API void AfxThrowResourceException();

// Runs fn and swallows every exception, framework or C++: the guard at every Win32 callback
// entry (window and dialog procedures, hooks, thread entries, COM methods, sort callbacks).
template <class Fn, class R>
R AfxCallbackBarrier(Fn&& fn, R resultOnException) noexcept
{
    try
    {
        return fn();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
    return resultOnException;
}

template <class Fn>
void AfxCallbackBarrier(Fn&& fn) noexcept
{
    try
    {
        fn();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
}

// A timer procedure guarded by the barrier, for ::SetTimer:
//   ::SetTimer(hWnd, nID, nElapse, AfxTimerProcBarrier<&MyTimerProc>);
// MyTimerProc may be any function taking (HWND, UINT, UINT_PTR, DWORD).
template <auto Proc>
void CALLBACK AfxTimerProcBarrier(HWND hWnd, UINT message, UINT_PTR nIDEvent, DWORD dwTime) noexcept
{
    AfxCallbackBarrier([&] { Proc(hWnd, message, nIDEvent, dwTime); });
}
