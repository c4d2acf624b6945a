// Wrappers for the standard controls the framework's windows build on: buttons, statics,
// progress bars, tooltips and image lists.
#pragma once

#include "gdi.h"
#include "window.h"

#include <commctrl.h>

class FRAMEWORK_API CButton : public CWnd
{
    DECLARE_DYNAMIC(CButton)
public:
    BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    UINT GetState() const;
    void SetState(BOOL bHighlight);
    int GetCheck() const;
    void SetCheck(int nCheck);
    UINT GetButtonStyle() const; // the low word of the style: the BS_ bits
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
    HBITMAP SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const;
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;

    // Draws an owner-drawn button; the parent's WM_DRAWITEM reaches it. Does nothing here.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};

class FRAMEWORK_API CStatic : public CWnd
{
    DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xffff);

    HBITMAP SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const;
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
};

// A progress bar; usually bound to a dialog's control with Attach or SubclassDlgItem.
class FRAMEWORK_API CProgressCtrl : public CWnd
{
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    void SetRange32(int nLower, int nUpper);
    int SetPos(int nPos); // the previous position
    int GetPos() const;
};

// A tooltip window owned by a parent. Tools are added without subclassing: the owner passes
// the mouse messages of its tools through RelayEvent (usually from PreTranslateMessage).
class FRAMEWORK_API CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    // nIDTool 0: the tool is pWnd itself (the whole window); otherwise the rectangle of pWnd
    // (its whole client area when lpRectTool is null) under that identifier.
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    BOOL GetToolInfo(TTTOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    int GetToolCount() const;
    void RelayEvent(LPMSG lpMsg);
    void Activate(BOOL bActivate);
    void SetDelayTime(UINT nDelay);
    void SetDelayTime(DWORD dwDuration, int iTime);
    int SetMaxTipWidth(int iWidth);
    void Pop();

private:
    static void FillInToolInfo(TTTOOLINFOW& ti, CWnd* pWnd, UINT_PTR nIDTool);
};

// An animation control playing an AVI clip of uncompressed or RLE frames, silent.
class FRAMEWORK_API CAnimateCtrl : public CWnd
{
    DECLARE_DYNAMIC(CAnimateCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // The clip of an "AVI" resource, found through the resource chain (the program first, then
    // the extension modules), or a file.
    BOOL Open(UINT nID);
    BOOL Open(LPCWSTR lpszFileName);
    BOOL Close();
    // Frames nFrom to nTo (0xFFFF or -1: the last), nRep times (-1: without end).
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep);
    BOOL Stop();
    BOOL Seek(UINT nTo);
};

// An image list that owns its handle; Attach and Detach hand the ownership over.
class FRAMEWORK_API CImageList : public CObject
{
    DECLARE_DYNAMIC(CImageList)
public:
    CImageList() = default;
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Cuts a bitmap resource (from the resource chain) into images cx wide; crMask is the
    // transparent colour (CLR_NONE: none).
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    // The same with the list's kind chosen (ILC_COLOR32 | ILC_MASK, say): the bitmap is cut
    // into as many images as it holds, crMask is transparent.
    BOOL CreateFromBitmap(UINT nBitmapID, int cx, UINT nFlags, COLORREF crMask, int nGrow = 0);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int GetImageCount() const;
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const;
    BOOL GetIconSize(int* cx, int* cy) const;
    // Each Add answers the index of the first new image, or -1. The list copies the bitmaps.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(HICON hIcon);
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask);
    int Replace(int nImage, HICON hIcon);
    BOOL Remove(int nImage);
    BOOL SetImageCount(UINT uNewCount);
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    HICON ExtractIcon(int nImage); // the caller destroys the icon

    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle);
};
