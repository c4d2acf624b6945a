// "SuiteDiag ui msgbox", "ui choice" and "ui iconchoice", run from a copy of SuiteDiag whose
// language file has captions of its own: the captions each button set takes from it (and the
// literal ones it does not), the count passed through to the library, "@FILE" texts read from
// the folder SuiteDiag was started in, and the result each view prints.
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

bool IsSuiteDiagProcess(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{sizeof(entry)};
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = entry.th32ProcessID == pid && _wcsicmp(entry.szExeFile, L"SuiteDiag.exe") == 0;
    CloseHandle(snapshot);
    return found;
}

// The message box SuiteDiag shows: a dialog of a SuiteDiag process with the first button.
HWND FindBox()
{
    HWND found = nullptr;
    testsupport::WaitUntil(
        [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w && !found;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr))
            {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (IsWindowVisible(w) && GetDlgItem(w, kButton0) && IsSuiteDiagProcess(pid))
                    found = w;
            }
            return found != nullptr;
        },
        60000);
    return found;
}

// SuiteDiag and its DLLs in a folder of their own, with a language file of distinctive texts.
struct CopiedSuiteDiag
{
    explicit CopiedSuiteDiag(bool withLanguageFile = true)
    {
        for (const wchar_t* name : suitediag_tests::kSuiteDiagFiles)
            if (wcscmp(name, L"QMN.ini") != 0)
                copied = copied &&
                         CopyFileW((testsupport::BinFolder() + L"\\" + name).c_str(), dir.File(name).c_str(), FALSE);
        copied = copied && (!withLanguageFile || testsupport::WriteFileBytes(dir.File(L"QMN.ini"),
                                                       "[QMN]\r\nIDS_OK=Okey-dokey\r\nIDS_CANCEL=Call it off\r\n"
                                                       "IDS_YES=Aye\r\nIDS_NO=Nay\r\nIDS_CHK_MSGBOX=Never again\r\n"));
    }
    testsupport::TempDir dir;
    bool copied = true;
};

// SuiteDiag's message-box records (its choice boxes add one at every close), removed before
// and after.
class SuiteDiagRecords
{
public:
    SuiteDiagRecords() { Remove(); }
    ~SuiteDiagRecords() { Remove(); }
    SuiteDiagRecords(const SuiteDiagRecords&) = delete;
    SuiteDiagRecords& operator=(const SuiteDiagRecords&) = delete;
    static constexpr const wchar_t* kPath = L"Software\\Orvane\\QMN3\\SuiteDiag\\MessageBoxStatus";
    static DWORD Count()
    {
        HKEY key = nullptr;
        DWORD values = 0;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return values;
    }

private:
    static void Remove() { RegDeleteKeyW(HKEY_CURRENT_USER, kPath); }
};

// The process's current folder, for as long as the object lives.
class CurrentFolder
{
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        wchar_t old[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, old);
        m_old = old;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(m_old.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring m_old;
};
} // namespace

TEST(MsgBoxViews, CaptionsCountsTextFilesAndResults)
{
    SuiteDiagRecords records;
    CopiedSuiteDiag diag;
    ASSERT_TRUE(diag.copied);
    // A long text in a file beside the start folder: the box grows taller than its default.
    std::string longText;
    for (int i = 0; i < 100; ++i)
        longText += "From the file. ";
    ASSERT_TRUE(testsupport::WriteFileBytes(diag.dir.File(L"message.txt"), "\xEF\xBB\xBF" + longText));
    CurrentFolder start(diag.dir.Path());

    struct Case
    {
        const wchar_t* arguments;
        std::vector<std::wstring> captions;
        int click;
        const char* printed;
        bool tall; // the text came from the file
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
        const std::string name = testsupport::Utf8(c.arguments);
        testsupport::ProcessResult run;
        std::thread runner([&] {
            run = testsupport::RunProcess(L"\"" + diag.dir.File(L"SuiteDiag.exe") + L"\" ui " + c.arguments, 120000);
        });
        std::vector<std::wstring> captions;
        RECT rc{};
        if (HWND box = FindBox())
        {
            Sleep(300);
            for (int id = kButton0; id < kButton0 + 5; ++id)
                if (HWND button = GetDlgItem(box, id))
                    captions.push_back(testsupport::WindowText(button));
            GetClientRect(box, &rc);
            testsupport::ClickHeadless(GetDlgItem(box, c.click));
        }
        runner.join();
        EXPECT_EQ(c.captions, captions) << name;
        EXPECT_EQ(c.printed, run.out) << name << run.err;
        EXPECT_EQ(0u, run.exitCode) << name;
        if (c.tall)
        {
            EXPECT_GT(rc.bottom, 300) << name;
        }
    }
    // The five boxes with the check box recorded one value each.
    EXPECT_EQ(5u, SuiteDiagRecords::Count());
    // An unreadable text file is a usage error.
    const auto missing = testsupport::RunProcess(L"\"" + diag.dir.File(L"SuiteDiag.exe") + L"\" ui msgbox @none.txt");
    EXPECT_EQ(2u, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("none.txt")) << missing.err;
}

TEST(MsgBoxViews, WithoutTheLanguageFileEachCaptionWarnsAndTheBoxStillWorks)
{
    CopiedSuiteDiag diag(false);
    ASSERT_TRUE(diag.copied);
    testsupport::ProcessResult run;
    std::thread runner([&] {
        run = testsupport::RunProcess(L"\"" + diag.dir.File(L"SuiteDiag.exe") + L"\" ui msgbox --flags 4 Sure?", 120000);
    });
    // The warnings are the framework's message boxes: answered with their OK until the box shows.
    int warnings = 0;
    HWND box = nullptr;
    testsupport::WaitUntil(
        [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr))
            {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (!IsWindowVisible(w) || !IsSuiteDiagProcess(pid))
                    continue;
                if (GetDlgItem(w, kButton0))
                {
                    box = w;
                    return true;
                }
                if (HWND ok = GetDlgItem(w, IDOK))
                {
                    PostMessageW(ok, BM_CLICK, 0, 0);
                    ++warnings;
                    Sleep(300);
                }
            }
            return false;
        },
        120000);
    std::vector<std::wstring> captions;
    if (box)
    {
        for (int id = kButton0; id < kButton0 + 2; ++id)
            captions.push_back(testsupport::WindowText(GetDlgItem(box, id)));
        testsupport::ClickHeadless(GetDlgItem(box, kButton0));
    }
    runner.join();
    EXPECT_GE(warnings, 5); // one for each caption
    EXPECT_EQ((std::vector<std::wstring>{L"", L""}), captions);
    EXPECT_EQ("result 6\n", run.out) << run.err;
}
