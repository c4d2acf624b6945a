// SuiteDiag paint NAME FILE.bmp: draws one of SuiteCore's panel painters at fixed arguments on
// a 600 x 400 white 24-bit picture and writes it as a BMP file. The arguments it drew with are
// printed on one line.
#include "command.h"

#include <suitecore/ui/panels.h>

#include <framework/handles.h>

#include <cstring>

namespace
{
constexpr int kWidth = 600;
constexpr int kHeight = 400;

// A white bottom-up 24-bit DIB section selected into a memory DC: its bits are a BMP file's.
class WhitePicture
{
public:
    WhitePicture()
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        m_header = info.bmiHeader;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0));
        if (!m_bitmap || !m_dc.CreateCompatibleDC(nullptr))
            return;
        m_old = SelectObject(m_dc.GetSafeHdc(), m_bitmap.get());
        if (m_old)
            memset(m_bits, 0xFF, ImageSize());
    }
    ~WhitePicture()
    {
        if (m_old)
            SelectObject(m_dc.GetSafeHdc(), m_old);
    }
    WhitePicture(const WhitePicture&) = delete;
    WhitePicture& operator=(const WhitePicture&) = delete;

    bool Ready() const { return m_old != nullptr; }
    CDC* Dc() { return &m_dc; }

    bool Write(const CString& path) const
    {
        GdiFlush();
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof(file) + sizeof(m_header);
        file.bfSize = file.bfOffBits + ImageSize();
        CUniqueFileHandle out(
            CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return out && WriteAll(out.get(), &file, sizeof(file)) && WriteAll(out.get(), &m_header, sizeof(m_header)) &&
               WriteAll(out.get(), m_bits, ImageSize());
    }

private:
    static DWORD ImageSize() { return ((kWidth * 3 + 3) & ~3) * kHeight; }
    static bool WriteAll(HANDLE file, const void* data, DWORD size)
    {
        DWORD written = 0;
        return WriteFile(file, data, size, &written, nullptr) && written == size;
    }

    BITMAPINFOHEADER m_header{};
    void* m_bits = nullptr;
    CUniqueBitmap m_bitmap; // declared before the DC: deleted after the DC is gone
    CDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// The header table's sample: three rows with their values in red, green and grey.
const LPCWSTR kTableLabels[] = {L"Files", L"Size", L"Time"};
const LPCWSTR kTableValues[] = {L"12", L"3 MB", L"1 s"};
const COLORREF kTableColours[] = {RGB(169, 1, 1), RGB(0, 130, 44), RGB(72, 81, 90)};

// The icon list's sample.
const int kListCells[] = {2, 1, 0}; // the cross, the warning sign, the tick
const LPCWSTR kListLabels[] = {L"Registry entries", L"Junk files", L"Privacy traces"};
const LPCWSTR kListValues[] = {L"12 problems", L"3 MB", L"None"};
const COLORREF kListColours[] = {RGB(169, 1, 1), RGB(0, 130, 44), RGB(72, 81, 90)};

struct Painter
{
    LPCWSTR name;
    LPCWSTR arguments; // printed
    void (*paint)(CDC* dc);
};

const Painter kPainters[] = {
    {L"round-panel", L"DrawRoundPanel x 10, y 10, bottom 200, width 300",
     [](CDC* dc) { DrawRoundPanel(dc, 10, 10, 200, 300); }},
    {L"round-panel-flat", L"DrawRoundPanelFlat x 10, y 10, bottom 200, width 300",
     [](CDC* dc) { DrawRoundPanelFlat(dc, 10, 10, 200, 300); }},
    {L"slice-bar", L"DrawSliceBar x 10, y 10, normal, with the icon",
     [](CDC* dc) { DrawSliceBar(dc, 10, 10, FALSE, TRUE); }},
    {L"slice-bar-alt", L"DrawSliceBar x 10, y 10, alternate, with the icon",
     [](CDC* dc) { DrawSliceBar(dc, 10, 10, TRUE, TRUE); }},
    {L"slice-bar-wide", L"DrawSliceBarWide x 10, y 10, width 300", [](CDC* dc) { DrawSliceBarWide(dc, 10, 10, 300); }},
    {L"header-panel", L"DrawHeaderPanel x 10, y 10, bottom 150", [](CDC* dc) { DrawHeaderPanel(dc, 10, 10, 150); }},
    {L"header-table",
     L"DrawHeaderTable x 10, y 10, 3 rows, title \"Summary\", "
     L"Files = 12 in RGB(169,1,1), Size = 3 MB in RGB(0,130,44), Time = 1 s in RGB(72,81,90)",
     [](CDC* dc) { DrawHeaderTable(dc, 10, 10, 3, L"Summary", kTableLabels, kTableValues, kTableColours); }},
    {L"icon-list",
     L"DrawIconListPanel x 10, y 10, title \"Scan results\", 3 rows: cell 2 Registry entries = 12 problems in "
     L"RGB(169,1,1), cell 1 Junk files = 3 MB in RGB(0,130,44), cell 0 Privacy traces = None in RGB(72,81,90)",
     [](CDC* dc)
     { DrawIconListPanel(dc, 10, 10, L"Scan results", 3, kListCells, kListLabels, kListValues, kListColours); }},
    {L"recommended-action",
     L"DrawRecommendedActionPanel x 20, y 320, advice \"Fix the problems found to speed up your computer.\", "
     L"status \"12 problems need your attention\", problem",
     [](CDC* dc)
     {
         DrawRecommendedActionPanel(dc, 20, 320, L"Fix the problems found to speed up your computer.",
                                    L"12 problems need your attention", TRUE);
     }},
};

int RunPaint(suitediag::Args& args)
{
    const CString name = args.Next(L"NAME");
    const CString path = args.Next(L"FILE");
    args.ExpectEnd();
    const Painter* painter = nullptr;
    for (const Painter& candidate : kPainters)
        if (name.CompareNoCase(candidate.name) == 0)
            painter = &candidate;
    if (!painter)
    {
        CString names;
        for (const Painter& candidate : kPainters)
            names += CString(names.IsEmpty() ? L"" : L", ") + candidate.name;
        throw suitediag::UsageError{L"unknown painter \"" + name + L"\" (" + names + L")"};
    }

    WhitePicture picture;
    if (!picture.Ready())
    {
        suitediag::ErrFormat(L"cannot make a %dx%d picture (error %lu)\n", kWidth, kHeight, GetLastError());
        return 1;
    }
    painter->paint(picture.Dc());
    if (!picture.Write(path))
    {
        suitediag::ErrFormat(L"cannot write \"%s\" (error %lu)\n", static_cast<LPCWSTR>(path), GetLastError());
        return 1;
    }
    suitediag::OutLine(painter->arguments);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(paint, L"paint", L"NAME FILE.bmp",
                  L"Draws a panel painter (round-panel, round-panel-flat, slice-bar, slice-bar-alt, slice-bar-wide, "
                  L"header-panel, header-table, icon-list, recommended-action) into a 600x400 BMP",
                  RunPaint);
