// What the feedback command and form tests share: the stand-in's settings, a sandbox copy of
// SuiteDiag without the upload library, and a SuiteDiag run started in a chosen folder.
#pragma once

#include "suitediag_files.h"

#include <testsupport/testsupport.h>

#include <string>
#include <vector>

namespace feedback_tests
{
// Sets the stand-in's variables for the runs started while it lives (empty: unset).
class StandIn
{
public:
    StandIn(const std::wstring& log, const wchar_t* result = nullptr, const wchar_t* delayMs = nullptr)
    {
        SetEnvironmentVariableW(L"NETWORK_STANDIN_LOG", log.c_str());
        SetEnvironmentVariableW(L"NETWORK_STANDIN_RESULT", result);
        SetEnvironmentVariableW(L"NETWORK_STANDIN_DELAY_MS", delayMs);
    }
    ~StandIn()
    {
        for (const wchar_t* name : {L"NETWORK_STANDIN_LOG", L"NETWORK_STANDIN_RESULT", L"NETWORK_STANDIN_DELAY_MS"})
            SetEnvironmentVariableW(name, nullptr);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
};

// The stand-in's records: file name, payload, thread id.
struct Upload
{
    std::string fileName, payload, threadId;
};

inline std::vector<Upload> ReadUploads(const std::wstring& log)
{
    std::vector<Upload> uploads;
    const std::string text = testsupport::ReadFileBytes(log);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    {
        const std::string line = text.substr(start, end - start);
        const size_t tab1 = line.find('\t'), tab2 = line.rfind('\t');
        uploads.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return uploads;
}

// SuiteDiag and its libraries copied into a throwaway folder, without Network.dll.
class Sandbox
{
public:
    Sandbox()
    {
        for (const wchar_t* file : suitediag_tests::kSuiteDiagFiles)
            m_ok &= CopyFileW((testsupport::BinFolder() + L"\\" + file).c_str(), m_dir.File(file).c_str(), FALSE) != 0;
    }
    bool Ok() const { return m_ok; }
    std::wstring SuiteDiag() const { return m_dir.File(L"SuiteDiag.exe"); }

private:
    testsupport::TempDir m_dir;
    bool m_ok = true;
};

// A SuiteDiag run whose output (stdout and stderr together) goes to a file, started in a
// chosen current folder; killed when it outlives the object.
class DiagRun
{
public:
    DiagRun(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder = std::wstring())
    {
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        const HANDLE out = CreateFileW(m_out.File(L"out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW si{sizeof(si)};
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = out;
        std::wstring line = L"\"" + exe + L"\" " + arguments;
        m_started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   folder.empty() ? nullptr : folder.c_str(), &si, &m_pi) != FALSE;
        CloseHandle(out);
    }
    ~DiagRun()
    {
        if (m_started)
        {
            if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_pi.hProcess, 99);
            WaitForSingleObject(m_pi.hProcess, 10000);
            CloseHandle(m_pi.hThread);
            CloseHandle(m_pi.hProcess);
        }
    }
    DiagRun(const DiagRun&) = delete;
    DiagRun& operator=(const DiagRun&) = delete;

    bool Started() const { return m_started; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD Exit(DWORD timeoutMs = 60000) const
    {
        DWORD code = STILL_ACTIVE;
        if (m_started && WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }
    std::string Output() const { return testsupport::ReadFileBytes(m_out.File(L"out.txt")); }

private:
    testsupport::TempDir m_out;
    PROCESS_INFORMATION m_pi{};
    bool m_started = false;
};

inline std::wstring SuiteDiagPath()
{
    return testsupport::BinFolder() + L"\\SuiteDiag.exe";
}
} // namespace feedback_tests
