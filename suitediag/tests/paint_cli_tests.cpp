// SuiteDiag paint: every painter name writes a 600 x 400 24-bit BMP with the panel where its
// fixed arguments put it.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}

// A 24-bit bottom-up BMP file as SuiteDiag writes it; 0x00RRGGBB pixels.
struct Bmp
{
    int width = 0, height = 0, bits = 0;
    std::string data;
    size_t offset = 0;

    unsigned At(int x, int y) const
    {
        const size_t row = static_cast<size_t>(height - 1 - y) * ((width * 3 + 3) & ~3);
        const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset + row + x * 3);
        return (p[2] << 16) | (p[1] << 8) | p[0];
    }
};

std::optional<Bmp> ReadBmp(const std::wstring& path)
{
    Bmp bmp;
    bmp.data = testsupport::ReadFileBytes(path);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (bmp.data.size() < sizeof file + sizeof info)
        return std::nullopt;
    memcpy(&file, bmp.data.data(), sizeof file);
    memcpy(&info, bmp.data.data() + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || file.bfSize != bmp.data.size() || info.biHeight <= 0 ||
        file.bfOffBits + static_cast<size_t>((info.biWidth * 3 + 3) & ~3) * info.biHeight != bmp.data.size())
        return std::nullopt;
    bmp.width = info.biWidth;
    bmp.height = info.biHeight;
    bmp.bits = info.biBitCount;
    bmp.offset = file.bfOffBits;
    return bmp;
}

constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kNotWhite = 0xFFFFFFFF; // any colour but white

struct Probe
{
    int x, y;
    unsigned colour;
};

const struct
{
    const wchar_t* name;
    Probe inside, outside;
} kPaintCases[] = {
    {L"round-panel", {160, 10, 0xDEDEDE}, {314, 100, kWhite}},
    {L"round-panel-flat", {100, 100, 0xFBFBFB}, {314, 100, kWhite}},
    {L"slice-bar", {557, 35, kNotWhite}, {558, 35, kWhite}},
    {L"slice-bar-alt", {557, 35, kNotWhite}, {558, 35, kWhite}},
    {L"slice-bar-wide", {309, 35, kNotWhite}, {310, 35, kWhite}},
    {L"header-panel", {300, 25, 0xE0F1F9}, {300, 150, kWhite}},
    {L"header-table", {300, 68, 0xEDEDED}, {300, 125, kWhite}},
    {L"icon-list", {280, 10, 0xDEDEDE}, {280, 150, kWhite}},
    {L"recommended-action", {280, 320, 0xDEDEDE}, {280, 319, kWhite}},
};
} // namespace

TEST(SuiteDiagPaint, EveryPainterWritesItsPicture)
{
    testsupport::TempDir dir;
    std::string previous;
    for (const auto& c : kPaintCases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.name));
        const std::wstring path = dir.File(std::wstring(c.name) + L".bmp");
        const auto r = SuiteDiag(std::wstring(L"paint ") + c.name + L" \"" + path + L"\"");
        ASSERT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(1, std::count(r.out.begin(), r.out.end(), '\n')) << r.out; // the arguments, one line
        const auto bmp = ReadBmp(path);
        ASSERT_TRUE(bmp.has_value());
        EXPECT_EQ(600, bmp->width);
        EXPECT_EQ(400, bmp->height);
        EXPECT_EQ(24, bmp->bits);
        for (const Probe& p : {c.inside, c.outside})
        {
            if (p.colour == kNotWhite)
                EXPECT_NE(kWhite, bmp->At(p.x, p.y)) << p.x << ", " << p.y;
            else
                EXPECT_EQ(p.colour, bmp->At(p.x, p.y)) << p.x << ", " << p.y;
        }
        EXPECT_NE(previous, bmp->data); // the normal and alternate bars differ too
        previous = bmp->data;
    }
}

TEST(SuiteDiagPaint, UnknownNamesAndUnwritableFilesFail)
{
    testsupport::TempDir dir;
    const auto unknown = SuiteDiag(L"paint round-panels \"" + dir.File(L"a.bmp") + L"\"");
    EXPECT_EQ(2u, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown painter \"round-panels\"")) << unknown.err;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"a.bmp").c_str()));
    EXPECT_EQ(2u, SuiteDiag(L"paint header-table").exitCode);

    const auto unwritable = SuiteDiag(L"paint header-table \"" + dir.File(L"missing\\a.bmp") + L"\"");
    EXPECT_EQ(1u, unwritable.exitCode);
    EXPECT_EQ("", unwritable.out);
    EXPECT_NE(std::string::npos, unwritable.err.find("cannot write")) << unwritable.err;
}
