// Owner-drawn menus: building, loading, measuring and drawing, and the look helpers.
#include "test_dib.h"

#include <suitecore/ui/menu.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------------
// The look helpers

TEST(MenuLook, WindowsClassOfEachVersion)
{
    const DWORD nt = VER_PLATFORM_WIN32_NT, w9x = VER_PLATFORM_WIN32_WINDOWS;
    struct
    {
        DWORD platform, major, minor;
        int expected;
    } cases[] = {
        {w9x, 3, 95, 0}, {w9x, 4, 0, 2}, {w9x, 4, 10, 3}, {w9x, 4, 90, 4}, {nt, 4, 0, 5}, {nt, 5, 0, 6},
        {nt, 5, 1, 7},   {nt, 5, 2, 1},  {nt, 6, 0, 1},   {nt, 6, 1, 1},   {nt, 10, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ClassifyWindowsVersion(c.platform, c.major, c.minor))
            << c.platform << " " << c.major << "." << c.minor;

    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(::GetVersionExW(&info));
#pragma GCC diagnostic pop
    EXPECT_EQ(ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion), GetWindowsClass());
    EXPECT_EQ(GetWindowsClass() == 7 && !IsClassicTheme(), !!UseXPMenuLook());
}

TEST(MenuLook, ClassicThemeFromTheDefaultValue)
{
    struct
    {
        const wchar_t* value; // null: no value
        BOOL expected;
    } cases[] = {
        {L"C:\\WINDOWS\\Resources\\Themes\\Windows Classic.theme", TRUE},
        {L"c:\\themes\\WINDOWS CLASSIC.THEME", TRUE},
        {L"C:\\WINDOWS\\Resources\\Themes\\Luna.theme", FALSE},
        {L"Windows Classic.theme.bak", FALSE},
        {L"", FALSE},
        {nullptr, FALSE},
    };
    for (const auto& c : cases)
    {
        testsupport::TempRegKey key(HKEY_CURRENT_USER, L"Software");
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                   nullptr, &hKey, nullptr));
        if (c.value)
        {
            EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.value),
                                                      static_cast<DWORD>((wcslen(c.value) + 1) * sizeof(wchar_t))));
        }
        ::RegCloseKey(hKey);
        EXPECT_EQ(c.expected, ReadClassicTheme(HKEY_CURRENT_USER, key.Path().c_str())) << (c.value ? "value" : "none");
    }
    EXPECT_FALSE(ReadClassicTheme(HKEY_CURRENT_USER, (L"Software\\" + testsupport::NewGuidString()).c_str()));
}

TEST(MenuLook, LightenAndDarkenOnlyForFactorsUpToOne)
{
    const COLORREF c = RGB(100, 200, 50);
    struct
    {
        double f;
        COLORREF lighter, darker;
    } cases[] = {
        {0.0, c, c},
        {0.5, RGB(177, 227, 152), RGB(50, 100, 25)},
        {1.0, RGB(255, 255, 255), RGB(0, 0, 0)},
        {1.5, c, c},
        {-0.5, c, c},
    };
    for (const auto& k : cases)
    {
        EXPECT_EQ(k.lighter, LightenColor(k.f, c)) << k.f;
        EXPECT_EQ(k.darker, DarkenColor(k.f, c)) << k.f;
    }
}

// ---------------------------------------------------------------------------------------------
// Building and loading

const BCMenuData* ItemData(HMENU hMenu, UINT pos, MENUITEMINFOW* pInfo = nullptr)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    if (!::GetMenuItemInfoW(hMenu, pos, TRUE, &info))
        return nullptr;
    if (pInfo)
        *pInfo = info;
    return reinterpret_cast<const BCMenuData*>(info.dwItemData);
}

COLORREF ImageCentre(CImageList* pList, int index)
{
    TestDib dib(16, 16, RGB(1, 2, 3));
    ImageList_Draw(pList->GetSafeHandle(), index, dib.Dc().GetSafeHdc(), 0, 0, ILD_NORMAL);
    return dib.At(8, 8);
}

TEST(BCMenuBuild, AppendODMenuRecordsEveryKindOfItem)
{
    BCMenu sub;
    ASSERT_TRUE(sub.AppendODMenu(L"Inner", MF_OWNERDRAW, 500));
    BCMenu menu;
    struct
    {
        const wchar_t* text;
        UINT flags;
        UINT_PTR id;
        int icon;
        UINT expectedType; // MFT_ bits besides owner-draw
        int expectedImage;
        COLORREF imageColour;
    } cases[] = {
        {L"Plain", MF_STRING, 101, -1, 0, -1, 0},
        {L"", MF_STRING, 0, -1, MFT_SEPARATOR, -1, 0},
        {L"Sub", MF_POPUP, reinterpret_cast<UINT_PTR>(sub.GetSafeHmenu()), -1, 0, -1, 0},
        {L"Toolbar picture", MF_STRING, 102, 42, 0, 0, RGB(0, 255, 0)}, // the second picture of the strip
        {L"Bitmap", MF_STRING, 555, 43, 0, 1, RGB(255, 255, 0)},        // not on the toolbar: the bitmap
        {L"No such image", MF_STRING, 556, 9999, 0, -1, 0},
    };
    for (const auto& c : cases)
        ASSERT_TRUE(menu.AppendODMenu(c.text, c.flags, c.id, c.icon)) << testsupport::Utf8(c.text);

    ASSERT_EQ(std::size(cases), static_cast<size_t>(::GetMenuItemCount(menu.GetSafeHmenu())));
    for (UINT i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        SCOPED_TRACE(testsupport::Utf8(c.text));
        MENUITEMINFOW info{};
        const BCMenuData* data = ItemData(menu.GetSafeHmenu(), i, &info);
        ASSERT_NE(nullptr, data);
        EXPECT_EQ(static_cast<UINT>(MFT_OWNERDRAW | c.expectedType), info.fType & (MFT_OWNERDRAW | MFT_SEPARATOR));
        EXPECT_STREQ(c.text, data->GetWideString());
        EXPECT_EQ(c.id, data->nID);
        EXPECT_TRUE(data->nFlags & MF_OWNERDRAW);
        EXPECT_EQ(c.expectedImage, data->xoffset);
        if (c.expectedImage >= 0)
        {
            EXPECT_EQ(c.imageColour, ImageCentre(menu.GetImageList(), c.expectedImage));
        }
    }
    EXPECT_EQ(sub.GetSafeHmenu(), ::GetSubMenu(menu.GetSafeHmenu(), 2));
    EXPECT_TRUE(BCMenu::IsSubMenuListed(sub.GetSafeHmenu()));
    ASSERT_NE(nullptr, menu.GetImageList());
    EXPECT_EQ(2, menu.GetImageList()->GetImageCount());
    // The submenu lives on with its own object.
    ::RemoveMenu(menu.GetSafeHmenu(), 2, MF_BYPOSITION);
    menu.DestroyMenu();
    EXPECT_FALSE(BCMenu::IsSubMenuListed(sub.GetSafeHmenu()));
    EXPECT_TRUE(::IsMenu(sub.GetSafeHmenu()));
}

struct Expected
{
    const wchar_t* text;
    UINT id;     // 0 with a submenu
    bool popup;
};

void ExpectLevel(HMENU hMenu, const std::vector<Expected>& items, bool ownerDrawn)
{
    ASSERT_EQ(static_cast<int>(items.size()), ::GetMenuItemCount(hMenu));
    for (UINT i = 0; i < items.size(); ++i)
    {
        MENUITEMINFOW info{};
        const BCMenuData* data = ItemData(hMenu, i, &info);
        ASSERT_NE(nullptr, data) << i;
        EXPECT_STREQ(items[i].text, data->GetWideString()) << i;
        EXPECT_EQ(ownerDrawn, (info.fType & MFT_OWNERDRAW) != 0) << i;
        EXPECT_EQ(items[i].popup, info.hSubMenu != nullptr) << i;
        if (!items[i].popup)
            EXPECT_EQ(items[i].id, info.wID) << i;
        else
            EXPECT_TRUE(BCMenu::IsSubMenuListed(info.hSubMenu)) << i;
    }
}

TEST(BCMenuBuild, LoadMenuBuildsTheNestedLevelsAndDestroyMenuForgetsThem)
{
    BCMenu menu;
    ASSERT_FALSE(menu.LoadMenu(777));
    ASSERT_TRUE(menu.LoadMenu(300));
    HMENU top = menu.GetSafeHmenu();
    ExpectLevel(top, {{L"&File", 0, true}, {L"&Help", 0, true}}, false);
    wchar_t text[32] = {};
    ::GetMenuStringW(top, 1, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(L"&Help", text);
    HMENU file = ::GetSubMenu(top, 0);
    ExpectLevel(file, {{L"&Open", 201, false}, {L"", 0, false}, {L"Recent", 0, true}, {L"E&xit", 202, false}}, true);
    HMENU recent = ::GetSubMenu(file, 2);
    ExpectLevel(recent, {{L"One", 211, false}, {L"Two", 212, false}}, true);
    HMENU help = ::GetSubMenu(top, 1);
    ExpectLevel(help, {{L"About", 203, false}}, true);

    // Loading again replaces the content.
    ASSERT_TRUE(menu.LoadMenu(300));
    EXPECT_FALSE(BCMenu::IsSubMenuListed(file));
    EXPECT_FALSE(::IsMenu(top));
    top = menu.GetSafeHmenu();
    std::vector<HMENU> subs{::GetSubMenu(top, 0), ::GetSubMenu(top, 1), ::GetSubMenu(::GetSubMenu(top, 0), 2)};
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_EQ(nullptr, menu.GetSafeHmenu());
    for (HMENU h : subs)
    {
        EXPECT_FALSE(BCMenu::IsSubMenuListed(h));
        EXPECT_FALSE(::IsMenu(h));
    }
    EXPECT_FALSE(::IsMenu(top));
}

// ---------------------------------------------------------------------------------------------
// Measuring and drawing

TEST(BCMenuDraw, MeasureItem)
{
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
    HFONT font = ::CreateFontIndirectW(&ncm.lfMenuFont);
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, font);

    BCMenu menu;
    const wchar_t* texts[] = {L"", L"A", L"Open the recent files", L"Exit\tAlt+F4"};
    for (const wchar_t* text : texts)
        ASSERT_TRUE(menu.AppendODMenu(text, MF_STRING, 100));
    ASSERT_TRUE(menu.AppendODMenu(L"ignored", MF_STRING, 0));
    for (UINT i = 0; i < std::size(texts); ++i)
    {
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, 100, 0, 0, reinterpret_cast<ULONG_PTR>(ItemData(menu.GetSafeHmenu(), i))};
        menu.MeasureItem(&mis);
        SIZE size{};
        ::GetTextExtentPoint32W(screen, texts[i], static_cast<int>(wcslen(texts[i])), &size);
        EXPECT_EQ(static_cast<UINT>(16 + size.cx + 15), mis.itemWidth) << testsupport::Utf8(texts[i]);
        EXPECT_EQ(static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), 23)), mis.itemHeight);
    }
    MEASUREITEMSTRUCT separator{ODT_MENU, 0, 0, 99, 99,
                                reinterpret_cast<ULONG_PTR>(ItemData(menu.GetSafeHmenu(), std::size(texts)))};
    menu.MeasureItem(&separator);
    EXPECT_EQ(0u, separator.itemWidth);
    EXPECT_EQ(3u, separator.itemHeight);

    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
}

// Draws one item of a menu at (10,5)-(210,29) of a grey DIB.
struct DrawnItem
{
    TestDib dib{220, 40, RGB(128, 128, 128)};
    RECT rc{10, 5, 210, 29};

    DrawnItem(BCMenu& menu, UINT pos, UINT state)
    {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = ::GetMenuItemID(menu.GetSafeHmenu(), pos);
        dis.itemState = state;
        dis.hwndItem = reinterpret_cast<HWND>(menu.GetSafeHmenu());
        dis.hDC = dib.Dc().GetSafeHdc();
        dis.rcItem = rc;
        dis.itemData = reinterpret_cast<ULONG_PTR>(ItemData(menu.GetSafeHmenu(), pos));
        menu.DrawItem(&dis);
    }
    RECT Text() const { return {rc.left + 28, rc.top, rc.left + 120, rc.bottom}; }
};

TEST(BCMenuDraw, FlatDrawingColours)
{
    const BOOL xp = UseXPMenuLook();
    const COLORREF frame = RGB(177, 213, 238);
    const COLORREF background = DarkenColor(0.02, ::GetSysColor(COLOR_WINDOW));
    const COLORREF highlight = LightenColor(xp ? 0.7 : 0.85, frame);
    const COLORREF column = xp ? RGB(220, 240, 252) : LightenColor(0.25, RGB(220, 240, 252));
    const COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(text, grey);

    BCMenu menu;
    ASSERT_TRUE(menu.AppendODMenu(L"Wide Menu Text", MF_STRING, 100));
    struct
    {
        const char* name;
        UINT state;
        COLORREF right;   // inside, right of the text
        COLORREF corner;  // the item's top-left pixel
        COLORREF box;     // inside the check box, near its corner
        COLORREF textColour;
        COLORREF absentColour;
    } cases[] = {
        {"normal", 0, background, column, column, text, grey},
        {"selected", ODS_SELECTED, highlight, frame, highlight, text, grey},
        {"checked", ODS_CHECKED, background, column, LightenColor(0.55, frame), text, grey},
        {"disabled", ODS_GRAYED, background, column, column, grey, text},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DrawnItem item(menu, 0, c.state);
        const RECT& rc = item.rc;
        EXPECT_EQ(c.right, item.dib.At(rc.right - 3, rc.top + 2));
        EXPECT_EQ(c.corner, item.dib.At(rc.left, rc.top));
        EXPECT_EQ(c.box, item.dib.At(rc.left + 2, rc.top + 2));
        EXPECT_GT(item.dib.Count(item.Text(), c.textColour), 10);
        EXPECT_EQ(0, item.dib.Count(item.Text(), c.absentColour));
        // Nothing outside the item.
        EXPECT_EQ(220 * 40 - 200 * 24, item.dib.Count({0, 0, 220, 40}, RGB(128, 128, 128)));
        if (c.state & ODS_SELECTED)
        {
            EXPECT_EQ(frame, item.dib.At(rc.right - 1, rc.bottom - 1));
        }
        if (c.state & ODS_CHECKED)
        {
            EXPECT_EQ(frame, item.dib.At(rc.left + 1, rc.top + 1));
        }
    }
}

int PaletteDisplay(HDC)
{
    return RC_PALETTE | RC_BITBLT;
}

TEST(BCMenuDraw, ClassicDrawingOnAPaletteDisplay)
{
    BCMenu menu;
    ASSERT_TRUE(menu.AppendODMenu(L"Item", MF_STRING, 100));
    ASSERT_TRUE(menu.AppendODMenu(L"", MF_STRING, 0));
    const MENU_RASTERCAPS_PROBE previous = SetMenuRasterCapsProbe(&PaletteDisplay);
    const COLORREF background = ::GetSysColor(UseXPMenuLook() ? COLOR_3DFACE : COLOR_MENU);
    {
        DrawnItem item(menu, 0, 0);
        EXPECT_EQ(background, item.dib.At(item.rc.right - 3, item.rc.top + 2));
        EXPECT_EQ(background, item.dib.At(item.rc.left, item.rc.top));
        EXPECT_GT(item.dib.Count(item.Text(), ::GetSysColor(COLOR_MENUTEXT)), 10);
    }
    {
        DrawnItem item(menu, 0, ODS_SELECTED);
        EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), item.dib.At(item.rc.right - 3, item.rc.top + 2));
    }
    {
        DrawnItem item(menu, 1, 0);
        const int middle = (item.rc.top + item.rc.bottom) / 2 - 1;
        EXPECT_EQ(::GetSysColor(COLOR_3DSHADOW), item.dib.At(item.rc.left + 50, middle));
        EXPECT_EQ(::GetSysColor(COLOR_3DHILIGHT), item.dib.At(item.rc.left + 50, middle + 1));
        EXPECT_EQ(background, item.dib.At(item.rc.left + 50, item.rc.top + 1));
    }
    SetMenuRasterCapsProbe(previous);
    // Back to the flat drawing.
    DrawnItem item(menu, 0, 0);
    EXPECT_EQ(DarkenColor(0.02, ::GetSysColor(COLOR_WINDOW)), item.dib.At(item.rc.right - 3, item.rc.top + 2));
}
} // namespace
