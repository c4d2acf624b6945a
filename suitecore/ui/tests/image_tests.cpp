// GDI+ images from resources and files: sizes and pixels, failures that leave nothing behind,
// and copies that each own their image.
#include <suitecore/ui/gdiplus_bitmap.h>

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <objbase.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "ui_prims_ids.h"

namespace
{
const unsigned kBackground = 0x336699;

HMODULE SuiteCore() { return GetModuleHandleW(L"suitecore.dll"); }

// The image drawn at its own size on a plain background.
testsupport::Capture Draw(const CGdiPlusBitmap& image)
{
    if (!image.m_pBitmap)
        return {};
    const int width = static_cast<int>(image.m_pBitmap->GetWidth());
    const int height = static_cast<int>(image.m_pBitmap->GetHeight());
    testsupport::PaintSurface surface(width, height, kBackground);
    {
        Gdiplus::Graphics graphics(surface.Dc());
        graphics.DrawImage(image.m_pBitmap, 0, 0, width, height);
    }
    return surface.Pixels();
}

// Pixels equal to the PNG resource's own, composed over the same background.
void ExpectPicture(const CGdiPlusBitmap& image, HMODULE module, UINT id)
{
    const testsupport::Capture expected = testsupport::LoadPngPixels(module, id, kBackground);
    ASSERT_GT(expected.width, 0);
    const testsupport::Capture drawn = Draw(image);
    ASSERT_EQ(expected.width, drawn.width);
    ASSERT_EQ(expected.height, drawn.height);
    EXPECT_EQ("", testsupport::CompareRegion(drawn, 0, 0, expected, {}, 2));
}

std::string ResourceBytes(HMODULE module, UINT id, LPCWSTR type)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

class GdiPlusImages : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_gdiplus.Started()); }
    CGdiPlusToken m_gdiplus;
};
} // namespace

TEST_F(GdiPlusImages, PngLoadsFromResourcesAndFilesWithItsSizeAndPixels)
{
    HMODULE self = GetModuleHandleW(nullptr);
    struct Case
    {
        const char* how;
        std::function<bool(CGdiPlusBitmapResource&)> load;
        HMODULE module;
        UINT id;
    } cases[] = {
        {"id, type name", [](auto& b) { return b.LoadFromResource(1348, L"PNG", SuiteCore()); }, SuiteCore(), 1348},
        {"name, type name", [](auto& b) { return b.LoadFromResource(MAKEINTRESOURCEW(1353), L"PNG", SuiteCore()); },
         SuiteCore(), 1353},
        {"id, type id", [&](auto& b) { return b.LoadFromResource(IDP_TEST_PNG_RCDATA, 10u, self); }, self, IDP_TEST_PNG},
        // No module: the framework's search finds the library's picture.
        {"resource search", [](auto& b) { return b.LoadFromResource(1352, L"PNG"); }, SuiteCore(), 1352},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.how);
        CGdiPlusBitmapResource image;
        ASSERT_TRUE(c.load(image));
        ASSERT_NE(nullptr, image.m_hBuffer);
        ExpectPicture(image, c.module, c.id);
    }
    // The constructors load the same way.
    ExpectPicture(CGdiPlusBitmapResource(1348, L"PNG", SuiteCore()), SuiteCore(), 1348);
    ExpectPicture(CGdiPlusBitmapResource(MAKEINTRESOURCEW(IDP_TEST_PNG), L"PNG"), self, IDP_TEST_PNG);
    ExpectPicture(CGdiPlusBitmapResource(IDP_TEST_PNG_RCDATA, 10u, self), self, IDP_TEST_PNG);

    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"picture.png");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, ResourceBytes(SuiteCore(), 1353, L"PNG")));
    CGdiPlusBitmap fromFile(path.c_str());
    ExpectPicture(fromFile, SuiteCore(), 1353);
    CGdiPlusBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    ExpectPicture(loaded, SuiteCore(), 1353);
}

TEST_F(GdiPlusImages, FailedLoadsLeaveTheObjectEmptyAndHoldNoMemory)
{
    HMODULE self = GetModuleHandleW(nullptr);
    struct Case
    {
        const char* what;
        UINT id;
        LPCWSTR type;
        HMODULE module;
    } cases[] = {
        {"missing resource", 31999, L"PNG", self},
        {"missing type", IDP_TEST_PNG, L"GIF", self},
        {"bytes that are no image", IDP_NOT_AN_IMAGE, L"PNG", self},
        {"missing in the search", 31999, L"PNG", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CGdiPlusBitmapResource image(IDP_TEST_PNG, L"PNG", self); // a good image first
        ASSERT_NE(nullptr, image.m_pBitmap);
        EXPECT_FALSE(image.LoadFromResource(c.id, c.type, c.module));
        EXPECT_EQ(nullptr, image.m_pBitmap);
        EXPECT_EQ(nullptr, image.m_hBuffer);
        CGdiPlusBitmapResource constructed(c.id, c.type, c.module);
        EXPECT_EQ(nullptr, constructed.m_pBitmap);
        EXPECT_EQ(nullptr, constructed.m_hBuffer);
    }

    testsupport::TempDir dir;
    const std::wstring junk = dir.File(L"junk.png");
    ASSERT_TRUE(testsupport::WriteFileBytes(junk, ResourceBytes(self, IDP_NOT_AN_IMAGE, L"PNG")));
    for (const std::wstring& path : {junk, dir.File(L"missing.png")})
    {
        CGdiPlusBitmap image(path.c_str());
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_FALSE(image.LoadFromFile(path.c_str()));
        EXPECT_EQ(nullptr, image.m_pBitmap);
    }
}

// Copies by value, into a growing array and by assignment: each draws the picture after the
// original is gone, and destroying them all frees every image once (run once more under
// Wine's heap checks).
TEST_F(GdiPlusImages, CopiesOwnTheirImagesAndOutliveTheOriginal)
{
    HMODULE self = GetModuleHandleW(nullptr);
    std::vector<CGdiPlusBitmapResource> grown;
    std::vector<CGdiPlusBitmap> files;
    auto original = std::make_unique<CGdiPlusBitmapResource>(IDP_TEST_PNG, L"PNG", self);
    CGdiPlusBitmapResource byValue(*original);
    CGdiPlusBitmapResource assigned(1348, L"PNG", SuiteCore()); // holds another image before
    assigned = *original;
    assigned = assigned;
    CGdiPlusBitmapResource assignedEmpty;
    assignedEmpty = *original;
    for (int i = 0; i < 12; ++i)
        grown.push_back(*original); // the array moves its items as it grows

    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"picture.png");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, ResourceBytes(self, IDP_TEST_PNG, L"PNG")));
    auto fileOriginal = std::make_unique<CGdiPlusBitmap>(path.c_str());
    ASSERT_FALSE(fileOriginal->IsEmpty());
    CGdiPlusBitmap fileCopy(*fileOriginal);
    CGdiPlusBitmap fileAssigned;
    fileAssigned = *fileOriginal;
    for (int i = 0; i < 6; ++i)
        files.push_back(*fileOriginal);
    // A resource image copied as a plain image.
    CGdiPlusBitmap sliced(*original);

    EXPECT_NE(original->m_pBitmap, byValue.m_pBitmap);
    EXPECT_NE(original->m_hBuffer, byValue.m_hBuffer);
    original.reset();
    fileOriginal.reset();

    const std::vector<const CGdiPlusBitmap*> copies = {&byValue, &assigned, &assignedEmpty, &fileCopy, &fileAssigned, &sliced};
    for (const CGdiPlusBitmap* copy : copies)
        ExpectPicture(*copy, self, IDP_TEST_PNG);
    for (const auto& copy : grown)
        ExpectPicture(copy, self, IDP_TEST_PNG);
    for (const auto& copy : files)
        ExpectPicture(copy, self, IDP_TEST_PNG);

    // An empty object copies as empty.
    CGdiPlusBitmapResource empty;
    CGdiPlusBitmapResource emptyCopy(empty);
    EXPECT_EQ(nullptr, emptyCopy.m_pBitmap);
    EXPECT_EQ(nullptr, emptyCopy.m_hBuffer);
}
