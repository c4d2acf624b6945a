// SuiteDiag jscall: runs a function of a JScript file through CWebPage, with the file loaded
// into a minimal document host (the system's JScript engine behind IHTMLDocument), so a
// page's script functions can be called without a rendered page.
#include "command.h"

#include <framework/handles.h>
#include <suitecore/ui/htmldlg.h>

#include <html_doc_host.h>

namespace
{
int RunJsCall(suitediag::Args& args)
{
    const CString scriptPath = args.Next(L"SCRIPT");
    const CString function = args.Next(L"FUNCTION");
    CStringArray arguments;
    for (const CString& argument : args.Rest())
        arguments.Add(argument);

    std::wstring script;
    if (!htmlhost::ReadTextFile(scriptPath.GetString(), script))
    {
        suitediag::ErrFormat(L"SuiteDiag jscall: %s: cannot read the script\n", scriptPath.GetString());
        return 1;
    }
    CComApartment apartment;
    HRESULT hr = S_OK;
    std::wstring engineError;
    htmlhost::Document* document = htmlhost::Document::Create(script, &hr, &engineError);
    if (!document)
    {
        suitediag::ErrFormat(L"SuiteDiag jscall: the script engine failed (0x%08lX) %s\n",
                             static_cast<unsigned long>(hr), engineError.c_str());
        return 1;
    }
    CWebPage page;
    page.SetDocument(document->AsDispatch());
    document->Release();

    CUniqueVariant result;
    if (!page.CallJScript(function, arguments, result.get()))
    {
        suitediag::ErrLine(page.GetLastErrorText());
        return 1;
    }
    if (V_VT(result.get()) == VT_EMPTY || V_VT(result.get()) == VT_NULL)
        return 0;
    CUniqueVariant text;
    if (FAILED(VariantChangeType(text.get(), result.get(), 0, VT_BSTR)))
    {
        suitediag::ErrFormat(L"SuiteDiag jscall: the result (type %u) has no text\n", V_VT(result.get()));
        return 1;
    }
    suitediag::OutLine(V_BSTR(text.get()) ? V_BSTR(text.get()) : L"");
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(jscall, L"jscall", L"SCRIPT FUNCTION [ARG...]",
                  L"Calls a function of a JScript file with string arguments and prints its result", RunJsCall);
