// GDI wrappers, simple controls, CWnd's thin wrappers and the small utilities: address checks,
// dates and the typed containers.
#include <framework/collections.h>
#include <framework/controls.h>
#include <framework/datetime.h>
#include <framework/exception.h>
#include <framework/gdi.h>
#include <framework/handles.h>
#include <framework/memory.h>
#include <framework/window.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
// A 32-bit top-down DIB section selected into a memory DC, whose pixels the test reads.
class CDibCanvas
{
public:
    CDibCanvas(int cx, int cy, COLORREF crFill = RGB(255, 255, 255)) : m_cx(cx)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
        void* pBits = nullptr;
        EXPECT_TRUE(m_dc.CreateCompatibleDC(nullptr));
        EXPECT_TRUE(m_bitmap.Attach(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0)));
        m_pBits = static_cast<DWORD*>(pBits);
        m_hOld = m_dc.SelectObject(m_bitmap.m_hObject);
        m_dc.FillSolidRect(0, 0, cx, cy, crFill);
    }
    ~CDibCanvas() { m_dc.SelectObject(m_hOld); }
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    CDC& DC() { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_pBits[y * m_cx + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    CDC m_dc; // declared first: it dies after the bitmap is deselected and deleted
    CBitmap m_bitmap;
    DWORD* m_pBits = nullptr;
    HGDIOBJ m_hOld = nullptr;
    int m_cx;
};

// A bitmap of cx x cy filled by fill(x, y).
HBITMAP MakeBitmap(int cx, int cy, const std::function<COLORREF(int, int)>& fill)
{
    HDC hScreen = GetDC(nullptr);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, cx, cy);
    ReleaseDC(nullptr, hScreen);
    HDC hDC = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, hBitmap);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            SetPixel(hDC, x, y, fill(x, y));
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    return hBitmap;
}

// A STATIC window; hOwner is the owner of a pop-up and the parent of a child.
HWND MakePopup(const RECT& rect, DWORD dwStyle = WS_POPUP, HWND hOwner = nullptr)
{
    return CreateWindowExW(0, L"STATIC", L"", dwStyle, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, hOwner, nullptr, nullptr, nullptr);
}
} // namespace

// ---- Drawing objects ----

TEST(GdiObjectTest, AWrapperDeletesItsObjectAndDetachHandsItOver)
{
    struct Case
    {
        const char* name;
        std::function<BOOL(CGdiObject&)> create;
        UINT type;
    };
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    const Case cases[] = {
        {"pen", [](CGdiObject& o) { return static_cast<CPen&>(o).CreatePen(PS_SOLID, 2, RGB(1, 2, 3)); }, OBJ_PEN},
        {"brush", [](CGdiObject& o) { return static_cast<CBrush&>(o).CreateSolidBrush(RGB(4, 5, 6)); }, OBJ_BRUSH},
        {"font", [&](CGdiObject& o) { return static_cast<CFont&>(o).CreateFontIndirect(&lf); }, OBJ_FONT},
        {"bitmap", [](CGdiObject& o) { return static_cast<CBitmap&>(o).CreateBitmap(4, 4, 1, 32, nullptr); },
         OBJ_BITMAP},
        {"region", [](CGdiObject& o) { return static_cast<CRgn&>(o).CreateRoundRectRgn(0, 0, 9, 9, 4, 4); },
         OBJ_REGION},
    };
    const std::function<CGdiObject*()> makers[] = {[] { return new CPen; }, [] { return new CBrush; },
                                                   [] { return new CFont; }, [] { return new CBitmap; },
                                                   [] { return new CRgn; }};
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(cases[i].name);
        CGdiObject* pOwner = makers[i]();
        ASSERT_TRUE(cases[i].create(*pOwner));
        const HGDIOBJ hOwned = pOwner->m_hObject;
        EXPECT_EQ(cases[i].type, static_cast<UINT>(GetObjectType(hOwned)));
        EXPECT_EQ(pOwner, CGdiObject::FromHandle(hOwned)); // the attached object, not a temporary
        CGdiObject other;
        EXPECT_FALSE(other.Attach(hOwned)); // one owner only: no double deletion
        delete pOwner;
        EXPECT_EQ(0u, static_cast<UINT>(GetObjectType(hOwned)));

        CGdiObject* pGiver = makers[i]();
        ASSERT_TRUE(cases[i].create(*pGiver));
        const HGDIOBJ hGiven = pGiver->Detach();
        delete pGiver;
        EXPECT_EQ(cases[i].type, static_cast<UINT>(GetObjectType(hGiven)));
        CGdiObject taker;
        EXPECT_TRUE(taker.Attach(hGiven));
        EXPECT_TRUE(taker.DeleteObject());
        EXPECT_EQ(0u, static_cast<UINT>(GetObjectType(hGiven)));
    }
}

TEST(GdiObjectTest, TemporariesHaveTheHandlesKindAndNeverDeleteIt)
{
    const HGDIOBJ hPen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    const HGDIOBJ hRgn = CreateRectRgn(0, 0, 5, 5);
    CPen* pPen = CPen::FromHandle(static_cast<HPEN>(hPen));
    ASSERT_NE(nullptr, pPen);
    EXPECT_EQ(hPen, pPen->m_hObject);
    EXPECT_EQ(pPen, CGdiObject::FromHandle(hPen));
    EXPECT_NE(nullptr, CRgn::FromHandle(static_cast<HRGN>(hRgn)));
    EXPECT_EQ(nullptr, CBrush::FromHandle(static_cast<HBRUSH>(hPen))); // a pen is no brush
    EXPECT_EQ(nullptr, CGdiObject::FromHandle(nullptr));
    CWnd::DeleteTempMap(); // window and GDI temporaries go together
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(hPen));
    EXPECT_EQ(static_cast<DWORD>(OBJ_REGION), GetObjectType(hRgn));
    DeleteObject(hPen);
    DeleteObject(hRgn);
}

TEST(GdiObjectTest, RegionsCombineAndAnswerHitTests)
{
    CRgn round;
    ASSERT_TRUE(round.CreateRoundRectRgn(0, 0, 40, 40, 16, 16));
    EXPECT_FALSE(round.PtInRegion(0, 0)); // cut off by the corner
    EXPECT_TRUE(round.PtInRegion(20, 20));
    EXPECT_TRUE(round.PtInRegion(POINT{0, 20}));

    CRgn bar;
    ASSERT_TRUE(bar.CreateRectRgn(30, 10, 70, 20));
    CRgn both;
    EXPECT_EQ(ERROR, both.CombineRgn(&round, &bar, RGN_OR)); // nothing to combine into yet
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(COMPLEXREGION, both.CombineRgn(&round, &bar, RGN_OR));
    RECT box{};
    EXPECT_EQ(COMPLEXREGION, both.GetRgnBox(&box));
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(70, box.right);
    EXPECT_EQ(39, box.bottom); // a rounded region leaves out its right and bottom edges
    EXPECT_TRUE(both.PtInRegion(65, 15));
    EXPECT_EQ(COMPLEXREGION, both.CombineRgn(&both, &round, RGN_AND)); // in place
    EXPECT_FALSE(both.PtInRegion(65, 15));
    EXPECT_TRUE(both.PtInRegion(20, 20));
    CRgn copy;
    ASSERT_TRUE(copy.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(COMPLEXREGION, copy.CopyRgn(&round));
    EXPECT_TRUE(copy.EqualRgn(&round));
}

// ---- Device contexts ----

TEST(DeviceContextTest, SelectObjectAnswersThePreviousObject)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    const HGDIOBJ hStockBitmap = GetCurrentObject(dc, OBJ_BITMAP);
    CBitmap first, second;
    ASSERT_TRUE(first.CreateBitmap(2, 2, 1, 32, nullptr));
    ASSERT_TRUE(second.CreateBitmap(2, 2, 1, 32, nullptr));

    CBitmap* pOld = dc.SelectObject(&first);
    ASSERT_NE(nullptr, pOld);
    EXPECT_EQ(hStockBitmap, pOld->m_hObject); // a temporary for the DC's initial bitmap
    EXPECT_EQ(&first, dc.SelectObject(&second));
    EXPECT_EQ(&second, dc.GetCurrentBitmap());

    CPen pen(PS_SOLID, 1, RGB(200, 0, 0));
    CPen* pOldPen = dc.SelectObject(&pen);
    ASSERT_NE(nullptr, pOldPen);
    EXPECT_EQ(GetStockObject(BLACK_PEN), pOldPen->m_hObject);
    EXPECT_EQ(&pen, dc.SelectObject(pOldPen));
    CGdiObject* pOldBrush = dc.SelectStockObject(NULL_BRUSH);
    ASSERT_NE(nullptr, pOldBrush);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), pOldBrush->m_hObject);

    CRgn clip;
    ASSERT_TRUE(clip.CreateRectRgn(0, 0, 1, 1));
    EXPECT_EQ(SIMPLEREGION, dc.SelectObject(&clip));
    RECT box{};
    EXPECT_EQ(SIMPLEREGION, dc.GetClipBox(&box));
    EXPECT_EQ(1, box.right);
    dc.SelectObject(hStockBitmap);
}

TEST(DeviceContextTest, ADCTheWrapperDidNotCreateOutlivesIt)
{
    struct Case
    {
        const char* name;
        std::function<HDC()> run; // answers the DC to look at after the wrapper died
        DWORD typeAfter;
    };
    const Case cases[] = {
        {"created by the wrapper",
         []
         {
             CDC dc;
             EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
             return dc.m_hDC;
         },
         0},
        {"attached",
         []
         {
             HDC hDC = CreateCompatibleDC(nullptr);
             CDC dc;
             EXPECT_TRUE(dc.Attach(hDC));
             EXPECT_EQ(&dc, CDC::FromHandle(hDC));
             return hDC;
         },
         OBJ_MEMDC},
        {"a printing DC taken over",
         []
         {
             CDC printer;
             EXPECT_TRUE(printer.CreateCompatibleDC(nullptr));
             printer.m_bPrinting = TRUE;
             HDC hDC = nullptr;
             {
                 CDC drawer;
                 EXPECT_TRUE(drawer.Attach(printer.m_hDC));
                 drawer.m_bPrinting = printer.m_bPrinting;
                 EXPECT_TRUE(drawer.IsPrinting());
                 hDC = drawer.m_hDC;
             }
             EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(hDC)); // the printer's DC lives on
             return printer.Detach(); // and its own wrapper still owns it
         },
         OBJ_MEMDC},
        {"a temporary",
         []
         {
             HDC hDC = CreateCompatibleDC(nullptr);
             CDC* pTemp = CDC::FromHandle(hDC);
             EXPECT_EQ(hDC, pTemp->m_hDC);
             EXPECT_EQ(hDC, pTemp->m_hAttribDC);
             CWnd::DeleteTempMap();
             return hDC;
         },
         OBJ_MEMDC},
        {"detached from the wrapper that created it",
         []
         {
             CDC dc;
             EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
             return dc.Detach();
         },
         OBJ_MEMDC},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const HDC hDC = c.run();
        EXPECT_EQ(c.typeAfter, GetObjectType(hDC));
        if (c.typeAfter)
            DeleteDC(hDC);
    }
}

TEST(DeviceContextTest, SolidFillsAndFramesLandOnTheirPixels)
{
    CDibCanvas canvas(12, 10);
    CDC& dc = canvas.DC();
    dc.SetBkColor(RGB(9, 9, 9));
    dc.FillSolidRect(1, 1, 3, 2, RGB(10, 20, 30));
    EXPECT_EQ(RGB(10, 20, 30), dc.GetBkColor()); // the fill colour stays the background colour
    EXPECT_EQ(RGB(10, 20, 30), canvas.At(1, 1));
    EXPECT_EQ(RGB(10, 20, 30), canvas.At(3, 2));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(4, 1));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(1, 3));

    const COLORREF tl = RGB(0, 0, 200), br = RGB(0, 200, 0), paper = RGB(255, 255, 255);
    dc.Draw3dRect(5, 4, 6, 5, tl, br); // covers x 5..10, y 4..8
    struct Pixel
    {
        int x, y;
        COLORREF expected;
    };
    const Pixel pixels[] = {
        {5, 4, tl},    {9, 4, tl},   {5, 7, tl},  {10, 4, br}, {10, 8, br},   {5, 8, br},
        {7, 6, paper}, {4, 4, paper}, {11, 8, paper}, {5, 9, paper}, {10, 3, paper},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(p.expected, canvas.At(p.x, p.y)) << p.x << "," << p.y;

    // The origin moves the drawing; the clip box clips it.
    const POINT previous = dc.SetWindowOrg(-1, 0);
    EXPECT_EQ(0, previous.x);
    EXPECT_EQ(SIMPLEREGION, dc.IntersectClipRect(0, 0, 2, 10));
    dc.FillSolidRect(0, 9, 5, 1, RGB(1, 1, 1));
    EXPECT_EQ(RGB(1, 1, 1), canvas.At(1, 9));
    EXPECT_EQ(RGB(1, 1, 1), canvas.At(2, 9));
    EXPECT_EQ(paper, canvas.At(0, 9));
    EXPECT_EQ(paper, canvas.At(3, 9));
}

// ---- Image lists ----

TEST(ImageListTest, DrawsBitmapsWithTheirMaskAndIconsWhereAsked)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), green = RGB(0, 160, 0), paper = RGB(255, 255, 255);
    CImageList images;
    ASSERT_TRUE(images.Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 4));
    // Two images in one strip: red, then blue with a magenta (transparent) top-left 2x2 corner.
    CBitmap strip;
    ASSERT_TRUE(strip.Attach(
        MakeBitmap(8, 4, [&](int x, int y) { return x < 4 ? red : (x < 6 && y < 2 ? RGB(255, 0, 255) : blue); })));
    EXPECT_EQ(0, images.Add(&strip, RGB(255, 0, 255)));
    // An opaque green icon.
    CBitmap colour, mask;
    ASSERT_TRUE(colour.Attach(MakeBitmap(4, 4, [&](int, int) { return green; })));
    ASSERT_TRUE(mask.CreateBitmap(4, 4, 1, 1, nullptr));
    std::vector<BYTE> zeros(16, 0);
    mask.SetBitmapBits(static_cast<DWORD>(zeros.size()), zeros.data());
    ICONINFO ii{TRUE, 0, 0, mask, colour};
    HICON hIcon = CreateIconIndirect(&ii);
    ASSERT_NE(nullptr, hIcon);
    EXPECT_EQ(2, images.Add(hIcon));
    DestroyIcon(hIcon);
    ASSERT_EQ(3, images.GetImageCount());

    CDibCanvas canvas(24, 16);
    EXPECT_TRUE(images.Draw(&canvas.DC(), 0, POINT{1, 1}, ILD_NORMAL));
    EXPECT_TRUE(images.Draw(&canvas.DC(), 1, POINT{8, 1}, ILD_TRANSPARENT));
    EXPECT_TRUE(images.Draw(&canvas.DC(), 2, POINT{14, 8}, ILD_NORMAL));
    struct Pixel
    {
        int x, y;
        COLORREF expected;
    };
    const Pixel pixels[] = {
        {1, 1, red},    {4, 4, red},     {5, 1, paper},  {0, 0, paper},  // image 0 at (1,1)
        {8, 1, paper},  {9, 2, paper},   {10, 1, blue},  {8, 3, blue},   {11, 4, blue}, // image 1, masked
        {14, 8, green}, {17, 11, green}, {18, 8, paper}, {14, 12, paper}, // the icon at (14,8)
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(p.expected, canvas.At(p.x, p.y)) << p.x << "," << p.y;

    const HIMAGELIST hList = images.Detach();
    EXPECT_EQ(3, ImageList_GetImageCount(hList)); // handed over alive
    EXPECT_TRUE(images.Attach(hList));
}

// ---- Controls ----

TEST(ControlTest, ButtonsStaticsAndTooltipsWrapTheirControls)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    CButton check;
    ASSERT_TRUE(check.Create(L"check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, RECT{5, 5, 80, 25}, &parent, 101));
    EXPECT_EQ(static_cast<UINT>(BS_AUTOCHECKBOX), check.GetButtonStyle());
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    check.SendMessage(BM_CLICK);
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    check.SetButtonStyle(BS_OWNERDRAW, FALSE);
    EXPECT_EQ(static_cast<UINT>(BS_OWNERDRAW), check.GetButtonStyle());
    EXPECT_EQ(101, check.GetDlgCtrlID());

    CStatic picture;
    ASSERT_TRUE(picture.Create(nullptr, WS_CHILD | SS_BITMAP, RECT{90, 5, 100, 15}, &parent, 102));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.Attach(MakeBitmap(3, 3, [](int, int) { return RGB(1, 2, 3); })));
    EXPECT_EQ(nullptr, picture.SetBitmap(bitmap));
    EXPECT_EQ(static_cast<HBITMAP>(bitmap), picture.GetBitmap());

    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&parent));
    EXPECT_EQ(parent.m_hWnd, GetWindow(tips.m_hWnd, GW_OWNER));
    EXPECT_TRUE(tips.AddTool(&check, L"a check box"));
    const RECT area{100, 50, 150, 90};
    EXPECT_TRUE(tips.AddTool(&parent, L"an area", &area, 7));
    EXPECT_EQ(2, tips.GetToolCount());
    TTTOOLINFOW ti;
    ASSERT_TRUE(tips.GetToolInfo(ti, &check));
    EXPECT_EQ(parent.m_hWnd, ti.hwnd); // a window tool belongs to its parent, by handle
    EXPECT_TRUE(ti.uFlags & TTF_IDISHWND);
    ASSERT_TRUE(tips.GetToolInfo(ti, &parent, 7));
    EXPECT_EQ(150, ti.rect.right);
    tips.DelTool(&check);
    EXPECT_EQ(1, tips.GetToolCount());
    tips.DestroyWindow();
    parent.DestroyWindow();
}

// ---- CWnd's thin wrappers ----

namespace
{
const UINT WM_COUNT_ME = WM_APP + 0x77;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COUNT_ME)
    {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, GetWindowLongPtrW(hWnd, GWLP_USERDATA) + 1);
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

LPCWSTR CountingClass()
{
    static const ATOM atom = []
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameworkGdiTests.Counting";
        return RegisterClassW(&wc);
    }();
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}

HWND MakeCounting(HWND hParent)
{
    return CreateWindowExW(0, CountingClass(), L"", hParent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, hParent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

LONG_PTR Count(HWND hWnd)
{
    return GetWindowLongPtrW(hWnd, GWLP_USERDATA);
}
} // namespace

TEST(WindowOpsTest, SendMessageToDescendantsReachesTheLevelsAsked)
{
    struct Case
    {
        BOOL bDeep, bOnlyPerm;
        LONG_PTR child, grandchild, greatGrandchild, boundGrandchild, secondChild;
    };
    const Case cases[] = {
        {TRUE, FALSE, 1, 1, 1, 1, 1},
        {FALSE, FALSE, 1, 0, 0, 0, 1},
        {TRUE, TRUE, 0, 0, 0, 1, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "deep " << c.bDeep << " only bound " << c.bOnlyPerm);
        CWnd root;
        ASSERT_TRUE(root.Attach(MakeCounting(nullptr)));
        const HWND child = MakeCounting(root);
        const HWND grandchild = MakeCounting(child);
        const HWND greatGrandchild = MakeCounting(grandchild);
        const HWND secondChild = MakeCounting(root);
        CWnd bound;
        ASSERT_TRUE(bound.SubclassWindow(MakeCounting(child)));

        root.SendMessageToDescendants(WM_COUNT_ME, 0, 0, c.bDeep, c.bOnlyPerm);
        EXPECT_EQ(0, Count(root));
        EXPECT_EQ(c.child, Count(child));
        EXPECT_EQ(c.grandchild, Count(grandchild));
        EXPECT_EQ(c.greatGrandchild, Count(greatGrandchild));
        EXPECT_EQ(c.boundGrandchild, Count(bound));
        EXPECT_EQ(c.secondChild, Count(secondChild));
        root.DestroyWindow();
    }
}

TEST(WindowOpsTest, CenterWindowCentresOnTheOwnerTheParentOrTheWorkArea)
{
    MONITORINFO mi{sizeof(mi)};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &mi));
    const RECT work = mi.rcWork;
    const int midX = (work.left + work.right) / 2, midY = (work.top + work.bottom) / 2;
    struct Case
    {
        const char* name;
        RECT owner;
        bool ownerVisible;
        POINT expected; // the pop-up (200 x 100) top-left
    };
    const Case cases[] = {
        {"visible owner", {100, 100, 500, 401}, true, {200, 200}},
        {"hidden owner: the work area", {100, 100, 500, 400}, false, {midX - 100, midY - 50}},
        {"owner at the right edge: kept inside", {work.right - 50, 10, work.right + 150, 110}, true,
         {work.right - 200, 10}},
        {"owner above the top: kept inside", {10, work.top - 300, 210, work.top - 100}, true, {10, work.top}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const HWND hOwner = MakePopup(c.owner, WS_POPUP | (c.ownerVisible ? WS_VISIBLE : 0));
        CWnd popup;
        ASSERT_TRUE(popup.Attach(MakePopup(RECT{0, 0, 200, 100}, WS_POPUP, hOwner)));
        popup.CenterWindow();
        RECT placed{};
        popup.GetWindowRect(&placed);
        EXPECT_EQ(c.expected.x, placed.left);
        EXPECT_EQ(c.expected.y, placed.top);
        EXPECT_EQ(200, placed.right - placed.left);
        popup.DestroyWindow();
        DestroyWindow(hOwner);
    }

    // A child goes to the middle of its parent's client area; a named window wins over the owner.
    CWnd parent;
    ASSERT_TRUE(parent.Attach(MakePopup(RECT{50, 60, 350, 260}, WS_POPUP | WS_VISIBLE)));
    CWnd child;
    ASSERT_TRUE(child.Attach(MakePopup(RECT{0, 0, 100, 50}, WS_CHILD, parent)));
    child.CenterWindow();
    RECT placed{};
    child.GetWindowRect(&placed);
    parent.ScreenToClient(&placed);
    EXPECT_EQ(100, placed.left);
    EXPECT_EQ(75, placed.top);
    CWnd other;
    ASSERT_TRUE(other.Attach(MakePopup(RECT{0, 0, 200, 100}, WS_POPUP)));
    other.CenterWindow(&parent);
    other.GetWindowRect(&placed);
    EXPECT_EQ(100, placed.left);
    EXPECT_EQ(110, placed.top);
    other.DestroyWindow();
    parent.DestroyWindow();
}

TEST(WindowOpsTest, StylesOwnersZOrderAndDCs)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(MakePopup(RECT{0, 0, 50, 50})));
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_POPUP)); // nothing changes
    EXPECT_TRUE(wnd.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED));
    EXPECT_TRUE(wnd.GetStyle() & WS_BORDER);
    EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_TOOLWINDOW));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOOLWINDOW), wnd.GetExStyle() & WS_EX_TOOLWINDOW);

    const HWND first = MakePopup(RECT{0, 0, 5, 5}, WS_CHILD, wnd);
    const HWND second = MakePopup(RECT{0, 0, 5, 5}, WS_CHILD, wnd);
    EXPECT_EQ(first, wnd.GetTopWindow()->m_hWnd);
    EXPECT_EQ(second, wnd.GetTopWindow()->GetNextWindow()->m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandle(second)->GetNextWindow());
    EXPECT_TRUE(CWnd::FromHandle(second)->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(second, wnd.GetWindow(GW_CHILD)->m_hWnd);
    EXPECT_EQ(&wnd, CWnd::FromHandle(first)->GetOwner()); // the parent when none was set
    CWnd::FromHandle(first)->SetOwner(CWnd::GetDesktopWindow());
    EXPECT_EQ(GetDesktopWindow(), CWnd::FromHandle(first)->GetOwner()->m_hWnd);

    CDC* pDC = wnd.GetDC();
    ASSERT_NE(nullptr, pDC);
    EXPECT_EQ(pDC, CDC::FromHandle(pDC->m_hDC));
    EXPECT_EQ(1, wnd.ReleaseDC(pDC));

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"Tahoma"));
    HWND hEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 5, 5, wnd, nullptr, nullptr, nullptr);
    CWnd::FromHandle(hEdit)->SetFont(&font, FALSE);
    EXPECT_EQ(&font, CWnd::FromHandle(hEdit)->GetFont());
    wnd.DestroyWindow();
}

namespace
{
class CCountedException : public CException
{
public:
    static inline int s_nAlive = 0;
    CCountedException() { ++s_nAlive; }
    ~CCountedException() override { --s_nAlive; }
};

int g_nTimerCalls = 0;

void CALLBACK ThrowingTimerProc(HWND hWnd, UINT, UINT_PTR nIDEvent, DWORD)
{
    switch (++g_nTimerCalls)
    {
    case 1:
        throw new CCountedException;
    case 2:
        throw std::runtime_error("timer failed");
    case 3:
        throw 7;
    default:
        KillTimer(hWnd, nIDEvent);
    }
}
} // namespace

TEST(WindowOpsTest, ATimerProcedureThatThrowsLeavesTheThreadRunning)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(MakePopup(RECT{0, 0, 5, 5})));
    g_nTimerCalls = 0;
    ASSERT_EQ(5u, wnd.SetTimer(5, 1, ThrowingTimerProc));
    const DWORD start = GetTickCount();
    MSG msg;
    while (g_nTimerCalls < 4 && GetTickCount() - start < 30000)
    {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_EQ(4, g_nTimerCalls);
    EXPECT_EQ(0, CCountedException::s_nAlive); // the framework exception was deleted
    EXPECT_FALSE(wnd.KillTimer(5));            // the procedure killed it
    wnd.DestroyWindow();
}

// ---- Address checks ----

namespace
{
int AFunction()
{
    return 42;
}
} // namespace

TEST(AddressTest, OnlyCommittedAccessibleMemoryIsValid)
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const UINT_PTR page = si.dwPageSize;
    auto alloc = [&](DWORD protect, DWORD type = MEM_COMMIT | MEM_RESERVE)
    { return static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * page, type, protect)); };
    BYTE* rw = alloc(PAGE_READWRITE);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(rw + page, page, PAGE_NOACCESS, &old)); // readable page, then a no-access one
    BYTE* readOnly = alloc(PAGE_READONLY);
    BYTE* guard = alloc(PAGE_READWRITE | PAGE_GUARD);
    BYTE* reserved = alloc(PAGE_NOACCESS, MEM_RESERVE);
    BYTE* freed = alloc(PAGE_READWRITE);
    ASSERT_TRUE(VirtualFree(freed, 0, MEM_RELEASE));
    int local = 0;
    const void* code = nullptr; // the function's address as data, without a conditionally supported cast
    const auto pfn = &AFunction;
    static_assert(sizeof(pfn) == sizeof(code));
    memcpy(&code, &pfn, sizeof(code));

    struct Case
    {
        const char* name;
        const void* p;
        UINT_PTR bytes;
        BOOL bReadWrite;
        BOOL expected;
    };
    const Case cases[] = {
        {"a function, read", code, 16, FALSE, TRUE},
        {"a local variable", &local, sizeof(local), TRUE, TRUE},
        {"null", nullptr, 1, FALSE, FALSE},
        {"a freed page", freed, 1, FALSE, FALSE},
        {"a no-access page", rw + page, 1, FALSE, FALSE},
        {"a read-write page, whole", rw, page, TRUE, TRUE},
        {"its last byte", rw + page - 1, 1, TRUE, TRUE},
        {"its last byte and one beyond", rw + page - 1, 2, FALSE, FALSE},
        {"a read-only page, read", readOnly, page, FALSE, TRUE},
        {"a read-only page, write", readOnly, 1, TRUE, FALSE},
        {"a guard page", guard, 1, FALSE, FALSE},
        {"reserved only", reserved, 1, FALSE, FALSE},
        {"a range that wraps around", rw, ~UINT_PTR(0), FALSE, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, AfxIsValidAddress(c.p, c.bytes, c.bReadWrite)) << c.name;
    EXPECT_EQ(42, AFunction());

    // The check did not trip the guard page: it is still one.
    MEMORY_BASIC_INFORMATION mbi;
    ASSERT_TRUE(VirtualQuery(guard, &mbi, sizeof(mbi)));
    EXPECT_TRUE(mbi.Protect & PAGE_GUARD);
    for (BYTE* p : {rw, readOnly, guard, reserved})
        VirtualFree(p, 0, MEM_RELEASE);
}

// ---- Dates ----

TEST(DateTimeTest, FormatGivesWhatVarBstrFromDateGivesInTheUsersLocale)
{
    struct Case
    {
        int y, mo, d, h, mi, s;
        DWORD flags;
    };
    const Case cases[] = {
        {2024, 3, 9, 14, 5, 7, 0},
        {1999, 12, 31, 0, 0, 0, 0}, // midnight: the date alone
        {2024, 3, 9, 14, 5, 7, VAR_DATEVALUEONLY},
        {2024, 3, 9, 14, 5, 7, VAR_TIMEVALUEONLY},
        {1900, 1, 1, 23, 59, 59, 0},
    };
    for (const Case& c : cases)
    {
        const COleDateTime dt(c.y, c.mo, c.d, c.h, c.mi, c.s);
        ASSERT_EQ(COleDateTime::valid, dt.GetStatus());
        CUniqueBstr expected;
        ASSERT_EQ(S_OK, VarBstrFromDate(dt.m_dt, LOCALE_USER_DEFAULT, c.flags, expected.put()));
        EXPECT_STREQ(expected.get(), dt.Format(c.flags)) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_EQ(c.y, dt.GetYear());
        EXPECT_EQ(c.s, dt.GetSecond());
    }
    const COleDateTime march(2024, 3, 9, 14, 5, 7);
    EXPECT_NEAR(45360.0 + (14 * 3600 + 5 * 60 + 7) / 86400.0, march.m_dt, 1e-9);
    EXPECT_EQ(7, march.GetDayOfWeek()); // a Saturday
    EXPECT_EQ(69, march.GetDayOfYear());
    EXPECT_STREQ(L"2024-03-09 14:05:07", march.Format(L"%Y-%m-%d %H:%M:%S"));

    const COleDateTime leap(2023, 2, 29, 0, 0, 0);
    EXPECT_EQ(COleDateTime::invalid, leap.GetStatus());
    EXPECT_STREQ(L"Invalid DateTime", leap.Format());
    EXPECT_EQ(-1, leap.GetYear());
    COleDateTime empty;
    empty.SetStatus(COleDateTime::null);
    EXPECT_STREQ(L"", empty.Format());
}

// ---- Typed containers ----

TEST(TypedContainerTest, CListKeepsOrderAcrossInsertsAndRemovals)
{
    CList<int, int> list;
    auto contents = [&]
    {
        std::vector<int> out;
        for (POSITION pos = list.GetHeadPosition(); pos;)
            out.push_back(list.GetNext(pos));
        return out;
    };
    list.AddTail(2);
    list.AddHead(1);
    const POSITION three = list.AddTail(3);
    list.InsertBefore(three, 25);
    list.InsertAfter(three, 4);
    list.InsertAfter(list.GetHeadPosition(), 15);
    EXPECT_EQ((std::vector<int>{1, 15, 2, 25, 3, 4}), contents());
    EXPECT_EQ(6, list.GetCount());
    EXPECT_EQ(three, list.Find(3));
    EXPECT_EQ(nullptr, list.Find(1, list.GetHeadPosition())); // searches after the start
    EXPECT_EQ(25, list.GetAt(list.FindIndex(3)));
    EXPECT_EQ(nullptr, list.FindIndex(6));
    list.RemoveAt(three);
    EXPECT_EQ(1, list.RemoveHead());
    EXPECT_EQ(4, list.RemoveTail());
    EXPECT_EQ((std::vector<int>{15, 2, 25}), contents());
    POSITION back = list.GetTailPosition();
    EXPECT_EQ(25, list.GetPrev(back));
    EXPECT_EQ(2, list.GetAt(back));

    CList<int, int> other;
    other.AddTail(8);
    other.AddTail(9);
    list.AddHead(&other);
    list.AddTail(&other);
    EXPECT_EQ((std::vector<int>{8, 9, 15, 2, 25, 8, 9}), contents());
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    try
    {
        list.GetHead();
        ADD_FAILURE() << "no exception";
    }
    catch (CException* e)
    {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
        e->Delete();
    }

    CTypedPtrArray<CPtrArray, CWnd*> windows;
    CWnd a, b;
    windows.Add(&a);
    windows.Add(&b);
    windows[0] = &b;
    CWnd* pFirst = windows.GetAt(0);
    EXPECT_EQ(&b, pFirst);
    EXPECT_EQ(&b, windows[1]);
    EXPECT_EQ(2, windows.GetSize());
}
