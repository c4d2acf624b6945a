// A 32-bit top-down DIB section selected into a memory DC, read pixel by pixel.
#pragma once

#include <framework/gdi.h>

#include <windows.h>

class TestDib
{
public:
    TestDib(int width, int height, COLORREF fill = RGB(255, 255, 255)) : m_width(width), m_height(height)
    {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc.CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc.GetSafeHdc(), m_bitmap);
        Fill({0, 0, width, height}, fill);
    }
    ~TestDib()
    {
        ::SelectObject(m_dc.GetSafeHdc(), m_old);
        m_dc.DeleteDC();
        ::DeleteObject(m_bitmap);
    }
    TestDib(const TestDib&) = delete;
    TestDib& operator=(const TestDib&) = delete;

    CDC& Dc() { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    void Fill(const RECT& rc, COLORREF color) { m_dc.FillSolidRect(&rc, color); }
    // The pixel as a COLORREF.
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const DWORD v = m_bits[y * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // How many pixels of the rectangle have the colour.
    int Count(const RECT& rc, COLORREF color) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += At(x, y) == color;
        return n;
    }

private:
    int m_width;
    int m_height;
    DWORD* m_bits = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    CDC m_dc;
};
