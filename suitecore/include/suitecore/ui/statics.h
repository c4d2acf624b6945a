// Static-like controls that blend into the skinned background.
#pragma once

#include "../suitecore.h"

#include <framework/controls.h>
#include <framework/gdi.h>

// A static that shows its parent's background under it: on its first erase it takes a
// snapshot of what the parent shows there, and erases with that snapshot from then on. A later
// change of the parent's background is not picked up.
class SUITECORE_API CTransparentStatic2 : public CStatic
{
    DECLARE_DYNAMIC(CTransparentStatic2)
public:
    CTransparentStatic2();
    ~CTransparentStatic2() override;

    CBitmap m_bmpSnapshot; // the parent's pixels under the control

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    // Text without a background of its own: a hollow brush and transparent text.
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()
};

// A check box or radio button on white: transparent text in RGB(45,54,72) over one white
// brush shared by all of them.
class SUITECORE_API CTransparentCheckRadio : public CButton
{
    DECLARE_DYNAMIC(CTransparentCheckRadio)
public:
    CTransparentCheckRadio();
    ~CTransparentCheckRadio() override;

    // The white brush every check box and radio button hands out; kept for the process.
    static HBRUSH GetSharedBrush();

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    BOOL OnEraseBkgnd(CDC* pDC); // TRUE without drawing

    DECLARE_MESSAGE_MAP()
};

// A static whose window text is HTML, drawn by the HTML renderer into the client rectangle;
// when transparent, over the parent's background.
class SUITECORE_API CSThtmlStatic : public CStatic
{
    DECLARE_DYNAMIC(CSThtmlStatic)
public:
    CSThtmlStatic();
    ~CSThtmlStatic() override;

    BYTE m_bTransparent = 0;

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
