// qmnhtm.dll: draws and measures short texts with simple mark-up (font faces, sizes and colours,
// bold, italic, underline, line and paragraph breaks, a few entities).
//
// Clients link the import library (CMake target qmnhtm_import) and bind the calls by name
// through their import table.
#pragma once

#include <windows.h>

#ifdef QMNHTM_BUILDING
#define QMNHTM_API extern "C"
#else
#define QMNHTM_API extern "C" __declspec(dllimport)
#endif

// Flags of the drawing and measuring calls.
enum : UINT
{
    QHTM_SOURCE_TEXT = 0x1,  // the text is given directly
    QHTM_TRANSPARENT = 0x4,  // leave the background as it is (else the rectangle is filled first)
};

// Remembers the module instance; TRUE unless the instance is null.
QMNHTM_API BOOL WINAPI QHTM_Initialize(HINSTANCE instance);

// Draws the mark-up into the rectangle, wrapped at its width and clipped to it, in the DC's
// selected font and text colour. Without QHTM_TRANSPARENT the rectangle is first filled with the
// DC's background colour. The DC's objects, colours and modes are as they were on return.
QMNHTM_API BOOL WINAPI QHTM_RenderHTMLRect(HDC dc, LPCWSTR html, HINSTANCE instance, UINT flags, LPCRECT rect);

// The height in logical units that QHTM_RenderHTMLRect needs for the mark-up at this width.
// FALSE for a null DC, text or out pointer, or a zero width.
QMNHTM_API BOOL WINAPI QHTM_GetHTMLHeight(HDC dc, LPCWSTR html, HINSTANCE instance, UINT flags, UINT width,
                                          UINT* height);

// Test control: lets tests read what the library was given and provoke its failures.
enum : UINT
{
    QHTM_TEST_INSTANCES = 1,     // copies up to `capacity` remembered instances, returns how many are remembered
    QHTM_TEST_MEASURE_OFF = 2,   // QHTM_GetHTMLHeight fails from now on; returns 1 when it was on
    QHTM_TEST_MEASURE_ON = 3,    // measuring works again; returns 1 when it was on
    QHTM_TEST_RESET = 4,         // forgets the instances and turns measuring on; returns 0
};
// Answers (UINT)-1 for an unknown command.
QMNHTM_API UINT WINAPI QHTM_TestControl(UINT command, HINSTANCE* instances, UINT capacity);
