// PLACEHOLDER, to be replaced at merge by the framework's GDI wrappers (CDC and the others).
// It holds only what the message-map handlers need to compile: a CDC standing for a device
// context that the message's sender owns.
#pragma once

#include "framework.h"

class CDC
{
public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }

    // A short-lived wrapper that never deletes the DC it stands for.
    static CDC* FromHandle(HDC hDC)
    {
        if (!hDC)
            return nullptr;
        thread_local CDC ring[8];
        thread_local unsigned next;
        CDC* pDC = &ring[next++ % 8];
        pDC->m_hDC = hDC;
        return pDC;
    }
};
