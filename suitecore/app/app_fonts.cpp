// The 24 shared fonts every skinned window draws with, built from the shared UI font.
#include "app_internal.h"

#include "suitecore/app.h"
#include "suitecore/sysinfo.h"
#include "suitecore/ui/uifont.h"

#include <iterator>

CFont g_fntNormal;
CFont g_fntNormalUnderline;
CFont g_fntBoldUnderline;
CFont g_fntBold;
CFont g_fntLargeBold;
CFont g_fntLargeMedium;
CFont g_fntLarge;
CFont g_fntLargeUnderline;
CFont g_fntSmall;
CFont g_fntSmallBold;
CFont g_fntSmaller;
CFont g_fntTitleBold;
CFont g_fntTitleBoldItalic;
CFont g_fntHuge;
CFont g_fntTitle;
CFont g_fntHeadingUnderline;
CFont g_fntHeadingBold;
CFont g_fntHeading;
CFont g_fntSubHeading;
CFont g_fntCaption;
CFont g_fntCaptionBold;
CFont g_fntBanner;
CFont g_fntFixed15;
CFont g_fntFixed15Bold;

namespace
{
struct SharedFont
{
    CFont* font;
    int grow;        // logical units larger than the base height
    int fixedHeight; // an lfHeight of its own, or 0
    LONG weight;
    LONG weightXP;   // the weight before Windows 6
    BYTE underline;
    BYTE italic;
};

// clang-format off
const SharedFont kSharedFonts[] = {
    {&g_fntNormal,           0, 0,   400, 400, 0, 0},
    {&g_fntNormalUnderline,  0, 0,   400, 400, 1, 0},
    {&g_fntBoldUnderline,    0, 0,   700, 700, 1, 0},
    {&g_fntBold,             0, 0,   700, 700, 0, 0},
    {&g_fntLargeBold,        1, 0,   700, 700, 0, 0},
    {&g_fntLargeMedium,      1, 0,   500, 500, 0, 0},
    {&g_fntLarge,            1, 0,   400, 400, 0, 0},
    {&g_fntLargeUnderline,   1, 0,   400, 400, 1, 0},
    {&g_fntSmall,           -1, 0,   400, 400, 0, 0},
    {&g_fntSmallBold,       -1, 0,   700, 700, 0, 0},
    {&g_fntSmaller,         -2, 0,   400, 400, 0, 0},
    // From here on, an older system without Segoe UI draws with Arial.
    {&g_fntTitleBold,        6, 0,   700, 700, 0, 0},
    {&g_fntTitleBoldItalic,  6, 0,   700, 700, 0, 1},
    {&g_fntHuge,             9, 0,   400, 400, 0, 0},
    {&g_fntTitle,            6, 0,   400, 400, 0, 0},
    {&g_fntHeadingUnderline, 4, 0,   500, 400, 1, 0},
    {&g_fntHeadingBold,      4, 0,   700, 400, 0, 0},
    {&g_fntHeading,          4, 0,   500, 400, 0, 0},
    {&g_fntSubHeading,       2, 0,   500, 400, 0, 0},
    {&g_fntCaption,          8, 0,   500, 400, 0, 0},
    {&g_fntCaptionBold,      8, 0,   700, 700, 0, 0},
    {&g_fntBanner,          13, 0,   500, 400, 0, 0},
    {&g_fntFixed15,          0, -15, 500, 500, 0, 0},
    {&g_fntFixed15Bold,      0, -15, 700, 700, 0, 0},
};
// clang-format on
static_assert(std::size(kSharedFonts) == 24);
constexpr size_t kFirstArialFont = 11; // g_fntTitleBold

bool SharedFaceIsSegoe()
{
    CString face = GetUIFontFace();
    face.MakeUpper();
    return face.Left(3) == L"SEG";
}

// n units larger: the height is negative (a character height), so its magnitude grows.
LONG Grown(LONG height, int grow)
{
    return height < 0 ? height - grow : height + grow;
}
} // namespace

namespace suitecore
{
void ChooseSharedFont()
{
    SetUIFontFace(TRUE, L"tahoma");
    SetUIFontHeight(GetOsMajorVersion() >= 6 || SharedFaceIsSegoe() ? -12 : -11);
}

void CreateSharedFonts()
{
    const bool xp = GetOsMajorVersion() < 6;
    const bool arialForLarge = xp && !SharedFaceIsSegoe();
    for (size_t i = 0; i < std::size(kSharedFonts); ++i)
    {
        const SharedFont& entry = kSharedFonts[i];
        LOGFONTW lf;
        InitUILogFont(lf);
        lf.lfHeight = entry.fixedHeight ? entry.fixedHeight : Grown(lf.lfHeight, entry.grow);
        lf.lfWeight = xp ? entry.weightXP : entry.weight;
        lf.lfUnderline = entry.underline;
        lf.lfItalic = entry.italic;
        if (arialForLarge && i >= kFirstArialFont)
            lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
        entry.font->DeleteObject();
        entry.font->CreateFontIndirect(&lf);
    }
}
} // namespace suitecore
