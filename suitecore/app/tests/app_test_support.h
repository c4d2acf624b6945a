// Helpers of the application tests: the probe program run as a process of its own, with a
// report file the test reads while it runs, and programs copied into a throwaway folder with
// a Windows version set for them alone.
#pragma once

#include <testsupport/testsupport.h>
#include <testsupport/ui.h>

#include <shlwapi.h>

#include <string>
#include <vector>

namespace apptest
{
// A name no other test uses: for the application name, and so for the instance mutex and the
// main window's title.
inline std::wstring UniqueAppName()
{
    std::wstring name = L"OrvProbe";
    for (wchar_t c : testsupport::NewGuidString())
        if (iswxdigit(c))
            name += c;
    return name;
}

inline std::wstring InstanceMutexName(const std::wstring& appName)
{
    return L"QMN_" + appName + L"_24BF8EAB-03C7-4e3c-B10F-1D1F7C0297CB";
}

// The lines of a report file (UTF-8, one finding a line).
inline std::vector<std::string> ReportLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    std::string text = testsupport::ReadFileBytes(path);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The rest of the first line that starts with "key ", or nothing.
inline std::string ReportValue(const std::wstring& path, const std::string& key)
{
    for (const std::string& line : ReportLines(path))
        if (line.compare(0, key.size() + 1, key + " ") == 0)
            return line.substr(key.size() + 1);
    return "(missing " + key + ")";
}

inline bool WaitForReportLine(const std::wstring& path, const std::string& line, DWORD timeoutMs = 60000)
{
    return testsupport::WaitUntil(
        [&]
        {
            for (const std::string& seen : ReportLines(path))
                if (seen == line)
                    return true;
            return false;
        },
        timeoutMs);
}

// A program started without waiting for it; ended (if still running) when the object dies.
class Child
{
public:
    explicit Child(const std::wstring& commandLine, const std::wstring& folder = std::wstring())
    {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring line = commandLine;
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        {
            m_process = pi.hProcess;
            CloseHandle(pi.hThread);
        }
    }
    ~Child()
    {
        if (m_process)
        {
            if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_process, 0xDEAD);
            WaitForSingleObject(m_process, 10000);
            CloseHandle(m_process);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_process != nullptr; }
    HANDLE Handle() const { return m_process; }
    // The exit code once ended within the time; STILL_ACTIVE otherwise.
    DWORD Wait(DWORD timeoutMs = 60000) const
    {
        DWORD code = STILL_ACTIVE;
        if (m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_process, &code);
        return code;
    }

private:
    HANDLE m_process = nullptr;
};

// The probe program and its report in a folder of the test's own.
struct ProbeRun
{
    testsupport::TempDir dir;
    std::wstring report = dir.File(L"report.txt");

    static std::wstring ProbePath(bool plain = false)
    {
        return testsupport::BinFolder() + (plain ? L"\\orvapp_probe_plain.exe" : L"\\orvapp_probe.exe");
    }
    std::wstring CommandLine(const std::wstring& appName, const std::wstring& mode, const std::wstring& extra = L"",
                             bool plain = false) const
    {
        return L"\"" + ProbePath(plain) + L"\" \"" + appName + L"\" \"" + report + L"\" " + mode +
               (extra.empty() ? L"" : L" " + extra);
    }
    std::string Value(const std::string& key) const { return ReportValue(report, key); }
};

// A program copied with the DLLs it needs into a throwaway folder under a name of its own, and
// run there under the given Windows version ("win7", "winxp"), set for that name alone.
class VersionedCopy
{
public:
    VersionedCopy(const std::wstring& program, const std::wstring& version)
    {
        m_name = L"v" + UniqueAppName() + L".exe";
        m_ok = CopyFileW((testsupport::BinFolder() + L"\\" + program).c_str(), m_dir.File(m_name).c_str(), FALSE);
        for (const wchar_t* dll : {L"suitecore.dll", L"framework.dll", L"qmnhtm.dll", L"libgcc_s_dw2-1.dll",
                                   L"libwinpthread-1.dll"})
            m_ok = m_ok && CopyFileW((testsupport::BinFolder() + L"\\" + dll).c_str(), m_dir.File(dll).c_str(), FALSE);
        m_key = L"Software\\Wine\\AppDefaults\\" + m_name;
        HKEY key = nullptr;
        m_ok = m_ok && RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                       nullptr) == ERROR_SUCCESS;
        if (key)
        {
            m_ok = m_ok && RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                          static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
    ~VersionedCopy() { RegDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str()); }
    VersionedCopy(const VersionedCopy&) = delete;
    VersionedCopy& operator=(const VersionedCopy&) = delete;

    bool Ok() const { return m_ok; }
    const testsupport::TempDir& Dir() const { return m_dir; }
    std::wstring Path() const { return m_dir.File(m_name); }
    testsupport::ProcessResult Run(const std::wstring& arguments) const
    {
        return testsupport::RunProcess(L"\"" + Path() + L"\" " + arguments);
    }

private:
    testsupport::TempDir m_dir;
    std::wstring m_name;
    std::wstring m_key;
    bool m_ok = false;
};
// Keys that a test may create, given from the outermost in: on destruction each one that did not
// exist before is removed with everything below it, innermost first.
class KeyChainGuard
{
public:
    KeyChainGuard(HKEY root, std::vector<std::wstring> paths) : m_root(root), m_paths(std::move(paths))
    {
        for (const std::wstring& path : m_paths)
            m_existed.push_back(Exists(path));
    }
    ~KeyChainGuard()
    {
        for (size_t i = m_paths.size(); i-- > 0;)
            if (!m_existed[i])
                SHDeleteKeyW(m_root, m_paths[i].c_str());
    }
    KeyChainGuard(const KeyChainGuard&) = delete;
    KeyChainGuard& operator=(const KeyChainGuard&) = delete;

private:
    bool Exists(const std::wstring& path) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(m_root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    HKEY m_root;
    std::vector<std::wstring> m_paths;
    std::vector<bool> m_existed;
};

// The launcher-status keys of the tools a test writes, and the product keys above them.
inline KeyChainGuard LauncherStatusGuard(const std::vector<std::wstring>& moduleKeys)
{
    std::vector<std::wstring> paths = {L"Software\\Orvane", L"Software\\Orvane\\QMN3",
                                       L"Software\\Orvane\\QMN3\\ScanStatusForLauncher"};
    for (const std::wstring& key : moduleKeys)
        paths.push_back(paths[2] + L"\\" + key);
    return KeyChainGuard(HKEY_CURRENT_USER, paths);
}
} // namespace apptest
