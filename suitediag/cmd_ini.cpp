// SuiteDiag ini: a text of a language file, as the tools read it.
#include "command.h"

#include <suitecore/inifile.h>

namespace
{
int RunIni(suitediag::Args& args)
{
    const CString file = args.Next(L"FILE");
    const CString section = args.Next(L"SECTION");
    const CString key = args.Next(L"KEY");
    args.ExpectEnd();

    // A bare name is looked up beside suitecore.dll, the way the tools find "QMN.ini".
    const BOOL besideLibrary = file.FindOneOf(L"\\/:") < 0;
    CIniReader* reader = OpenIniReader(file, besideLibrary);
    if (!reader)
    {
        suitediag::ErrFormat(L"SuiteDiag ini: %s was not found\n", file.GetString());
        return 1;
    }
    CString value;
    const BOOL found = reader->GetKeyValue(key, section, value);
    const CString path = reader->GetIniPath();
    ReleaseIniReader(reader);
    if (!found)
    {
        suitediag::ErrFormat(L"SuiteDiag ini: no text for %s in section %s of %s\n", key.GetString(),
                             section.GetString(), path.GetString());
        return 1;
    }
    suitediag::OutLine(value);
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(ini, L"ini", L"FILE SECTION KEY",
                  L"Prints a text of a language file (a bare name is looked up beside suitecore.dll)", RunIni);
