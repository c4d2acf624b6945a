// The exported panel painters: rounded panels, slice bars, header tables and result panels,
// drawn with plain GDI from SuiteCore's bitmaps.
#include "suitecore/ui/panels.h"
#include "suitecore/ui/uifont.h"

#include "gdi_scope.h"

#include <algorithm>

namespace
{
using suitecore::ui::CUniqueGdiObject;
using suitecore::ui::DcStateScope;
using suitecore::ui::LibraryBitmap;

constexpr COLORREF kOutline = RGB(222, 222, 222);
constexpr COLORREF kFlatFill = RGB(251, 251, 251);
constexpr COLORREF kHeaderFill = RGB(224, 241, 249);
constexpr COLORREF kRowSeparator = RGB(237, 237, 237);
constexpr COLORREF kTitleShadow = RGB(178, 194, 205);
constexpr COLORREF kTitle = RGB(13, 58, 115);
constexpr COLORREF kLabel = RGB(72, 81, 90);
constexpr COLORREF kStatusProblem = RGB(169, 1, 1);
constexpr COLORREF kStatusGood = RGB(0, 130, 44);

constexpr UINT kRowBitmap = 1089;       // 547 x 1, under a header
constexpr UINT kRoundRowBitmap = 1128;  // 547 x 1, inside a round panel
constexpr UINT kSeparatorBitmap = 1090; // 540 x 3, drawn with SRCAND
constexpr UINT kRowIconsBitmap = 1091;  // 16 x 16 cells side by side
constexpr int kRowIconCells = 8;
constexpr int kRowIconSize = 16;

constexpr int kPanelWidth = 548;       // header panels, slice bars
constexpr int kResultPanelWidth = 545; // the inner width of the result panels' round panel

struct SliceBarPictures
{
    UINT leftCap, middle, rightCap, icon;
};
constexpr SliceBarPictures kSliceBar = {1023, 1024, 1025, 1026};
constexpr SliceBarPictures kSliceBarAlternate = {1028, 1029, 1030, 1027};
constexpr int kSliceBarHeight = 50;
constexpr int kSliceBarCap = 5;
constexpr int kSliceBarIconX = 15;
constexpr int kSliceBarIconWidth = 40;

HDC OutputDc(CDC* pDC)
{
    return pDC ? pDC->GetSafeHdc() : nullptr;
}

// A rounded rectangle in a pen of that width and colour, filled with the brush colour or
// left hollow.
void RoundOutline(HDC dc, const RECT& rect, POINT corner, int penWidth, COLORREF pen, const COLORREF* fill = nullptr)
{
    CUniqueGdiObject penObject(CreatePen(PS_SOLID, penWidth, pen));
    CUniqueGdiObject brushObject(fill ? CreateSolidBrush(*fill) : nullptr);
    DcStateScope state(dc);
    SelectObject(dc, penObject.get());
    SelectObject(dc, fill ? brushObject.get() : GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner.x, corner.y);
}

// A one-pixel horizontal line from x to x + width - 1.
void HorizontalLine(HDC dc, int x, int y, int width, COLORREF colour)
{
    const RECT line = {x, y, x + width, y + 1};
    CUniqueGdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &line, static_cast<HBRUSH>(brush.get()));
}

// The bitmap's first row drawn `width` wide at x on every row from top to last, inclusive.
void PictureRows(HDC dc, UINT id, int x, int top, int last, int width)
{
    const LibraryBitmap row(dc, id);
    for (int y = top; y <= last; ++y)
        row.Blit(dc, x, y, width, 1);
}

// The UI font for panel text, bold for titles and headings.
CUniqueGdiObject PanelFont(bool bold)
{
    // The shared UI face at the panels' fixed text height, so the panels follow the tool's face.
    CUILogFont font(nullptr, -12, bold, FALSE);
    return CUniqueGdiObject(CreateFontIndirectW(&font));
}

// One line of text in the rectangle, in the colour, on a transparent background.
void TextLine(HDC dc, LPCWSTR text, RECT rect, COLORREF colour, UINT format = DT_VCENTER)
{
    if (!text || !*text)
        return;
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &rect, format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// Text drawn in one of the panel fonts; the DC's font, colour and mode are restored after.
class PanelText
{
public:
    PanelText(HDC dc, bool bold) : m_font(PanelFont(bold)), m_state(dc)
    {
        SelectObject(dc, m_font.get());
        SetBkMode(dc, TRANSPARENT);
    }

private:
    CUniqueGdiObject m_font; // declared first: deleted after the DC has let go of it
    DcStateScope m_state;
};

void SliceBar(HDC dc, int x, int y, int width, const SliceBarPictures& pictures, bool withIcon)
{
    const LibraryBitmap left(dc, pictures.leftCap);
    const LibraryBitmap middle(dc, pictures.middle);
    const LibraryBitmap right(dc, pictures.rightCap);
    left.Blit(dc, x, y, kSliceBarCap, kSliceBarHeight);
    for (int column = x + kSliceBarCap; column < x + width - kSliceBarCap; ++column)
        middle.Blit(dc, column, y, 1, kSliceBarHeight);
    right.Blit(dc, x + width - kSliceBarCap, y, kSliceBarCap, kSliceBarHeight);
    if (withIcon)
        LibraryBitmap(dc, pictures.icon).Blit(dc, x + kSliceBarIconX, y, kSliceBarIconWidth, kSliceBarHeight);
}

template <class T>
T Entry(const T* items, int index, T fallback)
{
    return items ? items[index] : fallback;
}

void DrawPanelIcon(HDC dc, int x, int y, int size)
{
    if (HICON icon = GetPanelIcon())
        DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
}

void Separator(HDC dc, int x, int y)
{
    LibraryBitmap(dc, kSeparatorBitmap).Blit(dc, x, y, 540, 3, 0, 0, SRCAND);
}
} // namespace

void DrawRoundPanel(CDC* pDC, int x, int y, int nBottom, int nWidth)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    PictureRows(dc, kRoundRowBitmap, x + 2, y + 2, nBottom - 3, nWidth);
    // The outline last, so that the rows never cut into its corners.
    RoundOutline(dc, {x, y, x + nWidth + 3, nBottom}, {10, 10}, 1, kOutline);
}

void DrawRoundPanelFlat(CDC* pDC, int x, int y, int nBottom, int nWidth)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    const RECT inside = {x + 2, y + 2, x + nWidth + 2, nBottom - 2};
    CUniqueGdiObject fill(CreateSolidBrush(kFlatFill));
    FillRect(dc, &inside, static_cast<HBRUSH>(fill.get()));
    RoundOutline(dc, {x, y, x + nWidth + 3, nBottom}, {10, 10}, 1, kOutline);
}

void DrawSliceBar(CDC* pDC, int x, int y, BOOL bAlternate, BOOL bWithIcon)
{
    if (HDC dc = OutputDc(pDC))
        SliceBar(dc, x, y, kPanelWidth, bAlternate ? kSliceBarAlternate : kSliceBar, bWithIcon);
}

void DrawSliceBarWide(CDC* pDC, int x, int y, int nWidth)
{
    if (HDC dc = OutputDc(pDC))
        SliceBar(dc, x, y, nWidth, kSliceBar, true);
}

void DrawHeaderPanel(CDC* pDC, int x, int y, int nBottom)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    RoundOutline(dc, {x + 2, y + 2, x + 547, y + 31}, {6, 4}, 2, kHeaderFill, &kHeaderFill);
    HorizontalLine(dc, x + 2, y + 29, 545, kHeaderFill);
    HorizontalLine(dc, x + 2, y + 30, 545, kOutline);
    PictureRows(dc, kRowBitmap, x + 2, y + 31, nBottom - 3, 545);
    RoundOutline(dc, {x, y, x + kPanelWidth, nBottom}, {10, 10}, 1, kOutline);
}

void DrawHeaderTable(CDC* pDC, int x, int y, int nRows, LPCWSTR lpszTitle, const LPCWSTR* lpszLabels,
                     const LPCWSTR* lpszValues, const COLORREF* crValues)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    nRows = std::max(nRows, 0);
    DrawHeaderPanel(pDC, x, y, y + 31 + 28 * nRows);
    for (int row = 0; row + 1 < nRows; ++row)
        HorizontalLine(dc, x + 2, y + 58 + 28 * row, 545, kRowSeparator);
    {
        const PanelText bold(dc, true);
        const RECT title = {x + 12, y + 2, x + 537, y + 29};
        TextLine(dc, lpszTitle, {title.left + 1, title.top + 1, title.right + 1, title.bottom + 1}, kTitleShadow);
        TextLine(dc, lpszTitle, title, kTitle);
    }
    const PanelText normal(dc, false);
    for (int row = 0; row < nRows; ++row)
    {
        const int top = y + 37 + 28 * row;
        TextLine(dc, Entry(lpszLabels, row, LPCWSTR()), {x + 12, top, x + 237, top + 20}, kLabel);
        TextLine(dc, Entry(lpszValues, row, LPCWSTR()), {x + 237, top, x + 537, top + 20},
                 Entry(crValues, row, kLabel));
    }
}

void DrawIconListPanel(CDC* pDC, int x, int y, LPCWSTR lpszTitle, int nRows, const int* nIconCells,
                       const LPCWSTR* lpszLabels, const LPCWSTR* lpszValues, const COLORREF* crValues)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    nRows = std::max(nRows, 0);
    DrawRoundPanel(pDC, x, y, y + 50 + 30 * nRows, kResultPanelWidth);
    DrawPanelIcon(dc, x + 12, y + 8, kRowIconSize);
    Separator(dc, x + 4, y + 32);
    {
        const PanelText bold(dc, true);
        TextLine(dc, lpszTitle, {x + 36, y + 4, x + 537, y + 28}, kTitle);
    }
    const LibraryBitmap icons(dc, kRowIconsBitmap);
    const PanelText normal(dc, false);
    for (int row = 0; row < nRows; ++row)
    {
        const int top = y + 42 + 30 * row;
        const int cell = Entry(nIconCells, row, -1);
        if (cell >= 0 && cell < kRowIconCells)
            icons.Blit(dc, x + 14, top + 2, kRowIconSize, kRowIconSize, cell * kRowIconSize, 0);
        TextLine(dc, Entry(lpszLabels, row, LPCWSTR()), {x + 40, top, x + 300, top + 20}, kLabel);
        TextLine(dc, Entry(lpszValues, row, LPCWSTR()), {x + 300, top, x + 537, top + 20},
                 Entry(crValues, row, kLabel));
    }
}

void DrawRecommendedActionPanel(CDC* pDC, int x, int y, LPCWSTR lpszAdvice, LPCWSTR lpszStatus, BOOL bProblem)
{
    HDC dc = OutputDc(pDC);
    if (!dc)
        return;
    DrawRoundPanel(pDC, x, y, y + 78, kResultPanelWidth);
    DrawPanelIcon(dc, x + 8, y + 5, 24);
    Separator(dc, x + 4, y + 33);
    {
        const PanelText bold(dc, true);
        TextLine(dc, L"Recommended Action", {x + 37, y + 9, x + 537, y + 29}, kTitle, DT_TOP);
    }
    const PanelText normal(dc, false);
    TextLine(dc, lpszAdvice, {x + 37, y + 38, x + 537, y + 56}, kLabel);
    TextLine(dc, lpszStatus, {x + 37, y + 56, x + 537, y + 74}, bProblem ? kStatusProblem : kStatusGood);
}
