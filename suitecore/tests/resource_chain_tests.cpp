// The framework's resource search in a tool that links SuiteCore: the program's own resources
// come first, then SuiteCore's (registered as an extension module when it loads). The program
// holds some of SuiteCore's IDs with other content (resource_chain_tests.rc).
#include <suitecore/sysinfo.h>

#include <framework/dialog.h>
#include <framework/module.h>

#include <gtest/gtest.h>

namespace
{
const HMODULE kProgram = GetModuleHandleW(nullptr);

// SuiteCore, loaded through the test's import table as a tool loads it.
HMODULE SuiteCore()
{
    GetOsMajorVersion();  // a call through the import table binds SuiteCore as a tool binds it
    return GetModuleHandleW(L"suitecore.dll");
}

struct Held
{
    const char* what;
    LPCWSTR type;
    UINT id;
};

std::string Describe(const Held& held) { return std::string(held.what) + " " + std::to_string(held.id); }
} // namespace

// IDs both modules hold: the program's copy wins.
TEST(ResourceChain, AnIdHeldByTheProgramAndSuiteCoreComesFromTheProgram)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    for (const Held& held : {Held{"bitmap", RT_BITMAP, 1019}, Held{"group icon", RT_GROUP_ICON, 1287},
                             Held{"PNG", L"PNG", 1364}, Held{"dialog", RT_DIALOG, 1267}})
    {
        SCOPED_TRACE(Describe(held));
        ASSERT_NE(nullptr, FindResourceW(core, MAKEINTRESOURCEW(held.id), held.type)) << "SuiteCore lacks it";
        EXPECT_EQ(kProgram, AfxFindResourceHandle(MAKEINTRESOURCEW(held.id), held.type));
    }
    // The program's bitmap 1019 is a 1 x 3 picture; SuiteCore's is 3 x 52.
    HBITMAP bitmap = LoadBitmapW(AfxFindResourceHandle(MAKEINTRESOURCEW(1019), RT_BITMAP), MAKEINTRESOURCEW(1019));
    ASSERT_NE(nullptr, bitmap);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    EXPECT_EQ(1, info.bmWidth);
    EXPECT_EQ(3, info.bmHeight);
}

// IDs only SuiteCore holds are found there.
TEST(ResourceChain, AnIdHeldOnlyBySuiteCoreIsFoundThere)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    for (const Held& held : {Held{"bitmap", RT_BITMAP, 1109}, Held{"group icon", RT_GROUP_ICON, 1314},
                             Held{"PNG", L"PNG", 1358}, Held{"dialog", RT_DIALOG, 1274}})
    {
        SCOPED_TRACE(Describe(held));
        ASSERT_EQ(nullptr, FindResourceW(kProgram, MAKEINTRESOURCEW(held.id), held.type));
        EXPECT_EQ(core, AfxFindResourceHandle(MAKEINTRESOURCEW(held.id), held.type));
    }
    EXPECT_EQ(nullptr, AfxFindResourceHandle(MAKEINTRESOURCEW(4242), RT_BITMAP));
}

// The application title is the program's alone; SuiteCore's own strings are found in it.
TEST(ResourceChain, StringsComeFromTheProgramThenSuiteCore)
{
    const HMODULE core = SuiteCore();
    ASSERT_NE(nullptr, core);
    wchar_t text[64] = {};
    EXPECT_EQ(0, LoadStringW(core, 0xE000, text, 64)) << "SuiteCore must not hold an application title";
    ASSERT_EQ(kProgram, AfxFindStringResourceHandle(0xE000));
    ASSERT_GT(LoadStringW(kProgram, 0xE000, text, 64), 0);
    EXPECT_STREQ(L"Resource chain tests", text);

    ASSERT_EQ(0, LoadStringW(kProgram, 0xD800, text, 64));
    ASSERT_EQ(core, AfxFindStringResourceHandle(0xD800));
    ASSERT_GT(LoadStringW(core, 0xD800, text, 64), 0);
    EXPECT_STREQ(L"Invalid DateTime", text);
}

// A template only SuiteCore holds runs modally from the program, created from SuiteCore's
// module.
TEST(ResourceChain, ATemplateHeldOnlyBySuiteCoreRunsModally)
{
    class EndsOnInit : public CDialog
    {
    public:
        EndsOnInit() : CDialog(1274) {}
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            m_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE));
            EndDialog(IDOK);
            return TRUE;
        }
        HINSTANCE m_instance = nullptr;
    };
    const HMODULE core = SuiteCore();
    ASSERT_EQ(nullptr, FindResourceW(kProgram, MAKEINTRESOURCEW(1274), RT_DIALOG));
    EndsOnInit dialog;
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(core, dialog.m_instance);
}
