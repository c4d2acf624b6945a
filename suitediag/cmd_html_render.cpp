// SuiteDiag html-render WIDTH TEXT FILE.bmp [--transparent]: the text drawn by the HTML
// renderer in the shared UI font into a picture WIDTH wide and 10 pixels higher than the text
// needs, white, or magenta and drawn transparently (flags 5) with --transparent.
#include "command.h"
#include "html_surface.h"

#include <qmnhtm.h>

namespace
{
int RunHtmlRender(suitediag::Args& args)
{
    const UINT width = suitediag::ParseHtmlWidth(args.Next(L"WIDTH"));
    const CString text = args.Next(L"TEXT");
    const CString path = args.Next(L"FILE.bmp");
    const bool transparent = args.TakeOption(L"--transparent");
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
    const int pictureHeight = static_cast<int>(height) + 10;
    if (!surface.SelectDib(static_cast<int>(width), pictureHeight, transparent ? RGB(255, 0, 255) : RGB(255, 255, 255)))
    {
        suitediag::ErrLine(L"The picture could not be made.");
        return 1;
    }
    const RECT rect = {0, 0, static_cast<LONG>(width), pictureHeight};
    const UINT flags = transparent ? QHTM_SOURCE_TEXT | QHTM_TRANSPARENT : QHTM_SOURCE_TEXT;
    QHTM_RenderHTMLRect(surface.Dc(), text, instance, flags, &rect);
    if (!surface.WriteBmp(path))
    {
        suitediag::ErrFormat(L"Cannot write %s (error %lu).\n", static_cast<LPCWSTR>(path), GetLastError());
        return 1;
    }
    suitediag::OutFormat(L"%u\n", height);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(html_render, L"html-render", L"WIDTH TEXT FILE.bmp [--transparent]",
                  L"Draws the text with the HTML renderer into a BMP file, on white or transparently on magenta",
                  RunHtmlRender);
