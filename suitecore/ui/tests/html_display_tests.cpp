// The HTML dialog's guards with keys really held down: Escape blocks the page's buttons and
// Cancel, Enter blocks OK; once the key is let go the same action closes the dialog. The
// page's clicks come through the document host's elements, fired on the dialog's thread.
#include "html_test_support.h"

#include <testsupport/ui.h>

#include <gtest/gtest.h>

namespace
{
enum Action : WPARAM
{
    ClickButtonOK,
    ClickButtonCancel,
    CommandOK,
    CommandCancel,
};

// Connects the document host in place of a rendered page and acts on request.
class CActingDialog : public html_test::CRecordingHtmlDialog
{
public:
    CActingDialog() : CRecordingHtmlDialog(true) {}
    BOOL OnInitDialog() override
    {
        CRecordingHtmlDialog::OnInitDialog();
        m_pDocument = html_test::PageDocument();
        if (m_pDocument)
            ConnectDocument(m_pDocument->AsDispatch());
        return TRUE;
    }
    void PostNcDestroy() override
    {
        if (m_pDocument)
            std::exchange(m_pDocument, nullptr)->Release();
    }
    LRESULT OnAct(WPARAM action, LPARAM)
    {
        if (action == CommandOK || action == CommandCancel)
        {
            SendMessage(WM_COMMAND, action == CommandOK ? IDOK : IDCANCEL);
            return 0;
        }
        const wchar_t* id = action == ClickButtonOK ? L"ButtonOK" : L"ButtonCancel";
        for (htmlhost::Element* element : m_pDocument ? m_pDocument->Elements() : std::vector<htmlhost::Element*>())
            if (element->Id() == id)
            {
                CUniqueVariant result;
                element->Fire(DISPID_HTMLELEMENTEVENTS2_ONCLICK, result.get());
            }
        return 0;
    }
    DECLARE_MESSAGE_MAP()

    htmlhost::Document* m_pDocument = nullptr;
};
BEGIN_MESSAGE_MAP(CActingDialog, html_test::CRecordingHtmlDialog)
    ON_MESSAGE(WM_APP + 1, &CActingDialog::OnAct)
END_MESSAGE_MAP()

void FocusFromOutside(HWND window)
{
    SetForegroundWindow(window);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(window);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    Sleep(200);
}
} // namespace

TEST(HtmlGuards, HeldKeysBlockTheButtonsAndCommandsUntilLetGo)
{
    CComApartment apartment;
    struct Case
    {
        WORD key;
        Action action;
        INT_PTR closesWith;
    } cases[] = {
        {VK_ESCAPE, ClickButtonOK, IDOK},
        {VK_ESCAPE, ClickButtonCancel, IDCANCEL},
        {VK_RETURN, CommandOK, IDOK},
        {VK_ESCAPE, CommandCancel, IDCANCEL},
    };
    for (const Case& c : cases)
    {
        CActingDialog dialog;
        bool stayedOpen = false;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"HTML dialog test", [&](HWND window) {
            FocusFromOutside(window);
            {
                testsupport::HeldKey held(c.key);
                SendMessageW(window, WM_APP + 1, c.action, 0);
                Sleep(300);
                stayedOpen = IsWindow(window) && IsWindowVisible(window);
            }
            Sleep(300);
            PostMessageW(window, WM_APP + 1, c.action, 0);
        });
        EXPECT_EQ(c.closesWith, dialog.DoModal()) << "action " << c.action;
        EXPECT_TRUE(stayedOpen) << "action " << c.action << " went through with key " << c.key << " held";
    }
}
