// "SuiteDiag ui list": a pop-up holding the fancy report list with sample rows: a heading, rows
// with check boxes, titles and wrapped descriptions. Prints the checked rows when it closes.
#include "output.h"
#include "ui_sample_ids.h"
#include "ui_view.h"

#include <suitecore/ui/basewnd.h>
#include <suitecore/ui/fancylistctrl.h>

#include <iterator>

namespace suitediag
{
namespace
{
struct SampleRow
{
    LPCWSTR title;
    LPCWSTR description;
    DWORD kind;
    bool checked;
};

const SampleRow kSampleRows[] = {
    {L"Cleaners", L"", CFancyListCtrl::kRowHeading, false},
    {L"Disk Cleaner", L"Finds the files that programs leave behind and removes them after asking.", 0, true},
    {L"Registry Cleaner", L"Looks for entries that point at programs and files that are gone.", 0, false},
    {L"Optimisers", L"", CFancyListCtrl::kRowHeading, false},
    {L"Start-up Manager", L"Shows what starts with Windows:\nprograms, services and scheduled tasks.", 0, true},
    {L"Secure Delete", L"Overwrites files before deleting them, so that C:\\Users\\Shared\\Old\\Notes.txt stays gone.",
     0, false},
};

class CListSample : public CDlgBaseChildPopUpWndBase
{
public:
    CListSample() : CDlgBaseChildPopUpWndBase(IDD_SUITEDIAG_LIST, nullptr)
    {
        SetHeaderStyle(1);
        m_bMaximisable = 0;
    }

    BOOL OnInitDialog() override
    {
        CDlgBaseChildPopUpWndBase::OnInitDialog();
        MoveWindow(20, 20, 560, 420);
        m_list.SubclassDlgItem(IDC_SUITEDIAG_LIST, this);
        m_list.MoveWindow(16, 48, 528, 350);
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, L"", LVCFMT_LEFT, 24);
        m_list.InsertColumn(1, L"Tool", LVCFMT_LEFT, 330);
        m_list.InsertColumn(2, L"Tips", LVCFMT_LEFT, 146);
        m_list.SetCheckColumn(0);
        m_list.SetDescriptionColumn(1);
        for (int i = 0; i < static_cast<int>(std::size(kSampleRows)); ++i)
        {
            const SampleRow& row = kSampleRows[i];
            m_list.InsertItem(i, L"");
            m_list.SetItemText(i, 2, row.kind ? L"" : L"Right-click for more");
            m_list.SetItemTitle(i, row.title);
            m_list.SetItemDescription(i, row.description);
            m_list.SetItemKind(i, row.kind);
            m_list.SetCheck(i, row.checked);
        }
        OutFormat(L"ready hwnd=0x%08X\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_hWnd)));
        return TRUE;
    }

protected:
    void OnClose()
    {
        CString checked;
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            if (m_list.GetCheck(i))
                checked.AppendFormat(checked.IsEmpty() ? L"%d" : L",%d", i);
        OutFormat(L"checked %s\n", checked.GetString());
        EndDialog(IDCANCEL);
    }

    DECLARE_MESSAGE_MAP()

private:
    CFancyListCtrl m_list;
};

BEGIN_MESSAGE_MAP(CListSample, CDlgBaseChildPopUpWndBase)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

int RunList(Args& args, BOOL)
{
    args.ExpectEnd();
    CListSample sample;
    sample.DoModal();
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(list, L"list", L"", L"Shows the fancy report list with sample rows; prints the checked rows on close",
                  false, RunList);
} // namespace suitediag
