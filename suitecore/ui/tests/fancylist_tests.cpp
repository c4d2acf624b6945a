// The fancy report list driven through the real list view: word wrap and row heights, check
// clicks, header drags through the real header, the per-row arrays across every way rows come
// and go; and SortListCtrl over the four comparison kinds.
#include <suitecore/sysinfo.h>
#include <suitecore/ui/fancylistctrl.h>
#include <suitecore/ui/listsort.h>
#include <testsupport/ui.h>

#include <framework/exception.h>
#include <framework/window.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A framework window, so that the list's notifications are reflected back to the list.
class CListParent : public CWnd
{
public:
    BOOL Create()
    {
        static const ATOM s_class = []
        {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"FancyListTestParent";
            return RegisterClassW(&wc);
        }();
        return s_class && CreateEx(0, L"FancyListTestParent", L"list test", WS_POPUP, 0, 0, 480, 360, nullptr, nullptr);
    }
};

constexpr int kListId = 1229;

class ListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetOsMajorVersion(); // SuiteCore bound and its resources in the chain, as in a tool
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(m_parent.Create());
        ASSERT_TRUE(m_icons.Create(24, 24, ILC_COLOR32 | ILC_MASK, 2, 0));
        m_icons.SetImageCount(2);
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
    }

    // Columns: check (24), description (descWidth, the last column unless tips).
    void CreateList(int descWidth = 200, bool tips = false)
    {
        m_pList = std::make_unique<CFancyListCtrl>();
        ASSERT_TRUE(List().Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, RECT{0, 0, 460, 340},
                                  &m_parent, kListId));
        List().InsertColumn(0, L"", LVCFMT_LEFT, 24);
        List().InsertColumn(1, L"Tool", LVCFMT_LEFT, descWidth);
        if (tips)
            List().InsertColumn(2, L"Tips", LVCFMT_LEFT, 146);
        List().SetCheckColumn(0);
        List().SetDescriptionColumn(1);
    }
    void AddRows(std::initializer_list<const wchar_t*> titles)
    {
        for (const wchar_t* title : titles)
        {
            const int nItem = List().InsertItem(List().GetItemCount(), L"");
            List().SetItemTitle(nItem, title); // refused without a description column
        }
    }
    int ShownRowHeight() const
    {
        RECT rc{};
        EXPECT_TRUE(List().GetItemRect(0, &rc, LVIR_BOUNDS));
        return rc.bottom - rc.top;
    }
    int BodyPlusTitle(int lines) const
    {
        return List().m_nBodyLineHeight * lines + List().m_nTitleLineHeight + 5;
    }
    std::vector<std::wstring> Titles() const
    {
        std::vector<std::wstring> titles;
        for (int i = 0; i < List().GetItemCount(); ++i)
            titles.emplace_back(List().GetItemTitle(i).GetString());
        return titles;
    }
    std::vector<int> Checks() const
    {
        std::vector<int> checks;
        for (int i = 0; i < List().GetItemCount(); ++i)
            checks.push_back(List().GetCheck(i));
        return checks;
    }
    // Every array has one entry per item.
    void ExpectInStep() const
    {
        const INT_PTR n = List().GetItemCount();
        EXPECT_EQ(n, List().m_arrChecked.GetSize());
        EXPECT_EQ(n, List().m_arrImage.GetSize());
        EXPECT_EQ(n, List().m_arrTitle.GetSize());
        EXPECT_EQ(n, List().m_arrDescription.GetSize());
        EXPECT_EQ(n, List().m_arrKind.GetSize());
    }

    CFancyListCtrl& List() { return *m_pList; }
    const CFancyListCtrl& List() const { return *m_pList; }

    CListParent m_parent;
    std::unique_ptr<CFancyListCtrl> m_pList; // a fresh list for every CreateList
    CImageList m_icons;
};

using FancyListWrap = ListTest;
using FancyListClicks = ListTest;
using FancyListHeader = ListTest;
using FancyListRows = ListTest;

std::wstring WithoutBlanks(std::wstring text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](wchar_t c) { return c == L' ' || c == L'\t'; }),
               text.end());
    return text;
}

std::wstring Repeat(const std::wstring& piece, int count)
{
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}
} // namespace

// The row grows to the tallest description: body line height x lines + title line height + 5.
TEST_F(FancyListWrap, RowHeightFollowsTheWrappedLines)
{
    struct Case
    {
        const char* name;
        std::wstring description;
        int lines;
    };
    const Case cases[] = {
        {"a word longer than the column stays whole", L"Averyveryveryverylongwordwithoutanybreakcharacter", 1},
        {"line feeds end lines", L"one\ntwo\nthree", 3},
        {"at most 100 lines", Repeat(L"x\n", 150), 100},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CreateList(80);
        AddRows({L"title"});
        ASSERT_TRUE(List().SetItemDescription(0, c.description.c_str()));
        EXPECT_EQ(BodyPlusTitle(c.lines), List().GetRowHeight());
        EXPECT_EQ(BodyPlusTitle(c.lines), ShownRowHeight());
        List().DestroyWindow();
    }
}

// Wrapped lines fit the width, break after a space, backslash or tab, and keep every word.
TEST_F(FancyListWrap, LinesFitAndBreakAtSpaceBackslashAndTab)
{
    CreateList(120);
    CClientDC dc(&List());
    const HGDIOBJ old = SelectObject(dc.m_hDC, List().m_fontBody.m_hObject);
    const CString text = L"C:\\Tools\\Cleaner\\Data\\Cache\tcleans the registry and the disk of every "
                         L"trace the removed programs left behind";
    const int lines = List().WrapText(&dc, text, 116);
    EXPECT_GT(lines, 3);
    std::wstring joined;
    for (POSITION pos = List().m_lstLines.GetHeadPosition(); pos;)
    {
        const CString line = List().m_lstLines.GetNext(pos);
        SIZE size{};
        GetTextExtentPoint32W(dc.m_hDC, line, line.GetLength(), &size);
        EXPECT_LE(size.cx, 116) << std::wstring(line.GetString());
        const bool broken = line[line.GetLength() - 1] == L'\\' || text.Find(line + L" ") >= 0 ||
                            text.Find(line + L"\t") >= 0;
        EXPECT_TRUE(!pos || broken) << std::wstring(line.GetString());
        joined += line.GetString();
    }
    EXPECT_EQ(WithoutBlanks(text.GetString()), WithoutBlanks(joined));
    SelectObject(dc.m_hDC, old);
}

// The floors: 19 with a check column, the icon height + 4 with an icon column, 22 without a
// description column.
TEST_F(FancyListWrap, RowHeightFloors)
{
    struct Case
    {
        const char* name;
        std::function<void(CFancyListCtrl&, CImageList&)> setUp;
        std::function<int(const CFancyListCtrl&)> expected;
    };
    const Case cases[] = {
        {"check and description columns", [](CFancyListCtrl&, CImageList&) {},
         [](const CFancyListCtrl& l) { return std::max(19, l.m_nTitleLineHeight + 5); }},
        {"an icon column of 24-pixel icons", [](CFancyListCtrl& l, CImageList& icons) { l.AddIconColumn(&icons); },
         [](const CFancyListCtrl& l) { return std::max(28, l.m_nTitleLineHeight + 5); }},
        {"no description column", [](CFancyListCtrl& l, CImageList&) { l.SetDescriptionColumn(-1); },
         [](const CFancyListCtrl&) { return 22; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CreateList();
        c.setUp(List(), m_icons);
        AddRows({L"one", L"two"});
        EXPECT_EQ(c.expected(List()), List().GetRowHeight());
        EXPECT_EQ(c.expected(List()), ShownRowHeight());
        List().DestroyWindow();
    }
}

// A press or double click toggles the row under the cursor only; the header and the space
// below the last row toggle nothing.
TEST_F(FancyListClicks, ToggleTheRowUnderTheCursorOnly)
{
    CreateList();
    AddRows({L"zero", L"one", L"two"});
    RECT rc0{}, rc2{};
    ASSERT_TRUE(List().GetItemRect(0, &rc0, LVIR_BOUNDS));
    ASSERT_TRUE(List().GetItemRect(2, &rc2, LVIR_BOUNDS));
    const int h = rc0.bottom - rc0.top;
    struct Case
    {
        const char* name;
        UINT message;
        int y;
        std::vector<int> checks;
    };
    const Case cases[] = {
        {"press on row 1", WM_LBUTTONDOWN, static_cast<int>(rc0.top) + h + h / 2, {0, 1, 0}},
        {"press on the last row's bottom pixel", WM_LBUTTONDOWN, static_cast<int>(rc2.bottom) - 1, {0, 0, 1}},
        {"double click on row 0", WM_LBUTTONDBLCLK, static_cast<int>(rc0.top) + 1, {1, 0, 0}},
        {"press on the header", WM_LBUTTONDOWN, static_cast<int>(rc0.top) / 2, {0, 0, 0}},
        {"press below the last row", WM_LBUTTONDOWN, static_cast<int>(rc2.bottom) + 2 * h, {0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 3; ++i)
            List().SetCheck(i, FALSE);
        List().SendMessage(c.message, MK_LBUTTON, MAKELPARAM(60, c.y));
        List().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(60, c.y));
        EXPECT_EQ(c.checks, Checks());
        ExpectInStep();
    }
}

// AddIconColumn inserts "module name" (30 wide) once, behind the check column. Widths set
// through the real header: the check column keeps its width, the icon column keeps at least the
// icon's, the description column at least 50.
TEST_F(FancyListHeader, IconColumnAndDragsBelowTheLimits)
{
    CreateList(200, true);
    ASSERT_TRUE(List().AddIconColumn(&m_icons));
    EXPECT_FALSE(List().AddIconColumn(&m_icons));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 24}), (std::vector<int>{List().m_nCheckColumn, List().m_nIconColumn,
                                                                 List().m_nDescriptionColumn,
                                                                 List().m_rcIcon.right - List().m_rcIcon.left}));
    wchar_t text[32] = {};
    HDITEMW heading{};
    heading.mask = HDI_TEXT | HDI_WIDTH;
    heading.pszText = text;
    heading.cchTextMax = 32;
    ASSERT_TRUE(List().GetHeaderCtrl()->GetItem(1, &heading));
    EXPECT_STREQ(L"module name", text);
    EXPECT_EQ(30, heading.cxy);
    const HWND header = List().GetHeaderCtrl()->m_hWnd;
    struct Case
    {
        const char* name;
        int column;
        int width;
        bool accepted;
    };
    const Case cases[] = {
        {"check column wider", 0, 40, false},  {"check column narrower", 0, 10, false},
        {"icon below the icon", 1, 20, false}, {"icon at least the icon", 1, 36, true},
        {"description at 49", 2, 49, false},   {"description at 50", 2, 50, true},
        {"description wider", 2, 260, true},   {"tips column", 3, 20, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int before = List().GetColumnWidth(c.column);
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = c.width;
        const BOOL set = static_cast<BOOL>(SendMessageW(header, HDM_SETITEMW, c.column, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(c.accepted, set != FALSE);
        EXPECT_EQ(c.accepted ? c.width : before, List().GetColumnWidth(c.column));
    }
}

// The end of a divider drag measures the rows again in the new width.
TEST_F(FancyListHeader, EndOfDragMeasuresTheRowsAgain)
{
    CreateList(400);
    AddRows({L"title"});
    List().SetItemDescription(0, L"a few words that wrap when narrow");
    ASSERT_EQ(BodyPlusTitle(1), List().GetRowHeight());
    List().SetColumnWidth(1, 80);
    NMHEADERW end{};
    end.hdr = NMHDR{List().GetHeaderCtrl()->m_hWnd, 0, static_cast<UINT>(HDN_ENDTRACKW)};
    end.iItem = 1;
    List().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&end));
    EXPECT_GT(List().GetRowHeight(), BodyPlusTitle(2) - 1);
    EXPECT_EQ(List().GetRowHeight(), ShownRowHeight());
}

// The check images come from bitmap 1092, two of 15 x 15; the same bitmap as a 32-bit list with
// a mask draws magenta as transparent.
TEST_F(FancyListRows, CheckImagesAndA32BitListFromABitmap)
{
    CreateList();
    EXPECT_EQ(2, List().m_imgCheck.GetImageCount());
    CImageList boxes;
    ASSERT_TRUE(boxes.CreateFromBitmap(IDB_FANCYLIST_CHECK, 15, ILC_COLOR32 | ILC_MASK, RGB(255, 0, 255)));
    EXPECT_EQ(2, boxes.GetImageCount());
    int cx = 0, cy = 0;
    ASSERT_TRUE(boxes.GetIconSize(&cx, &cy));
    EXPECT_EQ(15, cx);
    EXPECT_EQ(15, cy);
    testsupport::PaintSurface surface(15, 15, 0x00A000);
    ASSERT_TRUE(ImageList_Draw(boxes, 1, surface.Dc(), 0, 0, ILD_TRANSPARENT));
    const testsupport::Capture pixels = surface.Pixels();
    EXPECT_EQ(0x00A000u, pixels.At(0, 0));   // magenta: the surface shows through
    EXPECT_EQ(0x96AAC0u, pixels.At(1, 1));   // the box's frame
    EXPECT_EQ(0xFFFFFFu, pixels.At(12, 12)); // its white inside
    EXPECT_FALSE(CImageList().CreateFromBitmap(4242, 15, ILC_COLOR32 | ILC_MASK, RGB(255, 0, 255)));
}

// Rows inserted anywhere keep their titles, checks and icons with them; each way of emptying
// the list leaves the arrays empty and in step.
TEST_F(FancyListRows, ArraysStayInStepWithTheItems)
{
    CreateList();
    AddRows({L"B", L"D"});
    List().SetCheck(1);
    struct Insert
    {
        int at;
        const wchar_t* title;
    };
    for (const Insert& insert : {Insert{0, L"A"}, Insert{3, L"E"}, Insert{2, L"C"}})
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = insert.at;
        item.pszText = const_cast<LPWSTR>(insert.title);
        item.lParam = insert.title[0] - L'A';
        ASSERT_EQ(insert.at, List().InsertItem(&item));
        List().SetItemTitle(insert.at, insert.title);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"B", L"C", L"D", L"E"}), Titles());
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 0}), Checks());
    EXPECT_EQ(2u, List().m_arrImage[2]); // the item data of "C"
    ASSERT_TRUE(List().DeleteItem(1));
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"C", L"D", L"E"}), Titles());
    EXPECT_EQ((std::vector<int>{0, 0, 1, 0}), Checks());
    ExpectInStep();

    const std::function<void(CFancyListCtrl&)> empties[] = {
        [](CFancyListCtrl& l) { l.DeleteAllRows(); },
        [](CFancyListCtrl& l) { l.DeleteAllItems(); },
        [](CFancyListCtrl& l) { SendMessageW(l.m_hWnd, LVM_DELETEALLITEMS, 0, 0); },
    };
    for (const auto& empty : empties)
    {
        empty(List());
        EXPECT_EQ(0, List().GetItemCount());
        ExpectInStep();
        AddRows({L"again", L"more"});
        List().SetCheck(1);
        EXPECT_EQ((std::vector<int>{0, 1}), Checks());
        ExpectInStep();
    }
}

// A list view made elsewhere (a dialog template's, say) and subclassed afterwards measures its
// rows and keeps its arrays as one the list created.
TEST_F(FancyListRows, SubclassedListBehavesAsCreated)
{
    const HWND hList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED,
                                       0, 0, 460, 340, m_parent.m_hWnd, reinterpret_cast<HMENU>(kListId),
                                       GetModuleHandleW(nullptr), nullptr);
    m_pList = std::make_unique<CFancyListCtrl>();
    ASSERT_TRUE(List().SubclassWindow(hList));
    List().InsertColumn(0, L"", LVCFMT_LEFT, 24);
    List().InsertColumn(1, L"Tool", LVCFMT_LEFT, 200);
    List().SetCheckColumn(0);
    List().SetDescriptionColumn(1);
    AddRows({L"one", L"two"});
    List().SetItemDescription(1, L"first\nsecond");
    EXPECT_EQ(BodyPlusTitle(2), ShownRowHeight());
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two"}), Titles());
    ExpectInStep();
}

// Notifications and draw requests for rows the arrays do not hold change nothing and throw
// nothing; accessors refuse such rows.
TEST_F(FancyListRows, OutOfRangeRowsAreIgnored)
{
    CreateList();
    AddRows({L"one", L"two"});
    for (const UINT code : {static_cast<UINT>(LVN_DELETEITEM), static_cast<UINT>(LVN_INSERTITEM)})
    {
        for (const int index : {-1, 7})
        {
            NMLISTVIEW nm{};
            nm.hdr = NMHDR{List().m_hWnd, static_cast<UINT_PTR>(kListId), code};
            nm.iItem = index;
            m_parent.SendMessage(WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&nm));
            EXPECT_EQ((std::vector<std::wstring>{L"one", L"two"}), Titles()) << code << " " << index;
            ExpectInStep();
        }
    }
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTVIEW;
    dis.itemID = 9;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = List().m_hWnd;
    dis.hDC = GetDC(List().m_hWnd);
    dis.rcItem = RECT{0, 0, 200, 30};
    m_parent.SendMessage(WM_DRAWITEM, kListId, reinterpret_cast<LPARAM>(&dis));
    ReleaseDC(List().m_hWnd, dis.hDC);
    EXPECT_FALSE(List().SetItemTitle(2, L"x"));
    EXPECT_FALSE(List().SetCheck(-1));
    EXPECT_FALSE(List().GetCheck(5));
    EXPECT_TRUE(List().GetItemTitle(5).IsEmpty());
}

// ---- Sorting ----------------------------------------------------------------------------

namespace
{
class SortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(m_parent.Create());
        ASSERT_TRUE(m_list.Create(WS_CHILD | LVS_REPORT, RECT{0, 0, 300, 200}, &m_parent, 1));
        m_list.InsertColumn(0, L"a", LVCFMT_LEFT, 100);
        m_list.InsertColumn(1, L"b", LVCFMT_LEFT, 100);
        // The direction is one for the process: a sort of a column no case uses makes the
        // case's first sort start ascending.
        SortListCtrl(&m_list, 9, LIST_SORT_TEXT);
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
    }
    void Fill(const std::vector<std::wstring>& items)
    {
        m_items = items;
        for (size_t i = 0; i < items.size(); ++i)
        {
            m_list.InsertItem(static_cast<int>(i), items[i].c_str());
            m_list.SetItemText(static_cast<int>(i), 1, items[i].c_str());
            m_list.SetItemData(static_cast<int>(i), 100 + i);
        }
    }
    // The order of the texts, each checked against its item's own data.
    std::vector<std::wstring> Order()
    {
        std::vector<std::wstring> order;
        for (int i = 0; i < m_list.GetItemCount(); ++i)
        {
            const std::wstring text = m_list.GetItemText(i, 0).GetString();
            const DWORD_PTR data = m_list.GetItemData(i);
            EXPECT_TRUE(data >= 100 && data < 100 + m_items.size() && m_items[data - 100] == text)
                << "item " << i << " lost its data";
            order.push_back(text);
        }
        return order;
    }

    CListParent m_parent;
    CListCtrl m_list;
    std::vector<std::wstring> m_items;
};

using ListSort = SortTest;
using Texts = std::vector<std::wstring>;
} // namespace

TEST_F(ListSort, FourKindsAndTheDirection)
{
    struct Step
    {
        int column;
        Texts order;
    };
    struct Case
    {
        const char* name;
        int kind;
        Texts items;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"integers: separators and the minus sign are dropped; the same column reverses, another starts ascending",
         LIST_SORT_INTEGER,
         {L"1,234", L"999", L"-5", L"12"},
         {{0, {L"-5", L"12", L"999", L"1,234"}}, {0, {L"1,234", L"999", L"12", L"-5"}},
          {1, {L"-5", L"12", L"999", L"1,234"}}}},
        {"-5 sorts as 5", LIST_SORT_INTEGER, {L"6", L"-5", L"4"}, {{0, {L"4", L"-5", L"6"}}}},
        {"text without case", LIST_SORT_TEXT, {L"beta", L"Gamma", L"alpha"},
         {{1, {L"alpha", L"beta", L"Gamma"}}, {1, {L"Gamma", L"beta", L"alpha"}}}},
        {"dates by their day", LIST_SORT_DATE, {L"3/1/2024", L"12/31/2023 23:59", L"1/15/2024"},
         {{0, {L"12/31/2023 23:59", L"1/15/2024", L"3/1/2024"}}, {0, {L"3/1/2024", L"1/15/2024", L"12/31/2023 23:59"}}}},
        {"dates that do not parse count as ordered", LIST_SORT_DATE, {L"soon", L"later", L"never"},
         {{0, {L"soon", L"later", L"never"}}}},
        {"floats", LIST_SORT_FLOAT, {L"2.5", L"-1.25", L"10", L"0.75"},
         {{0, {L"-1.25", L"0.75", L"2.5", L"10"}}, {1, {L"-1.25", L"0.75", L"2.5", L"10"}}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_list.DeleteAllItems();
        SortListCtrl(&m_list, 9, LIST_SORT_TEXT);
        Fill(c.items);
        for (const Step& step : c.steps)
        {
            EXPECT_EQ(1, SortListCtrl(&m_list, step.column, c.kind));
            EXPECT_EQ(step.order, Order());
        }
    }
}

namespace
{
int CALLBACK ThrowingCompare(LPARAM, LPARAM, LPARAM)
{
    AfxThrowInvalidArgException();
}
} // namespace

// A comparison that throws cannot cross comctl32: the sort ends and every item stays.
TEST_F(ListSort, ThrowingComparisonStaysInsideTheSort)
{
    Fill({L"b", L"a", L"c"});
    m_list.SortItems(&ThrowingCompare, 0);
    EXPECT_EQ(3u, Order().size());
    EXPECT_EQ(0, SortListCtrl(nullptr, 0, LIST_SORT_TEXT));
}
