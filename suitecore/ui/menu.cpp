// BCMenu: owner-drawn menus built item by item or from a menu resource.
#include <suitecore/ui/memdc.h>
#include <suitecore/ui/menu.h>

#include <framework/app.h>
#include <framework/exception.h>
#include <framework/handles.h>
#include <framework/module.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace
{
const int kImageSize = 16;
const int kImageColumn = 24; // the image with 4 pixels either side
const int kTextLeft = 28;
const WORD kToolbarResource = 241; // RT_TOOLBAR
const COLORREF kToolbarMask = RGB(192, 192, 192);

// The submenu handles of every BCMenu, and the live menus that the framework's lookup asks
// about items it cannot place (WM_MEASUREITEM names no menu).
struct MenuRegistry
{
    std::mutex lock;
    std::vector<HMENU> subMenus;
    std::vector<BCMenu*> menus;
};

MenuRegistry& Registry()
{
    static MenuRegistry registry;
    return registry;
}

// The menu that holds an owner-drawn item with the identifier.
CMenu* FindBCMenu(HMENU hMenu, UINT nItemID, void*)
{
    MenuRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (BCMenu* pMenu : registry.menus)
    {
        if (hMenu ? pMenu->m_hMenu == hMenu
                  : (pMenu->m_hMenu && ::GetMenuState(pMenu->m_hMenu, nItemID, MF_BYCOMMAND) != static_cast<UINT>(-1)))
            return pMenu;
    }
    return nullptr;
}

// The two menu fonts, made once for the process.
struct MenuFonts
{
    CFont normal;
    CFont bold;
    MenuFonts()
    {
        normal.CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          PROOF_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
        bold.CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        PROOF_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    }
};

MenuFonts& Fonts()
{
    static MenuFonts fonts;
    return fonts;
}

MENU_RASTERCAPS_PROBE g_pfnRasterCaps = nullptr;

int RasterCaps(HDC hDC)
{
    return g_pfnRasterCaps ? g_pfnRasterCaps(hDC) : ::GetDeviceCaps(hDC, RASTERCAPS);
}

void Fill(HDC hDC, const RECT& rc, COLORREF color)
{
    const COLORREF old = ::SetBkColor(hDC, color);
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hDC, old);
}

void Frame(HDC hDC, const RECT& rc, COLORREF color)
{
    Fill(hDC, {rc.left, rc.top, rc.right, rc.top + 1}, color);
    Fill(hDC, {rc.left, rc.bottom - 1, rc.right, rc.bottom}, color);
    Fill(hDC, {rc.left, rc.top, rc.left + 1, rc.bottom}, color);
    Fill(hDC, {rc.right - 1, rc.top, rc.right, rc.bottom}, color);
}

// A check mark of two strokes, centred in the box.
void DrawCheckMark(HDC hDC, const RECT& box, COLORREF color)
{
    const int x = (box.left + box.right) / 2 - 3;
    const int y = (box.top + box.bottom) / 2 - 1;
    for (int i = 0; i < 3; ++i)
        Fill(hDC, {x + i, y + i, x + i + 1, y + i + 3}, color);
    for (int i = 0; i < 4; ++i)
        Fill(hDC, {x + 3 + i, y + 1 - i, x + 4 + i, y + 4 - i}, color);
}

struct ResourceBytes
{
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes FindResourceBytes(HINSTANCE hInstance, LPCWSTR lpszName, LPCWSTR lpszType)
{
    HRSRC hRes = hInstance ? ::FindResourceW(hInstance, lpszName, lpszType) : nullptr;
    HGLOBAL hGlobal = hRes ? ::LoadResource(hInstance, hRes) : nullptr;
    if (!hGlobal)
        return {};
    return {static_cast<const BYTE*>(::LockResource(hGlobal)), ::SizeofResource(hInstance, hRes)};
}

ResourceBytes FindInChain(LPCWSTR lpszName, LPCWSTR lpszType)
{
    ResourceBytes bytes = FindResourceBytes(AfxFindResourceHandle(lpszName, lpszType), lpszName, lpszType);
    if (!bytes.data)
        bytes = FindResourceBytes(::GetModuleHandleW(nullptr), lpszName, lpszType);
    return bytes;
}

HBITMAP LoadBitmapFromChain(UINT nID)
{
    LPCWSTR name = MAKEINTRESOURCEW(nID);
    HINSTANCE hInstance = AfxFindResourceHandle(name, RT_BITMAP);
    if (!hInstance)
        hInstance = ::GetModuleHandleW(nullptr);
    return static_cast<HBITMAP>(::LoadImageW(hInstance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Copies a 16 x 16 piece of a bitmap into a bitmap of its own.
CUniqueBitmap CutImage(HBITMAP hSource, int x)
{
    CClientDC screen(nullptr);
    CDC from;
    CDC to;
    CUniqueBitmap piece(::CreateCompatibleBitmap(screen.GetSafeHdc(), kImageSize, kImageSize));
    if (!piece || !from.CreateCompatibleDC(&screen) || !to.CreateCompatibleDC(&screen))
        return {};
    HGDIOBJ oldFrom = from.SelectObject(static_cast<HGDIOBJ>(hSource));
    HGDIOBJ oldTo = to.SelectObject(static_cast<HGDIOBJ>(piece.get()));
    to.BitBlt(0, 0, kImageSize, kImageSize, &from, x, 0, SRCCOPY);
    from.SelectObject(oldFrom);
    to.SelectObject(oldTo);
    return piece;
}

int AddPiece(CImageList& list, HBITMAP hSource, int x)
{
    CUniqueBitmap piece = CutImage(hSource, x);
    if (!piece)
        return -1;
    return ImageList_AddMasked(list.GetSafeHandle(), piece.get(), kToolbarMask);
}

NONCLIENTMETRICSW MenuMetrics()
{
    // Built for XP, the structure ends before Vista's iPaddedBorderWidth: every version takes it.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
    return ncm;
}
} // namespace

MENU_RASTERCAPS_PROBE SetMenuRasterCapsProbe(MENU_RASTERCAPS_PROBE pfnProbe)
{
    return std::exchange(g_pfnRasterCaps, pfnProbe);
}

// ---------------------------------------------------------------------------------------------
// BCMenuData

BCMenuData::~BCMenuData()
{
    delete pImageList;
}

void BCMenuData::SetWideString(LPCWSTR lpszText)
{
    m_strText = lpszText ? lpszText : L"";
}

LPCWSTR BCMenuData::GetWideString() const
{
    return m_strText;
}

// ---------------------------------------------------------------------------------------------
// BCMenu: life and the process-wide lists

BCMenu::BCMenu()
{
    Fonts();
    MenuRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (registry.menus.empty())
        AfxAddMenuLookup(&FindBCMenu, nullptr);
    registry.menus.push_back(this);
}

BCMenu::~BCMenu()
{
    AfxCallbackBarrier([this] { DestroyMenu(); });
    MenuRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.menus.erase(std::remove(registry.menus.begin(), registry.menus.end(), this), registry.menus.end());
    if (registry.menus.empty())
        AfxRemoveMenuLookup(&FindBCMenu, nullptr);
}

BOOL BCMenu::IsSubMenuListed(HMENU hMenu)
{
    MenuRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return std::find(registry.subMenus.begin(), registry.subMenus.end(), hMenu) != registry.subMenus.end();
}

BOOL BCMenu::DestroyMenu()
{
    {
        MenuRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        for (INT_PTR i = 0; i < m_MenuList.GetSize(); ++i)
        {
            if (m_MenuList[i]->nFlags & MF_POPUP)
            {
                const auto hSub = reinterpret_cast<HMENU>(m_MenuList[i]->nID);
                registry.subMenus.erase(std::remove(registry.subMenus.begin(), registry.subMenus.end(), hSub),
                                        registry.subMenus.end());
            }
        }
    }
    // Take the submenus out first, so that each is destroyed once, by its own object.
    if (m_hMenu)
    {
        for (int i = ::GetMenuItemCount(m_hMenu) - 1; i >= 0; --i)
        {
            if (::GetSubMenu(m_hMenu, i))
                ::RemoveMenu(m_hMenu, i, MF_BYPOSITION);
        }
    }
    for (INT_PTR i = 0; i < m_SubMenus.GetSize(); ++i)
        delete m_SubMenus[i];
    m_SubMenus.RemoveAll();
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); ++i)
        delete m_MenuList[i];
    m_MenuList.RemoveAll();
    if (!m_bBorrowedImageList)
        delete m_pImageList;
    m_pImageList = nullptr;
    m_bBorrowedImageList = FALSE;
    m_bLoadedFromResource = 0;
    return CMenu::DestroyMenu();
}

// ---------------------------------------------------------------------------------------------
// Building

CImageList& BCMenu::ImageList()
{
    if (!m_pImageList)
    {
        auto list = std::make_unique<CImageList>();
        if (!list->Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, 0, 4))
            AfxThrowMemoryException();
        m_pImageList = list.release();
        m_bBorrowedImageList = FALSE;
    }
    return *m_pImageList;
}

int BCMenu::AddToolbarImage(UINT nToolbarID, UINT_PTR nCommand)
{
    // The toolbar header: version, button width, height, count, then one command per button
    // (0 for a separator, which has no picture).
    const ResourceBytes bytes = FindInChain(MAKEINTRESOURCEW(nToolbarID), MAKEINTRESOURCEW(kToolbarResource));
    if (!bytes.data || bytes.size < 8)
        return -1;
    const auto* words = reinterpret_cast<const WORD*>(bytes.data);
    const int width = words[1];
    const int count = words[3];
    if (bytes.size < 8u + 2u * count)
        return -1;
    int picture = 0;
    for (int i = 0; i < count; ++i)
    {
        const WORD command = words[4 + i];
        if (command == 0)
            continue;
        if (command == nCommand)
        {
            CUniqueBitmap strip(LoadBitmapFromChain(nToolbarID));
            return strip ? AddPiece(ImageList(), strip.get(), picture * width) : -1;
        }
        ++picture;
    }
    return -1;
}

int BCMenu::AddBitmapImage(UINT nBitmapID)
{
    CUniqueBitmap bitmap(LoadBitmapFromChain(nBitmapID));
    return bitmap ? AddPiece(ImageList(), bitmap.get(), 0) : -1;
}

BOOL BCMenu::AddItemImage(BCMenuData& data, UINT_PTR nID, int nIconID)
{
    int index = AddToolbarImage(static_cast<UINT>(nIconID), nID);
    if (index < 0)
        index = AddBitmapImage(static_cast<UINT>(nIconID));
    data.xoffset = index;
    return index >= 0;
}

BOOL BCMenu::AppendODMenu(LPCWSTR lpszText, UINT nFlags, UINT_PTR nID, int nIconID)
{
    if (!m_hMenu && !CreatePopupMenu())
        return FALSE;
    if (nID == 0)
        nFlags = MF_SEPARATOR | MF_OWNERDRAW | (nFlags & MF_POPUP);
    else
        nFlags |= MF_OWNERDRAW;

    auto data = std::make_unique<BCMenuData>();
    data->SetWideString(lpszText);
    data->nFlags = nFlags;
    data->nID = nID;
    if (nIconID > 0)
        AddItemImage(*data, nID, nIconID);
    if (!::AppendMenuW(m_hMenu, nFlags, nID, reinterpret_cast<LPCWSTR>(data.get())))
        return FALSE;
    if (nFlags & MF_POPUP)
    {
        MenuRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.subMenus.push_back(reinterpret_cast<HMENU>(nID));
    }
    m_MenuList.Add(data.release());
    return TRUE;
}

void BCMenu::ShareImageSettings(BCMenu& sub) const
{
    sub.m_crBitmapBackground = m_crBitmapBackground;
    sub.m_bitmapBackgroundFlag = m_bitmapBackgroundFlag;
    sub.m_bDynIcons = m_bDynIcons;
    sub.m_checkImage = m_checkImage;
    sub.m_radioImage = m_radioImage;
}

BOOL BCMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

BOOL BCMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    const ResourceBytes bytes = FindInChain(lpszResourceName, RT_MENU);
    if (!bytes.data)
        return FALSE;
    DestroyMenu();
    if (!LoadFromTemplate(bytes.data, bytes.size))
    {
        DestroyMenu();
        return FALSE;
    }
    // The top level back as plain strings, so that a menu bar keeps the system's drawing.
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); ++i)
    {
        const BCMenuData& data = *m_MenuList[i];
        const UINT flags = MF_BYPOSITION | MF_STRING | (data.nFlags & (MF_POPUP | MF_GRAYED | MF_DISABLED | MF_CHECKED));
        if (!(data.nFlags & MF_SEPARATOR))
            ::ModifyMenuW(m_hMenu, static_cast<UINT>(i), flags, data.nID, data.m_strText);
    }
    m_bLoadedFromResource = 1;
    return TRUE;
}

BOOL BCMenu::LoadFromTemplate(const BYTE* pTemplate, DWORD cbTemplate)
{
    // MENUITEMTEMPLATEHEADER: version (0) and the offset of the first item after the header.
    if (cbTemplate < 4)
        return FALSE;
    const auto* header = reinterpret_cast<const WORD*>(pTemplate);
    const WORD* p = reinterpret_cast<const WORD*>(pTemplate + 4 + header[1]);
    const WORD* end = reinterpret_cast<const WORD*>(pTemplate + (cbTemplate & ~1u));
    if (!CreatePopupMenu())
        return FALSE;

    struct Level
    {
        BCMenu* menu;
        bool lastAtParent; // the pop-up that opened this level was its parent's last item
    };
    std::vector<Level> levels{{this, false}};
    while (!levels.empty())
    {
        if (p + 2 > end)
            return FALSE;
        const WORD flags = *p++;
        WORD id = 0;
        if (!(flags & MF_POPUP))
            id = *p++;
        LPCWSTR text = reinterpret_cast<LPCWSTR>(p);
        while (p < end && *p)
            ++p;
        if (p >= end)
            return FALSE;
        ++p;
        const UINT itemFlags = flags & ~MF_END;
        BCMenu& current = *levels.back().menu;
        if (flags & MF_POPUP)
        {
            auto sub = std::make_unique<BCMenu>();
            if (!sub->CreatePopupMenu())
                return FALSE;
            ShareImageSettings(*sub);
            if (!current.AppendODMenu(text, itemFlags, reinterpret_cast<UINT_PTR>(sub->m_hMenu), -1))
                return FALSE;
            current.m_SubMenus.Add(sub.get());
            levels.push_back({sub.release(), (flags & MF_END) != 0});
            continue;
        }
        if (!current.AppendODMenu(text, itemFlags, id, -1))
            return FALSE;
        if (flags & MF_END)
        {
            // Close this level, and every level whose opener was last in its own parent.
            bool closeParent = true;
            while (closeParent && !levels.empty())
            {
                closeParent = levels.back().lastAtParent;
                levels.pop_back();
            }
        }
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Measuring and drawing

void BCMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMIS)
{
    const auto* data = reinterpret_cast<const BCMenuData*>(lpMIS->itemData);
    if (!data)
        return;
    if (data->nFlags & MF_SEPARATOR)
    {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = 3;
        return;
    }
    const NONCLIENTMETRICSW ncm = MenuMetrics();
    CFont font;
    font.CreateFontIndirect(&ncm.lfMenuFont);
    CWnd* pMain = AfxGetMainWnd();
    CClientDC dc(pMain && pMain->GetSafeHwnd() ? pMain : CWnd::GetDesktopWindow());
    CFont* pOld = dc.SelectObject(&font);
    const SIZE size = dc.GetTextExtent(data->m_strText);
    dc.SelectObject(pOld);
    lpMIS->itemWidth = static_cast<UINT>(kImageSize + size.cx + 15);
    lpMIS->itemHeight = static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), kImageSize + 7));
}

void BCMenu::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    const auto* data = reinterpret_cast<const BCMenuData*>(lpDIS->itemData);
    if (!data || lpDIS->CtlType != ODT_MENU)
        return;
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    BCMenuMemDC mem(pDC, &lpDIS->rcItem);
    if (RasterCaps(lpDIS->hDC) & RC_PALETTE)
        DrawClassic(mem.GetSafeHdc(), lpDIS->rcItem, *data, lpDIS->itemState);
    else
        DrawFlat(mem.GetSafeHdc(), lpDIS->rcItem, *data, lpDIS->itemState);
}

void BCMenu::DrawFlat(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state)
{
    const BOOL xp = UseXPMenuLook();
    const COLORREF background = DarkenColor(0.02, ::GetSysColor(COLOR_WINDOW));
    const COLORREF column = xp ? m_crBitmapBackground : LightenColor(0.25, m_crBitmapBackground);
    const COLORREF highlight = LightenColor(xp ? 0.7 : 0.85, BCMENU_SELECTION_COLOR);

    Fill(hDC, rc, background);
    if (data.nFlags & MF_SEPARATOR)
    {
        Fill(hDC, {rc.left, rc.top, rc.left + kImageColumn, rc.bottom}, column);
        const int y = (rc.top + rc.bottom) / 2;
        Fill(hDC, {rc.left + kTextLeft, y, rc.right, y + 1}, ::GetSysColor(COLOR_3DSHADOW));
        return;
    }
    if (state & ODS_SELECTED)
    {
        Fill(hDC, rc, highlight);
        Frame(hDC, rc, BCMENU_SELECTION_COLOR);
    }
    else
    {
        Fill(hDC, {rc.left, rc.top, rc.left + kImageColumn, rc.bottom}, column);
    }
    DrawImageOrCheck(hDC, rc, data, state, LightenColor(0.55, BCMENU_SELECTION_COLOR));
    const bool disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    DrawItemText(hDC, rc, data, state, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
}

void BCMenu::DrawClassic(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state)
{
    const COLORREF background = ::GetSysColor(UseXPMenuLook() ? COLOR_3DFACE : COLOR_MENU);
    Fill(hDC, rc, background);
    if (data.nFlags & MF_SEPARATOR)
    {
        RECT line = rc;
        line.top = (rc.top + rc.bottom) / 2 - 1;
        ::DrawEdge(hDC, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    const bool disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    COLORREF text = ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
    if ((state & ODS_SELECTED) && !disabled)
    {
        Fill(hDC, {rc.left + kImageColumn, rc.top, rc.right, rc.bottom}, ::GetSysColor(COLOR_HIGHLIGHT));
        text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    DrawImageOrCheck(hDC, rc, data, state, background);
    DrawItemText(hDC, rc, data, state, text);
}

void BCMenu::DrawImageOrCheck(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state, COLORREF crCheck)
{
    const RECT box{rc.left + 1, rc.top + 1, rc.left + kImageColumn - 1, rc.bottom - 1};
    if (state & ODS_CHECKED)
    {
        Fill(hDC, box, crCheck);
        Frame(hDC, box, BCMENU_SELECTION_COLOR);
    }
    CImageList* pList = data.pImageList ? data.pImageList : m_pImageList;
    const bool disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    if (pList && data.xoffset >= 0)
    {
        const int y = (rc.top + rc.bottom - kImageSize) / 2;
        ImageList_DrawEx(pList->GetSafeHandle(), data.xoffset, hDC, rc.left + 4, y, kImageSize, kImageSize, CLR_NONE,
                         CLR_DEFAULT, disabled ? ILD_TRANSPARENT | ILD_BLEND50 : ILD_TRANSPARENT);
    }
    else if (state & ODS_CHECKED)
    {
        DrawCheckMark(hDC, box, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    }
}

void BCMenu::DrawItemText(HDC hDC, const RECT& rc, const BCMenuData& data, UINT state, COLORREF crText)
{
    CFont& font = (state & ODS_DEFAULT) ? Fonts().bold : Fonts().normal;
    HGDIOBJ oldFont = ::SelectObject(hDC, font.GetSafeHandle());
    const int oldMode = ::SetBkMode(hDC, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(hDC, crText);
    RECT textRect{rc.left + kTextLeft, rc.top, rc.right - 4, rc.bottom};
    const UINT format = DT_SINGLELINE | DT_VCENTER | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    // An accelerator after a tab goes to the right edge.
    const int tab = data.m_strText.Find(L'\t');
    if (tab >= 0)
    {
        const CString left = data.m_strText.Left(tab);
        const CString right = data.m_strText.Mid(tab + 1);
        ::DrawTextW(hDC, left, left.GetLength(), &textRect, format | DT_LEFT);
        ::DrawTextW(hDC, right, right.GetLength(), &textRect, format | DT_RIGHT);
    }
    else
    {
        ::DrawTextW(hDC, data.m_strText, data.m_strText.GetLength(), &textRect, format | DT_LEFT);
    }
    ::SetTextColor(hDC, oldColor);
    ::SetBkMode(hDC, oldMode);
    ::SelectObject(hDC, oldFont);
}
