// The update check in process against per-test sites, and the definition update run through
// SuiteDiag from a sandbox copy of the bin folder.
#include "net_test_support.h"

#include "../version_compare.h"

#include <suitecore/checksum.h>
#include <suitecore/paths.h>
#include <suitecore/registry.h>
#include <suitecore/ui/msgbox.h>
#include <suitecore/sysinfo.h>
#include <suitecore/update.h>

#include <framework/module.h>

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

using namespace nettest;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::Utf8;
using testsupport::WriteFileBytes;

namespace
{
constexpr wchar_t kVersionPage[] = L"qmnupdates/update.aspx";
constexpr wchar_t kDatabasePage[] = L"antispywareupdates/CompleteDatabase/getdatabase.asp";

std::string VersionFile(const std::string& version)
{
    return "[Application]\r\nPROGRAM_VERSION=" + version + "\r\n";
}

std::array<unsigned, 4> Parts(const std::string& version)
{
    std::array<unsigned, 4> parts{};
    sscanf(version.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    return parts;
}

std::string Join(const std::array<unsigned, 4>& parts)
{
    char text[64];
    snprintf(text, sizeof text, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return text;
}

std::wstring LatestVersionFile()
{
    CString path;
    GetUserDataFolder(path, nullptr);
    JoinPath(path, L"LatestVersion.ini");
    return path.GetString();
}

class UpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override { ResetDownloader(); }
    void TearDown() override
    {
        SetUpdateServer(nullptr);
        ClearDownloadFiles();
        DeleteFileW(LatestVersionFile().c_str());
    }
    // A fresh site publishing the page (none: the page is missing) and the check's answer.
    BOOL CheckAgainst(const std::string* page)
    {
        tag = NewTag();
        if (page)
            WriteSiteFile(tag, kVersionPage, *page);
        SetUpdateServer(SiteBase(tag).c_str());
        return CheckForNewVersionNow();
    }

    std::wstring tag;
};

// Puts WinInet's connection test back whatever the test did with it.
class ConnectedStateOverride
{
public:
    using Fn = BOOL(WINAPI*)(LPDWORD, DWORD);
    explicit ConnectedStateOverride(Fn fn) : m_saved(GetWinInet().m_pfnInternetGetConnectedState)
    {
        GetWinInet().m_pfnInternetGetConnectedState = fn;
    }
    ~ConnectedStateOverride() { GetWinInet().m_pfnInternetGetConnectedState = m_saved; }
    ConnectedStateOverride(const ConnectedStateOverride&) = delete;
    ConnectedStateOverride& operator=(const ConnectedStateOverride&) = delete;

private:
    Fn m_saved;
};

BOOL WINAPI Offline(LPDWORD flags, DWORD)
{
    *flags = INTERNET_CONNECTION_OFFLINE | INTERNET_CONNECTION_CONFIGURED;
    return TRUE;
}
} // namespace

TEST(VersionComparison, NumbersDecideInOrder)
{
    struct Row
    {
        LPCWSTR published;
        LPCWSTR installed;
        bool newer;
    } rows[] = {
        {L"3.4.9.0", L"3.5.2.0", false}, {L"3.5.2.1", L"3.5.2.0", true}, {L"3.5.2.0", L"3.5.2.0", false},
        {L"3.5", L"3.5.0.0", false},     {L"3.5.0.0", L"3.5", false},    {L"3.5.10.0", L"3.5.9.0", true},
        {L"", L"3.5.2.0", false},        {L"3.6", L"3.5.9.9", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.newer, suitecore::net::IsNewerVersion(row.published, row.installed))
            << Utf8(row.published) << " against " << Utf8(row.installed);
}

TEST_F(UpdateCheck, ComparesThePublishedVersionWithTheBuilds)
{
    const std::string build = SUITE_PROJECT_VERSION;
    ASSERT_EQ(Parts(build), Parts(Utf8(GetFileVersionString(AfxGetModuleFileName(GetModuleHandleW(L"suitecore.dll"))).GetString())));
    const auto parts = Parts(build);
    struct Row
    {
        std::string name;
        bool published; // false: the page is missing (404)
        std::string page;
        BOOL newer;
    };
    std::vector<Row> rows;
    for (size_t i = 0; i < 4; ++i)
    {
        auto higher = parts;
        ++higher[i];
        rows.push_back({"part " + std::to_string(i) + " higher", true, VersionFile(Join(higher)), TRUE});
        if (parts[i] > 0 && i < 3)
        {
            auto lower = parts;
            --lower[i];
            for (size_t j = i + 1; j < 4; ++j)
                ++lower[j];
            rows.push_back({"part " + std::to_string(i) + " lower", true, VersionFile(Join(lower)), FALSE});
        }
    }
    rows.push_back({"equal", true, VersionFile(build), FALSE});
    rows.push_back({"empty file", true, "", FALSE});
    rows.push_back({"404", false, "", FALSE});
    rows.push_back({"no key", true, "[Application]\r\nOTHER=99.0.0.0\r\n", FALSE});
    for (const Row& row : rows)
        EXPECT_EQ(row.newer, CheckAgainst(row.published ? &row.page : nullptr)) << row.name;
}

TEST_F(UpdateCheck, AsksForTheVersionPageWithTheExecutablesVersion)
{
    const std::string page = VersionFile("1.0.0.0");
    EXPECT_FALSE(CheckAgainst(&page));
    const std::string version = Utf8(GetFileVersionString(AfxGetModuleFileName(nullptr)).GetString());
    const std::string expected = "GET /site/" + Utf8(tag) + "/" + Utf8(kVersionPage) +
                                 "?productname=qmn&currentapplicationid=" + version + "&currentdbversionid=1 -";
    std::vector<std::string> gets;
    for (const std::string& line : ServerLog(tag))
        if (line.rfind("GET ", 0) == 0)
            gets.push_back(line);
    EXPECT_EQ(std::vector<std::string>{expected}, gets);
}

TEST_F(UpdateCheck, AStaleVersionFileNeverAnswers)
{
    ASSERT_TRUE(WriteFileBytes(LatestVersionFile(), VersionFile("99.0.0.0")));
    EXPECT_FALSE(CheckAgainst(nullptr));
    // Deleted before the download, which leaves at most its own empty file.
    EXPECT_EQ("", ReadFileBytes(LatestVersionFile()));
}

TEST_F(UpdateCheck, TheInstalledVersionIsTheLoadedLibrarysWhateverTheCurrentFolder)
{
    const std::string build = SUITE_PROJECT_VERSION;
    ASSERT_LT(Parts(build)[0], 4u) << "the decoy's 4.3.2.1 must be the higher version";
    TempDir decoy;
    TempDir empty;
    ASSERT_TRUE(CopyFileW((testsupport::BinFolder() + L"\\testver_known.dll").c_str(),
                          decoy.File(L"suitecore.dll").c_str(), FALSE));
    struct Row
    {
        const char* name;
        std::wstring folder;
        std::string published;
        BOOL newer;
    } rows[] = {
        {"a decoy suitecore.dll of 4.3.2.1", decoy.Path(), "4.0.0.0", TRUE},
        {"no suitecore.dll at all", empty.Path(), build, FALSE},
    };
    WCHAR saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    for (const Row& row : rows)
    {
        SetCurrentDirectoryW(row.folder.c_str());
        const std::string page = VersionFile(row.published);
        EXPECT_EQ(row.newer, CheckAgainst(&page)) << row.name;
    }
    SetCurrentDirectoryW(saved);
}

TEST_F(UpdateCheck, OfflineGivesFalseAtOnceAndAMissingTestCountsAsConnected)
{
    const std::string page = VersionFile("99.0.0.0");
    {
        ConnectedStateOverride offline(Offline);
        EXPECT_FALSE(IsInternetConnected());
        EXPECT_FALSE(CheckAgainst(&page));
        EXPECT_TRUE(ServerLog(tag).empty());
        CString address;
        EXPECT_FALSE(CGlobalUpdate().IsDatabaseCurrent(address));
        EXPECT_TRUE(ServerLog(tag).empty());
    }
    ConnectedStateOverride missing(nullptr);
    EXPECT_TRUE(IsInternetConnected());
    EXPECT_TRUE(CheckAgainst(&page));
}

TEST_F(UpdateCheck, TheServerComesFromTheCallThenFromTheSetting)
{
    CString keyPath;
    GetProductKeyPath(keyPath);
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, &disposition));
    const std::wstring settingTag = NewTag();
    WriteSiteFile(settingTag, kVersionPage, VersionFile("99.0.0.0"));
    const std::wstring base = SiteBase(settingTag) + L"/";
    RegSetValueExW(key, L"UpdateServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(base.c_str()),
                   static_cast<DWORD>((base.size() + 1) * sizeof(wchar_t)));

    const std::string page = VersionFile("99.0.0.0");
    EXPECT_TRUE(CheckAgainst(&page)); // SetUpdateServer wins
    EXPECT_EQ(1u, CountGets(tag, "/qmnupdates/update.aspx"));
    EXPECT_EQ(0u, CountGets(settingTag, "/qmnupdates/update.aspx"));
    SetUpdateServer(L"");
    EXPECT_TRUE(CheckForNewVersionNow()); // then the setting, its trailing "/" dropped
    EXPECT_EQ(1u, CountGets(settingTag, "/qmnupdates/update.aspx"));

    RegDeleteValueW(key, L"UpdateServer");
    RegCloseKey(key);
    if (disposition == REG_CREATED_NEW_KEY)
        RegDeleteKeyW(HKEY_CURRENT_USER, keyPath);
}

namespace
{
std::string Sha1Hex(const std::wstring& path)
{
    CFileSha1 sha;
    sha.Reset();
    if (!sha.HashFile(path.c_str()))
        return "";
    sha.Finish();
    CString text;
    sha.ReportHash(text);
    return Utf8(text.GetString());
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return text;
}

// A copy of SuiteDiag and its libraries, so that the archive lands beside this copy only.
class Sandbox
{
public:
    Sandbox()
    {
        for (LPCWSTR name : {L"SuiteDiag.exe", L"framework.dll", L"suitecore.dll", L"qmnhtm.dll",
                             L"libgcc_s_dw2-1.dll", L"libwinpthread-1.dll", L"QMN.ini"})
            CopyFileW((testsupport::BinFolder() + L"\\" + name).c_str(), dir.File(name).c_str(), FALSE);
    }
    std::wstring CommandLine(const std::wstring& arguments) const
    {
        return L"\"" + dir.File(L"SuiteDiag.exe") + L"\" " + arguments;
    }
    std::wstring Archive() const { return dir.File(L"Completedatabase.zip"); }
    std::wstring Download() const { return dir.File(L"DBUpdates\\Completedatabase.zip"); }
    std::wstring Info() const { return dir.File(L"dbUpdate.ini"); }

    TempDir dir;
};

class DefinitionUpdate : public ::testing::Test
{
protected:
    // Publishes an archive of the given bytes under the name and the information page naming
    // it (shaText and address as written, when given).
    std::string Publish(const std::string& name, const std::string& bytes, const std::string& query = "")
    {
        WriteSiteFile(tag, testsupport::Wide(name), bytes);
        const std::wstring file = TempFile(bytes);
        const std::string sha = Sha1Hex(file);
        DeleteFileW(file.c_str());
        WriteInfo(sha, Utf8(SiteBase(tag)) + "/" + name + query);
        return sha;
    }
    void WriteInfo(const std::string& sha, const std::string& address)
    {
        WriteSiteFile(tag, kDatabasePage,
                      "[AntiSpyUpdates]\r\nSHA=" + sha + "\r\nDOWNLOADURL=" + address + "\r\n");
    }
    std::wstring TempFile(const std::string& bytes)
    {
        const std::wstring file = scratch.File(testsupport::NewGuidString());
        WriteFileBytes(file, bytes);
        return file;
    }
    testsupport::ProcessResult Update(const std::wstring& extra = L"")
    {
        return testsupport::RunProcess(
            box.CommandLine(L"update-definitions --server " + SiteBase(tag) + extra), 120000);
    }
    size_t ArchiveGets(const std::string& name) { return CountGets(tag, "/" + name); }

    Sandbox box;
    TempDir scratch;
    std::wstring tag = NewTag();
};

std::string Archive(unsigned seed)
{
    return Content(0, 30000 + seed * 1000, seed);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

TEST_F(DefinitionUpdate, InstallsOnlyVerifiedArchivesAndNeverLosesTheOneInPlace)
{
    // 1. No archive yet: downloaded, verified, installed.
    const std::string a = Archive(1);
    const std::string shaA = Publish("a.zip", a);
    auto r = Update();
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_EQ("ok\narchive " + shaA + "\n", r.out);
    EXPECT_TRUE(SameBytes(a, ReadFileBytes(box.Archive())));
    EXPECT_FALSE(Exists(box.Download()));
    EXPECT_EQ(2u, CountGets(tag, "/" + Utf8(kDatabasePage)));
    EXPECT_EQ(1u, ArchiveGets("a.zip"));

    // 2. The same checksum again: nothing to fetch but the page.
    r = Update();
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_EQ(1u, ArchiveGets("a.zip"));
    EXPECT_EQ(3u, CountGets(tag, "/" + Utf8(kDatabasePage)));

    // 3. A new archive, its checksum in upper case with blanks around it: replaced.
    const std::string b = Archive(2);
    const std::string shaB = Publish("b.zip", b);
    WriteInfo("  " + shaB + "  ", Utf8(SiteBase(tag)) + "/b.zip");
    r = Update();
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_TRUE(SameBytes(b, ReadFileBytes(box.Archive())));

    // 4 to 6. Downloads that must not be installed: the archive in place stays byte-exact and
    // the download is gone.
    struct Failure
    {
        const char* name;
        std::string file;
        std::string query;
        bool corrupt;
        bool holdArchive;
    } failures[] = {
        {"corrupt", "c.zip", "", true, false},
        {"cut short", "d.zip", "?cut=5000", false, false},
        {"archive held open", "e.zip", "", false, true},
    };
    unsigned seed = 3;
    for (const Failure& f : failures)
    {
        Publish(f.file, Archive(seed++), f.query);
        if (f.corrupt)
            WriteSiteFile(tag, testsupport::Wide(f.file), Archive(seed++));
        HANDLE held = f.holdArchive ? CreateFileW(box.Archive().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_EXISTING, 0, nullptr)
                                    : INVALID_HANDLE_VALUE;
        r = Update();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(1u, r.exitCode) << f.name << r.out << r.err;
        EXPECT_EQ("failed\narchive " + shaB + "\n", r.out) << f.name;
        EXPECT_TRUE(SameBytes(b, ReadFileBytes(box.Archive()))) << f.name;
        EXPECT_FALSE(Exists(box.Download())) << f.name;
        EXPECT_TRUE(Exists(box.Info())) << f.name;
    }

    // 8. Addresses that are refused, or fail before a request: no archive request at all. An
    // https:// address is accepted, and fails here in the TLS handshake with the plain server.
    struct Refused
    {
        const char* name;
        std::string address;
    } refused[] = {
        {"empty address", ""},
        {"600 characters", Utf8(SiteBase(tag)) + "/" + std::string(600, 'x') + ".zip"},
        {"https to a plain server", "https://127.0.0.1:" + std::to_string(TestServers().httpPort) + "/site/" + Utf8(tag) + "/h.zip"},
    };
    for (const Refused& f : refused)
    {
        WriteInfo(Lower(shaB).replace(0, 1, "0"), f.address);
        const size_t before = ServerLog(tag).size();
        r = Update();
        EXPECT_EQ(1u, r.exitCode) << f.name << r.out << r.err;
        EXPECT_TRUE(SameBytes(b, ReadFileBytes(box.Archive()))) << f.name;
        const auto log = ServerLog(tag);
        for (size_t i = before; i < log.size(); ++i)
            EXPECT_NE(std::string::npos, log[i].find(Utf8(kDatabasePage))) << f.name << ": " << log[i];
    }

    // 9. A mixed-case address: the server sees it in lower case, and the archive arrives.
    const std::string g = Archive(9);
    const std::string shaG = Publish("mixed.zip", g);
    WriteInfo(shaG, Utf8(SiteBase(tag)) + "/MiXeD.zip");
    r = Update();
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_EQ(1u, ArchiveGets("mixed.zip"));
    EXPECT_TRUE(SameBytes(g, ReadFileBytes(box.Archive())));
}

TEST_F(DefinitionUpdate, ACancelFromTheVisibleDialogKeepsTheArchive)
{
    const std::string a = Archive(1);
    WriteFileBytes(box.Archive(), a);
    Publish("slow.zip", Archive(2), "?rate=2000");

    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring command = box.CommandLine(L"update-definitions --server " + SiteBase(tag));
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    testsupport::WindowQuery dialogQuery;
    dialogQuery.processId = pi.dwProcessId;
    dialogQuery.title = L"Lumasweep Update Downloader";
    const HWND dialog = testsupport::WaitForWindow(dialogQuery, 60000);
    ASSERT_TRUE(dialog);
    // Once the transfer runs, close the window and answer Yes.
    testsupport::WaitUntil([&] { return ArchiveGets("slow.zip") > 0; }, 30000);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND yes = nullptr;
    testsupport::WaitUntil(
        [&]
        {
            testsupport::WindowQuery boxQuery;
            boxQuery.processId = pi.dwProcessId;
            boxQuery.controlId = IDC_MSGBOX_BUTTON0;
            for (HWND button : testsupport::FindWindows(boxQuery))
                if (testsupport::WindowText(button) == L"Yes")
                    yes = button;
            return yes != nullptr;
        },
        30000);
    ASSERT_TRUE(yes);
    testsupport::ClickHeadless(yes);
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD exitCode = 0;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    if (!ended)
        TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(ended);
    EXPECT_EQ(1u, exitCode);
    EXPECT_TRUE(SameBytes(a, ReadFileBytes(box.Archive())));
    EXPECT_FALSE(Exists(box.Download()));
}

TEST_F(DefinitionUpdate, TheCheckAloneNamesTheAddressWhenNotCurrent)
{
    Publish("a.zip", Archive(1));
    auto r = Update(L" --check");
    EXPECT_EQ(1u, r.exitCode) << r.err;
    EXPECT_EQ("not current\naddress " + Lower(Utf8(SiteBase(tag))) + "/a.zip\n", r.out);
    WriteFileBytes(box.Archive(), Archive(1));
    r = Update(L" --check");
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("current\n", r.out);
    EXPECT_EQ(0u, ArchiveGets("a.zip"));
}

TEST_F(DefinitionUpdate, UpdateCheckPrintsTheVersionsItCompared)
{
    WriteSiteFile(tag, kVersionPage, VersionFile("99.1.2.3"));
    const auto r = testsupport::RunProcess(box.CommandLine(L"update-check --server " + SiteBase(tag)), 120000);
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("installed " + std::string(SUITE_PROJECT_VERSION) + "\npublished 99.1.2.3\nnewer\n", r.out);
    EXPECT_EQ(2u, testsupport::RunProcess(box.CommandLine(L"update-check --bogus")).exitCode);
}

TEST_F(DefinitionUpdate, DownloadUnderTheDialogPrintsWhatPlainDownloadPrints)
{
    struct Row
    {
        const char* name;
        std::wstring options;
        std::wstring source;
        DWORD exitCode;
        std::string last;
    } rows[] = {
        {"hidden", L"--dialog --hidden", Http(L"/data/30000/h.bin"), 0, "done: 1 of 1\n"},
        {"shown, failing", L"--dialog --no-resume", Http(L"/status/404"), 1, "done: 0 of 1\n"},
    };
    for (const Row& row : rows)
    {
        const auto r = testsupport::RunProcess(
            box.CommandLine(L"download " + row.options + L" \"" + row.source + L"\" \"" + scratch.File(L"f.bin") + L"\""),
            120000);
        EXPECT_EQ(row.exitCode, r.exitCode) << row.name << r.err;
        EXPECT_EQ(row.last, r.out) << row.name;
        if (row.exitCode == 0)
        {
            EXPECT_TRUE(SameBytes(Content(0, 30000), ReadFileBytes(scratch.File(L"f.bin"))));
        }
    }
    // The failed run without resume took its empty file away again.
    EXPECT_FALSE(Exists(scratch.File(L"f.bin")));
}
