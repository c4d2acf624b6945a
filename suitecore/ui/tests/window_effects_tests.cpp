// Translucent windows, and the parent's background painted under a child.
#include <suitecore/ui/window_effects.h>

#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// ---- Counting SuiteCore's look-ups of SetLayeredWindowAttributes --------------------------

std::atomic<int> g_lookups{0};
FARPROC(WINAPI* g_realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
{
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && strcmp(name, "SetLayeredWindowAttributes") == 0)
        ++g_lookups;
    return g_realGetProcAddress(module, name);
}

// Points the module's import of kernel32!GetProcAddress at the counter.
bool HookGetProcAddress(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp)
    {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "kernel32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots)
        {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), "GetProcAddress") != 0)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old))
                return false;
            g_realGetProcAddress = reinterpret_cast<decltype(g_realGetProcAddress)>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&CountingGetProcAddress);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

struct Window
{
    HWND hwnd;
    explicit Window(HWND h) : hwnd(h) {}
    ~Window()
    {
        if (hwnd)
            DestroyWindow(hwnd);
    }
};

// ---- A parent that erases with a pattern known at every pixel ------------------------------

const int kParentWidth = 160, kParentHeight = 120;

unsigned Pattern(int x, int y) { return (static_cast<unsigned>(x * 3 & 0xFF) << 16) | ((y * 5 & 0xFF) << 8) | 0x5A; }

LRESULT CALLBACK PatternParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_ERASEBKGND)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    static std::vector<unsigned> pixels;
    if (pixels.empty())
        for (int y = 0; y < kParentHeight; ++y)
            for (int x = 0; x < kParentWidth; ++x)
                pixels.push_back(Pattern(x, y));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kParentWidth;
    info.bmiHeader.biHeight = -kParentHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(reinterpret_cast<HDC>(wParam), 0, 0, kParentWidth, kParentHeight, 0, 0, 0, kParentHeight,
                      pixels.data(), &info, DIB_RGB_COLORS);
    return 7;
}

class ParentBackground : public testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PatternParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PatternParent";
        RegisterClassW(&wc);
        RECT frame = {0, 0, kParentWidth, kParentHeight};
        AdjustWindowRect(&frame, WS_POPUP, FALSE);
        m_parent.hwnd = CreateWindowW(L"PatternParent", L"", WS_POPUP, 0, 0, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_parent.hwnd);
        m_child.hwnd = CreateWindowW(L"STATIC", L"", WS_CHILD, kChildX, kChildY, kChildW, kChildH, m_parent.hwnd,
                                     nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_child.hwnd);
    }

    static constexpr int kChildX = 37, kChildY = 23, kChildW = 50, kChildH = 30;
    static constexpr unsigned kFill = 0x102030; // no pattern pixel has this blue
    Window m_parent{nullptr};
    Window m_child{nullptr};
};

// The pixels of a child surface: the parent's pattern inside `painted`, the fill elsewhere.
std::string CheckSurface(const testsupport::Capture& pixels, const RECT& painted, int dx, int dy)
{
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
        {
            const POINT p = {x, y};
            const unsigned expected = PtInRect(&painted, p) ? Pattern(x + dx, y + dy) : 0x102030;
            if (pixels.At(x, y) != expected)
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " is " + std::to_string(pixels.At(x, y)) +
                       ", not " + std::to_string(expected);
        }
    return "";
}
} // namespace

TEST(WindowAlpha, MakesTheWindowLayeredWithAlphaOnlyAndLooksTheFunctionUpOnce)
{
    ASSERT_TRUE(HookGetProcAddress(GetModuleHandleW(L"suitecore.dll")));
    for (BYTE alpha : {BYTE(171), BYTE(0), BYTE(255)})
    {
        Window window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr));
        ASSERT_NE(nullptr, window.hwnd);
        ASSERT_EQ(0, GetWindowLongW(window.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_NE(0, SetWindowAlpha(window.hwnd, alpha));
        EXPECT_NE(0, GetWindowLongW(window.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        COLORREF key = 0xDEAD;
        BYTE got = 0;
        DWORD flags = 0xDEAD;
        ASSERT_TRUE(GetLayeredWindowAttributes(window.hwnd, &key, &got, &flags));
        EXPECT_EQ(alpha, got);
        EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
    }
    EXPECT_EQ(0, SetWindowAlpha(nullptr, 128));
    // Three calls, one look-up at most (none when another test of this process came first).
    EXPECT_LE(g_lookups.load(), 1);
}

TEST_F(ParentBackground, ChildShowsExactlyTheParentsPixelsUnderIt)
{
    struct Case
    {
        const char* what;
        bool clip;
        RECT rect; // the clip rectangle, and what is painted
    } cases[] = {
        {"whole child", false, {0, 0, kChildW, kChildH}},
        {"clip rectangle", true, {5, 7, 21, 16}},
        {"clip past the edge", true, {40, 20, 90, 90}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::PaintSurface surface(kChildW, kChildH, kFill);
        EXPECT_EQ(7, PaintParentBackground(m_child.hwnd, surface.Dc(), c.clip ? &c.rect : nullptr));
        EXPECT_EQ("", CheckSurface(surface.Pixels(), c.rect, kChildX, kChildY));
        POINT origin = {-1, -1};
        GetWindowOrgEx(surface.Dc(), &origin);
        EXPECT_EQ(0, origin.x);
        EXPECT_EQ(0, origin.y);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(0, GetClipRgn(surface.Dc(), region)); // no clip region left behind
        DeleteObject(region);
    }
    testsupport::PaintSurface surface(kChildW, kChildH, kFill);
    EXPECT_EQ(0, PaintParentBackground(m_parent.hwnd, surface.Dc())); // a window without a parent
    EXPECT_EQ(0, PaintParentBackground(m_child.hwnd, nullptr));
}

TEST_F(ParentBackground, RestoresTheCallersOriginAndClipRegion)
{
    testsupport::PaintSurface surface(kChildW, kChildH, kFill);
    HRGN callers = CreateRectRgn(0, 0, 30, 20);
    SelectClipRgn(surface.Dc(), callers);
    SetWindowOrgEx(surface.Dc(), 3, 4, nullptr);
    const RECT clip = {10, 10, 45, 28};
    PaintParentBackground(m_child.hwnd, surface.Dc(), &clip);

    POINT origin{};
    GetWindowOrgEx(surface.Dc(), &origin);
    EXPECT_EQ(3, origin.x);
    EXPECT_EQ(4, origin.y);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(1, GetClipRgn(surface.Dc(), after));
    EXPECT_TRUE(EqualRgn(callers, after));
    DeleteObject(after);
    DeleteObject(callers);
    // Painted only where both the caller's region and the clip rectangle allow; device pixel
    // (0,0) shows the child's logical point (3,4).
    EXPECT_EQ("", CheckSurface(surface.Pixels(), {10, 10, 30, 20}, kChildX + 3, kChildY + 4));
}

// Each call with a clip rectangle makes a region: none may stay behind, or a transparent
// control eats the process's GDI handles. Past the size of the handle table it still paints.
TEST_F(ParentBackground, PaintsPastTheSizeOfTheGdiHandleTable)
{
    testsupport::PaintSurface surface(kChildW, kChildH, kFill);
    const RECT clip = {1, 1, 2, 2};
    for (int i = 0; i < 66000; ++i)
        PaintParentBackground(m_child.hwnd, surface.Dc(), &clip);
    const RECT last = {4, 4, 12, 9};
    PaintParentBackground(m_child.hwnd, surface.Dc(), &last);
    const testsupport::Capture pixels = surface.Pixels();
    EXPECT_EQ(Pattern(kChildX + 4, kChildY + 4), pixels.At(4, 4));
    EXPECT_EQ(Pattern(kChildX + 11, kChildY + 8), pixels.At(11, 8));
    EXPECT_EQ(kFill, pixels.At(12, 9));
}
