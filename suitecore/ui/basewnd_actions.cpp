// What the help menu starts: the help page, the update check and the demonstration program,
// and the module name they are given.
#include "suitecore/ui/basewnd.h"

#include "basewnd_env.h"

#include "suitecore/paths.h"

#include <framework/exception.h>

#include <shellapi.h>

#include <string>

using namespace suitecore::basewnd;

namespace
{
constexpr DWORD kRepeatGuardMs = 8191;
constexpr UINT kDemoReenableMs = 512;
constexpr UINT_PTR kDemoTimer = 0x5D31;

// A query value with everything but the unreserved characters percent-encoded as UTF-8.
CString QueryValue(const CString& value)
{
    CString out;
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, value, value.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, value, value.GetLength(), utf8.data(), bytes, nullptr, nullptr);
    for (unsigned char c : utf8)
    {
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved)
            out += static_cast<wchar_t>(c);
        else
        {
            WCHAR hex[4];
            wsprintfW(hex, L"%%%02X", c);
            out += hex;
        }
    }
    return out;
}

CString& ModuleName()
{
    static CString s_name;
    return s_name;
}

// Lets a request through unless the previous one that went through came less than 8191 ms
// ago (GetTickCount, so the interval survives the counter's wrap).
class RepeatGuard
{
public:
    bool Allow()
    {
        const DWORD now = ::GetTickCount();
        if (m_bUsed && now - m_dwLast < kRepeatGuardMs)
            return false;
        m_bUsed = true;
        m_dwLast = now;
        return true;
    }

private:
    bool m_bUsed = false;
    DWORD m_dwLast = 0;
};

void RunFromAppFolder(LPCWSTR lpszExe, LPCWSTR lpszParameters)
{
    const CString folder = AppFolder();
    CString path = folder;
    JoinPath(path, lpszExe);
    ::ShellExecuteW(nullptr, L"open", path, lpszParameters, folder, SW_SHOWNORMAL);
}

void CALLBACK ReenableDemoButton(HWND hWnd, UINT, UINT_PTR nIDEvent, DWORD)
{
    AfxCallbackBarrier([&] {
        ::KillTimer(hWnd, nIDEvent);
        ::EnableWindow(hWnd, TRUE);
    });
}
} // namespace

void SetHelpModuleName(LPCWSTR lpszModuleName)
{
    ModuleName() = lpszModuleName ? lpszModuleName : L"";
}

CString GetHelpModuleName()
{
    return ModuleName();
}

void OpenHelpPage()
{
    CString url = HelpPageAddress();
    url += L"?module=";
    url += QueryValue(ModuleName());
    url += L"&utm_source=";
    url += QueryValue(BuildFor());
    url += L"&utm_medium=Product&utm_term=Help&utm_content=";
    url += QueryValue(AppName());
    url += L"&utm_campaign=Default-Product";
    ::ShellExecuteW(::GetDesktopWindow(), L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void StartUpdateCheck()
{
    static RepeatGuard s_guard;
    if (!s_guard.Allow())
        return;
    RunFromAppFolder(L"wardtool.exe", L"checkupdate");
}

void StartDemo(CWnd* pButton)
{
    static RepeatGuard s_guard;
    if (!s_guard.Allow())
        return;
    HWND hButton = pButton ? pButton->m_hWnd : nullptr;
    if (hButton)
        ::EnableWindow(hButton, FALSE);
    // The module name goes unquoted: the demonstration program takes the whole line.
    RunFromAppFolder(L"qmndemo.exe", ModuleName());
    if (hButton && !::SetTimer(hButton, kDemoTimer, kDemoReenableMs, &ReenableDemoButton))
        ::EnableWindow(hButton, TRUE);
}
