// The about box: the product's name, the library's version and a short description, shown
// over the translucent shade.
#pragma once

#include "basewnd.h"

// Identifiers of the about box's controls, so that tests and tools can read them back.
enum : UINT
{
    IDC_ABOUT_PRODUCT = 1001,
    IDC_ABOUT_VERSION = 1002,
    IDC_ABOUT_DESCRIPTION = 1003,
};

class SUITECORE_API CDlgAbout : public CDlgBaseWndPopupNagBase
{
    DECLARE_DYNCREATE(CDlgAbout)
public:
    CDlgAbout();
    explicit CDlgAbout(CWnd* pParentWnd);
    ~CDlgAbout() override;

    BOOL OnInitDialog() override;

    CStatic m_stcProduct;
    CStatic m_stcVersion;
    CStatic m_stcDescription;
    CHoverButtonWithText m_btnOK;

protected:
    DECLARE_MESSAGE_MAP()
};

// Shows the about box over pOwner (the main window when null); g_strDialogContext holds
// "ABOUT" while it shows. The shade's result (1 after OK).
SUITECORE_API int ShowAboutBox(CWnd* pOwner);
