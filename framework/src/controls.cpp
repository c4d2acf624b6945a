#include "framework/controls.h"

#include "framework/module.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CImageList, CObject)
IMPLEMENT_DYNAMIC(CAnimateCtrl, CWnd)

namespace
{
BOOL CreateChild(CWnd& wnd, LPCWSTR lpszClass, LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                 UINT nID)
{
    return wnd.CreateEx(0, lpszClass, lpszText, dwStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}
} // namespace

// ---- CButton ----

BOOL CButton::Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateChild(*this, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

UINT CButton::GetState() const
{
    return static_cast<UINT>(::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0));
}

void CButton::SetState(BOOL bHighlight)
{
    ::SendMessageW(m_hWnd, BM_SETSTATE, static_cast<WPARAM>(bHighlight), 0);
}

int CButton::GetCheck() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CButton::SetCheck(int nCheck)
{
    ::SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
}

UINT CButton::GetButtonStyle() const
{
    return static_cast<UINT>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)) & 0xffff;
}

void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, BM_SETSTYLE, nStyle, static_cast<LPARAM>(bRedraw));
}

HBITMAP CButton::SetBitmap(HBITMAP hBitmap)
{
    return reinterpret_cast<HBITMAP>(
        ::SendMessageW(m_hWnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
}

HBITMAP CButton::GetBitmap() const
{
    return reinterpret_cast<HBITMAP>(::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
}

HICON CButton::SetIcon(HICON hIcon)
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CButton::GetIcon() const
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_ICON, 0));
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

// ---- CStatic ----

BOOL CStatic::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateChild(*this, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
}

HBITMAP CStatic::SetBitmap(HBITMAP hBitmap)
{
    return reinterpret_cast<HBITMAP>(
        ::SendMessageW(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
}

HBITMAP CStatic::GetBitmap() const
{
    return reinterpret_cast<HBITMAP>(::SendMessageW(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

HICON CStatic::SetIcon(HICON hIcon)
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0));
}

HICON CStatic::GetIcon() const
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, STM_GETICON, 0, 0));
}

// ---- CProgressCtrl ----

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateChild(*this, PROGRESS_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CProgressCtrl::SetRange32(int nLower, int nUpper)
{
    ::SendMessageW(m_hWnd, PBM_SETRANGE32, static_cast<WPARAM>(nLower), static_cast<LPARAM>(nUpper));
}

int CProgressCtrl::SetPos(int nPos)
{
    return static_cast<int>(::SendMessageW(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(nPos), 0));
}

int CProgressCtrl::GetPos() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
}

// ---- CAnimateCtrl ----

BOOL CAnimateCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_ANIMATE_CLASS};
    ::InitCommonControlsEx(&icc);
    return CreateChild(*this, ANIMATE_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CAnimateCtrl::Open(UINT nID)
{
    LPCWSTR lpszName = MAKEINTRESOURCEW(nID);
    HINSTANCE hInstance = AfxFindResourceHandle(lpszName, L"AVI");
    if (!hInstance)
        return FALSE;
    return static_cast<BOOL>(
        ::SendMessageW(m_hWnd, ACM_OPENW, reinterpret_cast<WPARAM>(hInstance), reinterpret_cast<LPARAM>(lpszName)));
}

BOOL CAnimateCtrl::Open(LPCWSTR lpszFileName)
{
    return static_cast<BOOL>(::SendMessageW(m_hWnd, ACM_OPENW, 0, reinterpret_cast<LPARAM>(lpszFileName)));
}

BOOL CAnimateCtrl::Close()
{
    return static_cast<BOOL>(::SendMessageW(m_hWnd, ACM_OPENW, 0, 0));
}

BOOL CAnimateCtrl::Play(UINT nFrom, UINT nTo, UINT nRep)
{
    return static_cast<BOOL>(::SendMessageW(m_hWnd, ACM_PLAY, nRep, MAKELPARAM(nFrom, nTo)));
}

BOOL CAnimateCtrl::Stop()
{
    return static_cast<BOOL>(::SendMessageW(m_hWnd, ACM_STOP, 0, 0));
}

BOOL CAnimateCtrl::Seek(UINT nTo)
{
    return static_cast<BOOL>(::SendMessageW(m_hWnd, ACM_PLAY, 1, MAKELPARAM(nTo, nTo)));
}

// ---- CToolTipCtrl ----

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr);
}

void CToolTipCtrl::FillInToolInfo(TTTOOLINFOW& ti, CWnd* pWnd, UINT_PTR nIDTool)
{
    ti = TTTOOLINFOW{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every comctl32 version
    HWND hWnd = pWnd ? pWnd->m_hWnd : nullptr;
    if (nIDTool == 0)
    {
        ti.hwnd = ::GetParent(hWnd);
        ti.uFlags = TTF_IDISHWND;
        ti.uId = reinterpret_cast<UINT_PTR>(hWnd);
    }
    else
    {
        ti.hwnd = hWnd;
        ti.uId = nIDTool;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!pWnd || !pWnd->m_hWnd)
        return FALSE;
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    if (lpRectTool)
        ti.rect = *lpRectTool;
    else if (nIDTool != 0)
        ::GetClientRect(pWnd->m_hWnd, &ti.rect);
    ti.hinst = AfxGetResourceHandle();
    ti.lpszText = const_cast<LPWSTR>(lpszText);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    return AddTool(pWnd, MAKEINTRESOURCEW(nIDText), lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.hinst = AfxGetResourceHandle();
    ti.lpszText = const_cast<LPWSTR>(lpszText);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

BOOL CToolTipCtrl::GetToolInfo(TTTOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool) const
{
    FillInToolInfo(toolInfo, pWnd, nIDTool);
    return static_cast<BOOL>(::SendMessageW(m_hWnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo)));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}

void CToolTipCtrl::RelayEvent(LPMSG lpMsg)
{
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg));
}

void CToolTipCtrl::Activate(BOOL bActivate)
{
    SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(bActivate), 0);
}

void CToolTipCtrl::SetDelayTime(UINT nDelay)
{
    SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, static_cast<LPARAM>(nDelay));
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime)
{
    SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0));
}

int CToolTipCtrl::SetMaxTipWidth(int iWidth)
{
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth));
}

void CToolTipCtrl::Pop()
{
    SendMessage(TTM_POP);
}

// ---- CImageList ----

CImageList::~CImageList()
{
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    LPCWSTR name = MAKEINTRESOURCEW(nBitmapID);
    HINSTANCE hInst = AfxFindResourceHandle(name, RT_BITMAP);
    return hInst && Attach(::ImageList_LoadImageW(hInst, name, cx, nGrow, crMask, IMAGE_BITMAP, LR_DEFAULTCOLOR));
}

BOOL CImageList::CreateFromBitmap(UINT nBitmapID, int cx, UINT nFlags, COLORREF crMask, int nGrow)
{
    CBitmap bitmap;
    BITMAP bm{};
    if (cx <= 0 || m_hImageList || !bitmap.LoadBitmap(nBitmapID) || !bitmap.GetBitmap(&bm) || bm.bmWidth < cx)
        return FALSE;
    if (!Create(cx, bm.bmHeight, nFlags, bm.bmWidth / cx, nGrow))
        return FALSE;
    if (Add(&bitmap, crMask) < 0)
    {
        DeleteImageList();
        return FALSE;
    }
    return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (!hImageList || m_hImageList)
        return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST hImageList = m_hImageList;
    m_hImageList = nullptr;
    return hImageList;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    return ::ImageList_Destroy(Detach());
}

int CImageList::GetImageCount() const
{
    return ::ImageList_GetImageCount(m_hImageList);
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const
{
    return ::ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
}

BOOL CImageList::GetIconSize(int* cx, int* cy) const
{
    return ::ImageList_GetIconSize(m_hImageList, cx, cy);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ::ImageList_Add(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                           pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    return ::ImageList_AddMasked(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr, crMask);
}

int CImageList::Add(HICON hIcon)
{
    return ::ImageList_ReplaceIcon(m_hImageList, -1, hIcon);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ::ImageList_Replace(m_hImageList, nImage, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                               pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Replace(int nImage, HICON hIcon)
{
    return ::ImageList_ReplaceIcon(m_hImageList, nImage, hIcon);
}

BOOL CImageList::Remove(int nImage)
{
    return ::ImageList_Remove(m_hImageList, nImage);
}

BOOL CImageList::SetImageCount(UINT uNewCount)
{
    return ::ImageList_SetImageCount(m_hImageList, uNewCount);
}

COLORREF CImageList::SetBkColor(COLORREF cr)
{
    return ::ImageList_SetBkColor(m_hImageList, cr);
}

COLORREF CImageList::GetBkColor() const
{
    return ::ImageList_GetBkColor(m_hImageList);
}

HICON CImageList::ExtractIcon(int nImage)
{
    return ::ImageList_GetIcon(m_hImageList, nImage, ILD_NORMAL);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
{
    return pDC && ::ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

BOOL CImageList::DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle)
{
    return pDC && ::ImageList_DrawEx(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, sz.cx, sz.cy, clrBk, clrFg, nStyle);
}
