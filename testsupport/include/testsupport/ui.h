// Helpers for tests that drive real windows: finding them with a bounded wait, clicking and
// typing, answering dialogs by script, reading pixels and comparing them with resource
// pictures, and a stand-in program that records how it was started.
#pragma once

#include "testsupport.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace testsupport
{
// ---- Waiting and finding ------------------------------------------------------------------

// Calls condition every few milliseconds, dispatching the calling thread's messages between
// calls, until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// Which windows to look for; empty fields match anything.
struct WindowQuery
{
    DWORD processId = GetCurrentProcessId();
    std::wstring className;  // exact, without case
    std::wstring title;      // exact
    int controlId = -1;      // a child's identifier (GetDlgCtrlID); -1 matches any
    HWND under = nullptr;    // search this window's descendants instead of the top-level windows
    bool visibleOnly = true;
};

// The matching top-level windows (or descendants of query.under) of the process, in Z order;
// top-level windows are searched with their descendants when className, title or controlId
// names a child.
std::vector<HWND> FindWindows(const WindowQuery& query);
// The first matching window once one exists; null when none appeared within the time.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs = 30000);
// A control of a dialog by its identifier, once it exists.
HWND WaitForControl(HWND parent, int controlId, DWORD timeoutMs = 30000);

// A window's own text, read without sending a message to its thread (captions and statics;
// an edit control keeps its text elsewhere).
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// ---- Input --------------------------------------------------------------------------------

// Clicks a button without a screen: BM_CLICK, posted so that a modal loop it opens does not
// block the caller.
bool ClickHeadless(HWND button);
// Clicks with the mouse at the control's centre on the screen (SendInput): the window must be
// visible and on top. True when every input event was taken.
bool ClickOnScreen(HWND control);
// Presses a key and lets it go (SendInput).
bool PressKey(WORD virtualKey);

// Holds a key down (SendInput) while the object lives, so that GetAsyncKeyState reports it
// down while the code under test runs; lets it go on destruction.
class HeldKey
{
public:
    explicit HeldKey(WORD virtualKey);
    ~HeldKey();
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;
    bool Pressed() const { return m_pressed; }

private:
    WORD m_key;
    bool m_pressed;
};

// ---- Scripted answers ---------------------------------------------------------------------

// A watcher thread that looks at the process's windows, top-level ones and their descendants,
// and runs an action once for every window that a rule matches (the first matching rule
// wins). Unlike DialogAnswerer it can act on any window class, on a pop-up that is the child
// of another window, and read a dialog's texts before it acts.
class ScriptedAnswers
{
public:
    struct Control
    {
        int id = 0;
        std::wstring className;
        std::wstring text;
    };
    struct Answered
    {
        HWND window = nullptr;
        std::wstring className;
        std::wstring title;
        std::vector<Control> controls;  // the visible children, in Z order, as first seen
    };
    using Action = std::function<void(HWND window)>;

    ScriptedAnswers();
    ~ScriptedAnswers();
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

    // Adds a rule: windows matching class and title (empty matches any) get the action.
    void On(const std::wstring& className, const std::wstring& title, Action action);
    // Actions: click the child with this identifier (BM_CLICK, posted); send WM_COMMAND with
    // this identifier; do nothing (only record).
    static Action Click(int controlId);
    static Action Command(int commandId);
    static Action Record();

    std::vector<Answered> Seen();
    // Waits until `count` windows have been answered.
    bool WaitForAnswers(size_t count, DWORD timeoutMs = 30000);
    // Waits until `count` actions have returned. A window is recorded before its action runs,
    // so a test that reads what an action found must wait for this first: an action that
    // ends the dialog is often still running when the dialog's caller returns.
    bool WaitForFinishedActions(size_t count, DWORD timeoutMs = 30000);

private:
    struct Rule
    {
        std::wstring className;
        std::wstring title;
        Action action;
    };
    void Run();
    void Visit(HWND window);

    std::mutex m_lock;
    std::vector<Rule> m_rules;
    std::vector<Answered> m_seen;
    size_t m_finished = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// ---- Pixels -------------------------------------------------------------------------------

// A 32-bit top-down DIB section selected into a memory DC, for painting code whose pixels a
// test reads without a screen.
class PaintSurface
{
public:
    PaintSurface(int width, int height, unsigned fill = 0xFFFFFF);
    ~PaintSurface();
    PaintSurface(const PaintSurface&) = delete;
    PaintSurface& operator=(const PaintSurface&) = delete;
    HDC Dc() const { return m_dc; }
    Capture Pixels() const;  // 0x00RRGGBB, after GdiFlush

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

// A bitmap resource's pixels; empty when the module lacks it.
Capture LoadBitmapPixels(HMODULE module, UINT id);
// A "PNG" resource's pixels composed over a background colour, as drawn on that background;
// empty when the module lacks it or it does not decode.
Capture LoadPngPixels(HMODULE module, UINT id, unsigned background);

// Compares the part of `screen` at (x, y) with the picture's rectangle `part` (the whole
// picture when empty), channel by channel within the tolerance. Empty when they match, else
// a description of the first difference and the count of differing pixels.
std::string CompareRegion(const Capture& screen, int x, int y, const Capture& picture, RECT part = {},
                          int tolerance = 0);
// How many pixels inside the rectangle lie within the tolerance of the colour (each channel):
// text is found by its colour, since glyphs are anti-aliased.
int CountColour(const Capture& capture, const RECT& area, unsigned colour, int tolerance);
// Writes a capture for review as <bin>\..\captures\<name>.bmp in the build tree; the path.
std::wstring SaveCaptureForReview(const Capture& capture, const std::wstring& name);

// ---- The recorder program -----------------------------------------------------------------

// launch_recorder.exe, built beside the tests.
std::wstring RecorderPath();

struct LaunchRecord
{
    std::wstring commandLine;
    std::wstring folder;
    int showWindow = -1;  // -1 when the starter gave none
};
// The record of the recorder at exePath, once it exists; nothing after the time-out.
std::optional<LaunchRecord> WaitForLaunchRecord(const std::wstring& exePath, DWORD timeoutMs = 30000);

// Makes a command line the prefix's open command for URL schemes (http and https by default)
// while the object lives; the keys and values found before are put back on destruction.
// Tests that use it take the CTest lock "url_handler".
class UrlHandlerOverride
{
public:
    explicit UrlHandlerOverride(const std::wstring& commandLine,
                                std::vector<std::wstring> schemes = {L"http", L"https"});
    ~UrlHandlerOverride();
    UrlHandlerOverride(const UrlHandlerOverride&) = delete;
    UrlHandlerOverride& operator=(const UrlHandlerOverride&) = delete;
    bool Installed() const { return m_installed; }

private:
    struct Saved
    {
        std::wstring scheme;
        bool existed[4] = {};  // <scheme>, shell, open, command
        bool hadValue = false;
        std::wstring value;
    };
    std::vector<Saved> m_saved;
    bool m_installed = true;
};
} // namespace testsupport
