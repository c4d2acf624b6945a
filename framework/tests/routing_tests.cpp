// Dispatch, routing and reflection of the message maps, owner-drawn items and menus, the
// data exchange, the modal loop's idle work, and the barriers of the new callbacks.
#include "window_test_resources.h"

#include <framework/app.h>
#include <framework/dialog.h>
#include <framework/exception.h>
#include <framework/gdi.h>
#include <framework/menu.h>
#include <framework/module.h>
#include <framework/window.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
const UINT WM_A = WM_APP + 10;
const UINT WM_B = WM_APP + 11;
const UINT WM_C = WM_APP + 12;
const UINT WM_D = WM_APP + 13;

// A framework exception that counts how many of its kind are alive.
int g_liveExceptions = 0;
class CCountedException : public CException
{
public:
    CCountedException() { ++g_liveExceptions; }
    ~CCountedException() override { --g_liveExceptions; }
};

enum class Throw
{
    Framework,
    Std,
    Int
};

[[noreturn]] void ThrowKind(Throw kind)
{
    switch (kind)
    {
    case Throw::Framework:
        throw static_cast<CException*>(new CCountedException);
    case Throw::Std:
        throw std::runtime_error("escaped a callback");
    case Throw::Int:
        throw 7;
    }
    throw 0;
}

const Throw kThrows[] = {Throw::Framework, Throw::Std, Throw::Int};

BOOL CreatePopup(CWnd& wnd, LPCWSTR lpszClass = L"STATIC", DWORD dwStyle = WS_POPUP)
{
    return wnd.CreateEx(0, lpszClass, L"routing", dwStyle, 0, 0, 200, 100, nullptr, nullptr);
}

// Three levels: each answers with its level; the most derived entry wins.
class CLevel1 : public CWnd
{
public:
    LRESULT One(WPARAM, LPARAM) { return 1; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLevel1, CWnd)
    ON_MESSAGE(WM_A, &CLevel1::One)
    ON_MESSAGE(WM_B, &CLevel1::One)
END_MESSAGE_MAP()

class CLevel2 : public CLevel1
{
public:
    LRESULT Two(WPARAM, LPARAM) { return 2; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLevel2, CLevel1)
    ON_MESSAGE(WM_B, &CLevel2::Two)
    ON_MESSAGE(WM_C, &CLevel2::Two)
END_MESSAGE_MAP()

class CLevel3 : public CLevel2
{
public:
    LRESULT Three(WPARAM, LPARAM) { return 3; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLevel3, CLevel2)
    ON_MESSAGE(WM_C, &CLevel3::Three)
END_MESSAGE_MAP()
} // namespace

TEST(DispatchTest, TheMostDerivedEntryWinsAndBaseEntriesServeTheRest)
{
    CLevel3 wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    const struct
    {
        UINT message;
        LRESULT expected;
    } cases[] = {{WM_A, 1}, {WM_B, 2}, {WM_C, 3}, {WM_D, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, wnd.SendMessage(c.message)) << c.message;
    wnd.DestroyWindow();
}

namespace
{
// Records what its handlers received, and answers with what the test set.
class CAnswerWnd : public CWnd
{
public:
    std::vector<std::pair<UINT, UINT>> m_calls; // (kind, value)
    HBRUSH m_hBrush = nullptr;
    HDC m_hEraseDC = nullptr;
    HWND m_hCursorWnd = nullptr;
    CPoint m_point;

    void OnRange(UINT nID) { m_calls.push_back({WM_COMMAND, nID}); }
    void OnControlRange(UINT nID) { m_calls.push_back({EN_CHANGE, nID}); }

    BOOL OnEraseBkgnd(CDC* pDC)
    {
        m_hEraseDC = pDC->GetSafeHdc();
        return TRUE;
    }
    HBRUSH OnCtlColor(CDC*, CWnd* pWnd, UINT nCtlColor)
    {
        m_calls.push_back({WM_CTLCOLOR, nCtlColor});
        m_hCursorWnd = pWnd->m_hWnd;
        return m_hBrush;
    }
    void OnSysCommand(UINT nID, LPARAM) { m_calls.push_back({WM_SYSCOMMAND, nID}); }
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI)
    {
        lpMMI->ptMinTrackSize = {123, 45};
        lpMMI->ptMaxTrackSize = {678, 90};
    }
    BOOL OnHelpInfo(HELPINFO* pHelpInfo) { return pHelpInfo->iCtrlId == 77; }
    void OnLButtonDown(UINT nFlags, CPoint point) { Mouse(WM_LBUTTONDOWN, nFlags, point); }
    void OnLButtonUp(UINT nFlags, CPoint point) { Mouse(WM_LBUTTONUP, nFlags, point); }
    void OnLButtonDblClk(UINT nFlags, CPoint point) { Mouse(WM_LBUTTONDBLCLK, nFlags, point); }
    void OnMouseMove(UINT nFlags, CPoint point) { Mouse(WM_MOUSEMOVE, nFlags, point); }
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
    {
        m_hCursorWnd = pWnd->m_hWnd;
        return nHitTest == HTCLIENT && message == WM_MOUSEMOVE;
    }
    void OnSettingChange(UINT uFlags, LPCWSTR lpszSection)
    {
        m_calls.push_back({WM_SETTINGCHANGE, uFlags + (lpszSection && *lpszSection == L'x' ? 1000u : 0u)});
    }

private:
    void Mouse(UINT message, UINT nFlags, CPoint point)
    {
        m_calls.push_back({message, nFlags});
        m_point = point;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAnswerWnd, CWnd)
    ON_COMMAND_RANGE(100, 109, &CAnswerWnd::OnRange)
    ON_CONTROL_RANGE(EN_CHANGE, 200, 209, &CAnswerWnd::OnControlRange)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SYSCOMMAND()
    ON_WM_GETMINMAXINFO()
    ON_WM_HELPINFO()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()
} // namespace

TEST(DispatchTest, RangesMatchFromTheirFirstToTheirLastIdentifier)
{
    CAnswerWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    const LPARAM control = 0x1234; // a control window no object is bound to
    const struct
    {
        UINT id;
        UINT code;
        LPARAM lParam;
    } sent[] = {
        {99, 0, 0},   {100, 0, 0},         {109, 0, 0},         {110, 0, 0},
        {199, EN_CHANGE, control}, {200, EN_CHANGE, control}, {209, EN_CHANGE, control},
        {210, EN_CHANGE, control}, {205, EN_KILLFOCUS, control},
    };
    for (const auto& s : sent)
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(s.id, s.code), s.lParam);
    const std::vector<std::pair<UINT, UINT>> expected = {
        {WM_COMMAND, 100}, {WM_COMMAND, 109}, {EN_CHANGE, 200}, {EN_CHANGE, 209}};
    EXPECT_EQ(expected, wnd.m_calls);
    wnd.DestroyWindow();
}

TEST(DispatchTest, HandlerResultsReachTheSender)
{
    CAnswerWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    HWND hChild = CreateWindowExW(0, L"STATIC", L"c", WS_CHILD, 0, 0, 5, 5, wnd.m_hWnd, nullptr, nullptr, nullptr);
    HDC hDC = CreateCompatibleDC(nullptr);
    wnd.m_hBrush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));

    EXPECT_EQ(reinterpret_cast<LRESULT>(wnd.m_hBrush),
              wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hChild)));
    EXPECT_EQ(hChild, wnd.m_hCursorWnd);
    wnd.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hChild));
    wnd.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hChild));

    EXPECT_EQ(TRUE, wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hDC)));
    EXPECT_EQ(hDC, wnd.m_hEraseDC);

    EXPECT_EQ(TRUE, wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(hChild), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(hChild, wnd.m_hCursorWnd);
    EXPECT_EQ(FALSE, wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(hChild), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)));

    MINMAXINFO mmi{};
    wnd.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(123, mmi.ptMinTrackSize.x);
    EXPECT_EQ(90, mmi.ptMaxTrackSize.y);

    HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 77, hChild, 0, {0, 0}};
    EXPECT_EQ(TRUE, wnd.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
    help.iCtrlId = 78;
    EXPECT_EQ(FALSE, wnd.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));

    wnd.m_calls.clear();
    wnd.SendMessage(WM_SYSCOMMAND, SC_CONTEXTHELP);
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7));
    EXPECT_EQ(-3, wnd.m_point.x);
    EXPECT_EQ(7, wnd.m_point.y);
    wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(1, 2));
    wnd.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, MAKELPARAM(1, 2));
    wnd.SendMessage(WM_MOUSEMOVE, MK_CONTROL, MAKELPARAM(1, -2));
    EXPECT_EQ(-2, wnd.m_point.y);
    wnd.SendMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, reinterpret_cast<LPARAM>(L"x"));
    const std::vector<std::pair<UINT, UINT>> expected = {
        {WM_SYSCOMMAND, SC_CONTEXTHELP}, {WM_LBUTTONDOWN, MK_LBUTTON},
        {WM_LBUTTONUP, 0},               {WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT},
        {WM_MOUSEMOVE, MK_CONTROL},      {WM_SETTINGCHANGE, SPI_SETWORKAREA + 1000u}};
    EXPECT_EQ(expected, wnd.m_calls);

    DeleteDC(hDC);
    wnd.DestroyWindow();
}

namespace
{
// A control that colours itself through the reflected message, and takes its own clicks.
class CReflectingStatic : public CWnd
{
public:
    HBRUSH m_hBrush = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    int m_nColours = 0;
    int m_nClicks = 0;
    bool m_bThrow = false;
    Throw m_throw = Throw::Std;

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor)
    {
        ++m_nColours;
        if (m_bThrow)
            ThrowKind(m_throw);
        return (pDC && nCtlColor == CTLCOLOR_STATIC) ? m_hBrush : nullptr;
    }
    void OnClicked() { ++m_nClicks; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingStatic, CWnd)
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT(STN_CLICKED, &CReflectingStatic::OnClicked)
END_MESSAGE_MAP()

// A parent that calls the base (which reflects) or answers with its own brush.
class CColourParent : public CWnd
{
public:
    HBRUSH m_hOwnBrush = nullptr;
    int m_nClicks = 0;

    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        return m_hOwnBrush ? m_hOwnBrush : CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    void OnChildClicked() { ++m_nClicks; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CColourParent, CWnd)
    ON_WM_CTLCOLOR()
    ON_CONTROL(STN_CLICKED, 300, &CColourParent::OnChildClicked)
    ON_CONTROL(STN_DBLCLK, 300, &CColourParent::OnChildClicked)
END_MESSAGE_MAP()

struct ReflectionFixture
{
    CColourParent parent;
    CReflectingStatic child;
    HWND hChild = nullptr;
    HDC hDC = CreateCompatibleDC(nullptr);

    ReflectionFixture()
    {
        EXPECT_TRUE(CreatePopup(parent));
        hChild = CreateWindowExW(0, L"STATIC", L"c", WS_CHILD | SS_NOTIFY, 0, 0, 5, 5, parent.m_hWnd,
                                 reinterpret_cast<HMENU>(300), nullptr, nullptr);
        EXPECT_TRUE(child.SubclassWindow(hChild));
    }
    ~ReflectionFixture()
    {
        DeleteDC(hDC);
        parent.DestroyWindow();
    }
    LRESULT Colour()
    {
        return parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hChild));
    }
};
} // namespace

TEST(RoutingTest, AColourMessageReachesTheControlUnlessTheParentAnswers)
{
    ReflectionFixture f;
    EXPECT_EQ(reinterpret_cast<LRESULT>(f.child.m_hBrush), f.Colour()); // the base reflects
    EXPECT_EQ(1, f.child.m_nColours);

    f.parent.m_hOwnBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(reinterpret_cast<LRESULT>(f.parent.m_hOwnBrush), f.Colour());
    EXPECT_EQ(1, f.child.m_nColours);

    // A control that answers null leaves the parent's default.
    f.parent.m_hOwnBrush = nullptr;
    f.child.m_hBrush = nullptr;
    const LRESULT byDefault = f.Colour();
    EXPECT_EQ(2, f.child.m_nColours);
    EXPECT_EQ(DefWindowProcW(f.parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(f.hDC),
                             reinterpret_cast<LPARAM>(f.hChild)),
              byDefault);
}

TEST(RoutingTest, AControlTakesItsOwnNotificationBeforeItsParent)
{
    ReflectionFixture f;
    f.parent.SendMessage(WM_COMMAND, MAKEWPARAM(300, STN_CLICKED), reinterpret_cast<LPARAM>(f.hChild));
    EXPECT_EQ(1, f.child.m_nClicks);
    EXPECT_EQ(0, f.parent.m_nClicks);
    f.parent.SendMessage(WM_COMMAND, MAKEWPARAM(300, STN_DBLCLK), reinterpret_cast<LPARAM>(f.hChild));
    EXPECT_EQ(1, f.parent.m_nClicks); // not reflected: the parent's map has it
}

TEST(BarrierTest, AThrowingReflectedHandlerLeavesTheParentsDefault)
{
    for (const Throw kind : kThrows)
    {
        ReflectionFixture f;
        f.child.m_bThrow = true;
        f.child.m_throw = kind;
        const LRESULT expected = DefWindowProcW(f.parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(f.hDC),
                                                reinterpret_cast<LPARAM>(f.hChild));
        EXPECT_EQ(expected, f.Colour()) << static_cast<int>(kind);
        EXPECT_EQ(1, f.child.m_nColours);
        EXPECT_EQ(0, g_liveExceptions);
    }
}

namespace
{
// An owner-drawn control: what its DrawItem and MeasureItem received.
class COwnerDrawn : public CWnd
{
public:
    int m_nDraws = 0;
    HDC m_hDC = nullptr;
    UINT m_nState = 0;
    UINT m_nAction = 0;
    int m_nMeasures = 0;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++m_nDraws;
        m_hDC = lpDrawItemStruct->hDC;
        m_nState = lpDrawItemStruct->itemState;
        m_nAction = lpDrawItemStruct->itemAction;
    }
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override
    {
        ++m_nMeasures;
        lpMeasureItemStruct->itemHeight = 31;
    }
};

void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}
} // namespace

TEST(RoutingTest, AnOwnerDrawnButtonDrawsItselfWithTheDcAndState)
{
    CWnd parent;
    ASSERT_TRUE(CreatePopup(parent, L"STATIC", WS_POPUP | WS_VISIBLE));
    HWND hButton = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 50, 20,
                                   parent.m_hWnd, reinterpret_cast<HMENU>(400), nullptr, nullptr);
    COwnerDrawn button;
    ASSERT_TRUE(button.SubclassWindow(hButton));

    // The button's own paint asks its parent, which hands the item back.
    RedrawWindow(hButton, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpPending();
    EXPECT_GE(button.m_nDraws, 1);
    EXPECT_EQ(static_cast<UINT>(ODA_DRAWENTIRE), button.m_nAction);

    // The DC and state the sender gave.
    HDC hDC = CreateCompatibleDC(nullptr);
    DRAWITEMSTRUCT dis{ODT_BUTTON, 400, 0, ODA_SELECT, ODS_SELECTED | ODS_FOCUS, hButton, hDC, {0, 0, 50, 20}, 0};
    EXPECT_EQ(TRUE, parent.SendMessage(WM_DRAWITEM, 400, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(hDC, button.m_hDC);
    EXPECT_EQ(static_cast<UINT>(ODS_SELECTED | ODS_FOCUS), button.m_nState);

    MEASUREITEMSTRUCT mis{ODT_BUTTON, 400, 0, 0, 0, 0};
    parent.SendMessage(WM_MEASUREITEM, 400, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(1, button.m_nMeasures);
    EXPECT_EQ(31u, mis.itemHeight);
    DeleteDC(hDC);
    parent.DestroyWindow();
}

namespace
{
class CRecordingMenu : public CMenu
{
public:
    std::vector<UINT> m_drawn;
    std::vector<UINT> m_measured;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override { m_drawn.push_back(lpDrawItemStruct->itemID); }
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override
    {
        m_measured.push_back(lpMeasureItemStruct->itemID);
        lpMeasureItemStruct->itemWidth = 80;
        lpMeasureItemStruct->itemHeight = 20;
    }
};

// A menu bar > popup (501, 502) > nested popup (601), all owner-drawn. The bar and the popup
// have permanent objects; the nested popup is drawn by an object a lookup finds.
struct MenuFixture
{
    CWnd owner;
    CMenu bar;
    CRecordingMenu popup;
    CRecordingMenu nestedDrawer;
    HMENU hNested = CreatePopupMenu();

    MenuFixture()
    {
        EXPECT_TRUE(CreatePopup(owner, L"STATIC", WS_OVERLAPPEDWINDOW));
        EXPECT_TRUE(bar.CreateMenu());
        EXPECT_TRUE(popup.CreatePopupMenu());
        EXPECT_TRUE(popup.AppendMenu(MF_OWNERDRAW, 501));
        EXPECT_TRUE(popup.AppendMenu(MF_OWNERDRAW, 502));
        AppendMenuW(hNested, MF_OWNERDRAW, 601, nullptr);
        EXPECT_TRUE(popup.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(hNested), L"More"));
        EXPECT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), L"File"));
        EXPECT_TRUE(SetMenu(owner.m_hWnd, bar.m_hMenu));
    }
    ~MenuFixture()
    {
        SetMenu(owner.m_hWnd, nullptr);
        popup.Detach(); // destroyed with the bar
        owner.DestroyWindow();
    }
    LRESULT Measure(UINT nID)
    {
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, nID, 0, 0, 0};
        return owner.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    }
    LRESULT Draw(HMENU hMenu, UINT nID)
    {
        DRAWITEMSTRUCT dis{ODT_MENU, 0, nID, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(hMenu), nullptr, {}, 0};
        return owner.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    }
};

struct LookupCall
{
    CMenu* pAnswer;
    HMENU hAsked;
    UINT nAsked;
    bool bThrow;
    Throw kind;
};

CMenu* RecordingLookup(HMENU hMenu, UINT nItemID, void* pContext)
{
    auto* call = static_cast<LookupCall*>(pContext);
    call->hAsked = hMenu;
    call->nAsked = nItemID;
    if (call->bThrow)
        ThrowKind(call->kind);
    return call->pAnswer;
}
} // namespace

TEST(RoutingTest, MenuItemsReachTheirMenusSubmenusIncluded)
{
    MenuFixture f;
    LookupCall call{&f.nestedDrawer, nullptr, 0, false, Throw::Std};
    AfxAddMenuLookup(&RecordingLookup, &call);

    f.Measure(502);
    f.Draw(f.popup.m_hMenu, 501);
    EXPECT_EQ(std::vector<UINT>{502}, f.popup.m_measured);
    EXPECT_EQ(std::vector<UINT>{501}, f.popup.m_drawn);
    EXPECT_EQ(nullptr, call.hAsked); // permanent menus need no lookup

    f.Measure(601);
    EXPECT_EQ(f.hNested, call.hAsked); // the nested popup that holds the item
    EXPECT_EQ(601u, call.nAsked);
    f.Draw(f.hNested, 601);
    EXPECT_EQ(std::vector<UINT>{601}, f.nestedDrawer.m_measured);
    EXPECT_EQ(std::vector<UINT>{601}, f.nestedDrawer.m_drawn);

    // An item no menu of the window holds: the lookup is asked by identifier alone.
    f.Measure(999);
    EXPECT_EQ(nullptr, call.hAsked);
    EXPECT_EQ(999u, call.nAsked);
    AfxRemoveMenuLookup(&RecordingLookup, &call);
    EXPECT_EQ(nullptr, AfxFindOwnerDrawMenu(f.hNested, 601));
}

namespace
{
void EndTheMenu(HWND hWnd, UINT, UINT_PTR nIDEvent, DWORD)
{
    KillTimer(hWnd, nIDEvent);
    EndMenu();
}
} // namespace

TEST(RoutingTest, AShownPopupMeasuresItsOwnerDrawnItemsThroughItsMenu)
{
    MenuFixture f;
    ShowWindow(f.owner.m_hWnd, SW_SHOW);
    CRecordingMenu context;
    ASSERT_TRUE(context.CreatePopupMenu());
    ASSERT_TRUE(context.AppendMenu(MF_OWNERDRAW, 502)); // the menu bar holds 502 as well
    SetTimer(f.owner.m_hWnd, 9, 200, AfxTimerProcBarrier<&EndTheMenu>);
    context.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, 10, 10, &f.owner);
    EXPECT_EQ(std::vector<UINT>{502}, context.m_measured);
    EXPECT_TRUE(f.popup.m_measured.empty());
}

TEST(BarrierTest, AThrowingMenuLookupCountsAsNoAnswer)
{
    MenuFixture f;
    for (const Throw kind : kThrows)
    {
        LookupCall failing{&f.popup, nullptr, 0, true, kind};
        LookupCall answering{&f.nestedDrawer, nullptr, 0, false, kind};
        AfxAddMenuLookup(&RecordingLookup, &failing);
        EXPECT_EQ(nullptr, AfxFindOwnerDrawMenu(f.hNested, 601));
        AfxAddMenuLookup(&RecordingLookup, &answering);
        EXPECT_EQ(&f.nestedDrawer, AfxFindOwnerDrawMenu(f.hNested, 601)); // the next lookup still answers
        EXPECT_EQ(TRUE, f.Draw(f.hNested, 601));
        AfxRemoveMenuLookup(&RecordingLookup, &failing);
        AfxRemoveMenuLookup(&RecordingLookup, &answering);
        EXPECT_EQ(0, g_liveExceptions);
    }
}

TEST(MenuTest, ItemsSubmenusAndTheHandleMap)
{
    CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_FALSE(menu.CreatePopupMenu()); // already attached
    EXPECT_EQ(&menu, CMenu::FromHandlePermanent(menu.m_hMenu));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 10, L"Ten"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, 5, L"Five"));
    HMENU hSub = CreatePopupMenu();
    AppendMenuW(hSub, MF_STRING, 20, L"Twenty");
    EXPECT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), L"Sub"));
    EXPECT_EQ(4u, menu.GetMenuItemCount());
    EXPECT_EQ(5u, menu.GetMenuItemID(0));
    EXPECT_EQ(static_cast<UINT>(-1), menu.GetMenuItemID(3)); // a submenu
    CMenu* pSub = menu.GetSubMenu(3);
    ASSERT_NE(nullptr, pSub);
    EXPECT_EQ(hSub, pSub->m_hMenu);
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hSub)); // a temporary object
    EXPECT_EQ(1u, AfxGetTempObjectCount());
    CMenu::DeleteTempMap();
    EXPECT_EQ(0u, AfxGetTempObjectCount());
    EXPECT_TRUE(IsMenu(hSub)); // the temporary left the menu alone

    EXPECT_TRUE(menu.ModifyMenu(10, MF_BYCOMMAND | MF_STRING, 11, L"Eleven"));
    CString text;
    EXPECT_EQ(6, menu.GetMenuString(11, text, MF_BYCOMMAND));
    EXPECT_STREQ(L"Eleven", text);
    EXPECT_EQ(static_cast<UINT>(MF_UNCHECKED), menu.CheckMenuItem(11, MF_BYCOMMAND | MF_CHECKED));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menu.GetMenuState(11, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.SetDefaultItem(5));
    EXPECT_EQ(5u, menu.GetDefaultItem(0));
    EXPECT_TRUE(menu.RemoveMenu(3, MF_BYPOSITION)); // keeps the submenu
    EXPECT_TRUE(IsMenu(hSub));
    EXPECT_TRUE(menu.DeleteMenu(5, MF_BYCOMMAND));
    EXPECT_EQ(2u, menu.GetMenuItemCount());

    HMENU hMenu = menu.Detach();
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hMenu));
    {
        CMenu owner;
        EXPECT_TRUE(owner.Attach(hMenu));
        CMenu second;
        EXPECT_FALSE(second.Attach(hMenu)); // one object per menu
    }
    EXPECT_FALSE(IsMenu(hMenu)); // the owning object destroyed it
    DestroyMenu(hSub);
}

namespace
{
// A dialog whose commands may reach the application: it handles ID_CONTEXT_HELP itself.
class CRoutedDialog : public CDialog
{
public:
    CRoutedDialog() : CDialog(IDD_TEST_DIALOG) {}
    int m_nOwnHelp = 0;
    int m_nCreates = 0;
    void OnContextHelp() { ++m_nOwnHelp; }

protected:
    int OnCreate(LPCREATESTRUCTW lpCreateStruct)
    {
        ++m_nCreates;
        return CDialog::OnCreate(lpCreateStruct);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRoutedDialog, CDialog)
    ON_WM_CREATE()
    ON_COMMAND(ID_CONTEXT_HELP, &CRoutedDialog::OnContextHelp)
END_MESSAGE_MAP()

class CRoutingApp : public CWinApp
{
public:
    CRoutingApp() : CWinApp(L"Routing Test") {}
    std::vector<UINT> m_commands;
    void OnHelpCommand(UINT nID) { m_commands.push_back(nID); }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRoutingApp, CWinApp)
    ON_COMMAND_RANGE(ID_HELP_FINDER, ID_DEFAULT_HELP, &CRoutingApp::OnHelpCommand)
    ON_COMMAND_RANGE(1000, 1010, &CRoutingApp::OnHelpCommand)
END_MESSAGE_MAP()
} // namespace

TEST(RoutingTest, CommandsADialogLeavesReachTheApplication)
{
    CRoutingApp app;
    ASSERT_EQ(&app, AfxGetApp());
    CRoutedDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_DIALOG));
    EXPECT_EQ(1, dlg.m_nCreates); // the dialog's map sees its WM_CREATE
    const LPARAM control = reinterpret_cast<LPARAM>(GetDlgItem(dlg.m_hWnd, IDC_TEST_PRESS));
    const struct
    {
        UINT id;
        UINT code;
        LPARAM lParam;
    } sent[] = {
        {ID_HELP, 0, 0},                  // reaches the application
        {ID_DEFAULT_HELP, 1, 0},          // an accelerator: a command too
        {ID_CONTEXT_HELP, 0, 0},          // the dialog handles it
        {ID_HELP_FINDER, BN_CLICKED, control},
        {ID_HELP_FINDER, BN_DOUBLECLICKED, control}, // a control notification stays with the dialog
        {1005, 0, 0},                     // below the command range
    };
    for (const auto& s : sent)
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(s.id, s.code), s.lParam);
    EXPECT_EQ((std::vector<UINT>{ID_HELP, ID_DEFAULT_HELP, ID_HELP_FINDER}), app.m_commands);
    EXPECT_EQ(1, dlg.m_nOwnHelp);
    dlg.DestroyWindow();
}

namespace
{
// An edit control that makes itself upper-case as it is bound, and records the keys it
// sees before the dialog does.
class CUpperEdit : public CWnd
{
public:
    int m_nPreSubclass = 0;
    std::vector<std::string>* m_pTrace = nullptr;

    void PreSubclassWindow() override
    {
        ++m_nPreSubclass;
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) | ES_UPPERCASE);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN || !m_pTrace)
            return FALSE;
        m_pTrace->push_back("edit");
        return pMsg->wParam == VK_F6; // swallowed here
    }
};

class CExchangeDialog : public CDialog
{
public:
    CExchangeDialog() : CDialog(IDD_DDX_DIALOG) {}
    CUpperEdit m_edit;
    std::vector<std::string> m_trace;
    std::function<void(CExchangeDialog&)> m_onInit;
    std::function<void(CExchangeDialog&)> m_onTimer;
    bool m_bRefuse = false;
    int m_nExchanges = 0;
    std::vector<LPARAM> m_kicks;
    bool m_bEndAtKick = false;

    void DoDataExchange(CDataExchange* pDX) override
    {
        ++m_nExchanges;
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        if (pDX->m_bSaveAndValidate && m_bRefuse)
        {
            pDX->PrepareCtrl(IDC_TEST_EDIT);
            pDX->Fail();
        }
    }
    BOOL OnInitDialog() override
    {
        if (!CDialog::OnInitDialog())
            return FALSE;
        m_edit.m_pTrace = &m_trace;
        if (m_onInit)
            m_onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            m_trace.push_back("dialog");
        return CDialog::PreTranslateMessage(pMsg);
    }
    LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam)
    {
        if (wParam == MSGF_DIALOGBOX)
            m_kicks.push_back(lParam);
        if (m_bEndAtKick && lParam == 2)
            EndDialog(55);
        return lParam < 2; // three calls per idle spell
    }
    void OnTimer(UINT_PTR nIDEvent)
    {
        ::KillTimer(m_hWnd, nIDEvent);
        if (m_onTimer)
            m_onTimer(*this);
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CExchangeDialog, CDialog)
    ON_MESSAGE(WM_KICKIDLE, &CExchangeDialog::OnKickIdle)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void PostTo(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    EXPECT_TRUE(PostMessageW(hWnd, message, wParam, lParam));
}
} // namespace

TEST(CreationTest, DdxControlBindsTheControlOnceAndItsStyleSticks)
{
    CExchangeDialog dlg;
    CString typed;
    LONG_PTR style = 0;
    dlg.m_onInit = [&](CExchangeDialog& d)
    {
        style = GetWindowLongPtrW(d.m_edit.m_hWnd, GWL_STYLE);
        SendMessageW(d.m_edit.m_hWnd, WM_CHAR, L'a', 0);
        d.GetDlgItemText(IDC_TEST_EDIT, typed);
        PostTo(d.m_hWnd, WM_COMMAND, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.m_edit.m_nPreSubclass);
    EXPECT_EQ(2, dlg.m_nExchanges); // OnInitDialog's, then OnOK's (which kept the binding)
    EXPECT_TRUE(style & ES_UPPERCASE);
    EXPECT_STREQ(L"A", typed);
    EXPECT_EQ(nullptr, dlg.m_edit.m_hWnd); // unbound when the dialog went
}

TEST(CreationTest, AFailedExchangeKeepsTheDialogOpen)
{
    CExchangeDialog dlg;
    dlg.m_bRefuse = true;
    dlg.m_onInit = [](CExchangeDialog& d)
    {
        PostTo(d.m_hWnd, WM_COMMAND, IDOK);
        PostTo(d.m_hWnd, WM_COMMAND, IDCANCEL);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(2, dlg.m_nExchanges);
}

namespace
{
class CPreCreateWnd : public CWnd
{
public:
    bool m_bRefuse = false;
    int m_nPreSubclass = 0;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.style |= WS_BORDER;
        cs.cx = 77;
        return !m_bRefuse;
    }
    void PreSubclassWindow() override { ++m_nPreSubclass; }
};
} // namespace

TEST(CreationTest, PreCreateWindowShapesOrRefusesTheWindow)
{
    CPreCreateWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_TRUE(wnd.GetStyle() & WS_BORDER);
    RECT rc;
    wnd.GetWindowRect(&rc);
    EXPECT_EQ(77, rc.right - rc.left);
    EXPECT_EQ(1, wnd.m_nPreSubclass);
    wnd.DestroyWindow();

    CPreCreateWnd refused;
    refused.m_bRefuse = true;
    EXPECT_FALSE(CreatePopup(refused));
    EXPECT_EQ(nullptr, refused.m_hWnd);
    EXPECT_EQ(0, refused.m_nPreSubclass);
}

TEST(ModalLoopTest, KickIdleArrivesWhileTheQueueIsEmpty)
{
    CExchangeDialog dlg;
    dlg.m_bEndAtKick = true;
    EXPECT_EQ(55, dlg.DoModal());
    ASSERT_GE(dlg.m_kicks.size(), 3u);
    EXPECT_EQ((std::vector<LPARAM>{0, 1, 2}), std::vector<LPARAM>(dlg.m_kicks.begin(), dlg.m_kicks.begin() + 3));
}

TEST(ModalLoopTest, AKeyPassesTheControlThenTheDialogAndTabMovesTheFocus)
{
    CExchangeDialog dlg;
    int focusAfterTab = 0;
    dlg.m_onInit = [](CExchangeDialog& d)
    {
        PostTo(d.m_edit.m_hWnd, WM_KEYDOWN, VK_F5);
        PostTo(d.m_edit.m_hWnd, WM_KEYDOWN, VK_F6); // the edit swallows it
        SetTimer(d.m_hWnd, 1, 10, nullptr);
    };
    int ticks = 0;
    dlg.m_onTimer = [&](CExchangeDialog& d)
    {
        if (!IsWindowVisible(d.m_hWnd))
        {
            SetTimer(d.m_hWnd, 1, 10, nullptr); // shown when the loop first idles
            return;
        }
        if (++ticks == 1)
        {
            SetFocus(d.m_edit.m_hWnd);
            PostTo(d.m_edit.m_hWnd, WM_KEYDOWN, VK_TAB);
            SetTimer(d.m_hWnd, 2, 50, nullptr);
            return;
        }
        focusAfterTab = GetDlgCtrlID(GetFocus());
        d.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ((std::vector<std::string>{"edit", "dialog", "edit", "edit", "dialog"}), dlg.m_trace);
    EXPECT_EQ(IDC_TEST_CHECK, focusAfterTab);
}

TEST(ModalLoopTest, EndDialogFromATimerOrFromOnInitDialog)
{
    {
        CExchangeDialog dlg;
        dlg.m_onInit = [](CExchangeDialog& d) { SetTimer(d.m_hWnd, 1, 10, nullptr); };
        dlg.m_onTimer = [](CExchangeDialog& d) { d.EndDialog(7); };
        EXPECT_EQ(7, dlg.DoModal());
    }
    {
        CExchangeDialog dlg;
        dlg.m_onInit = [](CExchangeDialog& d) { d.EndDialog(8); };
        EXPECT_EQ(8, dlg.DoModal());
        EXPECT_TRUE(dlg.m_kicks.empty()); // the loop never ran
    }
}

TEST(ModalLoopTest, AQuitInANestedDialogEndsBothAndStaysForTheThread)
{
    CExchangeDialog outer;
    INT_PTR innerResult = 0;
    outer.m_onInit = [](CExchangeDialog& d) { SetTimer(d.m_hWnd, 1, 10, nullptr); };
    outer.m_onTimer = [&](CExchangeDialog&)
    {
        CExchangeDialog inner;
        inner.m_onInit = [](CExchangeDialog&) { PostQuitMessage(9); };
        innerResult = inner.DoModal();
    };
    EXPECT_EQ(-1, outer.DoModal());
    EXPECT_EQ(-1, innerResult);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(9u, msg.wParam);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(ModalLoopTest, TheOwnerIsEnabledAndActiveAfterwards)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr));
    SetActiveWindow(owner.m_hWnd);
    ASSERT_EQ(owner.m_hWnd, GetActiveWindow());
    CExchangeDialog dlg;
    dlg.m_pParentWnd = &owner;
    HWND activeInside = nullptr;
    dlg.m_onInit = [](CExchangeDialog& d) { SetTimer(d.m_hWnd, 1, 10, nullptr); };
    dlg.m_onTimer = [&](CExchangeDialog& d)
    {
        activeInside = GetActiveWindow();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_NE(owner.m_hWnd, activeInside);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(owner.m_hWnd, GetActiveWindow());
    owner.DestroyWindow();
}

namespace
{
int g_timerCalls = 0;
Throw g_timerThrow = Throw::Std;
void ThrowingTimerProc(HWND hWnd, UINT, UINT_PTR nIDEvent, DWORD)
{
    KillTimer(hWnd, nIDEvent);
    ++g_timerCalls;
    ThrowKind(g_timerThrow);
}

class CIdleApp : public CWinApp
{
public:
    Throw m_throw = Throw::Std;
    int m_nIdles = 0;
    BOOL OnIdle(LONG) override
    {
        ++m_nIdles;
        PostQuitMessage(4);
        ThrowKind(m_throw);
    }
};
} // namespace

TEST(BarrierTest, AThrowingTimerProcedureEndsTheCallNotTheProcess)
{
    CWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    for (const Throw kind : kThrows)
    {
        g_timerCalls = 0;
        g_timerThrow = kind;
        ASSERT_NE(0u, SetTimer(wnd.m_hWnd, 5, 1, AfxTimerProcBarrier<&ThrowingTimerProc>));
        MSG msg;
        for (DWORD start = GetTickCount(); g_timerCalls == 0 && GetTickCount() - start < 20000;)
        {
            if (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        }
        EXPECT_EQ(1, g_timerCalls);
        EXPECT_EQ(0, g_liveExceptions);
    }
    wnd.DestroyWindow();
}

TEST(BarrierTest, AThrowingOnIdleEndsTheIdleWorkNotTheLoop)
{
    for (const Throw kind : kThrows)
    {
        CIdleApp app;
        app.m_throw = kind;
        CWnd main;
        ASSERT_TRUE(CreatePopup(main));
        app.m_pMainWnd = &main;
        EXPECT_EQ(4, app.Run()); // the quit posted before the throw ends the loop
        EXPECT_EQ(1, app.m_nIdles);
        EXPECT_EQ(0, g_liveExceptions);
        main.DestroyWindow();
    }
}

TEST(ApplicationTest, TheExtendedApplicationRecordsItsManagers)
{
    CWinAppEx app(TRUE);
    EXPECT_TRUE(app.m_bResourceSmartUpdate);
    EXPECT_TRUE(app.InitContextMenuManager());
    EXPECT_TRUE(app.InitShellManager());
    EXPECT_TRUE(app.InitTooltipManager());
    EXPECT_EQ(static_cast<UINT>(CWinAppEx::ContextMenuManager | CWinAppEx::ShellManager | CWinAppEx::TooltipManager),
              app.m_nManagers);
    CMFCToolTipInfo params;
    params.m_bVislManagerTheme = TRUE;
    app.GetTooltipManager()->SetTooltipParams(AFX_TOOLTIP_TYPE_ALL, nullptr, &params);
    EXPECT_EQ(static_cast<UINT>(AFX_TOOLTIP_TYPE_ALL), app.GetTooltipManager()->m_nTypes);
    EXPECT_TRUE(app.GetTooltipManager()->m_params.m_bVislManagerTheme);
}

TEST(ApplicationTest, RegisteredClassesLiveUnderTheInstanceWindowsAreCreatedWith)
{
    HCURSOR hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    const std::wstring name = AfxRegisterWndClass(CS_DBLCLKS, hCursor);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name, AfxRegisterWndClass(CS_DBLCLKS, hCursor)); // once per attribute set
    EXPECT_NE(name, AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW, hCursor));
    WNDCLASSW wc{};
    ASSERT_TRUE(GetClassInfoW(AfxGetInstanceHandle(), name.c_str(), &wc));
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), wc.style);
    EXPECT_EQ(hCursor, wc.hCursor);
    CWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd, name.c_str()));
    wnd.DestroyWindow();
    EXPECT_TRUE(AfxInitRichEdit2());
    EXPECT_NE(nullptr, GetModuleHandleW(L"riched20.dll"));
}
