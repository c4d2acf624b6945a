// The message box: CDlgBaseMessageBoxWndBase, CQMNMessageBox on template 1273, and the three
// functions the tools call instead of the system's message box.
#include "suitecore/ui/msgbox.h"
#include "suitecore/ui/html.h"
#include "suitecore/ui/memdc.h"
#include "suitecore/ui/uifont.h"

#include "basewnd_env.h"
#include "html_renderer.h"
#include "skin_paint.h"

#include "suitecore/inifile.h"
#include "suitecore/registry.h"
#include "suitecore/sysinfo.h"

#include <framework/app.h>
#include <framework/handles.h>

#include <algorithm>
#include <memory>

using namespace suitecore::basewnd;

namespace
{
constexpr RECT kEmptyBoxRect = {0, 0, 300, 160};
constexpr RECT kDefaultMessageBoxRect = {0, 0, 315, 171};
constexpr RECT kThreeButtonBoxRect = {0, 0, 500, 300};
constexpr int kMeasureWidth = 351;
constexpr int kDragBand = 29;
constexpr COLORREF kMessageText = RGB(72, 81, 90);
constexpr COLORREF kDefaultCaption = RGB(252, 252, 255);
constexpr COLORREF kOtherCaption = RGB(72, 81, 90);
constexpr UINT kSideBitmapYesNoCancel = 1079;
constexpr UINT kLowerBitmapAbortRetry = 1078;
constexpr UINT kIconInformation = 1115;
constexpr UINT kIconError = 1113;
constexpr UINT kIconQuestion = 1116;

struct ButtonLook
{
    int width, height, bottomOffset;
};
constexpr ButtonLook kNormalButton = {79, 23, 34};
constexpr ButtonLook kLargeButton = {120, 28, 44};

bool KeyDown(int vk)
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

bool IsEmpty(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}

int Height(const RECT& rc)
{
    return rc.bottom - rc.top;
}

// The text area of a box: 53 pixels in from the left, 55 below the top, 17 from the right and
// 45 above the bottom.
RECT TextRectFor(const RECT& box)
{
    return RECT{box.left + 53, box.top + 55, box.right - 17, box.bottom - 45};
}

// A window's DC for the length of a measurement, with a font selected.
class WindowDc
{
public:
    WindowDc(HWND hWnd, HFONT hFont) : m_hWnd(hWnd), m_hdc(::GetDC(hWnd))
    {
        if (m_hdc && hFont)
            m_hOld = ::SelectObject(m_hdc, hFont);
    }
    ~WindowDc()
    {
        if (!m_hdc)
            return;
        if (m_hOld)
            ::SelectObject(m_hdc, m_hOld);
        ::ReleaseDC(m_hWnd, m_hdc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
    HGDIOBJ m_hOld = nullptr;
};


// Text in a colour and font, transparent, for the length of a few draws.
class TextScope
{
public:
    TextScope(CDC* pDC, CFont* pFont, COLORREF colour)
        : m_pDC(pDC), m_pOldFont(pDC->SelectObject(pFont)), m_oldMode(pDC->SetBkMode(TRANSPARENT)),
          m_oldColour(pDC->SetTextColor(colour))
    {
    }
    ~TextScope()
    {
        m_pDC->SetTextColor(m_oldColour);
        m_pDC->SetBkMode(m_oldMode);
        if (m_pOldFont)
            m_pDC->SelectObject(m_pOldFont);
    }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

private:
    CDC* m_pDC;
    CFont* m_pOldFont;
    int m_oldMode;
    COLORREF m_oldColour;
};

CString LanguageText(CIniReader* pReader, LPCWSTR lpszKey)
{
    CString text;
    return ReadIniTextOrWarn(text, lpszKey, L"QMN", pReader);
}

CString MessageBoxStatusPath()
{
    CString path;
    GetProductKeyPath(path);
    path += L"\\";
    path += AppName();
    path += L"\\MessageBoxStatus";
    return path;
}

void FillCaptions(CStringArray& captions, std::initializer_list<LPCWSTR> texts)
{
    captions.RemoveAll();
    for (LPCWSTR text : texts)
        captions.Add(text);
}
} // namespace

// ---- CDlgBaseMessageBoxWndBase -------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDlgBaseMessageBoxWndBase, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgBaseMessageBoxWndBase, CDlgBaseWnd)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_CONTROL_RANGE(BN_CLICKED, IDC_MSGBOX_BUTTON0, IDC_MSGBOX_BUTTON4,
                     &CDlgBaseMessageBoxWndBase::OnButtonClicked)
    ON_BN_CLICKED(IDC_MSGBOX_CLOSE, &CDlgBaseMessageBoxWndBase::OnCloseButton)
END_MESSAGE_MAP()

CDlgBaseMessageBoxWndBase::CDlgBaseMessageBoxWndBase(UINT nIDTemplate, CWnd* pParentWnd)
    : CDlgBaseWnd(nIDTemplate, pParentWnd)
{
}

CDlgBaseMessageBoxWndBase::~CDlgBaseMessageBoxWndBase() = default;

void CDlgBaseMessageBoxWndBase::SetButtons(int nType, int nCount, const CStringArray* pCaptions, int nDefault,
                                           BOOL bLargeButtons)
{
    {
        std::unique_ptr<CIniReader, void (*)(CIniReader*)> reader(OpenIniReader(L"QMN.ini", TRUE),
                                                                  &ReleaseIniReader);
        m_strOK = LanguageText(reader.get(), L"IDS_OK");
        m_strCancel = LanguageText(reader.get(), L"IDS_CANCEL");
        m_strYes = LanguageText(reader.get(), L"IDS_YES");
        m_strNo = LanguageText(reader.get(), L"IDS_NO");
        m_strCheckLabel = LanguageText(reader.get(), L"IDS_CHK_MSGBOX");
    }
    m_nButtonType = nType;
    m_bLargeButtons = bLargeButtons ? 1 : 0;
    m_bHasCloseButton = 1;
    switch (nType)
    {
    case MSGBOX_TYPE_OK:
        FillCaptions(m_arrCaptions, {m_strOK});
        m_nDefaultButton = 0;
        break;
    case MSGBOX_TYPE_YESNO:
        FillCaptions(m_arrCaptions, {m_strYes, m_strNo});
        m_nDefaultButton = 0;
        m_bHasCloseButton = 0;
        break;
    case MSGBOX_TYPE_OKCANCEL:
        FillCaptions(m_arrCaptions, {m_strOK, m_strCancel});
        m_nDefaultButton = 0;
        m_bHasCloseButton = 0;
        break;
    case MSGBOX_TYPE_CHOICE_CHECK:
    case MSGBOX_TYPE_CHOICE:
    {
        // Never more buttons than the box has, nor than captions were given.
        const int given = pCaptions ? static_cast<int>(pCaptions->GetSize()) : 0;
        const int count = std::max(0, std::min({nCount, given, static_cast<int>(MSGBOX_MAX_BUTTONS)}));
        m_arrCaptions.RemoveAll();
        for (int i = 0; i < count; ++i)
            m_arrCaptions.Add(pCaptions->GetAt(i));
        m_nDefaultButton = nDefault;
        break;
    }
    default:
        FillCaptions(m_arrCaptions, {m_strOK});
        m_nDefaultButton = 1; // past the one button: none is marked as the default
        break;
    }
    m_nButtonCount = static_cast<int>(m_arrCaptions.GetSize());
}

void CDlgBaseMessageBoxWndBase::SetBoxRect(const RECT& rect)
{
    m_rcBox = rect;
}

void CDlgBaseMessageBoxWndBase::SetSideBitmap(UINT nIDBitmap)
{
    m_bmpSide.LoadBitmap(nIDBitmap);
    m_nSideWidth = m_bmpSide.m_nWidth;
    m_nSideHeight = m_bmpSide.m_nHeight;
    m_bHasSideBitmap = 1;
    m_bHasTypeIcon = 0;
}

void CDlgBaseMessageBoxWndBase::SetLowerBitmap(UINT nIDBitmap)
{
    m_bmpLower.LoadBitmap(nIDBitmap);
    m_nLowerWidth = m_bmpLower.m_nWidth;
    m_nLowerHeight = m_bmpLower.m_nHeight;
    m_bHasLowerBitmap = 1;
}

UINT CDlgBaseMessageBoxWndBase::HeaderStripForIcon(UINT nIDIcon)
{
    switch (nIDIcon)
    {
    case 1113:
        return 1117;
    case 1114:
        return 1112;
    case 1116:
        return 1118;
    default:
        return 1102;
    }
}

void CDlgBaseMessageBoxWndBase::SetTypeIcon(UINT nIDIcon)
{
    m_bmpTypeIcon.LoadBitmap(nIDIcon);
    m_bHasTypeIcon = 1;
    m_bmpHeaderStrip.LoadBitmap(HeaderStripForIcon(nIDIcon));
}

void CDlgBaseMessageBoxWndBase::SetMessageText(LPCWSTR lpszText)
{
    const CString text(lpszText ? lpszText : L"");
    if (!m_bWrapPlainText || text.Find(L'<') >= 0 || text.Find(L'>') >= 0)
    {
        m_strMessage = text;
        return;
    }
    // Built by concatenation: the message has no length bound.
    CString size;
    size.Format(L"%d", GetOsMajorVersion() > 5 ? 9 : 8);
    m_strMessage = L"<font face=\"";
    m_strMessage += GetUIFontFace();
    m_strMessage += L"\" size=";
    m_strMessage += size;
    m_strMessage += L"pt>";
    m_strMessage += text;
    m_strMessage += L"<font>";
}

CString CDlgBaseMessageBoxWndBase::MeasuringText(const CString& strMessage)
{
    if (strMessage.GetLength() <= 12 || strMessage.Left(11).CompareNoCase(L"<font face=") != 0)
        return strMessage;
    const int open = strMessage.Find(L'>');
    const int close = strMessage.ReverseFind(L'<');
    if (open < 0 || close <= open)
        return strMessage;
    return strMessage.Mid(open + 1, close - open - 1);
}

void CDlgBaseMessageBoxWndBase::SetResult(int nKind)
{
    m_nResult = nKind;
    switch (m_nButtonType)
    {
    case MSGBOX_TYPE_OK:
        m_nResult = IDOK;
        break;
    case MSGBOX_TYPE_YESNO:
        if (nKind == 1)
            m_nResult = IDYES;
        else if (nKind == 2)
            m_nResult = IDNO;
        break;
    case MSGBOX_TYPE_OKCANCEL:
        if (nKind != 1 && nKind != 2)
            m_nResult = nKind ? 1 : 0;
        break;
    case MSGBOX_TYPE_CHOICE_CHECK:
        RecordCheckState();
        break;
    default:
        break;
    }
}

void CDlgBaseMessageBoxWndBase::RecordCheckState()
{
    const DWORD state = m_chkDontShow.m_hWnd && m_chkDontShow.GetCheck() == BST_CHECKED ? 1 : 0;
    HKEY hRaw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, MessageBoxStatusPath(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &hRaw, nullptr) != ERROR_SUCCESS)
        return;
    CUniqueRegKey key(hRaw);
    // Every close adds the next free number.
    for (unsigned n = 0; n < 0xFFFFFFFFu; ++n)
    {
        CString name;
        name.Format(L"DontShowMessageBox%u", n);
        const LONG status = ::RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS)
            continue;
        if (status == ERROR_FILE_NOT_FOUND)
            ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&state), sizeof(state));
        return;
    }
}

BOOL CDlgBaseMessageBoxWndBase::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    if (!m_bmpHeaderStrip.GetSafeHandle())
        m_bmpHeaderStrip.LoadBitmap(HeaderStripForIcon(0));
    SizeToText();
    CreateButtons();
    if (m_nButtonType == MSGBOX_TYPE_CHOICE_CHECK)
        CreateCheckBox();
    if (m_nDefaultButton >= 0 && m_nDefaultButton < m_nButtonCount)
    {
        SendMessage(DM_SETDEFID, IDC_MSGBOX_BUTTON0 + m_nDefaultButton, 0);
        m_btnButtons[m_nDefaultButton].SetFocus();
        return FALSE;
    }
    return TRUE;
}

void CDlgBaseMessageBoxWndBase::SizeToText()
{
    RECT box = IsEmpty(m_rcBox) ? kEmptyBoxRect : m_rcBox;
    RECT measure = TextRectFor(box);
    measure.right = measure.left + kMeasureWidth;
    int textWidth = 0;
    int textHeight = 0;
    {
        WindowDc dc(m_hWnd, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
        if (dc.Get())
        {
            const CString plain = MeasuringText(m_strMessage);
            ::DrawTextW(dc.Get(), plain, plain.GetLength(), &measure, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
            textWidth = Width(measure) > kMeasureWidth - 1 ? kMeasureWidth : Width(measure);
            textHeight = Height(measure);
            UINT htmlHeight = 0;
            if (suitecore::ui::MeasureHtmlHeight(dc.Get(), m_strMessage, static_cast<UINT>(std::max(textWidth, 1)),
                                                 htmlHeight))
                textHeight = static_cast<int>(htmlHeight);
        }
    }
    // The box only grows: to the text, then to its pictures.
    box.bottom = std::max<LONG>(box.bottom, box.top + textHeight + 110);
    int neededWidth = textWidth + 77;
    // A picture that did not load is not drawn and moves nothing.
    const int sideShift = m_bHasSideBitmap && m_bmpSide.GetSafeHandle() ? m_nSideWidth - 47 : 0;
    if (m_bHasSideBitmap)
    {
        // The text moves right past the picture: the box widens by as much, so that the text
        // keeps the width it was measured at.
        neededWidth += std::max(0, sideShift);
        box.bottom = std::max<LONG>(box.bottom, box.top + m_nSideHeight + 78);
    }
    if (m_bHasLowerBitmap)
    {
        neededWidth = std::max(neededWidth, m_nLowerWidth + 12);
        // Room for the text above the picture: the text area loses the picture's height.
        box.bottom = std::max<LONG>(box.bottom, box.top + m_nLowerHeight + textHeight + 100);
    }
    box.right = std::max<LONG>(box.right, box.left + neededWidth);
    m_rcBox = box;
    m_rcText = TextRectFor(box);
    m_rcText.left += sideShift;
    if (m_bHasLowerBitmap)
        m_rcText.bottom -= m_nLowerHeight;

    SetWindowPos(nullptr, box.left, box.top, Width(box), Height(box), SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN hRgn = ::CreateRoundRectRgn(0, 0, Width(box) + 1, Height(box) + 1, 9, 9);
    if (hRgn && !SetWindowRgn(hRgn, TRUE))
        ::DeleteObject(hRgn); // the system owns it only after a successful call
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->m_hWnd && pMain != this && ::IsWindowVisible(pMain->m_hWnd))
        CenterWindow(pMain);
    else
        CenterWindow();
}

void CDlgBaseMessageBoxWndBase::CreateButtons()
{
    const int width = Width(m_rcBox);
    const int height = Height(m_rcBox);
    const ButtonLook look = m_bLargeButtons ? kLargeButton : kNormalButton;
    int right = width - 15;
    for (int i = 0; i < m_nButtonCount; ++i, right -= look.width + 5)
    {
        CHoverButtonWithText& button = m_btnButtons[i];
        const RECT rc = {right - look.width, height - look.bottomOffset, right, height - look.bottomOffset + look.height};
        if (!button.Create(m_arrCaptions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, rc, this,
                           IDC_MSGBOX_BUTTON0 + i))
            continue;
        const bool isDefault = i == m_nDefaultButton;
        if (m_bLargeButtons)
            ApplyTextButtonStyle(&button, FALSE, isDefault, TRUE);
        else
        {
            button.SetBitmap(isDefault ? 1051 : 1065);
            const COLORREF colour = isDefault ? kDefaultCaption : kOtherCaption;
            button.m_crNormal = button.m_crHover = button.m_crPressed = colour;
        }
        InitUILogFont(button.m_lf);
        button.m_lf.lfWeight = FW_BOLD;
        button.MoveWindow(rc.left, rc.top, look.width, look.height);
        button.SetFont(UiFont(), FALSE);
    }
    if (!m_bHasCloseButton)
        return;
    const RECT rcClose = {width - 50, 2, width - 7, 20};
    if (m_btnClose.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rcClose, this, IDC_MSGBOX_CLOSE))
    {
        m_btnClose.SetBitmap(1064);
        m_btnClose.MoveWindow(rcClose.left, rcClose.top, 43, 18);
    }
}

void CDlgBaseMessageBoxWndBase::CreateCheckBox()
{
    const int height = Height(m_rcBox);
    const RECT rc = {21, height - 30, 34, height - 17};
    if (m_chkDontShow.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, rc, this, IDC_MSGBOX_CHECK))
        m_chkDontShow.SetFont(UiFont(), FALSE);
    m_rcCheckLabel = RECT{35, height - 31, 225, height - 10};
}

void CDlgBaseMessageBoxWndBase::OnOK()
{
    if (m_bIgnoreEnter && KeyDown(VK_RETURN))
        return;
    SetResult(1);
    CDlgBaseWnd::OnOK();
}

void CDlgBaseMessageBoxWndBase::OnCancel()
{
    if (m_bIgnoreEscape && KeyDown(VK_ESCAPE))
        return;
    SetResult(2);
    CDialog::OnCancel();
}

void CDlgBaseMessageBoxWndBase::OnButtonClicked(UINT nID)
{
    const int index = static_cast<int>(nID) - IDC_MSGBOX_BUTTON0;
    if (index < 0 || index >= m_nButtonCount)
        return;
    // The dialog manager turns Enter into a click of the focused or default button: held down,
    // it ends nothing, as it does not through OnOK.
    if (m_bIgnoreEnter && KeyDown(VK_RETURN))
        return;
    const bool choice = m_nButtonType == MSGBOX_TYPE_CHOICE_CHECK || m_nButtonType == MSGBOX_TYPE_CHOICE;
    switch (index)
    {
    case 0:
        SetResult(m_nButtonType == MSGBOX_TYPE_YESNO ? IDYES : choice ? 0 : 1);
        break;
    case 1:
        if (m_nButtonType == MSGBOX_TYPE_YESNO)
            SetResult(IDNO);
        else if (m_nButtonType == MSGBOX_TYPE_OKCANCEL)
            SetResult(2);
        else if (m_nButtonType != MSGBOX_TYPE_OK)
            SetResult(1);
        break;
    default:
        if (choice)
            SetResult(index);
        break;
    }
    EndDialog(IDOK);
}

void CDlgBaseMessageBoxWndBase::OnCloseButton()
{
    OnCancel();
}

void CDlgBaseMessageBoxWndBase::OnLButtonDown(UINT, CPoint point)
{
    if (point.y < kDragBand)
    {
        POINT screen = point;
        ClientToScreen(&screen);
        SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
        return;
    }
    HandlerResult();
}

void CDlgBaseMessageBoxWndBase::OnLButtonUp(UINT, CPoint point)
{
    if (m_chkDontShow.m_hWnd && !IsEmpty(m_rcCheckLabel) && ::PtInRect(&m_rcCheckLabel, point))
    {
        m_chkDontShow.SetCheck(m_chkDontShow.GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        return;
    }
    HandlerResult();
}

BOOL CDlgBaseMessageBoxWndBase::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd != this || nHitTest != HTCLIENT)
        return CDlgBaseWnd::OnSetCursor(pWnd, nHitTest, message);
    POINT point{};
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    const bool overLabel = !IsEmpty(m_rcCheckLabel) && ::PtInRect(&m_rcCheckLabel, point);
    ::SetCursor(::LoadCursorW(nullptr, overLabel ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

void CDlgBaseMessageBoxWndBase::OnPaint()
{
    PaintScope paint(m_hWnd);
    CDC* pDC = CDC::FromHandle(paint.Dc());
    RECT rcClient{};
    GetClientRect(&rcClient);
    if (IsEmpty(rcClient))
        return;
    CXTMemDC memDC(pDC, rcClient, RGB(255, 255, 255));
    PaintBox(&memDC, rcClient);
}

void CDlgBaseMessageBoxWndBase::PaintBox(CDC* pDC, const RECT& rc)
{
    const int width = Width(rc);
    const int height = Height(rc);
    DrawSkinFrame(pDC, rc);
    TileRow(pDC, m_bmpHeaderStrip, 6, width - 6, 29);
    Blit(pDC, SkinBitmap(1032), 6, 0);
    DrawCaptionTitle(pDC, rc, AppName());

    {
        TextScope text(pDC, UiFont(), kMessageText);
        if (m_bWrapPlainText)
        {
            pDC->SetBkColor(RGB(255, 255, 255));
            RenderHtml(pDC, m_strMessage, &m_rcText, FALSE);
        }
        else
        {
            RECT rcText = m_rcText;
            pDC->DrawText(m_strMessage, &rcText, DT_WORDBREAK | DT_NOPREFIX);
        }
    }

    if (m_bHasTypeIcon)
        Blit(pDC, m_bmpTypeIcon, 18, 58);
    if (m_bHasSideBitmap)
        Blit(pDC, m_bmpSide, 6, 36);
    else if (m_bHasLowerBitmap)
        Blit(pDC, m_bmpLower, (width - m_nLowerWidth) / 2, m_rcText.bottom + 5);

    CSTBitmap& strip = SkinBitmap(m_bLargeButtons ? 1019 : 1103);
    TileRow(pDC, strip, 6, width - 6, height - 6 - strip.m_nHeight);

    if (!IsEmpty(m_rcCheckLabel))
    {
        TextScope text(pDC, UiFont(), kMessageText);
        RECT rcLabel = m_rcCheckLabel;
        pDC->DrawText(m_strCheckLabel, &rcLabel, DT_WORDBREAK | DT_NOPREFIX);
    }
}

// ---- CQMNMessageBox ------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CQMNMessageBox, CDlgBaseMessageBoxWndBase)

BEGIN_MESSAGE_MAP(CQMNMessageBox, CDlgBaseMessageBoxWndBase)
END_MESSAGE_MAP()

CQMNMessageBox::CQMNMessageBox(CWnd* pParentWnd) : CDlgBaseMessageBoxWndBase(IDD_QMN_MESSAGEBOX, pParentWnd) {}

CQMNMessageBox::~CQMNMessageBox() = default;

// ---- The tools' entry points ---------------------------------------------------------------

namespace
{
// The type icon of an icon kind: error, question, else information.
UINT TypeIconFor(UINT nIconKind)
{
    switch (nIconKind)
    {
    case MB_ICONERROR:
        return kIconError;
    case MB_ICONQUESTION:
        return kIconQuestion;
    default:
        return kIconInformation;
    }
}
} // namespace

int ShowMessageBox(LPCWSTR lpszText, UINT nFlags, CWnd* pParent, const RECT* pRect, BOOL bWrapPlainText)
{
    CQMNMessageBox box(pParent);
    box.SetBoxRect(pRect ? *pRect : kDefaultMessageBoxRect);
    CStringArray captions;
    switch (nFlags & 0xF)
    {
    case MB_YESNO:
        box.SetButtons(MSGBOX_TYPE_YESNO, 0, nullptr, 0, FALSE);
        break;
    case MB_OKCANCEL:
        box.SetButtons(MSGBOX_TYPE_OKCANCEL, 0, nullptr, 0, FALSE);
        break;
    case MB_YESNOCANCEL:
        FillCaptions(captions, {L"Yes", L"No", L"Cancel"});
        box.SetButtons(MSGBOX_TYPE_CHOICE_CHECK, 3, &captions, 0, FALSE);
        box.SetBoxRect(kThreeButtonBoxRect);
        box.SetSideBitmap(kSideBitmapYesNoCancel);
        break;
    case MB_ABORTRETRYIGNORE:
        FillCaptions(captions, {L"Abort", L"Retry", L"Cancel"});
        box.SetButtons(MSGBOX_TYPE_CHOICE_CHECK, 3, &captions, 0, FALSE);
        box.SetBoxRect(kThreeButtonBoxRect);
        box.SetLowerBitmap(kLowerBitmapAbortRetry);
        break;
    default:
        box.SetButtons(MSGBOX_TYPE_OK, 0, nullptr, 0, FALSE);
        break;
    }
    // The warning icon (0x30) shows as the error icon.
    const UINT nIconKind = nFlags & 0xF0;
    box.SetTypeIcon(TypeIconFor(nIconKind == MB_ICONWARNING ? MB_ICONERROR : nIconKind));
    box.m_bWrapPlainText = bWrapPlainText ? 1 : 0;
    box.SetMessageText(lpszText);
    box.DoModal();
    return box.GetResult();
}

int ShowChoiceBox(LPCWSTR lpszText, UINT nIDBitmap, int nCount, const CStringArray* pCaptions, const RECT* pRect,
                  BOOL bSideBitmap, CWnd* pParent)
{
    CQMNMessageBox box(pParent);
    box.SetButtons(MSGBOX_TYPE_CHOICE_CHECK, nCount, pCaptions, 0, FALSE);
    if (pRect)
        box.SetBoxRect(*pRect);
    if (bSideBitmap)
        box.SetSideBitmap(nIDBitmap);
    else
        box.SetLowerBitmap(nIDBitmap);
    box.SetMessageText(lpszText);
    box.DoModal();
    return box.GetResult();
}

int ShowIconChoiceBox(LPCWSTR lpszText, UINT nIconKind, int nCount, const CStringArray* pCaptions, const RECT* pRect,
                      BOOL bCheckBox, BOOL bLargeButtons, CWnd* pParent)
{
    CQMNMessageBox box(pParent);
    box.SetButtons(bCheckBox ? MSGBOX_TYPE_CHOICE_CHECK : MSGBOX_TYPE_CHOICE, nCount, pCaptions, 0, bLargeButtons);
    if (pRect)
        box.SetBoxRect(*pRect);
    box.SetTypeIcon(TypeIconFor(nIconKind));
    box.SetMessageText(lpszText);
    box.DoModal();
    return box.GetResult();
}
