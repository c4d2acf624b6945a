// The display test set-up itself: a window drawn for real under Xvfb can be read back from
// the screen. Later window tests rely on this.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH red = CreateSolidBrush(RGB(220, 20, 60));
        FillRect(dc, &rc, red);
        DeleteObject(red);
        RECT box{10, 10, 30, 30};
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &box, blue);
        DeleteObject(blue);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
} // namespace

TEST(Display, AWindowIsDrawnAndReadBackFromTheScreen)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SuiteDisplayTest";
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Display test", WS_POPUP | WS_VISIBLE, 50, 50,
                                120, 80, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hwnd);
    UpdateWindow(hwnd);
    MSG msg;
    for (int i = 0; i < 20; ++i)
    {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(25);
    }
    const testsupport::Capture capture = testsupport::CaptureClient(hwnd);
    DestroyWindow(hwnd);
    ASSERT_EQ(120, capture.width);
    ASSERT_EQ(80, capture.height);
    EXPECT_EQ(0xDC143Cu, capture.At(100, 60));
    EXPECT_EQ(0x0000FFu, capture.At(20, 20));
}
