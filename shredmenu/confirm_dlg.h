// CConfirmDlg: asks before the selection is securely deleted (Yes or No).
#pragma once

#include "resource.h"

#include <framework/collections.h>
#include <framework/dialog.h>

class CConfirmDlg : public CDialog
{
public:
    enum
    {
        IDD = IDD_CONFIRM
    };

    explicit CConfirmDlg(CWnd* pParent = nullptr);

    const CStringArray* m_pSelection = nullptr;
    // Kept for the caller's sake; the text is the same for drives.
    BOOL m_bDrive = FALSE;

    // The question for a selection: the path itself for one object, the count for more.
    static CString MessageFor(const CStringArray& selection);

protected:
    BOOL OnInitDialog() override;
    void OnYes();
    void OnNo();

    DECLARE_MESSAGE_MAP()
};
