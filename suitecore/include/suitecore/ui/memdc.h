// Off-screen drawing surfaces: draw into a memory DC, and the result reaches the target DC in
// one block transfer when the object goes out of scope, without flicker.
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>

// A memory DC the size of a rectangle of the target, filled with a background colour. The
// caller draws at (0,0); destruction copies the whole bitmap to the rectangle's corner.
class SUITECORE_API CXTMemDC : public CDC
{
public:
    // A null target creates nothing. An empty rectangle stands for the target's clip box.
    CXTMemDC(CDC* pDC, const RECT& rect, COLORREF clrColor = ::GetSysColor(COLOR_3DFACE));
    ~CXTMemDC() override;
    CXTMemDC(const CXTMemDC&) = delete;
    CXTMemDC& operator=(const CXTMemDC&) = delete;

    // Starts from what the target already shows under the rectangle.
    void CopyFromTarget();
    // Nothing is copied back at destruction.
    void Discard();
    BOOL IsValid() const;
    CBitmap& GetBitmap();

protected:
    CDC* m_pDC = nullptr;        // the target
    int m_bValid = FALSE;        // the memory DC and its bitmap exist
    RECT m_rc{};                 // the rectangle on the target
    CBitmap m_bitmap;            // the memory bitmap
    HBITMAP m_hOldBitmap = nullptr; // selected into the memory DC before

private:
    int Width() const { return m_rc.right - m_rc.left; }
    int Height() const { return m_rc.bottom - m_rc.top; }
};

// The memory DC of the owner-drawn menus. It fills no background, and its window origin is the
// rectangle's corner, so the caller draws in target coordinates. On a printing DC it draws
// straight through: it borrows the target's handles and gives them back without deleting them.
class SUITECORE_API BCMenuMemDC : public CDC
{
public:
    // A null rectangle stands for the target's clip box.
    BCMenuMemDC(CDC* pDC, LPCRECT pRect = nullptr);
    ~BCMenuMemDC() override;
    BCMenuMemDC(const BCMenuMemDC&) = delete;
    BCMenuMemDC& operator=(const BCMenuMemDC&) = delete;

private:
    CBitmap m_bitmap;               // the off-screen bitmap
    HBITMAP m_hOldBitmap = nullptr; // selected into the memory DC before
    CDC* m_pDC = nullptr;           // the target
    RECT m_rect{};                  // the rectangle on the target
    BOOL m_bMemDC = FALSE;          // the off-screen bitmap is in use
};
