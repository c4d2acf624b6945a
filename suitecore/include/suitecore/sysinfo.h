// System information helpers: OS version, WOW64, administrator test, file versions, size and
// date texts, free disk space, processor load, and string-array searching and sorting.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/string.h>

// ---------------------------------------------------------------------------------------------
// Version and platform. Each value is read once per process and kept.

SUITECORE_API DWORD GetOsMajorVersion();
SUITECORE_API DWORD GetOsMinorVersion();
// True for a 32-bit process on 64-bit Windows.
SUITECORE_API BOOL IsWow64();
// The 32-bit system folder of 64-bit Windows (SysWOW64); empty when not under WOW64.
SUITECORE_API CString GetSystemWow64Folder();
// File-system redirection of this thread; false when not under WOW64.
SUITECORE_API BOOL DisableFsRedirection(PVOID* ppOldValue);
SUITECORE_API BOOL RevertFsRedirection(PVOID pOldValue);
// True when the caller's token passes an access check against the Administrators group.
SUITECORE_API BOOL IsUserAdmin();

// "0" when the file does not exist; empty text when it has no version resource or no
// translation table; else the fixed file version as four numbers joined by full stops.
SUITECORE_API CString GetFileVersionString(LPCWSTR lpszPath);

// The Windows version as GetVersionExW reports it when the object is made.
class SUITECORE_API COsVersionInfo : public OSVERSIONINFOW
{
public:
    COsVersionInfo();

    BOOL IsWin32s() const;
    BOOL IsWin95() const;
    BOOL IsWin98() const;
    BOOL IsWinMe() const;
    BOOL IsWin9x() const;
    BOOL IsWin98OrLater() const;
    BOOL IsWinMeOrLater() const;
    BOOL IsNT4() const;
    BOOL IsWin2000() const;
    BOOL IsWinXP() const;
    BOOL IsVista() const;
    BOOL IsWinVista() const; // the same answer as IsVista
    BOOL IsNT4OrLater() const;
    BOOL IsWin2000OrLater() const;
    BOOL IsWinXPOrLater() const;
    BOOL IsVersion(DWORD dwMajor, DWORD dwMinor) const;
    BOOL IsVersionAtLeast(DWORD dwMajor, DWORD dwMinor) const;
};

// ---------------------------------------------------------------------------------------------
// Formatting.

// "1203 Bytes", "1.18 KB", "1.18 MB", "1.00 GB". The steps are 1204 bytes, 1204 KB and
// 1024 MB. With bWholeNumbers, KB and MB are whole numbers; gigabytes always have decimals.
SUITECORE_API void FormatSize(CString& strOut, BOOL bWholeNumbers, ULONGLONG nBytes);
// The count in kilobytes: "0.500 KB" below 1024 bytes, else "2.0 KB". Always true.
SUITECORE_API BOOL FormatSizeKB(ULONGLONG nBytes, LPWSTR lpszBuffer, int nCapacity);
// The local date and time as "Mon. January 05, 2015. 02:30 PM".
SUITECORE_API CString FormatNowLong();
// The share of free space on the system drive, or on every fixed and removable drive:
// stored in dPercent and returned as "12.34%". No qualifying drive gives 0.
SUITECORE_API CString GetFreeSpacePercent(double& dPercent, BOOL bAllDrives);

// ---------------------------------------------------------------------------------------------
// Processor load, averaged over the last five samples. The sampling state is shared by every
// sampler in the process and guarded by one process-wide lock; samples closer together than
// 200 ms return the last average.

class SUITECORE_API CProcessorLoad
{
public:
    CProcessorLoad();
    ~CProcessorLoad();
    CProcessorLoad(const CProcessorLoad&) = delete;
    CProcessorLoad& operator=(const CProcessorLoad&) = delete;

    // System idle, kernel and user times, each the average over the processors when they
    // come from the per-processor records. False when no source answers.
    BOOL GetSystemTimesCompat(FILETIME* pIdle, FILETIME* pKernel, FILETIME* pUser);
    // The averaged load in percent.
    WORD GetLoadPercent();

protected:
    typedef BOOL(WINAPI* PFN_GETSYSTEMTIMES)(LPFILETIME, LPFILETIME, LPFILETIME);
    typedef LONG(WINAPI* PFN_NTQUERYSYSTEMINFORMATION)(ULONG, PVOID, ULONG, PULONG);

    // Looks up NtQuerySystemInformation and sizes the per-processor buffer; used when
    // GetSystemTimes is missing.
    void InitPerProcessorSource();

    CRITICAL_SECTION m_csBuffer; // guards this sampler's record buffer
    PFN_GETSYSTEMTIMES m_pfnGetSystemTimes;
    PFN_NTQUERYSYSTEMINFORMATION m_pfnNtQuerySystemInformation;
    BYTE* m_pPerProcessorBuffer;
    ULONG m_nPerProcessorBufferBytes;
};

// ---------------------------------------------------------------------------------------------
// String arrays.

// Case-insensitive search, from the front or from the end; true when found.
SUITECORE_API BOOL FindInStringArray(const CStringArray& array, LPCWSTR lpszText, BOOL bFromEnd);
SUITECORE_API void SortStringArray(CStringArray& array, BOOL bDescending, BOOL bCaseSensitive);
