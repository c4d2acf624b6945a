// XML parsing: CMarkup::SetDoc over a generated 50 MB document, against the msxml3 DOM
// (DOMDocument 3.0) loading the same text with loadXML.
#include "bench.h"

#include <suitecore/markup.h>

#include <framework/handles.h>

#include <msxml2.h>
#include <objbase.h>

#include <memory>
#include <string>

namespace
{
// DOMDocument 3.0, the one msxml3 serves, and its interface.
const CLSID kDomDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
const IID kIXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr size_t kDocumentChars = 50u * 1000 * 1000;

struct BstrTraits
{
    using type = BSTR;
    static BSTR invalid() noexcept { return nullptr; }
    static void close(BSTR p) noexcept { SysFreeString(p); }
};
using CUniqueBstr = CUniqueAny<BstrTraits>;

// A catalogue of records with attributes, text, entities and empty elements, about as dense in
// tags as a settings or feedback document.
std::wstring GenerateDocument(size_t& elements)
{
    std::wstring doc;
    doc.reserve(kDocumentChars + 256);
    doc += L"<?xml version=\"1.0\"?>\r\n<!-- generated catalogue -->\r\n<catalog>\r\n";
    elements = 1;
    const std::wstring close = L"</catalog>\r\n";
    for (unsigned n = 0; doc.size() + close.size() + 200 < kDocumentChars; ++n)
    {
        const std::wstring id = std::to_wstring(n);
        doc += L"<item id=\"" + id + L"\" kind=\"tool\">\r\n<name>Item " + id + L"</name>\r\n<size>" +
               std::to_wstring(n * 7919u % 1000003u) + L"</size>\r\n<note>cleans &amp; checks " + id +
               L"</note>\r\n<flags/>\r\n</item>\r\n";
        elements += 5;
    }
    doc += close;
    return doc;
}

double MiB(size_t chars)
{
    return static_cast<double>(chars * sizeof(wchar_t)) / (1024.0 * 1024.0);
}

void BenchXml(suitebench::Reporter& reporter)
{
    size_t elements = 0;
    std::wstring text = GenerateDocument(elements);
    const size_t chars = text.size();

    // A fresh document each run, as the peer gets; tearing it down is not timed.
    double oursSeconds = 1e300;
    for (int run = 0; run < 3; ++run)
    {
        auto xml = std::make_unique<CMarkup>();
        BOOL parsed = FALSE;
        const double seconds = suitebench::BestSeconds(1, [&] { parsed = xml->SetDoc(text.c_str()); });
        if (!parsed || static_cast<size_t>(xml->GetElemCount()) != elements)
        {
            reporter.Note(L"xml: CMarkup did not parse the generated document");
            return;
        }
        if (seconds < oursSeconds)
            oursSeconds = seconds;
    }

    CComApartment apartment;
    CUniqueBstr bstr(SysAllocStringLen(text.data(), static_cast<UINT>(chars)));
    std::wstring().swap(text); // the peer's copy is enough from here on
    if (FAILED(apartment.Result()) || !bstr)
    {
        reporter.Note(L"xml: COM or the BSTR could not be set up");
        return;
    }
    bool loaded = true;
    double peerSeconds = 1e300;
    for (int run = 0; run < 2 && loaded; ++run)
    {
        CUniqueComPtr<IXMLDOMDocument> dom;
        if (FAILED(CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument, dom.put_void())))
        {
            reporter.Note(L"xml: msxml3's DOMDocument could not be created");
            return;
        }
        dom->put_async(VARIANT_FALSE);
        dom->put_validateOnParse(VARIANT_FALSE);
        dom->put_resolveExternals(VARIANT_FALSE);
        VARIANT_BOOL ok = VARIANT_FALSE;
        const double seconds = suitebench::BestSeconds(1, [&] { dom->loadXML(bstr.get(), &ok); });
        loaded = ok == VARIANT_TRUE;
        if (seconds < peerSeconds)
            peerSeconds = seconds;
    }
    if (!loaded)
    {
        reporter.Note(L"xml: msxml3 did not load the generated document");
        return;
    }

    reporter.Report(L"xml SetDoc, 50 MB document", MiB(chars) / oursSeconds, L"msxml3 DOMDocument loadXML",
                    MiB(chars) / peerSeconds, suitebench::Unit::MiBPerSecond);
    wchar_t note[200];
    _snwprintf(note, 200, L"%u characters, %u elements; %.1f against %.1f M characters/s", static_cast<unsigned>(chars),
               static_cast<unsigned>(elements), chars / oursSeconds / 1e6, chars / peerSeconds / 1e6);
    note[199] = L'\0';
    reporter.Note(note);
}
} // namespace

SUITEBENCH_CASE(xml, L"xml", BenchXml);
