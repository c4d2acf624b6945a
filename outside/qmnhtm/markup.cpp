#include "markup.h"

#include <cwctype>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>

namespace qmnhtm
{
namespace
{

constexpr size_t kMaxFaceLength = LF_FACESIZE - 1;
constexpr int kMaxPoints = 200;
constexpr int kMaxPixels = 400;
constexpr size_t kMaxEntityLength = 12; // "&#x10FFFF;" and the named ones fit
constexpr wchar_t kReplacement = 0xFFFD;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'\v';
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int HexValue(wchar_t c)
{
    if (IsDigit(c))
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return out;
}

// One attribute of a tag: name in lower case, value as written (quotes removed).
struct Attribute
{
    std::wstring name;
    std::wstring value;
};

struct Tag
{
    std::wstring name; // lower case
    bool closing = false;
    std::vector<Attribute> attributes;
};

// Parses the text between '<' and '>'.
Tag ParseTag(std::wstring_view body)
{
    Tag tag;
    size_t i = 0;
    if (i < body.size() && body[i] == L'/')
    {
        tag.closing = true;
        ++i;
    }
    size_t start = i;
    while (i < body.size() && (IsAsciiLetter(body[i]) || IsDigit(body[i])))
        ++i;
    tag.name = Lower(body.substr(start, i - start));
    while (i < body.size())
    {
        while (i < body.size() && (IsBlank(body[i]) || body[i] == L'/'))
            ++i;
        start = i;
        while (i < body.size() && !IsBlank(body[i]) && body[i] != L'=' && body[i] != L'/')
            ++i;
        if (i == start)
        {
            ++i; // a stray character where a name should be
            continue;
        }
        Attribute attribute{Lower(body.substr(start, i - start)), {}};
        while (i < body.size() && IsBlank(body[i]))
            ++i;
        if (i < body.size() && body[i] == L'=')
        {
            ++i;
            while (i < body.size() && IsBlank(body[i]))
                ++i;
            if (i < body.size() && (body[i] == L'"' || body[i] == L'\''))
            {
                const wchar_t quote = body[i++];
                start = i;
                while (i < body.size() && body[i] != quote)
                    ++i;
                attribute.value = body.substr(start, i - start);
                if (i < body.size())
                    ++i;
            }
            else
            {
                start = i;
                while (i < body.size() && !IsBlank(body[i]))
                    ++i;
                attribute.value = body.substr(start, i - start);
            }
        }
        tag.attributes.push_back(std::move(attribute));
    }
    return tag;
}

// A whole number of at most six digits at the start of the text; the rest must match `suffix`.
std::optional<int> SmallNumber(std::wstring_view text, std::wstring_view suffix)
{
    size_t i = 0;
    int value = 0;
    while (i < text.size() && IsDigit(text[i]) && i < 6)
        value = value * 10 + (text[i++] - L'0');
    if (i == 0 || Lower(text.substr(i)) != suffix)
        return std::nullopt;
    return value;
}

// "9pt" in points, "12px" in pixels, 1 to 7 on the usual scale, "+1" and "-2" relative to 3.
std::optional<int> FontHeight(std::wstring_view size, int logPixelsY)
{
    static constexpr int kScalePoints[] = {8, 10, 12, 14, 18, 24, 36};
    while (!size.empty() && IsBlank(size.front()))
        size.remove_prefix(1);
    while (!size.empty() && IsBlank(size.back()))
        size.remove_suffix(1);
    if (size.empty())
        return std::nullopt;
    auto points = [&](int pt) { return -MulDiv(pt, logPixelsY, 72); };
    if (size[0] == L'+' || size[0] == L'-')
    {
        const auto step = SmallNumber(size.substr(1), L"");
        if (!step)
            return std::nullopt;
        int index = 3 + (size[0] == L'+' ? *step : -*step);
        index = index < 1 ? 1 : (index > 7 ? 7 : index);
        return points(kScalePoints[index - 1]);
    }
    if (const auto pt = SmallNumber(size, L"pt"))
        return *pt >= 1 && *pt <= kMaxPoints ? std::optional<int>(points(*pt)) : std::nullopt;
    if (const auto px = SmallNumber(size, L"px"))
        return *px >= 1 && *px <= kMaxPixels ? std::optional<int>(-*px) : std::nullopt;
    if (const auto step = SmallNumber(size, L""))
        return *step >= 1 && *step <= 7 ? std::optional<int>(points(kScalePoints[*step - 1])) : std::nullopt;
    return std::nullopt;
}

// "#rrggbb", "rrggbb", "#rgb" or one of the sixteen basic colour names.
std::optional<COLORREF> Color(std::wstring_view text)
{
    static const std::map<std::wstring, COLORREF> kNames = {
        {L"black", RGB(0, 0, 0)},         {L"silver", RGB(192, 192, 192)}, {L"gray", RGB(128, 128, 128)},
        {L"grey", RGB(128, 128, 128)},    {L"white", RGB(255, 255, 255)},  {L"maroon", RGB(128, 0, 0)},
        {L"red", RGB(255, 0, 0)},         {L"purple", RGB(128, 0, 128)},   {L"fuchsia", RGB(255, 0, 255)},
        {L"green", RGB(0, 128, 0)},       {L"lime", RGB(0, 255, 0)},       {L"olive", RGB(128, 128, 0)},
        {L"yellow", RGB(255, 255, 0)},    {L"navy", RGB(0, 0, 128)},       {L"blue", RGB(0, 0, 255)},
        {L"teal", RGB(0, 128, 128)},      {L"aqua", RGB(0, 255, 255)},
    };
    if (const auto named = kNames.find(Lower(text)); named != kNames.end())
        return named->second;
    if (!text.empty() && text[0] == L'#')
        text.remove_prefix(1);
    if (text.size() != 6 && text.size() != 3)
        return std::nullopt;
    int digits[6];
    for (size_t i = 0; i < text.size(); ++i)
        if ((digits[i] = HexValue(text[i])) < 0)
            return std::nullopt;
    if (text.size() == 3)
        return RGB(digits[0] * 17, digits[1] * 17, digits[2] * 17);
    return RGB(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

// Appends one code point as UTF-16; code points that cannot be written become U+FFFD.
void AppendCodePoint(std::wstring& out, unsigned long cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        out += kReplacement;
    else if (cp >= 0x10000)
    {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
    else
        out += static_cast<wchar_t>(cp);
}

// The character(s) of the entity between '&' and ';', or nothing when it is not one.
std::optional<std::wstring> Entity(std::wstring_view name)
{
    static const std::map<std::wstring, wchar_t> kNamed = {
        {L"lt", L'<'}, {L"gt", L'>'}, {L"amp", L'&'}, {L"quot", L'"'}, {L"nbsp", 0x00A0}, {L"apos", L'\''},
    };
    if (name.size() >= 2 && name[0] == L'#')
    {
        const bool hex = name[1] == L'x' || name[1] == L'X';
        std::wstring_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return std::nullopt;
        unsigned long cp = 0;
        for (wchar_t c : digits)
        {
            const int d = hex ? HexValue(c) : (IsDigit(c) ? c - L'0' : -1);
            if (d < 0)
                return std::nullopt;
            cp = cp * (hex ? 16 : 10) + d;
            if (cp > 0x10FFFF)
                cp = 0x110000; // stays out of range however many digits follow
        }
        std::wstring out;
        AppendCodePoint(out, cp);
        return out;
    }
    if (const auto named = kNamed.find(Lower(name)); named != kNamed.end())
        return std::wstring(1, named->second);
    return std::nullopt;
}

// The parser's state: the open font tags, the depth of b/i/u, and the runs so far.
class Builder
{
public:
    explicit Builder(int logPixelsY) : m_logPixelsY(logPixelsY) { m_doc.styles.push_back(Style{}); }

    void Text(std::wstring_view text)
    {
        const int style = CurrentStyle();
        if (m_doc.runs.empty() || m_doc.runs.back().kind != RunKind::Text || m_doc.runs.back().style != style)
            m_doc.runs.push_back(Run{RunKind::Text, style, {}});
        m_doc.runs.back().text += text;
    }

    void Blank()
    {
        if (m_doc.runs.empty() || m_doc.runs.back().kind != RunKind::Space)
            m_doc.runs.push_back(Run{RunKind::Space, CurrentStyle(), {}});
    }

    void Apply(const Tag& tag)
    {
        m_current = -1;
        if (tag.name == L"br")
            m_doc.runs.push_back(Run{RunKind::Break, CurrentStyle(), {}});
        else if (tag.name == L"p")
            m_doc.runs.push_back(Run{tag.closing ? RunKind::LineEnd : RunKind::Paragraph, CurrentStyle(), {}});
        else if (tag.name == L"b" || tag.name == L"strong")
            Nest(m_bold, tag.closing);
        else if (tag.name == L"i" || tag.name == L"em")
            Nest(m_italic, tag.closing);
        else if (tag.name == L"u")
            Nest(m_underline, tag.closing);
        else if (tag.name == L"font")
            Font(tag);
    }

    Document Finish() { return std::move(m_doc); }

private:
    static void Nest(int& depth, bool closing)
    {
        if (!closing)
            ++depth;
        else if (depth > 0)
            --depth;
    }

    // An opening font tag with attributes opens a font; "</font>", and "<font>" without any
    // attribute, close the last one opened.
    void Font(const Tag& tag)
    {
        if (tag.closing || tag.attributes.empty())
        {
            if (!m_fonts.empty())
                m_fonts.pop_back();
            return;
        }
        Style font = m_fonts.empty() ? Style{} : m_fonts.back();
        for (const auto& attribute : tag.attributes)
        {
            if (attribute.name == L"face" && !attribute.value.empty())
                font.face = attribute.value.substr(0, kMaxFaceLength);
            else if (attribute.name == L"size")
            {
                if (const auto height = FontHeight(attribute.value, m_logPixelsY))
                    font.height = *height;
            }
            else if (attribute.name == L"color")
            {
                if (const auto color = Color(attribute.value))
                    font.color = *color;
            }
        }
        m_fonts.push_back(std::move(font));
    }

    int CurrentStyle()
    {
        if (m_current >= 0)
            return m_current;
        Style style = m_fonts.empty() ? Style{} : m_fonts.back();
        style.bold = m_bold > 0;
        style.italic = m_italic > 0;
        style.underline = m_underline > 0;
        auto key = std::make_tuple(style.face, style.height, style.color, style.bold, style.italic, style.underline);
        const auto [it, added] = m_index.emplace(std::move(key), static_cast<int>(m_doc.styles.size()));
        if (added)
            m_doc.styles.push_back(std::move(style));
        return m_current = it->second;
    }

    int m_logPixelsY;
    int m_current = -1; // the current style's index, -1 after a tag
    Document m_doc;
    std::vector<Style> m_fonts;
    int m_bold = 0;
    int m_italic = 0;
    int m_underline = 0;
    std::map<std::tuple<std::wstring, int, COLORREF, bool, bool, bool>, int> m_index{
        {{std::wstring(), 0, CLR_INVALID, false, false, false}, 0}};
};

// A tag starts with a letter, '/' and a letter, or '!' (comments and declarations, dropped), and
// ends at the next '>' before any other '<'. Returns the position of the '>', or npos when the '<'
// at `open` is text.
size_t TagEnd(std::wstring_view html, size_t open)
{
    const size_t first = open + 1;
    const bool starts = (first < html.size() && (IsAsciiLetter(html[first]) || html[first] == L'!')) ||
                        (first + 1 < html.size() && html[first] == L'/' && IsAsciiLetter(html[first + 1]));
    if (!starts)
        return std::wstring_view::npos;
    const size_t end = html.find_first_of(L"<>", first);
    return end != std::wstring_view::npos && html[end] == L'>' ? end : std::wstring_view::npos;
}

} // namespace

Document Parse(const wchar_t* html, int logPixelsY)
{
    const std::wstring_view text(html);
    Builder builder(logPixelsY);
    size_t i = 0;
    while (i < text.size())
    {
        const wchar_t c = text[i];
        if (IsBlank(c))
        {
            while (i < text.size() && IsBlank(text[i]))
                ++i;
            builder.Blank();
        }
        else if (c == L'<')
        {
            const size_t end = TagEnd(text, i);
            if (end == std::wstring_view::npos)
            {
                builder.Text(text.substr(i, 1));
                ++i;
                continue;
            }
            builder.Apply(ParseTag(text.substr(i + 1, end - i - 1)));
            i = end + 1;
        }
        else if (c == L'&')
        {
            const size_t semicolon = text.substr(i + 1, kMaxEntityLength).find(L';');
            const auto entity = semicolon == std::wstring_view::npos
                                    ? std::nullopt
                                    : Entity(text.substr(i + 1, semicolon));
            if (entity)
            {
                builder.Text(*entity);
                i += semicolon + 2;
            }
            else
            {
                builder.Text(text.substr(i, 1));
                ++i;
            }
        }
        else
        {
            size_t end = i;
            while (end < text.size() && !IsBlank(text[end]) && text[end] != L'<' && text[end] != L'&')
                ++end;
            builder.Text(text.substr(i, end - i));
            i = end;
        }
    }
    return builder.Finish();
}

} // namespace qmnhtm
