// SuiteDiag ui fonts: the 24 shared fonts as InitInstance made them, in their order, one line
// each: name, lfHeight, lfWeight, lfUnderline, lfItalic and lfFaceName, tab-separated.
#include "ui_view.h"

#include <suitecore/app.h>

namespace
{
struct NamedFont
{
    LPCWSTR name;
    const CFont* font;
};

int RunFonts(suitediag::Args& args, BOOL initialised)
{
    args.ExpectEnd();
    if (!initialised)
    {
        suitediag::ErrLine(L"SuiteDiag ui fonts: the start-up ended early; no fonts were made.");
        return 1;
    }
    const NamedFont fonts[] = {
        {L"g_fntNormal", &g_fntNormal},
        {L"g_fntNormalUnderline", &g_fntNormalUnderline},
        {L"g_fntBoldUnderline", &g_fntBoldUnderline},
        {L"g_fntBold", &g_fntBold},
        {L"g_fntLargeBold", &g_fntLargeBold},
        {L"g_fntLargeMedium", &g_fntLargeMedium},
        {L"g_fntLarge", &g_fntLarge},
        {L"g_fntLargeUnderline", &g_fntLargeUnderline},
        {L"g_fntSmall", &g_fntSmall},
        {L"g_fntSmallBold", &g_fntSmallBold},
        {L"g_fntSmaller", &g_fntSmaller},
        {L"g_fntTitleBold", &g_fntTitleBold},
        {L"g_fntTitleBoldItalic", &g_fntTitleBoldItalic},
        {L"g_fntHuge", &g_fntHuge},
        {L"g_fntTitle", &g_fntTitle},
        {L"g_fntHeadingUnderline", &g_fntHeadingUnderline},
        {L"g_fntHeadingBold", &g_fntHeadingBold},
        {L"g_fntHeading", &g_fntHeading},
        {L"g_fntSubHeading", &g_fntSubHeading},
        {L"g_fntCaption", &g_fntCaption},
        {L"g_fntCaptionBold", &g_fntCaptionBold},
        {L"g_fntBanner", &g_fntBanner},
        {L"g_fntFixed15", &g_fntFixed15},
        {L"g_fntFixed15Bold", &g_fntFixed15Bold},
    };
    int result = 0;
    for (const NamedFont& entry : fonts)
    {
        LOGFONTW lf{};
        if (!entry.font->GetSafeHandle() || !entry.font->GetLogFont(&lf))
        {
            suitediag::ErrFormat(L"SuiteDiag ui fonts: %s was not made.\n", entry.name);
            result = 1;
            continue;
        }
        suitediag::OutFormat(L"%s\t%ld\t%ld\t%u\t%u\t%s\n", entry.name, lf.lfHeight, lf.lfWeight,
                             static_cast<unsigned>(lf.lfUnderline), static_cast<unsigned>(lf.lfItalic), lf.lfFaceName);
    }
    return result;
}
} // namespace

SUITEDIAG_UI_VIEW(fonts, L"fonts", L"", L"The 24 shared fonts, field by field", false, RunFonts);
