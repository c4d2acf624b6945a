// Interim stand-ins for drawing classes that are being added to the library at the same time;
// replaced by the real headers as they arrive.
#pragma once

#include "../suitecore.h"
#include "stbitmap.h"

#include <framework/controls.h>
#include <framework/gdi.h>
#include <framework/module.h>

class CHoverButton : public CButton
{
public:
    BOOL SetBitmap(UINT nID)
    {
        m_bmp.LoadBitmap(nID);
        m_nFrameWidth = m_bmp.m_nWidth / 3;
        m_nFrameHeight = m_bmp.m_nHeight;
        if (m_hWnd)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_nFrameWidth, m_nFrameHeight,
                           SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    void DrawItem(LPDRAWITEMSTRUCT) override {}
    CSTBitmap m_bmp;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
};

class CHoverButtonWithText : public CHoverButton
{
public:
    void ApplyLightPreset(BOOL) {}
    void ApplyDarkPreset(BOOL) {}
};
