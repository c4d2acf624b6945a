// SuiteCore's own calls into the HTML renderer qmnhtm.dll. All three of its calls are imported
// by name through SuiteCore's import table, so SuiteCore does not load without the renderer.
// The application class initialises it for the tool's instance and SuiteCore's; the message
// box measures its text with it before it draws it with RenderHtml.
#pragma once

#include <windows.h>

namespace suitecore::ui
{
// QHTM_Initialize for one module instance.
BOOL InitializeHtmlRenderer(HINSTANCE instance);
// The height the mark-up needs at that width, with the text given directly (flags 1) and the
// instance of the current module state; false, with the height 0, when the renderer cannot
// measure it.
BOOL MeasureHtmlHeight(HDC dc, LPCWSTR html, UINT width, UINT& height);
} // namespace suitecore::ui
