// Re-layout of dialogs under their template's font: both template forms, the rectangles the
// formula gives from base units measured here, the stop at an item without a window, and
// Restore.
#include <suitecore/ui/dlgfontscaler.h>

#include <gtest/gtest.h>

#include <vector>

#include "ui_prims_ids.h"

namespace
{
INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct Dialog
{
    HWND hwnd;
    explicit Dialog(UINT id)
        : hwnd(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, QuietDialogProc, 0))
    {
    }
    ~Dialog()
    {
        if (hwnd)
            DestroyWindow(hwnd);
    }
};

struct Units
{
    int x, y;
};

// Base units of the font, measured as dialog units are defined.
Units Measure(HWND dialog, HFONT font)
{
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE size{};
    GetTextExtentPoint32W(dc, L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &size);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return {(size.cx / 26 + 1) / 2, tm.tmHeight};
}

int Scale(int v, int base, int div) { return static_cast<int>(v * base / static_cast<double>(div) + 0.5); }

RECT Expected(Units u, int x, int y, int cx, int cy)
{
    const int left = Scale(x, u.x, 4), top = Scale(y, u.y, 8);
    return {left, top, left + Scale(cx, u.x, 4), top + Scale(cy, u.y, 8)};
}

RECT ChildRect(HWND dialog, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

struct Control
{
    int id, x, y, cx, cy;
};
} // namespace

TEST(DlgFontScaler, LaysTheDialogOutUnderItsTemplateFont)
{
    struct Case
    {
        const char* what;
        UINT id;
        int cx, cy;
        LONG height, weight;
        BYTE italic;
        std::vector<Control> controls;
    } cases[] = {
        {"classic, 9-point Tahoma", IDD_CLASSIC_FONT, 187, 95, -12, 400, 0,
         {{IDC_FIRST, 7, 9, 41, 8}, {IDC_SECOND, 53, 7, 127, 14}, {IDC_THIRD, 130, 74, 50, 14}}},
        {"classic without a font", IDD_CLASSIC_NOFONT, 200, 100, -11, 400, 0,
         {{IDC_FIRST, 11, 13, 41, 9}, {IDC_SECOND, 57, 11, 121, 15}, {IDC_THIRD, 131, 77, 51, 15}}},
        {"extended, bold italic", IDD_EXTENDED_FONT, 171, 83, -12, 700, 1,
         {{IDC_FIRST, 5, 5, 33, 9}, {IDC_SECOND, 41, 3, 119, 13}, {IDC_THIRD, 109, 61, 53, 15}}},
        {"size stored as 0xFFF7", IDD_NEGATIVE_SIZE, 150, 70, -12, 0, 0,
         {{IDC_FIRST, 7, 9, 40, 8}, {IDC_SECOND, 50, 7, 93, 14}, {IDC_THIRD, 93, 49, 50, 14}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Dialog dialog(c.id);
        ASSERT_NE(nullptr, dialog.hwnd);
        CDlgFontScaler scaler;
        ASSERT_TRUE(scaler.Apply(GetModuleHandleW(nullptr), dialog.hwnd, c.id, 96));
        EXPECT_EQ(dialog.hwnd, scaler.m_hWnd);
        EXPECT_EQ(c.id, scaler.m_nTemplateID);

        // The dialog manager keeps answering WM_GETFONT with the template's font; the controls
        // answer with the one they were given.
        HFONT font = scaler.m_hFont;
        ASSERT_NE(nullptr, font);
        LOGFONTW lf{};
        ASSERT_EQ(static_cast<int>(sizeof lf), GetObjectW(font, sizeof lf, &lf));
        EXPECT_EQ(c.height, lf.lfHeight);
        EXPECT_EQ(c.weight, lf.lfWeight);
        EXPECT_EQ(c.italic, lf.lfItalic);
        EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
        EXPECT_STREQ(L"Tahoma", lf.lfFaceName);

        const Units units = Measure(dialog.hwnd, font);
        RECT client{};
        GetClientRect(dialog.hwnd, &client);
        EXPECT_EQ(Text(Expected(units, 0, 0, c.cx, c.cy)), Text(client));
        for (const Control& control : c.controls)
        {
            EXPECT_EQ(Text(Expected(units, control.x, control.y, control.cx, control.cy)),
                      Text(ChildRect(dialog.hwnd, control.id)))
                << "control " << control.id;
            EXPECT_EQ(font, reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog.hwnd, control.id, WM_GETFONT, 0, 0)));
        }
    }
}

TEST(DlgFontScaler, AnItemWithoutAWindowStopsTheWalk)
{
    Dialog dialog(IDD_CLASSIC_NOFONT);
    ASSERT_NE(nullptr, dialog.hwnd);
    DestroyWindow(GetDlgItem(dialog.hwnd, IDC_SECOND));
    HWND third = GetDlgItem(dialog.hwnd, IDC_THIRD);
    MoveWindow(third, 1, 2, 3, 4, FALSE);
    HFONT before = reinterpret_cast<HFONT>(SendMessageW(third, WM_GETFONT, 0, 0));

    CDlgFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(GetModuleHandleW(nullptr), dialog.hwnd, IDD_CLASSIC_NOFONT, 96));
    const Units units = Measure(dialog.hwnd, scaler.m_hFont);
    EXPECT_EQ(Text(Expected(units, 11, 13, 41, 9)), Text(ChildRect(dialog.hwnd, IDC_FIRST)));
    EXPECT_EQ("1,2-4,6", Text(ChildRect(dialog.hwnd, IDC_THIRD)));
    EXPECT_EQ(before, reinterpret_cast<HFONT>(SendMessageW(third, WM_GETFONT, 0, 0)));
}

TEST(DlgFontScaler, RestoreGivesTheOldFontBackAndDeletesTheNewOne)
{
    Dialog dialog(IDD_CLASSIC_FONT);
    ASSERT_NE(nullptr, dialog.hwnd);
    HFONT old = reinterpret_cast<HFONT>(SendMessageW(dialog.hwnd, WM_GETFONT, 0, 0));
    CDlgFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(GetModuleHandleW(nullptr), dialog.hwnd, IDD_CLASSIC_FONT, 96));
    EXPECT_EQ(old, scaler.m_hOldFont);
    HFONT made = scaler.m_hFont;
    // Applying again restores first: the first font is gone, a second one is in place.
    ASSERT_TRUE(scaler.Apply(GetModuleHandleW(nullptr), dialog.hwnd, IDD_CLASSIC_FONT, 96));
    EXPECT_EQ(0u, GetObjectType(made));
    EXPECT_EQ(old, scaler.m_hOldFont);
    made = scaler.m_hFont;

    scaler.Restore();
    for (int id : {IDC_FIRST, IDC_SECOND, IDC_THIRD})
        EXPECT_EQ(old, reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog.hwnd, id, WM_GETFONT, 0, 0))) << id;
    EXPECT_EQ(0u, GetObjectType(made));
    EXPECT_EQ(nullptr, scaler.m_hWnd);
    EXPECT_EQ(nullptr, scaler.m_hFont);
    EXPECT_EQ(nullptr, scaler.m_hOldFont);

    // A template that is not there changes nothing.
    RECT before{}, after{};
    GetWindowRect(dialog.hwnd, &before);
    EXPECT_FALSE(scaler.Apply(GetModuleHandleW(nullptr), dialog.hwnd, 31999, 96));
    GetWindowRect(dialog.hwnd, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(old, reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog.hwnd, IDC_FIRST, WM_GETFONT, 0, 0)));
    EXPECT_EQ(nullptr, scaler.m_hFont);
}
