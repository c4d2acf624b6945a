// A bitmap that knows its size: loaded from the resources of the program or of the library,
// whichever holds the ID first (the framework's resource search).
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>

class SUITECORE_API CSTBitmap : public CBitmap
{
public:
    CSTBitmap() = default;
    explicit CSTBitmap(UINT nIDResource); // loads; stays empty when the load fails

    // Replaces any bitmap held. Non-zero on success, with the sizes read from the bitmap;
    // on failure the object is empty and both sizes are 0.
    BOOL LoadBitmap(UINT nIDResource);

    int GetHeight() const { return m_nHeight; }
    int GetWidth() const { return m_nWidth; }

    int m_nHeight = 0; // pixels
    int m_nWidth = 0;
};
