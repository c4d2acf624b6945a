// SuiteDiag sort: items sorted in a hidden report list with SortListCtrl, once for every column
// of a sequence, as a tool's list sorts on header clicks.
#include "command.h"

#include <suitecore/ui/listsort.h>

#include <framework/listctrl.h>

#include <commctrl.h>

#include <memory>

namespace
{
// Column numbers separated by commas, each 0 or 1.
std::vector<int> ParseSequence(const CString& text)
{
    std::vector<int> columns;
    int start = 0;
    for (;;)
    {
        const int comma = text.Find(L',', start);
        const CString part = comma < 0 ? text.Mid(start) : text.Mid(start, comma - start);
        if (part != L"0" && part != L"1")
            throw suitediag::UsageError{L"--sequence takes columns 0 and 1 separated by commas, not \"" + text + L"\""};
        columns.push_back(part == L"1" ? 1 : 0);
        if (comma < 0)
            return columns;
        start = comma + 1;
    }
}

int ParseKind(const CString& text)
{
    if (text.GetLength() == 1 && text[0] >= L'1' && text[0] <= L'4')
        return text[0] - L'0';
    throw suitediag::UsageError{L"KIND is 1 (integer), 2 (text), 3 (date) or 4 (float), not \"" + text + L"\""};
}

// A hidden window holding a report list with two columns of the same texts; the item data is
// the item's position on the command line.
class CHiddenList
{
public:
    explicit CHiddenList(const std::vector<CString>& items)
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        if (!m_host.CreateEx(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr) ||
            !m_list.Create(WS_CHILD | LVS_REPORT, RECT{0, 0, 400, 300}, &m_host, 1))
            return;
        m_list.InsertColumn(0, L"first", LVCFMT_LEFT, 150);
        m_list.InsertColumn(1, L"second", LVCFMT_LEFT, 150);
        for (size_t i = 0; i < items.size(); ++i)
        {
            const int nItem = m_list.InsertItem(static_cast<int>(i), items[i]);
            m_list.SetItemText(nItem, 1, items[i]);
            m_list.SetItemData(nItem, i);
        }
    }
    ~CHiddenList() { m_host.DestroyWindow(); }
    CHiddenList(const CHiddenList&) = delete;
    CHiddenList& operator=(const CHiddenList&) = delete;

    bool Ready() const { return ::IsWindow(m_list.m_hWnd) && m_list.GetItemCount() >= 0; }
    CListCtrl& List() { return m_list; }

private:
    CWnd m_host;
    CListCtrl m_list;
};

int RunSort(suitediag::Args& args)
{
    const int kind = ParseKind(args.Next(L"KIND"));
    std::vector<int> sequence{0};
    CString value;
    while (args.TakeOptionValue(L"--sequence", value))
        sequence = ParseSequence(value);
    const bool separated = args.TakeOption(L"--");
    const std::vector<CString> items = args.Rest();
    if (!separated)
        for (const CString& item : items)
            if (!item.IsEmpty() && item[0] == L'-')
                throw suitediag::UsageError{L"items that begin with a minus come after --: " + item};

    CHiddenList hidden(items);
    if (!hidden.Ready())
    {
        suitediag::ErrLine(L"SuiteDiag sort: the list could not be created");
        return 1;
    }
    CListCtrl& list = hidden.List();
    suitediag::OutBuffer out;
    for (size_t pass = 0; pass < sequence.size(); ++pass)
    {
        if (!SortListCtrl(&list, sequence[pass], kind))
        {
            out.Flush();
            suitediag::ErrFormat(L"SuiteDiag sort: sorting on column %d failed\n", sequence[pass]);
            return 1;
        }
        if (pass > 0)
            out.AppendFormat(L"\n");
        for (int i = 0; i < list.GetItemCount(); ++i)
            out.AppendFormat(L"%s\n", items[list.GetItemData(i)].GetString());
    }
    return 0;
}
} // namespace

SUITEDIAG_COMMAND(sort, L"sort", L"KIND [--sequence COLS] [--] ITEM...",
                  L"Sorts the items with SortListCtrl (1 integer, 2 text, 3 date, 4 float) on each column of COLS "
                  L"(default 0) and prints the order after each sort",
                  RunSort);
