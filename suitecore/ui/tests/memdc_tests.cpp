// The memory DCs on DIB sections: what reaches the target, and when.
#include "test_dib.h"

#include <suitecore/ui/memdc.h>

#include <gtest/gtest.h>

namespace
{
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);

struct FillCase
{
    const char* name;
    RECT rect;   // passed to the memory DC
    RECT clip;   // clip region of the target; empty: none
    RECT filled; // where the target turns red
};

TEST(XTMemDC, FillsItsRectangleOrTheClipBoxAndCopiesItBack)
{
    const FillCase cases[] = {
        {"at the origin", {0, 0, 30, 20}, {}, {0, 0, 30, 20}},
        {"away from the origin", {10, 20, 40, 50}, {}, {10, 20, 40, 50}},
        {"empty rectangle takes the clip box", {}, {20, 30, 60, 70}, {20, 30, 60, 70}},
    };
    for (const FillCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestDib target(100, 100);
        if (!::IsRectEmpty(&c.clip))
        {
            HRGN region = ::CreateRectRgnIndirect(&c.clip);
            ::SelectClipRgn(target.Dc().GetSafeHdc(), region);
            ::DeleteObject(region);
        }
        {
            CXTMemDC mem(&target.Dc(), c.rect, kRed);
            ASSERT_TRUE(mem.IsValid());
        }
        ::SelectClipRgn(target.Dc().GetSafeHdc(), nullptr);
        const RECT& f = c.filled;
        const int area = (f.right - f.left) * (f.bottom - f.top);
        EXPECT_EQ(area, target.Count(f, kRed));
        EXPECT_EQ(100 * 100 - area, target.Count({0, 0, 100, 100}, kWhite));
    }
}

TEST(XTMemDC, NullTargetCreatesAndCopiesNothing)
{
    CXTMemDC mem(nullptr, RECT{0, 0, 10, 10}, kRed);
    EXPECT_FALSE(mem.IsValid());
    EXPECT_EQ(nullptr, mem.GetSafeHdc());
    EXPECT_EQ(nullptr, mem.GetBitmap().GetSafeHandle());
}

TEST(XTMemDC, DiscardLeavesTheTargetAndCopyFromTargetStartsFromIt)
{
    TestDib target(60, 60);
    target.Fill({15, 25, 16, 26}, kGreen);
    {
        CXTMemDC mem(&target.Dc(), RECT{10, 20, 50, 50}, kRed);
        mem.FillSolidRect(0, 0, 40, 30, RGB(0, 0, 255));
        mem.Discard();
        EXPECT_FALSE(mem.IsValid());
    }
    EXPECT_EQ(60 * 60 - 1, target.Count({0, 0, 60, 60}, kWhite));
    {
        CXTMemDC mem(&target.Dc(), RECT{10, 20, 50, 50}, kRed);
        mem.CopyFromTarget();
        mem.SetPixel(1, 1, kRed);
    }
    EXPECT_EQ(kGreen, target.At(15, 25));
    EXPECT_EQ(kRed, target.At(11, 21));
    EXPECT_EQ(60 * 60 - 2, target.Count({0, 0, 60, 60}, kWhite));
}

TEST(XTMemDC, TakesTheTargetsMappingMode)
{
    for (int mode : {MM_TEXT, MM_LOMETRIC, MM_ANISOTROPIC})
    {
        TestDib target(20, 20);
        target.Dc().SetMapMode(mode);
        CXTMemDC mem(&target.Dc(), RECT{0, 0, 20, 20}, kRed);
        EXPECT_EQ(mode, mem.GetMapMode());
        mem.Discard();
    }
}

TEST(BCMenuMemDC, DrawsInTargetCoordinates)
{
    TestDib target(100, 80);
    {
        const RECT rect{30, 40, 70, 60};
        BCMenuMemDC mem(&target.Dc(), &rect);
        EXPECT_NE(target.Dc().GetSafeHdc(), mem.GetSafeHdc());
        EXPECT_EQ(30, mem.GetWindowOrg().x);
        EXPECT_EQ(40, mem.GetWindowOrg().y);
        mem.FillSolidRect(&rect, kWhite);
        mem.FillSolidRect(30, 40, 10, 5, kRed);
        EXPECT_EQ(kWhite, target.At(30, 40)); // nothing before destruction
    }
    EXPECT_EQ(50, target.Count({30, 40, 40, 45}, kRed));
    EXPECT_EQ(100 * 80 - 50, target.Count({0, 0, 100, 80}, kWhite));
}

TEST(BCMenuMemDC, OnAPrintingDcDrawsStraightThroughAndKeepsTheHandles)
{
    TestDib target(40, 40);
    CDC printer;
    printer.Attach(target.Dc().GetSafeHdc());
    printer.m_bPrinting = TRUE;
    {
        const RECT rect{0, 0, 40, 40};
        BCMenuMemDC mem(&printer, &rect);
        EXPECT_EQ(printer.GetSafeHdc(), mem.GetSafeHdc());
        mem.FillSolidRect(5, 5, 2, 2, kRed);
        EXPECT_EQ(kRed, target.At(5, 5)); // already there
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(printer.GetSafeHdc()));
    EXPECT_EQ(target.Bitmap(), ::GetCurrentObject(printer.GetSafeHdc(), OBJ_BITMAP));
    printer.Detach();
    target.Fill({0, 0, 1, 1}, kGreen);
    EXPECT_EQ(kGreen, target.At(0, 0));
}
} // namespace
