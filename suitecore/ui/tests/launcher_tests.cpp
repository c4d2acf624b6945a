// The launcher, the navigation pane, its content pages and the fade overlay, driven by messages
// without a screen; the fade's step, ramp and pixel arithmetic computed directly.
#include <testsupport/ui.h>

#include <suitecore/ui/fadewnd.h>
#include <suitecore/ui/gdiplus_bitmap.h>
#include <suitecore/ui/launcher.h>

#include <framework/app.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <memory>
#include <ostream>
#include <random>
#include <vector>

// Rectangles compare and print as such in the checks below.
inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& rc)
{
    return out << "(" << rc.left << ", " << rc.top << ")-(" << rc.right << ", " << rc.bottom << ")";
}

namespace
{
constexpr UINT kPageTemplate = 500;

void Pump(DWORD ms)
{
    testsupport::WaitUntil([] { return false; }, ms);
}

RECT RectIn(HWND parent, HWND child)
{
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Click(HWND parent, int id)
{
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(parent, id)));
}

std::vector<int> g_codes; // what the callbacks were told
int g_tabAnswer = 0;

int RecordTab(CDlgBaseAppDlg*, int nCode)
{
    g_codes.push_back(nCode);
    return g_tabAnswer;
}

void RecordNavigation(CDlgLeftDlgBase*, int nCode)
{
    g_codes.push_back(nCode);
}

class CTestLauncher : public CDlgBaseAppDlg
{
public:
    int m_closes = 0;

protected:
    void OnClose() { ++m_closes; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestLauncher, CDlgBaseAppDlg)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

struct Launcher
{
    explicit Launcher(int tabs, TabCallback callback = &RecordTab)
    {
        LauncherConfig config;
        config.nTabCount = tabs;
        for (int i = 0; i < tabs; ++i)
            config.tabCaptions.AddTail(L"Tab");
        config.strTitle = L"Launcher test";
        config.pfnTabCallback = callback;
        dlg.ConfigureLauncher(config);
        created = dlg.Create(IDD_LAUNCHER, nullptr);
        for (int i = 0; created && i < 2; ++i)
        {
            pages[i].Create(L"page", WS_CHILD, RECT{20, 80, 200, 100}, &dlg);
            dlg.SetTabPage(i, &pages[i]);
        }
        Pump(50);
    }
    ~Launcher()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
    CTestLauncher dlg;
    CStatic pages[2];
    BOOL created = FALSE;
};

// A pane inside a plain top-level host, with a page per button.
struct Pane
{
    explicit Pane(int mode = 0, BYTE showLinks = 1)
    {
        host.CreateEx(0, AfxRegisterWndClass(0), L"Pane host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 520, nullptr, nullptr);
        pane.m_nMode = mode;
        pane.m_bShowLinks = showLinks;
        pane.SetNavigationCallback(&RecordNavigation);
        created = pane.Create(IDD_LEFT_PANE, &host);
        pane.ShowWindow(SW_SHOW);
        g_codes.clear();
    }
    void AddPages()
    {
        for (int i = 0; i < 2; ++i)
        {
            pages[i] = std::make_unique<CDlgLeftSideChild>(kPageTemplate, &pane);
            pages[i]->Create(kPageTemplate, &pane);
            pane.SetPage(i, pages[i].get());
        }
    }
    ~Pane()
    {
        for (auto& page : pages)
            if (page && page->m_hWnd)
                page->DestroyWindow();
        if (pane.m_hWnd)
            pane.DestroyWindow();
        host.DestroyWindow();
    }
    CGdiPlusToken gdiplus; // the navigation buttons paint with GDI+
    CWnd host;
    CDlgLeftDlgBase pane;
    std::unique_ptr<CDlgLeftSideChild> pages[2];
    BOOL created = FALSE;
};

CStringList& Captions()
{
    static CStringList list;
    if (list.IsEmpty())
        for (int i = 0; i < 9; ++i)
            list.AddTail(L"Button");
    return list;
}
} // namespace

// ---- Launcher -------------------------------------------------------------------------------

TEST(Launcher, MakesOneTabButtonPerConfiguredTabUpToFive)
{
    for (int tabs : {0, 3, 5, 6})
    {
        Launcher l(tabs);
        ASSERT_TRUE(l.created);
        const int made = tabs > 5 ? 5 : tabs;
        EXPECT_EQ(made, l.dlg.GetTabCount());
        for (int i = 0; i < 5; ++i)
        {
            HWND tab = GetDlgItem(l.dlg.m_hWnd, 1259 + i);
            ASSERT_EQ(i < made, tab != nullptr) << tabs << " tabs, button " << i;
            if (!tab)
                continue;
            const RECT rc = RectIn(l.dlg.m_hWnd, tab);
            EXPECT_EQ((RECT{165 + 100 * i, 35, 266 + 100 * i, 57}), rc) << i;
        }
    }
}

TEST(Launcher, TabClicksAskTheCallbackWithElevenPlusTheIndex)
{
    struct Case
    {
        TabCallback callback;
        int answer;
        int expectedTab;
        std::vector<int> codes;
    } cases[] = {
        {&RecordTab, 0, 0, {12}}, // refused: the first tab and its page stay
        {&RecordTab, 1, 1, {12}}, // agreed: the second tab opens its page
        {nullptr, 1, 0, {}},      // no callback: nothing happens
    };
    for (const Case& c : cases)
    {
        Launcher l(3, c.callback);
        ASSERT_TRUE(l.dlg.SelectTab(0));
        g_codes.clear();
        g_tabAnswer = c.answer;
        Click(l.dlg.m_hWnd, 1260);
        EXPECT_EQ(c.codes, g_codes);
        EXPECT_EQ(c.expectedTab, l.dlg.GetSelectedTab());
        EXPECT_EQ(c.expectedTab == 0, (l.pages[0].GetStyle() & WS_VISIBLE) != 0);
        EXPECT_EQ(c.expectedTab == 1, (l.pages[1].GetStyle() & WS_VISIBLE) != 0);
        EXPECT_EQ(c.expectedTab == 1, l.dlg.m_btnTabs[1].m_bSelected != 0);
    }
}

TEST(Launcher, WindowShapeAndTopRightButtons)
{
    Launcher l(2);
    RECT rc{};
    GetWindowRect(l.dlg.m_hWnd, &rc);
    EXPECT_EQ(773, rc.right - rc.left);
    EXPECT_EQ(584, rc.bottom - rc.top);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(l.dlg.m_hWnd, rgn));
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_TRUE(PtInRegion(rgn, 10, 10));
    DeleteObject(rgn);

    HWND help = GetDlgItem(l.dlg.m_hWnd, 1219), demo = GetDlgItem(l.dlg.m_hWnd, 1218);
    ASSERT_TRUE(help && demo);
    EXPECT_EQ((RECT{773 - 55, 35, 773 - 8, 58}), RectIn(l.dlg.m_hWnd, help));
    const RECT rcDemo = RectIn(l.dlg.m_hWnd, demo);
    EXPECT_EQ(52, rcDemo.right - rcDemo.left);
    EXPECT_EQ(17, rcDemo.bottom - rcDemo.top);
    EXPECT_LE(rcDemo.right, 773 - 55);
    EXPECT_EQ(L"&Demo", testsupport::WindowText(demo));
}

TEST(Launcher, CloseButtonPostsCloseThenEndsTheLoop)
{
    Launcher l(1);
    Click(l.dlg.m_hWnd, IDC_BASEWND_CLOSE);
    MSG msg{};
    bool quit = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000 && !quit;)
    {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        quit = msg.message == WM_QUIT;
        DispatchMessageW(&msg);
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(1, l.dlg.m_closes);
}

TEST(Launcher, CancelActsOnlyWhileCloseIsEnabledOrMissing)
{
    enum Close { Enabled, Disabled, Missing };
    for (Close state : {Enabled, Disabled, Missing})
    {
        Launcher l(1);
        HWND close = GetDlgItem(l.dlg.m_hWnd, IDC_BASEWND_CLOSE);
        if (state == Disabled)
            EnableWindow(close, FALSE);
        if (state == Missing)
            DestroyWindow(close);
        l.dlg.ShowWindow(SW_SHOW);
        l.dlg.OnCancel();
        EXPECT_EQ(state == Disabled, IsWindowVisible(l.dlg.m_hWnd) != FALSE) << state;
    }
}

TEST(Launcher, MaximisedFillsTheScreenLessTwentyFivePixels)
{
    Launcher l(1);
    l.dlg.ShowWindow(SW_MAXIMIZE);
    Pump(100);
    RECT rc{};
    GetWindowRect(l.dlg.m_hWnd, &rc);
    EXPECT_EQ((RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 25}), rc);
}

// ---- Navigation pane ------------------------------------------------------------------------

TEST(NavigationPane, ButtonsAreLimitedAndStepsOpenOneByOne)
{
    struct Case
    {
        bool steps;
        int mode, asked, made;
    } cases[] = {{false, 0, 8, 8}, {false, 0, 9, 8}, {true, 2, 7, 7}, {true, 2, 8, 7}, {true, 0, 7, 7}};
    for (const Case& c : cases)
    {
        Pane p(c.mode);
        ASSERT_TRUE(p.created);
        const int made = c.steps ? p.pane.AddStepButtons(c.asked, Captions()) : p.pane.AddNavigationButtons(c.asked, Captions());
        EXPECT_EQ(c.made, made);
        const bool stepLook = c.steps && c.mode == 2;
        for (int i = 0; i < 8; ++i)
        {
            HWND button = GetDlgItem(p.pane.m_hWnd, 1199 + i);
            ASSERT_EQ(i < c.made, button != nullptr) << c.asked << " " << i;
            if (!button)
                continue;
            EXPECT_EQ((RECT{1, 17 + 31 * i, 166, 48 + 31 * i}), RectIn(p.pane.m_hWnd, button));
            EXPECT_EQ(!stepLook || i == 0, IsWindowEnabled(button) != FALSE) << i;
            if (stepLook)
            {
                EXPECT_EQ(i == 6 ? 0 : i, p.pane.m_btnNav[i].m_nIconIndex) << i;
            }
        }
    }
}

TEST(NavigationPane, SelectionSwapsPagesAndCallsBackEveryTime)
{
    Pane p;
    p.pane.AddNavigationButtons(3, Captions());
    EXPECT_FALSE(p.pane.SetPage(8, nullptr));
    EXPECT_FALSE(p.pane.SetPage(-1, nullptr));
    // Nothing shown yet: selecting a button without a page must not touch a shown page.
    EXPECT_TRUE(p.pane.SelectNavigationButton(2));
    p.AddPages();
    EXPECT_TRUE(p.pane.SelectNavigationButton(0));
    Click(p.pane.m_hWnd, 1200);
    CWnd& oldPage = *p.pages[0];
    CWnd& newPage = *p.pages[1];
    EXPECT_FALSE(oldPage.GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(oldPage.IsWindowEnabled());
    EXPECT_TRUE(newPage.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(newPage.IsWindowEnabled());
    EXPECT_TRUE(GetFocus() == newPage.m_hWnd || IsChild(newPage.m_hWnd, GetFocus()));
    EXPECT_EQ(1, p.pane.GetSelectedButton());
    EXPECT_TRUE(p.pane.m_btnNav[1].m_bSelected && !p.pane.m_btnNav[0].m_bSelected);
    // Again: only the callback runs again.
    EXPECT_TRUE(p.pane.SelectNavigationButton(1));
    EXPECT_EQ((std::vector<int>{5, 3, 4, 4}), g_codes);
    EXPECT_EQ(&newPage, p.pane.GetShownPage());
    EXPECT_FALSE(p.pane.SelectNavigationButton(3)); // no such button
    p.pane.SetNavigationCallback(nullptr);
    EXPECT_TRUE(p.pane.SelectNavigationButton(0)); // without a callback nothing is told
    EXPECT_EQ(4u, g_codes.size());
}

TEST(NavigationPane, LinksCallBackAndTheUpdateLinkPausesForTheCheck)
{
    const std::wstring ward = testsupport::BinFolder() + L"\\wardtool.exe";
    DeleteFileW((ward + L".record").c_str());
    ASSERT_TRUE(CopyFileW(testsupport::RecorderPath().c_str(), ward.c_str(), FALSE));
    {
        Pane p(1);
        HWND update = GetDlgItem(p.pane.m_hWnd, 1181);
        ASSERT_TRUE(update);
        EXPECT_EQ((RECT{28, 446, 28 + 114, 466}), RectIn(p.pane.m_hWnd, update));
        Click(p.pane.m_hWnd, 1181);
        EXPECT_FALSE(IsWindowEnabled(update));
        const DWORD start = GetTickCount();
        EXPECT_TRUE(testsupport::WaitUntil([&] { return IsWindowEnabled(update) != FALSE; }, 10000));
        EXPECT_GE(GetTickCount() - start, 400u);
        const auto record = testsupport::WaitForLaunchRecord(ward);
        ASSERT_TRUE(record);
        EXPECT_NE(std::wstring::npos, record->commandLine.find(L"checkupdate"));
        Click(p.pane.m_hWnd, 1197);
        EXPECT_EQ((std::vector<int>{1, 0}), g_codes);
        EXPECT_TRUE(p.pane.m_lnkSecond.m_hWnd); // bound in mode 1
    }
    {
        Pane p(1, 0); // links off
        for (int id : {1181, 1197})
        {
            HWND link = GetDlgItem(p.pane.m_hWnd, id);
            EXPECT_FALSE(IsWindowVisible(link) || IsWindowEnabled(link)) << id;
        }
    }
    DeleteFileW((ward + L".record").c_str());
    for (int i = 0; i < 50 && !DeleteFileW(ward.c_str()); ++i)
        Sleep(100);
}

namespace
{
// Remembers where the page was just before and just after its initialisation.
class CProbePage : public CDlgLeftSideChild
{
public:
    explicit CProbePage(CWnd* pParent) : CDlgLeftSideChild(kPageTemplate, pParent) {}
    BOOL OnInitDialog() override
    {
        before = RectIn(::GetParent(m_hWnd), m_hWnd);
        const BOOL result = CDlgLeftSideChild::OnInitDialog();
        after = RectIn(::GetParent(m_hWnd), m_hWnd);
        return result;
    }
    RECT before{}, after{};
};
} // namespace

TEST(ContentPage, SizesItselfWithoutMovingAndSetsItsRectangle)
{
    Pane p;
    CProbePage page(&p.pane);
    ASSERT_TRUE(page.Create(kPageTemplate, &p.pane));
    EXPECT_GT(page.before.left, 0); // the template places it away from the corner
    EXPECT_EQ(591, page.after.right - page.after.left);
    EXPECT_EQ(473, page.after.bottom - page.after.top);
    EXPECT_EQ(page.before.left, page.after.left);
    EXPECT_EQ(page.before.top, page.after.top);
    EXPECT_EQ((RECT{353, 406, 550, 438}), page.m_rcAction);
    page.DestroyWindow();
}

// ---- Fade arithmetic ------------------------------------------------------------------------

TEST(FadeMath, StepFollowsTheFirstFrame)
{
    const struct
    {
        DWORD ms;
        int step;
    } cases[] = {{0, 5},    {10, 3},   {30, 3},   {75, 5},    {100, 6},   {200, 14},
                 {400, 33}, {600, 49}, {1500, 49}, {1501, 49}, {2000, 49}};
    for (const auto& c : cases)
        EXPECT_EQ(c.step, CFadeWnd::ComputeFadeStep(c.ms)) << c.ms;
}

TEST(FadeMath, RampAndFramePixels)
{
    CFadeWnd fade; // white to black
    for (auto [index, value] : {std::pair{0, 0}, {53, 52}, {128, 127}, {255, 254}})
        EXPECT_EQ(RGB(value, value, value), fade.GetRampEntry(index)) << index;
    COLORREF ramp[256];
    for (int i = 0; i < 256; ++i)
        ramp[i] = fade.GetRampEntry(i);
    const struct
    {
        DWORD pixel;
        int percent;
        DWORD expected;
    } cases[] = {{0xFF0000, 100, 0x333333}, {0x00FF00, 100, 0xB3B3B3}, {0xFFFFFF, 50, 0xFDFDFD}, {0, 100, 0}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CFadeWnd::FadePixel(c.pixel, c.percent, ramp)) << std::hex << c.pixel << " " << c.percent;
}

// ---- Fade overlay, live ---------------------------------------------------------------------

namespace
{
int g_fadesDeleted = 0;

class CCountedFade : public CFadeWnd
{
public:
    explicit CCountedFade(BOOL rightCloses = FALSE) : m_rightCloses(rightCloses) {}
    ~CCountedFade() override { ++g_fadesDeleted; }
    BOOL CloseOnRightClick() override { return m_rightCloses; }
    BOOL m_rightCloses;
};

struct Target
{
    Target(int x = 40, int y = 40, int cx = 160, int cy = 100)
    {
        wnd.CreateEx(0, AfxRegisterWndClass(0), L"Fade target", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr, nullptr);
    }
    ~Target()
    {
        if (wnd.m_hWnd)
            wnd.DestroyWindow();
    }
    CWnd wnd;
};

int ThreadCount()
{
    int count = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{sizeof(te)};
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        count += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return count;
}
} // namespace

TEST(FadeLive, RefusalsAndAutoDeleteHappenExactlyOnce)
{
    g_fadesDeleted = 0;
    CWnd notAWindow;
    EXPECT_FALSE((new CCountedFade)->FadeWindow(&notAWindow, RECT{}, TRUE));
    EXPECT_EQ(1, g_fadesDeleted);
    {
        CCountedFade kept; // without auto-delete the object stays its owner's
        EXPECT_FALSE(kept.FadeWindow(nullptr, RECT{}, FALSE));
        EXPECT_EQ(1, g_fadesDeleted);
    }
    EXPECT_EQ(2, g_fadesDeleted);
    ShowFade(nullptr, RGB(255, 255, 255), 0);
    EXPECT_EQ(nullptr, FindWindowW(CFadeWnd::ClassName(), nullptr));
}

TEST(FadeLive, TargetIsDisabledUntilTheClickThatCloses)
{
    for (BOOL rightCloses : {FALSE, TRUE})
    {
        Target target;
        g_fadesDeleted = 0;
        auto* fade = new CCountedFade(rightCloses);
        ASSERT_TRUE(fade->FadeWindow(&target.wnd, RECT{}, TRUE));
        HWND overlay = fade->m_hWnd;
        EXPECT_EQ(L"Fade_Wnd_1", testsupport::ClassName(overlay));
        EXPECT_FALSE(target.wnd.IsWindowEnabled());
        SendMessageW(overlay, WM_RBUTTONDOWN, 0, 0);
        EXPECT_EQ(!rightCloses, IsWindow(overlay) != FALSE);
        if (IsWindow(overlay))
            SendMessageW(overlay, WM_LBUTTONDOWN, 0, 0);
        EXPECT_FALSE(IsWindow(overlay));
        EXPECT_EQ(1, g_fadesDeleted);
        EXPECT_TRUE(target.wnd.IsWindowEnabled());
        EXPECT_EQ(target.wnd.m_hWnd, GetFocus());
    }
}

TEST(FadeLive, EndingOverlaysAtRandomMomentsLeavesNoThreadsBehind)
{
    const int threadsBefore = ThreadCount();
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::mt19937 random(20261208);
    g_fadesDeleted = 0;
    struct Live
    {
        std::unique_ptr<Target> target;
        HWND overlay;
    };
    std::vector<Live> live;
    int made = 0;
    auto endOne = [&](size_t i) {
        Live& l = live[i];
        switch (random() % 3)
        {
        case 0:
            DestroyWindow(l.overlay);
            break;
        case 1:
            SendMessageW(l.overlay, WM_LBUTTONDOWN, 0, 0);
            break;
        default: // the target goes first, then the overlay
            l.target.reset();
            DestroyWindow(l.overlay);
            break;
        }
        live.erase(live.begin() + static_cast<std::ptrdiff_t>(i));
    };
    while (made < 200)
    {
        auto target = std::make_unique<Target>(random() % 300, random() % 200, 30 + random() % 40, 20 + random() % 30);
        auto* fade = new CCountedFade;
        ASSERT_TRUE(fade->FadeWindow(&target->wnd, RECT{}, TRUE)) << made;
        live.push_back({std::move(target), fade->m_hWnd});
        ++made;
        Pump(random() % 30);
        if (live.size() >= 20 || random() % 2)
            endOne(random() % live.size());
    }
    while (!live.empty())
        endOne(live.size() - 1);
    EXPECT_EQ(200, g_fadesDeleted);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return ThreadCount() == threadsBefore; }, 10000));
    // GetGuiResources is a stub under Wine: it answers 0 both times.
    EXPECT_EQ(gdiBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}
