// Drives Farewell on a display as the uninstaller's user would, with real mouse clicks, and
// prints the answer each run leaves under the machine's product key:
//   1. the answer on page 1, Continue, then No Uninstall   -> "ProceedUninstall = 1"
//   2. Cancel on page 1                                      -> "ProceedUninstall = 0"
// With a folder, it also writes a picture of each page there (farewell-page1.bmp,
// farewell-page3.bmp) and appends "<file><TAB>what" lines to the folder's index.txt.
//   farewell_drive.exe FAREWELL_EXE [FOLDER]
#include "farewell_remote.h"

#include <cstdio>

using farewellremote::FarewellRun;

namespace
{
std::wstring g_folder;

void Bring(HWND window)
{
    SetForegroundWindow(window);
    testsupport::WaitUntil([&] { return GetForegroundWindow() == window; }, 10000);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testsupport::WaitUntil([] { return false; }, 2500); // let the pages paint, under load too
}

void Picture(HWND wizard, const wchar_t* name, const wchar_t* what)
{
    if (g_folder.empty())
        return;
    Bring(wizard);
    const testsupport::Capture capture = testsupport::CaptureClient(wizard);
    if (capture.width == 0 || !testsupport::SaveBitmap(capture, g_folder + L"\\" + name))
    {
        fwprintf(stderr, L"no picture for %ls\n", name);
        return;
    }
    if (FILE* index = _wfopen((g_folder + L"\\index.txt").c_str(), L"a"))
    {
        fwprintf(index, L"%ls\t%ls\n", name, what);
        fclose(index);
    }
}

// Clicks until the click took effect (see ClickUntil).
template <typename Effect>
bool Click(const FarewellRun& run, HWND control, Effect effect)
{
    Bring(run.wizard);
    return farewellremote::ClickUntil(control, effect);
}

void PrintValue()
{
    const std::optional<DWORD> value = farewellremote::ReadProceed(KEY_WOW64_32KEY);
    if (value)
        wprintf(L"ProceedUninstall = %lu\n", static_cast<unsigned long>(*value));
    else
        wprintf(L"ProceedUninstall = (absent)\n");
    fflush(stdout);
}

// Each step says what failed, so that a run that stops can be told apart.
bool Step(bool done, const wchar_t* what)
{
    if (!done)
        fwprintf(stderr, L"farewell_drive: %ls failed\n", what);
    return done;
}

bool KeepTheSuite(const std::wstring& program)
{
    FarewellRun run(program, std::wstring());
    if (!Step(run.Ready(), L"waiting for the wizard"))
        return false;
    Picture(run.wizard, L"farewell-page1.bmp", L"Farewell, page 1: why the user leaves");
    HWND next = run.Button(farewellremote::kContinue);
    if (!Step(Click(run, run.Reason(), [&] { return IsWindowEnabled(next) != FALSE; }), L"choosing the answer") ||
        !Step(Click(run, next, [&] { return IsWindowVisible(run.page3) != FALSE; }), L"Continue"))
        return false;
    Picture(run.wizard, L"farewell-page3.bmp", L"Farewell, page 3: the support offer");
    return Step(Click(run, run.Button(farewellremote::kNoUninstall), [&] { return run.Ended(0); }), L"No Uninstall");
}

bool CancelAtOnce(const std::wstring& program)
{
    FarewellRun run(program, std::wstring());
    return Step(run.Ready(), L"waiting for the wizard") &&
           Step(Click(run, run.Button(farewellremote::kCancel), [&] { return run.Ended(0); }), L"Cancel");
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2 || argc > 3)
    {
        fwprintf(stderr, L"usage: farewell_drive FAREWELL_EXE [FOLDER]\n");
        return 2;
    }
    const std::wstring program = argv[1];
    if (argc == 3)
        g_folder = argv[2];
    // A value left by an earlier run must not pass for this one's.
    farewellremote::SavedProceed::Remove();
    if (!KeepTheSuite(program))
    {
        fwprintf(stderr, L"the run through No Uninstall did not finish\n");
        return 1;
    }
    PrintValue();
    if (!CancelAtOnce(program))
    {
        fwprintf(stderr, L"the run through Cancel did not finish\n");
        return 1;
    }
    PrintValue();
    return 0;
}
