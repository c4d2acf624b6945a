// Small drawing scopes shared by the button and static controls: each puts the DC back as it
// found it, so that a control painted thousands of times holds no GDI object afterwards.
#pragma once

#include <framework/gdi.h>
#include <framework/string.h>

#include <windows.h>

namespace suitecore::buttonpaint
{
// Selects an object into a DC and selects the previous one back on destruction.
class SelectScope
{
public:
    SelectScope(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(hObject ? ::SelectObject(hDC, hObject) : nullptr) {}
    ~SelectScope()
    {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A font made from a LOGFONTW for one paint: selected while the object lives, then selected
// back out and deleted.
class PaintFont
{
public:
    PaintFont(HDC hDC, const LOGFONTW& lf) : m_hFont(::CreateFontIndirectW(&lf)), m_select(hDC, m_hFont.h) {}
    ~PaintFont() = default;
    PaintFont(const PaintFont&) = delete;
    PaintFont& operator=(const PaintFont&) = delete;

private:
    struct Owner
    {
        HFONT h;
        Owner(HFONT hFont) : h(hFont) {}
        ~Owner()
        {
            if (h)
                ::DeleteObject(h);
        }
        Owner(const Owner&) = delete;
        Owner& operator=(const Owner&) = delete;
    } m_hFont; // declared before the selection, so it is deleted after being selected out
    SelectScope m_select;
};

// A DC compatible with another, deleted on destruction.
class MemoryDc
{
public:
    explicit MemoryDc(HDC hCompatible) : m_hDC(::CreateCompatibleDC(hCompatible)) {}
    ~MemoryDc()
    {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

// GetDC of a window's client area, released on destruction.
class ClientDc
{
public:
    explicit ClientDc(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~ClientDc()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    ClientDc(const ClientDc&) = delete;
    ClientDc& operator=(const ClientDc&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Wraps a DC somebody else owns in a CDC for the framework's drawing calls, and lets it go
// again without deleting it.
class BorrowedDc : public CDC
{
public:
    explicit BorrowedDc(HDC hDC) { Attach(hDC); }
    ~BorrowedDc() override { Detach(); }
    BorrowedDc(const BorrowedDc&) = delete;
    BorrowedDc& operator=(const BorrowedDc&) = delete;
};

// Keeps the DC's text colour and background mode and puts them back on destruction.
class TextState
{
public:
    explicit TextState(HDC hDC)
        : m_hDC(hDC), m_clrText(::GetTextColor(hDC)), m_nBkMode(::GetBkMode(hDC)), m_clrBk(::GetBkColor(hDC))
    {
    }
    ~TextState()
    {
        ::SetTextColor(m_hDC, m_clrText);
        ::SetBkMode(m_hDC, m_nBkMode);
        ::SetBkColor(m_hDC, m_clrBk);
    }
    TextState(const TextState&) = delete;
    TextState& operator=(const TextState&) = delete;

private:
    HDC m_hDC;
    COLORREF m_clrText;
    int m_nBkMode;
    COLORREF m_clrBk;
};

// Copies a part of a bitmap to the DC (SRCCOPY); nothing when the bitmap is null.
void BlitBitmap(HDC hDest, int x, int y, int cx, int cy, HBITMAP hBitmap, int xSrc, int ySrc);
// Draws text in a colour with a transparent background.
void DrawTextIn(HDC hDC, LPCWSTR lpszText, RECT rc, UINT nFormat, COLORREF clr);
// The size of a bitmap; {0, 0} for none.
SIZE BitmapSize(HBITMAP hBitmap);
// A window's text, read without the framework's temporary window objects.
CString WindowTextOf(HWND hWnd);
// The library's own module: its pictures and the hand cursor live there.
HINSTANCE LibraryInstance();
} // namespace suitecore::buttonpaint
