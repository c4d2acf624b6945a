// Takes the review pictures of SuiteDiag's "ui" views on one display: starts each view,
// waits for its window, captures it (or the whole desktop when a menu or the shade belongs
// in the picture) and writes FOLDER\<name>.bmp, one line "<name>.bmp<TAB>what" per picture to
// FOLDER\index.txt. scripts/shots runs it and turns the pictures into PNGs.
//   ui_shots.exe FOLDER
#include <testsupport/ui.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{
std::wstring g_folder;
std::wstring g_suiteDiag;
FILE* g_index = nullptr;

struct Started
{
    PROCESS_INFORMATION pi{};
    bool ok = false;
};

Started Start(const std::wstring& arguments)
{
    Started started;
    std::wstring line = L"\"" + g_suiteDiag + L"\" " + arguments;
    STARTUPINFOW si{sizeof(si)};
    started.ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &started.pi);
    return started;
}

void Finish(Started& started)
{
    if (!started.ok)
        return;
    if (WaitForSingleObject(started.pi.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(started.pi.hProcess, 1);
    CloseHandle(started.pi.hThread);
    CloseHandle(started.pi.hProcess);
    started.ok = false;
}

HWND WaitFor(const Started& started, const std::wstring& title)
{
    testsupport::WindowQuery query;
    query.processId = started.pi.dwProcessId;
    query.title = title;
    return testsupport::WaitForWindow(query, 60000);
}

void Save(const testsupport::Capture& capture, const std::wstring& name, const std::wstring& what)
{
    if (capture.width == 0)
    {
        fwprintf(stderr, L"no picture for %ls\n", name.c_str());
        return;
    }
    testsupport::SaveBitmap(capture, g_folder + L"\\" + name + L".bmp");
    fwprintf(g_index, L"%ls.bmp\t%ls\n", name.c_str(), what.c_str());
    fflush(g_index);
}

// Lets the window paint, then captures it (or the desktop).
testsupport::Capture Shoot(HWND window, bool desktop)
{
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(1500);
    return testsupport::CaptureClient(desktop ? GetDesktopWindow() : window);
}

void MoveMouseTo(HWND control)
{
    RECT rc{};
    GetWindowRect(control, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    input.mi.dx = 1;
    SendInput(1, &input, sizeof(input));
    Sleep(600);
}

void MainWindow()
{
    Started main = Start(L"ui main");
    HWND window = WaitFor(main, L"SuiteDiag");
    if (window)
    {
        Save(Shoot(window, false), L"main", L"the sample tool window");
        PostMessageW(GetDlgItem(window, 1219), BM_CLICK, 0, 0);
        Sleep(1500);
        Save(testsupport::CaptureClient(GetDesktopWindow()), L"main-help-menu", L"the help menu open");
        keybd_event(VK_ESCAPE, 0, 0, 0);
        keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        Sleep(300);
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    Finish(main);
}

void Popup(const std::wstring& arguments, const std::wstring& title, const std::wstring& name,
           const std::wstring& what)
{
    Started popup = Start(L"ui popup " + arguments);
    if (HWND window = WaitFor(popup, title))
    {
        Save(Shoot(window, false), name, what);
        PostMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    }
    Finish(popup);
}

void About()
{
    Started about = Start(L"ui about");
    if (HWND window = WaitFor(about, L"About Lumasweep"))
    {
        Save(Shoot(window, false), L"about", L"the about box");
        Save(testsupport::CaptureClient(GetDesktopWindow()), L"about-shade", L"the about box over the shade");
        PostMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    }
    Finish(about);
}

void Buttons()
{
    Started buttons = Start(L"ui buttons");
    if (HWND window = WaitFor(buttons, L"Buttons"))
    {
        Save(Shoot(window, false), L"buttons", L"the button gallery");
        int hovered = 0;
        for (HWND child = GetWindow(window, GW_CHILD); child && hovered < 3; child = GetWindow(child, GW_HWNDNEXT))
        {
            if (!IsWindowVisible(child) || !IsWindowEnabled(child))
                continue;
            MoveMouseTo(child);
            ++hovered;
            Save(testsupport::CaptureClient(window), L"buttons-hover-" + std::to_wstring(hovered),
                 L"the button gallery, the mouse over control " + std::to_wstring(GetDlgCtrlID(child)));
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    Finish(buttons);
}
// One message box view: the box alone, optionally with its check box ticked.
void MessageBoxShot(const std::wstring& arguments, const std::wstring& name, const std::wstring& what,
                    bool tickCheck = false)
{
    Started box = Start(L"ui " + arguments);
    testsupport::WindowQuery query;
    query.processId = box.pi.dwProcessId;
    query.className = L"#32770";
    if (HWND window = box.ok ? testsupport::WaitForWindow(query, 60000) : nullptr)
    {
        testsupport::WaitForControl(window, 1185, 20000);
        if (tickCheck)
            SendMessageW(GetDlgItem(window, 1231), BM_SETCHECK, BST_CHECKED, 0);
        Save(Shoot(window, false), name, what);
        PostMessageW(GetDlgItem(window, 1185), BM_CLICK, 0, 0);
    }
    Finish(box);
}

void MessageBoxes()
{
    MessageBoxShot(L"msgbox --flags 0x40 \"The scan is complete. No problems were found.\"", L"msgbox-ok",
                   L"the message box, OK, information");
    MessageBoxShot(L"msgbox --flags 0x24 \"Do you want to remove the 12 selected items?\"", L"msgbox-yesno",
                   L"the message box, Yes/No, question");
    MessageBoxShot(L"msgbox --flags 0x31 \"Closing now stops the running scan.\"", L"msgbox-okcancel",
                   L"the message box, OK/Cancel, warning");
    MessageBoxShot(L"msgbox --flags 0x23 \"Save the changes to your cleaning list before you leave?\"",
                   L"msgbox-yesnocancel", L"the message box, Yes/No/Cancel with its side picture and check box",
                   true);
    MessageBoxShot(L"msgbox --flags 0x12 \"The file could not be deleted because another program uses it.\"",
                   L"msgbox-abortretry", L"the message box, Abort/Retry/Cancel with its lower picture");
    MessageBoxShot(L"iconchoice --icon 32 --large \"A restart finishes the repair. Restart the computer now?\" "
                   L"\"Restart now\" \"Later\"",
                   L"choice-large", L"the choice box with large buttons");
    std::wstring text;
    for (int i = 1; i <= 40; ++i)
        text += L"This is sentence " + std::to_wstring(i) + L" of a very long message. ";
    MessageBoxShot(L"msgbox --flags 0x10 \"" + text + L"\"", L"msgbox-longtext", L"the message box with very long text");
}

void FancyList()
{
    Started list = Start(L"ui list");
    if (HWND window = WaitFor(list, L"Fancy list"))
    {
        Save(Shoot(window, false), L"list", L"the fancy report list: headings, check boxes, wrapped descriptions");
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    Finish(list);
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
    {
        fwprintf(stderr, L"usage: ui_shots FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    g_suiteDiag = self;
    g_suiteDiag = g_suiteDiag.substr(0, g_suiteDiag.find_last_of(L'\\') + 1) + L"SuiteDiag.exe";
    g_index = _wfopen((g_folder + L"\\index.txt").c_str(), L"w");
    if (!g_index)
    {
        fwprintf(stderr, L"cannot write %ls\\index.txt\n", g_folder.c_str());
        return 1;
    }
    MainWindow();
    for (int style = 1; style <= 4; ++style)
    {
        const std::wstring n = std::to_wstring(style);
        Popup(L"--header " + n, L"Sample pop-up", L"popup-header-" + n, L"the pop-up, header style " + n);
        Popup(L"--header " + n + L" --maximisable", L"Sample pop-up", L"popup-header-" + n + L"-maximisable",
              L"the pop-up, header style " + n + L", maximisable");
    }
    Popup(L"--header 1 --subtitle --separator", L"Sample pop-up", L"popup-subtitle",
          L"the pop-up with its subtitle and separator");
    About();
    Buttons();
    MessageBoxes();
    FancyList();
    fclose(g_index);
    return 0;
}
