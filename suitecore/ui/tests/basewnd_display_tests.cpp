// The skinned base windows on a real screen: Enter and Escape held down against the guarded
// OK and Cancel, keys aimed at the shade, and the pop-up's skin read back from the screen and
// compared with the library's pictures.
#include <testsupport/ui.h>

#include <suitecore/app.h>
#include <suitecore/ui/basewnd.h>
#include <suitecore/ui/uifont.h>
#include <suitecore/ui/menu.h>

#include <framework/app.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr UINT kPopupTemplate = 400;
constexpr unsigned kTitleColour = 0xFCFCFC;

using basewnd_test::SuiteCore;

class CKeyPopup : public CDlgBaseChildPopUpWndBase
{
public:
    CKeyPopup() : CDlgBaseChildPopUpWndBase(kPopupTemplate, nullptr) {}
};

class CKeyNag : public CDlgBaseWndPopupNagBase
{
public:
    CKeyNag() : CDlgBaseWndPopupNagBase(kPopupTemplate, nullptr) {}
};

// Brings the window forward and gives it the keyboard focus, from another thread.
void FocusFromOutside(HWND window)
{
    SetForegroundWindow(window);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(window);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    Sleep(200);
}

testsupport::Capture CaptureWhen(HWND window, const std::function<bool(const testsupport::Capture&)>& ready)
{
    testsupport::Capture screen;
    testsupport::WaitUntil(
        [&] {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            screen = testsupport::CaptureClient(window);
            return screen.width > 0 && ready(screen);
        },
        20000);
    return screen;
}
} // namespace

TEST(Guards, HeldEnterAndEscapeDoNothingButTheButtonsClose)
{
    struct Case
    {
        WORD key;
        int button;
        bool ignore;
    } cases[] = {
        {VK_RETURN, IDOK, true},
        {VK_ESCAPE, IDCANCEL, true},
        {VK_RETURN, IDOK, false},
        {VK_ESCAPE, IDCANCEL, false},
    };
    for (const Case& c : cases)
    {
        CKeyPopup popup;
        popup.m_bIgnoreEnter = c.ignore;
        popup.m_bIgnoreEscape = c.ignore;
        bool stayedOpen = false;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"Sample pop-up", [&](HWND window) {
            FocusFromOutside(GetDlgItem(window, 401));
            {
                testsupport::HeldKey held(c.key);
                Sleep(500);
                stayedOpen = IsWindow(window) && IsWindowVisible(window);
            }
            Sleep(300);
            if (IsWindow(window))
                testsupport::ClickHeadless(GetDlgItem(window, c.button));
        });
        EXPECT_EQ(c.button, popup.DoModal()) << c.key << " ignore " << c.ignore;
        // With the guards on, the key alone leaves it open; with them off, it closes it.
        EXPECT_EQ(c.ignore, stayedOpen) << c.key << " ignore " << c.ignore;
    }
}

TEST(Guards, KeysAimedAtTheShadeNeverEndIt)
{
    CDialog* owner = nullptr;
    CKeyPopup host; // any visible window stands for the owner
    ASSERT_TRUE(host.Create(kPopupTemplate, nullptr));
    host.SetWindowText(L"Owner");
    host.SetWindowPos(nullptr, 20, 20, 700, 500, SWP_NOZORDER | SWP_SHOWWINDOW);
    owner = &host;
    bool aliveAfterKeys = false;
    std::string popupOnTop = "not seen";
    const testsupport::Capture corner = testsupport::LoadBitmapPixels(SuiteCore(), 1109);
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Sample pop-up", [&](HWND popup) {
        // The pop-up shows above its shade: its own frame corner is on the screen.
        testsupport::WaitUntil(
            [&] {
                popupOnTop = testsupport::CompareRegion(testsupport::CaptureClient(popup), 0, 0, corner);
                return popupOnTop.empty();
            },
            10000);
        HWND shade = GetWindow(popup, GW_OWNER);
        FocusFromOutside(shade);
        testsupport::PressKey(VK_RETURN);
        testsupport::PressKey(VK_ESCAPE);
        {
            testsupport::HeldKey alt(VK_MENU);
            testsupport::PressKey(VK_F4);
        }
        SendMessageW(shade, WM_SYSCOMMAND, SC_CLOSE, 0);
        Sleep(500);
        aliveAfterKeys = IsWindow(shade) && IsWindow(popup);
        testsupport::ClickHeadless(GetDlgItem(popup, IDOK));
    });
    CKeyNag nag;
    EXPECT_EQ(IDOK, DoModalShaded(owner, &nag, kPopupTemplate));
    EXPECT_TRUE(aliveAfterKeys);
    EXPECT_EQ("", popupOnTop);
    host.DestroyWindow();
}

TEST(Screens, PopupSkinMatchesTheLibrarysPictures)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    struct Case
    {
        int style;
        UINT strip;
        const wchar_t* title;
        bool maximisable;
    } cases[] = {
        {1, 1102, L"Header one", false},
        {2, 1112, L"Header two", true},
        {3, 1117, L"Header three", false},
        {4, 1118, L"", false},
    };
    for (const Case& c : cases)
    {
        CKeyPopup popup;
        popup.SetHeaderStyle(c.style);
        popup.m_bMaximisable = c.maximisable;
        ASSERT_TRUE(popup.Create(kPopupTemplate, nullptr));
        popup.SetWindowText(c.title);
        popup.SetWindowPos(&CWnd::wndTopMost, 30, 30, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        RECT rc{};
        popup.GetClientRect(&rc);
        const int w = rc.right, h = rc.bottom;

        const testsupport::Capture topLeft = testsupport::LoadBitmapPixels(core, 1109);
        const testsupport::Capture topRight = testsupport::LoadBitmapPixels(core, 1111);
        const testsupport::Capture bottomLeft = testsupport::LoadBitmapPixels(core, 1104);
        const testsupport::Capture bottomRight = testsupport::LoadBitmapPixels(core, 1106);
        const testsupport::Capture left = testsupport::LoadBitmapPixels(core, 1107);
        const testsupport::Capture bottom = testsupport::LoadBitmapPixels(core, 1105);
        const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, c.strip);
        const testsupport::Capture close = testsupport::LoadBitmapPixels(core, c.maximisable ? 1038 : 1064);
        ASSERT_EQ(7, strip.height);

        const testsupport::Capture screen = CaptureWhen(popup.m_hWnd, [&](const testsupport::Capture& s) {
            return testsupport::CompareRegion(s, 0, 0, topLeft).empty();
        });
        EXPECT_EQ("", testsupport::CompareRegion(screen, 0, 0, topLeft)) << c.style;
        EXPECT_EQ("", testsupport::CompareRegion(screen, w - 6, 0, topRight)) << c.style;
        EXPECT_EQ("", testsupport::CompareRegion(screen, 0, h - 6, bottomLeft)) << c.style;
        EXPECT_EQ("", testsupport::CompareRegion(screen, w - 6, h - 6, bottomRight)) << c.style;
        EXPECT_EQ("", testsupport::CompareRegion(screen, 0, 100, left)) << c.style;
        EXPECT_EQ("", testsupport::CompareRegion(screen, w / 2, h - 6, bottom)) << c.style;
        // The header strip lies on rows 29 to 35, across the whole band between the edges.
        for (int x : {6, w / 2, w - 7})
            EXPECT_EQ("", testsupport::CompareRegion(screen, x, 29, strip)) << c.style << " x " << x;
        // The close button shows its first frame at (width - 50, 2).
        EXPECT_EQ("", testsupport::CompareRegion(screen, w - 50, 2, close, RECT{0, 0, 43, 18})) << c.style;
        // The title (or the application's name when it is empty) in near-white inside its band,
        // and nowhere else on the dark caption.
        const RECT band = {6, 12, 306, 32};
        EXPECT_GT(testsupport::CountColour(screen, band, kTitleColour, 24), 10) << c.style;
        const RECT rest = {306, 12, w - 80, 29};
        EXPECT_EQ(0, testsupport::CountColour(screen, rest, kTitleColour, 24)) << c.style;
        if (HasFailure())
            ADD_FAILURE() << testsupport::Utf8(
                testsupport::SaveCaptureForReview(screen, L"PopupSkin" + std::to_wstring(c.style)));
        popup.DestroyWindow();
    }
}

namespace
{
constexpr UINT kMainTemplate = 410;

class CMenuMain : public CDlgMainWnd
{
public:
    CMenuMain() : CDlgMainWnd(kMainTemplate, nullptr) {}
    struct Item
    {
        UINT id = 0;
        bool ownerDrawn = false;
        std::wstring text;
        int image = -1;
    };
    std::vector<Item> m_items;
    int m_images = -1;

protected:
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM)
    {
        HMENU menu = reinterpret_cast<HMENU>(wParam);
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
        {
            MENUITEMINFOW mii{sizeof(mii)};
            mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA;
            GetMenuItemInfoW(menu, i, TRUE, &mii);
            Item item;
            item.id = mii.wID;
            item.ownerDrawn = (mii.fType & MFT_OWNERDRAW) != 0;
            if (const auto* data = reinterpret_cast<const BCMenuData*>(mii.dwItemData))
            {
                item.text = static_cast<LPCWSTR>(data->m_strText);
                item.image = data->xoffset;
            }
            m_items.push_back(item);
        }
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuMain, CDlgMainWnd)
    ON_MESSAGE(WM_INITMENUPOPUP, &CMenuMain::OnInitMenuPopup)
END_MESSAGE_MAP()
} // namespace

TEST(HelpMenuOnScreen, OwnerDrawnItemsWithBitmapsBelowTheHelpButton)
{
    const std::vector<std::pair<UINT, std::wstring>> all = {
        {1009, L"Online Help"},       {1011, L"Orvane Website"}, {1004, L"Check For Updates"},
        {1008, L"Report Feedback"},   {1003, L"About"},          {1005, L"View Demo"},
    };
    for (bool hasDemo : {false, true})
    {
        CMenuMain main;
        main.m_bHasDemo = hasDemo;
        ASSERT_TRUE(main.Create(kMainTemplate, nullptr));
        main.ShowWindow(SW_SHOW);
        RECT help{};
        GetWindowRect(GetDlgItem(main.m_hWnd, IDC_BASEWND_HELP), &help);
        RECT menuRect{};
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32768", L"", [&](HWND menu) {
            Sleep(300);
            GetWindowRect(menu, &menuRect);
            testsupport::PressKey(VK_ESCAPE);
        });
        main.ShowHelpMenu();
        const size_t count = hasDemo ? 6 : 5;
        ASSERT_EQ(count, main.m_items.size());
        for (size_t i = 0; i < count; ++i)
        {
            EXPECT_EQ(all[i].first, main.m_items[i].id) << i;
            EXPECT_EQ(all[i].second, main.m_items[i].text) << i;
            EXPECT_TRUE(main.m_items[i].ownerDrawn) << i;
            EXPECT_EQ(static_cast<int>(i), main.m_items[i].image) << i; // each its own bitmap
        }
        EXPECT_EQ(help.left - 181, menuRect.left);
        EXPECT_EQ(help.top + 22, menuRect.top);
        main.DestroyWindow();
    }
}

TEST(Screens, MainWindowCaptionButtonsShowTheirStrips)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    CMenuMain main;
    main.m_bResizable = 1;
    ASSERT_TRUE(main.Create(kMainTemplate, nullptr));
    main.SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    struct Face
    {
        HWND button;
        UINT strip;
    } faces[] = {
        {main.m_btnClose.m_hWnd, 1038},
        {main.m_btnMaximize.m_hWnd, 1063},
        {main.m_btnMinimize.m_hWnd, 1042},
    };
    const testsupport::Capture screen = CaptureWhen(main.m_hWnd, [&](const testsupport::Capture& s) {
        RECT at{};
        GetWindowRect(faces[0].button, &at);
        MapWindowPoints(nullptr, main.m_hWnd, reinterpret_cast<POINT*>(&at), 2);
        const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, faces[0].strip);
        return testsupport::CompareRegion(s, at.left, at.top, strip, RECT{0, 0, strip.width / 3, strip.height}).empty();
    });
    for (const Face& face : faces)
    {
        RECT at{};
        GetWindowRect(face.button, &at);
        MapWindowPoints(nullptr, main.m_hWnd, reinterpret_cast<POINT*>(&at), 2);
        const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, face.strip);
        ASSERT_GT(strip.width, 0);
        // Frame 0 (normal) of each strip of three frames.
        EXPECT_EQ("", testsupport::CompareRegion(screen, at.left, at.top, strip, RECT{0, 0, strip.width / 3, strip.height}))
            << face.strip;
        EXPECT_EQ(strip.width / 3, at.right - at.left) << face.strip;
        EXPECT_EQ(2, at.top) << face.strip;
    }
    if (HasFailure())
        ADD_FAILURE() << testsupport::Utf8(testsupport::SaveCaptureForReview(screen, L"MainCaption"));
    main.DestroyWindow();
}
