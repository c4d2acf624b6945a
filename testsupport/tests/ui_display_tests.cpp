// A framework dialog on a real screen: a static coloured through WM_CTLCOLORSTATIC and a skin
// bitmap of SuiteCore drawn in WM_PAINT are read back from the screen and checked against
// the colours given and the resource picture's own pixels, and a button is clicked with the
// mouse. A failing case leaves its capture in the build tree (captures\).
#include <testsupport/ui.h>

#include <framework/dialog.h>
#include <framework/gdi.h>
#include <framework/module.h>
#include <suitecore/sysinfo.h>

#include <gtest/gtest.h>

namespace
{
constexpr UINT kDialog = 310;
constexpr int kStatic = 311;
constexpr int kButton = 312;
constexpr UINT kPicture = 1115;  // the information type icon of the skin kit, 32 x 32
constexpr POINT kPictureAt{12, 12};
constexpr COLORREF kText = RGB(169, 1, 1);
constexpr COLORREF kPanel = RGB(224, 241, 249);

unsigned Rgb(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

class CPixelDialog : public CDialog
{
public:
    CPixelDialog() : CDialog(kDialog), m_panel(CreateSolidBrush(kPanel)) {}
    ~CPixelDialog() override { DeleteObject(m_panel); }

protected:
    // Colour messages are dispatched as WM_CTLCOLOR, with the kind of control in nCtlColor.
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        if (nCtlColor != CTLCOLOR_STATIC)
            return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
        SetTextColor(pDC->GetSafeHdc(), kText);
        SetBkColor(pDC->GetSafeHdc(), kPanel);
        return m_panel;
    }

    void OnPaint()
    {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(m_hWnd, &paint);
        const HINSTANCE holder = AfxFindResourceHandle(MAKEINTRESOURCEW(kPicture), RT_BITMAP);
        if (HBITMAP bitmap = LoadBitmapW(holder, MAKEINTRESOURCEW(kPicture)))
        {
            const HDC memory = CreateCompatibleDC(dc);
            const HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(dc, kPictureAt.x, kPictureAt.y, 32, 32, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
            DeleteObject(bitmap);
        }
        EndPaint(m_hWnd, &paint);
    }

    void OnDetails() { ++m_clicks; }

    DECLARE_MESSAGE_MAP()

private:
    HBRUSH m_panel;

public:
    int m_clicks = 0;
};

BEGIN_MESSAGE_MAP(CPixelDialog, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_BN_CLICKED(kButton, &CPixelDialog::OnDetails)
END_MESSAGE_MAP()

HMODULE SuiteCore()
{
    GetOsMajorVersion();  // a call through the import table binds SuiteCore as a tool binds it
    return GetModuleHandleW(L"suitecore.dll");
}
} // namespace

TEST(DialogOnScreen, ColouredStaticAndSkinBitmapShowTheirPixels)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    const testsupport::Capture picture = testsupport::LoadBitmapPixels(core, kPicture);
    ASSERT_EQ(32, picture.width);

    CPixelDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialog));
    SetWindowPos(dialog.m_hWnd, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    testsupport::WindowQuery query;
    query.title = L"Pixel check";
    ASSERT_EQ(dialog.m_hWnd, testsupport::WaitForWindow(query));
    HWND label = GetDlgItem(dialog.m_hWnd, kStatic);
    RECT area;
    GetWindowRect(label, &area);
    MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&area), 2);

    // Wait until the screen shows the painted dialog, then check it.
    testsupport::Capture screen;
    std::string pictureDiff;
    const bool painted = testsupport::WaitUntil(
        [&] {
            UpdateWindow(dialog.m_hWnd);
            screen = testsupport::CaptureClient(dialog.m_hWnd);
            pictureDiff = testsupport::CompareRegion(screen, kPictureAt.x, kPictureAt.y, picture);
            return pictureDiff.empty() && testsupport::CountColour(screen, area, Rgb(kText), 0) > 0;
        },
        20000);

    EXPECT_TRUE(painted);
    EXPECT_EQ("", pictureDiff);
    // The static's background is the panel colour exactly; its text is red, anti-aliased at
    // the edges, so counted within a tolerance; none of that red leaks outside the static.
    EXPECT_EQ(Rgb(kPanel), screen.At(area.right - 2, area.bottom - 2));
    EXPECT_GT(testsupport::CountColour(screen, area, Rgb(kText), 40), 20);
    RECT outside{area.left, area.bottom + 2, area.right, screen.height};
    EXPECT_EQ(0, testsupport::CountColour(screen, outside, Rgb(kText), 40));
    // A picture part that is not there is told apart: the right half compared one pixel off.
    EXPECT_NE("", testsupport::CompareRegion(screen, kPictureAt.x + 17, kPictureAt.y, picture, RECT{16, 0, 32, 32}));

    // A mouse click through SendInput at the button's centre reaches its handler once.
    ASSERT_TRUE(testsupport::ClickOnScreen(GetDlgItem(dialog.m_hWnd, kButton)));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return dialog.m_clicks == 1; }, 10000));

    if (HasFailure())
        ADD_FAILURE() << "capture written to "
                      << testsupport::Utf8(testsupport::SaveCaptureForReview(screen, L"DialogOnScreen"));
    dialog.DestroyWindow();
}

// Keys sent with SendInput reach the focused window and GetAsyncKeyState while held. Wine's
// null driver delivers them too, but the focus is shared by every test of a headless session,
// so tests that type run here, on a server of their own.
TEST(KeyInput, HeldKeyIsSeenByTheWindowAndByGetAsyncKeyState)
{
    HWND window = CreateWindowExW(0, L"Edit", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 30, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    SetForegroundWindow(window);
    SetFocus(window);
    // The X server's focus events arrive after the calls return, and each one makes Wine re-read
    // the keyboard from the server, which lets an injected key go: let them all arrive first.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return GetForegroundWindow() == window && GetFocus() == window; }, 10000));
    testsupport::WaitUntil([] { return false; }, 1000);
    {
        testsupport::HeldKey shift(VK_SHIFT);
        ASSERT_TRUE(shift.Pressed());
        EXPECT_TRUE(testsupport::WaitUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }, 5000));
        EXPECT_TRUE(testsupport::PressKey('A'));
        // An edit control keeps its text in its own buffer: ask it (same thread).
        wchar_t text[8] = {};
        EXPECT_TRUE(testsupport::WaitUntil([&] { return GetWindowTextW(window, text, 8) == 1 && text[0] == L'A'; }, 5000))
            << testsupport::Utf8(text);
    }
    EXPECT_TRUE(testsupport::WaitUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0; }, 5000));
    DestroyWindow(window);
}
