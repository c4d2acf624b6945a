// The message box run modally on the test thread while a watcher thread reads it and clicks
// it: the button sets and their results, the geometry, the check box and its registry record,
// and the text it stores.
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

struct Seen
{
    int width = 0, height = 0;
    RECT window{};
    std::vector<RECT> buttons; // client rectangles of 1185..1189 that exist
    std::vector<std::wstring> captions;
    int defaultId = 0;
    bool hasClose = false;
    RECT close{};
    bool hasCheck = false;
    RECT check{};
    bool roundedCorner = false; // the region leaves out the top-left corner
    int fontHeight = 0;         // the dialog font's line height
};

// "(l,t)-(r,b)", so that rectangles compare with a readable difference.
std::string Str(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

RECT ClientRectOf(HWND child, HWND parent)
{
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

Seen Observe(HWND box)
{
    Seen seen;
    testsupport::WaitForControl(box, IDC_MSGBOX_BUTTON0, 20000);
    Sleep(100);
    RECT rc{};
    GetClientRect(box, &rc);
    seen.width = rc.right;
    seen.height = rc.bottom;
    GetWindowRect(box, &seen.window);
    for (int id = IDC_MSGBOX_BUTTON0; id <= static_cast<int>(IDC_MSGBOX_BUTTON4); ++id)
        if (HWND button = GetDlgItem(box, id))
        {
            seen.buttons.push_back(ClientRectOf(button, box));
            seen.captions.push_back(testsupport::WindowText(button));
        }
    seen.defaultId = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
    if (HWND close = GetDlgItem(box, kClose))
    {
        seen.hasClose = IsWindowVisible(close) != FALSE;
        seen.close = ClientRectOf(close, box);
    }
    if (HWND check = GetDlgItem(box, IDC_MSGBOX_CHECK))
    {
        seen.hasCheck = IsWindowVisible(check) != FALSE;
        seen.check = ClientRectOf(check, box);
    }
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(box, region) != ERROR)
        seen.roundedCorner = !PtInRegion(region, 0, 0) && PtInRegion(region, seen.width / 2, seen.height / 2);
    DeleteObject(region);
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    seen.fontHeight = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    return seen;
}

// Runs show() on this thread; the watcher observes the box, calls act (when given) and then
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

int Button(int i)
{
    return IDC_MSGBOX_BUTTON0 + i;
}

CStringArray Captions(std::initializer_list<LPCWSTR> texts)
{
    CStringArray captions;
    for (LPCWSTR text : texts)
        captions.Add(text);
    return captions;
}

// The message-box record key of a throwaway application name, removed before and after.
class StatusKey
{
public:
    StatusKey() : m_savedName(g_strAppName)
    {
        g_strAppName = testsupport::NewGuidString().c_str();
        GetProductKeyPath(m_appPath);
        m_appPath += L"\\";
        m_appPath += g_strAppName;
        Remove();
    }
    ~StatusKey()
    {
        Remove();
        g_strAppName = m_savedName;
    }
    StatusKey(const StatusKey&) = delete;
    StatusKey& operator=(const StatusKey&) = delete;

    // The recorded values in order, -1 for a value of another type.
    std::vector<int> Values() const
    {
        std::vector<int> values;
        const CString path = m_appPath + L"\\MessageBoxStatus";
        for (int n = 0;; ++n)
        {
            CString name;
            name.Format(L"DontShowMessageBox%d", n);
            DWORD type = 0, data = 0, size = sizeof(data);
            if (RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_ANY, &type, &data, &size) != ERROR_SUCCESS)
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
    struct Case
    {
        const char* name;
        std::function<int()> show;
        std::vector<std::wstring> captions;
        int defaultId;
        bool close;
        bool check;
        std::vector<std::pair<int, int>> results; // control clicked, result
    } cases[] = {
        {"MB_OK", [] { return ShowMessageBox(L"Ok?", MB_OK, nullptr, nullptr, TRUE); }, {L"OK"}, Button(0), true,
         false, {{Button(0), 1}, {kClose, 1}}},
        {"MB_YESNO", [] { return ShowMessageBox(L"Yes?", MB_YESNO, nullptr, nullptr, TRUE); }, {L"Yes", L"No"},
         Button(0), false, false, {{Button(0), 6}, {Button(1), 7}}},
        {"MB_OKCANCEL", [] { return ShowMessageBox(L"Go?", MB_OKCANCEL, nullptr, nullptr, TRUE); },
         {L"OK", L"Cancel"}, Button(0), false, false, {{Button(0), 1}, {Button(1), 2}}},
        {"MB_YESNOCANCEL", [] { return ShowMessageBox(L"Save?", MB_YESNOCANCEL, nullptr, nullptr, TRUE); },
         {L"Yes", L"No", L"Cancel"}, Button(0), true, true,
         {{Button(0), 0}, {Button(1), 1}, {Button(2), 2}, {kClose, 2}}},
        {"MB_ABORTRETRYIGNORE", [] { return ShowMessageBox(L"Again?", MB_ABORTRETRYIGNORE, nullptr, nullptr, TRUE); },
         {L"Abort", L"Retry", L"Cancel"}, Button(0), true, true, {{Button(2), 2}, {kClose, 2}}},
        {"choice without check box",
         [&] { return ShowIconChoiceBox(L"Pick", MB_ICONQUESTION, 3, &three, nullptr, FALSE, FALSE, nullptr); },
         {L"First", L"Second", L"Third"}, Button(0), true, false, {{Button(1), 1}, {Button(2), 2}, {kClose, 2}}},
        {"other type: OK, none marked as default",
         [] {
             CQMNMessageBox box;
             box.SetButtons(7, 0, nullptr, 0, FALSE);
             box.SetMessageText(L"Other");
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
    // Long enough to widen and heighten the box, short enough to fit on the screen, where it is
    // centred.
    const std::wstring longText(600, L'w');
    std::wstring words;
    for (int i = 0; i < 120; ++i)
        words += L"word ";
    const CStringArray two = Captions({L"Left", L"Right"});
    const RECT big = {0, 0, 600, 400};
    const RECT small = {0, 0, 200, 100};
    struct Case
    {
        const char* name;
        std::function<int()> show;
        int width, height;       // exact, or 0 for the bounds below
        int minWidth, maxWidth;  // bounds
        int minHeight;
        SIZE button;
        int buttonBottomOffset;  // y = height - offset
    } cases[] = {
        {"short text: the default rectangle",
         [] { return ShowMessageBox(L"Short.", MB_YESNO, nullptr, nullptr, TRUE); }, 315, 171, 0, 0, 0, {79, 23}, 34},
        {"a larger rectangle is kept",
         [&] { return ShowMessageBox(L"Short.", MB_OK, nullptr, &big, TRUE); }, 600, 400, 0, 0, 0, {79, 23}, 34},
        {"long words: wide to the limit and taller",
         [&] { return ShowMessageBox(longText.c_str(), MB_OK, nullptr, nullptr, TRUE); }, 0, 0, 315, 428, 172,
         {79, 23}, 34},
        {"many words: never wider than the limit",
         [&] { return ShowMessageBox(words.c_str(), MB_OK, nullptr, nullptr, FALSE); }, 0, 0, 315, 428, 172,
         {79, 23}, 34},
        {"large buttons",
         [&] { return ShowIconChoiceBox(L"Large", MB_ICONINFORMATION, 2, &two, nullptr, FALSE, TRUE, nullptr); },
         300, 160, 0, 0, 0, {120, 28}, 44},
        {"side picture: its height + 78",
         [&] { return ShowChoiceBox(L"Side", 1079, 2, &two, &small, TRUE, nullptr); }, 0, 0, 200, 10000, 180 + 78,
         {79, 23}, 34},
        {"lower picture: its width + 12",
         [&] { return ShowChoiceBox(L"Lower", 1078, 2, &two, &small, FALSE, nullptr); }, 0, 0, 300 + 12, 10000,
         60 + 78, {79, 23}, 34},
    };
    for (const Case& c : cases)
    {
        Seen seen;
        RunBox(c.show, Button(0), &seen);
        if (c.width)
        {
            EXPECT_EQ(c.width, seen.width) << c.name;
            EXPECT_EQ(c.height, seen.height) << c.name;
        }
        else
        {
            EXPECT_GE(seen.width, c.minWidth) << c.name;
            EXPECT_LE(seen.width, c.maxWidth) << c.name;
            EXPECT_GE(seen.height, c.minHeight) << c.name;
        }
        ASSERT_FALSE(seen.buttons.empty()) << c.name;
        for (size_t i = 0; i < seen.buttons.size(); ++i)
        {
            const RECT& b = seen.buttons[i];
            const int right = seen.width - 15 - static_cast<int>(i) * (c.button.cx + 5);
            EXPECT_EQ(Str(RECT{right - c.button.cx, seen.height - c.buttonBottomOffset, right,
                               seen.height - c.buttonBottomOffset + c.button.cy}),
                      Str(b))
                << c.name << " button " << i;
        }
        if (seen.hasClose)
        {
            EXPECT_EQ(Str(RECT{seen.width - 50, 2, seen.width - 7, 20}), Str(seen.close)) << c.name;
        }
        EXPECT_TRUE(seen.roundedCorner) << c.name;
        // Centred on the work area: no application main window here.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((work.left + work.right) / 2, (seen.window.left + seen.window.right) / 2, 1) << c.name;
        EXPECT_NEAR((work.top + work.bottom) / 2, (seen.window.top + seen.window.bottom) / 2, 1) << c.name;
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
    int heights[2] = {};
    for (const bool measuring : {true, false})
    {
        QHTM_TestControl(measuring ? QHTM_TEST_MEASURE_ON : QHTM_TEST_MEASURE_OFF, nullptr, 0);
        Seen seen;
        int plainHeight = 0;
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
        heights[measuring] = seen.height;
        if (!measuring)
        {
            EXPECT_EQ(std::max(160, plainHeight + 110), seen.height);
        }
    }
    QHTM_TestControl(QHTM_TEST_MEASURE_ON, nullptr, 0);
    EXPECT_GT(heights[1], heights[0]);
}

TEST(MsgBox, CheckBoxShowsForTheChoiceSetAndEachCloseRecordsItsState)
{
    StatusKey status;
    const CStringArray two = Captions({L"Keep", L"Drop"});
    const auto show = [&] { return ShowChoiceBox(L"Choose", 1079, 2, &two, nullptr, TRUE, nullptr); };
    const auto clickLabel = [](HWND box) {
        RECT rc{};
        GetClientRect(box, &rc);
        // The label starts right of the box and reaches 10 pixels above the bottom.
        PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(100, rc.bottom - 20));
        testsupport::WaitUntil([&] { return SendMessageW(GetDlgItem(box, IDC_MSGBOX_CHECK), BM_GETCHECK, 0, 0) == 1; },
                               10000);
    };
    struct Case
    {
        bool toggle;
        int clicked;
        int result;
    } cases[] = {{true, Button(0), 0}, {false, Button(1), 1}, {true, kClose, 2}};
    std::vector<int> expected;
    for (const Case& c : cases)
    {
        Seen seen;
        EXPECT_EQ(c.result, RunBox(show, c.clicked, &seen, c.toggle ? std::function<void(HWND)>(clickLabel) : nullptr));
        EXPECT_EQ(Str(RECT{21, seen.height - 30, 34, seen.height - 17}), Str(seen.check));
        expected.push_back(c.toggle ? 1 : 0);
        EXPECT_EQ(expected, status.Values());
    }
    // A choice box without the check box records nothing.
    RunBox([&] { return ShowIconChoiceBox(L"No record", 0, 2, &two, nullptr, FALSE, FALSE, nullptr); }, Button(0));
    EXPECT_EQ(expected, status.Values());
}

TEST(MsgBox, CallersCountNeverOverrunsTheButtonsOrTheCaptions)
{
    const CStringArray three = Captions({L"1", L"2", L"3"});
    const CStringArray seven = Captions({L"1", L"2", L"3", L"4", L"5", L"6", L"7"});
    struct Case
    {
        int count;
        const CStringArray* captions;
        size_t buttons;
    } cases[] = {{9, &three, 3}, {7, &seven, 5}, {2, &seven, 2}, {-1, &three, 0}, {3, nullptr, 0}};
    for (const Case& c : cases)
    {
        CQMNMessageBox box;
        box.SetButtons(MSGBOX_TYPE_CHOICE, c.count, c.captions, 0, FALSE);
        EXPECT_EQ(static_cast<int>(c.buttons), box.m_nButtonCount) << c.count;
        EXPECT_EQ(static_cast<INT_PTR>(c.buttons), box.m_arrCaptions.GetSize()) << c.count;
    }
    Seen seen;
    EXPECT_EQ(4, RunBox([&] { return ShowIconChoiceBox(L"Seven", 0, 7, &seven, nullptr, FALSE, FALSE, nullptr); },
                        Button(4), &seen));
    EXPECT_EQ(5u, seen.buttons.size());
}

TEST(MsgBox, PlainTextGetsTheFontTagAndLongTextIsKeptWhole)
{
    const CString face = GetUIFontFace();
    const std::wstring huge = std::wstring(99990, L'x') + L"0123456789";
    struct Case
    {
        const wchar_t* text;
        BOOL wrap;
        CString stored;
    } cases[] = {
        {L"Plain", TRUE, L"<font face=\"" + face + L"\" size=9pt>Plain<font>"},
        {L"a <b>bold</b> word", TRUE, L"a <b>bold</b> word"},
        {L"1 > 0", TRUE, L"1 > 0"},
        {L"Plain", FALSE, L"Plain"},
        {huge.c_str(), TRUE, L"<font face=\"" + face + L"\" size=9pt>" + CString(huge.c_str()) + L"<font>"},
    };
    for (const Case& c : cases)
    {
        CQMNMessageBox box;
        box.m_bWrapPlainText = c.wrap;
        box.SetMessageText(c.text);
        EXPECT_EQ(c.stored.GetLength(), box.m_strMessage.GetLength());
        EXPECT_TRUE(c.stored == box.m_strMessage) << testsupport::Utf8(std::wstring(c.text).substr(0, 40));
    }
    // The box measures the text inside the tag.
    EXPECT_STREQ(L"Plain", CQMNMessageBox::MeasuringText(cases[0].stored));
    EXPECT_EQ(1, RunBox([&] { return ShowMessageBox(huge.c_str(), MB_OK, nullptr, nullptr, TRUE); }, Button(0)));
}

TEST(MsgBox, FontTagSizeIsNineFromVistaOnAndEightOnXp)
{
    constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\msgbox_text_probe.exe";
    struct Case
    {
        const wchar_t* version;
        const char* expected;
    } cases[] = {
        {L"winxp", "<font face=\"tahoma\" size=8pt>Plain<font>"},
        {L"win7", "<font face=\"tahoma\" size=9pt>Plain<font>"},
    };
    for (const Case& c : cases)
    {
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                                 nullptr));
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.version),
                       static_cast<DWORD>((wcslen(c.version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        const auto run = testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\msgbox_text_probe.exe\"");
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ(c.expected, run.out) << testsupport::Utf8(c.version);
    }
}
