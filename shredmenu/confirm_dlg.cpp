#include "confirm_dlg.h"

BEGIN_MESSAGE_MAP(CConfirmDlg, CDialog)
    ON_BN_CLICKED(IDYES, &CConfirmDlg::OnYes)
    ON_BN_CLICKED(IDNO, &CConfirmDlg::OnNo)
END_MESSAGE_MAP()

CConfirmDlg::CConfirmDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CString CConfirmDlg::MessageFor(const CStringArray& selection)
{
    CString text;
    if (selection.GetSize() < 2)
    {
        const CString path = selection.IsEmpty() ? CString() : selection[0];
        text = L"Do you really want to delete the \"" + path + L"\" ?\nThis operation cannot be undone.";
    }
    else
    {
        text.Format(L"Do you really want to delete the %d selected objects?\nThis operation cannot be undone.",
                    static_cast<int>(selection.GetSize()));
    }
    return text;
}

BOOL CConfirmDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_CONFIRM_MESSAGE, MessageFor(m_pSelection ? *m_pSelection : CStringArray()));
    return TRUE;
}

void CConfirmDlg::OnYes()
{
    EndDialog(IDYES);
}

void CConfirmDlg::OnNo()
{
    EndDialog(IDNO);
}
