// The tray icon against Wine's notification area, and the menus it pops up.
#include <suitecore/ui/menu.h>
#include <suitecore/ui/trayicon.h>

#include <framework/window.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace
{
const UINT kMenuId = 300; // the menu resource: its first submenu holds 201, a separator, "Recent", 202
const UINT kAppIcon = 1287;
const UINT kPanelIcon = 1294;

// The probe: does the shell hold an icon for this window and ID?
bool ShellHolds(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = 936;
    nid.hWnd = hWnd;
    nid.uID = uID;
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool ShellDelete(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = 936;
    nid.hWnd = hWnd;
    nid.uID = uID;
    return ::Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
}

// The tool's window: answers the callback message as told and records its commands.
struct Target
{
    static LRESULT answer;
    static std::vector<std::pair<UINT, LPARAM>> notifications;
    static std::vector<WPARAM> commands;

    HWND hWnd = nullptr;
    Target()
    {
        answer = 0;
        notifications.clear();
        commands.clear();
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TrayTestTarget";
            return ::RegisterClassW(&wc);
        }();
        hWnd = ::CreateWindowExW(0, MAKEINTATOM(atom), L"tray test target", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~Target() { ::DestroyWindow(hWnd); }
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == XT_TRAYICON_NOTIFY)
        {
            notifications.emplace_back(static_cast<UINT>(wParam), lParam);
            return answer;
        }
        if (message == WM_COMMAND)
            commands.push_back(wParam);
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
};
LRESULT Target::answer;
std::vector<std::pair<UINT, LPARAM>> Target::notifications;
std::vector<WPARAM> Target::commands;

class TrayIcon : public ::testing::Test
{
protected:
    void SetUp() override { SetCachedShellVersion(0); }
    void TearDown() override { SetCachedShellVersion(0); }
    Target target;
    CXTTrayIcon tray;
    HWND Tray() const { return tray.GetSafeHwnd(); }
    bool Holds() const { return ShellHolds(Tray(), kMenuId); }
    bool Create(UINT defaultItem = 201, bool byPos = false)
    {
        return tray.CreateTrayIcon(L"Tray test", target.hWnd, kAppIcon, kMenuId, defaultItem, byPos);
    }
};

TEST_F(TrayIcon, CreateNeedsATarget)
{
    EXPECT_FALSE(tray.CreateTrayIcon(L"tip", nullptr, kAppIcon, kMenuId));
    EXPECT_EQ(nullptr, Tray());
    EXPECT_TRUE(tray.IsRemoved());
}

TEST_F(TrayIcon, AddHideShowRemoveFollowTheStates)
{
    ASSERT_TRUE(Create());
    const XT_NOTIFYICONDATAW& nid = tray.GetNotifyIconData();
    EXPECT_EQ(936u, nid.cbSize);
    EXPECT_EQ(3537u, nid.uCallbackMessage);
    EXPECT_EQ(kMenuId, nid.uID);
    EXPECT_NE(nullptr, nid.hIcon);
    EXPECT_EQ(Tray(), nid.hWnd);

    struct Step
    {
        const char* name;
        BOOL (CXTTrayIcon::*op)();
        bool visible, hidden, removed, held;
    } steps[] = {
        {"hide", &CXTTrayIcon::HideIcon, false, true, false, true},
        {"hide again", &CXTTrayIcon::HideIcon, false, true, false, true},
        {"show", &CXTTrayIcon::ShowIcon, true, false, false, true},
        {"remove", &CXTTrayIcon::RemoveIcon, false, true, true, false},
        {"remove again", &CXTTrayIcon::RemoveIcon, false, true, true, false},
        {"hide when removed", &CXTTrayIcon::HideIcon, false, true, true, false},
        {"show adds", &CXTTrayIcon::ShowIcon, true, false, false, true},
        {"add replaces", &CXTTrayIcon::AddIcon, true, false, false, true},
    };
    EXPECT_TRUE(Holds());
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        EXPECT_TRUE((tray.*s.op)());
        EXPECT_EQ(s.visible, !!tray.IsVisible());
        EXPECT_EQ(s.hidden, !!tray.IsHidden());
        EXPECT_EQ(s.removed, !!tray.IsRemoved());
        EXPECT_EQ(s.held, Holds());
    }
}

TEST_F(TrayIcon, TipsAndBalloons)
{
    ASSERT_TRUE(Create());
    const std::wstring longTip(200, L'x');
    EXPECT_TRUE(tray.SetTooltipText(longTip.c_str()));
    EXPECT_EQ(127, tray.GetTooltipText().GetLength());
    EXPECT_EQ(127u, wcslen(tray.GetNotifyIconData().szTip));

    EXPECT_FALSE(tray.ShowBalloonTip(nullptr));
    EXPECT_FALSE(tray.ShowBalloonTip(L""));
    const std::wstring longText(300, L'y');
    EXPECT_TRUE(tray.ShowBalloonTip(longText.c_str(), L"Title", NIIF_INFO, 3));
    const XT_NOTIFYICONDATAW& nid = tray.GetNotifyIconData();
    EXPECT_EQ(L'\0', nid.szInfo[0]); // not repeated by later changes
    EXPECT_STREQ(L"Title", nid.szInfoTitle);
    EXPECT_EQ(3000u, nid.uTimeout);
    EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), nid.dwInfoFlags);
}

TEST_F(TrayIcon, AnOldShellRefusesBalloonsAndHidingRemoves)
{
    ASSERT_TRUE(Create());
    EXPECT_TRUE(IsShellVersion5());
    SetCachedShellVersion(MAKELONG(71, 4));
    EXPECT_FALSE(IsShellVersion5());
    EXPECT_FALSE(tray.ShowBalloonTip(L"text"));
    EXPECT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_FALSE(Holds());
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_TRUE(Holds());
    SetCachedShellVersion(MAKELONG(0, 5));
    EXPECT_TRUE(IsShellVersion5());
}

TEST_F(TrayIcon, NotificationsReachTheTargetFirst)
{
    struct
    {
        const char* name;
        UINT id;
        LRESULT answer;
        UINT defaultItem;
        bool byPos;
        size_t notified;
        std::vector<WPARAM> commands;
    } cases[] = {
        {"another icon", kMenuId + 1, 0, 201, false, 0, {}},
        {"target handles it", kMenuId, 1, 201, false, 1, {}},
        {"default by command", kMenuId, 0, 202, false, 1, {202}},
        {"default by position", kMenuId, 0, 3, true, 1, {202}},
    };
    ASSERT_TRUE(Create());
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Target::notifications.clear();
        Target::commands.clear();
        Target::answer = c.answer;
        tray.SetDefaultMenuItem(c.defaultItem, c.byPos);
        ::SendMessageW(Tray(), XT_TRAYICON_NOTIFY, c.id, WM_LBUTTONDBLCLK);
        EXPECT_EQ(c.notified, Target::notifications.size());
        if (c.notified)
        {
            EXPECT_EQ(static_cast<LPARAM>(WM_LBUTTONDBLCLK), Target::notifications[0].second);
        }
        EXPECT_EQ(c.commands, Target::commands);
    }
    // A handled right click shows no menu (a menu would block here).
    Target::answer = 1;
    ::SendMessageW(Tray(), XT_TRAYICON_NOTIFY, kMenuId, WM_RBUTTONUP);
}

TEST_F(TrayIcon, TaskbarCreatedReAddsOnlyAVisibleIcon)
{
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    struct
    {
        const char* name;
        BOOL (CXTTrayIcon::*before)();
        bool readded;
    } cases[] = {
        {"visible", &CXTTrayIcon::ShowIcon, true},
        {"hidden", &CXTTrayIcon::HideIcon, false},
        {"removed", &CXTTrayIcon::RemoveIcon, false},
    };
    ASSERT_TRUE(Create());
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(tray.AddIcon());
        (tray.*c.before)();
        ShellDelete(Tray(), kMenuId); // the shell restarted without it
        ASSERT_FALSE(Holds());
        // Sent to the icon's window alone: a broadcast would reach every test's windows.
        ::SendMessageW(Tray(), taskbarCreated, 0, 0);
        EXPECT_EQ(c.readded, Holds());
    }
}

TEST_F(TrayIcon, AnimationCyclesAndStoppingRestores)
{
    ASSERT_TRUE(Create());
    const HICON base = tray.GetNotifyIconData().hIcon;
    // Without frames there is nothing to animate, and a stray tick changes nothing.
    EXPECT_FALSE(tray.StartAnimation(1001, 50));
    ::SendMessageW(Tray(), WM_TIMER, 1001, 0);
    EXPECT_EQ(base, tray.GetNotifyIconData().hIcon);
    EXPECT_STREQ(L"Tray test", tray.GetNotifyIconData().szTip);

    const UINT missing[] = {kAppIcon, 9999};
    EXPECT_FALSE(tray.SetAnimationIcons(missing, 2, nullptr));
    EXPECT_FALSE(tray.StartAnimation(1001, 50));

    const UINT ids[] = {kAppIcon, kPanelIcon, kAppIcon};
    const CString tips[] = {L"first", L"", L"third"};
    ASSERT_TRUE(tray.SetAnimationIcons(ids, tips, 3));
    ASSERT_TRUE(tray.StartAnimation(1001, 60000));
    std::vector<HICON> icons;
    const wchar_t* expectedTips[] = {L"first", L"Tray test", L"third", L"first"};
    for (const wchar_t* tip : expectedTips)
    {
        ::SendMessageW(Tray(), WM_TIMER, 1001, 0);
        icons.push_back(tray.GetNotifyIconData().hIcon);
        EXPECT_STREQ(tip, tray.GetNotifyIconData().szTip);
    }
    EXPECT_NE(base, icons[0]);
    EXPECT_NE(icons[0], icons[1]);
    EXPECT_NE(icons[1], icons[2]);
    EXPECT_EQ(icons[0], icons[3]);
    EXPECT_TRUE(Holds());
    tray.StopAnimation();
    EXPECT_EQ(base, tray.GetNotifyIconData().hIcon);
    EXPECT_STREQ(L"Tray test", tray.GetNotifyIconData().szTip);
    // Animating by the real timer shows the frames too.
    ASSERT_TRUE(tray.StartAnimation(1001, 20));
    const DWORD until = ::GetTickCount() + 20000;
    while (tray.GetNotifyIconData().hIcon == base && ::GetTickCount() < until)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
    EXPECT_NE(base, tray.GetNotifyIconData().hIcon);
    tray.StopAnimationTimer();
    EXPECT_EQ(base, tray.GetNotifyIconData().hIcon);
}

// Waits for a pop-up menu of this process to show, records its items, and closes it.
class MenuCloser
{
public:
    MenuCloser()
        : m_thread([this] {
              const DWORD until = ::GetTickCount() + 30000;
              while (::GetTickCount() < until)
              {
                  HWND hPopup = ::FindWindowW(L"#32768", nullptr);
                  if (hPopup && ::IsWindowVisible(hPopup))
                  {
                      ::Sleep(300); // let it draw
                      const auto hMenu = reinterpret_cast<HMENU>(::SendMessageW(hPopup, MN_GETHMENU, 0, 0));
                      for (int i = 0; hMenu && i < ::GetMenuItemCount(hMenu); ++i)
                          m_ids.push_back(::GetMenuItemID(hMenu, i));
                      m_shown = true;
                      ::PostMessageW(hPopup, WM_KEYDOWN, VK_ESCAPE, 0);
                      ::PostMessageW(hPopup, WM_KEYUP, VK_ESCAPE, 0);
                      return;
                  }
                  ::Sleep(20);
              }
          })
    {
    }
    ~MenuCloser() { m_thread.join(); }
    bool Shown() const { return m_shown; }
    std::vector<UINT> Ids() const { return m_ids; }

private:
    std::atomic<bool> m_shown{false};
    std::vector<UINT> m_ids;
    std::thread m_thread;
};

TEST_F(TrayIcon, RightClickShowsTheFirstSubmenu)
{
    ASSERT_TRUE(Create());
    std::vector<UINT> ids;
    {
        MenuCloser closer;
        ::SendMessageW(Tray(), XT_TRAYICON_NOTIFY, kMenuId, WM_RBUTTONUP);
        ASSERT_TRUE(closer.Shown());
        ids = closer.Ids();
    }
    EXPECT_EQ((std::vector<UINT>{201, 0, static_cast<UINT>(-1), 202}), ids);
    EXPECT_EQ(1u, Target::notifications.size());
    EXPECT_TRUE(Target::commands.empty());
}

TEST_F(TrayIcon, MinimiseToTrayAndRestore)
{
    ASSERT_TRUE(Create());
    ::ShowWindow(target.hWnd, SW_SHOW);
    tray.MinimizeToTray(target.hWnd);
    ASSERT_NE(nullptr, tray.GetMinimizeWnd());
    EXPECT_EQ(tray.GetMinimizeWnd(), ::GetWindow(target.hWnd, GW_OWNER));
    EXPECT_FALSE(::IsWindowVisible(target.hWnd));
    EXPECT_FALSE(::IsWindowVisible(tray.GetMinimizeWnd()));
    tray.RestoreFromTray(target.hWnd);
    EXPECT_EQ(nullptr, ::GetWindow(target.hWnd, GW_OWNER));
    EXPECT_TRUE(::IsWindowVisible(target.hWnd));
    EXPECT_EQ(target.hWnd, ::GetActiveWindow());
}

// A BCMenu that counts the calls the framework routes to it.
class CountingMenu : public BCMenu
{
public:
    std::atomic<int> measured{0};
    std::atomic<int> drawn{0};
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override
    {
        ++measured;
        BCMenu::MeasureItem(lpMIS);
    }
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override
    {
        ++drawn;
        BCMenu::DrawItem(lpDIS);
    }
};

TEST(BCMenuTracked, TrackPopupMenuMeasuresAndDrawsTheItems)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"menu owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
    CountingMenu menu;
    ASSERT_TRUE(menu.AppendODMenu(L"First", MF_STRING, 601));
    ASSERT_TRUE(menu.AppendODMenu(L"", MF_STRING, 0));
    ASSERT_TRUE(menu.AppendODMenu(L"Second", MF_STRING, 602, 43));
    {
        MenuCloser closer;
        menu.TrackPopupMenu(TPM_LEFTBUTTON, 20, 20, &owner);
        ASSERT_TRUE(closer.Shown());
    }
    EXPECT_GE(menu.measured.load(), 3);
    EXPECT_GE(menu.drawn.load(), 3);
    owner.DestroyWindow();
}
} // namespace
