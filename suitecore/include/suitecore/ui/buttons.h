// The owner-drawn button family of the skinned windows: every member tracks the mouse, shows
// the hand cursor while the mouse is over it and paints its whole face itself.
//
// - CBaseGUIButton: hover tracking and the cursor, nothing drawn.
// - CHoverButton: a bitmap strip of 3 or 4 state frames side by side (normal, pressed, hover,
//   and with a disabled frame, disabled), or three stretch pieces.
// - CHoverButtonWithText: a strip with a caption whose colour, weight and underline follow
//   the state.
// - CMyHoverButton: a strip with an icon strip at (38, 3) and a caption below the icon.
// - CHyperLinkBtn: a text link, on its own background colour or on its parent's background.
//
// The picture buttons (CHoverButtonTextPng and the navigation and launcher buttons) are in
// png_buttons.h.
#pragma once

#include "../suitecore.h"

#include <framework/controls.h>
#include <framework/gdi.h>
#include <framework/string.h>

// The hand cursor of the library's resources, shown over every button of the family.
#define IDC_SUITE_HAND 1228

class SUITECORE_API CBaseGUIButton : public CButton
{
    DECLARE_DYNAMIC(CBaseGUIButton)
public:
    CBaseGUIButton();
    ~CBaseGUIButton() override;

    // Makes the button owner-drawn, whatever button type it was created with.
    void PreSubclassWindow() override;
    // Lets the parent paint its background under the button (clipped to lpRect when given);
    // the parent's answer to WM_ERASEBKGND.
    virtual LRESULT PaintParentBackground(CDC* pDC, LPCRECT lpRect);

    BYTE m_bSelected = 0; // set by the owner (navigation pane): keeps the hover look
    BYTE m_bHover = 0;    // the mouse is over the button (hover notification to leave)
    BYTE m_bUseHandCursor = 1;
    HCURSOR m_hHandCursor;              // cursor 1228 of the library
    HCURSOR m_hCurrentCursor = nullptr; // null while the mouse is elsewhere
    int m_bTracking = 0;                // TrackMouseEvent is watching for hover and leave

protected:
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* pDC); // FALSE: DrawItem covers the whole control

    // True while the item or the window is disabled.
    BOOL IsItemDisabled(const DRAWITEMSTRUCT& dis) const;

    DECLARE_MESSAGE_MAP()
};

class SUITECORE_API CHoverButton : public CBaseGUIButton
{
    DECLARE_DYNAMIC(CHoverButton)
public:
    CHoverButton();
    ~CHoverButton() override;

    // Loads a strip (resource search of the framework: the tool's pictures, then the
    // library's) of 4 frames when m_bHasDisabledFrame is set, else 3; resizes the window to
    // one frame and clears the selected mark. FALSE, with the window left as it was, when the
    // bitmap does not load.
    BOOL SetBitmap(UINT nIDBitmap);
    // The same with a strip of three frames that the button takes over (it deletes it).
    BOOL SetBitmapHandle(HBITMAP hBitmap);
    // Three stretch pieces, each holding its state frames side by side (normal, pressed,
    // hover); the middle piece is tiled across the button between the caps. Resizes the window
    // to nWidth x nHeight and clears the selected mark. TRUE only when all three loaded.
    BOOL SetThreePartBitmaps(UINT nIDLeft, UINT nIDMiddle, UINT nIDRight, int nWidth, int nHeight);

    // The strip frame for a draw-item state: 3 disabled (only with a disabled frame), 1
    // pressed or force-pressed, 2 hovered or selected, else 0.
    int GetStateFrame(UINT nItemState) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Draws the three-piece face.
    virtual void DrawStretched(LPDRAWITEMSTRUCT lpDrawItemStruct);

    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    CBitmap m_bmpStrip;
    BYTE m_bSingleStrip = 1; // 0: three-piece mode
    CBitmap m_bmpLeft;
    CBitmap m_bmpMiddle;
    CBitmap m_bmpRight;
    int m_nLeftWidth = 0; // width of one state frame of each piece
    int m_nLeftHeight = 0;
    int m_nMiddleWidth = 0;
    int m_nMiddleHeight = 0;
    int m_nRightWidth = 0;
    int m_nRightHeight = 0;
    BYTE m_bHasDisabledFrame = 0;
    BYTE m_bForcePressedLook = 0;

protected:
    // Copies strip frame nFrame to (0, 0) of the DC.
    void DrawStripFrame(HDC hDC, int nFrame) const;
    // Takes the strip held in m_bmpStrip as nFrames frames and sizes the window to one.
    BOOL AdoptStrip(int nFrames);
};

class SUITECORE_API CHoverButtonWithText : public CHoverButton
{
    DECLARE_DYNAMIC(CHoverButtonWithText)
public:
    CHoverButtonWithText();
    ~CHoverButtonWithText() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // The two text presets of the skinned windows. The disabled frame and the disabled
    // colour are switched on only with bDisabledLook.
    //   light: RGB(252,252,255) in every state, disabled RGB(158,164,167), weight 700;
    //   dark:  RGB(9,18,54), RGB(18,9,63), RGB(18,18,72), disabled RGB(144,153,162), bold,
    //          semi-bold (500) from Windows Vista on.
    void ApplyLightPreset(BOOL bDisabledLook);
    void ApplyDarkPreset(BOOL bDisabledLook);

    // What a paint in this state uses; exposed for owners that draw the same caption.
    struct TextLook
    {
        COLORREF colour;
        LONG weight;
        BYTE underline;
    };
    TextLook GetTextLook(UINT nItemState) const;

    BYTE m_bBoldOnHover = 0;
    BYTE m_bBoldAlways = 0;
    BYTE m_bUnderlineOnHover = 0;
    BYTE m_bUseDisabledColour = 1;
    BYTE m_bDrawShadow = 0;
    LOGFONTW m_lf; // the shared UI font
    COLORREF m_crNormal = RGB(9, 18, 27);
    COLORREF m_crHover = RGB(45, 72, 108);
    COLORREF m_crPressed = RGB(27, 54, 90);
    COLORREF m_crDisabled = RGB(117, 117, 126);
    int m_nTextX = -1; // -1: centred in the button
    int m_nTextY = 7;
    BYTE m_bSemiBoldOnVista = 0;
};

// Applies the light or dark preset to a text button (its disabled frame and colour only with
// bHasDisabledFrame) and its strip: light 1074 (small) or 1021, dark 1076 (small) or 1059.
// The four strips hold four frames, so the frame width is always a quarter of the strip.
// Finally the caption's weight becomes 700.
SUITECORE_API void ApplyTextButtonStyle(CHoverButtonWithText* pButton, BOOL bHasDisabledFrame, BOOL bLight,
                                        BOOL bSmall);

class SUITECORE_API CMyHoverButton : public CHoverButton
{
    DECLARE_DYNAMIC(CMyHoverButton)
public:
    CMyHoverButton();
    ~CMyHoverButton() override;

    // The caption and a strip of four frames; the window takes the size of one frame.
    BOOL SetBitmapAndCaption(LPCWSTR lpszCaption, UINT nIDBitmap);
    // The icon strip, four frames drawn at (38, 3) in the button's state; 0 removes it.
    BOOL SetIconStrip(UINT nIDBitmap);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    CString m_strCaption;
    CBitmap m_bmpIcon;
    int m_nIconWidth = 0; // one frame of the icon strip
    int m_nIconHeight = 0;
};

class SUITECORE_API CHyperLinkBtn : public CBaseGUIButton
{
    DECLARE_DYNAMIC(CHyperLinkBtn)
public:
    CHyperLinkBtn();
    ~CHyperLinkBtn() override;

    // Sets the window text; the text is measured again at the next paint.
    void SetLinkText(LPCWSTR lpszText);
    int GetTextWidth() const { return m_nTextWidth; }
    int GetTextHeight() const { return m_nTextHeight; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    BYTE m_bTransparent = 0; // the parent's background instead of m_crBackground
    BYTE m_bUnderlineWhenIdle = 0;
    BYTE m_bUseSharedFonts = 1; // the four link fonts shared by all links
    BYTE m_bBold = 0;
    BYTE m_bMeasurePending = 1;
    COLORREF m_crBackground = RGB(255, 255, 255);
    COLORREF m_crNormal = RGB(9, 18, 27);
    COLORREF m_crHover = RGB(45, 72, 108);
    COLORREF m_crPressed = RGB(27, 54, 90);
    COLORREF m_crDisabled = RGB(117, 117, 126);
    CString m_strText;
    LOGFONTW m_lf; // the shared UI font; used when m_bUseSharedFonts is off
    int m_nTextWidth = 0;
    int m_nTextHeight = 0;
    UINT m_nFormat = DT_SINGLELINE | DT_VCENTER;
};

// The four fonts shared by every link, built once per process from the shared UI font and
// kept until the process ends.
SUITECORE_API HFONT GetSharedLinkFont(BOOL bBold, BOOL bUnderline);
