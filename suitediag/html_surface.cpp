// The html commands' drawing surface.
#include "html_surface.h"

#include "command.h"

#include <framework/handles.h>

#include <cwchar>
#include <cwctype>

namespace suitediag
{
namespace
{
CUILogFont SharedUIFont()
{
    SetUIFontFace(TRUE, L"tahoma");
    SetUIFontHeight(-12);
    return CUILogFont();
}
} // namespace

HtmlSurface::HtmlSurface() : m_dc(CreateCompatibleDC(nullptr)), m_font(SharedUIFont())
{
    if (m_dc && m_font.GetSafeHandle())
        m_oldFont = SelectObject(m_dc, m_font.GetSafeHandle());
}

HtmlSurface::~HtmlSurface()
{
    if (m_dc)
    {
        if (m_oldFont)
            SelectObject(m_dc, m_oldFont);
        if (m_oldBitmap)
            SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_dib)
        DeleteObject(m_dib);
}

bool HtmlSurface::SelectDib(int width, int height, COLORREF fill)
{
    if (!m_dc || m_dib || width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    m_dib = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    if (!m_dib)
        return false;
    m_oldBitmap = SelectObject(m_dc, m_dib);
    m_width = width;
    m_height = height;
    const RECT all = {0, 0, width, height};
    const COLORREF oldBk = SetBkColor(m_dc, fill);
    ExtTextOutW(m_dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    SetBkColor(m_dc, oldBk);
    return true;
}

bool HtmlSurface::WriteBmp(LPCWSTR path) const
{
    if (!m_bits)
        return false;
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(m_width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(m_height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    header.biSize = sizeof header;
    header.biWidth = m_width;
    header.biHeight = m_height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = imageSize;
    CUniqueFileHandle out(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    DWORD written = 0;
    return WriteFile(out.get(), &file, sizeof file, &written, nullptr) && written == sizeof file &&
           WriteFile(out.get(), &header, sizeof header, &written, nullptr) && written == sizeof header &&
           WriteFile(out.get(), m_bits, imageSize, &written, nullptr) && written == imageSize;
}

UINT ParseHtmlWidth(const CString& text)
{
    bool digits = !text.IsEmpty() && text.GetLength() <= 6;
    for (int i = 0; i < text.GetLength() && digits; ++i)
        digits = iswdigit(text[i]) != 0;
    const unsigned long value = digits ? wcstoul(text, nullptr, 10) : 0;
    if (value < 1 || value > 100000)
        throw UsageError{L"WIDTH must be a whole number of pixels from 1 to 100000"};
    return static_cast<UINT>(value);
}
} // namespace suitediag
