// The skinned base windows driven by messages, headless: what OnInitDialog sets up, the
// colours and the control mover, the paint callback, the main window's geometry, system menu,
// caption buttons, system commands, tracking sizes, dragging and broadcast, the pop-up's
// caption buttons and close path, and the shade around a pop-up.
#include <testsupport/ui.h>

#include <suitecore/appmessages.h>
#include <suitecore/sysinfo.h>
#include <suitecore/ui/aboutbox.h>
#include <suitecore/app.h>
#include <suitecore/ui/basewnd.h>
#include <suitecore/ui/uifont.h>
#include <suitecore/ui/panels.h>

#include <framework/app.h>
#include <framework/module.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace
{
constexpr UINT kPopupTemplate = 400;
constexpr UINT kMainTemplate = 410;

using basewnd_test::SuiteCore;

void Pump(DWORD ms)
{
    testsupport::WaitUntil([] { return false; }, ms);
}

RECT ClientRectOf(HWND parent, HWND child)
{
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The window's own visible style, whether or not its parent shows.
bool Shown(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A pop-up that records what reaches it.
class CTestPopup : public CDlgBaseChildPopUpWndBase
{
public:
    CTestPopup() : CDlgBaseChildPopUpWndBase(kPopupTemplate, nullptr) {}
    bool m_initDone = false;
    int m_sizes = 0; // after OnInitDialog
    LPARAM m_lastSize = 0;
    int m_closes = 0;
    int m_derivedCancels = 0;
    int m_captionPresses = 0;

    BOOL OnInitDialog() override
    {
        const BOOL result = CDlgBaseChildPopUpWndBase::OnInitDialog();
        m_initDone = true;
        return result;
    }

    void OnCancel() override
    {
        ++m_derivedCancels;
        CDlgBaseChildPopUpWndBase::OnCancel();
    }

protected:
    LRESULT OnSizeSeen(WPARAM, LPARAM lParam)
    {
        if (m_initDone)
        {
            ++m_sizes;
            m_lastSize = lParam;
        }
        return Default();
    }
    void OnClose() { ++m_closes; }
    LRESULT OnNcPress(WPARAM wParam, LPARAM)
    {
        if (wParam == HTCAPTION)
            ++m_captionPresses;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPopup, CDlgBaseChildPopUpWndBase)
    ON_MESSAGE(WM_SIZE, &CTestPopup::OnSizeSeen)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_NCLBUTTONDOWN, &CTestPopup::OnNcPress)
END_MESSAGE_MAP()

class CTestMain : public CDlgMainWnd
{
public:
    CTestMain() : CDlgMainWnd(kMainTemplate, nullptr) {}
    int m_closes = 0;
    int m_captionPresses = 0;
    std::map<HWND, int> m_idleUpdates;

protected:
    void OnClose() { ++m_closes; }
    LRESULT OnNcPress(WPARAM wParam, LPARAM)
    {
        if (wParam == HTCAPTION)
            ++m_captionPresses;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestMain, CDlgMainWnd)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_NCLBUTTONDOWN, &CTestMain::OnNcPress)
END_MESSAGE_MAP()

// A control subclass that counts WM_IDLEUPDATECMDUI.
class CIdleCounter : public CWnd
{
public:
    int m_count = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_IDLEUPDATECMDUI)
            ++m_count;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

struct MainWindow
{
    explicit MainWindow(bool resizable = false, bool systemMenu = true)
    {
        dlg.m_bResizable = resizable;
        dlg.m_bSystemMenu = systemMenu;
        dlg.m_strSysMenuFirst = L"About Base window test";
        dlg.m_nToolBitmapID = 1301;
        created = dlg.Create(kMainTemplate, nullptr);
        Pump(50);
    }
    ~MainWindow()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
    CTestMain dlg;
    BOOL created;
};
} // namespace

// ---- Base set-up ----------------------------------------------------------------------------

TEST(BaseSetup, InitPostsOneSizeWithTheClientAndGivesEveryDescendantOneFont)
{
    CTestPopup popup;
    ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return popup.m_sizes > 0; }, 10000));
    const int sizesAfterInit = popup.m_sizes;
    Pump(200);
    RECT rc{};
    GetClientRect(popup.m_hWnd, &rc);
    EXPECT_EQ(1, sizesAfterInit);
    EXPECT_EQ(1, popup.m_sizes);
    EXPECT_EQ(MAKELPARAM(rc.right, rc.bottom), popup.m_lastSize);

    const std::vector<HWND> children = Descendants(popup.m_hWnd);
    ASSERT_GE(children.size(), 4u);
    const HFONT uiFont = static_cast<HFONT>(g_fntNormal.GetSafeHandle());
    ASSERT_NE(nullptr, uiFont);
    for (HWND child : children)
        EXPECT_EQ(uiFont, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)))
            << testsupport::Utf8(testsupport::WindowText(child));
    popup.DestroyWindow();
}

TEST(BaseSetup, ControlColoursAreWhiteTransparentSlateWithOneBrush)
{
    CTestPopup popup;
    ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
    HWND label = GetDlgItem(popup.m_hWnd, 401);
    HBRUSH brushes[2] = {};
    for (HBRUSH& brush : brushes)
    {
        testsupport::PaintSurface surface(8, 8, 0x123456);
        SetBkMode(surface.Dc(), OPAQUE);
        brush = reinterpret_cast<HBRUSH>(
            SendMessageW(popup.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(surface.Dc()), reinterpret_cast<LPARAM>(label)));
        EXPECT_EQ(TRANSPARENT, GetBkMode(surface.Dc()));
        EXPECT_EQ(RGB(255, 255, 255), GetBkColor(surface.Dc()));
        EXPECT_EQ(RGB(45, 54, 72), GetTextColor(surface.Dc()));
    }
    EXPECT_NE(nullptr, brushes[0]);
    EXPECT_EQ(brushes[0], brushes[1]);
    EXPECT_EQ(CDlgBaseWnd::GetWhiteBrush(), brushes[0]);
    LOGBRUSH lb{};
    ASSERT_EQ(static_cast<int>(sizeof(lb)), GetObjectW(brushes[0], sizeof(lb), &lb));
    EXPECT_EQ(RGB(255, 255, 255), lb.lbColor);
    popup.DestroyWindow();
}

TEST(BaseSetup, ControlMoverScalesAndRoundsUp)
{
    struct Case
    {
        int x, y, cx, cy;
        BOOL scale;
        RECT expected;
    } cases[] = {
        {0, 0, 10, 10, FALSE, {0, 0, 10, 10}},
        {10, 10, 20, 30, FALSE, {16, 17, 36, 47}},    // 15.016 -> 16, 16.2378 -> 17
        {10, 10, 20, 30, TRUE, {16, 17, 47, 66}},     // 30.03 -> 31, 48.71 -> 49
        {100, 200, 1, 1, TRUE, {151, 325, 153, 327}}, // 150.16 -> 151, 324.756 -> 325; 1 -> 2
        {311, 0, 0, 0, FALSE, {467, 0, 467, 0}},       // 466.99999 -> 467
    };
    for (const Case& c : cases)
    {
        const RECT rc = CDlgBaseWnd::ScaledControlRect(c.x, c.y, c.cx, c.cy, c.scale);
        EXPECT_TRUE(EqualRect(&rc, &c.expected)) << c.x << "," << c.y << " -> " << rc.left << "," << rc.top << ","
                                                 << rc.right << "," << rc.bottom;
    }
    CTestPopup popup;
    ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
    ASSERT_TRUE(popup.MoveControl(401, 10, 10, 20, 30, TRUE));
    const RECT moved = ClientRectOf(popup.m_hWnd, GetDlgItem(popup.m_hWnd, 401));
    const RECT expected = {16, 17, 47, 66};
    EXPECT_TRUE(EqualRect(&moved, &expected));
    EXPECT_FALSE(popup.MoveControl(999, 1, 1, 1, 1, FALSE));
    popup.DestroyWindow();
}

namespace
{
int g_callbackCalls = 0;
void CountingCallback(CDlgBaseWnd*, DWORD dwUserData, CDC*, const RECT&)
{
    g_callbackCalls += static_cast<int>(dwUserData);
}
} // namespace

TEST(BaseSetup, PaintCallbackRunsWhenReadableAndIsIgnoredOnAFreedPage)
{
    CTestPopup popup;
    ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
    popup.ShowWindow(SW_SHOWNA);
    auto repaint = [&] {
        InvalidateRect(popup.m_hWnd, nullptr, FALSE);
        UpdateWindow(popup.m_hWnd);
    };
    g_callbackCalls = 0;
    popup.SetPaintCallback(&CountingCallback, TRUE, 5);
    repaint();
    EXPECT_EQ(5, g_callbackCalls);

    popup.SetPaintCallback(&CountingCallback, FALSE, 5);
    repaint();
    EXPECT_EQ(5, g_callbackCalls);

    // A callback address in a page that was freed: the default painting runs, no crash.
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(VirtualFree(page, 0, MEM_RELEASE));
    PaintCallback dangling = nullptr;
    std::memcpy(&dangling, &page, sizeof(page));
    popup.SetPaintCallback(dangling, TRUE, 1);
    repaint();
    EXPECT_EQ(5, g_callbackCalls);
    popup.DestroyWindow();
}

TEST(BaseSetup, PanelIconSurvivesANestedDialog)
{
    // Outer and inner dialogs share the library's one panel icon: closing the inner one must
    // leave the icon the outer one paints with.
    CTestPopup outer;
    ASSERT_TRUE(outer.Create(kPopupTemplate, nullptr));
    const HICON icon = GetPanelIcon();
    ASSERT_NE(nullptr, icon);
    {
        CTestPopup inner;
        ASSERT_TRUE(inner.Create(kPopupTemplate, &outer));
        EXPECT_EQ(icon, GetPanelIcon());
        inner.DestroyWindow();
    }
    EXPECT_EQ(icon, GetPanelIcon());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    // The outer dialog's panel still paints it: some pixels leave the white ground.
    testsupport::PaintSurface surface(16, 16, 0xFFFFFF);
    ASSERT_TRUE(DrawIconEx(surface.Dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
    const testsupport::Capture pixels = surface.Pixels();
    EXPECT_GT(16 * 16 - testsupport::CountColour(pixels, RECT{0, 0, 16, 16}, 0xFFFFFF, 0), 16);
    outer.DestroyWindow();
}

// ---- Main window ----------------------------------------------------------------------------

TEST(MainWindow, SitsAtTheOriginWithItsSizeAndTitle)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    RECT rc{};
    GetWindowRect(main.dlg.m_hWnd, &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(772, rc.right - rc.left);
    EXPECT_EQ(583, rc.bottom - rc.top);
    EXPECT_EQ(L"Base window test", testsupport::WindowText(main.dlg.m_hWnd));
    EXPECT_EQ(g_hAppIcon, main.dlg.GetIcon(TRUE));
    EXPECT_EQ(g_hAppIcon, main.dlg.GetIcon(FALSE));
    ASSERT_NE(nullptr, g_hAppIcon);
}

TEST(MainWindow, SystemMenuHoldsExactlyTheRewrittenItems)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    HMENU menu = GetSystemMenu(main.dlg.m_hWnd, FALSE);
    ASSERT_NE(nullptr, menu);
    struct Item
    {
        UINT id;
        const wchar_t* text;
    } expected[] = {
        {16, L"About Base window test"}, {SC_RESTORE, L"Restore"}, {SC_MINIMIZE, L"Minimize"},
        {SC_MOVE, L"Move"},              {0, L"-"},                {SC_CLOSE, L"Close"},
    };
    ASSERT_EQ(static_cast<int>(std::size(expected)), GetMenuItemCount(menu));
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        MENUITEMINFOW mii{sizeof(mii)};
        wchar_t text[64] = {};
        mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &mii));
        const bool separator = (mii.fType & MFT_SEPARATOR) != 0;
        EXPECT_EQ(expected[i].id, separator ? 0u : mii.wID) << i;
        EXPECT_EQ(std::wstring(expected[i].text), separator ? std::wstring(L"-") : std::wstring(text)) << i;
    }
    EXPECT_TRUE(GetWindowLongW(main.dlg.m_hWnd, GWL_STYLE) & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongW(main.dlg.m_hWnd, GWL_STYLE) & WS_MINIMIZEBOX);
}

TEST(MainWindow, CaptionButtonsLieInPlaceAndTheMaximisePairSwaps)
{
    for (bool resizable : {false, true})
    {
        MainWindow main(resizable);
        ASSERT_TRUE(main.created);
        SendMessageW(main.dlg.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(700, 500));
        const RECT close = ClientRectOf(main.dlg.m_hWnd, main.dlg.m_btnClose.m_hWnd);
        const RECT closeAt = {700 - 43 - 7, 2, 700 - 7, 20};
        EXPECT_TRUE(EqualRect(&close, &closeAt)) << close.left << "," << close.top;
        const int minX = resizable ? closeAt.left - 50 : closeAt.left - 25;
        const RECT minimise = ClientRectOf(main.dlg.m_hWnd, main.dlg.m_btnMinimize.m_hWnd);
        const RECT minAt = {minX, 2, minX + 25, 20};
        EXPECT_TRUE(EqualRect(&minimise, &minAt)) << minimise.left << "," << minimise.top;
        EXPECT_EQ(resizable, main.dlg.m_btnMaximize.m_hWnd != nullptr);
        if (!resizable)
            continue;
        for (HWND button : {main.dlg.m_btnMaximize.m_hWnd, main.dlg.m_btnRestore.m_hWnd})
        {
            const RECT at = ClientRectOf(main.dlg.m_hWnd, button);
            const RECT want = {closeAt.left - 25, 2, closeAt.left, 20};
            EXPECT_TRUE(EqualRect(&at, &want));
            EXPECT_EQ(IDC_BASEWND_MAXRESTORE, GetDlgCtrlID(button));
        }
        EXPECT_TRUE(Shown(main.dlg.m_btnMaximize.m_hWnd));
        EXPECT_FALSE(Shown(main.dlg.m_btnRestore.m_hWnd));
        main.dlg.ToggleMaximize();
        EXPECT_FALSE(Shown(main.dlg.m_btnMaximize.m_hWnd));
        EXPECT_TRUE(Shown(main.dlg.m_btnRestore.m_hWnd));
        EXPECT_EQ(1, main.dlg.m_bMaximized);
    }
}

TEST(MainWindow, SystemCommandsMinimiseCloseAndShowTheAboutBox)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    main.dlg.ShowWindow(SW_SHOW);
    SendMessageW(main.dlg.m_hWnd, WM_SYSCOMMAND, 0x8001, 0);
    EXPECT_TRUE(IsIconic(main.dlg.m_hWnd));
    EXPECT_EQ(1, main.dlg.m_bSysCommandSeen);
    SendMessageW(main.dlg.m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(main.dlg.m_hWnd));

    // SC_CLOSE posts exactly one WM_CLOSE.
    SendMessageW(main.dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, main.dlg.m_closes);
    Pump(200);
    EXPECT_EQ(1, main.dlg.m_closes);

    testsupport::ScriptedAnswers answers;
    std::wstring seen;
    answers.On(L"#32770", L"About Lumasweep", [&](HWND about) {
        seen = testsupport::WindowText(GetDlgItem(about, IDC_ABOUT_PRODUCT));
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(main.dlg.m_hWnd, WM_SYSCOMMAND, 16, 0);
    EXPECT_TRUE(answers.WaitForAnswers(1, 1000));
    EXPECT_EQ(L"Lumasweep", seen);
}

TEST(MainWindow, TrackingSizesLeaveTheTaskbarFree)
{
    const int maxX = GetSystemMetrics(SM_CXMAXTRACK);
    const int maxY = GetSystemMetrics(SM_CYMAXTRACK);
    MainWindow main;
    ASSERT_TRUE(main.created);
    CTestPopup popup;
    ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
    auto ask = [](HWND window) {
        MINMAXINFO mmi{};
        SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        return mmi;
    };
    // Without a taskbar its height counts as 0; with one, its client height.
    auto taskbarHeight = [] {
        RECT rc{};
        HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
        return tray && GetClientRect(tray, &rc) ? rc.bottom : 0;
    };
    struct Case
    {
        const wchar_t* name;
        bool makeTaskbar;
    } cases[] = {{L"as found", false}, {L"with a taskbar of 40", true}};
    for (const Case& c : cases)
    {
        HWND fake = nullptr;
        if (c.makeTaskbar && !FindWindowW(L"Shell_TrayWnd", nullptr))
        {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"Shell_TrayWnd";
            RegisterClassW(&wc);
            fake = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 300, 40, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(nullptr, fake);
        }
        const int tray = taskbarHeight();
        if (c.makeTaskbar)
        {
            EXPECT_GT(tray, 0);
        }
        for (HWND window : {main.dlg.m_hWnd, popup.m_hWnd})
        {
            const MINMAXINFO mmi = ask(window);
            EXPECT_EQ(772, mmi.ptMinTrackSize.x) << testsupport::Utf8(c.name);
            EXPECT_EQ(583, mmi.ptMinTrackSize.y);
            EXPECT_EQ(maxX, mmi.ptMaxTrackSize.x);
            EXPECT_EQ(maxY - tray - 5, mmi.ptMaxTrackSize.y) << testsupport::Utf8(c.name);
        }
        if (fake)
        {
            DestroyWindow(fake);
        }
    }
    popup.DestroyWindow();
}

TEST(MainWindow, TheTopBandDragsUnlessMaximisedAndDoubleClickToggles)
{
    struct Case
    {
        int y;
        bool maximised;
        int presses;
    } cases[] = {{0, false, 1}, {28, false, 1}, {29, false, 0}, {200, false, 0}, {10, true, 0}};
    for (const Case& c : cases)
    {
        MainWindow main(true);
        ASSERT_TRUE(main.created);
        main.dlg.m_bMaximized = c.maximised;
        SendMessageW(main.dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, c.y));
        EXPECT_EQ(c.presses, main.dlg.m_captionPresses) << "y " << c.y;

        CTestPopup popup;
        popup.m_bMaximized = c.maximised;
        ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
        SendMessageW(popup.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, c.y));
        EXPECT_EQ(c.presses, popup.m_captionPresses) << "pop-up y " << c.y;
        popup.DestroyWindow();
    }
    MainWindow fixed(false);
    SendMessageW(fixed.dlg.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
    EXPECT_EQ(0, fixed.dlg.m_bMaximized);
    MainWindow resizable(true);
    SendMessageW(resizable.dlg.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 40));
    EXPECT_EQ(0, resizable.dlg.m_bMaximized);
    SendMessageW(resizable.dlg.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
    EXPECT_EQ(1, resizable.dlg.m_bMaximized);
    EXPECT_TRUE(Shown(resizable.dlg.m_btnRestore.m_hWnd));
}

TEST(MainWindow, BroadcastQuitsOnlyForItsOwnToolBitmap)
{
    struct Case
    {
        WPARAM wParam;
        LPARAM lParam;
        bool quits;
    } cases[] = {{1001, 1301, true}, {1001, 1302, false}, {1000, 1301, false}, {1002, 1301, false}};
    MainWindow main;
    ASSERT_TRUE(main.created);
    for (const Case& c : cases)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        {
        }
        SendMessageW(main.dlg.m_hWnd, g_nBroadcastMessage, c.wParam, c.lParam);
        const bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        EXPECT_EQ(c.quits, quit) << c.wParam << " " << c.lParam;
    }
}

TEST(MainWindow, KickIdleReachesEveryDescendant)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    // A grandchild as well: a static inside a static.
    HWND nested = CreateWindowExW(0, L"Static", L"nested", WS_CHILD, 0, 0, 10, 10, GetDlgItem(main.dlg.m_hWnd, 411),
                                  nullptr, nullptr, nullptr);
    std::vector<std::unique_ptr<CIdleCounter>> counters;
    for (HWND child : Descendants(main.dlg.m_hWnd))
    {
        if (CWnd::FromHandlePermanent(child)) // the caption buttons have their objects
            continue;
        counters.push_back(std::make_unique<CIdleCounter>());
        ASSERT_TRUE(counters.back()->SubclassWindow(child));
    }
    ASSERT_EQ(4u, counters.size()); // label, nested label, help and demonstration buttons
    SendMessageW(main.dlg.m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, 0);
    for (const auto& counter : counters)
        EXPECT_EQ(1, counter->m_count) << testsupport::Utf8(testsupport::WindowText(counter->m_hWnd));
    for (const auto& counter : counters)
        counter->UnsubclassWindow();
    DestroyWindow(nested);
}

// ---- Pop-ups --------------------------------------------------------------------------------

TEST(Popups, CloseButtonAndMaximisePairLieInPlace)
{
    for (bool maximisable : {false, true})
    {
        CTestPopup popup;
        popup.m_bMaximisable = maximisable;
        ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
        RECT client{};
        GetClientRect(popup.m_hWnd, &client);
        const int width = client.right;
        const RECT close = ClientRectOf(popup.m_hWnd, popup.m_btnClose.m_hWnd);
        const RECT closeAt = {width - 50, 2, width - 7, 20};
        EXPECT_TRUE(EqualRect(&close, &closeAt));
        EXPECT_EQ(IDC_BASEWND_POPUP_CLOSE, GetDlgCtrlID(popup.m_btnClose.m_hWnd));
        EXPECT_EQ(maximisable, popup.m_btnMaximize.m_hWnd != nullptr);
        if (maximisable)
        {
            const RECT pair = ClientRectOf(popup.m_hWnd, popup.m_btnMaximize.m_hWnd);
            const RECT pairAt = {width - 75, 2, width - 50, 20};
            EXPECT_TRUE(EqualRect(&pair, &pairAt));
        }
        popup.DestroyWindow();
    }
}

namespace
{
int g_closeHandlerCalls = 0;
void CountingCloseHandler(CDlgBaseChildPopUpWndBase*)
{
    ++g_closeHandlerCalls;
}
} // namespace

TEST(Popups, SystemCloseEndsInTheCloseRequestAndNeverInWmClose)
{
    // With a close handler: only the handler runs and the pop-up stays.
    {
        CTestPopup popup;
        popup.m_bHasCloseHandler = 1;
        popup.m_pfnCloseHandler = &CountingCloseHandler;
        g_closeHandlerCalls = 0;
        ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
        SendMessageW(popup.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump(100);
        EXPECT_EQ(1, g_closeHandlerCalls);
        EXPECT_EQ(0, popup.m_closes);
        EXPECT_EQ(0, popup.m_derivedCancels);
        popup.DestroyWindow();
    }
    // Without one, modal: the base's guarded cancel ends it, not the tool's own OnCancel.
    {
        CTestPopup popup;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"Sample pop-up",
                   [](HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
        EXPECT_EQ(IDCANCEL, popup.DoModal());
        EXPECT_EQ(0, popup.m_closes);
        EXPECT_EQ(0, popup.m_derivedCancels);
    }
}

// ---- Shade ----------------------------------------------------------------------------------

namespace
{
class CTestNag : public CDlgBaseWndPopupNagBase
{
public:
    CTestNag() : CDlgBaseWndPopupNagBase(kPopupTemplate, nullptr) {}
};

struct ShadeSeen
{
    RECT rect{};
    LONG exStyle = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    int region = ERROR;
    bool enabledOwner = true;
};
} // namespace

TEST(Shade, ReturnsTheButtonsCodeAndCoversTheOwner)
{
    struct Case
    {
        const wchar_t* name;
        std::vector<std::pair<UINT, WPARAM>> toShadeFirst; // messages aimed at the shade itself
        int button;
        int expected;
    } cases[] = {
        {L"OK", {}, IDOK, IDOK},
        {L"Cancel", {}, IDCANCEL, IDCANCEL},
        {L"keys and close at the shade, then OK",
         {{WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0}},
         IDOK,
         IDOK},
        {L"close request of the pop-up", {}, 0, IDCANCEL},
    };
    for (const Case& c : cases)
    {
        MainWindow owner;
        ASSERT_TRUE(owner.created);
        owner.dlg.ShowWindow(SW_SHOW);
        SetWindowPos(owner.dlg.m_hWnd, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT ownerRect{};
        GetWindowRect(owner.dlg.m_hWnd, &ownerRect);

        ShadeSeen seen;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"Sample pop-up", [&](HWND popup) {
            HWND shade = GetWindow(popup, GW_OWNER);
            GetWindowRect(shade, &seen.rect);
            seen.exStyle = GetWindowLongW(shade, GWL_EXSTYLE);
            GetLayeredWindowAttributes(shade, nullptr, &seen.alpha, &seen.flags);
            HRGN rgn = CreateRectRgn(0, 0, 0, 0);
            seen.region = GetWindowRgn(shade, rgn);
            DeleteObject(rgn);
            seen.enabledOwner = IsWindowEnabled(owner.dlg.m_hWnd) != 0;
            for (const auto& m : c.toShadeFirst)
                SendMessageW(shade, m.first, m.second, 0);
            Sleep(100);
            if (c.button)
                PostMessageW(popup, WM_COMMAND, c.button, 0);
            else
                PostMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        CTestNag nag;
        const int result = DoModalShaded(&owner.dlg, &nag, kPopupTemplate);
        EXPECT_EQ(c.expected, result) << testsupport::Utf8(c.name);
        ASSERT_EQ(1u, answers.Seen().size());
        RECT expected = ownerRect;
        InflateRect(&expected, -1, -1);
        EXPECT_TRUE(EqualRect(&expected, &seen.rect)) << testsupport::Utf8(c.name);
        EXPECT_TRUE(seen.exStyle & WS_EX_LAYERED);
        EXPECT_EQ(171, seen.alpha);
        EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), seen.flags);
        EXPECT_NE(ERROR, seen.region);
        EXPECT_NE(NULLREGION, seen.region);
        EXPECT_FALSE(seen.enabledOwner);
        EXPECT_TRUE(IsWindowEnabled(owner.dlg.m_hWnd));
        EXPECT_EQ(owner.dlg.m_hWnd, GetForegroundWindow());
        EXPECT_EQ(nullptr, nag.m_hWnd);
    }
}

TEST(Shade, AboutBoxShowsProductVersionAndDescription)
{
    MainWindow owner;
    ASSERT_TRUE(owner.created);
    owner.dlg.ShowWindow(SW_SHOW);
    std::map<int, std::wstring> texts;
    std::wstring contextWhileShown;
    EXPECT_EQ(L"", std::wstring(g_strDialogContext));
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"About Lumasweep", [&](HWND about) {
        contextWhileShown = static_cast<LPCWSTR>(g_strDialogContext);
        for (int id : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_DESCRIPTION})
            texts[id] = testsupport::WindowText(GetDlgItem(about, id));
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, ShowAboutBox(&owner.dlg));
    EXPECT_EQ(L"ABOUT", contextWhileShown);
    EXPECT_EQ(L"", std::wstring(g_strDialogContext));
    EXPECT_EQ(L"Lumasweep", texts[IDC_ABOUT_PRODUCT]);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(SuiteCore(), path, MAX_PATH);
    EXPECT_EQ(std::wstring(L"Version ") + static_cast<LPCWSTR>(GetFileVersionString(path)), texts[IDC_ABOUT_VERSION]);
    EXPECT_NE(std::wstring::npos, texts[IDC_ABOUT_DESCRIPTION].find(L"Lumasweep"));
}

// ---- Help menu ------------------------------------------------------------------------------

namespace
{
// A copy of the recorder under a suite program's name in the program's folder, removed (with
// its record) before and after.
class StandIn
{
public:
    explicit StandIn(const std::wstring& name)
    {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        m_folder = self;
        m_folder.resize(m_folder.find_last_of(L'\\'));
        m_path = m_folder + L"\\" + name;
        Remove();
        m_ok = CopyFileW(testsupport::RecorderPath().c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~StandIn() { Remove(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    void ForgetRecord() const { DeleteFileW((m_path + L".record").c_str()); }
    bool Ok() const { return m_ok; }
    const std::wstring& Path() const { return m_path; }
    const std::wstring& Folder() const { return m_folder; }

private:
    void Remove() const
    {
        ForgetRecord();
        for (int i = 0; i < 50 && GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        {
            if (DeleteFileW(m_path.c_str()))
                break;
            Sleep(100); // the stand-in may still be ending
        }
    }
    std::wstring m_folder, m_path;
    bool m_ok = false;
};
} // namespace

TEST(HelpMenu, CommandsOpenThePagesAndStartThePrograms)
{
    StandIn ward(L"wardtool.exe"), demo(L"qmndemo.exe");
    ASSERT_TRUE(ward.Ok());
    ASSERT_TRUE(demo.Ok());
    testsupport::TempDir dir;
    const std::wstring browser = dir.File(L"browser.exe");
    ASSERT_TRUE(CopyFileW(testsupport::RecorderPath().c_str(), browser.c_str(), FALSE));
    testsupport::UrlHandlerOverride handler(L"\"" + browser + L"\" \"%1\"");
    ASSERT_TRUE(handler.Installed());
    SetHelpModuleName(L"TestModule");

    MainWindow main;
    ASSERT_TRUE(main.created);
    main.dlg.m_bHasDemo = 1;
    HWND demoButton = GetDlgItem(main.dlg.m_hWnd, IDC_BASEWND_DEMO);
    struct Case
    {
        UINT command;
        std::wstring exe;
        std::wstring startsWith;
        std::wstring endsWith;
    } cases[] = {
        {ID_HELPMENU_HELP, browser,
         L"\"" + browser + L"\" \"http://www.orvane.example/qmn/help/showhelp.aspx?module=TestModule&utm_source=&"
                           L"utm_medium=Product&utm_term=Help&utm_content=BaseWndTest&utm_campaign=Default-Product\"",
         L"\""},
        {ID_HELPMENU_WEBSITE, browser,
         L"\"" + browser + L"\" \"http://www.orvane.example/?utm_source=&utm_medium=Product&utm_term=Website&"
                           L"utm_content=BaseWndTest&utm_campaign=Default-Product\"",
         L"\""},
        {ID_HELPMENU_UPDATE, ward.Path(), L"\"" + ward.Path() + L"\" checkupdate", L"checkupdate"},
        {ID_HELPMENU_DEMO, demo.Path(), L"\"" + demo.Path() + L"\" TestModule", L"TestModule"},
    };
    bool demoOffAtOnce = false;
    for (const Case& c : cases)
    {
        DeleteFileW((c.exe + L".record").c_str());
        SendMessageW(main.dlg.m_hWnd, WM_COMMAND, c.command, 0);
        if (c.command == ID_HELPMENU_DEMO)
            demoOffAtOnce = !IsWindowEnabled(demoButton);
        const auto record = testsupport::WaitForLaunchRecord(c.exe);
        ASSERT_TRUE(record.has_value()) << c.command;
        EXPECT_EQ(0u, record->commandLine.find(c.startsWith)) << testsupport::Utf8(record->commandLine);
        EXPECT_EQ(record->commandLine.size() - c.endsWith.size(), record->commandLine.rfind(c.endsWith))
            << testsupport::Utf8(record->commandLine);
        if (c.exe != browser)
        {
            EXPECT_EQ(ward.Folder(), record->folder);
        }
    }
    const DWORD firstUpdate = GetTickCount();
    // The demonstration button is off for 512 ms after it started the program.
    EXPECT_TRUE(demoOffAtOnce);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return IsWindowEnabled(demoButton) != FALSE; }, 10000));

    // Within 8191 ms a second request starts nothing; after them it starts the program again.
    for (UINT command : {ID_HELPMENU_UPDATE, ID_HELPMENU_DEMO})
    {
        const std::wstring& exe = command == ID_HELPMENU_UPDATE ? ward.Path() : demo.Path();
        DeleteFileW((exe + L".record").c_str());
        SendMessageW(main.dlg.m_hWnd, WM_COMMAND, command, 0);
        EXPECT_TRUE(IsWindowEnabled(demoButton));
        EXPECT_FALSE(testsupport::WaitForLaunchRecord(exe, 2000).has_value()) << command;
    }
    while (GetTickCount() - firstUpdate < 8400)
        Pump(200);
    for (UINT command : {ID_HELPMENU_UPDATE, ID_HELPMENU_DEMO})
    {
        const std::wstring& exe = command == ID_HELPMENU_UPDATE ? ward.Path() : demo.Path();
        DeleteFileW((exe + L".record").c_str());
        SendMessageW(main.dlg.m_hWnd, WM_COMMAND, command, 0);
        EXPECT_TRUE(testsupport::WaitForLaunchRecord(exe).has_value()) << command;
    }
    SetHelpModuleName(L"");
}

TEST(Shade, AnOwnerOutsideTheDesktopBringsTheMainWindowForwardCentred)
{
    CWinApp app(L"BaseWndTest");
    MainWindow main;
    ASSERT_TRUE(main.created);
    main.dlg.ShowWindow(SW_HIDE);
    app.m_pMainWnd = &main.dlg;
    CTestPopup owner;
    ASSERT_TRUE(owner.Create(kPopupTemplate, nullptr));
    owner.SetWindowPos(nullptr, -5000, -5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);

    bool mainShown = false;
    RECT mainRect{};
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Sample pop-up", [&](HWND popup) {
        mainShown = IsWindowVisible(main.dlg.m_hWnd) != FALSE;
        GetWindowRect(main.dlg.m_hWnd, &mainRect);
        PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
    });
    CDlgBaseWndPopupNagBase nag(kPopupTemplate, nullptr);
    EXPECT_EQ(IDCANCEL, DoModalShaded(&owner, &nag, kPopupTemplate));
    EXPECT_TRUE(mainShown);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (mainRect.left + mainRect.right) / 2, 1);
    EXPECT_NEAR((work.top + work.bottom) / 2, (mainRect.top + mainRect.bottom) / 2, 1);
    app.m_pMainWnd = nullptr;
    owner.DestroyWindow();
}
