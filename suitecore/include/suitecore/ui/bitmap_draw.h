// Drawing bitmaps onto a DC: each call selects the bitmap into a memory DC compatible with the
// target, blits it with the given raster operation (SRCCOPY, or SRCAND to darken what is
// already there), and puts everything back.
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>

// The bitmap from its (0, 0) at (x, y), width by height pixels. False, drawing nothing, when
// the DC or the bitmap is missing or the bitmap cannot be selected (it is selected into
// another DC); otherwise BitBlt's answer.
SUITECORE_API BOOL DrawBitmap(CDC* pDC, int x, int y, int nWidth, int nHeight, CBitmap* pBitmap, DWORD dwRop);
// As DrawBitmap, from (xSrc, ySrc) of the bitmap.
SUITECORE_API BOOL DrawBitmapPart(CDC* pDC, int x, int y, int xSrc, int ySrc, int nWidth, int nHeight, CBitmap* pBitmap,
                                  DWORD dwRop);
// As DrawBitmap with StretchBlt: the source rectangle of the bitmap onto the destination one.
SUITECORE_API BOOL StretchBitmap(CDC* pDC, int x, int y, int nWidth, int nHeight, int xSrc, int ySrc, int nSrcWidth,
                                 int nSrcHeight, CBitmap* pBitmap, DWORD dwRop);

// Loads a bitmap resource from the framework's resource chain (the program, then SuiteCore)
// into `bitmap`, replacing what it held, and gives its size. On failure the bitmap is empty,
// both sizes are 0 and the result is false.
SUITECORE_API BOOL GetBitmapResourceSize(UINT nIDResource, CBitmap& bitmap, int& nWidth, int& nHeight);
