// The reader of dialog templates.
#include "dialog_template.h"

#include <cstring>

namespace suitecore
{
namespace
{
// Reads little-endian fields front to back; once a read runs past the end, every later read
// gives zero and Ok() is false.
class Reader
{
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    template <class T>
    T Get()
    {
        T value{};
        if (m_ok && m_pos + sizeof(T) <= m_size)
            memcpy(&value, m_data + m_pos, sizeof(T));
        else
            m_ok = false;
        m_pos += sizeof(T);
        return value;
    }
    // A null-terminated UTF-16 string.
    std::wstring String()
    {
        std::wstring text;
        for (WCHAR c; m_ok && (c = Get<WCHAR>()) != 0;)
            text += c;
        return text;
    }
    // A name or ordinal field (menu, class, title): true when it names something.
    bool NameOrOrdinal()
    {
        const WORD first = Get<WORD>();
        if (first == 0)
            return false;
        if (first == 0xFFFF)
        {
            Get<WORD>();
            return true;
        }
        String();
        return true;
    }
    void Skip(size_t bytes) { m_pos += bytes; }
    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }
    bool Ok() const { return m_ok && m_pos <= m_size; }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

void ReadItem(Reader& in, bool extended, DialogTemplateItem& item)
{
    if (extended)
    {
        in.Get<DWORD>(); // help ID
        in.Get<DWORD>(); // extended style
        in.Get<DWORD>(); // style
    }
    else
    {
        in.Get<DWORD>(); // style
        in.Get<DWORD>(); // extended style
    }
    item.x = in.Get<short>();
    item.y = in.Get<short>();
    item.cx = in.Get<short>();
    item.cy = in.Get<short>();
    item.id = extended ? in.Get<DWORD>() : in.Get<WORD>();
    in.NameOrOrdinal(); // class
    in.NameOrOrdinal(); // title
    const WORD extra = in.Get<WORD>();
    in.Skip(extra);
}
} // namespace

std::optional<DialogTemplateInfo> ReadDialogTemplate(const void* data, size_t size)
{
    Reader in(static_cast<const BYTE*>(data), size);
    DialogTemplateInfo info;
    const WORD version = in.Get<WORD>();
    const WORD signature = in.Get<WORD>();
    info.extended = version == 1 && signature == 0xFFFF;
    WORD count = 0;
    if (info.extended)
    {
        in.Get<DWORD>(); // help ID
        info.exStyle = in.Get<DWORD>();
        info.style = in.Get<DWORD>();
    }
    else
    {
        Reader head(static_cast<const BYTE*>(data), size);
        info.style = head.Get<DWORD>();
        info.exStyle = head.Get<DWORD>();
        in = head;
    }
    count = in.Get<WORD>();
    in.Get<short>(); // x
    in.Get<short>(); // y
    info.cx = in.Get<short>();
    info.cy = in.Get<short>();
    info.hasMenu = in.NameOrOrdinal();
    in.NameOrOrdinal(); // class
    in.NameOrOrdinal(); // title
    if (info.style & DS_SETFONT)
    {
        info.hasFont = true;
        info.pointSize = in.Get<short>();
        if (info.extended)
        {
            info.weight = in.Get<WORD>();
            info.italic = in.Get<BYTE>();
            in.Get<BYTE>(); // character set
        }
        info.face = in.String();
    }
    if (!in.Ok())
        return std::nullopt;
    for (WORD i = 0; i < count; ++i)
    {
        in.AlignDword();
        DialogTemplateItem item;
        ReadItem(in, info.extended, item);
        if (!in.Ok())
            break;
        info.items.push_back(item);
    }
    return info;
}
} // namespace suitecore
