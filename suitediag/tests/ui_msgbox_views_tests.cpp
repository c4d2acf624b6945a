// "SuiteDiag ui msgbox", "ui choice" and "ui iconchoice", run from a copy of SuiteDiag whose
// language file has captions of its own: the captions each button set takes from it (and the
// literal ones it does not), the count passed through to the library, "@FILE" texts read from
// the folder SuiteDiag was started in, the result each view prints, and a missing language file.
#include "suitediag_files.h"

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kButton0 = 1185;
constexpr int kClose = 1184;
constexpr const wchar_t* kRecords = L"Software\\Orvane\\QMN3\\SuiteDiag\\MessageBoxStatus";

bool IsSuiteDiagProcess(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{sizeof(entry)};
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = entry.th32ProcessID == pid && _wcsicmp(entry.szExeFile, L"SuiteDiag.exe") == 0;
    CloseHandle(snapshot);
    return found;
}

// The message box a SuiteDiag process shows (a dialog with the first button). Other dialogs of
// SuiteDiag, the framework's warnings, are answered with OK and counted.
HWND FindBox(int* pWarnings = nullptr)
{
    HWND found = nullptr;
    testsupport::WaitUntil(
        [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w && !found;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr))
            {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (!IsWindowVisible(w) || !IsSuiteDiagProcess(pid))
                    continue;
                if (GetDlgItem(w, kButton0))
                    found = w;
                else if (pWarnings && GetDlgItem(w, IDOK) && PostMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0))
                {
                    ++*pWarnings;
                    Sleep(300);
                }
            }
            return found != nullptr;
        },
        120000);
    return found;
}

// A view run: the box's captions and client height, then a click; what SuiteDiag printed.
struct ViewRun
{
    std::vector<std::wstring> captions;
    int height = 0;
    int warnings = 0;
    testsupport::ProcessResult process;

    ViewRun(const std::wstring& exe, const std::wstring& arguments, int click)
    {
        std::thread runner([&] { process = testsupport::RunProcess(L"\"" + exe + L"\" ui " + arguments, 120000); });
        if (HWND box = FindBox(&warnings))
        {
            Sleep(300);
            for (int id = kButton0; id < kButton0 + 5; ++id)
                if (HWND button = GetDlgItem(box, id))
                    captions.push_back(testsupport::WindowText(button));
            RECT rc{};
            GetClientRect(box, &rc);
            height = rc.bottom;
            testsupport::ClickHeadless(GetDlgItem(box, click));
        }
        runner.join();
    }
};

// SuiteDiag and its DLLs in a folder of their own, with or without a language file of
// distinctive texts; the current folder is that folder while it lives.
struct CopiedSuiteDiag
{
    explicit CopiedSuiteDiag(bool withLanguageFile)
    {
        for (const wchar_t* name : suitediag_tests::kSuiteDiagFiles)
            if (wcscmp(name, L"QMN.ini") != 0)
                copied = copied &&
                         CopyFileW((testsupport::BinFolder() + L"\\" + name).c_str(), dir.File(name).c_str(), FALSE);
        copied = copied && (!withLanguageFile ||
                            testsupport::WriteFileBytes(dir.File(L"QMN.ini"),
                                                        "[QMN]\r\nIDS_OK=Okey-dokey\r\nIDS_CANCEL=Call it off\r\n"
                                                        "IDS_YES=Aye\r\nIDS_NO=Nay\r\nIDS_CHK_MSGBOX=Never again\r\n"));
        GetCurrentDirectoryW(MAX_PATH, oldFolder);
        SetCurrentDirectoryW(dir.Path().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kRecords);
    }
    ~CopiedSuiteDiag()
    {
        SetCurrentDirectoryW(oldFolder);
        RegDeleteKeyW(HKEY_CURRENT_USER, kRecords);
    }
    CopiedSuiteDiag(const CopiedSuiteDiag&) = delete;
    CopiedSuiteDiag& operator=(const CopiedSuiteDiag&) = delete;
    std::wstring Exe() const { return dir.File(L"SuiteDiag.exe"); }

    testsupport::TempDir dir;
    bool copied = true;
    wchar_t oldFolder[MAX_PATH] = {};
};
} // namespace

TEST(MsgBoxViews, CaptionsCountsTextFilesAndResults)
{
    CopiedSuiteDiag diag(true);
    ASSERT_TRUE(diag.copied);
    // A long text in a file in the start folder: the box grows taller than its default.
    std::string longText = "\xEF\xBB\xBF";
    for (int i = 0; i < 100; ++i)
        longText += "From the file. ";
    ASSERT_TRUE(testsupport::WriteFileBytes(diag.dir.File(L"message.txt"), longText));
    struct Case
    {
        const wchar_t* arguments;
        std::vector<std::wstring> captions;
        int click;
        const char* printed;
        bool fromFile;
    } cases[] = {
        {L"msgbox --flags 0 @message.txt", {L"Okey-dokey"}, kButton0, "result 1\n", true},
        {L"msgbox --flags 4 Sure?", {L"Aye", L"Nay"}, kButton0 + 1, "result 7\n", false},
        {L"msgbox --flags 1 --nowrap Go?", {L"Okey-dokey", L"Call it off"}, kButton0 + 1, "result 2\n", false},
        {L"msgbox --flags 3 Save?", {L"Yes", L"No", L"Cancel"}, kClose, "result 2\n", false},
        {L"msgbox --flags 0x12 Again?", {L"Abort", L"Retry", L"Cancel"}, kButton0 + 1, "result 1\n", false},
        {L"choice --count 9 @message.txt A B C", {L"A", L"B", L"C"}, kButton0 + 2, "result 2\n", true},
        {L"choice --lower --bitmap 1078 Below A B", {L"A", L"B"}, kButton0, "result 0\n", false},
        {L"iconchoice --icon 32 --large --check Pick 1 2 3 4 5 6 7", {L"1", L"2", L"3", L"4", L"5"}, kButton0 + 4,
         "result 4\n", false},
    };
    for (const Case& c : cases)
    {
        const ViewRun run(diag.Exe(), c.arguments, c.click);
        const std::string name = testsupport::Utf8(c.arguments);
        EXPECT_EQ(c.captions, run.captions) << name;
        EXPECT_EQ(c.printed, run.process.out) << name << run.process.err;
        EXPECT_EQ(c.fromFile, run.height > 300) << name << " height " << run.height;
    }
    // The five boxes with the check box added one record each.
    HKEY key = nullptr;
    DWORD values = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kRecords, 0, KEY_READ, &key));
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(5u, values);
    // An unreadable text file is a usage error.
    const auto missing = testsupport::RunProcess(L"\"" + diag.Exe() + L"\" ui msgbox @none.txt");
    EXPECT_EQ(2u, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("none.txt")) << missing.err;
}

TEST(MsgBoxViews, WithoutTheLanguageFileEachCaptionWarnsAndTheBoxStillWorks)
{
    CopiedSuiteDiag diag(false);
    ASSERT_TRUE(diag.copied);
    const ViewRun run(diag.Exe(), L"msgbox --flags 4 Sure?", kButton0);
    EXPECT_GE(run.warnings, 5); // one for each caption
    EXPECT_EQ((std::vector<std::wstring>{L"", L""}), run.captions);
    EXPECT_EQ("result 6\n", run.process.out) << run.process.err;
}
