// What the base-window tests share: SuiteCore's module, and the application globals a tool's
// application object sets up before its windows run.
#pragma once

#include <suitecore/app.h>
#include <suitecore/ui/uifont.h>

#include <gtest/gtest.h>

#include <windows.h>

namespace basewnd_test
{
inline HMODULE SuiteCore()
{
    return GetModuleHandleW(L"suitecore.dll");
}

// What a tool's application object sets up before its windows run: the name, the icon and
// the fonts the base windows use.
class AppGlobals : public ::testing::Environment
{
public:
    void SetUp() override
    {
        g_strAppName = L"BaseWndTest";
        g_hAppIcon = static_cast<HICON>(LoadImageW(SuiteCore(), MAKEINTRESOURCEW(1287), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        Make(g_fntNormal, FW_NORMAL, 0);
        Make(g_fntBold, FW_BOLD, 0);
        Make(g_fntFixed15Bold, FW_BOLD, -15);
    }

private:
    static void Make(CFont& font, LONG weight, LONG height)
    {
        if (font.GetSafeHandle())
            return;
        CUILogFont lf;
        lf.lfWeight = weight;
        if (height)
            lf.lfHeight = height;
        font.CreateFontIndirect(&lf);
    }
};
inline const auto* const g_appGlobals = ::testing::AddGlobalTestEnvironment(new AppGlobals);
} // namespace basewnd_test
