// SuiteDiag skin [MODULE]: the skin kit's pictures as the loaded suitecore.dll holds them (or
// another module file, read as data), one line per picture in the inventory's order:
//   bitmap 1109 6x36     png 1364 192x48     icon 1287 32x32     bitmap 1079 missing
// Sizes come from the resources' own headers: a bitmap's BITMAPINFOHEADER, a PNG's IHDR, and
// for icons and cursors the images their group directory lists (the largest is printed; an
// icon must hold exactly the sizes the inventory gives it). Exit 1 when a picture is missing
// or has another size than the inventory fixes.
#include "command.h"

#include <framework/handles.h>

#include <skin_inventory.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
using suitecore::SkinKind;
using suitecore::SkinPicture;

struct PictureSize
{
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

struct Bytes
{
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    HRSRC info = FindResourceW(module, name, type);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return {static_cast<const BYTE*>(data), SizeofResource(module, info)};
}

DWORD BigEndian32(const BYTE* p) { return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | p[3]; }

// The size in a PNG's IHDR chunk, which the format puts first.
std::optional<PictureSize> PngSize(Bytes bytes)
{
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size < 24 || memcmp(bytes.data, kSignature, 8) != 0 || memcmp(bytes.data + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return PictureSize{static_cast<int>(BigEndian32(bytes.data + 16)), static_cast<int>(BigEndian32(bytes.data + 20))};
}

// A DIB's size from its header (BITMAPINFOHEADER or the old BITMAPCOREHEADER); an icon or
// cursor image stores twice its height, the colour rows and the mask rows.
std::optional<PictureSize> DibSize(Bytes bytes, bool withMask)
{
    if (bytes.size >= sizeof(BITMAPCOREHEADER) &&
        reinterpret_cast<const BITMAPCOREHEADER*>(bytes.data)->bcSize == sizeof(BITMAPCOREHEADER))
    {
        const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(bytes.data);
        return PictureSize{core->bcWidth, withMask ? core->bcHeight / 2 : core->bcHeight};
    }
    if (bytes.size < sizeof(BITMAPINFOHEADER) ||
        reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data)->biSize < sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data);
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    return PictureSize{static_cast<int>(header->biWidth), withMask ? height / 2 : height};
}

// One image of an icon or cursor group: a DIB with its mask or a PNG; a cursor's image
// starts with its hot spot (two WORDs).
std::optional<PictureSize> GroupImageSize(HMODULE module, WORD id, bool cursor)
{
    Bytes bytes = ResourceBytes(module, MAKEINTRESOURCEW(id), cursor ? RT_CURSOR : RT_ICON);
    if (cursor)
    {
        if (bytes.size < 4)
            return std::nullopt;
        bytes.data += 4;
        bytes.size -= 4;
    }
    if (auto png = PngSize(bytes))
        return png;
    return DibSize(bytes, true);
}

#pragma pack(push, 2)
struct GroupHeader
{
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupEntry  // GRPICONDIRENTRY; a cursor's entry has the same layout and size
{
    BYTE bytes[12];
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupEntry) == 14);

// The sizes of every image the group lists, as the images' own headers give them.
std::optional<std::vector<PictureSize>> GroupSizes(HMODULE module, UINT id, bool cursor)
{
    const Bytes group = ResourceBytes(module, MAKEINTRESOURCEW(id), cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON);
    if (group.size < sizeof(GroupHeader))
        return std::nullopt;
    const auto* header = reinterpret_cast<const GroupHeader*>(group.data);
    if (header->count == 0 || group.size < sizeof(GroupHeader) + header->count * sizeof(GroupEntry))
        return std::nullopt;
    const auto* entries = reinterpret_cast<const GroupEntry*>(group.data + sizeof(GroupHeader));
    std::vector<PictureSize> sizes;
    for (WORD i = 0; i < header->count; ++i)
    {
        const auto size = GroupImageSize(module, entries[i].id, cursor);
        if (!size)
            return std::nullopt;
        sizes.push_back(*size);
    }
    return sizes;
}

LPCWSTR KindName(SkinKind kind)
{
    switch (kind)
    {
    case SkinKind::Bitmap:
        return L"bitmap";
    case SkinKind::Png:
        return L"png";
    case SkinKind::Icon:
        return L"icon";
    case SkinKind::Cursor:
        return L"cursor";
    }
    return L"?";
}

// Prints the picture's line; false (with the reason on stderr) when it does not match.
bool ReportPicture(HMODULE module, const SkinPicture& picture)
{
    const PictureSize wanted{picture.width, picture.height};
    std::optional<PictureSize> found;
    std::vector<PictureSize> images;
    switch (picture.kind)
    {
    case SkinKind::Bitmap:
        found = DibSize(ResourceBytes(module, MAKEINTRESOURCEW(picture.id), RT_BITMAP), false);
        break;
    case SkinKind::Png:
        found = PngSize(ResourceBytes(module, MAKEINTRESOURCEW(picture.id), L"PNG"));
        break;
    case SkinKind::Icon:
    case SkinKind::Cursor:
        if (auto sizes = GroupSizes(module, picture.id, picture.kind == SkinKind::Cursor))
        {
            images = *sizes;
            found = *std::max_element(images.begin(), images.end(), [](const PictureSize& a, const PictureSize& b) {
                return a.width * a.height < b.width * b.height;
            });
        }
        break;
    }
    const LPCWSTR kind = KindName(picture.kind);
    if (!found)
    {
        suitediag::OutFormat(L"%s %u missing\n", kind, picture.id);
        return false;
    }
    suitediag::OutFormat(L"%s %u %dx%d\n", kind, picture.id, found->width, found->height);
    if (!(*found == wanted))
    {
        suitediag::ErrFormat(L"SuiteDiag skin: %s %u is %dx%d; the kit gives it %dx%d\n", kind, picture.id,
                             found->width, found->height, picture.width, picture.height);
        return false;
    }
    if (picture.kind == SkinKind::Icon)
    {
        std::vector<PictureSize> expected{wanted};
        if (picture.smallIcon)
            expected.push_back({picture.smallIcon, picture.smallIcon});
        const auto bySide = [](const PictureSize& a, const PictureSize& b) { return a.width > b.width; };
        std::sort(images.begin(), images.end(), bySide);
        if (images != expected)
        {
            suitediag::ErrFormat(L"SuiteDiag skin: icon %u holds %u images, not the kit's sizes\n", picture.id,
                                 static_cast<unsigned>(images.size()));
            return false;
        }
    }
    return true;
}

int RunSkin(suitediag::Args& args)
{
    CUniqueLibrary file;
    HMODULE module = nullptr;
    if (!args.Empty())
    {
        const CString path = args.Next(L"MODULE");
        args.ExpectEnd();
        file.reset(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!file)
        {
            suitediag::ErrFormat(L"SuiteDiag skin: cannot open %s (error %lu)\n", path.GetString(), GetLastError());
            return 1;
        }
        module = file.get();
    }
    else
    {
        module = GetModuleHandleW(L"suitecore.dll");
        if (!module)
        {
            suitediag::ErrLine(L"SuiteDiag skin: suitecore.dll is not loaded");
            return 1;
        }
    }
    bool complete = true;
    for (const SkinPicture& picture : suitecore::kSkinInventory)
        complete = ReportPicture(module, picture) && complete;
    return complete ? 0 : 1;
}
} // namespace

SUITEDIAG_COMMAND(skin, L"skin", L"[MODULE]",
                  L"Lists the skin kit's pictures and their sizes in suitecore.dll (or MODULE)", RunSkin);
