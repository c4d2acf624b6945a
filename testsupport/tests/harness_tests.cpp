// The window-test helpers where a fault would mislead every test built on them: the recorder's
// record, the URL handler's restore, scripted answers reaching a child pop-up, and resource
// pixels compared with painted ones.
#include <testsupport/ui.h>

#include <shellapi.h>

#include <gtest/gtest.h>

namespace
{
using testsupport::LaunchRecord;

// Runs a copy of the recorder in `folder`, with or without a show command.
bool StartRecorder(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder, int show)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (show >= 0)
    {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
    }
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring CopyRecorder(const testsupport::TempDir& dir, const std::wstring& name)
{
    const std::wstring copy = dir.File(name);
    return CopyFileW(testsupport::RecorderPath().c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}
} // namespace

TEST(LaunchRecorder, RecordsCommandLineFolderAndShowCommand)
{
    testsupport::TempDir dir, work;
    const std::wstring exe = CopyRecorder(dir, L"stand-in.exe");
    ASSERT_FALSE(exe.empty());
    const struct
    {
        const wchar_t* arguments;
        int show;
    } cases[] = {{L"checkupdate", SW_SHOWMINNOACTIVE}, {L"-FileFolder \"C:\\a b\\list.tmp\" \u00e9", -1}};
    for (const auto& c : cases)
    {
        DeleteFileW((exe + L".record").c_str());
        ASSERT_TRUE(StartRecorder(exe, c.arguments, work.Path(), c.show));
        const auto record = testsupport::WaitForLaunchRecord(exe, 5000);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(L"\"" + exe + L"\" " + c.arguments, record->commandLine);
        EXPECT_EQ(work.Path(), record->folder);
        EXPECT_EQ(c.show, record->showWindow);
    }
}

namespace
{
bool ReadCommand(const std::wstring& scheme, std::wstring& value)
{
    wchar_t data[1024] = {};
    LONG size = sizeof data;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, (scheme + L"\\shell\\open\\command").c_str(), data, &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool SchemeExists(const std::wstring& scheme)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, scheme.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
} // namespace

// The prefix's browser is replaced by the recorder, URLs opened through the shell reach it,
// and afterwards the old handler is back and nothing the override made is left.
TEST(UrlHandler, RecorderTakesTheUrlAndTheOldHandlerComesBack)
{
    testsupport::TempDir dir;
    const std::wstring exe = CopyRecorder(dir, L"browser-stand-in.exe");
    ASSERT_FALSE(exe.empty());
    std::wstring httpBefore, httpsBefore;
    const bool hadHttp = ReadCommand(L"http", httpBefore), hadHttps = ReadCommand(L"https", httpsBefore);
    // A scheme nobody registered: the override creates it and must take it away again.
    const std::wstring unused = L"suitetest" + std::to_wstring(GetCurrentProcessId());
    ASSERT_FALSE(SchemeExists(unused));
    {
        testsupport::UrlHandlerOverride handler(L"\"" + exe + L"\" \"%1\"", {L"http", L"https", unused});
        ASSERT_TRUE(handler.Installed());
        std::wstring value;
        ASSERT_TRUE(ReadCommand(L"https", value));
        EXPECT_EQ(L"\"" + exe + L"\" \"%1\"", value);

        const wchar_t* url = L"http://example.invalid/help?page=1";
        ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL)),
                  32);
        const auto record = testsupport::WaitForLaunchRecord(exe);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(L"\"" + exe + L"\" \"" + url + L"\"", record->commandLine);
    }
    std::wstring httpAfter, httpsAfter;
    EXPECT_EQ(hadHttp, ReadCommand(L"http", httpAfter));
    EXPECT_EQ(httpBefore, httpAfter);
    EXPECT_EQ(hadHttps, ReadCommand(L"https", httpsAfter));
    EXPECT_EQ(httpsBefore, httpsAfter);
    EXPECT_FALSE(SchemeExists(unused));
}

namespace
{
// A dialog template in memory: a caption and one "Go" button.
std::vector<WORD> MakeTemplate(DWORD style, const std::wstring& title, WORD buttonId)
{
    std::vector<WORD> t;
    const auto dword = [&](DWORD value) {
        t.push_back(LOWORD(value));
        t.push_back(HIWORD(value));
    };
    const auto text = [&](const std::wstring& value) {
        t.insert(t.end(), value.begin(), value.end());
        t.push_back(0);
    };
    dword(style | WS_VISIBLE);
    dword(0);                            // extended style
    t.insert(t.end(), {1, 0, 0, 120, 60}); // one item; x, y, cx, cy
    t.insert(t.end(), {0, 0});           // no menu, the default class
    text(title);
    if (t.size() % 2)
        t.push_back(0);                  // items start on a DWORD
    dword(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON);
    dword(0);
    t.insert(t.end(), {10, 10, 50, 14, buttonId, 0xFFFF, 0x0080});
    text(L"Go");
    t.push_back(0);                      // no creation data
    return t;
}

INT_PTR CALLBACK ChildProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept
{
    if (message == WM_COMMAND && LOWORD(wParam) == 7)
    {
        SetWindowLongPtrW(dialog, DWLP_USER, 1);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}
} // namespace

// A pop-up that is the child of another window (a skinned dialog over its shade) is found by
// its title, its texts are read and its button is clicked.
TEST(ScriptedAnswers, ReachAPopupThatIsTheChildOfAnotherWindow)
{
    const std::wstring shadeTitle = L"Shade " + testsupport::NewGuidString();
    HWND shade = CreateWindowExW(0, L"Static", shadeTitle.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, shade);
    const std::vector<WORD> child = MakeTemplate(WS_CHILD, L"Inner pop-up", 7);
    HWND inner = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                            reinterpret_cast<const DLGTEMPLATE*>(child.data()), shade, ChildProc, 0);
    ASSERT_NE(nullptr, inner);

    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"Inner pop-up", testsupport::ScriptedAnswers::Click(7));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return GetWindowLongPtrW(inner, DWLP_USER) == 1; }));
    const auto seen = answers.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(inner, seen[0].window);
    ASSERT_EQ(1u, seen[0].controls.size());
    EXPECT_EQ(7, seen[0].controls[0].id);
    EXPECT_EQ(L"Button", seen[0].controls[0].className);
    EXPECT_EQ(L"Go", seen[0].controls[0].text);

    testsupport::WindowQuery byId;
    byId.controlId = 7;
    EXPECT_EQ(std::vector<HWND>{GetDlgItem(inner, 7)}, testsupport::FindWindows(byId));
    testsupport::WindowQuery byTitle;
    byTitle.title = shadeTitle;
    EXPECT_EQ(shade, testsupport::WaitForWindow(byTitle, 1000));
    DestroyWindow(shade);
    byTitle.visibleOnly = false;
    EXPECT_EQ(nullptr, testsupport::WaitForWindow(byTitle, 100));
}

// Resource pictures read for comparison: a PNG is composed over the background given (its
// transparent corner takes the background, its opaque middle does not), and a bitmap painted
// into a DIB matches its resource's pixels only where it was put.
TEST(ResourcePixels, PngAlphaAndBitmapRegions)
{
    HMODULE core = LoadLibraryExW((testsupport::BinFolder() + L"\\suitecore.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, core);
    const testsupport::Capture onBlack = testsupport::LoadPngPixels(core, 1348, 0x000000);
    const testsupport::Capture onWhite = testsupport::LoadPngPixels(core, 1348, 0xFFFFFF);
    ASSERT_EQ(16, onBlack.width);
    ASSERT_EQ(16, onWhite.height);
    EXPECT_EQ(0x000000u, onBlack.At(0, 0));
    EXPECT_EQ(0xFFFFFFu, onWhite.At(0, 0));
    EXPECT_EQ(onBlack.At(8, 8), onWhite.At(8, 8));
    EXPECT_TRUE(testsupport::LoadPngPixels(core, 4242, 0).pixels.empty());

    const testsupport::Capture strip = testsupport::LoadBitmapPixels(core, 1038);  // three frames of 43 x 18
    ASSERT_EQ(129, strip.width);
    ASSERT_EQ(18, strip.height);
    testsupport::PaintSurface surface(200, 40);
    HBITMAP bitmap = LoadBitmapW(core, MAKEINTRESOURCEW(1038));
    ASSERT_NE(nullptr, bitmap);
    HDC memory = CreateCompatibleDC(surface.Dc());
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(surface.Dc(), 10, 5, 43, 18, memory, 86, 0, SRCCOPY);  // the hover frame only
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    FreeLibrary(core);
    const testsupport::Capture painted = surface.Pixels();
    EXPECT_EQ("", testsupport::CompareRegion(painted, 10, 5, strip, RECT{86, 0, 129, 18}));
    EXPECT_NE("", testsupport::CompareRegion(painted, 10, 5, strip, RECT{0, 0, 43, 18}));
    EXPECT_EQ("the region lies outside the capture", testsupport::CompareRegion(painted, 190, 5, strip));
    EXPECT_EQ(0xFFFFFFu, painted.At(9, 5));
}
