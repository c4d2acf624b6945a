// COleDateTime: a point in time as an OLE automation date (days since 30 December 1899, the
// time of day as the fraction), with its status.
#pragma once

#include "string.h"

#include <oleauto.h>

#ifdef GetCurrentTime
#undef GetCurrentTime // the SDK's old macro for GetTickCount would rename the member
#endif

class FRAMEWORK_API COleDateTime
{
public:
    enum DateTimeStatus
    {
        error = -1,
        valid = 0,
        invalid = 1,
        null = 2,
    };

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;

    COleDateTime() = default;
    COleDateTime(DATE dtSrc) : m_dt(dtSrc) {} // NOLINT: converts as the automation type does
    COleDateTime(const SYSTEMTIME& systimeSrc);
    COleDateTime(const FILETIME& filetimeSrc); // UTC file time, converted to local time
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    static COleDateTime GetCurrentTime(); // local time

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    operator DATE() const { return m_dt; }
    // Each answers 0 when the date is not valid and sets the status invalid when the parts are.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
    bool GetAsSystemTime(SYSTEMTIME& sysTime) const;

    // The parts; -1 when the date is not valid. GetDayOfWeek: 1 for Sunday to 7 for Saturday.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;
    int GetDayOfYear() const;

    // The date and time as VarBstrFromDate gives them for the locale (by default the user's,
    // with dwFlags such as VAR_DATEVALUEONLY); empty for a null date, "Invalid DateTime" for an
    // invalid one.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;
    // strftime-style format (%Y, %m, %d, %H, %M, %S, %A, %B, %c, %x, %X and the others).
    CString Format(LPCWSTR lpszFormat) const;

    bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }
    bool operator<(const COleDateTime& other) const { return m_dt < other.m_dt; }
    bool operator>(const COleDateTime& other) const { return m_dt > other.m_dt; }
    bool operator<=(const COleDateTime& other) const { return m_dt <= other.m_dt; }
    bool operator>=(const COleDateTime& other) const { return m_dt >= other.m_dt; }
};
