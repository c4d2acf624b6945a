// The application object over state other tests share, each under its lock: the build tag
// under HKEY_LOCAL_MACHINE, the launcher status under the product key, and the browser (the
// prefix's URL handler) that the help and web commands open.
#include "app_test_support.h"

#include <suitecore/app.h>

#include <gtest/gtest.h>

#include <optional>

using apptest::Child;
using apptest::ProbeRun;

namespace
{
constexpr wchar_t kProductKey[] = L"Software\\Orvane\\QMN3";

// A registry value as it was, put back (or removed again) on destruction.
class SavedValue
{
public:
    SavedValue(HKEY root, std::wstring path, std::wstring name)
        : m_root(root), m_path(std::move(path)), m_name(std::move(name))
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS)
        {
            m_data.resize(size);
            m_existed = RegQueryValueExW(key, m_name.c_str(), nullptr, &m_type, m_data.data(), &size) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    ~SavedValue()
    {
        if (m_existed)
            Set(m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
        else
            Remove();
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    bool Set(DWORD type, const void* data, DWORD size) const
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        const bool ok = RegSetValueExW(key, m_name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
    bool SetText(DWORD type, const std::wstring& text) const
    {
        return Set(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void Remove() const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_root, m_path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        RegDeleteValueW(key, m_name.c_str());
        RegCloseKey(key);
    }

private:
    HKEY m_root;
    std::wstring m_path;
    std::wstring m_name;
    DWORD m_type = 0;
    std::vector<BYTE> m_data;
    bool m_existed = false;
};

apptest::KeyChainGuard ProductKeysOf(HKEY root)
{
    return apptest::KeyChainGuard(root, {L"Software\\Orvane", kProductKey});
}
} // namespace

// ---- Build tag ---------------------------------------------------------------------------

TEST(AppBuildTag, IsReadAsStoredFromTheMachineKeyAndEmptyWhenAbsent)
{
    const auto keys = ProductKeysOf(HKEY_LOCAL_MACHINE);
    const SavedValue tag(HKEY_LOCAL_MACHINE, kProductKey, L"QMNBUILDFOR");
    const DWORD number = 5;
    const struct
    {
        DWORD type; // 0: no value
        const wchar_t* text;
        const char* expected;
    } cases[] = {
        {0, L"", ""},
        {REG_SZ, L"Retail 7", "Retail 7"},
        {REG_EXPAND_SZ, L"%SystemRoot%-oem", "%SystemRoot%-oem"},
        {REG_DWORD, nullptr, ""},
    };
    for (const auto& c : cases)
    {
        if (c.type == 0)
            tag.Remove();
        else if (c.type == REG_DWORD)
            ASSERT_TRUE(tag.Set(REG_DWORD, &number, sizeof number));
        else
            ASSERT_TRUE(tag.SetText(c.type, c.text));
        ProbeRun run;
        testsupport::RunProcess(run.CommandLine(apptest::UniqueAppName(), L"once"));
        EXPECT_EQ("1 prev 0", run.Value("init"));
        EXPECT_EQ(c.expected, run.Value("build-for")) << c.type;
    }
}

// ---- Commands ----------------------------------------------------------------------------

TEST(AppCommands, HelpAndWebCommandsOpenThePagesThroughTheApplication)
{
    const auto keys = ProductKeysOf(HKEY_LOCAL_MACHINE);
    const SavedValue tag(HKEY_LOCAL_MACHINE, kProductKey, L"QMNBUILDFOR");
    ASSERT_TRUE(tag.SetText(REG_SZ, L"Retail 7&x")); // escaped, it adds no key of its own

    testsupport::TempDir browserDir;
    const std::wstring browser = browserDir.File(L"browser.exe");
    ASSERT_TRUE(CopyFileW(testsupport::RecorderPath().c_str(), browser.c_str(), FALSE));
    testsupport::UrlHandlerOverride handler(L"\"" + browser + L"\" \"%1\"");
    ASSERT_TRUE(handler.Installed());

    const std::wstring name = apptest::UniqueAppName();
    ProbeRun run;
    Child child(run.CommandLine(name, L"window"));
    ASSERT_TRUE(apptest::WaitForReportLine(run.report, "ready"));
    testsupport::WindowQuery query;
    query.processId = GetProcessId(child.Handle());
    query.className = L"#32770";
    query.title = name;
    const HWND window = testsupport::WaitForWindow(query);
    ASSERT_NE(nullptr, window);

    const std::wstring keysText = L"utm_source=Retail%207%26x&utm_medium=Product&utm_term=";
    const std::wstring tail = L"&utm_content=" + name + L"&utm_campaign=Default-Product";
    const std::wstring help =
        L"http://www.orvane.example/qmn/help/showhelp.aspx?module=&" + keysText + L"Help" + tail;
    const std::wstring site = L"http://www.orvane.example/?" + keysText + L"Website" + tail;
    const std::wstring product = L"http://www.orvane.example/qmn?" + keysText + L"Help" + tail;
    // The framework's help commands reach the application through the dialog's routing; the
    // suite's own commands (below the command range) through the window handing them over.
    const struct
    {
        UINT id;
        const std::wstring& url;
        const char* handled; // by the routing, by the application
    } cases[] = {
        {57667, help, "1 0"}, {57669, help, "1 0"}, {57670, help, "1 0"}, {57671, help, "1 0"},
        {1009, help, "0 1"},  {1011, site, "0 1"},  {1006, product, "0 1"},
    };
    const std::wstring record = browser + L".record";
    for (const auto& c : cases)
    {
        DeleteFileW(record.c_str());
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_COMMAND, c.id, 0, SMTO_BLOCK, 30000, nullptr)) << c.id;
        EXPECT_TRUE(apptest::WaitForReportLine(run.report, "command " + std::to_string(c.id) + " " + c.handled))
            << c.id;
        const auto launch = testsupport::WaitForLaunchRecord(browser);
        ASSERT_TRUE(launch.has_value()) << c.id;
        EXPECT_EQ(L"\"" + browser + L"\" \"" + c.url + L"\"", launch->commandLine) << c.id;
        EXPECT_EQ(SW_SHOWMAXIMIZED, launch->showWindow) << c.id;
    }

    // Swallowed by the application: handled, and nothing is opened before the next command.
    DeleteFileW(record.c_str());
    for (UINT id : {1003u, 1004u, 1008u, 1011u})
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_COMMAND, id, 0, SMTO_BLOCK, 30000, nullptr)) << id;
    for (UINT id : {1003u, 1004u, 1008u})
        EXPECT_TRUE(apptest::WaitForReportLine(run.report, "command " + std::to_string(id) + " 0 1")) << id;
    const auto launch = testsupport::WaitForLaunchRecord(browser);
    ASSERT_TRUE(launch.has_value());
    EXPECT_EQ(L"\"" + browser + L"\" \"" + site + L"\"", launch->commandLine);
}

// ---- Launcher status ---------------------------------------------------------------------

TEST(AppLauncherStatus, DefaultTextsWhenNothingIsStored)
{
    const auto keys = apptest::LauncherStatusGuard({});
    const struct
    {
        int tool;
        const wchar_t* text;
    } cases[] = {
        {1144, L"No Backup taken yet"},
        {1145, L"No Backup taken yet"},
        {1153, L"Memory not optimized yet"},
        {1168, L"No Uninstall Operation Performed yet"},
        {1143, L"Scan not Performed yet"},
        {1165, L"Scan not Performed yet"},
        {1149, L"Scan not Performed yet"}, // no such tool
    };
    for (const auto& c : cases)
    {
        const std::wstring key = std::wstring(kProductKey) + L"\\ScanStatusForLauncher\\" + GetModuleKey(c.tool).GetString();
        SHDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        DWORD icon = 77;
        EXPECT_STREQ(c.text, ReadLauncherStatus(c.tool, &icon, FALSE, FALSE).GetString()) << c.tool;
        EXPECT_STREQ(L"", ReadLauncherStatus(c.tool, &icon, TRUE, FALSE).GetString()) << c.tool;
        EXPECT_STREQ(L"", ReadLauncherStatus(c.tool, &icon, FALSE, TRUE).GetString()) << c.tool;
        EXPECT_EQ(77u, icon) << c.tool;
    }
}

TEST(AppLauncherStatus, WrittenValuesReadBack)
{
    const auto keys = apptest::LauncherStatusGuard({L"MemoryTune", L"RegistryBackup"});
    const COleDateTime lastRun(2024, 5, 6, 7, 8, 0);
    ASSERT_TRUE(WriteLauncherStatus(1153, 2, L"Freed 120 MB", L"Memory optimized", &lastRun));
    ASSERT_TRUE(WriteLauncherStatus(1144, 0, L"", L"", nullptr));
    const struct
    {
        int tool;
        BOOL onHome, wantDate;
        CString expected;
        DWORD icon;
    } cases[] = {
        {1153, FALSE, FALSE, L"Freed 120 MB", 2},
        {1153, TRUE, FALSE, L"Memory optimized", 2},
        {1153, FALSE, TRUE, lastRun.Format(), 2},
        {1153, TRUE, TRUE, lastRun.Format(), 2},
        {1144, FALSE, FALSE, L"No Backup taken yet", 0}, // an empty message has the default
        {1144, TRUE, FALSE, L"", 0},
        {1144, FALSE, TRUE, L"", 0},
    };
    for (const auto& c : cases)
    {
        DWORD icon = 77;
        EXPECT_STREQ(c.expected, ReadLauncherStatus(c.tool, &icon, c.onHome, c.wantDate).GetString())
            << c.tool << " " << c.onHome << c.wantDate;
        EXPECT_EQ(c.icon, icon) << c.tool;
    }
    EXPECT_FALSE(lastRun.Format().IsEmpty());

    // Without a date the stored one stays; an unknown tool is refused and writes nothing.
    ASSERT_TRUE(WriteLauncherStatus(1153, 3, L"Again", L"Home again"));
    DWORD icon = 0;
    EXPECT_STREQ(lastRun.Format().GetString(), ReadLauncherStatus(1153, &icon, FALSE, TRUE).GetString());
    EXPECT_EQ(3u, icon);
    EXPECT_FALSE(WriteLauncherStatus(1149, 1, L"x", L"y"));
    DWORD values = 99;
    HKEY status = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER,
                                           (std::wstring(kProductKey) + L"\\ScanStatusForLauncher").c_str(), 0,
                                           KEY_READ, &status));
    RegQueryInfoKeyW(status, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(status);
    EXPECT_EQ(0u, values);
}
