// Small owners for the GDI state SuiteCore's painters touch: a DC's saved state, drawing
// objects, memory DCs, and a bitmap selected into a memory DC to blit from.
#pragma once

#include <framework/handles.h>

namespace suitecore::ui
{
namespace traits
{
struct GdiObject
{
    using type = HGDIOBJ;
    static HGDIOBJ invalid() noexcept { return nullptr; }
    static void close(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct MemoryDc
{
    using type = HDC;
    static HDC invalid() noexcept { return nullptr; }
    static void close(HDC h) noexcept { DeleteDC(h); }
};
} // namespace traits

// Pens, brushes, fonts and regions. Delete them only once no DC holds them selected: declare
// the owner before the DcStateScope that restores the DC.
using CUniqueGdiObject = CUniqueAny<traits::GdiObject>;
using CUniqueMemoryDc = CUniqueAny<traits::MemoryDc>;

// Saves the DC's state (selected objects, colours, modes, origins, clipping) and restores it
// when it goes out of scope.
class DcStateScope
{
public:
    explicit DcStateScope(HDC dc) : m_dc(dc), m_saved(dc ? SaveDC(dc) : 0) {}
    ~DcStateScope()
    {
        if (m_saved)
            RestoreDC(m_dc, m_saved);
    }
    DcStateScope(const DcStateScope&) = delete;
    DcStateScope& operator=(const DcStateScope&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// A bitmap (not owned) selected into a memory DC compatible with a target, for as long as the
// object lives. Not ready when the target or the bitmap is missing, the DC cannot be made, or
// the bitmap is selected into another DC.
class BitmapSource
{
public:
    BitmapSource(HDC target, HBITMAP bitmap);
    ~BitmapSource();
    BitmapSource(const BitmapSource&) = delete;
    BitmapSource& operator=(const BitmapSource&) = delete;

    bool Ready() const { return m_old != nullptr; }
    // FALSE, drawing nothing, when not ready.
    BOOL Blit(HDC target, int x, int y, int width, int height, int xSrc, int ySrc, DWORD rop) const;
    BOOL Stretch(HDC target, int x, int y, int width, int height, int xSrc, int ySrc, int srcWidth, int srcHeight,
                 DWORD rop) const;

private:
    CUniqueMemoryDc m_dc;
    HGDIOBJ m_old = nullptr;
};

// SuiteCore's own module, which holds the skin's pictures.
HINSTANCE LibraryInstance();

// One of SuiteCore's bitmaps, loaded from the library itself and ready to blit onto a target.
class LibraryBitmap
{
public:
    LibraryBitmap(HDC target, UINT id);
    bool Ready() const { return m_source.Ready(); }
    BOOL Blit(HDC target, int x, int y, int width, int height, int xSrc = 0, int ySrc = 0, DWORD rop = SRCCOPY) const
    {
        return m_source.Blit(target, x, y, width, height, xSrc, ySrc, rop);
    }

private:
    CUniqueBitmap m_bitmap; // declared first: the source lets go of it before it is deleted
    BitmapSource m_source;
};
} // namespace suitecore::ui
