// SuiteDiag ui tray [--tip TEXT] [--frames N] [--balloon TEXT] [--seconds S]: shows SuiteCore's
// application icon in the notification area on a hidden target window, and prints
//   add 0|1     tip LENGTH     animate 0|1     balloon 0|1
// then, after S seconds (2 by default) of animation, "remove 0|1".
#include "ui_view.h"

#include <suitecore/ui/trayicon.h>

#include <memory>
#include <vector>

namespace
{
const UINT kAppIcon = 1287;
const UINT kPanelIcon = 1294;

int ParseCount(const CString& value, LPCWSTR option)
{
    wchar_t* end = nullptr;
    const long n = wcstol(value, &end, 10);
    if (value.IsEmpty() || *end || n < 0 || n > 1000)
        throw suitediag::UsageError{CString(option) + L" takes a number from 0 to 1000, not \"" + value + L"\""};
    return static_cast<int>(n);
}

void OutResult(LPCWSTR name, long value)
{
    CString line;
    line.Format(L"%s %ld", name, value);
    suitediag::OutLine(line);
}

// Runs the window messages (the animation's timer) for the given time.
void PumpFor(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

int RunTray(suitediag::Args& args, BOOL)
{
    CString tip = L"SuiteDiag";
    CString balloon;
    CString value;
    int frames = 0;
    int seconds = 2;
    while (!args.Empty())
    {
        if (args.TakeOptionValue(L"--tip", value))
            tip = value;
        else if (args.TakeOptionValue(L"--balloon", value))
            balloon = value;
        else if (args.TakeOptionValue(L"--frames", value))
            frames = ParseCount(value, L"--frames");
        else if (args.TakeOptionValue(L"--seconds", value))
            seconds = ParseCount(value, L"--seconds");
        else
            break;
    }
    args.ExpectEnd();

    CWnd target;
    if (!target.CreateEx(0, L"STATIC", L"SuiteDiag tray target", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
    {
        suitediag::ErrLine(L"cannot create the target window");
        return 1;
    }
    auto tray = std::make_unique<CXTTrayIcon>();
    const BOOL added = tray->CreateTrayIcon(tip, target.GetSafeHwnd(), kAppIcon, kAppIcon);
    OutResult(L"add", added);
    OutResult(L"tip", tray->GetTooltipText().GetLength());

    BOOL animating = FALSE;
    if (frames > 0)
    {
        std::vector<UINT> ids;
        for (int i = 0; i < frames; ++i)
            ids.push_back(i % 2 ? kPanelIcon : kAppIcon);
        animating = tray->SetAnimationIcons(ids.data(), frames, nullptr) && tray->StartAnimation(1001, 250);
    }
    OutResult(L"animate", animating);
    OutResult(L"balloon", balloon.IsEmpty() ? FALSE : tray->ShowBalloonTip(balloon, L"SuiteDiag"));

    PumpFor(static_cast<DWORD>(seconds) * 1000);
    if (animating)
        tray->StopAnimation();
    OutResult(L"remove", tray->RemoveIcon());
    tray.reset();
    target.DestroyWindow();
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(tray, L"tray", L"[--tip TEXT] [--frames N] [--balloon TEXT] [--seconds S]",
                  L"Shows a tray icon on a hidden window, animated and with a balloon on request", false, RunTray);
