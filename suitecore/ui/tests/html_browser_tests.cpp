// The HTML dialog around the system's real WebBrowser control (mshtml enabled for this
// program): the browser's settings, the host's answers, dropped files, messages, closing, the
// page's res: address read through the registered protocol handler, and, where MSHTML can
// render (not under Wine, which has no Gecko), the page end to end.
#include "html_test_support.h"

#include <suitecore/ui/basewnd.h>

#include <framework/handles.h>

#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <shlobj.h>
#include <urlmon.h>

#include <string>

namespace
{
using html_test::CRecordingHtmlDialog;

class HtmlBrowser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dialog.Create(IDD_HTML_TEST, nullptr));
        ASSERT_TRUE(m_dialog.m_wndBrowser.GetSafeHwnd() && m_dialog.m_pBrowserApp)
            << "the WebBrowser control was not created and activated in place";
    }
    void TearDown() override
    {
        if (m_dialog.GetSafeHwnd())
            m_dialog.DestroyWindow();
    }
    VARIANT_BOOL RegisteredAsBrowser()
    {
        VARIANT_BOOL value = 2;
        EXPECT_EQ(S_OK, m_dialog.m_pBrowserApp->get_RegisterAsBrowser(&value));
        return value;
    }

    CComApartment m_apartment;
    CRecordingHtmlDialog m_dialog;
};

// A DROPFILES block naming one file, as the shell hands it over.
HDROP MakeDrop(const std::wstring& file)
{
    const size_t bytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), file.c_str(), file.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The protocol sink and bind information a protocol handler needs to run on its own.
class ProtocolClient : public IInternetProtocolSink, public IInternetBindInfo
{
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (InlineIsEqualGUID(riid, IID_IUnknown) || InlineIsEqualGUID(riid, IID_IInternetProtocolSink))
            *ppv = static_cast<IInternetProtocolSink*>(this);
        else if (InlineIsEqualGUID(riid, IID_IInternetBindInfo))
            *ppv = static_cast<IInternetBindInfo*>(this);
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(Switch)(PROTOCOLDATA*) override { return S_OK; }
    STDMETHOD(ReportProgress)(ULONG, LPCWSTR) override { return S_OK; }
    STDMETHOD(ReportData)(DWORD, ULONG, ULONG) override { return S_OK; }
    STDMETHOD(ReportResult)(HRESULT hr, DWORD, LPCWSTR) override
    {
        m_result = hr;
        return S_OK;
    }
    STDMETHOD(GetBindInfo)(DWORD* grfBINDF, BINDINFO* pbindinfo) override
    {
        *grfBINDF = BINDF_ASYNCHRONOUS;
        const ULONG size = pbindinfo->cbSize;
        ZeroMemory(pbindinfo, size);
        pbindinfo->cbSize = size;
        return S_OK;
    }
    STDMETHOD(GetBindString)(ULONG, LPOLESTR*, ULONG, ULONG* pcElFetched) override
    {
        *pcElFetched = 0;
        return E_NOTIMPL;
    }
    HRESULT m_result = E_PENDING;
};

// The bytes the protocol handler registered for "res" reads at the address.
std::string ReadThroughResProtocol(const std::wstring& url, HRESULT* phr)
{
    CLSID handler{};
    wchar_t clsid[64] = {};
    DWORD size = sizeof(clsid);
    *phr = HRESULT_FROM_WIN32(RegGetValueW(HKEY_CLASSES_ROOT, L"PROTOCOLS\\Handler\\res", L"CLSID", RRF_RT_REG_SZ,
                                           nullptr, clsid, &size));
    if (FAILED(*phr) || FAILED(*phr = CLSIDFromString(clsid, &handler)))
        return std::string();
    CUniqueComPtr<IInternetProtocol> protocol;
    if (FAILED(*phr = CoCreateInstance(handler, nullptr, CLSCTX_INPROC_SERVER, IID_IInternetProtocol,
                                       protocol.put_void())))
        return std::string();
    ProtocolClient client;
    if (FAILED(*phr = protocol->Start(url.c_str(), &client, &client, 0, 0)))
        return std::string();
    std::string bytes;
    char buffer[4096];
    ULONG read = 0;
    HRESULT hr;
    while ((hr = protocol->Read(buffer, sizeof(buffer), &read)) == S_OK || (hr == S_FALSE && read))
    {
        bytes.append(buffer, read);
        if (hr == S_FALSE)
            break;
    }
    protocol->Terminate(0);
    *phr = FAILED(hr) ? hr : S_OK;
    return bytes;
}

// MSHTML can build documents here (it cannot under Wine, which has no Gecko).
bool HtmlDocumentsAvailable(HRESULT* phr)
{
    CUniqueComPtr<IUnknown> document;
    *phr = CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, document.put_void());
    return SUCCEEDED(*phr);
}
} // namespace

TEST_F(HtmlBrowser, TheBrowserIsHostedWithTheDialogsSettings)
{
    EXPECT_TRUE(IsWindow(m_dialog.m_wndBrowser.GetSafeHwnd()));
    EXPECT_EQ(m_dialog.GetSafeHwnd(), GetParent(m_dialog.m_wndBrowser.GetSafeHwnd()));

    // Wine stores this property: a TRUE round trip shows the FALSE afterwards is ours.
    EXPECT_EQ(S_OK, m_dialog.m_pBrowserApp->put_RegisterAsBrowser(VARIANT_TRUE));
    EXPECT_EQ(VARIANT_TRUE, RegisteredAsBrowser());
    // The drop-target setter answers S_OK; Wine ignores the property (its getter always
    // answers false), so only the call's success shows.
    EXPECT_TRUE(m_dialog.ApplyBrowserSettings());
    EXPECT_EQ(VARIANT_FALSE, RegisteredAsBrowser());
    EXPECT_FALSE(m_dialog.GetExStyle() & WS_EX_ACCEPTFILES);

    // The host flags reach the browser through the site it was given.
    CUniqueComPtr<IOleObject> object;
    CUniqueComPtr<IOleClientSite> site;
    CUniqueComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(S_OK, m_dialog.m_wndBrowser.GetControlUnknown()->QueryInterface(IID_IOleObject, object.put_void()));
    ASSERT_EQ(S_OK, object->GetClientSite(site.put()));
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IDocHostUIHandler, handler.put_void()));
    DOCHOSTUIINFO info{sizeof(info)};
    EXPECT_EQ(S_OK, handler->GetHostInfo(&info));
    EXPECT_EQ(13u, info.dwFlags);
    EXPECT_EQ(13u, static_cast<DWORD>(HTMLDLG_HOST_FLAGS));
}

TEST_F(HtmlBrowser, DroppedFilesOpenNothingAndTheSettingsReturn)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"dropped.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "dropped"));
    m_dialog.m_pBrowserApp->put_RegisterAsBrowser(VARIANT_TRUE);
    m_dialog.ModifyStyleEx(0, WS_EX_ACCEPTFILES);
    const size_t windowsBefore = testsupport::FindWindows({}).size();

    HDROP drop = MakeDrop(file);
    m_dialog.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop));

    EXPECT_EQ(VARIANT_FALSE, RegisteredAsBrowser());
    EXPECT_FALSE(m_dialog.GetExStyle() & WS_EX_ACCEPTFILES);
    EXPECT_EQ(0u, GlobalSize(drop)) << "the receiver frees the drop";
    EXPECT_EQ(windowsBefore, testsupport::FindWindows({}).size()) << "nothing was opened";
    EXPECT_TRUE(m_dialog.IsWindow());
}

TEST_F(HtmlBrowser, MessagesAreSwallowedOrAnsweredWithTheWhiteBrush)
{
    struct Message
    {
        UINT message;
        WPARAM wParam;
    } swallowed[] = {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_SYSKEYDOWN, VK_F4}};
    for (const Message& m : swallowed)
    {
        EXPECT_EQ(0, m_dialog.SendMessage(m.message, m.wParam, 0)) << m.message;
        EXPECT_EQ(0, m_dialog.m_oks + m_dialog.m_cancels) << m.message;
    }
    HDC dc = GetDC(m_dialog.GetSafeHwnd());
    const LRESULT first = m_dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                               reinterpret_cast<LPARAM>(m_dialog.m_wndBrowser.GetSafeHwnd()));
    const LRESULT second = m_dialog.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                reinterpret_cast<LPARAM>(m_dialog.m_wndBrowser.GetSafeHwnd()));
    EXPECT_EQ(TRUE, m_dialog.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
    ReleaseDC(m_dialog.GetSafeHwnd(), dc);
    EXPECT_EQ(first, second);
    LOGBRUSH brush{};
    ASSERT_EQ(static_cast<int>(sizeof(brush)), GetObjectW(reinterpret_cast<HBRUSH>(first), sizeof(brush), &brush));
    EXPECT_EQ(RGB(255, 255, 255), brush.lbColor);

    m_dialog.SendMessage(WM_COMMAND, IDOK);
    m_dialog.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(1, m_dialog.m_oks);
    EXPECT_EQ(1, m_dialog.m_cancels);
}

TEST_F(HtmlBrowser, ThePageAddressYieldsThePageThroughTheResProtocol)
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring url = m_dialog.GetHtmlResourceUrl().GetString();
    EXPECT_EQ(L"res://" + std::wstring(module) + L"/#23/#101", url);
    HRESULT hr = E_FAIL;
    const std::string bytes = ReadThroughResProtocol(url, &hr);
    EXPECT_EQ(S_OK, hr);
    const std::wstring page = html_test::PageText();
    EXPECT_EQ(std::string(page.begin(), page.end()), bytes);
}

// A modal HTML dialog, closed by the command the answer sends; the site's references are all
// given back once it is closed, although the navigation never completes under Wine.
TEST(HtmlBrowserModal, CommandsCloseTheDialogWithTheirCodesAndNothingIsKept)
{
    CComApartment apartment;
    for (const int command : {IDOK, IDCANCEL})
    {
        html_test::CRecordingHtmlDialog dialog(true);
        bool browser = false;
        testsupport::ScriptedAnswers answers;
        answers.On(L"#32770", L"HTML dialog test", [&](HWND window) {
            browser = GetDlgItem(window, AFX_IDC_BROWSER) != nullptr;
            PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
        });
        EXPECT_EQ(command, dialog.DoModal());
        EXPECT_TRUE(browser) << "the browser's window was missing";
        EXPECT_EQ(nullptr, dialog.GetHostSite());
        EXPECT_EQ(0u, dialog.ReleaseKeptSite()) << "someone kept the browser's site";
    }
}

// ---- End to end against a real MSHTML document: these run where MSHTML renders. ----

// Clicks the page's ButtonOK on the dialog's thread when asked.
class CClickingDialog : public CRecordingHtmlDialog
{
public:
    CClickingDialog() : CRecordingHtmlDialog(true) {}
    LRESULT OnClickButtonOK(WPARAM, LPARAM)
    {
        CUniqueComPtr<IDispatch> document;
        CUniqueComPtr<IHTMLDocument3> html;
        CUniqueComPtr<IHTMLElement> button;
        CUniqueBstr id(SysAllocString(L"ButtonOK"));
        if (SUCCEEDED(GetDHtmlDocument(document.put())) &&
            SUCCEEDED(document->QueryInterface(IID_IHTMLDocument3, html.put_void())) &&
            SUCCEEDED(html->getElementById(id.get(), button.put())) && button)
            button->click();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CClickingDialog, CRecordingHtmlDialog)
    ON_MESSAGE(WM_APP + 1, &CClickingDialog::OnClickButtonOK)
END_MESSAGE_MAP()

class HtmlRendered : public ::testing::Test
{
protected:
    void SetUp() override
    {
        HRESULT hr = S_OK;
        if (!HtmlDocumentsAvailable(&hr))
            GTEST_SKIP() << "MSHTML cannot build documents here (CoCreateInstance(CLSID_HTMLDocument) = 0x" << std::hex
                         << hr << "; under Wine, Gecko is missing): run on Windows";
    }
    CComApartment m_apartment;
};

TEST_F(HtmlRendered, ThePageLoadsAndButtonOKClosesTheDialog)
{
    CClickingDialog dialog;
    bool loaded = false;
    testsupport::ScriptedAnswers answers;
    answers.On(L"#32770", L"HTML dialog test", [&](HWND window) {
        loaded = testsupport::WaitUntil([&] { return dialog.GetConnectedElementCount() > 0; }, 30000);
        PostMessageW(window, WM_APP + 1, 0, 0);
    });
    EXPECT_EQ(IDOK, dialog.DoModal()) << "a click on ButtonOK closes the dialog";
    EXPECT_TRUE(loaded) << "the page never completed";
}
TEST_F(HtmlRendered, TextSelectionOutsideInputsIsRefused)
{
    CRecordingHtmlDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_HTML_TEST, nullptr));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return dialog.GetConnectedElementCount() > 0; }, 30000));
    CUniqueComPtr<IDispatch> document;
    ASSERT_EQ(S_OK, dialog.GetDHtmlDocument(document.put()));
    CUniqueComPtr<IHTMLDocument2> html;
    ASSERT_EQ(S_OK, document->QueryInterface(IID_IHTMLDocument2, html.put_void()));
    CUniqueComPtr<IHTMLElement> body;
    ASSERT_EQ(S_OK, html->get_body(body.put()));
    CUniqueComPtr<IHTMLElement3> body3;
    ASSERT_EQ(S_OK, body->QueryInterface(IID_IHTMLElement3, body3.put_void()));
    CUniqueBstr name(SysAllocString(L"onselectstart"));
    VARIANT_BOOL notCancelled = VARIANT_TRUE;
    ASSERT_EQ(S_OK, body3->fireEvent(name.get(), nullptr, &notCancelled));
    EXPECT_EQ(VARIANT_FALSE, notCancelled) << "selection on the body goes on";
    dialog.DestroyWindow();
}
