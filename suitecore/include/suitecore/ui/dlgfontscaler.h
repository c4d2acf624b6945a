// Re-lays out a dialog under the font its template names, at a fixed DPI: the dialog and each
// control are moved to the template's dialog units converted with base units measured in that
// font, and every control gets the font.
#pragma once

#include "../suitecore.h"

class SUITECORE_API CDlgFontScaler
{
public:
    CDlgFontScaler() = default;
    ~CDlgFontScaler(); // Restore when still applied
    CDlgFontScaler(const CDlgFontScaler&) = delete;
    CDlgFontScaler& operator=(const CDlgFontScaler&) = delete;

    // Reads the RT_DIALOG template (DLGTEMPLATE or DLGTEMPLATEEX) from the module; without
    // DS_SETFONT its font is 8-point Tahoma. Creates that font at the DPI (the framework passes
    // 96), gives it to the dialog, sizes the dialog's client area to the template, and moves
    // each item's window, matched by control ID in Z order, stopping at the first item that
    // has no window. Restores first when already applied. FALSE when the template cannot be
    // read or the font cannot be made; the dialog is then untouched.
    BOOL Apply(HMODULE hModule, HWND hDlg, UINT nTemplateID, int nDpi);
    // Gives the dialog and its controls the font they had before, and deletes the font made.
    void Restore();

    WORD m_nTemplateID = 0;
    HMODULE m_hModule = nullptr;
    HWND m_hWnd = nullptr;       // null when not applied
    HFONT m_hFont = nullptr;     // the font made for the template
    HFONT m_hOldFont = nullptr;  // the dialog's font before (WM_GETFONT)
};
