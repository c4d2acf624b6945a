// Owner-drawn pop-up menus with 16 x 16 images beside the items, and the helpers that pick
// their look: the Windows class, the classic theme and colour shading.
#pragma once

#include "../suitecore.h"

#include <framework/collections.h>
#include <framework/controls.h>
#include <framework/gdi.h>
#include <framework/menu.h>

// The Windows family as the menus see it: 0 for 9x before 4.0, 3 for 98 (4.10), 4 for Me
// (4.90), 2 for other 9x; on NT 5 for 4.x, 6 for 5.0, 7 for 5.1, and 1 for every other
// version (Vista and later). Computed once when SuiteCore loads.
SUITECORE_API int GetWindowsClass();
// The rule behind GetWindowsClass for a given platform and version.
SUITECORE_API int ClassifyWindowsVersion(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor);
// True when the user's current theme file ends with "Windows Classic.theme"; read once.
SUITECORE_API BOOL IsClassicTheme();
// The same test on the default value of any key (the theme key is HKCU
// "Software\Microsoft\Plus!\Themes\Current"); a missing key or value is not classic.
SUITECORE_API BOOL ReadClassicTheme(HKEY hRoot, LPCWSTR lpszSubKey);
// Windows XP (class 7) with its own theme.
SUITECORE_API BOOL UseXPMenuLook();
// Each channel + f * (255 - channel), truncated; the colour unchanged unless 0 < f <= 1.
SUITECORE_API COLORREF LightenColor(double dFactor, COLORREF crColor);
// Each channel - f * channel, truncated; the colour unchanged unless 0 < f <= 1.
SUITECORE_API COLORREF DarkenColor(double dFactor, COLORREF crColor);

// How the menus ask a DC for its raster capabilities (GetDeviceCaps(RASTERCAPS) when null).
// A palette display (RC_PALETTE) gets the classic drawing. Answers the previous probe.
typedef int (*MENU_RASTERCAPS_PROBE)(HDC hDC);
SUITECORE_API MENU_RASTERCAPS_PROBE SetMenuRasterCapsProbe(MENU_RASTERCAPS_PROBE pfnProbe);

// The colours of the flat drawing.
const COLORREF BCMENU_SELECTION_COLOR = RGB(177, 213, 238); // the frame, and the highlight's base

// One item of a BCMenu, held as the item's data.
class SUITECORE_API BCMenuData
{
public:
    BCMenuData() = default;
    ~BCMenuData();
    BCMenuData(const BCMenuData&) = delete;
    BCMenuData& operator=(const BCMenuData&) = delete;

    void SetWideString(LPCWSTR lpszText);
    LPCWSTR GetWideString() const;

    CString m_strText;                  // the item's text
    int xoffset = -1;                   // image index in the menu's image list; -1: none
    UINT nFlags = 0;                    // the menu flags the item was appended with
    UINT_PTR nID = 0;                   // command ID, or the submenu's handle
    CImageList* pImageList = nullptr;   // an image list of the item's own (owned), or null
};

// An owner-drawn menu. It draws flat, with shades for the XP look, and in a classic look on
// palette displays. Destroy it with DestroyMenu (the destructor does so too) so that its item
// data and submenus are freed.
//
// Geometry of the drawing (item rectangle r): the image column is r.left .. r.left + 24, the
// image at (r.left + 4, vertically centred), a check box (r.left + 1, r.top + 1) .. (r.left + 23,
// r.bottom - 1), the text from r.left + 28.
class SUITECORE_API BCMenu : public CMenu
{
public:
    BCMenu();
    ~BCMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;
    // Rebuilds the menu from a menu resource: every item owner-drawn, pop-ups as BCMenu
    // submenus, the top level back as plain strings.
    virtual BOOL LoadMenu(UINT nIDResource);
    virtual BOOL LoadMenu(LPCWSTR lpszResourceName);
    virtual BOOL DestroyMenu();

    // ID 0 appends a separator. nFlags with MF_POPUP takes nID as the submenu's handle. With
    // nIconID > 0 the image comes from the toolbar resource nIconID when one of its buttons has
    // the command, else from the bitmap nIconID. A menu without a handle becomes a pop-up.
    BOOL AppendODMenu(LPCWSTR lpszText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0, int nIconID = -1);

    // The menu's image list (null before the first image).
    CImageList* GetImageList() const { return m_pImageList; }
    // Whether a submenu handle is in the process-wide list of all BCMenus' submenus.
    static BOOL IsSubMenuListed(HMENU hMenu);

protected:
    CTypedPtrArray<CPtrArray, BCMenuData*> m_MenuList; // the items
    CTypedPtrArray<CPtrArray, BCMenu*> m_SubMenus;     // submenus made here (owned)
    COLORREF m_crBitmapBackground = RGB(220, 240, 252); // the image column
    int m_bitmapBackgroundFlag = 0;
    CImageList* m_pImageList = nullptr; // owned unless borrowed
    BOOL m_bBorrowedImageList = FALSE;
    int m_checkImage = -1;
    int m_radioImage = -1;
    int m_bDynIcons = 1;
    BYTE m_bLoadedFromResource = 0;

private:
    BOOL LoadFromTemplate(const BYTE* pTemplate, DWORD cbTemplate);
    BOOL AddItemImage(BCMenuData& data, UINT_PTR nID, int nIconID);
    int AddToolbarImage(UINT nToolbarID, UINT_PTR nCommand);
    int AddBitmapImage(UINT nBitmapID);
    CImageList& ImageList();
    void ShareImageSettings(BCMenu& sub) const;
    void DrawFlat(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state);
    void DrawClassic(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state);
    void DrawImageOrCheck(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state, COLORREF crCheck);
    void DrawItemText(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state, COLORREF crText);
};
