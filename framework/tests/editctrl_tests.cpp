// The text-entry controls: each is created under a window, takes its limit and answers with it.
#include <framework/editctrls.h>

#include <gtest/gtest.h>

#include <functional>

TEST(EditControls, LimitsAndContents)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr));
    const RECT rc = {0, 0, 200, 100};
    CEdit edit;
    CRichEditCtrl rich;
    CComboBox combo;
    struct Case
    {
        const char* name;
        std::function<BOOL()> create;
        std::function<void()> limit;
        std::function<long()> answer;
        long expected;
    } cases[] = {
        {"edit", [&] { return edit.Create(WS_CHILD | ES_AUTOHSCROLL, rc, &parent, 11); }, [&] { edit.LimitText(400); },
         [&] { return static_cast<long>(edit.GetLimitText()); }, 400},
        {"rich edit", [&] { return rich.Create(WS_CHILD | ES_MULTILINE, rc, &parent, 12); },
         [&] { rich.LimitText(600); }, [&] { return rich.GetLimitText(); }, 600},
        {"combo box", [&] { return combo.Create(WS_CHILD | CBS_DROPDOWNLIST, rc, &parent, 13); },
         [&]
         {
             combo.AddString(L"zero");
             combo.AddString(L"one");
             combo.SetCurSel(1);
         },
         [&] { return static_cast<long>(combo.GetCurSel() * 10 + combo.GetCount()); }, 12},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.create());
        c.limit();
        EXPECT_EQ(c.expected, c.answer());
    }
    CString text;
    EXPECT_EQ(3, combo.GetLBText(1, text));
    EXPECT_STREQ(L"one", text);
    EXPECT_EQ(CB_ERR, combo.GetLBText(5, text));
    EXPECT_STREQ(L"", text);
    rich.SetWindowText(L"abc");
    rich.SetSel(1, 2);
    rich.ReplaceSel(L"XY");
    rich.GetWindowText(text);
    EXPECT_STREQ(L"aXYc", text);
    parent.DestroyWindow();
}
