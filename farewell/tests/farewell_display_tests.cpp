// Farewell on a real screen, driven with the mouse and the keyboard from outside: the pages'
// pictures, texts and button faces read back from the screen, and the keys and window-menu
// ways of closing that must leave "ProceedUninstall" as it was. A failing case leaves its
// capture in the build tree (captures\).
#include "../drive/farewell_remote.h"

#include <gtest/gtest.h>

#include <functional>

using namespace farewellremote;

namespace
{
constexpr POINT kPage = {6, 36}; // the pages' origin in the wizard
constexpr POINT kContinueAt = {372, 377};

unsigned Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A module's resources, loaded as data.
class Resources
{
public:
    explicit Resources(const std::wstring& path)
        : m_module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~Resources()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

void Bring(HWND window)
{
    SetForegroundWindow(window);
    SetFocus(window);
    // The X server's focus events arrive after the calls return, and each one makes Wine re-read
    // the keyboard, which would let an injected key go: let them arrive first.
    testsupport::WaitUntil([&] { return GetForegroundWindow() == window; }, 10000);
    testsupport::WaitUntil([] { return false; }, 1000);
}

// The mouse to the control's centre (moved right by `offset`) and a pixel further (absolute
// moves: the pointer position Wine keeps is the one that counts), so that the control sees it
// arrive and tracks it.
bool MoveMouseTo(HWND control, int offset = 0)
{
    RECT rc{};
    GetWindowRect(control, &rc);
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i)
    {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = MulDiv((rc.left + rc.right) / 2 + offset + i, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        inputs[i].mi.dy = MulDiv((rc.top + rc.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

// Where a picture (or part of it) must show in the wizard's client area.
struct Placed
{
    UINT picture;
    int x;
    int y;
    RECT part; // empty: the whole picture
};

// Checks every placement against the screen; the descriptions of those that differ.
std::string Mismatches(const testsupport::Capture& screen, HMODULE module, const std::vector<Placed>& table)
{
    std::string found;
    for (const Placed& p : table)
    {
        const std::string difference =
            testsupport::CompareRegion(screen, p.x, p.y, testsupport::LoadBitmapPixels(module, p.picture), p.part);
        if (!difference.empty())
            found += std::to_string(p.picture) + " at " + std::to_string(p.x) + "," + std::to_string(p.y) + ": " +
                     difference + "\n";
    }
    return found;
}

// Continue's face outside its caption: rows above and below the text of one strip frame.
bool ContinueShowsFrameNow(HWND wizard, const testsupport::Capture& strip, int frame)
{
    const testsupport::Capture screen = testsupport::CaptureClient(wizard);
    return testsupport::CompareRegion(screen, kContinueAt.x, kContinueAt.y, strip, {frame * 120, 0, frame * 120 + 120, 6})
               .empty() &&
           testsupport::CompareRegion(screen, kContinueAt.x, kContinueAt.y + 23, strip,
                                      {frame * 120, 23, frame * 120 + 120, 28})
               .empty();
}

bool ContinueShowsFrame(HWND wizard, HMODULE suitecore, int frame)
{
    const testsupport::Capture strip = testsupport::LoadBitmapPixels(suitecore, 1074);
    return testsupport::WaitUntil([&] { return ContinueShowsFrameNow(wizard, strip, frame); }, 20000);
}

// The hover face of Continue. Every look moves the pointer again, a pixel either way: Wine's
// leave tracking polls the pointer, and a move that reached the button before the X server
// had the pointer there ends in a leave that no further move would undo.
bool ContinueShowsHoverFrame(HWND wizard, HWND button, HMODULE suitecore)
{
    const testsupport::Capture strip = testsupport::LoadBitmapPixels(suitecore, 1074);
    int look = 0;
    return testsupport::WaitUntil(
        [&] {
            MoveMouseTo(button, look++ % 2);
            return testsupport::WaitUntil([&] { return ContinueShowsFrameNow(wizard, strip, 2); }, 500);
        },
        30000);
}

// What a screen lacks of a page's look; empty when it shows all of it.
using PageLook = std::function<std::string(const testsupport::Capture&)>;

// Waits for the screen to show the whole look; what the last look lacked. The pages' texts
// and controls paint after the pictures behind them, so every part is awaited together.
std::string AwaitLook(HWND wizard, const PageLook& look, testsupport::Capture& screen)
{
    std::string found;
    testsupport::WaitUntil(
        [&] {
            screen = testsupport::CaptureClient(wizard);
            found = look(screen);
            return found.empty();
        },
        20000);
    return found;
}

std::string Lacks(const std::string& what, int count, bool holds)
{
    return holds ? std::string() : what + " (" + std::to_string(count) + " pixels)\n";
}

std::vector<Placed> HeaderBand(UINT tile, UINT emblem)
{
    std::vector<Placed> band;
    for (int x : {0, 11, 21, 79, 85}) // left of both pages' headings
        band.push_back({tile, kPage.x + x, kPage.y, {}});
    band.push_back({emblem, kPage.x + 22, kPage.y, {}});
    return band;
}

RECT OnPage(int left, int top, int right, int bottom)
{
    return {kPage.x + left, kPage.y + top, kPage.x + right, kPage.y + bottom};
}
} // namespace

TEST(FarewellScreens, PagesShowTheirPicturesTextsAndButtonFaces)
{
    const SavedProceed saved;
    const FarewellFolder folder;
    ASSERT_TRUE(folder.Ok());
    const Resources farewell(folder.Program());
    const Resources suitecore(folder.Path() + L"\\suitecore.dll");
    ASSERT_TRUE(farewell.Get() && suitecore.Get());
    FarewellRun run(folder);
    ASSERT_TRUE(run.Ready());
    Bring(run.wizard);

    // Page 1: its band, the panel behind the question (where no text or control covers it),
    // the red title, and Continue disabled.
    std::vector<Placed> pageOne = HeaderBand(136, 137);
    pageOne.push_back({135, kPage.x + 22 + 370, kPage.y + 140, {370, 0, 465, 142}});
    pageOne.push_back({135, kPage.x + 22, kPage.y + 140 + 35, {0, 35, 465, 74}});
    const PageLook pageOneLook = [&](const testsupport::Capture& shown) {
        const unsigned red = Rgb(RGB(169, 1, 1));
        const int title = testsupport::CountColour(shown, OnPage(94, 22, 494, 52), red, 40);
        const int belowTitle = testsupport::CountColour(shown, OnPage(94, 52, 494, 88), red, 40);
        // The caption band shows the application's name: the window itself has no text.
        const int caption = testsupport::CountColour(shown, {6, 12, 306, 32}, 0xFCFCFC, 12);
        return Mismatches(shown, farewell.Get(), pageOne) + Lacks("red title", title, title > 40) +
               Lacks("red below the title", belowTitle, belowTitle == 0) +
               Lacks("name in the caption band", caption, caption > 20);
    };
    testsupport::Capture screen;
    EXPECT_EQ("", AwaitLook(run.wizard, pageOneLook, screen));
    EXPECT_TRUE(ContinueShowsFrame(run.wizard, suitecore.Get(), 3)) << "disabled";
    if (HasFailure())
        testsupport::SaveCaptureForReview(screen, L"farewell_page1");

    // The answer enables Continue; the mouse over it gives the hover frame.
    HWND next = run.Button(kContinue);
    ASSERT_TRUE(ClickUntil(run.Reason(), [&] { return IsWindowEnabled(next) != FALSE; }));
    EXPECT_TRUE(ContinueShowsFrame(run.wizard, suitecore.Get(), 0)) << "enabled";
    EXPECT_TRUE(ContinueShowsHoverFrame(run.wizard, next, suitecore.Get())) << "under the mouse";
    ASSERT_TRUE(ClickUntil(next, [&] { return IsWindowVisible(run.page3) != FALSE; }));
    MoveMouseTo(run.Button(kCancel));

    // Page 3: its band, the green heading, the rule and the four bullets.
    testsupport::PaintSurface bullet(16, 16);
    HICON icon = static_cast<HICON>(LoadImageW(suitecore.Get(), MAKEINTRESOURCEW(1314), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(nullptr, icon);
    DrawIconEx(bullet.Dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    const std::vector<Placed> band = HeaderBand(138, 139);
    const PageLook pageThreeLook = [&](const testsupport::Capture& shown) {
        const unsigned rule = Rgb(RGB(189, 198, 216));
        const int heading = testsupport::CountColour(shown, OnPage(89, 20, 510, 52), Rgb(RGB(0, 130, 44)), 40);
        const int ruleLine = testsupport::CountColour(shown, OnPage(22, 131, 488, 132), rule, 0);
        const int aboveRule = testsupport::CountColour(shown, OnPage(22, 130, 488, 131), rule, 0);
        std::string found = Mismatches(shown, farewell.Get(), band) + Lacks("green heading", heading, heading > 40) +
                            Lacks("whole rule", ruleLine, ruleLine == 466) +
                            Lacks("rule colour above the rule", aboveRule, aboveRule == 0);
        for (int y : {150, 176, 202, 228})
        {
            const std::string difference =
                testsupport::CompareRegion(shown, kPage.x + 25, kPage.y + y, bullet.Pixels(), {}, 8);
            if (!difference.empty())
                found += "bullet at " + std::to_string(y) + ": " + difference + "\n";
        }
        return found;
    };
    EXPECT_EQ("", AwaitLook(run.wizard, pageThreeLook, screen));
    if (HasFailure())
        testsupport::SaveCaptureForReview(screen, L"farewell_page3");

    ASSERT_TRUE(ClickUntil(run.Button(kCancel), [&] { return run.Ended(0); }));
    EXPECT_EQ(0u, ReadProceed().value_or(0xFFFFFFFF));
}

TEST(FarewellScreens, HeldKeysAndAltF4LeaveTheValueAsItWas)
{
    const SavedProceed saved;
    const FarewellFolder folder;
    ASSERT_TRUE(folder.Ok());
    ASSERT_TRUE(SavedProceed::Plant(7));
    FarewellRun run(folder);
    ASSERT_TRUE(run.Ready());
    Bring(run.wizard);

    auto holdEach = [&](const char* page) {
        for (WORD key : {VK_RETURN, VK_ESCAPE})
        {
            SCOPED_TRACE(std::string(page) + (key == VK_RETURN ? ", Enter" : ", Escape"));
            {
                testsupport::HeldKey held(key);
                ASSERT_TRUE(held.Pressed());
                testsupport::WaitUntil([] { return false; }, 1500);
            }
            EXPECT_FALSE(run.Ended(1500));
            EXPECT_TRUE(IsWindowVisible(run.wizard));
            EXPECT_EQ(7u, ReadProceed().value_or(0xFFFFFFFF));
        }
    };
    holdEach("page 1");
    EXPECT_TRUE(IsWindowVisible(run.page1));
    Bring(run.wizard);
    ASSERT_TRUE(run.ToPageThree(true));
    holdEach("page 3");
    // Enter while one of the buttons has the focus answers nothing either.
    for (int focused : {kGetHelp, kCancel, kNoUninstall})
    {
        SCOPED_TRACE(focused);
        PostMessageW(run.wizard, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(run.Button(focused)), TRUE);
        GUITHREADINFO gui{sizeof gui};
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] {
                return GetGUIThreadInfo(GetWindowThreadProcessId(run.wizard, nullptr), &gui) &&
                       gui.hwndFocus == run.Button(focused);
            },
            10000));
        {
            testsupport::HeldKey held(VK_RETURN);
            ASSERT_TRUE(held.Pressed());
            testsupport::WaitUntil([] { return false; }, 1500);
        }
        EXPECT_FALSE(run.Ended(1500));
        EXPECT_EQ(7u, ReadProceed().value_or(0xFFFFFFFF));
    }
    EXPECT_TRUE(IsWindowVisible(run.page3));

    {
        testsupport::HeldKey alt(VK_MENU);
        ASSERT_TRUE(alt.Pressed());
        testsupport::PressKey(VK_F4);
    }
    EXPECT_TRUE(run.Ended());
    EXPECT_EQ(7u, ReadProceed().value_or(0xFFFFFFFF));
}
