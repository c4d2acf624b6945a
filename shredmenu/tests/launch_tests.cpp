#include "shredmenu_test_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace shredtest;

namespace
{
const wchar_t kShredTool[] = L"ShredTool.exe";
const wchar_t kSealTool[] = L"SealTool.exe";

// What the helper thread saw of the confirmation dialog before it pressed a button.
struct DialogSeen
{
    bool found = false;
    bool ownerDisabled = false;
    std::wstring text;
    std::wstring yes;
    std::wstring no;
};

// Finds this process's confirmation dialog once it shows, reads it and presses the button.
void AnswerConfirmation(DialogSeen& seen, int button, HWND hOwner)
{
    for (int i = 0; i < 800 && !seen.found; ++i)
    {
        HWND hDlg = FindWindowW(L"#32770", L"Secure Delete: Confirm Erasing");
        DWORD pid = 0;
        if (hDlg)
            GetWindowThreadProcessId(hDlg, &pid);
        if (hDlg && pid == GetCurrentProcessId() && IsWindowVisible(hDlg))
        {
            wchar_t text[1024] = {};
            GetDlgItemTextW(hDlg, 201, text, 1024);
            seen.text = text;
            GetDlgItemTextW(hDlg, IDYES, text, 1024);
            seen.yes = text;
            GetDlgItemTextW(hDlg, IDNO, text, 1024);
            seen.no = text;
            seen.ownerDisabled = hOwner && !IsWindowEnabled(hOwner);
            seen.found = true;
            if (button == IDCLOSE)
                PostMessageW(hDlg, WM_CLOSE, 0, 0);
            else
                PostMessageW(GetDlgItem(hDlg, button), BM_CLICK, 0, 0);
            return;
        }
        Sleep(25);
    }
}

class LaunchTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(S_OK, ServerModule().Register()); }
    static void TearDownTestSuite() { ServerModule().Unregister(); }

    void SetUp() override
    {
        m_settings.SetInstalledPath(m_install.Path());
        m_tempFilesBefore = SelectionFilesInTemp();
    }

    static HRESULT Invoke(const CUniqueComPtr<IContextMenu>& menu, LPCSTR verb, const SettingsKey& settings,
                          HWND hwnd = nullptr)
    {
        CMINVOKECOMMANDINFO ici = {};
        ici.cbSize = sizeof ici;
        ici.hwnd = hwnd;
        ici.lpVerb = verb;
        ici.nShow = SW_SHOWNORMAL;
        const auto scope = settings.Apply();
        return menu->InvokeCommand(&ici);
    }

    HRESULT Invoke(const CUniqueComPtr<IContextMenu>& menu, UINT command, HWND hwnd = nullptr)
    {
        return Invoke(menu, MAKEINTRESOURCEA(command), m_settings, hwnd);
    }

    // Runs Secure Delete with the helper thread answering the dialog.
    HRESULT InvokeDeleteAnswering(const std::vector<std::wstring>& names, int button, DialogSeen& seen)
    {
        HWND hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        CUniqueComPtr<IContextMenu> menu = MenuFor(names);
        std::thread answer(AnswerConfirmation, std::ref(seen), button, hOwner);
        const HRESULT hr = menu ? Invoke(menu, 0, hOwner) : E_POINTER;
        answer.join();
        EXPECT_TRUE(IsWindowEnabled(hOwner));
        DestroyWindow(hOwner);
        return hr;
    }

    // Waits for every worker to end, then checks that no selection file was left behind.
    void ExpectWorkersDoneAndNoFileLeft()
    {
        EXPECT_TRUE(WaitUntilUnloadable(m_server));
        EXPECT_EQ(m_tempFilesBefore, SelectionFilesInTemp());
    }

    // The selection-file path the program received: "-FileFolder " and the path, unquoted.
    std::wstring ReceivedFile(const std::wstring& program) const
    {
        const std::string commandLine = m_install.CommandLine(program);
        const std::string marker = " -FileFolder ";
        const size_t at = commandLine.find(marker);
        return at == std::string::npos ? std::wstring() : testsupport::Wide(commandLine.substr(at + marker.size()));
    }

    CComApartment m_apartment;
    ServerModule m_server;
    SettingsKey m_settings;
    StandInInstall m_install;
    std::vector<std::wstring> m_tempFilesBefore;
};
} // namespace

TEST_F(LaunchTest, SecureEncryptStartsTheEncryptProgramAtOnce)
{
    const std::vector<std::wstring> names = {L"C:\\users\\Public\\a file.txt", L"C:\\users\\Public\\folder"};
    CUniqueComPtr<IContextMenu> menu = MenuFor(names);
    ASSERT_TRUE(menu);
    ASSERT_EQ(S_OK, Invoke(menu, 1));
    ASSERT_TRUE(m_install.WaitForRun(kSealTool));
    EXPECT_FALSE(m_install.HasRun(kShredTool));

    // A new file "ST<hex>.tmp" in the temporary folder, named right after the switch.
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring file = ReceivedFile(kSealTool);
    EXPECT_EQ(std::wstring(temp) + L"ST", file.substr(0, wcslen(temp) + 2)) << m_install.CommandLine(kSealTool);
    EXPECT_EQ(L".tmp", file.substr(file.size() >= 4 ? file.size() - 4 : 0));
    EXPECT_EQ(ExpectedSelectionFile(names), m_install.Selection(kSealTool));
    menu.reset();
    ExpectWorkersDoneAndNoFileLeft();
}

TEST_F(LaunchTest, TextVerbsAndUnknownCommandsAreRefused)
{
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\a.txt"});
    ASSERT_TRUE(menu);
    EXPECT_EQ(E_INVALIDARG, Invoke(menu, "open", m_settings));
    EXPECT_EQ(E_INVALIDARG, Invoke(menu, 2));
    menu.reset();
    ExpectWorkersDoneAndNoFileLeft();
    EXPECT_FALSE(m_install.HasRun(kSealTool));
    EXPECT_FALSE(m_install.HasRun(kShredTool));
}

TEST_F(LaunchTest, WithoutAFullInstallationPathNothingStarts)
{
    CUniqueComPtr<IContextMenu> menu = MenuFor({L"C:\\a.txt"});
    ASSERT_TRUE(menu);
    SettingsKey missing;
    EXPECT_EQ(E_FAIL, Invoke(menu, MAKEINTRESOURCEA(1), missing));
    EXPECT_EQ(E_FAIL, Invoke(menu, MAKEINTRESOURCEA(0), missing)); // and no question is asked
    for (const wchar_t* path : {L"", L"Lumasweep", L"\\Lumasweep", L"C:Lumasweep"})
    {
        SettingsKey partial;
        partial.SetInstalledPath(path);
        EXPECT_EQ(E_FAIL, Invoke(menu, MAKEINTRESOURCEA(1), partial)) << testsupport::Utf8(path);
    }
    // The value is taken as it is: a folder given with a variable is not expanded.
    SettingsKey expandable;
    expandable.SetInstalledPath(L"%TEMP%\\nowhere", REG_EXPAND_SZ);
    EXPECT_EQ(E_FAIL, Invoke(menu, MAKEINTRESOURCEA(1), expandable));
    menu.reset();
    ExpectWorkersDoneAndNoFileLeft();
}

TEST_F(LaunchTest, TheQuestionNamesTheSingleObjectAndYesStartsTheDeleteProgram)
{
    const std::vector<std::wstring> names = {L"C:\\users\\Public\\report.doc"};
    DialogSeen seen;
    EXPECT_EQ(S_OK, InvokeDeleteAnswering(names, IDYES, seen));
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(L"Do you really want to delete the \"C:\\users\\Public\\report.doc\" ?\nThis operation cannot be undone.",
              seen.text);
    EXPECT_EQ(L"&Yes", seen.yes);
    EXPECT_EQ(L"&No", seen.no);
    EXPECT_TRUE(seen.ownerDisabled);

    ASSERT_TRUE(m_install.WaitForRun(kShredTool));
    EXPECT_FALSE(m_install.HasRun(kSealTool));
    EXPECT_EQ(ExpectedSelectionFile(names), m_install.Selection(kShredTool));
    ExpectWorkersDoneAndNoFileLeft();
}

TEST_F(LaunchTest, TheQuestionCountsSeveralObjectsAndNoOrCloseStartsNothing)
{
    const std::vector<std::wstring> names = {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c"};
    for (int button : {IDNO, IDCLOSE})
    {
        DialogSeen seen;
        EXPECT_EQ(S_OK, InvokeDeleteAnswering(names, button, seen));
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(L"Do you really want to delete the 3 selected objects?\nThis operation cannot be undone.", seen.text);
    }
    ExpectWorkersDoneAndNoFileLeft();
    EXPECT_FALSE(m_install.HasRun(kShredTool));
    EXPECT_FALSE(m_install.HasRun(kSealTool));
}

TEST_F(LaunchTest, TheSelectionFileUsesTheArchiveEncodingsForCountsAndLengths)
{
    std::vector<std::wstring> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(L"C:\\files\\file" + std::to_wstring(i) + L".txt");
    {
        CUniqueComPtr<IContextMenu> menu = MenuFor(many);
        ASSERT_TRUE(menu);
        ASSERT_EQ(S_OK, Invoke(menu, 1));
    }
    ASSERT_TRUE(m_install.WaitForRun(kSealTool));
    const std::string selection = m_install.Selection(kSealTool);
    ASSERT_GE(selection.size(), 2u);
    EXPECT_EQ(std::string("\x2C\x01", 2), selection.substr(0, 2)); // 300 as one 16-bit count
    EXPECT_EQ(ExpectedSelectionFile(many), selection);
    ExpectWorkersDoneAndNoFileLeft();
}

TEST_F(LaunchTest, LongPathsReachTheProgramWhole)
{
    // 254 characters take one length byte; from 255 on, 0xFF and 16 bits. Names longer than the
    // classic 260-character buffer are fetched whole, never cut.
    const std::vector<std::wstring> names = {PathOfLength(254), PathOfLength(255), PathOfLength(259), PathOfLength(300),
                                             PathOfLength(1000)};
    {
        CUniqueComPtr<IContextMenu> menu = MenuFor(names);
        ASSERT_TRUE(menu);
        ASSERT_EQ(S_OK, Invoke(menu, 1));
    }
    ASSERT_TRUE(m_install.WaitForRun(kSealTool));
    const std::string selection = m_install.Selection(kSealTool);
    EXPECT_EQ(ExpectedSelectionFile(names), selection);
    ASSERT_GE(selection.size(), 9u);
    EXPECT_EQ(std::string("\x05\x00\xFF\xFE\xFF\xFE", 6), selection.substr(0, 6)); // count, tag, 254
    ExpectWorkersDoneAndNoFileLeft();
}

TEST_F(LaunchTest, EachMenuHandsOnItsOwnSelection)
{
    CUniqueComPtr<IContextMenu> first = MenuFor({L"C:\\first.txt"});
    CUniqueComPtr<IContextMenu> second = MenuFor({L"C:\\second.txt", L"C:\\third.txt"});
    ASSERT_TRUE(first && second);
    ASSERT_EQ(S_OK, Invoke(first, 1)); // initialised before the second menu was
    ASSERT_TRUE(m_install.WaitForRun(kSealTool));
    EXPECT_EQ(ExpectedSelectionFile({L"C:\\first.txt"}), m_install.Selection(kSealTool));
    first.reset();
    second.reset();
    ExpectWorkersDoneAndNoFileLeft();
}
