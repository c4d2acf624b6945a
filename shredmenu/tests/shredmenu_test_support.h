// Helpers of the ShredMenu tests: the server's registration, registry reads, the stand-in
// installation and a process-wide view of HKEY_CURRENT_USER on a throwaway key.
#pragma once

#include "shell_host.h"
#include "shredmenu_h.h"

#include <testsupport/testsupport.h>

#include <framework/com.h>
#include <framework/handles.h>
#include <framework/regkey.h>

#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

namespace shredtest
{
extern const wchar_t kClsid[];
extern const wchar_t kAppId[];
extern const wchar_t kLibId[];
extern const wchar_t kApprovedKey[];
extern const wchar_t kTypeLibPlatform[]; // the type library's platform key: the server's own architecture

std::wstring ServerPath(); // the server of the tests' own architecture, beside them

// Runs a program and waits for it (killing it after the time-out); its exit code, or
// WAIT_TIMEOUT.
DWORD RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// Registry reads under a root; nullopt when the key or value is missing.
bool KeyExists(HKEY root, const std::wstring& path);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, LPCWSTR value);

// The server loaded into this process, for its exported entry points.
class ServerModule
{
public:
    ServerModule();
    ~ServerModule();
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    HRESULT Register() const;
    HRESULT Unregister() const;
    HRESULT CanUnloadNow() const;
    HMODULE Handle() const { return m_hModule; }

private:
    HMODULE m_hModule;
};

// Makes a predefined key of this process (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) stand for
// another key until destroyed.
class PredefinedKeyOverride
{
public:
    PredefinedKeyOverride(HKEY predefined, HKEY replacement);
    ~PredefinedKeyOverride();
    PredefinedKeyOverride(const PredefinedKeyOverride&) = delete;
    PredefinedKeyOverride& operator=(const PredefinedKeyOverride&) = delete;

private:
    HKEY m_predefined;
};

// A throwaway HKEY_CURRENT_USER for the handler's settings: while Apply()'s result lives, the
// handler reads "InstalledPath" from this key instead of the user's.
class SettingsKey
{
public:
    SettingsKey();
    void SetInstalledPath(const std::wstring& path, DWORD type = REG_SZ);
    PredefinedKeyOverride Apply() const;

private:
    testsupport::TempRegKey m_key;
    CRegKey m_root;
};

// A throwaway installation folder with the stand-in programs under the suite's names.
class StandInInstall
{
public:
    StandInInstall();
    const std::wstring& Path() const { return m_dir.Path(); }

    // Waits (up to 30 s) for the program's record; false when it never came.
    bool WaitForRun(const std::wstring& program) const;
    bool HasRun(const std::wstring& program) const;
    std::string CommandLine(const std::wstring& program) const;
    std::string Selection(const std::wstring& program) const;

private:
    testsupport::TempDir m_dir;
};

// The selection file expected for a list of paths: the archive format of a string array.
std::string ExpectedSelectionFile(const std::vector<std::wstring>& paths);

// The "ST*.tmp" files in the user's temporary folder.
std::vector<std::wstring> SelectionFilesInTemp();

// Creates a handler through COM and initialises it with the names.
CUniqueComPtr<IShellExtInit> CreateHandler();
HRESULT InitializeWith(IShellExtInit* pInit, const std::vector<std::wstring>& names);
// The menu interface of a handler initialised with the names; null when that failed.
CUniqueComPtr<IContextMenu> MenuFor(const std::vector<std::wstring>& names);

// Waits until the server says it can be unloaded (no object, lock or worker left).
bool WaitUntilUnloadable(const ServerModule& server);

// A path of exactly the given length in characters: C:\ and blocks of x's joined by backslashes.
std::wstring PathOfLength(size_t length);

} // namespace shredtest
