// Translucent windows and the parent's background under transparent controls.
#include "suitecore/ui/window_effects.h"

#include <framework/gdi.h>

#include <atomic>

namespace
{
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Filled on first use without a lock: every thread that looks it up finds the same address.
std::atomic<SetLayeredWindowAttributesFn> g_pfnSetLayered{nullptr};
std::atomic<bool> g_bLayeredLookedUp{false};

SetLayeredWindowAttributesFn LayeredAttributes()
{
    if (!g_bLayeredLookedUp.load(std::memory_order_acquire))
    {
        HMODULE user32 = LoadLibraryA("user32.dll");
        FARPROC proc = user32 ? GetProcAddress(user32, "SetLayeredWindowAttributes") : nullptr;
        g_pfnSetLayered.store(reinterpret_cast<SetLayeredWindowAttributesFn>(proc), std::memory_order_relaxed);
        g_bLayeredLookedUp.store(true, std::memory_order_release);
    }
    return g_pfnSetLayered.load(std::memory_order_relaxed);
}
} // namespace

BOOL SetWindowAlpha(HWND hWnd, BYTE nAlpha)
{
    SetLayeredWindowAttributesFn setLayered = LayeredAttributes();
    if (!setLayered)
        return 0;
    // 0 is a valid previous style, so only the last error tells a failed change.
    SetLastError(0);
    SetWindowLongW(hWnd, GWL_EXSTYLE, GetWindowLongW(hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (GetLastError() != 0)
        return 0;
    return setLayered(hWnd, RGB(255, 255, 255), nAlpha, LWA_ALPHA);
}

LRESULT PaintParentBackground(HWND hChild, HDC hDC, LPCRECT lpClip)
{
    HWND parent = hChild ? GetParent(hChild) : nullptr;
    if (!parent || !hDC)
        return 0;

    // The caller's clip region comes back afterwards; the clip rectangle narrows it.
    CRgn saved;
    saved.CreateRectRgn(0, 0, 0, 0);
    const bool hadClip = saved.GetSafeHandle() && GetClipRgn(hDC, saved) == 1;
    if (lpClip)
    {
        // Selecting a region copies it: this one is deleted when it goes out of scope.
        CRgn clip;
        if (clip.CreateRectRgnIndirect(lpClip))
            ExtSelectClipRgn(hDC, clip, hadClip ? RGN_AND : RGN_COPY);
    }

    POINT offset = {0, 0};
    MapWindowPoints(hChild, parent, &offset, 1);
    POINT oldOrigin;
    OffsetWindowOrgEx(hDC, offset.x, offset.y, &oldOrigin);
    const LRESULT answer = SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    SetWindowOrgEx(hDC, oldOrigin.x, oldOrigin.y, nullptr);

    if (lpClip)
        SelectClipRgn(hDC, hadClip ? static_cast<HRGN>(saved.GetSafeHandle()) : nullptr);
    return answer;
}
