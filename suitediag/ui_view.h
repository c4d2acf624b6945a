// The views of "SuiteDiag ui VIEW [ARGS...]". Each lives in its own source file and registers itself:
//
//   static int RunTray(Args& args, BOOL initialised);
//   SUITEDIAG_UI_VIEW(tray, L"tray", L"[--tip TEXT]", L"Shows a tray icon", false, RunTray);
//
// The "ui" command creates the tool's application object, runs its InitInstance as a console host and
// then calls the view with what InitInstance answered. Views that keep single-instance behaviour say
// so with keepActivatePrev; all others run with g_bActivatePrevInstance cleared so that tests can run
// them side by side.
#pragma once

#include "command.h"

#include <windows.h>

#include <vector>

namespace suitediag
{
using UiViewFn = int (*)(Args& args, BOOL initialised);

struct UiView
{
    LPCWSTR name;
    LPCWSTR usage;
    LPCWSTR summary;
    bool keepActivatePrev;
    UiViewFn run;
};

struct UiViewRegistration
{
    explicit UiViewRegistration(const UiView& view);
};

const std::vector<UiView>& UiViews();
const UiView* FindUiView(LPCWSTR name);

#define SUITEDIAG_UI_VIEW(id, name, usage, summary, keepActivatePrev, fn) \
    static const ::suitediag::UiViewRegistration g_ui_view_##id({name, usage, summary, keepActivatePrev, fn})

// Views whose "@FILE" arguments stand for the UTF-8 text of that file. The "ui" command reads
// the files before the tool's start-up moves the current folder to the program's, so that a
// relative path means the folder SuiteDiag was started in.
struct UiTextFileViewRegistration
{
    explicit UiTextFileViewRegistration(LPCWSTR name);
};
bool UiViewReadsTextFiles(LPCWSTR name);
// The arguments with every "@FILE" replaced by the file's text; a usage error names a file
// that cannot be read.
std::vector<CString> ExpandTextFileArguments(std::vector<CString> items);

#define SUITEDIAG_UI_VIEW_READS_TEXT_FILES(id, name) \
    static const ::suitediag::UiTextFileViewRegistration g_ui_text_file_view_##id(name)
} // namespace suitediag
