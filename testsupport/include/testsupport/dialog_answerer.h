// Answers the dialogs that this process shows while the object lives: every top-level
// dialog window (class "#32770") of the process gets the given command, as if a button had
// been clicked. Records each dialog's title and its static texts, so a test can check what
// was asked. Header-only; for code under test that shows a message box or a confirmation.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport
{
class DialogAnswerer
{
public:
    struct Seen
    {
        std::wstring title;
        std::wstring text; // the static controls' texts, joined by line feeds
        HICON icon = nullptr; // the icon its icon static shows (a message box's), if any
    };

    explicit DialogAnswerer(WORD command) : m_command(command), m_thread([this] { Run(); }) {}
    ~DialogAnswerer()
    {
        m_stop = true;
        m_thread.join();
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<Seen> Dialogs()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_seen;
    }

private:
    // Reads the text without sending WM_GETTEXT: the dialog's thread may already have stopped
    // pumping messages (the test's main thread, waiting for this watcher to end).
    static std::wstring TextOf(HWND window)
    {
        wchar_t text[1024] = {};
        InternalGetWindowText(window, text, 1024);
        return text;
    }

    // Window-enumeration callbacks: nothing may leave them.
    static BOOL CALLBACK CollectStatic(HWND child, LPARAM param) noexcept
    try
    {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0)
        {
            const std::wstring text = TextOf(child);
            if (!text.empty())
            {
                auto* all = reinterpret_cast<std::wstring*>(param);
                if (!all->empty())
                    *all += L"\n";
                *all += text;
            }
        }
        return TRUE;
    }
    catch (...)
    {
        return TRUE;
    }

    static BOOL CALLBACK FindIcon(HWND child, LPARAM param) noexcept
    try
    {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") != 0 || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            return TRUE;
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_BLOCK, 1000, &icon);
        *reinterpret_cast<HICON*>(param) = reinterpret_cast<HICON>(icon);
        return FALSE;
    }
    catch (...)
    {
        return TRUE;
    }

    static BOOL CALLBACK Visit(HWND window, LPARAM param) noexcept
    try
    {
        auto* self = reinterpret_cast<DialogAnswerer*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        if (pid != GetCurrentProcessId() || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
            return TRUE;
        bool recorded = false;
        for (HWND answered : self->m_answered)
            recorded = recorded || answered == window;
        if (!recorded)
        {
            Seen seen{TextOf(window), std::wstring()};
            EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&seen.text));
            EnumChildWindows(window, FindIcon, reinterpret_cast<LPARAM>(&seen.icon));
            std::lock_guard<std::mutex> hold(self->m_lock);
            self->m_seen.push_back(seen);
            self->m_answered.push_back(window);
        }
        // Again on every round until the dialog is gone, in case it was not yet listening.
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(self->m_command, BN_CLICKED), 0);
        return TRUE;
    }
    catch (...)
    {
        return TRUE;
    }

    void Run()
    {
        while (!m_stop)
        {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    WORD m_command;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<Seen> m_seen;
    std::vector<HWND> m_answered; // the watcher thread's own list
    std::thread m_thread;
};
} // namespace testsupport
