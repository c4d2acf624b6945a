// "SuiteDiag ui buttons": a pop-up holding one of each button and static of the library, in
// the states they can show, over white and over a patterned background.
#include "output.h"
#include "ui_sample_ids.h"
#include "ui_view.h"

#include <suitecore/app.h>
#include <suitecore/ui/basewnd.h>
#include <suitecore/ui/buttons.h>
#include <suitecore/ui/png_buttons.h>
#include <suitecore/ui/statics.h>

#include <memory>
#include <vector>

namespace suitediag
{
namespace
{
constexpr UINT WM_GALLERY_READY = WM_APP + 2;
constexpr RECT kPattern = {16, 336, 720, 400}; // the transparent statics sit on this

// The gallery's controls, numbered from 300 in the order they are listed here.
enum : UINT
{
    IDC_GALLERY_STRIP = 300,     // a three-frame strip
    IDC_GALLERY_DISABLED,        // a four-frame strip, disabled
    IDC_GALLERY_PRESSED,         // the pressed look kept
    IDC_GALLERY_LIGHT,           // text buttons: the light and dark presets
    IDC_GALLERY_DARK,
    IDC_GALLERY_DARK_DISABLED,
    IDC_GALLERY_PNG,             // a strip with a picture over it
    IDC_GALLERY_CAPTIONED,       // a strip with a caption below
    IDC_GALLERY_LINK,            // a text link
    IDC_GALLERY_NAV_SELECTED,    // navigation buttons, selected and plain
    IDC_GALLERY_NAV,
    IDC_GALLERY_LAUNCHER_LEFT,
    IDC_GALLERY_BIG,
    IDC_GALLERY_PROGRAM,
    IDC_GALLERY_CHECK,
    IDC_GALLERY_HTML,
    IDC_GALLERY_TRANSPARENT,     // transparent statics over the pattern
    IDC_GALLERY_TRANSPARENT_2,
};

class CButtonGallery : public CDlgBaseChildPopUpWndBase
{
public:
    CButtonGallery() : CDlgBaseChildPopUpWndBase(IDD_SUITEDIAG_BUTTONS, nullptr)
    {
        SetHeaderStyle(1);
        m_bMaximisable = 0;
    }

    BOOL OnInitDialog() override
    {
        CDlgBaseChildPopUpWndBase::OnInitDialog();
        MoveWindow(20, 20, 740, 440);
        m_pattern.CreateHatchBrush(HS_DIAGCROSS, RGB(120, 160, 200));
        CreateStrips();
        CreateTextButtons();
        CreatePictureButtons();
        CreateStatics();
        PostMessage(WM_GALLERY_READY);
        return TRUE;
    }

protected:
    // The skin first, then the pattern under the transparent statics.
    void OnPaint()
    {
        CDlgBaseChildPopUpWndBase::OnPaint();
        if (HDC hDC = ::GetDC(m_hWnd))
        {
            PaintPattern(hDC);
            ::ReleaseDC(m_hWnd, hDC);
        }
    }

    // The transparent controls ask the parent for its background through WM_ERASEBKGND.
    BOOL OnEraseBkgnd(CDC* pDC)
    {
        RECT rc{};
        GetClientRect(&rc);
        ::FillRect(pDC->GetSafeHdc(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        PaintPattern(pDC->GetSafeHdc());
        return TRUE;
    }

    LRESULT OnReady(WPARAM, LPARAM)
    {
        // A transparent static keeps a snapshot of what its parent shows under it when it is
        // first erased: it comes once the gallery is on the screen with its pattern.
        ShowWindow(SW_SHOW);
        UpdateWindow();
        Make<CTransparentStatic2>(IDC_GALLERY_TRANSPARENT, L"Transparent static", 40, 350, 220, 20, SS_LEFT);
        Make<CTransparentStatic2>(IDC_GALLERY_TRANSPARENT_2, L"Another over the pattern", 300, 370, 260, 20, SS_LEFT);
        OutFormat(L"ready hwnd=0x%08X\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_hWnd)));
        return 0;
    }

    void OnClose() { EndDialog(IDCANCEL); }

    DECLARE_MESSAGE_MAP()

private:
    template <typename T>
    T& Make(UINT nID, LPCWSTR lpszText, int x, int y, int cx, int cy, DWORD dwStyle = BS_OWNERDRAW)
    {
        auto control = std::make_unique<T>();
        T& ref = *control;
        ref.Create(lpszText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | dwStyle, RECT{x, y, x + cx, y + cy}, this, nID);
        ref.SetFont(&g_fntNormal, FALSE);
        m_controls.push_back(std::move(control));
        return ref;
    }

    void PaintPattern(HDC hDC)
    {
        if (m_pattern.GetSafeHandle())
            ::FillRect(hDC, &kPattern, m_pattern);
    }

    void CreateStrips()
    {
        Make<CHoverButton>(IDC_GALLERY_STRIP, L"", 20, 48, 43, 18).SetBitmap(1038);
        auto& disabled = Make<CHoverButton>(IDC_GALLERY_DISABLED, L"", 80, 44, 120, 28);
        disabled.m_bHasDisabledFrame = 1;
        disabled.SetBitmap(1074);
        disabled.EnableWindow(FALSE);
        auto& pressed = Make<CHoverButton>(IDC_GALLERY_PRESSED, L"", 220, 44, 120, 28);
        pressed.m_bHasDisabledFrame = 1;
        pressed.m_bForcePressedLook = 1;
        pressed.SetBitmap(1076);
    }

    void CreateTextButtons()
    {
        auto& light = Make<CHoverButtonWithText>(IDC_GALLERY_LIGHT, L"Light", 20, 90, 120, 28);
        ApplyTextButtonStyle(&light, TRUE, TRUE, TRUE);
        auto& dark = Make<CHoverButtonWithText>(IDC_GALLERY_DARK, L"Dark", 160, 90, 120, 28);
        ApplyTextButtonStyle(&dark, TRUE, FALSE, TRUE);
        auto& darkOff = Make<CHoverButtonWithText>(IDC_GALLERY_DARK_DISABLED, L"Disabled", 300, 90, 120, 28);
        ApplyTextButtonStyle(&darkOff, TRUE, FALSE, TRUE);
        darkOff.EnableWindow(FALSE);
        auto& png = Make<CHoverButtonTextPng>(IDC_GALLERY_PNG, L"", 440, 90, 47, 23);
        png.SetBitmap(1061);
        png.SetPng(1348);
        auto& captioned = Make<CMyHoverButton>(IDC_GALLERY_CAPTIONED, L"", 520, 80, 120, 28);
        captioned.SetBitmapAndCaption(L"Scan", 1074);
        auto& link = Make<CHyperLinkBtn>(IDC_GALLERY_LINK, L"", 20, 136, 160, 20);
        link.SetLinkText(L"A link to somewhere");
    }

    void CreatePictureButtons()
    {
        auto& selected = Make<CLeftSideBtns>(IDC_GALLERY_NAV_SELECTED, L"Selected", 20, 170, 165, 31);
        selected.SetIcon(0, 0);
        selected.m_bSelected = 1;
        auto& nav = Make<CLeftSideBtns>(IDC_GALLERY_NAV, L"Navigation", 20, 205, 165, 31);
        nav.SetIcon(0, 1);
        Make<CLauncherLeftSideBtns>(IDC_GALLERY_LAUNCHER_LEFT, L"Launcher", 200, 170, 160, 24);
        auto& big = Make<CLauncherBigButtons>(IDC_GALLERY_BIG, L"Big button", 200, 200, 280, 64);
        big.SetDescription(L"A description under the title");
        auto& program = Make<CLauncherProgBtns>(IDC_GALLERY_PROGRAM, L"", 200, 268, 280, 64);
        program.SetProgram(1348, nullptr, 0, L"A program", L"What it does", 1, L"program.exe");
    }

    void CreateStatics()
    {
        Make<CTransparentCheckRadio>(IDC_GALLERY_CHECK, L"A check box", 500, 170, 200, 20, BS_AUTOCHECKBOX);
        auto& html = Make<CSThtmlStatic>(IDC_GALLERY_HTML, L"<b>HTML</b> static with <i>markup</i>", 500, 200,
                                         220, 40, SS_LEFT);
        html.m_bTransparent = 1;
    }

    CBrush m_pattern;
    std::vector<std::unique_ptr<CWnd>> m_controls;
};

BEGIN_MESSAGE_MAP(CButtonGallery, CDlgBaseChildPopUpWndBase)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_GALLERY_READY, &CButtonGallery::OnReady)
END_MESSAGE_MAP()

int RunButtons(Args& args, BOOL)
{
    args.ExpectEnd();
    CButtonGallery gallery;
    gallery.DoModal();
    return 0;
}
} // namespace

SUITEDIAG_UI_VIEW(buttons, L"buttons", L"", L"Shows one of each button and static in their states", false,
                  RunButtons);
} // namespace suitediag
