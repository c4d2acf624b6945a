#include "testsupport/ui.h"

#include <objbase.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstdlib>

namespace testsupport
{
// ---- Waiting and finding ------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    InternalGetWindowText(window, text, 1024);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

namespace
{
bool Matches(HWND window, const WindowQuery& query)
{
    if (query.visibleOnly && !IsWindowVisible(window))
        return false;
    if (!query.className.empty() && _wcsicmp(ClassName(window).c_str(), query.className.c_str()) != 0)
        return false;
    if (!query.title.empty() && WindowText(window) != query.title)
        return false;
    return query.controlId < 0 || GetDlgCtrlID(window) == query.controlId;
}

struct Search
{
    const WindowQuery* query;
    std::vector<HWND> found;
};

// Enumeration callbacks: nothing may leave them.
BOOL CALLBACK VisitChild(HWND window, LPARAM param) noexcept
try
{
    auto* search = reinterpret_cast<Search*>(param);
    if (Matches(window, *search->query))
        search->found.push_back(window);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

BOOL CALLBACK VisitTop(HWND window, LPARAM param) noexcept
try
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->query->processId)
        return TRUE;
    if (search->query->controlId < 0 && Matches(window, *search->query))
        search->found.push_back(window);
    EnumChildWindows(window, VisitChild, param);
    return TRUE;
}
catch (...)
{
    return TRUE;
}
} // namespace

std::vector<HWND> FindWindows(const WindowQuery& query)
{
    Search search{&query, {}};
    if (query.under)
        EnumChildWindows(query.under, VisitChild, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(VisitTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const auto windows = FindWindows(query);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForControl(HWND parent, int controlId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = GetDlgItem(parent, controlId)) != nullptr; }, timeoutMs);
    return found;
}

// ---- Input --------------------------------------------------------------------------------

bool ClickHeadless(HWND button) { return PostMessageW(button, BM_CLICK, 0, 0) != FALSE; }

bool ClickOnScreen(HWND control)
{
    RECT rect;
    if (!GetWindowRect(control, &rect))
        return false;
    const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, width - 1);
        input.mi.dy = MulDiv(y, 65535, height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    return SendInput(3, inputs, sizeof(INPUT)) == 3;
}

namespace
{
bool SendKey(WORD virtualKey, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof input) == 1;
}
} // namespace

bool PressKey(WORD virtualKey) { return SendKey(virtualKey, false) && SendKey(virtualKey, true); }

HeldKey::HeldKey(WORD virtualKey) : m_key(virtualKey), m_pressed(SendKey(virtualKey, false)) {}

HeldKey::~HeldKey()
{
    if (m_pressed)
        SendKey(m_key, true);
}

// ---- Scripted answers ---------------------------------------------------------------------

ScriptedAnswers::ScriptedAnswers() : m_thread([this] { Run(); }) {}

ScriptedAnswers::~ScriptedAnswers()
{
    m_stop = true;
    m_thread.join();
}

void ScriptedAnswers::On(const std::wstring& className, const std::wstring& title, Action action)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_rules.push_back({className, title, std::move(action)});
}

ScriptedAnswers::Action ScriptedAnswers::Click(int controlId)
{
    return [controlId](HWND window) {
        if (HWND control = GetDlgItem(window, controlId))
            ClickHeadless(control);
    };
}

ScriptedAnswers::Action ScriptedAnswers::Command(int commandId)
{
    return [commandId](HWND window) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED), 0); };
}

ScriptedAnswers::Action ScriptedAnswers::Record()
{
    return [](HWND) {};
}

std::vector<ScriptedAnswers::Answered> ScriptedAnswers::Seen()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seen;
}

bool ScriptedAnswers::WaitForAnswers(size_t count, DWORD timeoutMs)
{
    return WaitUntil([&] { return Seen().size() >= count; }, timeoutMs);
}

bool ScriptedAnswers::WaitForFinishedActions(size_t count, DWORD timeoutMs)
{
    return WaitUntil(
        [&] {
            std::lock_guard<std::mutex> hold(m_lock);
            return m_finished >= count;
        },
        timeoutMs);
}

void ScriptedAnswers::Visit(HWND window)
{
    Action action;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (const Answered& seen : m_seen)
            if (seen.window == window)
                return;
        const std::wstring className = ClassName(window), title = WindowText(window);
        for (const Rule& rule : m_rules)
        {
            if ((rule.className.empty() || _wcsicmp(rule.className.c_str(), className.c_str()) == 0) &&
                (rule.title.empty() || rule.title == title))
            {
                action = rule.action;
                break;
            }
        }
        if (!action)
            return;
        Answered answered{window, className, title, {}};
        WindowQuery children;
        children.under = window;
        for (HWND child : FindWindows(children))
            if (GetParent(child) == window)
                answered.controls.push_back({GetDlgCtrlID(child), ClassName(child), WindowText(child)});
        m_seen.push_back(std::move(answered));
    }
    struct CountFinished
    {
        ScriptedAnswers& self;
        ~CountFinished()
        {
            std::lock_guard<std::mutex> hold(self.m_lock);
            ++self.m_finished;
        }
    } countFinished{*this};
    action(window);
}

void ScriptedAnswers::Run()
{
    while (!m_stop)
    {
        WindowQuery all;
        for (HWND window : FindWindows(all))
        {
            try
            {
                Visit(window);
            }
            catch (...)
            {
                // A failing action leaves the window unanswered; the test's wait reports it.
            }
        }
        Sleep(20);
    }
}

// ---- Pixels -------------------------------------------------------------------------------

PaintSurface::PaintSurface(int width, int height, unsigned fill) : m_width(width), m_height(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    if (m_dc && m_bitmap)
    {
        m_old = SelectObject(m_dc, m_bitmap);
        auto* p = static_cast<unsigned*>(m_bits);
        std::fill(p, p + static_cast<size_t>(width) * height, fill);
    }
}

PaintSurface::~PaintSurface()
{
    if (m_old)
        SelectObject(m_dc, m_old);
    if (m_bitmap)
        DeleteObject(m_bitmap);
    if (m_dc)
        DeleteDC(m_dc);
}

Capture PaintSurface::Pixels() const
{
    Capture capture;
    if (!m_bits)
        return capture;
    GdiFlush();
    const auto* p = static_cast<const unsigned*>(m_bits);
    capture.width = m_width;
    capture.height = m_height;
    capture.pixels.assign(p, p + static_cast<size_t>(m_width) * m_height);
    for (unsigned& px : capture.pixels)
        px &= 0x00FFFFFF;
    return capture;
}

Capture LoadBitmapPixels(HMODULE module, UINT id)
{
    Capture capture;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return capture;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<unsigned> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    if (rows != info.bmHeight)
        return capture;
    for (unsigned& px : pixels)
        px &= 0x00FFFFFF;
    capture.width = info.bmWidth;
    capture.height = info.bmHeight;
    capture.pixels = std::move(pixels);
    return capture;
}

Capture LoadPngPixels(HMODULE module, UINT id, unsigned background)
{
    Capture capture;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return capture;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return capture;
    memcpy(GlobalLock(copy), data, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream)))
    {
        GlobalFree(copy);
        return capture;
    }
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
    {
        stream->Release();
        return capture;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok)
    {
        UINT width = 0, height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
        Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        Gdiplus::BitmapData bits{};
        if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead,
                                                     PixelFormat32bppARGB, &bits) == Gdiplus::Ok)
        {
            capture.width = static_cast<int>(width);
            capture.height = static_cast<int>(height);
            capture.pixels.resize(static_cast<size_t>(width) * height);
            for (UINT y = 0; y < height; ++y)
            {
                const auto* row = reinterpret_cast<const unsigned*>(static_cast<const BYTE*>(bits.Scan0) + y * bits.Stride);
                for (UINT x = 0; x < width; ++x)
                {
                    const unsigned argb = row[x], a = argb >> 24;
                    unsigned out = 0;
                    for (int shift = 0; shift < 24; shift += 8)
                    {
                        const unsigned c = (argb >> shift) & 0xFF, b = (background >> shift) & 0xFF;
                        out |= ((c * a + b * (255 - a) + 127) / 255) << shift;
                    }
                    capture.pixels[y * width + x] = out;
                }
            }
            Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &bits);
        }
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    stream->Release();
    return capture;
}

namespace
{
bool Near(unsigned a, unsigned b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

std::string Hex(unsigned colour)
{
    char text[16];
    snprintf(text, sizeof text, "%06X", colour & 0xFFFFFF);
    return text;
}
} // namespace

std::string CompareRegion(const Capture& screen, int x, int y, const Capture& picture, RECT part, int tolerance)
{
    if (IsRectEmpty(&part))
        part = RECT{0, 0, picture.width, picture.height};
    if (picture.pixels.empty() || part.left < 0 || part.top < 0 || part.right > picture.width ||
        part.bottom > picture.height)
        return "the picture's part lies outside the picture";
    const int w = part.right - part.left, h = part.bottom - part.top;
    if (x < 0 || y < 0 || x + w > screen.width || y + h > screen.height)
        return "the region lies outside the capture";
    std::string first;
    int differing = 0;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
        {
            const unsigned got = screen.At(x + col, y + row), want = picture.At(part.left + col, part.top + row);
            if (Near(got, want, tolerance))
                continue;
            if (!differing++)
                first = "at (" + std::to_string(x + col) + ", " + std::to_string(y + row) + ") the capture has " +
                        Hex(got) + ", the picture " + Hex(want);
        }
    return differing ? first + "; " + std::to_string(differing) + " pixels differ" : std::string();
}

int CountColour(const Capture& capture, const RECT& area, unsigned colour, int tolerance)
{
    int count = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(capture.height, area.bottom); ++y)
        for (int x = std::max<int>(0, area.left); x < std::min<int>(capture.width, area.right); ++x)
            count += Near(capture.At(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

std::wstring SaveCaptureForReview(const Capture& capture, const std::wstring& name)
{
    const std::wstring folder = BinFolder() + L"\\..\\captures";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".bmp";
    return SaveBitmap(capture, path) ? path : std::wstring();
}

// ---- The recorder program -----------------------------------------------------------------

std::wstring RecorderPath() { return BinFolder() + L"\\launch_recorder.exe"; }

std::optional<LaunchRecord> WaitForLaunchRecord(const std::wstring& exePath, DWORD timeoutMs)
{
    const std::wstring path = exePath + L".record";
    std::string bytes;
    if (!WaitUntil([&] { return !(bytes = ReadFileBytes(path)).empty(); }, timeoutMs))
        return std::nullopt;
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    if (lines.size() != 3)
        return std::nullopt;
    return LaunchRecord{Wide(lines[0]), Wide(lines[1]), atoi(lines[2].c_str())};
}

namespace
{
bool KeyExists(const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadDefault(const std::wstring& path, std::wstring& value)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[2048] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value = data;
    return true;
}

bool WriteDefault(const std::wstring& path, const std::wstring& value)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteDefault(const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, nullptr);
    RegCloseKey(key);
}
} // namespace

namespace
{
// The keys from the scheme down to its open command, outermost first.
std::vector<std::wstring> CommandChain(const std::wstring& scheme)
{
    return {scheme, scheme + L"\\shell", scheme + L"\\shell\\open", scheme + L"\\shell\\open\\command"};
}
} // namespace

UrlHandlerOverride::UrlHandlerOverride(const std::wstring& commandLine, std::vector<std::wstring> schemes)
{
    for (const std::wstring& scheme : schemes)
    {
        const auto chain = CommandChain(scheme);
        Saved saved;
        saved.scheme = scheme;
        for (size_t i = 0; i < chain.size(); ++i)
            saved.existed[i] = KeyExists(chain[i]);
        saved.hadValue = ReadDefault(chain.back(), saved.value);
        m_saved.push_back(saved);
        m_installed = WriteDefault(chain.back(), commandLine) && m_installed;
    }
}

UrlHandlerOverride::~UrlHandlerOverride()
{
    for (const Saved& saved : m_saved)
    {
        const auto chain = CommandChain(saved.scheme);
        if (saved.hadValue)
            WriteDefault(chain.back(), saved.value);
        else
            DeleteDefault(chain.back());
        // Remove the keys the override created, innermost first.
        for (size_t i = chain.size(); i-- > 0;)
            if (!saved.existed[i])
                RegDeleteKeyW(HKEY_CLASSES_ROOT, chain[i].c_str());
    }
}
} // namespace testsupport
