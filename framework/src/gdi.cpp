#include "framework/gdi.h"

#include "framework/module.h"
#include "framework/window.h"

#include <map>
#include <unordered_map>
#include <utility>

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

namespace
{
class Lock
{
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// Handle -> object, as the window map does it: attached objects process-wide, temporaries per
// thread. Forget(T*) clears a temporary's handle so that deleting it leaves the handle alone.
template <class T, void (*Forget)(T*)>
class ObjectMap
{
public:
    ObjectMap() { InitializeCriticalSectionAndSpinCount(&m_cs, 1000); }
    ~ObjectMap()
    {
        for (auto& entry : m_temporary)
            DeleteTemporary(entry.second);
        DeleteCriticalSection(&m_cs);
    }
    ObjectMap(const ObjectMap&) = delete;
    ObjectMap& operator=(const ObjectMap&) = delete;

    T* Permanent(void* h)
    {
        Lock lock(m_cs);
        const auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }
    // False when another object holds the handle already.
    bool Add(void* h, T* p)
    {
        Lock lock(m_cs);
        const auto result = m_permanent.emplace(h, p);
        return result.second || result.first->second == p;
    }
    void Remove(void* h, T* p)
    {
        Lock lock(m_cs);
        const auto it = m_permanent.find(h);
        if (it != m_permanent.end() && it->second == p)
            m_permanent.erase(it);
    }
    template <class Make>
    T* Find(void* h, Make make)
    {
        const auto key = std::make_pair(GetCurrentThreadId(), h);
        Lock lock(m_cs);
        if (const auto it = m_permanent.find(h); it != m_permanent.end())
            return it->second;
        if (const auto it = m_temporary.find(key); it != m_temporary.end())
            return it->second;
        T* p = make();
        m_temporary.emplace(key, p);
        return p;
    }
    void DeleteThreadTemporaries()
    {
        const DWORD thread = GetCurrentThreadId();
        Lock lock(m_cs);
        auto it = m_temporary.lower_bound(std::make_pair(thread, static_cast<void*>(nullptr)));
        while (it != m_temporary.end() && it->first.first == thread)
        {
            DeleteTemporary(it->second);
            it = m_temporary.erase(it);
        }
    }

private:
    static void DeleteTemporary(T* p)
    {
        Forget(p);
        delete p;
    }

    CRITICAL_SECTION m_cs;
    std::unordered_map<void*, T*> m_permanent;
    std::map<std::pair<DWORD, void*>, T*> m_temporary;
};

void ForgetObject(CGdiObject* p)
{
    p->m_hObject = nullptr;
}

void ForgetDC(CDC* p)
{
    p->m_hDC = nullptr;
    p->m_hAttribDC = nullptr;
}

ObjectMap<CGdiObject, &ForgetObject>& GdiObjects()
{
    static ObjectMap<CGdiObject, &ForgetObject> map;
    return map;
}

ObjectMap<CDC, &ForgetDC>& DCs()
{
    static ObjectMap<CDC, &ForgetDC> map;
    return map;
}

[[maybe_unused]] const bool g_mapsBuilt = (GdiObjects(), DCs(), true);

// A temporary of the wrapper class that fits the kind of object the handle stands for.
CGdiObject* MakeTemporary(HGDIOBJ hObject)
{
    CGdiObject* p = nullptr;
    switch (::GetObjectType(hObject))
    {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        p = new CPen;
        break;
    case OBJ_BRUSH:
        p = new CBrush;
        break;
    case OBJ_FONT:
        p = new CFont;
        break;
    case OBJ_BITMAP:
        p = new CBitmap;
        break;
    case OBJ_REGION:
        p = new CRgn;
        break;
    default:
        p = new CGdiObject;
        break;
    }
    p->m_hObject = hObject;
    return p;
}

template <class T>
T* Typed(HGDIOBJ hObject)
{
    return dynamic_cast<T*>(CGdiObject::FromHandle(hObject));
}

HGDIOBJ HandleOf(const CGdiObject* p)
{
    return p ? p->m_hObject : nullptr;
}
} // namespace

// ---- CGdiObject and the drawing objects ----

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (!hObject)
        return nullptr;
    return GdiObjects().Find(hObject, [&] { return MakeTemporary(hObject); });
}

void CGdiObject::DeleteTempMap()
{
    GdiObjects().DeleteThreadTemporaries();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (!hObject || m_hObject || !GdiObjects().Add(hObject, this))
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ hObject = m_hObject;
    if (hObject)
        GdiObjects().Remove(hObject, this);
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObjectW(m_hObject, nCount, lpObject) : 0;
}

UINT CGdiObject::GetObjectType() const
{
    return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    return Attach(::GetStockObject(nIndex));
}

BOOL CGdiObject::UnrealizeObject()
{
    return ::UnrealizeObject(m_hObject);
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    CreatePen(nPenStyle, nWidth, crColor);
}

CPen* CPen::FromHandle(HPEN hPen)
{
    return Typed<CPen>(hPen);
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CPen::CreatePenIndirect(const LOGPEN* lpLogPen)
{
    return Attach(::CreatePenIndirect(lpLogPen));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const
{
    return GetObject(sizeof(LOGPEN), pLogPen);
}

CBrush::CBrush(COLORREF crColor)
{
    CreateSolidBrush(crColor);
}

CBrush* CBrush::FromHandle(HBRUSH hBrush)
{
    return Typed<CBrush>(hBrush);
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateHatchBrush(int nIndex, COLORREF crColor)
{
    return Attach(::CreateHatchBrush(nIndex, crColor));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* lpLogBrush)
{
    return Attach(::CreateBrushIndirect(lpLogBrush));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return pBitmap && Attach(::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
}

BOOL CBrush::CreateSysColorBrush(int nIndex)
{
    return Attach(::GetSysColorBrush(nIndex));
}

int CBrush::GetLogBrush(LOGBRUSH* pLogBrush) const
{
    return GetObject(sizeof(LOGBRUSH), pLogBrush);
}

CFont* CFont::FromHandle(HFONT hFont)
{
    return Typed<CFont>(hFont);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lpLogFont)
{
    return Attach(::CreateFontIndirectW(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename)
{
    return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                                nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC)
{
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, lpszFaceName ? lpszFaceName : L"", LF_FACESIZE);
    HDC hScreen = pDC ? nullptr : ::GetDC(nullptr);
    HDC hDC = pDC ? (pDC->m_hAttribDC ? pDC->m_hAttribDC : pDC->m_hDC) : hScreen;
    // Tenths of a point to logical units on that DC: device pixels first, then back to logical.
    POINT pt{0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), nPointSize, 720)};
    POINT origin{0, 0};
    ::DPtoLP(hDC, &pt, 1);
    ::DPtoLP(hDC, &origin, 1);
    lf.lfHeight = -abs(pt.y - origin.y);
    if (hScreen)
        ::ReleaseDC(nullptr, hScreen);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTW* pLogFont) const
{
    return GetObject(sizeof(LOGFONTW), pLogFont);
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap)
{
    return Typed<CBitmap>(hBitmap);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return LoadBitmap(MAKEINTRESOURCEW(nIDResource));
}

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName)
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    return hInst && Attach(::LoadBitmapW(hInst, lpszResourceName));
}

BOOL CBitmap::LoadOEMBitmap(UINT nIDBitmap)
{
    return Attach(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(nIDBitmap)));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
{
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateBitmapIndirect(const BITMAP* lpBitmap)
{
    return Attach(::CreateBitmapIndirect(lpBitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return pDC && Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

BOOL CBitmap::CreateDiscardableBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return pDC && Attach(::CreateDiscardableBitmap(pDC->m_hDC, nWidth, nHeight));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const
{
    return GetObject(sizeof(BITMAP), pBitMap);
}

DWORD CBitmap::GetBitmapBits(DWORD dwCount, LPVOID lpBits) const
{
    return static_cast<DWORD>(::GetBitmapBits(static_cast<HBITMAP>(m_hObject), static_cast<LONG>(dwCount), lpBits));
}

DWORD CBitmap::SetBitmapBits(DWORD dwCount, const void* lpBits)
{
    return static_cast<DWORD>(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), dwCount, lpBits));
}

CRgn* CRgn::FromHandle(HRGN hRgn)
{
    return Typed<CRgn>(hRgn);
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect)
{
    return Attach(::CreateRectRgnIndirect(lpRect));
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateEllipticRgnIndirect(LPCRECT lpRect)
{
    return Attach(::CreateEllipticRgnIndirect(lpRect));
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

BOOL CRgn::CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode)
{
    return Attach(::CreatePolygonRgn(lpPoints, nCount, nMode));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode)
{
    if (!m_hObject)
        return ERROR;
    return ::CombineRgn(*this, static_cast<HRGN>(HandleOf(pRgn1)), static_cast<HRGN>(HandleOf(pRgn2)), nCombineMode);
}

int CRgn::CopyRgn(const CRgn* pRgnSrc)
{
    return CombineRgn(pRgnSrc, nullptr, RGN_COPY);
}

BOOL CRgn::EqualRgn(const CRgn* pRgn) const
{
    return pRgn && ::EqualRgn(*this, *pRgn);
}

int CRgn::OffsetRgn(int x, int y)
{
    return ::OffsetRgn(*this, x, y);
}

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2)
{
    ::SetRectRgn(*this, x1, y1, x2, y2);
}

void CRgn::SetRectRgn(LPCRECT lpRect)
{
    ::SetRectRgn(*this, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CRgn::GetRgnBox(LPRECT lpRect) const
{
    return ::GetRgnBox(*this, lpRect);
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return ::PtInRegion(*this, x, y);
}

BOOL CRgn::PtInRegion(POINT point) const
{
    return ::PtInRegion(*this, point.x, point.y);
}

BOOL CRgn::RectInRegion(LPCRECT lpRect) const
{
    return ::RectInRegion(*this, lpRect);
}

// ---- CDC ----

CDC::~CDC()
{
    if (m_bOwnsDC && m_hDC)
        DeleteDC();
    else
        Detach();
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    return DCs().Find(hDC,
                      [&]
                      {
                          CDC* p = new CDC;
                          p->m_hDC = p->m_hAttribDC = hDC;
                          return p;
                      });
}

void CDC::DeleteTempMap()
{
    DCs().DeleteThreadTemporaries();
}

BOOL CDC::Attach(HDC hDC)
{
    if (!hDC || m_hDC)
        return FALSE;
    DCs().Add(hDC, this); // a DC may have several wrappers; lookups find the first
    m_hDC = m_hAttribDC = hDC;
    m_bOwnsDC = false;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    if (hDC)
        DCs().Remove(hDC, this);
    m_hDC = m_hAttribDC = nullptr;
    m_bOwnsDC = false;
    return hDC;
}

void CDC::SetAttribDC(HDC hDC)
{
    m_hAttribDC = hDC;
}

void CDC::SetOutputDC(HDC hDC)
{
    m_hDC = hDC;
}

void CDC::ReleaseAttribDC()
{
    m_hAttribDC = nullptr;
}

void CDC::ReleaseOutputDC()
{
    m_hDC = nullptr;
}

BOOL CDC::CreateDC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW* lpInitData)
{
    if (!Attach(::CreateDCW(lpszDriverName, lpszDeviceName, lpszOutput, lpInitData)))
        return FALSE;
    m_bOwnsDC = true;
    return TRUE;
}

BOOL CDC::CreateIC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW* lpInitData)
{
    if (!Attach(::CreateICW(lpszDriverName, lpszDeviceName, lpszOutput, lpInitData)))
        return FALSE;
    m_bOwnsDC = true;
    return TRUE;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    HDC hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    if (!hDC)
        return FALSE;
    if (!Attach(hDC))
    {
        ::DeleteDC(hDC);
        return FALSE;
    }
    m_bOwnsDC = true;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

int CDC::SaveDC()
{
    int nRetVal = 0;
    if (m_hAttribDC)
        nRetVal = ::SaveDC(m_hAttribDC);
    if (m_hDC && m_hDC != m_hAttribDC && ::SaveDC(m_hDC) != 0)
        nRetVal = -1; // both saved: restore the latest on each
    return nRetVal;
}

BOOL CDC::RestoreDC(int nSavedDC)
{
    BOOL bRetVal = TRUE;
    if (m_hDC && m_hDC != m_hAttribDC)
        bRetVal = ::RestoreDC(m_hDC, nSavedDC);
    if (m_hAttribDC)
        bRetVal = ::RestoreDC(m_hAttribDC, nSavedDC) && bRetVal;
    return bRetVal;
}

int CDC::GetDeviceCaps(int nIndex) const
{
    return ::GetDeviceCaps(m_hAttribDC, nIndex);
}

template <class T>
T* CDC::Select(HGDIOBJ hObject)
{
    HGDIOBJ hOld = nullptr;
    if (m_hDC && m_hDC != m_hAttribDC)
        hOld = ::SelectObject(m_hDC, hObject);
    if (m_hAttribDC)
        hOld = ::SelectObject(m_hAttribDC, hObject);
    return hOld ? dynamic_cast<T*>(CGdiObject::FromHandle(hOld)) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int nIndex)
{
    return Select<CGdiObject>(::GetStockObject(nIndex));
}

CPen* CDC::SelectObject(CPen* pPen)
{
    return Select<CPen>(HandleOf(pPen));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    return Select<CBrush>(HandleOf(pBrush));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return Select<CFont>(HandleOf(pFont));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return Select<CBitmap>(HandleOf(pBitmap));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    return Select<CGdiObject>(HandleOf(pObject));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject)
{
    HGDIOBJ hOld = nullptr;
    if (m_hDC && m_hDC != m_hAttribDC)
        hOld = ::SelectObject(m_hDC, hObject);
    if (m_hAttribDC)
        hOld = ::SelectObject(m_hAttribDC, hObject);
    return hOld;
}

int CDC::SelectObject(CRgn* pRgn)
{
    return SelectClipRgn(pRgn);
}

CPen* CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

namespace
{
// Sets an attribute on the output DC and on the attribute DC; answers the attribute DC's old value.
template <class R, class Fn>
R SetOnBoth(HDC hDC, HDC hAttribDC, Fn fn)
{
    R old{};
    if (hDC && hDC != hAttribDC)
        old = fn(hDC);
    if (hAttribDC)
        old = fn(hAttribDC);
    return old;
}
} // namespace

COLORREF CDC::SetTextColor(COLORREF crColor)
{
    return SetOnBoth<COLORREF>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetTextColor(h, crColor); });
}

COLORREF CDC::GetTextColor() const
{
    return ::GetTextColor(m_hAttribDC);
}

COLORREF CDC::SetBkColor(COLORREF crColor)
{
    return SetOnBoth<COLORREF>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetBkColor(h, crColor); });
}

COLORREF CDC::GetBkColor() const
{
    return ::GetBkColor(m_hAttribDC);
}

int CDC::SetBkMode(int nBkMode)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetBkMode(h, nBkMode); });
}

int CDC::GetBkMode() const
{
    return ::GetBkMode(m_hAttribDC);
}

UINT CDC::SetTextAlign(UINT nFlags)
{
    return SetOnBoth<UINT>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetTextAlign(h, nFlags); });
}

int CDC::SetStretchBltMode(int nStretchMode)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetStretchBltMode(h, nStretchMode); });
}

int CDC::SetROP2(int nDrawMode)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetROP2(h, nDrawMode); });
}

int CDC::SetMapMode(int nMapMode)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::SetMapMode(h, nMapMode); });
}

int CDC::GetMapMode() const
{
    return ::GetMapMode(m_hAttribDC);
}

POINT CDC::SetWindowOrg(int x, int y)
{
    return SetOnBoth<POINT>(m_hDC, m_hAttribDC,
                            [&](HDC h)
                            {
                                POINT old{};
                                ::SetWindowOrgEx(h, x, y, &old);
                                return old;
                            });
}

POINT CDC::SetWindowOrg(POINT point)
{
    return SetWindowOrg(point.x, point.y);
}

POINT CDC::GetWindowOrg() const
{
    POINT point{};
    ::GetWindowOrgEx(m_hAttribDC, &point);
    return point;
}

POINT CDC::OffsetWindowOrg(int nWidth, int nHeight)
{
    return SetOnBoth<POINT>(m_hDC, m_hAttribDC,
                            [&](HDC h)
                            {
                                POINT old{};
                                ::OffsetWindowOrgEx(h, nWidth, nHeight, &old);
                                return old;
                            });
}

POINT CDC::SetViewportOrg(int x, int y)
{
    return SetOnBoth<POINT>(m_hDC, m_hAttribDC,
                            [&](HDC h)
                            {
                                POINT old{};
                                ::SetViewportOrgEx(h, x, y, &old);
                                return old;
                            });
}

POINT CDC::SetViewportOrg(POINT point)
{
    return SetViewportOrg(point.x, point.y);
}

POINT CDC::GetViewportOrg() const
{
    POINT point{};
    ::GetViewportOrgEx(m_hAttribDC, &point);
    return point;
}

POINT CDC::OffsetViewportOrg(int nWidth, int nHeight)
{
    return SetOnBoth<POINT>(m_hDC, m_hAttribDC,
                            [&](HDC h)
                            {
                                POINT old{};
                                ::OffsetViewportOrgEx(h, nWidth, nHeight, &old);
                                return old;
                            });
}

SIZE CDC::SetWindowExt(int cx, int cy)
{
    return SetOnBoth<SIZE>(m_hDC, m_hAttribDC,
                           [&](HDC h)
                           {
                               SIZE old{};
                               ::SetWindowExtEx(h, cx, cy, &old);
                               return old;
                           });
}

SIZE CDC::SetViewportExt(int cx, int cy)
{
    return SetOnBoth<SIZE>(m_hDC, m_hAttribDC,
                           [&](HDC h)
                           {
                               SIZE old{};
                               ::SetViewportExtEx(h, cx, cy, &old);
                               return old;
                           });
}

void CDC::DPtoLP(LPPOINT lpPoints, int nCount) const
{
    ::DPtoLP(m_hAttribDC, lpPoints, nCount);
}

void CDC::LPtoDP(LPPOINT lpPoints, int nCount) const
{
    ::LPtoDP(m_hAttribDC, lpPoints, nCount);
}

int CDC::SelectClipRgn(CRgn* pRgn)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC,
                          [&](HDC h) { return ::SelectClipRgn(h, static_cast<HRGN>(HandleOf(pRgn))); });
}

int CDC::SelectClipRgn(CRgn* pRgn, int nMode)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC,
                          [&](HDC h) { return ::ExtSelectClipRgn(h, static_cast<HRGN>(HandleOf(pRgn)), nMode); });
}

int CDC::IntersectClipRect(int x1, int y1, int x2, int y2)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::IntersectClipRect(h, x1, y1, x2, y2); });
}

int CDC::IntersectClipRect(LPCRECT lpRect)
{
    return IntersectClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2)
{
    return SetOnBoth<int>(m_hDC, m_hAttribDC, [&](HDC h) { return ::ExcludeClipRect(h, x1, y1, x2, y2); });
}

int CDC::ExcludeClipRect(LPCRECT lpRect)
{
    return ExcludeClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CDC::GetClipBox(LPRECT lpRect) const
{
    return ::GetClipBox(m_hDC, lpRect);
}

BOOL CDC::PtVisible(int x, int y) const
{
    return ::PtVisible(m_hDC, x, y);
}

BOOL CDC::RectVisible(LPCRECT lpRect) const
{
    return ::RectVisible(m_hDC, lpRect);
}

POINT CDC::MoveTo(int x, int y)
{
    return SetOnBoth<POINT>(m_hDC, m_hAttribDC,
                            [&](HDC h)
                            {
                                POINT old{};
                                ::MoveToEx(h, x, y, &old);
                                return old;
                            });
}

POINT CDC::MoveTo(POINT point)
{
    return MoveTo(point.x, point.y);
}

BOOL CDC::LineTo(int x, int y)
{
    if (m_hAttribDC && m_hAttribDC != m_hDC)
        ::MoveToEx(m_hAttribDC, x, y, nullptr); // keep the attribute DC's current position in step
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::LineTo(POINT point)
{
    return LineTo(point.x, point.y);
}

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2)
{
    return ::Rectangle(m_hDC, x1, y1, x2, y2);
}

BOOL CDC::Rectangle(LPCRECT lpRect)
{
    return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}

BOOL CDC::RoundRect(LPCRECT lpRect, POINT point)
{
    return ::RoundRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom, point.x, point.y);
}

BOOL CDC::Ellipse(int x1, int y1, int x2, int y2)
{
    return ::Ellipse(m_hDC, x1, y1, x2, y2);
}

BOOL CDC::Ellipse(LPCRECT lpRect)
{
    return ::Ellipse(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

BOOL CDC::Polygon(const POINT* lpPoints, int nCount)
{
    return ::Polygon(m_hDC, lpPoints, nCount);
}

BOOL CDC::Polyline(const POINT* lpPoints, int nCount)
{
    return ::Polyline(m_hDC, lpPoints, nCount);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF crColor)
{
    return ::SetPixel(m_hDC, x, y, crColor);
}

COLORREF CDC::GetPixel(int x, int y) const
{
    return ::GetPixel(m_hDC, x, y);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(HandleOf(pBrush)));
}

void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush)
{
    ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(HandleOf(pBrush)));
}

void CDC::InvertRect(LPCRECT lpRect)
{
    ::InvertRect(m_hDC, lpRect);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF crColor)
{
    // An opaque empty text run fills without a brush; the colour stays the background colour.
    ::SetBkColor(m_hDC, crColor);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor)
{
    const RECT rect{x, y, x + cx, y + cy};
    FillSolidRect(&rect, crColor);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF crTopLeft, COLORREF crBottomRight)
{
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, crTopLeft,
               crBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF crTopLeft, COLORREF crBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, crTopLeft);
    FillSolidRect(x, y, 1, cy - 1, crTopLeft);
    FillSolidRect(x + cx, y, -1, cy, crBottomRight);
    FillSolidRect(x, y + cy, cx, -1, crBottomRight);
}

void CDC::DrawFocusRect(LPCRECT lpRect)
{
    ::DrawFocusRect(m_hDC, lpRect);
}

BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags)
{
    return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
}

BOOL CDC::DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState)
{
    return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
}

BOOL CDC::FillRgn(CRgn* pRgn, CBrush* pBrush)
{
    return ::FillRgn(m_hDC, static_cast<HRGN>(HandleOf(pRgn)), static_cast<HBRUSH>(HandleOf(pBrush)));
}

BOOL CDC::FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight)
{
    return ::FrameRgn(m_hDC, static_cast<HRGN>(HandleOf(pRgn)), static_cast<HBRUSH>(HandleOf(pBrush)), nWidth,
                      nHeight);
}

BOOL CDC::PaintRgn(CRgn* pRgn)
{
    return ::PaintRgn(m_hDC, static_cast<HRGN>(HandleOf(pRgn)));
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop);
}

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
{
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

BOOL CDC::DrawIcon(POINT point, HICON hIcon)
{
    return ::DrawIcon(m_hDC, point.x, point.y, hIcon);
}

BOOL CDC::DrawIconEx(int x, int y, HICON hIcon, int cx, int cy, UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw,
                     UINT diFlags)
{
    return ::DrawIconEx(m_hDC, x, y, hIcon, cx, cy, istepIfAniCur, hbrFlickerFreeDraw, diFlags);
}

int CDC::DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
{
    return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat)
{
    return ::DrawTextW(m_hDC, str, str.GetLength(), lpRect, nFormat);
}

BOOL CDC::TextOut(int x, int y, LPCWSTR lpszString, int nCount)
{
    return ::TextOutW(m_hDC, x, y, lpszString, nCount);
}

BOOL CDC::TextOut(int x, int y, const CString& str)
{
    return ::TextOutW(m_hDC, x, y, str, str.GetLength());
}

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount,
                     const INT* lpDxWidths)
{
    return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

SIZE CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const
{
    SIZE size{};
    ::GetTextExtentPoint32W(m_hAttribDC, lpszString, nCount, &size);
    return size;
}

SIZE CDC::GetTextExtent(const CString& str) const
{
    return GetTextExtent(str, str.GetLength());
}

SIZE CDC::GetOutputTextExtent(LPCWSTR lpszString, int nCount) const
{
    SIZE size{};
    ::GetTextExtentPoint32W(m_hDC, lpszString, nCount, &size);
    return size;
}

BOOL CDC::GetTextMetrics(LPTEXTMETRICW lpMetrics) const
{
    return ::GetTextMetricsW(m_hAttribDC, lpMetrics);
}

// ---- Window DCs ----

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    if (m_hWnd)
        Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC)
    {
        Detach();
        ::EndPaint(m_hWnd, &m_ps);
    }
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}
