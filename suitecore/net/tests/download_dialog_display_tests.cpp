// The download dialog on a real screen, mid-transfer while the server pauses at the file's
// half: its size, the current file's bar and the place of Cancel. Wine's InternetReadFile
// hands this body over only at its end, so the bar is set to the half by the progress message
// the worker would post, sent while the transfer waits.
#include "net_test_support.h"

#include "../../ui/tests/basewnd_test_env.h"

#include <suitecore/download_dlg.h>

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace nettest;

namespace
{
constexpr int kSize = 200000;

unsigned SysColour(int index)
{
    const COLORREF c = GetSysColor(index);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool Near(unsigned a, unsigned b)
{
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 8)
            return false;
    return true;
}

RECT ClientRectOf(HWND child, HWND parent)
{
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
} // namespace

TEST(DownloadDialogScreen, MidTransferTheBarIsHalfFullAndCancelSitsInItsCorner)
{
    ResetDownloader();
    SetDownloadOption(L"hidden", L"0");
    testsupport::TempDir dir;
    ASSERT_TRUE(AddDownloadFile(Http(L"/data/" + std::to_wstring(kSize) + L"/p.bin?pause=8000").c_str(),
                                dir.File(L"p.bin").c_str()));
    RECT window{}, bar{}, cancel{};
    RECT client{};
    unsigned quarter = 0, threeQuarters = 0;
    bool halfway = false;
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Lumasweep Update Downloader",
               [&](HWND dialog)
               {
                   const HWND progress = GetDlgItem(dialog, IDC_DL_FILE_PROGRESS);
                   Sleep(2000);
                   SendMessageW(dialog, WM_DL_FILE_PROGRESS, kSize / 2, kSize);
                   halfway = SendMessageW(progress, PBM_GETPOS, 0, 0) == kSize / 2;
                   Sleep(300);
                   GetWindowRect(dialog, &window);
                   GetClientRect(dialog, &client);
                   bar = ClientRectOf(progress, dialog);
                   cancel = ClientRectOf(GetDlgItem(dialog, IDOK), dialog);
                   RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                   Sleep(300);
                   const testsupport::Capture screen = testsupport::CaptureClient(dialog);
                   const int y = (bar.top + bar.bottom) / 2;
                   const int width = bar.right - bar.left;
                   if (screen.width > bar.right && screen.height > y)
                   {
                       quarter = screen.At(bar.left + width / 4, y);
                       threeQuarters = screen.At(bar.left + width * 3 / 4, y);
                   }
                   if (!Near(quarter, SysColour(COLOR_HIGHLIGHT)))
                       testsupport::SaveCaptureForReview(screen, L"download_dialog_midway");
               });
    EXPECT_TRUE(DownloadQueuedFiles());
    ClearDownloadFiles();

    EXPECT_TRUE(halfway);
    EXPECT_LT(bar.right, client.right);
    EXPECT_EQ(520, window.right - window.left);
    EXPECT_EQ(391, window.bottom - window.top);
    EXPECT_TRUE(Near(quarter, SysColour(COLOR_HIGHLIGHT))) << std::hex << quarter;
    // The bar's background is the skinned dialog's white.
    EXPECT_EQ(0xFFFFFFu, threeQuarters) << std::hex << threeQuarters;
    EXPECT_EQ(client.right - 143, cancel.left);
    EXPECT_EQ(client.bottom - 41, cancel.top);
    EXPECT_EQ(120, cancel.right - cancel.left);
    EXPECT_EQ(28, cancel.bottom - cancel.top);
}
