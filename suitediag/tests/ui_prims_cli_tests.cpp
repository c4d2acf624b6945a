// SuiteDiag's shared-face and HTML commands: their output, their pictures and their errors.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}

struct Bmp
{
    int width = 0, height = 0;
    std::string bytes;
    size_t offset = 0;
    unsigned At(int x, int y) const // 0xRRGGBB, y from the top
    {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset +
                                                               (height - 1 - y) * stride + x * 3);
        return (p[2] << 16) | (p[1] << 8) | p[0];
    }
};

Bmp ReadBmp(const std::wstring& path)
{
    Bmp bmp;
    bmp.bytes = testsupport::ReadFileBytes(path);
    if (bmp.bytes.size() < 54 || bmp.bytes.compare(0, 2, "BM") != 0)
        return {};
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bmp.bytes.data() + sizeof(BITMAPFILEHEADER));
    if (info->biBitCount != 24 || info->biHeight <= 0)
        return {};
    bmp.width = info->biWidth;
    bmp.height = info->biHeight;
    bmp.offset = reinterpret_cast<const BITMAPFILEHEADER*>(bmp.bytes.data())->bfOffBits;
    return bmp;
}
} // namespace

TEST(SuiteDiagUiFace, PrintsTheChosenFace)
{
    const bool segoe = LOBYTE(LOWORD(GetVersion())) > 5; // this prefix has no Segoe UI file
    struct Case
    {
        std::wstring args;
        std::string out;
    } cases[] = {
        {L"ui-face", segoe ? "SEGOE UI\n" : "tahoma\n"},
        {L"ui-face --no-segoe", "tahoma\n"},
    };
    for (const Case& c : cases)
    {
        const auto r = SuiteDiag(c.args);
        EXPECT_EQ(0u, r.exitCode) << r.err;
        EXPECT_EQ(c.out, r.out) << testsupport::Utf8(c.args);
    }
    EXPECT_EQ(2u, SuiteDiag(L"ui-face --segoe").exitCode);
}

TEST(SuiteDiagHtml, MeasuresAndDrawsTheTextInsideTheMeasuredHeight)
{
    testsupport::TempDir dir;
    struct Case
    {
        const wchar_t* width;
        const wchar_t* text;
        bool transparent;
    } cases[] = {
        {L"351", L"Plain text in one line", false},
        {L"100", L"<b>Bold</b> words that wrap<br>after a break, at a narrow width", true},
        {L"351", L"<font face=\\\"Arial\\\" size=9pt>Tagged text<font>", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testsupport::Utf8(c.text));
        const auto measured = SuiteDiag(L"html-height " + std::wstring(c.width) + L" \"" + c.text + L"\"");
        ASSERT_EQ(0u, measured.exitCode) << measured.err;
        const int height = std::stoi(measured.out);
        ASSERT_GT(height, 0);

        const std::wstring path = dir.File(L"text.bmp");
        const auto drawn = SuiteDiag(L"html-render " + std::wstring(c.width) + L" \"" + c.text + L"\" \"" + path +
                                     L"\"" + (c.transparent ? L" --transparent" : L""));
        ASSERT_EQ(0u, drawn.exitCode) << drawn.err;
        EXPECT_EQ(measured.out, drawn.out);
        const Bmp bmp = ReadBmp(path);
        ASSERT_EQ(std::stoi(c.width), bmp.width);
        ASSERT_EQ(height + 10, bmp.height);
        const unsigned background = c.transparent ? 0xFF00FF : 0xFFFFFF;
        int lowest = -1;
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                if (bmp.At(x, y) != background)
                    lowest = y;
        EXPECT_GE(lowest, 0) << "nothing drawn";
        EXPECT_LT(lowest, height);
    }
}

TEST(SuiteDiagHtml, RejectsBadArguments)
{
    for (const wchar_t* args : {L"html-height 0 text", L"html-height wide text", L"html-height 100",
                                L"html-render 100 text", L"html-render -5 text out.bmp"})
        EXPECT_EQ(2u, SuiteDiag(args).exitCode) << testsupport::Utf8(args);
    testsupport::TempDir dir;
    const auto r = SuiteDiag(L"html-render 100 text \"" + dir.File(L"no\\such\\folder.bmp") + L"\"");
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE("", r.err);
}
