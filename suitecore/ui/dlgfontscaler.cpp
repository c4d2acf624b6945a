// CDlgFontScaler: a dialog re-laid out under its template's font.
#include "suitecore/ui/dlgfontscaler.h"

#include "dialog_template.h"
#include "face_name.h"

#include <framework/exception.h>

#include <optional>

namespace
{
using suitecore::DialogTemplateInfo;

std::optional<DialogTemplateInfo> LoadTemplate(HMODULE hModule, WORD nID)
{
    HRSRC found = FindResourceW(hModule, MAKEINTRESOURCEW(nID), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(hModule, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return std::nullopt;
    return suitecore::ReadDialogTemplate(data, SizeofResource(hModule, found));
}

HFONT CreateTemplateFont(const DialogTemplateInfo& info, int nDpi)
{
    int points = 8;
    LONG weight = FW_NORMAL;
    BYTE italic = 0;
    LPCWSTR face = L"Tahoma";
    if (info.hasFont)
    {
        // A size stored negative (outside 0..32767 as a WORD) counts by its magnitude.
        points = info.pointSize < 0 ? -info.pointSize : info.pointSize;
        weight = info.weight;
        italic = info.italic;
        face = info.face.c_str();
    }
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<int>(points * nDpi / 72.0 + 0.5);
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    suitecore::CopyFaceName(lf.lfFaceName, face);
    return CreateFontIndirectW(&lf);
}

struct BaseUnits
{
    int x = 0;
    int y = 0;
};

// Measured with the font on the dialog's DC: the height of a line, and half the average width
// of the 52 letters, rounded.
BaseUnits MeasureBaseUnits(HWND hDlg, HFONT font)
{
    static const WCHAR kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    BaseUnits units;
    HDC dc = GetDC(hDlg);
    if (!dc)
        return units;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    SIZE extent{};
    if (GetTextMetricsW(dc, &metrics) && GetTextExtentPoint32W(dc, kLetters, 52, &extent))
    {
        units.y = metrics.tmHeight;
        units.x = (extent.cx / 26 + 1) / 2;
    }
    SelectObject(dc, old);
    ReleaseDC(hDlg, dc);
    return units;
}

int Scale(int value, int base, int divisor)
{
    return static_cast<int>(value * base / static_cast<double>(divisor) + 0.5);
}

// Calls fn(child, item) for each template item, finding its window among the dialog's
// children in Z order after the previous item's window; stops at the first item without one.
template <class Fn>
void ForEachItemWindow(HWND hDlg, const DialogTemplateInfo& info, Fn&& fn)
{
    HWND previous = nullptr;
    for (const auto& item : info.items)
    {
        HWND child = previous ? GetWindow(previous, GW_HWNDNEXT) : GetWindow(hDlg, GW_CHILD);
        while (child && !suitecore::SameControlId(info, item.id, GetDlgCtrlID(child)))
            child = GetWindow(child, GW_HWNDNEXT);
        if (!child)
            return;
        fn(child, item);
        previous = child;
    }
}

void SizeDialog(HWND hDlg, const DialogTemplateInfo& info, BaseUnits units)
{
    POINT origin = {0, 0};
    const bool child = (GetWindowLongW(hDlg, GWL_STYLE) & WS_CHILD) != 0;
    MapWindowPoints(hDlg, child ? GetParent(hDlg) : HWND_DESKTOP, &origin, 1);
    RECT rect = {origin.x, origin.y, origin.x + Scale(info.cx, units.x, 4), origin.y + Scale(info.cy, units.y, 8)};
    AdjustWindowRectEx(&rect, info.style, info.hasMenu, info.exStyle);
    MoveWindow(hDlg, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}
} // namespace

CDlgFontScaler::~CDlgFontScaler()
{
    AfxCallbackBarrier([this] { Restore(); });
}

BOOL CDlgFontScaler::Apply(HMODULE hModule, HWND hDlg, UINT nTemplateID, int nDpi)
{
    if (m_hWnd || m_hFont)
        Restore();
    m_hModule = hModule;
    m_hWnd = hDlg;
    m_nTemplateID = static_cast<WORD>(nTemplateID);

    const auto info = LoadTemplate(hModule, m_nTemplateID);
    HFONT font = info && IsWindow(hDlg) ? CreateTemplateFont(*info, nDpi) : nullptr;
    if (!font)
    {
        m_hWnd = nullptr;
        return FALSE;
    }
    m_hFont = font;
    m_hOldFont = reinterpret_cast<HFONT>(SendMessageW(hDlg, WM_GETFONT, 0, 0));
    SendMessageW(hDlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    const BaseUnits units = MeasureBaseUnits(hDlg, font);
    SizeDialog(hDlg, *info, units);
    ForEachItemWindow(hDlg, *info,
                      [&](HWND child, const suitecore::DialogTemplateItem& item)
                      {
                          MoveWindow(child, Scale(item.x, units.x, 4), Scale(item.y, units.y, 8),
                                     Scale(item.cx, units.x, 4), Scale(item.cy, units.y, 8), TRUE);
                          SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
                      });
    return TRUE;
}

void CDlgFontScaler::Restore()
{
    if (m_hWnd && IsWindow(m_hWnd))
    {
        const WPARAM old = reinterpret_cast<WPARAM>(m_hOldFont);
        SendMessageW(m_hWnd, WM_SETFONT, old, TRUE);
        if (const auto info = LoadTemplate(m_hModule, m_nTemplateID))
            ForEachItemWindow(m_hWnd, *info,
                              [old](HWND child, const suitecore::DialogTemplateItem&)
                              { SendMessageW(child, WM_SETFONT, old, TRUE); });
    }
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hWnd = nullptr;
    m_hFont = nullptr;
    m_hOldFont = nullptr;
}
