// The wizard's pages: the shared page base, page 1 (the question) and page 3 (the support
// offer). Both paint their header band, texts and pictures themselves.
#include "farewell.h"

#include "web_addresses.h"

#include <suitecore/ui/memdc.h>
#include <suitecore/ui/stbitmap.h>

#include <framework/module.h>

#include <iterator>

namespace
{
constexpr COLORREF kControlBackground = RGB(216, 225, 234);
constexpr COLORREF kText = RGB(72, 81, 90);
constexpr COLORREF kTitleRed = RGB(169, 1, 1);
constexpr COLORREF kHeadingGreen = RGB(0, 130, 44);
constexpr COLORREF kRule = RGB(189, 198, 216);
constexpr COLORREF kContact = RGB(27, 54, 90);
constexpr int kBandEnd = 514; // the band is tiled at every x below this
constexpr int kBandHeight = 67;

bool KeyDown(int vk)
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// A GDI object selected into a DC for the length of a scope.
class Selected
{
public:
    Selected(CDC* pDC, HGDIOBJ hObject) : m_pDC(pDC), m_hOld(hObject ? pDC->SelectObject(hObject) : nullptr) {}
    ~Selected()
    {
        if (m_hOld)
            m_pDC->SelectObject(m_hOld);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    CDC* m_pDC;
    HGDIOBJ m_hOld;
};

// Copies the picture's top-left cx x cy to (x, y).
void DrawPicture(CDC* pDC, CSTBitmap& picture, int x, int y, int cx, int cy)
{
    if (!picture.GetSafeHandle())
        return;
    CDC source;
    if (!source.CreateCompatibleDC(pDC))
        return;
    Selected bitmap(&source, picture.GetSafeHandle());
    pDC->BitBlt(x, y, cx, cy, &source, 0, 0, SRCCOPY);
}

// The header band: the tile at every x, then the emblem at (22, 0).
void DrawHeaderBand(CDC* pDC, CSTBitmap& tile, CSTBitmap& emblem)
{
    for (int x = 0; x < kBandEnd; ++x)
        DrawPicture(pDC, tile, x, 0, 1, kBandHeight);
    DrawPicture(pDC, emblem, 22, 0, 57, kBandHeight);
}

void DrawTextIn(CDC* pDC, CFont& font, COLORREF colour, LPCWSTR text, RECT rect, UINT format)
{
    Selected selected(pDC, font.GetSafeHandle());
    pDC->SetTextColor(colour);
    pDC->DrawText(text, -1, &rect, format | DT_NOPREFIX);
}

// Paints a page through a memory DC, so that the band's many small copies never flicker.
template <typename Painter>
void PaintPage(CWnd* pPage, Painter paint)
{
    CPaintDC dc(pPage);
    RECT client{};
    pPage->GetClientRect(&client);
    CXTMemDC memory(&dc, client, RGB(255, 255, 255));
    memory.SetBkMode(TRANSPARENT);
    paint(&memory);
}
} // namespace

// ---- The page base ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgStepBase, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgStepBase::CDlgStepBase(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd) {}

HBRUSH CDlgStepBase::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetBkColor(kControlBackground);
    pDC->SetTextColor(RGB(0, 0, 0));
    return CDlgBaseWnd::GetWhiteBrush();
}

void CDlgStepBase::OnOK()
{
    if (!KeyDown(VK_RETURN))
        CDialog::OnOK();
}

void CDlgStepBase::OnCancel()
{
    if (!KeyDown(VK_ESCAPE))
        CDialog::OnCancel();
}

// ---- Page 1 -----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgStep1, CDlgStepBase)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_STEP1_REASON, &CDlgStep1::OnReasonChosen)
END_MESSAGE_MAP()

CDlgStep1::CDlgStep1() : CDlgStepBase(IDD_STEP1, nullptr) {}

BOOL CDlgStep1::OnInitDialog()
{
    CDlgStepBase::OnInitDialog();
    m_bmpBand.LoadBitmap(IDB_STEP1_BAND);
    m_bmpEmblem.LoadBitmap(IDB_STEP1_EMBLEM);
    m_bmpBackdrop.LoadBitmap(IDB_STEP1_BACKDROP);
    if (CWnd* pReason = GetDlgItem(IDC_STEP1_REASON))
        pReason->MoveWindow(40, 215, 250, 20);
    CheckDlgButton(IDC_STEP1_REASON, BST_UNCHECKED);
    return TRUE;
}

void CDlgStep1::OnReasonChosen()
{
    m_nAnswer = 1;
    if (g_pFarewellDlg)
        g_pFarewellDlg->EnableContinue();
}

void CDlgStep1::OnPaint()
{
    PaintPage(this, [this](CDC* pDC) {
        DrawHeaderBand(pDC, m_bmpBand, m_bmpEmblem);
        const UINT block = DT_WORDBREAK | DT_VCENTER;
        DrawTextIn(pDC, g_fntTitleBold, kTitleRed, L"Uninstalling Lumasweep", {94, 22, 494, 52}, block);
        DrawTextIn(pDC, g_fntTitleBold, kText, L"Thanks you for trying Lumasweep V3.", {22, 90, 492, 120}, block);
        DrawPicture(pDC, m_bmpBackdrop, 22, 140, 465, 142);
        DrawTextIn(pDC, g_fntBold, kText, L"Please let us know why you are uninstalling.", {37, 150, 387, 170}, 0);
    });
}

// ---- Page 3 -----------------------------------------------------------------------------------

namespace
{
constexpr int kOfferTop[] = {150, 176, 202, 228};
constexpr LPCWSTR kOffers[] = {L"Fix any PC problem", L"Optimize System in one go", L"Imporve PC Speed",
                               L"Update drivers for smooth PC performance"};
} // namespace

BEGIN_MESSAGE_MAP(CDlgStep3, CDlgStepBase)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CDlgStep3::CDlgStep3() : CDlgStepBase(IDD_STEP3, nullptr) {}

BOOL CDlgStep3::OnInitDialog()
{
    CDlgStepBase::OnInitDialog();
    m_bmpBand.LoadBitmap(IDB_STEP3_BAND);
    m_bmpEmblem.LoadBitmap(IDB_STEP3_EMBLEM);
    if (HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(IDI_SUITE_BULLET), RT_GROUP_ICON))
        m_hBullet = static_cast<HICON>(
            ::LoadImageW(hInst, MAKEINTRESOURCEW(IDI_SUITE_BULLET), IMAGE_ICON, 16, 16, LR_SHARED));
    return TRUE;
}

void CDlgStep3::OnPaint()
{
    PaintPage(this, [this](CDC* pDC) {
        DrawHeaderBand(pDC, m_bmpBand, m_bmpEmblem);
        DrawTextIn(pDC, g_fntLargeBold, kHeadingGreen, L"Our technical support will assist in fixing PC problems",
                   {89, 20, 540, 52}, DT_SINGLELINE | DT_VCENTER);
        DrawTextIn(pDC, g_fntLargeBold, kText, L"Premium technical support", {22, 100, 492, 130}, DT_WORDBREAK);
        {
            CPen rule(PS_SOLID, 1, kRule);
            Selected pen(pDC, rule.GetSafeHandle());
            pDC->MoveTo(22, 131);
            pDC->LineTo(488, 131);
        }
        for (size_t i = 0; i < std::size(kOfferTop); ++i)
        {
            const int y = kOfferTop[i];
            if (m_hBullet)
                pDC->DrawIconEx(25, y, m_hBullet, 16, 16, 0, nullptr, DI_NORMAL);
            DrawTextIn(pDC, g_fntLargeBold, kText, kOffers[i], {51, y, 351, y + 16}, DT_SINGLELINE | DT_VCENTER);
        }
        CString contact = L"Contact us at: ";
        contact += suitecore::web::kSupportMail;
        DrawTextIn(pDC, g_fntLargeBold, kContact, contact, {1, 278, 508, 305}, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    });
}
