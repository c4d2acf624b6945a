// The shared UI font settings and the fonts built from them: fields, face bounds, the lock
// between threads, and the Segoe choice under the Windows versions of AppDefaults.
#include <suitecore/ui/stbitmap.h>
#include <suitecore/ui/uifont.h>

#include <framework/handles.h>
#include <framework/regkey.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "ui_prims_ids.h"

namespace
{
const std::wstring kFace40 = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn"; // 40 characters

// A LOGFONTW with guard bytes after it: the face is its last field.
struct GuardedLogFont
{
    LOGFONTW lf;
    BYTE guard[16];
};
} // namespace

TEST(UIFontSettings, InitUILogFontZeroesAllButTheSharedFields)
{
    static_assert(sizeof(LOGFONTW) == 92 && sizeof(CUILogFont) == 92);
    struct Case
    {
        LPCWSTR face;
        int height;
        BYTE charSet;
    } cases[] = {{L"Tahoma", -11, DEFAULT_CHARSET}, {L"Arial", -16, ANSI_CHARSET}, {L"", 13, SHIFTJIS_CHARSET}};
    for (const Case& c : cases)
    {
        SetUIFontFace(FALSE, c.face);
        SetUIFontHeight(c.height);
        SetUIFontCharSet(c.charSet);
        EXPECT_STREQ(c.face, GetUIFontFace());
        EXPECT_EQ(c.height, GetUIFontHeight());
        EXPECT_EQ(c.charSet, GetUIFontCharSet());

        LOGFONTW lf;
        memset(&lf, 0xCD, sizeof lf);
        InitUILogFont(lf);
        LOGFONTW expected{};
        expected.lfHeight = c.height;
        expected.lfWeight = 400;
        expected.lfQuality = 5;
        expected.lfCharSet = c.charSet;
        wcscpy(expected.lfFaceName, c.face);
        EXPECT_EQ(0, memcmp(&expected, &lf, sizeof lf)) << testsupport::Utf8(c.face);
    }
}

TEST(UIFontSettings, CUILogFontTakesFaceHeightBoldAndUnderline)
{
    SetUIFontFace(FALSE, L"Tahoma");
    SetUIFontHeight(-11);
    SetUIFontCharSet(DEFAULT_CHARSET);
    struct Case
    {
        LPCWSTR face;
        int height;
        BOOL bold, underline;
        LPCWSTR expectFace;
        LONG expectWeight;
        BYTE expectUnderline;
    } cases[] = {
        {L"Arial", -16, TRUE, FALSE, L"Arial", 700, 0},
        {L"Verdana", -12, FALSE, TRUE, L"Verdana", 400, 1},
        {L"Arial", -13, TRUE, TRUE, L"Arial", 700, 1},
        {nullptr, -15, FALSE, FALSE, L"Tahoma", 400, 0}, // no face: the shared one stays
    };
    for (const Case& c : cases)
    {
        CUILogFont lf(c.face, c.height, c.bold, c.underline);
        EXPECT_STREQ(c.expectFace, lf.lfFaceName);
        EXPECT_EQ(c.height, lf.lfHeight);
        EXPECT_EQ(c.expectWeight, lf.lfWeight);
        EXPECT_EQ(c.expectUnderline, lf.lfUnderline);
        EXPECT_EQ(5, lf.lfQuality);
        EXPECT_EQ(0, lf.lfItalic);
    }
    CUILogFont shared;
    EXPECT_STREQ(L"Tahoma", shared.lfFaceName);
    EXPECT_EQ(-11, shared.lfHeight);
    EXPECT_EQ(400, shared.lfWeight);
}

TEST(UIFontSettings, FacesLongerThanTheFieldAreCutTo31Characters)
{
    const std::wstring cut = kFace40.substr(0, 31);
    SetUIFontFace(FALSE, kFace40.c_str());
    EXPECT_STREQ(cut.c_str(), GetUIFontFace());

    GuardedLogFont shared;
    memset(shared.guard, 0x5A, sizeof shared.guard);
    InitUILogFont(shared.lf);
    EXPECT_EQ(0, wcscmp(cut.c_str(), shared.lf.lfFaceName));

    CUILogFont own(kFace40.c_str(), -12, FALSE, FALSE);
    EXPECT_EQ(0, wcscmp(cut.c_str(), own.lfFaceName));
    for (BYTE b : shared.guard)
        ASSERT_EQ(0x5A, b);

    SetUIFontFace(FALSE, nullptr);
    EXPECT_STREQ(L"", GetUIFontFace());
}

// One thread switches the face while another builds fonts: every font has one whole face.
TEST(UIFontSettings, FontsBuiltWhileTheFaceChangesNeverMixFaces)
{
    SetUIFontFace(FALSE, L"Tahoma");
    std::atomic<bool> stop{false};
    std::thread switcher(
        [&]
        {
            for (int i = 0; !stop; ++i)
                SetUIFontFace(FALSE, (i & 1) ? L"Arial" : L"Tahoma");
        });
    int tahoma = 0, arial = 0, mixed = 0;
    for (int i = 0; i < 20000; ++i)
    {
        CUILogFont lf;
        if (wcscmp(lf.lfFaceName, L"Tahoma") == 0)
            ++tahoma;
        else if (wcscmp(lf.lfFaceName, L"Arial") == 0)
            ++arial;
        else
            ++mixed;
    }
    stop = true;
    switcher.join();
    EXPECT_EQ(0, mixed);
    EXPECT_EQ(20000, tahoma + arial);
}

TEST(UIFontSettings, CSTFontCreatesTheFontAndDeletesItWhenDestroyed)
{
    CUILogFont lf(L"Tahoma", -17, TRUE, FALSE);
    HGDIOBJ handle = nullptr;
    {
        CSTFont font(lf);
        handle = font.GetSafeHandle();
        ASSERT_NE(nullptr, handle);
        LOGFONTW back{};
        ASSERT_EQ(static_cast<int>(sizeof back), font.GetLogFont(&back));
        EXPECT_EQ(-17, back.lfHeight);
        EXPECT_EQ(700, back.lfWeight);
        EXPECT_STREQ(L"Tahoma", back.lfFaceName);
    }
    EXPECT_EQ(0u, GetObjectType(handle));
}

TEST(STBitmap, LoadsFromTheProgramOrTheLibraryWithItsSize)
{
    struct Case
    {
        UINT id;
        bool loads;
        int width, height;
    } cases[] = {
        {IDB_TEST_BITMAP, true, 40, 50}, // the program's own
        {1128, true, 547, 1},            // only SuiteCore holds it
        {1024, true, 1, 50},
        {31999, false, 0, 0},            // nobody does
    };
    for (const Case& c : cases)
    {
        CSTBitmap constructed(c.id);
        CSTBitmap loaded;
        EXPECT_EQ(c.loads, loaded.LoadBitmap(c.id) != FALSE) << c.id;
        for (const CSTBitmap* bitmap : {&constructed, &loaded})
        {
            EXPECT_EQ(c.loads, bitmap->GetSafeHandle() != nullptr) << c.id;
            EXPECT_EQ(c.width, bitmap->m_nWidth) << c.id;
            EXPECT_EQ(c.height, bitmap->m_nHeight) << c.id;
        }
    }
    // A failed load after a good one leaves the object empty, not with the old sizes.
    CSTBitmap bitmap(1128);
    EXPECT_FALSE(bitmap.LoadBitmap(31999));
    EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
    EXPECT_EQ(0, bitmap.GetWidth());
    EXPECT_EQ(0, bitmap.GetHeight());
}

// SetUIFontFace(TRUE, "tahoma") in a program that Wine tells another Windows version: version 6
// and later always take Segoe; XP only when the Windows folder holds its font file.
TEST(UIFontSettings, SegoeIsChosenByVersionOrByItsFontFile)
{
    const std::wstring probe = testsupport::BinFolder() + L"\\uiface_probe.exe";
    WCHAR windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    const std::wstring fontFile = std::wstring(windows) + L"\\Fonts\\SEGOEUI.TTF";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(fontFile.c_str()))
        << "the prefix holds a Segoe UI font file of its own";

    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\uiface_probe.exe";
    // The probe's version setting and the font file go on every way out, as before the test.
    struct Cleanup
    {
        std::wstring file, key;
        void Run() const
        {
            DeleteFileW(file.c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        }
        ~Cleanup() { Run(); }
    } cleanup{fontFile, appKey};
    RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
    struct Case
    {
        LPCWSTR version;
        bool withFile;
        const char* face;
    } cases[] = {
        {L"win7", false, "SEGOE UI"},
        {L"winxp", false, "tahoma"},
        {L"winxp", true, "SEGOE UI"},
    };
    for (const Case& c : cases)
    {
        CUniqueRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, key.put(), nullptr));
        const DWORD bytes = static_cast<DWORD>((wcslen(c.version) + 1) * sizeof(WCHAR));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), L"Version", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(c.version), bytes));
        if (c.withFile)
        {
            ASSERT_TRUE(testsupport::WriteFileBytes(fontFile, std::string()));
        }
        const auto result = testsupport::RunProcess(L"\"" + probe + L"\"");
        if (c.withFile)
            DeleteFileW(fontFile.c_str());
        key.reset();
        EXPECT_EQ(0u, result.exitCode);
        EXPECT_EQ(c.face, result.out) << testsupport::Utf8(c.version) << " file " << c.withFile;
    }
}
