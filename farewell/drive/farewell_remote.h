// Farewell driven from outside, as the uninstaller's user drives it, for the demonstration's
// driver and the tests: the program started (from a private copy of its folder, for the
// tests), the wizard's windows found, clicks with the mouse that survive a loaded display, and
// the machine's "ProceedUninstall" value read, planted, and saved and put back.
#pragma once

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace farewellremote
{
constexpr int kCancel = IDCANCEL;
constexpr int kNoUninstall = IDOK;
constexpr int kContinue = 1002;
constexpr int kBack = 1003;
constexpr int kGetHelp = 1004;
constexpr int kReason = 1003; // page 1's radio button
constexpr int kPopupClose = 1184;

constexpr wchar_t kProductKey[] = L"Software\\Orvane\\QMN3";
constexpr wchar_t kValueName[] = L"ProceedUninstall";

// The value in one registry view of the machine's product key; nothing when absent.
inline std::optional<DWORD> ReadProceed(REGSAM view = KEY_WOW64_32KEY)
{
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const LONG status = RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return value;
}

// The value as it was before the case (and whether the key existed), put back afterwards.
class SavedProceed
{
public:
    SavedProceed() : m_keyExisted(KeyExists()), m_value(ReadProceed()) {}
    ~SavedProceed()
    {
        if (m_value)
            Plant(*m_value);
        else
            Remove();
        if (!m_keyExisted)
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_32KEY, 0); // only while empty of sub-keys
    }
    SavedProceed(const SavedProceed&) = delete;
    SavedProceed& operator=(const SavedProceed&) = delete;

    static bool Plant(DWORD value)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return false;
        const bool ok = RegSetValueExW(key, kValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                       sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
    static void Remove()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
            return;
        RegDeleteValueW(key, kValueName);
        RegCloseKey(key);
    }

private:
    static bool KeyExists()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    bool m_keyExisted;
    std::optional<DWORD> m_value;
};

// Farewell.exe with the libraries, the renderer and the language file it needs, copied into a
// throwaway folder: the program's folder and working folder are the test's own, so that any
// file it wrote would show.
class FarewellFolder
{
public:
    FarewellFolder()
    {
        for (const wchar_t* file : {L"Farewell.exe", L"framework.dll", L"suitecore.dll", L"qmnhtm.dll", L"QMN.ini",
                                    L"libgcc_s_dw2-1.dll", L"libwinpthread-1.dll"})
            m_ok = CopyFileW((testsupport::BinFolder() + L"\\" + file).c_str(), m_dir.File(file).c_str(), FALSE) &&
                   m_ok;
    }
    bool Ok() const { return m_ok; }
    const std::wstring& Path() const { return m_dir.Path(); }
    std::wstring Program() const { return m_dir.File(L"Farewell.exe"); }
    std::set<std::wstring> Files() const
    {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(m_dir.File(L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.insert(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

private:
    testsupport::TempDir m_dir;
    bool m_ok = true;
};

// Clicks a control with the mouse at its centre (SendInput). The pointer is put there first
// and given time to settle: under load the X server's report of an earlier pointer position
// can arrive late and move the pointer back, and a click sent at once lands where it was.
inline bool ClickWithMouse(HWND control)
{
    RECT rc{};
    if (!GetWindowRect(control, &rc))
        return false;
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    SetCursorPos(x, y);
    testsupport::WaitUntil([] { return false; }, 1000);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(3, inputs, sizeof(INPUT)) == 3;
}

// Clicks until the click has had its effect: a click the loaded display lost is sent again,
// but only while the control still shows and takes clicks, so that a late first click is never
// followed by one that lands on whatever took its place.
template <typename Effect>
bool ClickUntil(HWND control, Effect effect, int tries = 3)
{
    for (int i = 0; i < tries; ++i)
    {
        if (!IsWindowVisible(control) || !IsWindowEnabled(control))
            return effect();
        if (ClickWithMouse(control) && testsupport::WaitUntil(effect, 15000))
            return true;
    }
    return effect();
}

// One run of the wizard, started in a folder; ended (if still running) on destruction.
class FarewellRun
{
public:
    explicit FarewellRun(const FarewellFolder& folder) : FarewellRun(folder.Program(), folder.Path()) {}
    FarewellRun(const std::wstring& program, const std::wstring& workingFolder)
    {
        STARTUPINFOW si{sizeof si};
        std::wstring line = L"\"" + program + L"\"";
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &m_pi))
            return;
        // The wizard is the top-level dialog; its pages are child dialogs, found once it shows.
        if (!testsupport::WaitUntil([&] { return (wizard = TopLevelDialog()) != nullptr; }, 60000))
            return;
        testsupport::WindowQuery pages;
        pages.processId = m_pi.dwProcessId;
        pages.className = L"#32770";
        pages.under = wizard;
        pages.visibleOnly = false;
        testsupport::WaitUntil([&] { return testsupport::FindWindows(pages).size() >= 2; }, 30000);
        for (HWND page : testsupport::FindWindows(pages))
            (GetDlgItem(page, kReason) ? page1 : page3) = page;
    }
    ~FarewellRun()
    {
        if (!m_pi.hProcess)
            return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 0xDEAD);
        WaitForSingleObject(m_pi.hProcess, 10000);
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    FarewellRun(const FarewellRun&) = delete;
    FarewellRun& operator=(const FarewellRun&) = delete;

    bool Ready() const { return wizard && page1 && page3; }
    HWND Button(int id) const { return GetDlgItem(wizard, id); }
    HWND Reason() const { return GetDlgItem(page1, kReason); }
    bool Ended(DWORD timeoutMs = 30000) const
    {
        return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
    // A control's rectangle in its parent's client coordinates.
    static RECT PlaceOf(HWND control)
    {
        RECT rc{};
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    // Page 1's answer chosen, then Continue: the way to page 3.
    bool ToPageThree(bool onScreen = false) const
    {
        HWND next = Button(kContinue);
        auto enabled = [&] { return IsWindowEnabled(next) != FALSE; };
        auto shown = [&] { return IsWindowVisible(page3) != FALSE; };
        if (onScreen)
            return ClickUntil(Reason(), enabled) && ClickUntil(next, shown);
        return testsupport::ClickHeadless(Reason()) && testsupport::WaitUntil(enabled, 20000) &&
               testsupport::ClickHeadless(next) && testsupport::WaitUntil(shown, 20000);
    }

    HWND wizard = nullptr;
    HWND page1 = nullptr;
    HWND page3 = nullptr;

private:
    HWND TopLevelDialog() const
    {
        testsupport::WindowQuery query;
        query.processId = m_pi.dwProcessId;
        for (HWND window : testsupport::FindWindows(query))
            if (testsupport::ClassName(window) == L"#32770" && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
                return window;
        return nullptr;
    }

    PROCESS_INFORMATION m_pi{};
};
} // namespace farewellremote
