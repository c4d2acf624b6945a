// SuiteDiag ui-face [--no-segoe]: the shared UI face that SetUIFontFace chooses here, with the
// default face "tahoma".
#include "command.h"

#include <suitecore/ui/uifont.h>

namespace
{
int RunUiFace(suitediag::Args& args)
{
    const bool noSegoe = args.TakeOption(L"--no-segoe");
    args.ExpectEnd();
    SetUIFontFace(!noSegoe, L"tahoma");
    suitediag::OutLine(GetUIFontFace());
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(ui_face, L"ui-face", L"[--no-segoe]",
                  L"Prints the shared UI face chosen with the default face \"tahoma\"", RunUiFace);
