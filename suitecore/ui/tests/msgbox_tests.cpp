// The message box run modally on the test thread while a watcher thread reads and clicks it:
// the button sets and their results, the geometry, the check box and its registry record, the
// caller's count and the text the box stores.
#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <suitecore/registry.h>
#include <suitecore/ui/msgbox.h>
#include <suitecore/ui/uifont.h>

#include <qmnhtm.h>

#include "basewnd_test_env.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr int kClose = IDC_MSGBOX_CLOSE;
constexpr int Button(int i) { return IDC_MSGBOX_BUTTON0 + i; }

std::string Str(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

struct Seen
{
    RECT client{}, window{}, close{}, check{};
    std::vector<RECT> buttons;
    std::vector<std::wstring> captions;
    int defaultId = 0;
    bool hasClose = false, hasCheck = false, rounded = false;
};

Seen Observe(HWND box)
{
    Seen seen;
    testsupport::WaitForControl(box, Button(0), 20000);
    Sleep(100);
    GetClientRect(box, &seen.client);
    GetWindowRect(box, &seen.window);
    const auto childRect = [box](HWND child) {
        RECT rc{};
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    for (int i = 0; i < MSGBOX_MAX_BUTTONS; ++i)
        if (HWND button = GetDlgItem(box, Button(i)))
        {
            seen.buttons.push_back(childRect(button));
            seen.captions.push_back(testsupport::WindowText(button));
        }
    seen.defaultId = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
    if (HWND close = GetDlgItem(box, kClose); (seen.hasClose = close && IsWindowVisible(close)))
        seen.close = childRect(close);
    if (HWND check = GetDlgItem(box, IDC_MSGBOX_CHECK); (seen.hasCheck = check && IsWindowVisible(check)))
        seen.check = childRect(check);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    seen.rounded = GetWindowRgn(box, region) != ERROR && !PtInRegion(region, 0, 0) &&
                   PtInRegion(region, seen.client.right / 2, seen.client.bottom / 2);
    DeleteObject(region);
    return seen;
}

// Runs show() on this thread; the watcher observes the box, calls act (when given), then
// clicks the control.
int RunBox(const std::function<int()>& show, int clickId, Seen* pSeen = nullptr,
           const std::function<void(HWND)>& act = nullptr)
{
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"", [&](HWND box) {
        const Seen seen = Observe(box);
        if (pSeen)
            *pSeen = seen;
        if (act)
            act(box);
        testsupport::ClickHeadless(GetDlgItem(box, clickId));
    });
    return show();
}

CStringArray Captions(std::initializer_list<LPCWSTR> texts)
{
    CStringArray captions;
    for (LPCWSTR text : texts)
        captions.Add(text);
    return captions;
}

// A throwaway application name, and its message-box records removed before and after.
class StatusKey
{
public:
    StatusKey() : m_savedName(g_strAppName)
    {
        g_strAppName = testsupport::NewGuidString().c_str();
        GetProductKeyPath(m_appPath);
        m_appPath += L"\\" + g_strAppName;
        Remove();
    }
    ~StatusKey()
    {
        Remove();
        g_strAppName = m_savedName;
    }
    StatusKey(const StatusKey&) = delete;
    StatusKey& operator=(const StatusKey&) = delete;

    // DontShowMessageBox0, 1, ... as long as they exist; -1 for a value that is not a DWORD.
    std::vector<int> Values() const
    {
        std::vector<int> values;
        for (;;)
        {
            const CString name = L"DontShowMessageBox" + CString(std::to_wstring(values.size()).c_str());
            DWORD type = 0, data = 0, size = sizeof(data);
            if (RegGetValueW(HKEY_CURRENT_USER, m_appPath + L"\\MessageBoxStatus", name, RRF_RT_ANY, &type, &data,
                             &size) != ERROR_SUCCESS)
                return values;
            values.push_back(type == REG_DWORD ? static_cast<int>(data) : -1);
        }
    }

private:
    void Remove() const
    {
        RegDeleteKeyW(HKEY_CURRENT_USER, m_appPath + L"\\MessageBoxStatus");
        RegDeleteKeyW(HKEY_CURRENT_USER, m_appPath);
    }
    CString m_savedName;
    CString m_appPath;
};
} // namespace

TEST(MsgBox, EveryButtonSetGivesItsCaptionsDefaultCloseButtonAndResults)
{
    StatusKey status; // the three-button sets record their check box
    const CStringArray three = Captions({L"First", L"Second", L"Third"});
    const auto flags = [](UINT f) { return [f] { return ShowMessageBox(L"Text", f, nullptr, nullptr, TRUE); }; };
    struct Case
    {
        const char* name;
        std::function<int()> show;
        std::vector<std::wstring> captions;
        int defaultId;
        bool close, check;
        std::vector<std::pair<int, int>> results; // control clicked, result
    } cases[] = {
        {"MB_OK", flags(MB_OK), {L"OK"}, Button(0), true, false, {{Button(0), 1}, {kClose, 1}}},
        {"MB_YESNO", flags(MB_YESNO), {L"Yes", L"No"}, Button(0), false, false, {{Button(0), 6}, {Button(1), 7}}},
        {"MB_OKCANCEL", flags(MB_OKCANCEL), {L"OK", L"Cancel"}, Button(0), false, false,
         {{Button(0), 1}, {Button(1), 2}}},
        {"MB_YESNOCANCEL", flags(MB_YESNOCANCEL), {L"Yes", L"No", L"Cancel"}, Button(0), true, true,
         {{Button(0), 0}, {Button(1), 1}, {Button(2), 2}, {kClose, 2}}},
        {"MB_ABORTRETRYIGNORE", flags(MB_ABORTRETRYIGNORE), {L"Abort", L"Retry", L"Cancel"}, Button(0), true, true,
         {{Button(2), 2}, {kClose, 2}}},
        {"choice without check box",
         [&] { return ShowIconChoiceBox(L"Pick", MB_ICONQUESTION, 3, &three, nullptr, FALSE, FALSE, nullptr); },
         {L"First", L"Second", L"Third"}, Button(0), true, false, {{Button(1), 1}, {kClose, 2}}},
        {"other type: OK, none marked as default",
         [] {
             CQMNMessageBox box;
             box.SetButtons(7, 0, nullptr, 0, FALSE);
             box.DoModal();
             return box.GetResult();
         },
         {L"OK"}, IDOK, true, false, {{Button(0), 1}, {kClose, 2}}},
    };
    for (const Case& c : cases)
        for (const auto& [clicked, result] : c.results)
        {
            Seen seen;
            EXPECT_EQ(result, RunBox(c.show, clicked, &seen)) << c.name << " control " << clicked;
            EXPECT_EQ(c.captions, seen.captions) << c.name;
            EXPECT_EQ(c.defaultId, seen.defaultId) << c.name;
            EXPECT_EQ(c.close, seen.hasClose) << c.name;
            EXPECT_EQ(c.check, seen.hasCheck) << c.name;
        }
}

TEST(MsgBox, GeometryFollowsTextButtonsAndPictures)
{
    // Long enough to widen and heighten the box, short enough to stay on the screen.
    const std::wstring longWord(600, L'w');
    std::wstring words;
    for (int i = 0; i < 120; ++i)
        words += L"word ";
    const CStringArray two = Captions({L"Left", L"Right"});
    const RECT big = {0, 0, 600, 400}, small = {0, 0, 200, 100};
    struct Case
    {
        const char* name;
        std::function<int()> show;
        int minWidth, maxWidth, minHeight, maxHeight;
        bool large;
    } cases[] = {
        {"short text: the default rectangle",
         [] { return ShowMessageBox(L"Short.", MB_YESNO, nullptr, nullptr, TRUE); }, 315, 315, 171, 171, false},
        {"a larger rectangle is kept", [&] { return ShowMessageBox(L"Short.", MB_OK, nullptr, &big, TRUE); }, 600,
         600, 400, 400, false},
        {"one long word: at most 428 wide, taller",
         [&] { return ShowMessageBox(longWord.c_str(), MB_OK, nullptr, nullptr, TRUE); }, 315, 428, 172, 2000, false},
        {"many words, drawn plain: at most 428 wide, taller",
         [&] { return ShowMessageBox(words.c_str(), MB_OK, nullptr, nullptr, FALSE); }, 315, 428, 172, 2000, false},
        {"large buttons",
         [&] { return ShowIconChoiceBox(L"Large", MB_ICONINFORMATION, 2, &two, nullptr, FALSE, TRUE, nullptr); }, 300,
         300, 160, 160, true},
        {"side picture: its height + 78",
         [&] { return ShowChoiceBox(L"Side", 1079, 2, &two, &small, TRUE, nullptr); }, 200, 2000, 180 + 78, 2000, false},
        {"lower picture: its width + 12",
         [&] { return ShowChoiceBox(L"Lower", 1078, 2, &two, &small, FALSE, nullptr); }, 312, 2000, 138, 2000, false},
    };
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (const Case& c : cases)
    {
        Seen seen;
        RunBox(c.show, Button(0), &seen);
        const int width = seen.client.right, height = seen.client.bottom;
        EXPECT_GE(width, c.minWidth) << c.name;
        EXPECT_LE(width, c.maxWidth) << c.name;
        EXPECT_GE(height, c.minHeight) << c.name;
        EXPECT_LE(height, c.maxHeight) << c.name;
        const SIZE size = c.large ? SIZE{120, 28} : SIZE{79, 23};
        const int top = height - (c.large ? 44 : 34);
        ASSERT_FALSE(seen.buttons.empty()) << c.name;
        for (size_t i = 0; i < seen.buttons.size(); ++i)
        {
            const int right = width - 15 - static_cast<int>(i) * (size.cx + 5);
            EXPECT_EQ(Str({right - size.cx, top, right, top + size.cy}), Str(seen.buttons[i])) << c.name << " " << i;
        }
        if (seen.hasClose)
        {
            EXPECT_EQ(Str({width - 50, 2, width - 7, 20}), Str(seen.close)) << c.name;
        }
        EXPECT_TRUE(seen.rounded) << c.name;
        // Centred (on the work area: there is no application main window here).
        EXPECT_NEAR(work.left + work.right, seen.window.left + seen.window.right, 2) << c.name;
        EXPECT_NEAR(work.top + work.bottom, seen.window.top + seen.window.bottom, 2) << c.name;
    }
}

TEST(MsgBox, WithoutTheRenderersMeasureTheBoxTakesThePlainTextHeight)
{
    // Large mark-up: the renderer measures it taller than its plain text.
    std::wstring text = L"<font size=24pt>";
    for (int i = 0; i < 40; ++i)
        text += L"line ";
    text += L"</font>";
    const CStringArray one = Captions({L"Fine"});
    int heights[2] = {}, plainHeight = 0;
    for (const bool measuring : {true, false})
    {
        QHTM_TestControl(measuring ? QHTM_TEST_MEASURE_ON : QHTM_TEST_MEASURE_OFF, nullptr, 0);
        Seen seen;
        RunBox([&] { return ShowIconChoiceBox(text.c_str(), 0, 1, &one, nullptr, FALSE, FALSE, nullptr); }, Button(0),
               &seen, [&](HWND box) {
                   // The text as the box measures it without the renderer: in its font, 351 wide.
                   HDC dc = GetDC(box);
                   HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
                   RECT rc = {0, 0, 351, 0};
                   DrawTextW(dc, text.c_str(), -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
                   plainHeight = rc.bottom;
                   SelectObject(dc, old);
                   ReleaseDC(box, dc);
               });
        heights[measuring] = seen.client.bottom;
    }
    QHTM_TestControl(QHTM_TEST_MEASURE_ON, nullptr, 0);
    EXPECT_EQ(std::max(160, plainHeight + 110), heights[false]);
    EXPECT_GT(heights[true], heights[false]);
}

TEST(MsgBox, CheckBoxShowsForTheChoiceSetAndEachCloseRecordsItsState)
{
    StatusKey status;
    const CStringArray two = Captions({L"Keep", L"Drop"});
    const auto clickLabel = [](HWND box) {
        RECT rc{};
        GetClientRect(box, &rc);
        PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(100, rc.bottom - 20)); // on the label
        testsupport::WaitUntil([&] { return SendDlgItemMessageW(box, IDC_MSGBOX_CHECK, BM_GETCHECK, 0, 0) == 1; },
                               10000);
    };
    struct Case
    {
        bool toggle;
        int clicked, result;
    } cases[] = {{true, Button(0), 0}, {false, Button(1), 1}, {true, kClose, 2}};
    std::vector<int> expected;
    for (const Case& c : cases)
    {
        Seen seen;
        EXPECT_EQ(c.result, RunBox([&] { return ShowChoiceBox(L"Choose", 1079, 2, &two, nullptr, TRUE, nullptr); },
                                   c.clicked, &seen, c.toggle ? std::function<void(HWND)>(clickLabel) : nullptr));
        EXPECT_EQ(Str({21, seen.client.bottom - 30, 34, seen.client.bottom - 17}), Str(seen.check));
        expected.push_back(c.toggle ? 1 : 0);
        EXPECT_EQ(expected, status.Values()); // a new value at every close
    }
    RunBox([&] { return ShowIconChoiceBox(L"No record", 0, 2, &two, nullptr, FALSE, FALSE, nullptr); }, Button(0));
    EXPECT_EQ(expected, status.Values());
}

TEST(MsgBox, CallersCountAndTextAreBounded)
{
    const CStringArray three = Captions({L"1", L"2", L"3"});
    const CStringArray seven = Captions({L"1", L"2", L"3", L"4", L"5", L"6", L"7"});
    struct Case
    {
        int count;
        const CStringArray* captions;
        int buttons;
    } cases[] = {{9, &three, 3}, {7, &seven, 5}, {2, &seven, 2}, {-1, &three, 0}, {3, nullptr, 0}};
    for (const Case& c : cases)
    {
        CQMNMessageBox box;
        box.SetButtons(MSGBOX_TYPE_CHOICE, c.count, c.captions, 0, FALSE);
        EXPECT_EQ(c.buttons, box.m_nButtonCount) << c.count;
        EXPECT_EQ(c.buttons, static_cast<int>(box.m_arrCaptions.GetSize())) << c.count;
    }
    Seen seen;
    EXPECT_EQ(4, RunBox([&] { return ShowIconChoiceBox(L"Seven", 0, 7, &seven, nullptr, FALSE, FALSE, nullptr); },
                        Button(4), &seen));
    EXPECT_EQ(5u, seen.buttons.size());

    const std::wstring huge = std::wstring(99990, L'x') + L"0123456789";
    CQMNMessageBox box;
    box.SetMessageText(huge.c_str());
    const CString tail = CString(huge.substr(huge.size() - 10).c_str()) + L"<font>";
    EXPECT_EQ(static_cast<int>(huge.size()) + 6, box.m_strMessage.GetLength() - box.m_strMessage.Find(L'>') - 1);
    EXPECT_STREQ(tail, box.m_strMessage.Right(tail.GetLength()));
    EXPECT_EQ(1, RunBox([&] { return ShowMessageBox(huge.c_str(), MB_OK, nullptr, nullptr, TRUE); }, Button(0)));
}

TEST(MsgBox, PlainTextGetsTheFontTagSizedByWindowsVersionMarkUpIsKept)
{
    const CString face = GetUIFontFace();
    struct Stored
    {
        const wchar_t* text;
        BOOL wrap;
        CString stored;
    } stored[] = {
        {L"a <b>bold</b> word", TRUE, L"a <b>bold</b> word"},
        {L"1 > 0", TRUE, L"1 > 0"},
        {L"Plain", FALSE, L"Plain"},
    };
    for (const Stored& c : stored)
    {
        CQMNMessageBox box;
        box.m_bWrapPlainText = c.wrap;
        box.SetMessageText(c.text);
        EXPECT_STREQ(c.stored, box.m_strMessage);
    }
    // The probe prints what the box stores for "Plain" under the version Wine reports to it.
    constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\msgbox_text_probe.exe";
    for (const auto& [version, expected] : {std::pair{L"winxp", "<font face=\"tahoma\" size=8pt>Plain<font>"},
                                            std::pair{L"win7", "<font face=\"tahoma\" size=9pt>Plain<font>"}})
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                                 nullptr));
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        const auto run = testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\msgbox_text_probe.exe\"");
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        EXPECT_EQ(expected, run.out) << testsupport::Utf8(version);
    }
}

TEST(MsgBox, PicturesLeaveTheTextTheRoomItWasMeasuredAt)
{
    // Without the renderer's measure the box sizes to the plain text, which the test measures too.
    QHTM_TestControl(QHTM_TEST_MEASURE_OFF, nullptr, 0);
    std::wstring text;
    for (int i = 0; i < 60; ++i)
        text += L"text ";
    const CStringArray two = Captions({L"Left", L"Right"});
    for (const BOOL side : {TRUE, FALSE})
    {
        CQMNMessageBox box;
        box.SetButtons(MSGBOX_TYPE_CHOICE, 2, &two, 0, FALSE);
        box.SetBoxRect(RECT{0, 0, 200, 100});
        side ? box.SetSideBitmap(1079) : box.SetLowerBitmap(1078);
        box.m_bWrapPlainText = FALSE;
        box.SetMessageText(text.c_str());
        RECT plain = {0, 0, 351, 0};
        RunBox([&] { return static_cast<int>(box.DoModal()); }, Button(0), nullptr, [&](HWND window) {
            HDC dc = GetDC(window);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
            DrawTextW(dc, text.c_str(), -1, &plain, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
            SelectObject(dc, old);
            ReleaseDC(window, dc);
        });
        EXPECT_GE(box.m_rcText.right - box.m_rcText.left, plain.right) << "side " << side;
        EXPECT_GE(box.m_rcText.bottom - box.m_rcText.top, plain.bottom) << "side " << side;
    }
    QHTM_TestControl(QHTM_TEST_MEASURE_ON, nullptr, 0);
}
