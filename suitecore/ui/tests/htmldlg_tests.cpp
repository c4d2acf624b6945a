// HTML dialogs without a rendered page: CWebPage against the real JScript engine behind the
// document host, the suppression handlers against elements of our own (their debugger text
// caught in the process), and the event map connected to the host's elements end to end.
#include "html_test_support.h"

#include <framework/handles.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace
{
using html_test::CRecordingHtmlDialog;

// A document, released when the test is done with it.
struct DocumentRef
{
    explicit DocumentRef(htmlhost::Document* p) : doc(p) {}
    ~DocumentRef()
    {
        if (doc)
            doc->Release();
    }
    htmlhost::Document* operator->() const { return doc; }
    htmlhost::Document* doc;
};

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Text(const VARIANT& value)
{
    if (V_VT(&value) == VT_BOOL)
        return V_BOOL(&value) ? L"True" : L"False";
    CUniqueVariant text;
    if (V_VT(&value) == VT_EMPTY || FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        return L"<empty>";
    return V_BSTR(text.get());
}

// The debugger output of the calling process while the object lives: OutputDebugString
// raises an exception that a debugger would receive; a first handler in the process sees
// it the same way and tells the system it was taken.
class DebugOutputCapture
{
public:
    DebugOutputCapture() { m_handler = AddVectoredExceptionHandler(1, &DebugOutputCapture::Handler); }
    ~DebugOutputCapture() { RemoveVectoredExceptionHandler(m_handler); }
    static std::wstring Take()
    {
        std::lock_guard<std::mutex> lock(s_lock);
        return std::exchange(s_text, std::wstring());
    }

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* pInfo)
    {
        const EXCEPTION_RECORD* record = pInfo->ExceptionRecord;
        if (record->NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        std::lock_guard<std::mutex> lock(s_lock);
        if (record->ExceptionCode == 0x4001000A) // wide text
            s_text += reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
        else if (record->ExceptionCode == DBG_PRINTEXCEPTION_C)
        {
            const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
            s_text += std::wstring(text, text + strlen(text));
        }
        else
            return EXCEPTION_CONTINUE_SEARCH;
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    PVOID m_handler;
    static inline std::mutex s_lock;
    static inline std::wstring s_text;
};

class HtmlScript : public ::testing::Test
{
protected:
    CComApartment m_apartment;
};
} // namespace

TEST_F(HtmlScript, CallsReachTheRealScriptEngineInOrderAndLeaveNoReference)
{
    DocumentRef document(html_test::PageDocument());
    ASSERT_TRUE(document.doc) << "the JScript engine did not start on the test page's script";
    CWebPage page;
    ASSERT_TRUE(page.SetDocument(document->AsDispatch()));
    const LONG scriptRefs = document->ScriptRefCount();

    struct Call
    {
        const wchar_t* function;
        std::vector<const wchar_t*> args;
        BOOL ok;
        const wchar_t* result; // the result as text, or the error text's start
    } calls[] = {
        {L"join3", {L"x", L"y", L"z"}, TRUE, L"x|y|z"}, // the arguments' order
        {L"count", {}, TRUE, L"0"},
        {L"count", {L"one"}, TRUE, L"1"},
        {L"count", {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10"}, TRUE, L"10"},
        {L"answer", {}, TRUE, L"42"},
        {L"nothing", {}, TRUE, L"<empty>"},
        {L"fails", {}, FALSE, L"JSCall Error:\n"},
        {L"nosuch", {}, FALSE, L"JSCall Error:\n"},
    };
    for (const Call& c : calls)
    {
        CStringArray args;
        for (const wchar_t* arg : c.args)
            args.Add(arg);
        CUniqueVariant result;
        EXPECT_EQ(c.ok, page.CallJScript(c.function, args, result.get())) << c.function;
        if (c.ok)
        {
            EXPECT_EQ(c.result, Text(*result)) << c.function;
        }
        else
        {
            EXPECT_EQ(0u, std::wstring(page.GetLastErrorText()).rfind(c.result, 0)) << c.function;
        }
        EXPECT_EQ(scriptRefs, document->ScriptRefCount()) << c.function;
    }

    // The system has no text for an unknown name under Wine; Windows gives its own after the prefix.
    EXPECT_FALSE(page.CallJScript(L"nosuch", CStringArray()));
    if (UnderWine())
    {
        EXPECT_STREQ(L"JSCall Error:\nFormatMessage Native Error", page.GetLastErrorText());
    }

    CUniqueVariant joined;
    EXPECT_TRUE(page.CallJScript(L"join3", L"1", L"2", L"3", joined.get()));
    EXPECT_EQ(L"1|2|3", Text(*joined));
    EXPECT_TRUE(page.CallJScript(L"answer", CStringArray())) << "no result asked for";
    EXPECT_EQ(scriptRefs, document->ScriptRefCount());
}

TEST_F(HtmlScript, DocumentsAreHeldAndReleasedAndMissingScriptsAreReported)
{
    DocumentRef first(html_test::PageDocument());
    DocumentRef second(htmlhost::Document::CreateWithoutScript());
    ASSERT_TRUE(first.doc);
    {
        CWebPage page;
        EXPECT_FALSE(page.CallJScript(L"join3", CStringArray()));
        EXPECT_STREQ(L"JSCall Error:\nCannot GetScript", page.GetLastErrorText());

        EXPECT_FALSE(page.SetDocument(nullptr));
        EXPECT_STREQ(L"JSCall Error:\nNULL pointer", page.GetLastErrorText());

        EXPECT_TRUE(page.SetDocument(first->AsDispatch()));
        EXPECT_EQ(2, first->RefCount());
        EXPECT_FALSE(page.SetDocument(nullptr));
        EXPECT_EQ(2, first->RefCount()) << "a null document changes nothing";
        EXPECT_TRUE(page.SetDocument(second->AsDispatch()));
        EXPECT_EQ(1, first->RefCount()) << "the replaced document is released";
        EXPECT_EQ(2, second->RefCount());

        EXPECT_FALSE(page.CallJScript(L"join3", L"a", L"b", L"c"));
        EXPECT_STREQ(L"JSCall Error:\nCannot GetScript", page.GetLastErrorText());
    }
    EXPECT_EQ(1, second->RefCount()) << "the page releases its document";
}

TEST(HtmlHandlers, TextEditElementsKeepTheirActionsAndOthersLoseThem)
{
    CComApartment apartment;
    CChildHtmlDialog dialog(IDD_HTML_TEST, IDR_HTML_TEST_PAGE, nullptr);
    using Handler = HRESULT (CChildHtmlDialog::*)(IHTMLElement*);
    struct Case
    {
        Handler handler;
        const wchar_t* tag;
        bool textEdit, failTextEdit;
        HRESULT expected;
        const wchar_t* output;
    } cases[] = {
        {&CChildHtmlDialog::OnHtmlSelectStart, L"INPUT", true, false, S_OK, L"OnHtmlSelectStart <INPUT>\r\n"},
        {&CChildHtmlDialog::OnHtmlContextMenu, L"TEXTAREA", true, false, S_OK, L"OnHtmlContextMenu <TEXTAREA>\r\n"},
        {&CChildHtmlDialog::OnHtmlSelectStart, L"DIV", false, false, S_FALSE, L"OnHtmlSelectStart <DIV>\r\n"},
        {&CChildHtmlDialog::OnHtmlDragStart, L"BODY", false, false, S_FALSE, L"OnHtmlDragStart <BODY>\r\n"},
        {&CChildHtmlDialog::OnHtmlContextMenu, L"SPAN", false, true, S_FALSE, L"OnHtmlContextMenu <SPAN>\r\n"},
    };
    DebugOutputCapture capture;
    for (const Case& c : cases)
    {
        htmlhost::Element* element = htmlhost::Element::Create(c.tag, L"", c.textEdit, c.failTextEdit);
        EXPECT_EQ(c.expected, (dialog.*c.handler)(element)) << c.output;
        EXPECT_EQ(c.output, DebugOutputCapture::Take());
        element->Release();
    }
}

TEST(HtmlEventMap, EveryTagOfThePageIsConnectedToExactlyItsEvents)
{
    CComApartment apartment;
    DocumentRef document(html_test::PageDocument());
    ASSERT_TRUE(document.doc);
    CRecordingHtmlDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_HTML_TEST, nullptr));
    ASSERT_EQ(S_OK, dialog.ConnectDocument(document->AsDispatch()));
    EXPECT_EQ(document->Elements().size(), dialog.GetConnectedElementCount());

    const DISPID events[] = {DISPID_HTMLELEMENTEVENTS2_ONCLICK, static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONSELECTSTART),
                             static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONDRAGSTART),
                             static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONCONTEXTMENU)};
    DebugOutputCapture quiet;
    for (htmlhost::Element* element : document->Elements())
    {
        ASSERT_EQ(1u, element->SinkCount()) << element->Tag().c_str();
        VARIANT_BOOL textEdit = VARIANT_FALSE;
        element->get_isTextEdit(&textEdit);
        for (DISPID event : events)
        {
            CUniqueVariant result;
            element->Fire(event, result.get());
            const bool button = element->Id() == L"ButtonOK" || element->Id() == L"ButtonCancel";
            // Clicks are mapped on the two buttons only; the three suppressed events on every tag.
            const std::wstring expected = event == DISPID_HTMLELEMENTEVENTS2_ONCLICK ? (button ? L"True" : L"<empty>")
                                          : textEdit                                ? L"True"
                                                                                    : L"False";
            EXPECT_EQ(expected, Text(*result)) << element->Tag().c_str() << " event " << event;
        }
    }
    EXPECT_EQ(1, dialog.m_oks) << "a click on ButtonOK reaches OnOK";
    EXPECT_EQ(1, dialog.m_cancels) << "a click on ButtonCancel reaches OnCancel";

    // A handler's exception ends at the sink: the page's call returns and nothing ran on.
    dialog.m_throw = true;
    for (htmlhost::Element* element : document->Elements())
        if (element->Id() == L"ButtonOK")
        {
            CUniqueVariant result;
            EXPECT_TRUE(element->Fire(DISPID_HTMLELEMENTEVENTS2_ONCLICK, result.get()));
            EXPECT_EQ(VT_EMPTY, V_VT(result.get()));
        }
    EXPECT_EQ(1, dialog.m_oks);

    dialog.DestroyWindow();
    EXPECT_EQ(0u, dialog.GetConnectedElementCount());
    for (htmlhost::Element* element : document->Elements())
        EXPECT_EQ(0u, element->SinkCount()) << element->Tag().c_str() << " keeps a sink after the dialog closed";
}
