// The fancy report list on a real screen: a heading row, a checked row with a wrapped
// description and a plain row, on cream rows. A failing case leaves its capture in the build
// tree (captures\).
#include <suitecore/sysinfo.h>
#include <suitecore/ui/fancylistctrl.h>
#include <testsupport/ui.h>

#include <framework/window.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
class CScreenParent : public CWnd
{
public:
    BOOL Create()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"FancyListScreenParent";
        RegisterClassW(&wc);
        return CreateEx(WS_EX_TOPMOST, L"FancyListScreenParent", L"list", WS_POPUP, 40, 40, 480, 300, nullptr,
                        nullptr);
    }
};

void Pump()
{
    MSG msg;
    for (int i = 0; i < 20; ++i)
    {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(50);
    }
}

constexpr unsigned kCream = 0xF6ECCA;
constexpr unsigned kBoxEdge = 0x96AAC0; // the check box's frame in bitmap 1092
constexpr unsigned kTitleGrey = 0x555555;
} // namespace

TEST(FancyListScreen, HeadingCheckedRowAndWrappedDescription)
{
    GetOsMajorVersion();
    const HMODULE core = GetModuleHandleW(L"suitecore.dll");
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    CScreenParent parent;
    ASSERT_TRUE(parent.Create());
    CFancyListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER,
                            RECT{0, 0, 480, 300}, &parent, 1229));
    list.InsertColumn(0, L"", LVCFMT_LEFT, 24);
    list.InsertColumn(1, L"Tool", LVCFMT_LEFT, 220);
    list.SetCheckColumn(0);
    list.SetDescriptionColumn(1);
    list.m_crBackgroundAlt = RGB(1, 2, 3); // the two backgrounds differ: cream rows
    for (int i = 0; i < 3; ++i)
        list.InsertItem(i, L"");
    list.SetItemTitle(0, L"Cleaners");
    list.SetItemKind(0, CFancyListCtrl::kRowHeading);
    list.SetItemTitle(1, L"Disk Cleaner");
    list.SetItemDescription(1, L"Finds the files that programs leave behind and removes them after asking");
    list.SetCheck(1);
    list.SetItemTitle(2, L"Registry Cleaner");
    ASSERT_GE(list.GetRowHeight(), 2 * list.m_nBodyLineHeight + list.m_nTitleLineHeight + 5);

    parent.ShowWindow(SW_SHOW);
    parent.SetForegroundWindow();
    parent.UpdateWindow();
    Pump();
    RECT rows[3];
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list.GetItemRect(i, &rows[i], LVIR_BOUNDS));
    const testsupport::Capture screen = testsupport::CaptureClient(list.m_hWnd);
    bool ok = true;
    const auto check = [&ok](bool condition) { ok = ok && condition; return condition; };

    // Rows are cream, one pixel short of their rectangles.
    for (const RECT& row : rows)
    {
        const RECT fill{row.left + 30, row.top, row.right, row.bottom - 1};
        const int area = (fill.right - fill.left) * (fill.bottom - fill.top);
        EXPECT_TRUE(check(testsupport::CountColour(screen, fill, kCream, 0) > area / 2));
    }
    // The checked row's box is centred in the check cell and shows the checked picture (its
    // magenta rim is transparent).
    const int x0 = (24 - 15) / 2;
    const int y0 = static_cast<int>(rows[1].top) + (static_cast<int>(rows[1].bottom - rows[1].top) - 15) / 2;
    const testsupport::Capture boxes = testsupport::LoadBitmapPixels(core, IDB_FANCYLIST_CHECK);
    const std::string diff = testsupport::CompareRegion(screen, x0 + 1, y0 + 1, boxes, RECT{16, 1, 29, 14});
    EXPECT_EQ("", diff);
    check(diff.empty());
    // No box on the heading row; the unchecked box on the last row.
    EXPECT_TRUE(check(testsupport::CountColour(screen, RECT{0, rows[0].top, 24, rows[0].bottom}, kBoxEdge, 8) == 0));
    EXPECT_TRUE(check(testsupport::CountColour(screen, RECT{0, rows[2].top, 24, rows[2].bottom}, kBoxEdge, 8) > 20));
    // The description's second line lies below the first, in the title grey.
    const int firstLine = rows[1].top + list.m_nTitleLineHeight + 3;
    const RECT secondLine{24, firstLine + list.m_nBodyLineHeight, 244, firstLine + 2 * list.m_nBodyLineHeight};
    EXPECT_TRUE(check(testsupport::CountColour(screen, secondLine, kTitleGrey, 40) > 10));
    if (!ok)
        testsupport::SaveCaptureForReview(screen, L"fancylist_screen");
    parent.DestroyWindow();
}
