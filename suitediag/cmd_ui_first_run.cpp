// "SuiteDiag ui first-run": the first-run wizard over the shade of the sample main window; it
// runs the backup and scheduler programs beside SuiteDiag and closes by itself. Prints
// "closed" and the backup program's CLEANFINISHED value.
#include "ui_sample.h"
#include "ui_view.h"

#include <suitecore/firstrun.h>

#include <framework/handles.h>

namespace suitediag
{
namespace
{
CString CleanFinished()
{
    CUniqueRegKey key;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\orvane\\QMN3\\SwiftMend\\Vaultline", 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.get(), L"CLEANFINISHED", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return L"(none)";
    CString text;
    text.Format(L"%lu", value);
    return text;
}

int RunFirstRun(Args& args, BOOL)
{
    args.ExpectEnd();
    SampleMainHost host;
    CDlgAfterInstallWiz wizard;
    DoModalShaded(host.Window(), &wizard, IDD_AFTER_INSTALL_WIZARD);
    OutLine(L"closed");
    OutFormat(L"CLEANFINISHED %s\n", static_cast<LPCWSTR>(CleanFinished()));
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(first_run, L"first-run", L"", L"Runs the first-run wizard until it closes by itself", false,
                  RunFirstRun);
} // namespace suitediag
