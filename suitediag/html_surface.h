// What the html commands draw and measure with: a memory DC compatible with the screen that
// holds the shared UI font (Segoe preferred, else "tahoma"; height -12), and a 24-bit DIB
// section that can be written as a BMP file.
#pragma once

#include <framework/string.h>

#include <suitecore/ui/uifont.h>

namespace suitediag
{
class HtmlSurface
{
public:
    HtmlSurface();
    ~HtmlSurface();
    HtmlSurface(const HtmlSurface&) = delete;
    HtmlSurface& operator=(const HtmlSurface&) = delete;

    HDC Dc() const { return m_dc; }
    // A white (or other) DIB of the size selected into the DC; false when it cannot be made.
    bool SelectDib(int width, int height, COLORREF fill);
    // The DIB as a bottom-up 24-bit BMP file.
    bool WriteBmp(LPCWSTR path) const;

private:
    HDC m_dc = nullptr;
    CSTFont m_font;
    HGDIOBJ m_oldFont = nullptr;
    HBITMAP m_dib = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// The width argument of the html commands: 1 to 100000 pixels.
UINT ParseHtmlWidth(const CString& text);
} // namespace suitediag
