#include "shredmenu_ext.h"

#include "confirm_dlg.h"
#include "tool_launch.h"

#include <framework/module.h>
#include <framework/msgbox.h>
#include <framework/regkey.h>

#include <shellapi.h>

#include <cwctype>
#include <string>

namespace
{
const wchar_t kSettingsKey[] = L"Software\\Orvane\\QMN3";

// The data object's medium, released when done.
class StorageMedium
{
public:
    StorageMedium() = default;
    ~StorageMedium()
    {
        if (m_bFilled)
            ReleaseStgMedium(&m_medium);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;

    HRESULT GetFrom(IDataObject* pDataObj, FORMATETC& format)
    {
        const HRESULT hr = pDataObj->GetData(&format, &m_medium);
        m_bFilled = SUCCEEDED(hr);
        return hr;
    }
    const STGMEDIUM& Get() const { return m_medium; }

private:
    STGMEDIUM m_medium = {};
    bool m_bFilled = false;
};

class LockedGlobal
{
public:
    explicit LockedGlobal(HGLOBAL hGlobal) : m_hGlobal(hGlobal), m_p(hGlobal ? ::GlobalLock(hGlobal) : nullptr) {}
    ~LockedGlobal()
    {
        if (m_p)
            ::GlobalUnlock(m_hGlobal);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    bool Locked() const { return m_p != nullptr; }

private:
    HGLOBAL m_hGlobal;
    void* m_p;
};

// The names of a drop list, each fetched whole however long it is; false when one cannot be.
bool ReadDropNames(HDROP hDrop, UINT count, CStringArray& names)
{
    for (UINT i = 0; i < count; ++i)
    {
        const UINT length = DragQueryFileW(hDrop, i, nullptr, 0);
        if (length == 0)
            continue;
        CString name;
        const UINT got = DragQueryFileW(hDrop, i, name.GetBuffer(static_cast<int>(length)), length + 1);
        name.ReleaseBuffer(static_cast<int>(got <= length ? got : 0));
        if (got != length)
            return false; // a cut name could name another file
        names.Add(name);
    }
    return true;
}

// Only a full path (drive root or network share) names the installation folder: a relative
// or rooted-only one would find the programs wherever the current folder happens to be.
bool IsFullPath(const CString& path)
{
    if (path.GetLength() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/'))
        return true;
    return path.GetLength() >= 3 && path[0] == L'\\' && path[1] == L'\\';
}

HBITMAP LoadOwnBitmap(UINT nID)
{
    HINSTANCE hInstance = AfxFindResourceHandle(MAKEINTRESOURCEW(nID), RT_BITMAP);
    return hInstance ? LoadBitmapW(hInstance, MAKEINTRESOURCEW(nID)) : nullptr;
}

// The text as the ANSI code page has it, for the narrow command strings.
std::string ToAnsi(LPCWSTR text)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), n, nullptr, nullptr);
    return ansi;
}
} // namespace

CShredMenuExt::CShredMenuExt()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_deleteBitmap.reset(LoadOwnBitmap(IDB_SECURE_DELETE));
    m_encryptBitmap.reset(LoadOwnBitmap(IDB_SECURE_ENCRYPT));
}

CShredMenuExt::~CShredMenuExt() = default;

STDMETHODIMP CShredMenuExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* pDataObj, HKEY) noexcept
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxCallbackBarrier([&] { return LoadSelection(pDataObj); }, E_UNEXPECTED);
}

HRESULT CShredMenuExt::LoadSelection(IDataObject* pDataObj)
{
    m_selection.RemoveAll();
    if (!pDataObj)
        return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(medium.GetFrom(pDataObj, format)) || medium.Get().tymed != TYMED_HGLOBAL)
        return E_INVALIDARG;
    LockedGlobal lock(medium.Get().hGlobal);
    if (!lock.Locked())
        return E_INVALIDARG;
    const auto hDrop = static_cast<HDROP>(medium.Get().hGlobal);

    const UINT count = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    if (count > 0)
    {
        const CString modulePath = AfxGetModuleFileName(AfxGetInstanceHandle());
        if (modulePath.ReverseFind(L'\\') < 0)
        {
            AfxMessageBox(L"Unable to find path to ShredTool.dll or load it.\nShredTool.dll must be located in same "
                          L"folder with shell extension DLL.",
                          MB_ICONERROR);
        }
        else
        {
            CStringArray names;
            if (ReadDropNames(hDrop, count, names))
                m_selection.Copy(names);
        }
    }
    return m_selection.IsEmpty() ? E_INVALIDARG : S_OK;
}

BOOL CShredMenuExt::IsDriveSelection() const
{
    return !m_selection.IsEmpty() && m_selection[0].GetLength() <= 3;
}

BOOL CShredMenuExt::IsWipeableDrive() const
{
    if (m_selection.IsEmpty())
        return FALSE;
    const UINT type = GetDriveTypeW(m_selection[0]);
    return type == DRIVE_FIXED || type == DRIVE_REMOTE;
}

STDMETHODIMP CShredMenuExt::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                             UINT uFlags) noexcept
{
    if (uFlags & CMF_DEFAULTONLY)
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    // Both identifiers must lie in the range the host gave, or they could run another handler's command.
    if (idCmdLast < idCmdFirst || idCmdLast - idCmdFirst < 1)
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    return AfxCallbackBarrier([&] { return AddMenu(hmenu, indexMenu, idCmdFirst); }, E_UNEXPECTED);
}

HRESULT CShredMenuExt::AddMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst)
{
    CUniqueMenu popup(CreatePopupMenu());
    if (!popup)
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);

    bool added = false;
    if (!IsDriveSelection())
    {
        AppendMenuW(popup.get(), MF_STRING, idCmdFirst + 0, L"Secure Delete");
        AppendMenuW(popup.get(), MF_STRING, idCmdFirst + 1, L"Secure Encrypt");
        SetMenuItemBitmaps(popup.get(), 0, MF_BYPOSITION, m_deleteBitmap.get(), nullptr);
        SetMenuItemBitmaps(popup.get(), 1, MF_BYPOSITION, m_encryptBitmap.get(), nullptr);
        added = true;
    }
    else if (IsWipeableDrive())
    {
        InsertMenuW(popup.get(), 0, MF_BYPOSITION | MF_STRING, idCmdFirst + 0, L"Securely Wipe");
        if (m_deleteBitmap)
            SetMenuItemBitmaps(popup.get(), 0, MF_BYPOSITION, m_deleteBitmap.get(), nullptr);
        added = true;
    }
    if (!added)
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);

    wchar_t text[] = L"&Lumasweep";
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.wID = idCmdFirst + 1; // shared with Secure Encrypt
    item.hSubMenu = popup.get();
    item.dwTypeData = text;
    if (!InsertMenuItemW(hmenu, indexMenu, TRUE, &item))
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    popup.release(); // the host's menu owns the submenu now
    return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 2);
}

STDMETHODIMP CShredMenuExt::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax) noexcept
{
    if (!(uType & (GCS_HELPTEXTA | GCS_UNICODE)))
        return S_OK; // verbs and their validation: nothing to say
    LPCWSTR text = nullptr;
    if (idCmd == 0)
        text = IsDriveSelection() ? L"Securely delete ALL disk data" : L"Securely delete selected file(s) or folder(s)";
    else if (idCmd == 1)
        text = L"Orvain utilities";
    else
        return E_INVALIDARG;
    if (!pszName || cchMax == 0)
        return S_OK;
    return AfxCallbackBarrier(
        [&]
        {
            if (uType & GCS_UNICODE)
                lstrcpynW(reinterpret_cast<LPWSTR>(pszName), text, static_cast<int>(cchMax));
            else
                lstrcpynA(pszName, ToAnsi(text).c_str(), static_cast<int>(cchMax));
            return S_OK;
        },
        E_UNEXPECTED);
}

void CShredMenuExt::ReadToolPaths()
{
    CString installed;
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) == ERROR_SUCCESS)
    {
        ULONG chars = 0;
        if (key.QueryStringValue(L"InstalledPath", nullptr, &chars) == ERROR_SUCCESS)
        {
            const LONG result =
                key.QueryStringValue(L"InstalledPath", installed.GetBuffer(static_cast<int>(chars)), &chars);
            installed.ReleaseBuffer(result == ERROR_SUCCESS ? static_cast<int>(chars - 1) : 0);
        }
    }
    m_strInstalledPath = installed;
    m_strShredTool = installed + L"\\ShredTool.exe";
    m_strSealTool = installed + L"\\SealTool.exe";
}

BOOL CShredMenuExt::ConfirmDeletion(HWND hwnd, const CStringArray& selection)
{
    CConfirmDlg dlg(CWnd::FromHandle(hwnd));
    dlg.m_pSelection = &selection;
    dlg.m_bDrive = IsDriveSelection();
    return dlg.DoModal() == IDYES;
}

STDMETHODIMP CShredMenuExt::InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxCallbackBarrier([&] { return pici ? RunCommand(*pici) : E_INVALIDARG; }, E_UNEXPECTED);
}

HRESULT CShredMenuExt::RunCommand(const CMINVOKECOMMANDINFO& ici)
{
    ReadToolPaths();
    if (HIWORD(reinterpret_cast<UINT_PTR>(ici.lpVerb)) != 0)
        return E_INVALIDARG; // verbs given as text are not ours
    const UINT command = LOWORD(reinterpret_cast<UINT_PTR>(ici.lpVerb));
    if (command > 1)
        return E_INVALIDARG;
    // Without a known installation folder there is no program to start, and none may be
    // searched for relative to the current folder.
    if (!IsFullPath(m_strInstalledPath) || m_selection.IsEmpty())
        return E_FAIL;

    // The worker gets exactly the list the user was asked about, copied here.
    auto launch = std::make_unique<CToolLaunch>();
    launch->selection.Copy(m_selection);
    launch->strShredTool = m_strShredTool;
    launch->strSealTool = m_strSealTool;

    if (command == 0)
    {
        const BOOL confirmed = AfxCallbackBarrier([&] { return ConfirmDeletion(ici.hwnd, launch->selection); }, FALSE);
        if (confirmed && !StartToolWorker(ShredWorker, std::move(launch)))
            return E_FAIL;
        return S_OK;
    }
    return StartToolWorker(SealWorker, std::move(launch)) ? S_OK : E_FAIL;
}
