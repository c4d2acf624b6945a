#include "layout.h"

#include "markup.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <type_traits>

namespace qmnhtm
{
namespace
{

constexpr size_t kLiveFonts = 16;      // fonts kept alive at once; older ones are recreated when needed
constexpr int kExtentChunk = 4096;     // characters measured per GDI call
constexpr long long kMaxExtent = 1 << 27; // GDI coordinates fit in 27 bits; larger ones only overflow

struct GdiObjectDeleter
{
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

// Gives the DC back what drawing changes in it: the font, the text colour, the background mode
// and the text alignment.
class DcStateGuard
{
public:
    explicit DcStateGuard(HDC dc)
        : m_dc(dc), m_font(GetCurrentObject(dc, OBJ_FONT)), m_textColor(GetTextColor(dc)), m_bkMode(GetBkMode(dc)),
          m_align(GetTextAlign(dc))
    {
    }
    ~DcStateGuard()
    {
        SelectObject(m_dc, m_font);
        SetTextColor(m_dc, m_textColor);
        SetBkMode(m_dc, m_bkMode);
        SetTextAlign(m_dc, m_align);
    }
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;

    COLORREF TextColor() const { return m_textColor; }

private:
    HDC m_dc;
    HGDIOBJ m_font;
    COLORREF m_textColor;
    int m_bkMode;
    UINT m_align;
};

struct Metrics
{
    int ascent = 0;
    int descent = 0;
    int space = 0; // width of a blank
};

bool SameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// The fonts of a document's styles, derived from the DC's own font. A few stay alive; selecting
// a style creates its font when needed, selects it into the DC and answers its metrics.
// Destroy it only after the DC has its own font back (declare it before the DcStateGuard).
class FontCache
{
public:
    FontCache(HDC dc, const Document& doc) : m_dc(dc), m_doc(doc), m_metrics(doc.styles.size())
    {
        if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(m_base), &m_base) != sizeof(m_base))
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(m_base), &m_base);
        m_base.lfFaceName[LF_FACESIZE - 1] = L'\0';
        m_base.lfEscapement = 0;
        m_base.lfOrientation = 0;
    }
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The style's metrics; the DC's font changes only the first time a style is asked about.
    const Metrics& MetricsOf(int style)
    {
        return m_metrics[style] ? *m_metrics[style] : Select(style);
    }

    const Metrics& Select(int style)
    {
        SelectFont(FontOf(style));
        auto& metrics = m_metrics[style];
        if (!metrics)
        {
            Metrics m;
            TEXTMETRICW tm{};
            if (GetTextMetricsW(m_dc, &tm))
            {
                m.ascent = tm.tmAscent;
                m.descent = tm.tmDescent;
            }
            SIZE blank{};
            if (GetTextExtentPoint32W(m_dc, L" ", 1, &blank))
                m.space = blank.cx;
            metrics = m;
        }
        return *metrics;
    }

private:
    struct Entry
    {
        LOGFONTW font;
        UniqueFont handle;
        unsigned lastUse;
    };

    LOGFONTW FontOf(int style) const
    {
        const Style& s = m_doc.styles[style];
        LOGFONTW font = m_base;
        if (!s.face.empty())
        {
            const size_t length = std::min<size_t>(s.face.size(), LF_FACESIZE - 1);
            std::copy_n(s.face.c_str(), length, font.lfFaceName);
            font.lfFaceName[length] = L'\0';
        }
        if (s.height != 0)
        {
            font.lfHeight = s.height;
            font.lfWidth = 0;
        }
        if (s.bold)
            font.lfWeight = std::max<LONG>(font.lfWeight, FW_BOLD);
        if (s.italic)
            font.lfItalic = TRUE;
        if (s.underline)
            font.lfUnderline = TRUE;
        return font;
    }

    void SelectFont(const LOGFONTW& font)
    {
        ++m_clock;
        for (auto& entry : m_live)
            if (SameFont(entry.font, font))
            {
                entry.lastUse = m_clock;
                SelectObject(m_dc, entry.handle.get());
                return;
            }
        UniqueFont handle(CreateFontIndirectW(&font));
        if (!handle)
        {
            SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
            return;
        }
        SelectObject(m_dc, handle.get());
        // The new font is selected now, so the least recently used one can go.
        if (m_live.size() >= kLiveFonts)
            m_live.erase(std::min_element(m_live.begin(), m_live.end(),
                                          [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; }));
        m_live.push_back(Entry{font, std::move(handle), m_clock});
    }

    HDC m_dc;
    const Document& m_doc;
    LOGFONTW m_base{};
    std::vector<std::optional<Metrics>> m_metrics;
    std::vector<Entry> m_live;
    unsigned m_clock = 0;
};

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The advance of every character of the Text runs, as the run's font measures it. Runs are
// measured in order as the layout reaches them, so drawing stops measuring below the rectangle.
class Advances
{
public:
    Advances(FontCache& fonts, HDC dc, const Document& doc) : m_fonts(fonts), m_dc(dc), m_doc(doc)
    {
        m_offset.reserve(doc.runs.size());
    }

    // Measures the runs before `end` not measured yet.
    void MeasureUpTo(size_t end)
    {
        while (m_offset.size() < end)
        {
            const Run& run = m_doc.runs[m_offset.size()];
            m_offset.push_back(m_values.size());
            if (run.kind == RunKind::Text)
                MeasureRun(run);
        }
    }

    // The advances of a measured run.
    const int* Of(size_t run) const { return m_values.data() + m_offset[run]; }

private:
    void MeasureRun(const Run& run)
    {
        m_fonts.Select(run.style);
        const wchar_t* text = run.text.c_str();
        const int length = static_cast<int>(run.text.size());
        for (int start = 0; start < length;)
        {
            int count = std::min(kExtentChunk, length - start);
            // Never split a surrogate pair between two calls.
            if (start + count < length && count > 1 && IsHighSurrogate(text[start + count - 1]) &&
                IsLowSurrogate(text[start + count]))
                --count;
            m_extents.assign(count, 0);
            SIZE size{};
            if (!GetTextExtentExPointW(m_dc, text + start, count, 0, nullptr, m_extents.data(), &size))
                m_extents.assign(count, 0);
            int previous = 0;
            for (int i = 0; i < count; ++i)
            {
                m_values.push_back(std::max(0, m_extents[i] - previous));
                previous = std::max(previous, m_extents[i]);
            }
            start += count;
        }
    }

    FontCache& m_fonts;
    HDC m_dc;
    const Document& m_doc;
    std::vector<int> m_values;
    std::vector<size_t> m_offset; // per measured run: index of its first character in m_values
    std::vector<int> m_extents;
};

struct Fragment
{
    size_t run;
    int start;
    int length;
    int x;
};

struct Line
{
    int top;
    int ascent;
    int descent;
    size_t first; // first fragment
    size_t count;
};

struct Layout
{
    std::vector<Line> lines;
    std::vector<Fragment> fragments;
    int height = 0;
};

// Fills lines word by word: a word that does not fit goes to the next line, and a word wider than
// the whole line is broken between characters (never inside a surrogate pair).
class LineBuilder
{
public:
    // Lines starting at or below `stopAt` are not laid out.
    LineBuilder(FontCache& fonts, const Document& doc, Advances& advances, int width, int stopAt)
        : m_fonts(fonts), m_doc(doc), m_advances(advances), m_width(width), m_stopAt(stopAt)
    {
    }

    Layout Build()
    {
        const auto& runs = m_doc.runs;
        for (size_t i = 0; i < runs.size() && m_y < m_stopAt;)
        {
            const Run& run = runs[i];
            switch (run.kind)
            {
            case RunKind::Text:
            {
                size_t end = i;
                while (end < runs.size() && runs[end].kind == RunKind::Text)
                    ++end;
                m_advances.MeasureUpTo(end);
                Word(i, end);
                i = end;
                continue;
            }
            case RunKind::Space:
                m_pendingSpace = run.style;
                break;
            case RunKind::Break:
                if (m_lineHasText)
                    EndLine();
                else
                    EmptyLine(run.style);
                m_pendingSpace = -1;
                break;
            case RunKind::Paragraph:
            case RunKind::LineEnd:
                if (m_lineHasText)
                    EndLine();
                if (run.kind == RunKind::Paragraph)
                    m_paragraphStyle = run.style;
                m_pendingSpace = -1;
                break;
            }
            ++i;
        }
        if (m_lineHasText)
            EndLine();
        m_layout.height = m_y;
        return std::move(m_layout);
    }

private:
    long long Width(size_t run) const
    {
        const int* advance = m_advances.Of(run);
        long long width = 0;
        for (size_t i = 0; i < m_doc.runs[run].text.size(); ++i)
            width += advance[i];
        return width;
    }

    void Word(size_t first, size_t end)
    {
        if (m_paragraphStyle >= 0 && !m_layout.lines.empty())
            EmptyLine(m_paragraphStyle);
        m_paragraphStyle = -1;

        long long width = 0;
        for (size_t run = first; run < end; ++run)
            width += Width(run);
        int space = 0;
        if (m_lineHasText && m_pendingSpace >= 0)
            space = m_fonts.MetricsOf(m_pendingSpace).space;
        m_pendingSpace = -1;
        if (m_lineHasText && m_x + space + width > m_width)
        {
            EndLine();
            space = 0;
        }
        m_x += space;
        if (m_x + width <= m_width)
        {
            for (size_t run = first; run < end; ++run)
                Place(run, 0, static_cast<int>(m_doc.runs[run].text.size()), static_cast<int>(Width(run)));
            return;
        }
        for (size_t run = first; run < end; ++run)
            BreakRun(run);
    }

    void BreakRun(size_t run)
    {
        const std::wstring& text = m_doc.runs[run].text;
        const int* advance = m_advances.Of(run);
        const int length = static_cast<int>(text.size());
        for (int i = 0; i < length && m_y < m_stopAt;)
        {
            const int unit = i + 1 < length && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]) ? 2 : 1;
            const int width = unit == 2 ? advance[i] + advance[i + 1] : advance[i];
            if (m_lineHasText && static_cast<long long>(m_x) + width > m_width)
                EndLine();
            Place(run, i, unit, width);
            i += unit;
        }
    }

    void Place(size_t run, int start, int length, int width)
    {
        const Metrics& metrics = m_fonts.MetricsOf(m_doc.runs[run].style);
        m_ascent = std::max(m_ascent, metrics.ascent);
        m_descent = std::max(m_descent, metrics.descent);
        auto& fragments = m_layout.fragments;
        if (m_lineHasText && fragments.back().run == run && fragments.back().start + fragments.back().length == start)
            fragments.back().length += length;
        else
            fragments.push_back(Fragment{run, start, length, m_x});
        m_x += width;
        m_lineHasText = true;
    }

    void EndLine()
    {
        const size_t count = m_layout.fragments.size() - m_lineFirst;
        m_layout.lines.push_back(Line{m_y, m_ascent, m_descent, m_lineFirst, count});
        m_y = AddHeight(m_y, m_ascent + m_descent);
        m_lineFirst = m_layout.fragments.size();
        m_x = 0;
        m_ascent = m_descent = 0;
        m_lineHasText = false;
    }

    void EmptyLine(int style)
    {
        const Metrics& metrics = m_fonts.MetricsOf(style);
        m_ascent = metrics.ascent;
        m_descent = metrics.descent;
        EndLine();
    }

    static int AddHeight(int y, int height) { return y > INT_MAX - height ? INT_MAX : y + height; }

    FontCache& m_fonts;
    const Document& m_doc;
    Advances& m_advances;
    const long long m_width;
    const int m_stopAt;
    Layout m_layout;
    int m_x = 0;
    int m_y = 0;
    int m_ascent = 0;
    int m_descent = 0;
    bool m_lineHasText = false;
    size_t m_lineFirst = 0;
    int m_pendingSpace = -1;   // style of the blank before the next word, or -1
    int m_paragraphStyle = -1; // style of the empty line a paragraph leaves before the next word, or -1
};

int LogPixelsY(HDC dc)
{
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int MeasureHeight(HDC dc, const wchar_t* html, int width)
{
    const Document doc = Parse(html, LogPixelsY(dc));
    FontCache fonts(dc, doc);
    DcStateGuard state(dc);
    Advances advances(fonts, dc, doc);
    return LineBuilder(fonts, doc, advances, width, INT_MAX).Build().height;
}

void Draw(HDC dc, const wchar_t* html, const RECT& rect, bool transparent)
{
    if (!transparent)
    {
        UniqueBrush background(CreateSolidBrush(GetBkColor(dc)));
        if (background)
            FillRect(dc, &rect, background.get());
    }
    auto extent = [](LONG from, LONG to) { return static_cast<int>(std::min<long long>(0LL + to - from, kMaxExtent)); };
    const int width = extent(rect.left, rect.right);
    const int height = extent(rect.top, rect.bottom);
    if (width <= 0 || height <= 0 || std::abs(0LL + rect.left) > kMaxExtent || std::abs(0LL + rect.top) > kMaxExtent)
        return;

    const Document doc = Parse(html, LogPixelsY(dc));
    FontCache fonts(dc, doc);
    DcStateGuard state(dc);
    Advances advances(fonts, dc, doc);
    const Layout layout = LineBuilder(fonts, doc, advances, width, height).Build();

    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    COLORREF color = CLR_INVALID;
    int selected = -1;
    for (const Line& line : layout.lines)
    {
        if (line.top >= height)
            break;
        const int baseline = rect.top + line.top + line.ascent;
        for (size_t f = line.first; f < line.first + line.count; ++f)
        {
            const Fragment& fragment = layout.fragments[f];
            const Run& run = doc.runs[fragment.run];
            if (run.style != selected)
                fonts.Select(selected = run.style);
            const COLORREF wanted = doc.styles[run.style].color != CLR_INVALID ? doc.styles[run.style].color
                                                                                : state.TextColor();
            if (wanted != color)
                SetTextColor(dc, color = wanted);
            // The advances measured are the advances drawn, so the text lands where the layout put it.
            ExtTextOutW(dc, rect.left + fragment.x, baseline, ETO_CLIPPED, &rect, run.text.c_str() + fragment.start,
                        fragment.length, const_cast<INT*>(advances.Of(fragment.run) + fragment.start));
        }
    }
}

} // namespace qmnhtm
