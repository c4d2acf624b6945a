// Shared by the painting tests: a white 600 x 400 surface with a CDC over it, and colours.
#pragma once

#include <framework/gdi.h>
#include <testsupport/ui.h>

namespace painttest
{
// 0x00RRGGBB, as captures hold pixels.
constexpr unsigned Rgb(unsigned r, unsigned g, unsigned b)
{
    return (r << 16) | (g << 8) | b;
}
constexpr unsigned kWhite = Rgb(255, 255, 255);

inline HMODULE Library()
{
    return GetModuleHandleW(L"suitecore.dll");
}

// A 32-bit DIB section with a CDC attached to its memory DC, as painting code is handed one.
class Surface
{
public:
    explicit Surface(unsigned fill = kWhite, int width = 600, int height = 400) : m_surface(width, height, fill)
    {
        m_dc.Attach(m_surface.Dc());
    }
    ~Surface() { m_dc.Detach(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    CDC* Dc() { return &m_dc; }
    HDC Hdc() const { return m_surface.Dc(); }
    testsupport::Capture Pixels() const { return m_surface.Pixels(); }

private:
    testsupport::PaintSurface m_surface;
    CDC m_dc;
};
} // namespace painttest
