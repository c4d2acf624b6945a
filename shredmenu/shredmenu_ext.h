// CShredMenuExt: the context-menu handler for files, folders and drives. It adds the product's
// submenu, asks before deleting, and hands the selection to the suite's secure-delete or
// secure-encrypt program.
#pragma once

#include "resource.h"
#include "shredmenu_h.h"

#include <framework/collections.h>
#include <framework/com.h>
#include <framework/handles.h>

#include <shlobj.h>

class CShredMenuExt : public CComObjectRootEx<CComSingleThreadModel>,
                      public CComCoClass<CShredMenuExt, &CLSID_ShredMenuExt>,
                      public IShellExtInit,
                      public IContextMenu,
                      public IDispatchImpl<IShredMenuExt, &IID_IShredMenuExt, &LIBID_ShredMenuLib, 1, 0>
{
public:
    CShredMenuExt();
    ~CShredMenuExt();

    DECLARE_REGISTRY_RESOURCEID(IDR_SHREDMENUEXT)

    BEGIN_COM_MAP(CShredMenuExt)
        COM_INTERFACE_ENTRY(IShredMenuExt)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(IShellExtInit)
        COM_INTERFACE_ENTRY(IContextMenu)
    END_COM_MAP()

    // IShellExtInit
    STDMETHOD(Initialize)(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pDataObj, HKEY hkeyProgID) noexcept override;

    // IContextMenu
    STDMETHOD(QueryContextMenu)
    (HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) noexcept override;
    STDMETHOD(InvokeCommand)(CMINVOKECOMMANDINFO* pici) noexcept override;
    STDMETHOD(GetCommandString)
    (UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName, UINT cchMax) noexcept override;

    // The selection is a drive when its first object is a root such as C:\.
    BOOL IsDriveSelection() const;
    // Only fixed and network drives get the wipe command.
    BOOL IsWipeableDrive() const;
    // The two programs under the suite's installation folder ("InstalledPath").
    void ReadToolPaths();
    // The confirmation dialog over the given window, for this selection; TRUE after Yes.
    BOOL ConfirmDeletion(HWND hwnd, const CStringArray& selection);

private:
    HRESULT LoadSelection(IDataObject* pDataObj);
    HRESULT AddMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst);
    HRESULT RunCommand(const CMINVOKECOMMANDINFO& ici);

    // The selection of the Initialize call that made this menu, in the drop list's order.
    CStringArray m_selection;
    CString m_strInstalledPath;
    CString m_strShredTool;
    CString m_strSealTool;
    CUniqueBitmap m_deleteBitmap;
    CUniqueBitmap m_encryptBitmap;
};
