// The menus' look: the Windows class, the classic theme, and colour shading.
#include <suitecore/ui/menu.h>

#include <framework/handles.h>

#include <mutex>

namespace
{
int ComputeWindowsClass()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info))
        return 1;
#pragma GCC diagnostic pop
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

// Taken when SuiteCore loads.
const int g_nWindowsClass = ComputeWindowsClass();

BYTE Shade(double channel)
{
    return static_cast<BYTE>(channel);
}

bool FactorApplies(double dFactor)
{
    return dFactor > 0.0 && dFactor <= 1.0;
}
} // namespace

int ClassifyWindowsVersion(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor)
{
    if (dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
    {
        if (dwMajor < 4)
            return 0;
        if (dwMajor == 4 && dwMinor == 10)
            return 3;
        if (dwMajor == 4 && dwMinor == 90)
            return 4;
        return 2;
    }
    if (dwMajor == 4)
        return 5;
    if (dwMajor == 5 && dwMinor == 0)
        return 6;
    if (dwMajor == 5 && dwMinor == 1)
        return 7;
    return 1;
}

int GetWindowsClass()
{
    return g_nWindowsClass;
}

BOOL ReadClassicTheme(HKEY hRoot, LPCWSTR lpszSubKey)
{
    CUniqueRegKey key;
    if (::RegOpenKeyExW(hRoot, lpszSubKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return FALSE;
    DWORD type = 0;
    DWORD cb = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    CString value;
    LPWSTR buffer = value.GetBuffer(static_cast<int>(cb / sizeof(WCHAR)) + 1);
    const LONG rc = ::RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &cb);
    buffer[cb / sizeof(WCHAR)] = L'\0';
    value.ReleaseBuffer();
    if (rc != ERROR_SUCCESS)
        return FALSE;
    static const WCHAR kClassic[] = L"Windows Classic.theme";
    const int suffix = static_cast<int>(wcslen(kClassic));
    return value.GetLength() >= suffix && _wcsicmp(static_cast<LPCWSTR>(value) + value.GetLength() - suffix, kClassic) == 0;
}

BOOL IsClassicTheme()
{
    static std::once_flag once;
    static BOOL bClassic = FALSE;
    std::call_once(once, [] { bClassic = ReadClassicTheme(HKEY_CURRENT_USER, L"Software\\Microsoft\\Plus!\\Themes\\Current"); });
    return bClassic;
}

BOOL UseXPMenuLook()
{
    return GetWindowsClass() == 7 && !IsClassicTheme();
}

COLORREF LightenColor(double dFactor, COLORREF crColor)
{
    if (!FactorApplies(dFactor))
        return crColor;
    const BYTE r = GetRValue(crColor), g = GetGValue(crColor), b = GetBValue(crColor);
    return RGB(Shade(r + dFactor * (255 - r)), Shade(g + dFactor * (255 - g)), Shade(b + dFactor * (255 - b)));
}

COLORREF DarkenColor(double dFactor, COLORREF crColor)
{
    if (!FactorApplies(dFactor))
        return crColor;
    const BYTE r = GetRValue(crColor), g = GetGValue(crColor), b = GetBValue(crColor);
    return RGB(Shade(r - dFactor * r), Shade(g - dFactor * g), Shade(b - dFactor * b));
}
