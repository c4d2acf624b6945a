#include "framework/datetime.h"

#include "framework/handles.h"

#include <ctime>
#include <cwchar>

COleDateTime::COleDateTime(const SYSTEMTIME& systimeSrc)
{
    if (!::SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&systimeSrc), &m_dt))
    {
        m_dt = 0;
        m_status = invalid;
    }
}

COleDateTime::COleDateTime(const FILETIME& filetimeSrc)
{
    FILETIME local;
    SYSTEMTIME st;
    if (::FileTimeToLocalFileTime(&filetimeSrc, &local) && ::FileTimeToSystemTime(&local, &st))
        *this = COleDateTime(st);
    else
        m_status = invalid;
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    st.wMilliseconds = 0;
    return COleDateTime(st);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    // SystemTimeToVariantTime accepts some out-of-range parts (it carries them over); a date
    // that does not exist is refused here instead.
    const bool partsValid = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 && nDay <= 31 &&
                            nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 && nSec >= 0 && nSec <= 59;
    SYSTEMTIME st{static_cast<WORD>(nYear), static_cast<WORD>(nMonth), 0, static_cast<WORD>(nDay),
                  static_cast<WORD>(nHour), static_cast<WORD>(nMin), static_cast<WORD>(nSec), 0};
    SYSTEMTIME back{};
    if (partsValid && ::SystemTimeToVariantTime(&st, &m_dt) && ::VariantTimeToSystemTime(m_dt, &back) &&
        back.wDay == st.wDay && back.wMonth == st.wMonth)
    {
        m_status = valid;
        return 1;
    }
    m_dt = 0;
    m_status = invalid;
    return 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& sysTime) const
{
    return m_status == valid && ::VariantTimeToSystemTime(m_dt, &sysTime);
}

namespace
{
int Part(const COleDateTime& dt, WORD SYSTEMTIME::*part)
{
    SYSTEMTIME st;
    return dt.GetAsSystemTime(st) ? st.*part : -1;
}
} // namespace

int COleDateTime::GetYear() const
{
    return Part(*this, &SYSTEMTIME::wYear);
}

int COleDateTime::GetMonth() const
{
    return Part(*this, &SYSTEMTIME::wMonth);
}

int COleDateTime::GetDay() const
{
    return Part(*this, &SYSTEMTIME::wDay);
}

int COleDateTime::GetHour() const
{
    return Part(*this, &SYSTEMTIME::wHour);
}

int COleDateTime::GetMinute() const
{
    return Part(*this, &SYSTEMTIME::wMinute);
}

int COleDateTime::GetSecond() const
{
    return Part(*this, &SYSTEMTIME::wSecond);
}

int COleDateTime::GetDayOfWeek() const
{
    const int day = Part(*this, &SYSTEMTIME::wDayOfWeek);
    return day < 0 ? -1 : day + 1;
}

int COleDateTime::GetDayOfYear() const
{
    SYSTEMTIME st;
    if (!GetAsSystemTime(st))
        return -1;
    const COleDateTime first(st.wYear, 1, 1, 0, 0, 0);
    return static_cast<int>(static_cast<long long>(m_dt) - static_cast<long long>(first.m_dt)) + 1;
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const
{
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString(L"Invalid DateTime");
    CUniqueBstr text;
    if (FAILED(::VarBstrFromDate(m_dt, lcid, dwFlags, text.put())))
        return CString();
    return CString(text.get());
}

CString COleDateTime::Format(LPCWSTR lpszFormat) const
{
    if (m_status == null)
        return CString();
    SYSTEMTIME st;
    if (!lpszFormat || !GetAsSystemTime(st))
        return m_status == valid ? CString() : CString(L"Invalid DateTime");
    std::tm tmDate{};
    tmDate.tm_year = st.wYear - 1900;
    tmDate.tm_mon = st.wMonth - 1;
    tmDate.tm_mday = st.wDay;
    tmDate.tm_hour = st.wHour;
    tmDate.tm_min = st.wMinute;
    tmDate.tm_sec = st.wSecond;
    tmDate.tm_wday = st.wDayOfWeek;
    tmDate.tm_yday = GetDayOfYear() - 1;
    tmDate.tm_isdst = -1;
    wchar_t buffer[256];
    const size_t n = std::wcsftime(buffer, sizeof(buffer) / sizeof(buffer[0]), lpszFormat, &tmDate);
    return CString(buffer, static_cast<int>(n));
}
