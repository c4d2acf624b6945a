// What the HTML dialog tests share: the test page (read from the program's own resources),
// the document host filled from it, and a dialog that records OK and Cancel.
#pragma once

#include "html_test_ids.h"

#include <suitecore/ui/htmldlg.h>

#include <html_doc_host.h>

#include <regex>
#include <stdexcept>
#include <utility>
#include <string>

namespace html_test
{
// The page's bytes as text, from the RT_HTML resource of the test program.
inline std::wstring PageText()
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_HTML_TEST_PAGE), MAKEINTRESOURCEW(23));
    HGLOBAL data = found ? LoadResource(nullptr, found) : nullptr;
    if (!data)
        return std::wstring();
    const char* bytes = static_cast<const char*>(LockResource(data));
    return std::wstring(bytes, bytes + SizeofResource(nullptr, found));
}

// The page's script, between its script tags.
inline std::wstring PageScript()
{
    std::wsmatch match;
    const std::wstring page = PageText();
    return std::regex_search(page, match, std::wregex(L"<script[^>]*>([\\s\\S]*?)</script>")) ? match[1].str()
                                                                                             : std::wstring();
}

// A document host running the page's script, with one element for every opening tag of the
// page (its id kept; text inputs and text areas edit text). Null when the engine failed.
inline htmlhost::Document* PageDocument()
{
    htmlhost::Document* document = htmlhost::Document::Create(PageScript());
    if (!document)
        return nullptr;
    const std::wstring page = PageText();
    const std::wregex tag(L"<([a-z0-9]+)([^>]*)>");
    const std::wregex id(L"id=\"([^\"]*)\"");
    for (std::wsregex_iterator it(page.begin(), page.end(), tag), end; it != end; ++it)
    {
        const std::wstring name = (*it)[1].str();
        const std::wstring attributes = (*it)[2].str();
        std::wsmatch idMatch;
        const std::wstring elementId = std::regex_search(attributes, idMatch, id) ? idMatch[1].str() : L"";
        const bool textEdit = name == L"textarea" || (name == L"input" && attributes.find(L"\"text\"") != std::wstring::npos);
        std::wstring upper = name;
        CharUpperW(upper.data());
        htmlhost::Element* element = htmlhost::Element::Create(upper, elementId, textEdit);
        document->Add(element);
        element->Release();
    }
    return document;
}

// An HTML dialog that counts the OK and Cancel that reach it; with pass set they go on to
// the guarded OnOK and OnCancel.
class CRecordingHtmlDialog : public CChildHtmlDialog
{
public:
    explicit CRecordingHtmlDialog(bool pass = false)
        : CChildHtmlDialog(IDD_HTML_TEST, IDR_HTML_TEST_PAGE, nullptr), m_pass(pass)
    {
    }
    ~CRecordingHtmlDialog() override
    {
        if (m_pKeptSite)
            m_pKeptSite->Release();
    }
    // Keeps a reference to the browser's site, so a test can see whether every other one
    // was given back.
    BOOL OnInitDialog() override
    {
        CChildHtmlDialog::OnInitDialog();
        m_pKeptSite = GetHostSite();
        if (m_pKeptSite)
            m_pKeptSite->AddRef();
        return TRUE;
    }
    // The references left on the kept site once ours is given back (0: none).
    ULONG ReleaseKeptSite() { return m_pKeptSite ? std::exchange(m_pKeptSite, nullptr)->Release() : ULONG(-1); }
    void OnOK() override
    {
        if (m_throw)
            throw std::runtime_error("a handler that fails");
        ++m_oks;
        if (m_pass)
            CChildHtmlDialog::OnOK();
    }
    void OnCancel() override
    {
        ++m_cancels;
        if (m_pass)
            CChildHtmlDialog::OnCancel();
    }
    IOleClientSite* m_pKeptSite = nullptr;
    int m_oks = 0;
    int m_cancels = 0;
    bool m_pass;
    bool m_throw = false;
};
} // namespace html_test
