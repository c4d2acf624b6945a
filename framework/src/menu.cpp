#include "framework/menu.h"

#include "framework/exception.h"
#include "framework/module.h"
#include "framework/window.h"
#include "handlemap.h"

#include <algorithm>
#include <utility>
#include <vector>

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace
{
using MenuMap = afx_impl::HandleMap<CMenu, HMENU, &CMenu::m_hMenu>;

MenuMap& Menus()
{
    static MenuMap map;
    return map;
}

class Lookups
{
public:
    Lookups() { InitializeCriticalSectionAndSpinCount(&m_cs, 1000); }
    ~Lookups() { DeleteCriticalSection(&m_cs); }
    Lookups(const Lookups&) = delete;
    Lookups& operator=(const Lookups&) = delete;

    void Add(AFX_MENU_LOOKUP pfn, void* pContext)
    {
        afx_impl::CriticalLock lock(m_cs);
        m_entries.emplace_back(pfn, pContext);
    }

    void Remove(AFX_MENU_LOOKUP pfn, void* pContext)
    {
        afx_impl::CriticalLock lock(m_cs);
        const auto it = std::find(m_entries.begin(), m_entries.end(), std::make_pair(pfn, pContext));
        if (it != m_entries.end())
            m_entries.erase(it);
    }

    // Asked outside the lock: a lookup may add or remove lookups.
    CMenu* Ask(HMENU hMenu, UINT nItemID)
    {
        std::vector<std::pair<AFX_MENU_LOOKUP, void*>> entries;
        {
            afx_impl::CriticalLock lock(m_cs);
            entries = m_entries;
        }
        for (const auto& entry : entries)
        {
            CMenu* pMenu =
                AfxCallbackBarrier([&] { return entry.first(hMenu, nItemID, entry.second); }, static_cast<CMenu*>(nullptr));
            if (pMenu)
                return pMenu;
        }
        return nullptr;
    }

private:
    CRITICAL_SECTION m_cs;
    std::vector<std::pair<AFX_MENU_LOOKUP, void*>> m_entries;
};

Lookups& MenuLookups()
{
    static Lookups lookups;
    return lookups;
}

[[maybe_unused]] const bool g_menusBuilt = (Menus(), MenuLookups(), true);

// The pop-up shown by TrackPopupMenu on this thread and its owner window.
thread_local HMENU t_hTrackingMenu;
thread_local HWND t_hTrackingWindow;

// The menu, hMenu or one of its submenus at any depth, that holds the command item nID.
HMENU FindPopupFromID(HMENU hMenu, UINT nID)
{
    const int count = hMenu ? ::GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i)
    {
        if (HMENU hSub = ::GetSubMenu(hMenu, i))
        {
            if (HMENU hFound = FindPopupFromID(hSub, nID))
                return hFound;
        }
        else if (::GetMenuItemID(hMenu, i) == nID)
        {
            return hMenu;
        }
    }
    return nullptr;
}
} // namespace

UINT afx_impl::MenuTempCount()
{
    return Menus().ThreadTemporaryCount();
}

CMenu* afx_impl::FindMenuForMeasure(HWND hWndOwner, UINT nItemID)
{
    HMENU hStart = (t_hTrackingMenu && t_hTrackingWindow == hWndOwner) ? t_hTrackingMenu : ::GetMenu(hWndOwner);
    if (hStart && !::IsMenu(hStart))
        hStart = nullptr;
    return AfxFindOwnerDrawMenu(FindPopupFromID(hStart, nItemID), nItemID);
}

void AfxAddMenuLookup(AFX_MENU_LOOKUP pfnLookup, void* pContext)
{
    if (pfnLookup)
        MenuLookups().Add(pfnLookup, pContext);
}

void AfxRemoveMenuLookup(AFX_MENU_LOOKUP pfnLookup, void* pContext)
{
    MenuLookups().Remove(pfnLookup, pContext);
}

CMenu* AfxFindOwnerDrawMenu(HMENU hMenu, UINT nItemID)
{
    if (CMenu* pMenu = CMenu::FromHandlePermanent(hMenu))
        return pMenu;
    return MenuLookups().Ask(hMenu, nItemID);
}

CMenu::CMenu() = default;

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    CMenu* pMenu = Menus().Permanent(hMenu);
    return pMenu ? pMenu : Menus().Temporary(hMenu);
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu)
{
    return hMenu ? Menus().Permanent(hMenu) : nullptr;
}

void CMenu::DeleteTempMap()
{
    Menus().DeleteThreadTemporaries();
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (!hMenu || m_hMenu || !Menus().Add(hMenu, this))
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    if (hMenu)
        Menus().Remove(hMenu, this);
    m_hMenu = nullptr;
    return hMenu;
}

namespace
{
// Attaches a menu just made, or destroys it when the object cannot take it.
BOOL AttachNew(CMenu& menu, HMENU hMenu)
{
    if (!hMenu)
        return FALSE;
    if (menu.Attach(hMenu))
        return TRUE;
    ::DestroyMenu(hMenu);
    return FALSE;
}
} // namespace

BOOL CMenu::CreateMenu()
{
    return !m_hMenu && AttachNew(*this, ::CreateMenu());
}

BOOL CMenu::CreatePopupMenu()
{
    return !m_hMenu && AttachNew(*this, ::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    if (m_hMenu)
        return FALSE;
    HINSTANCE hInstance = AfxFindResourceHandle(lpszResourceName, RT_MENU);
    return hInstance && AttachNew(*this, ::LoadMenuW(hInstance, lpszResourceName));
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

BOOL CMenu::LoadMenuIndirect(const void* lpMenuTemplate)
{
    return !m_hMenu && AttachNew(*this, ::LoadMenuIndirectW(lpMenuTemplate));
}

BOOL CMenu::DestroyMenu()
{
    HMENU hMenu = Detach();
    return hMenu && ::DestroyMenu(hMenu);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    return ::DeleteMenu(m_hMenu, nPosition, nFlags);
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    return ::RemoveMenu(m_hMenu, nPosition, nFlags);
}

UINT CMenu::GetMenuItemCount() const
{
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    return ::GetMenuItemID(m_hMenu, nPos);
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    return ::GetMenuState(m_hMenu, nID, nFlags);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    rString.Empty();
    const int nLength = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (nLength <= 0)
        return 0;
    const int nGot = ::GetMenuStringW(m_hMenu, nIDItem, rString.GetBuffer(nLength), nLength + 1, nFlags);
    rString.ReleaseBuffer(nGot);
    return nGot;
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos)
{
    return ::GetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

BOOL CMenu::SetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos)
{
    return ::SetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck);
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable);
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos)
{
    return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos);
}

UINT CMenu::GetDefaultItem(UINT gmdiFlags, BOOL fByPos)
{
    return ::GetMenuDefaultItem(m_hMenu, fByPos, gmdiFlags);
}

namespace
{
class TrackingScope
{
public:
    TrackingScope(HMENU hMenu, HWND hWnd) : m_hPrevMenu(t_hTrackingMenu), m_hPrevWnd(t_hTrackingWindow)
    {
        t_hTrackingMenu = hMenu;
        t_hTrackingWindow = hWnd;
    }
    ~TrackingScope()
    {
        t_hTrackingMenu = m_hPrevMenu;
        t_hTrackingWindow = m_hPrevWnd;
    }
    TrackingScope(const TrackingScope&) = delete;
    TrackingScope& operator=(const TrackingScope&) = delete;

private:
    HMENU m_hPrevMenu;
    HWND m_hPrevWnd;
};
} // namespace

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    TrackingScope scope(m_hMenu, hWnd);
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hWnd, lpRect);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
