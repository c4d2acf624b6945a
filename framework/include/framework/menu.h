// CMenu: a C++ object bound to a menu handle. The object owns the menu it is attached to and
// destroys it when deleted; Detach hands the menu back. Owner-drawn items (MFT_OWNERDRAW) are
// drawn and measured by the virtual DrawItem/MeasureItem of their menu's permanent object,
// which the owner window's WM_DRAWITEM/WM_MEASUREITEM reach through CWnd's defaults.
#pragma once

#include "object.h"
#include "string.h"

class CWnd;

class FRAMEWORK_API CMenu : public CObject
{
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu();
    ~CMenu() override; // destroys the attached menu
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    // The handle map: a permanent object, else a temporary one freed as temporary windows are.
    static CMenu* FromHandle(HMENU hMenu);
    static CMenu* FromHandlePermanent(HMENU hMenu);
    static void DeleteTempMap();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // From the resources of the current module state, then the extension modules.
    BOOL LoadMenu(LPCWSTR lpszResourceName);
    BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenuIndirect(const void* lpMenuTemplate);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);  // destroys a submenu with its item
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);  // keeps a submenu alive

    UINT GetMenuItemCount() const; // (UINT)-1 for an invalid menu
    UINT GetMenuItemID(int nPos) const; // (UINT)-1 for a submenu or an invalid position
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE);
    BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE);
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    CMenu* GetSubMenu(int nPos) const;

    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE);

    // Shows the menu as a pop-up owned by pWnd; with TPM_RETURNCMD returns the chosen command.
    // While it is shown, the owner's WM_MEASUREITEM for its owner-drawn items finds this menu.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
};

// Owner-drawn menus register a lookup for the menus they draw that have no permanent CMenu
// (their submenus, say): given the menu that holds the item (null when only the item's
// identifier is known, as for WM_MEASUREITEM) and the item's identifier, it answers the CMenu
// that draws it, or null. Lookups are asked in the order they were added; an exception from
// one counts as no answer.
typedef CMenu* (*AFX_MENU_LOOKUP)(HMENU hMenu, UINT nItemID, void* pContext);
FRAMEWORK_API void AfxAddMenuLookup(AFX_MENU_LOOKUP pfnLookup, void* pContext);
FRAMEWORK_API void AfxRemoveMenuLookup(AFX_MENU_LOOKUP pfnLookup, void* pContext);

// The CMenu that draws an item of hMenu: the menu's permanent object, else the lookups' answer.
FRAMEWORK_API CMenu* AfxFindOwnerDrawMenu(HMENU hMenu, UINT nItemID);
