// The fade overlay: a window laid over a target window (or a screen rectangle) that captures
// what the screen shows there and fades it, over about one and a half seconds, towards a
// two-colour ramp by luminance, while the target is disabled. A click ends it and gives the
// target back.
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>
#include <framework/handles.h>
#include <framework/thread.h>
#include <framework/window.h>

#include <atomic>
#include <mutex>

class SUITECORE_API CFadeWnd : public CWnd
{
    DECLARE_DYNCREATE(CFadeWnd)
public:
    // White to black, no target.
    CFadeWnd();
    // Builds the ramp and, with a target, starts the fade at once (without auto-delete).
    // Throws the framework's resource exception when the window class cannot be registered.
    CFadeWnd(CWnd* pTarget, COLORREF crLight, COLORREF crDark);
    ~CFadeWnd() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // The ramp: entry d (0 to 255) = (light * d + dark * (255 - d)) / 256 in each channel.
    virtual void SetFadeColors(COLORREF crLight, COLORREF crDark);
    virtual BOOL CloseOnLeftClick();  // TRUE
    virtual BOOL CloseOnRightClick(); // FALSE
    // Lays the overlay over the target (an empty rectangle: the target's window rectangle;
    // negative left or top are clipped to 0) and starts the animation. 0 when the target is not
    // a window or its display is a palette device, or the overlay could not be made; with
    // bAutoDelete the object is then already deleted and must not be touched.
    virtual BOOL FadeWindow(CWnd* pTarget, const RECT& rect, BOOL bAutoDelete);

    // The step between frames, from the first frame's duration in milliseconds.
    static int ComputeFadeStep(DWORD dwFirstFrameMs);
    // One pixel (0x00RRGGBB) of the frame at nPercent (0 to 100) under the ramp.
    static DWORD FadePixel(DWORD dwPixel, int nPercent, const COLORREF* pRamp);
    // One ramp entry for the two colours.
    static COLORREF RampColour(COLORREF crLight, COLORREF crDark, int nIndex);
    // The window class of every overlay.
    static LPCWSTR ClassName();

    COLORREF GetRampEntry(int nIndex) const { return m_ramp[nIndex & 0xFF]; }
    HWND GetTargetWindow() const { return m_hTarget; }
    // The percentage of the frame shown last (the animation's progress).
    int GetShownPercent() const { return m_nShownPercent.load(); }
    BOOL IsAnimating() const;

protected:
    void PostNcDestroy() override;

    LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnRightButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocusMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroyMessage(WPARAM wParam, LPARAM lParam);

    CWnd m_wndOwner;         // invisible pop-up owner: no taskbar button
    BYTE m_bAutoDelete = 0;
    CUniqueBitmap m_bmpCapture; // what the screen showed, as a 32-bit DIB section
    CUniqueBitmap m_bmpFaded;   // the frame shown now; swapped under m_lock
    COLORREF m_ramp[256] = {};
    HWND m_hTarget = nullptr;   // disabled while the overlay exists

    DECLARE_MESSAGE_MAP()

private:
    static UINT __cdecl AnimationEntry(LPVOID pParam);
    void Animate();
    // Builds the frame at nPercent from the capture; null when stopped or out of memory.
    HBITMAP BuildFrame(int nPercent);
    void ShowFrame(HBITMAP hFrame, int nPercent);
    void StopAnimation();
    void GiveTargetBack();
    BOOL StartFade(HWND hTarget, RECT rect);

    const DWORD* m_pCaptureBits = nullptr; // the capture's pixels, read-only once taken
    int m_nWidth = 0;
    int m_nHeight = 0;
    CWinThread* m_pWorker = nullptr; // kept (not auto-deleting) until destruction waits for it
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nShownPercent{-1};
    std::mutex m_lock;
    bool m_bTakingFocus = false;
};

// Fades the window with a new overlay that deletes itself when closed; nothing happens for a
// null window. The resource exception of a class that cannot be registered is caught here.
SUITECORE_API void ShowFade(CWnd* pWnd, COLORREF crLight, COLORREF crDark);
