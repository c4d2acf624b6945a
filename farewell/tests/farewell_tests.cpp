// Farewell run as the uninstaller runs it, driven from outside without a screen: every way the
// wizard can close and the "ProceedUninstall" it leaves, and the pages' layout on the way.
#include "../drive/farewell_remote.h"

#include <gtest/gtest.h>

using namespace farewellremote;

namespace
{
constexpr DWORD kPlanted = 7; // a value no closing path writes
constexpr int kAnswer = -1;   // page 1's radio button (its identifier is Back's too)

enum class Close
{
    Click,        // the button `control`, clicked
    CaptionClose, // the skin's close button
    SystemMenu,   // the system menu's Close (SC_CLOSE)
    AltF4,        // Alt+F4 as the window receives it
};

struct ClosingPath
{
    const char* name;
    bool pageThree;                // Continue first
    Close how;
    int control;
    std::optional<DWORD> expected; // nothing: the planted value stays
    enum { NoBrowser, Browser, BrokenBrowser } browser;
    bool withoutLanguageFile;
};

void CloseBy(const FarewellRun& run, const ClosingPath& path)
{
    switch (path.how)
    {
    case Close::Click:
        testsupport::ClickHeadless(run.Button(path.control));
        break;
    case Close::CaptionClose:
        testsupport::ClickHeadless(run.Button(kPopupClose));
        break;
    case Close::SystemMenu:
        PostMessageW(run.wizard, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Close::AltF4:
        PostMessageW(run.wizard, WM_SYSKEYDOWN, VK_F4, 0x20000001 | (MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC) << 16));
        break;
    }
}

std::wstring TextOf(HWND window)
{
    return testsupport::WindowText(window);
}

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}
} // namespace

TEST(FarewellClosing, EachWayOutLeavesItsValueAndEndsTheProgram)
{
    const ClosingPath paths[] = {
        {"No Uninstall", true, Close::Click, kNoUninstall, 1u, ClosingPath::NoBrowser, false},
        {"Cancel on page 1", false, Close::Click, kCancel, 0u, ClosingPath::NoBrowser, false},
        {"Cancel on page 3", true, Close::Click, kCancel, 0u, ClosingPath::NoBrowser, false},
        {"Get Help", true, Close::Click, kGetHelp, 0u, ClosingPath::Browser, false},
        {"Get Help, no browser", true, Close::Click, kGetHelp, 0u, ClosingPath::BrokenBrowser, false},
        {"caption close", false, Close::CaptionClose, 0, std::nullopt, ClosingPath::NoBrowser, false},
        {"system menu close, page 3", true, Close::SystemMenu, 0, std::nullopt, ClosingPath::NoBrowser, false},
        {"Alt+F4", false, Close::AltF4, 0, std::nullopt, ClosingPath::NoBrowser, false},
        {"Cancel without a language file", false, Close::Click, kCancel, 0u, ClosingPath::NoBrowser, true},
    };
    const SavedProceed saved;
    const FarewellFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::set<std::wstring> files = folder.Files();
    testsupport::TempDir browserDir;
    const std::wstring browser = browserDir.File(L"browser.exe");
    ASSERT_TRUE(CopyFileW(testsupport::RecorderPath().c_str(), browser.c_str(), FALSE));

    for (const ClosingPath& path : paths)
    {
        SCOPED_TRACE(path.name);
        ASSERT_TRUE(SavedProceed::Plant(kPlanted));
        DeleteFileW((browser + L".record").c_str());
        std::optional<testsupport::UrlHandlerOverride> handler;
        if (path.browser != ClosingPath::NoBrowser)
            handler.emplace(path.browser == ClosingPath::Browser ? L"\"" + browser + L"\" \"%1\""
                                                                 : L"\"" + browserDir.File(L"gone.exe") + L"\" \"%1\"");
        const std::wstring language = folder.Path() + L"\\QMN.ini";
        if (path.withoutLanguageFile)
        {
            ASSERT_TRUE(MoveFileW(language.c_str(), (language + L".away").c_str()));
        }

        {
            FarewellRun run(folder);
            ASSERT_TRUE(run.Ready());
            if (path.pageThree)
            {
                ASSERT_TRUE(run.ToPageThree());
            }
            CloseBy(run, path);
            EXPECT_TRUE(run.Ended());
        }
        EXPECT_EQ(path.expected.value_or(kPlanted), ReadProceed().value_or(0xFFFFFFFF));
        EXPECT_FALSE(ReadProceed(KEY_WOW64_64KEY).has_value());
        if (path.browser == ClosingPath::Browser)
        {
            const auto record = testsupport::WaitForLaunchRecord(browser);
            ASSERT_TRUE(record.has_value());
            const std::wstring& line = record->commandLine;
            EXPECT_NE(std::wstring::npos, line.find(L"/qmn/help/showhelp.aspx?module=&utm_source=")) << testsupport::Utf8(line);
            EXPECT_NE(std::wstring::npos, line.find(L"&utm_content=Farewell&utm_campaign=Default-Product"))
                << testsupport::Utf8(line);
        }
        if (path.withoutLanguageFile)
            MoveFileW((language + L".away").c_str(), language.c_str());
    }
    EXPECT_EQ(files, folder.Files()) << "the program wrote into its folder";
}

TEST(FarewellPages, ControlsSitWhereEachStepPutsThem)
{
    struct Expected
    {
        int control; // in the wizard; kAnswer: the radio button on page 1
        RECT place;
        bool visible;
        bool enabled;
    };
    const RECT left = {22, 377, 142, 405}, middle = {247, 377, 367, 405}, right = {372, 377, 492, 405};
    const Expected pageOne[] = {
        {kCancel, left, true, true},          {kBack, middle, true, false},
        {kNoUninstall, middle, false, false}, {kContinue, right, true, false},
        {kGetHelp, right, false, false},      {kAnswer, {40, 215, 290, 235}, true, true},
    };
    const Expected pageThree[] = {
        {kCancel, left, true, true},        {kBack, middle, false, false},
        {kNoUninstall, middle, true, true}, {kContinue, right, false, false},
        {kGetHelp, right, true, true},
    };
    const SavedProceed saved;
    const FarewellFolder folder;
    ASSERT_TRUE(folder.Ok());
    FarewellRun run(folder);
    ASSERT_TRUE(run.Ready());

    RECT window{};
    GetWindowRect(run.wizard, &window);
    EXPECT_EQ(522, window.right - window.left);
    EXPECT_EQ(422, window.bottom - window.top);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(run.wizard, MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_NEAR((monitor.rcWork.left + monitor.rcWork.right) / 2, (window.left + window.right) / 2, 1);
    EXPECT_NEAR((monitor.rcWork.top + monitor.rcWork.bottom) / 2, (window.top + window.bottom) / 2, 1);
    EXPECT_EQ(L"", TextOf(run.wizard));

    auto check = [&](const auto& table, HWND shown, HWND hidden) {
        for (HWND page : {shown, hidden})
        {
            EXPECT_EQ(Describe({6, 36, 516, 358}), Describe(FarewellRun::PlaceOf(page)));
            EXPECT_EQ(page == shown, IsWindowVisible(page) != FALSE);
        }
        for (const Expected& e : table)
        {
            SCOPED_TRACE(e.control);
            const HWND control = e.control == kAnswer ? run.Reason() : run.Button(e.control);
            ASSERT_NE(nullptr, control);
            EXPECT_EQ(Describe(e.place), Describe(FarewellRun::PlaceOf(control)));
            EXPECT_EQ(e.visible, IsWindowVisible(control) != FALSE);
            EXPECT_EQ(e.enabled, IsWindowEnabled(control) != FALSE);
        }
    };
    {
        SCOPED_TRACE("page 1");
        check(pageOne, run.page1, run.page3);
        EXPECT_EQ(BST_UNCHECKED, SendMessageW(run.Reason(), BM_GETCHECK, 0, 0));
        EXPECT_EQ(L"This product did NOT fix my problem.", TextOf(run.Reason()));
        // Continue stays off until the answer is chosen.
        testsupport::WaitUntil([] { return false; }, 1500);
        EXPECT_FALSE(IsWindowEnabled(run.Button(kContinue)));
    }
    ASSERT_TRUE(run.ToPageThree());
    EXPECT_EQ(BST_CHECKED, SendMessageW(run.Reason(), BM_GETCHECK, 0, 0));
    {
        SCOPED_TRACE("page 3");
        check(pageThree, run.page3, run.page1);
        EXPECT_EQ(L"Get Help", TextOf(run.Button(kGetHelp)));
        EXPECT_EQ(L"No Uninstall", TextOf(run.Button(kNoUninstall)));
    }
    testsupport::ClickHeadless(run.Button(kCancel));
    EXPECT_TRUE(run.Ended());
}
