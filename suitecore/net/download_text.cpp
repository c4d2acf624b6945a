// The texts the download worker shows: locale numbers, amounts, clocks and file names.
#include "download_text.h"

#include "suitecore/download.h"

namespace suitecore::net
{
namespace
{
CString LocaleInfo(LCTYPE type)
{
    WCHAR szValue[16] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, szValue, 16))
        return CString();
    return szValue;
}

UINT LocaleNumber(LCTYPE type)
{
    return static_cast<UINT>(_wtoi(LocaleInfo(type)));
}

// The NUMBERFMT grouping for a locale grouping text: "3;0" gives 3, "3;2;0" gives 32.
UINT Grouping(const CString& strGrouping)
{
    UINT nGrouping = 0;
    for (int i = 0; i < strGrouping.GetLength(); ++i)
    {
        const wchar_t ch = strGrouping[i];
        if (ch >= L'1' && ch <= L'9')
            nGrouping = nGrouping * 10 + (ch - L'0');
    }
    return nGrouping;
}

CString Kilobytes(ULONGLONG nBytes)
{
    return FormatLocaleNumber(static_cast<int>(nBytes >> 10));
}
} // namespace

CString SubstituteArgs(LPCWSTR lpszPattern, std::initializer_list<CString> args)
{
    CString strResult;
    for (LPCWSTR p = lpszPattern; *p; ++p)
    {
        if (p[0] == L'%' && p[1] >= L'1' && p[1] <= L'9' && static_cast<size_t>(p[1] - L'1') < args.size())
        {
            strResult += args.begin()[p[1] - L'1'];
            ++p;
        }
        else
        {
            strResult.AppendChar(*p);
        }
    }
    return strResult;
}

CString FormatAmount(ULONGLONG nBytes, LONGLONG nLength)
{
    if (nLength <= 0)
        return SubstituteArgs(L"%1 KB", {Kilobytes(nBytes)});
    // 64-bit arithmetic: bytes * 100 passes 32 bits after about 42 MB.
    const ULONGLONG nPercent = nBytes * 100 / static_cast<ULONGLONG>(nLength);
    return SubstituteArgs(L"%1 KB of %2 KB (%3%)", {Kilobytes(nBytes), Kilobytes(static_cast<ULONGLONG>(nLength)),
                                                    FormatLocaleNumber(static_cast<int>(nPercent))});
}

CString FormatClock(ULONGLONG nSeconds)
{
    CString strClock;
    strClock.Format(L"%d:%02d:%02d", static_cast<int>(nSeconds / 3600), static_cast<int>(nSeconds / 60 % 60),
                    static_cast<int>(nSeconds % 60));
    return strClock;
}

CString ShownFileName(LPCWSTR lpszAddress)
{
    // The query goes first, so that a '/' inside it cannot pass for the file name's start.
    CString strName = lpszAddress;
    const int nQuery = strName.Find(L'?');
    if (nQuery >= 0)
        strName.Truncate(nQuery);
    return strName.Mid(strName.ReverseFind(L'/') + 1);
}
} // namespace suitecore::net

CString FormatLocaleNumber(int nValue)
{
    using namespace suitecore::net;
    CString strPlain;
    strPlain.Format(L"%d", nValue);

    const CString strDecimal = LocaleInfo(LOCALE_SDECIMAL);
    const CString strThousand = LocaleInfo(LOCALE_STHOUSAND);
    NUMBERFMTW format = {};
    format.NumDigits = 0;
    format.LeadingZero = LocaleNumber(LOCALE_ILZERO);
    format.Grouping = Grouping(LocaleInfo(LOCALE_SGROUPING));
    format.lpDecimalSep = const_cast<LPWSTR>(strDecimal.GetString());
    format.lpThousandSep = const_cast<LPWSTR>(strThousand.GetString());
    format.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER);

    WCHAR szFormatted[64];
    if (!GetNumberFormatW(LOCALE_USER_DEFAULT, 0, strPlain, &format, szFormatted, 64))
        return strPlain;
    return szFormatted;
}
