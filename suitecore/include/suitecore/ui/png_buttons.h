// The picture buttons: a strip button with a PNG over it, and the navigation and launcher
// buttons, which draw PNG pictures (resource type "PNG") with GDI+ through an off-screen DC.
//
// The shared pictures of each class are loaded once per process from the library and kept
// until the process ends. GDI+ must be running while these buttons paint.
#pragma once

#include "buttons.h"
#include "gdiplus_bitmap.h"

class SUITECORE_API CHoverButtonTextPng : public CHoverButton
{
    DECLARE_DYNAMIC(CHoverButtonTextPng)
public:
    CHoverButtonTextPng();
    ~CHoverButtonTextPng() override;

    // Loads the PNG from the library's resources; false when it does not load.
    BOOL SetPng(UINT nIDPng);

    // The strip frame, then the PNG stretched over the button, its left edge one pixel in.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    CGdiPlusBitmapResource m_png;
};

// A button of the navigation pane: the pane's background (bitmap 1096) under it, the hover
// PNG (1357) or the selected PNG (1358), a 24 x 24 icon cell and a shadowed caption.
class SUITECORE_API CLeftSideBtns : public CHyperLinkBtn
{
    DECLARE_DYNAMIC(CLeftSideBtns)
public:
    CLeftSideBtns();
    ~CLeftSideBtns() override;

    // The icon cells come from this PNG (0: the shared cells, PNG 1364); nIconIndex is the
    // cell (-1: no icon). Each PNG holds the normal cells in its top row and the selected
    // ones below. False when the PNG does not load.
    BOOL SetIcon(UINT nIDPng, int nIconIndex);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    CGdiPlusBitmapResource m_pngIcon; // own icon cells, empty for the shared ones
    UINT m_nIconID = 0;
    int m_nIconIndex = 0; // -1: none
    int m_nTextX = 45;
    RECT m_rcInParent{}; // taken at the first paint
    BOOL m_bHaveRect = FALSE;
};

// A button of the launcher's left column, over the launcher's background bitmap.
class SUITECORE_API CLauncherLeftSideBtns : public CHyperLinkBtn
{
    DECLARE_DYNAMIC(CLauncherLeftSideBtns)
public:
    CLauncherLeftSideBtns();
    ~CLauncherLeftSideBtns() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // The owner's background bitmap, one for the process; the owner keeps it alive while
    // these buttons paint (null: the parent's background instead).
    static CBitmap* s_pBackground;

    RECT m_rcInParent{};
    BOOL m_bHaveRect = FALSE;
};

// A big launcher button: a 64 x 64 icon, the window text as title and a description.
class SUITECORE_API CLauncherBigButtons : public CHyperLinkBtn
{
    DECLARE_DYNAMIC(CLauncherBigButtons)
public:
    CLauncherBigButtons();
    ~CLauncherBigButtons() override;

    // The icon PNG (resource search: the tool's, then the library's); false when it does not
    // load.
    BOOL SetIcon(UINT nIDPng);
    void SetDescription(LPCWSTR lpszDescription);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    CGdiPlusBitmapResource m_pngIcon;
    UINT m_nIconID = 0;
    CString m_strDescription;
};

// A program of the launcher: its icon, title, description and a status picture.
class SUITECORE_API CLauncherProgBtns : public CHyperLinkBtn
{
    DECLARE_DYNAMIC(CLauncherProgBtns)
public:
    CLauncherProgBtns();
    ~CLauncherProgBtns() override;

    // Loads the icon PNG from hModule (once: the same ID is not loaded again) and keeps the
    // rest. Status 0 shows PNG 1348, 1 shows 1374, 2 shows 1352. True when the PNG loaded and
    // neither the title nor the command is empty.
    BOOL SetProgram(UINT nIDPng, HMODULE hModule, int nValue, LPCWSTR lpszTitle, LPCWSTR lpszDescription, int nStatus,
                    LPCWSTR lpszCommand);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // Where the pictures lie in the button (the same for every program button).
    static const POINT s_ptIcon;   // 48 x 48
    static const POINT s_ptStatus; // 16 x 16, from the right edge
    static const int s_nTextX;

    CGdiPlusBitmapResource m_pngIcon;
    UINT m_nIconID = 0;
    int m_nValue = 0;
    CString m_strTitle;
    CString m_strDescription;
    int m_nStatus = 2;
    CString m_strCommand;
};
