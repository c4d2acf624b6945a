// SuiteDiag html-height WIDTH TEXT: the height the HTML renderer needs for the text at that
// width, measured in the shared UI font.
#include "command.h"
#include "html_surface.h"

#include <qmnhtm.h>

namespace
{
int RunHtmlHeight(suitediag::Args& args)
{
    const UINT width = suitediag::ParseHtmlWidth(args.Next(L"WIDTH"));
    const CString text = args.Next(L"TEXT");
    args.ExpectEnd();
    suitediag::HtmlSurface surface;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    QHTM_Initialize(instance);
    UINT height = 0;
    if (!surface.Dc() || !QHTM_GetHTMLHeight(surface.Dc(), text, instance, QHTM_SOURCE_TEXT, width, &height))
    {
        suitediag::ErrLine(L"The renderer could not measure the text.");
        return 1;
    }
    suitediag::OutFormat(L"%u\n", height);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(html_height, L"html-height", L"WIDTH TEXT",
                  L"Prints the height in pixels that the HTML renderer needs for the text at the width", RunHtmlHeight);
