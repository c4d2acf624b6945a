// The real form through ShowFeedbackDialog inside the shade, on this thread, driven from another
// thread with messages: fields filled, rows checked, Submit pressed; the skinned message boxes
// are read through their objects and answered.
#include <suitecore/app.h>
#include <suitecore/feedback_dialog.h>
#include <suitecore/ui/msgbox.h>

#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <future>
#include <string>
#include <vector>

namespace
{
const wchar_t kThanks[] = L"Thank you for providing us the feedback";
const wchar_t kFailed[] = L"Feedback upload failed. Please check your Internet connection and try again later.";
const wchar_t kEmpty[] = L"Feedback cannot be empty:";

class StandIn
{
public:
    StandIn(const std::wstring& log, const wchar_t* result, const wchar_t* delayMs)
    {
        SetEnvironmentVariableW(L"NETWORK_STANDIN_LOG", log.c_str());
        SetEnvironmentVariableW(L"NETWORK_STANDIN_RESULT", result);
        SetEnvironmentVariableW(L"NETWORK_STANDIN_DELAY_MS", delayMs);
    }
    ~StandIn()
    {
        for (const wchar_t* name : {L"NETWORK_STANDIN_LOG", L"NETWORK_STANDIN_RESULT", L"NETWORK_STANDIN_DELAY_MS"})
            SetEnvironmentVariableW(name, nullptr);
    }
};

// The stand-in's records, one line each: file name, payload, thread id.
std::vector<std::vector<std::string>> Uploads(const std::wstring& log)
{
    std::vector<std::vector<std::string>> records;
    const std::string text = testsupport::ReadFileBytes(log);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    {
        const std::string line = text.substr(start, end - start);
        const size_t tab1 = line.find('\t'), tab2 = line.rfind('\t');
        records.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return records;
}

HWND WaitForForm()
{
    testsupport::WindowQuery query;
    query.title = L"Feedback";
    return testsupport::WaitForWindow(query, 60000);
}

// The skinned message box that shows the text, once it is up; null after the time-out.
HWND WaitForBox(const wchar_t* text)
{
    HWND found = nullptr;
    testsupport::WaitUntil(
        [&]
        {
            testsupport::WindowQuery query;
            query.className = L"#32770";
            for (HWND w : testsupport::FindWindows(query))
            {
                auto* box = dynamic_cast<CDlgBaseMessageBoxWndBase*>(CWnd::FromHandlePermanent(w));
                if (box && box->m_strMessage.Find(text) >= 0 && GetDlgItem(w, IDC_MSGBOX_BUTTON0))
                    found = w;
            }
            return found != nullptr;
        },
        60000);
    return found;
}

bool Answer(HWND box)
{
    return box && testsupport::ClickHeadless(GetDlgItem(box, IDC_MSGBOX_BUTTON0));
}

void CheckRow(HWND list, int row)
{
    RECT rc{LVIR_BOUNDS};
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
    const LPARAM at = MAKELPARAM(12, (rc.top + rc.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void Fill(HWND form, const wchar_t* content)
{
    SendMessageW(GetDlgItem(form, IDC_FEEDBACK_EMAIL), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"me@example.com"));
    SendMessageW(GetDlgItem(form, IDC_FEEDBACK_TYPE), CB_SETCURSEL, 1, 0);
    SendMessageW(GetDlgItem(form, IDC_FEEDBACK_CONTENT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(content));
    CheckRow(GetDlgItem(form, IDC_FEEDBACK_TOOLS), 0);
    CheckRow(GetDlgItem(form, IDC_FEEDBACK_TOOLS), 2);
}

// Runs the form on this thread while the script drives it from another; the form's result. A
// script that stopped early cancels a form it left open, so the test ends.
int RunForm(const std::function<void()>& script)
{
    auto driver = std::async(std::launch::async,
                             [&]
                             {
                                 script();
                                 if (!testsupport::WaitUntil([] { return !FindWindowW(nullptr, L"Feedback"); }, 60000))
                                     PostMessageW(FindWindowW(nullptr, L"Feedback"), WM_COMMAND, IDCANCEL, 0);
                             });
    const int result = ShowFeedbackDialog(nullptr);
    driver.get();
    return result;
}
} // namespace

TEST(FeedbackForm, SubmitUploadsOnAWorkerAndTheFormClosesItself)
{
    g_strAppName = L"FeedbackTest";
    const FeedbackTool* tools = nullptr;
    GetFeedbackTools(&tools);
    const UINT checked[] = {tools[0].nAppId, tools[2].nAppId};
    CString document;
    ASSERT_TRUE(BuildFeedbackDocumentText(L"me@example.com", 1, L"Great tool", checked, 2, FALSE, document));
    document.Trim();
    struct Case
    {
        const char* name;
        const wchar_t* result; // the stand-in's answer
        const wchar_t* delayMs;
        bool closeAttempts; // Escape, Alt+F4, SC_CLOSE and Cancel while the upload runs
        const wchar_t* message;
        int formResult;
    } cases[] = {
        {"accepted", nullptr, nullptr, false, kThanks, IDOK},
        {"refused", L"0", nullptr, false, kFailed, IDCANCEL},
        {"slow, with close attempts", nullptr, L"2000", true, kThanks, IDOK},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const StandIn standIn(dir.File(L"calls.log"), c.result, c.delayMs);
        bool formAlive = false;
        const int result = RunForm(
            [&]
            {
                const HWND form = WaitForForm();
                ASSERT_NE(nullptr, form);
                Fill(form, L"  Great tool \r\n");
                ASSERT_TRUE(testsupport::ClickHeadless(GetDlgItem(form, IDC_FEEDBACK_SUBMIT)));
                if (c.closeAttempts)
                {
                    ASSERT_TRUE(testsupport::WaitUntil([&] { return !IsWindowEnabled(form); }, 30000));
                    PostMessageW(form, WM_KEYDOWN, VK_ESCAPE, 1);
                    PostMessageW(form, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
                    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
                    PostMessageW(GetDlgItem(form, IDCANCEL), BM_CLICK, 0, 0);
                }
                const HWND box = WaitForBox(c.message);
                formAlive = IsWindow(form) != FALSE;
                EXPECT_TRUE(Answer(box));
            });
        EXPECT_EQ(c.formResult, result);
        EXPECT_TRUE(formAlive);
        const auto uploads = Uploads(dir.File(L"calls.log"));
        ASSERT_EQ(1u, uploads.size());
        EXPECT_EQ(0u, uploads[0][0].rfind("QMNv3-Feedback ", 0)) << uploads[0][0];
        CString decoded;
        EXPECT_TRUE(CWebServiceHelper().DecodeFeedbackPayload(testsupport::Wide(uploads[0][1]).c_str(), decoded));
        EXPECT_STREQ(document, decoded);
        // The upload ran on the worker, not on this (the form's) thread.
        EXPECT_NE(std::to_string(GetCurrentThreadId()), uploads[0][2]);
    }
}

TEST(FeedbackForm, BlankContentLeavesTheFormEnabledAndUploadsNothing)
{
    testsupport::TempDir dir;
    const StandIn standIn(dir.File(L"calls.log"), nullptr, nullptr);
    bool enabledAgain = false, submitEnabled = false;
    const int result = RunForm(
        [&]
        {
            const HWND form = WaitForForm();
            ASSERT_NE(nullptr, form);
            Fill(form, L" \t \r\n ");
            ASSERT_TRUE(testsupport::ClickHeadless(GetDlgItem(form, IDC_FEEDBACK_SUBMIT)));
            EXPECT_TRUE(Answer(WaitForBox(kEmpty)));
            enabledAgain = testsupport::WaitUntil([&] { return IsWindowEnabled(form) != FALSE; }, 30000);
            submitEnabled = IsWindowEnabled(GetDlgItem(form, IDC_FEEDBACK_SUBMIT)) != FALSE;
            EXPECT_TRUE(testsupport::ClickHeadless(GetDlgItem(form, IDCANCEL)));
        });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(enabledAgain);
    EXPECT_TRUE(submitEnabled);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"calls.log").c_str()));
}
