// What the button and static tests share: a parent window that paints a known background,
// painting a control's DrawItem into a DIB, and reading SuiteCore's own pictures.
#pragma once

#include <suitecore/sysinfo.h>
#include <suitecore/ui/gdiplus_bitmap.h>
#include <testsupport/ui.h>

#include <framework/gdi.h>
#include <framework/window.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace buttontest
{
constexpr COLORREF kParentColour = RGB(10, 200, 30);

inline unsigned Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

inline HMODULE SuiteCore()
{
    GetOsMajorVersion(); // bound through the import table, as a tool binds it
    return GetModuleHandleW(L"suitecore.dll");
}

// A top-level window bound to the framework (so that it reflects notifications to its
// controls) whose background is kParentColour.
class CTestParent : public CWnd
{
public:
    BOOL Create(int width = 600, int height = 200)
    {
        static const ATOM s_class = []
        {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ButtonTestParent";
            wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            return RegisterClassW(&wc);
        }();
        return s_class && CreateEx(0, L"ButtonTestParent", L"button test", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width,
                                   height, nullptr, nullptr);
    }
    int m_nErases = 0;

protected:
    BOOL OnEraseBkgnd(CDC* pDC)
    {
        ++m_nErases;
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        const HBRUSH brush = CreateSolidBrush(kParentColour);
        FillRect(pDC->GetSafeHdc(), &rc, brush);
        DeleteObject(brush);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

// A DRAWITEMSTRUCT for a whole control painted into the surface's DC.
inline DRAWITEMSTRUCT DrawItemFor(HWND control, HDC dc, int width, int height, UINT state = 0)
{
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(control));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = control;
    dis.hDC = dc;
    dis.rcItem = RECT{0, 0, width, height};
    return dis;
}

// Paints a control's DrawItem into a fresh DIB (white unless told) and answers its pixels.
template <class Control>
testsupport::Capture PaintControl(Control& control, int width, int height, UINT state = 0, unsigned fill = 0xFFFFFF)
{
    testsupport::PaintSurface surface(width, height, fill);
    DRAWITEMSTRUCT dis = DrawItemFor(control.m_hWnd, surface.Dc(), width, height, state);
    control.DrawItem(&dis);
    return surface.Pixels();
}

// The bounding box of the pixels within tolerance of a colour; empty when none.
inline RECT BoundsOf(const testsupport::Capture& capture, unsigned colour, int tolerance)
{
    RECT box{capture.width, capture.height, 0, 0};
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
        {
            const unsigned p = capture.At(x, y);
            bool close = true;
            for (int shift = 0; shift <= 16; shift += 8)
                close = close && std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                          static_cast<int>((colour >> shift) & 0xFF)) <= tolerance;
            if (!close)
                continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
}

// Every case runs with GDI+ started and a hidden parent window.
class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gdiplus.Started());
        ASSERT_NE(nullptr, SuiteCore());
        ASSERT_TRUE(m_parent.Create());
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
    }
    template <class Control>
    void CreateButton(Control& button, int width, int height, int id = 100, DWORD style = BS_PUSHBUTTON)
    {
        ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE | style, RECT{0, 0, width, height}, &m_parent,
                                  static_cast<UINT>(id)));
    }

    CGdiPlusToken m_gdiplus;
    CTestParent m_parent;
};
} // namespace buttontest
