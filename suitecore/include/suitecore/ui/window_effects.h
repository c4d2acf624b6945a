// Effects on whole windows: translucency, and a child that shows its parent's background.
#pragma once

#include "../suitecore.h"

// Makes the window layered and translucent at the alpha (0 clear, 255 opaque), with
// LWA_ALPHA only (the colour key, white, is passed but not used). SetLayeredWindowAttributes is
// looked up in user32 on the first call and kept for the process. Non-zero on success; 0 when
// the platform lacks layered windows or the style could not be changed (the window then stays
// opaque).
SUITECORE_API BOOL SetWindowAlpha(HWND hWnd, BYTE nAlpha);

// Has the child's parent erase into the DC (WM_ERASEBKGND) exactly the part of its background
// that lies under the child, limited to the clip rectangle (device coordinates of the DC) when
// one is given. The DC's window origin and clip region are as they were on return. Returns
// the parent's answer; 0 without a parent or DC.
SUITECORE_API LRESULT PaintParentBackground(HWND hChild, HDC hDC, LPCRECT lpClip = nullptr);
