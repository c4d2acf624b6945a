// SuiteDiag skin: every picture of the kit is in suitecore.dll at the inventory's size, and a
// module that lacks pictures or holds one at another size fails.
#include <testsupport/testsupport.h>

#include <skin_inventory.h>

#include <gtest/gtest.h>

#include <sstream>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}

const char* KindName(suitecore::SkinKind kind)
{
    switch (kind)
    {
    case suitecore::SkinKind::Bitmap:
        return "bitmap";
    case suitecore::SkinKind::Png:
        return "png";
    case suitecore::SkinKind::Icon:
        return "icon";
    case suitecore::SkinKind::Cursor:
        return "cursor";
    }
    return "?";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

TEST(SuiteDiagSkin, ListsEveryPictureOfTheKitAtItsSize)
{
    const auto r = SuiteDiag(L"skin");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    const auto lines = Lines(r.out);
    ASSERT_EQ(std::size(suitecore::kSkinInventory), lines.size()) << r.out;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const auto& picture = suitecore::kSkinInventory[i];
        EXPECT_EQ(std::string(KindName(picture.kind)) + " " + std::to_string(picture.id) + " " +
                      std::to_string(picture.width) + "x" + std::to_string(picture.height),
                  lines[i]);
    }
}

// The resource-chain test program holds bitmap 1019 at 1 x 3 and icon 1287 with one 16 x 16
// image, and nothing else of the kit.
TEST(SuiteDiagSkin, AMissingPictureOrAnotherSizeFails)
{
    const auto r = SuiteDiag(L"skin \"" + testsupport::BinFolder() + L"\\resource_chain_tests.exe\"");
    EXPECT_EQ(1u, r.exitCode);
    const auto lines = Lines(r.out);
    ASSERT_EQ(std::size(suitecore::kSkinInventory), lines.size()) << r.out;
    EXPECT_EQ("bitmap 1019 1x3", lines[0]);
    EXPECT_EQ("bitmap 1023 missing", lines[1]);
    EXPECT_NE(std::string::npos, r.err.find("bitmap 1019 is 1x3; the kit gives it 3x52")) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\npng 1364 16x16\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("\nicon 1287 16x16\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("\ncursor 1228 missing\n")) << r.out;

    const auto absent = SuiteDiag(L"skin no-such-module.dll");
    EXPECT_EQ(1u, absent.exitCode);
    EXPECT_EQ("", absent.out);
    EXPECT_NE(std::string::npos, absent.err.find("cannot open no-such-module.dll")) << absent.err;
}
