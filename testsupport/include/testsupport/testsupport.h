// Helpers shared by the test executables: throwaway folders and registry keys with
// GUID names, and child processes whose output is captured.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport
{
std::wstring NewGuidString();  // {XXXXXXXX-XXXX-...}

// The folder holding the running test executable (and every built binary).
std::wstring BinFolder();

// A GUID-named folder under the temporary folder, removed with its contents on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// A GUID-named key under root\parent, deleted with its whole tree before and after use.
class TempRegKey
{
public:
    explicit TempRegKey(HKEY root = HKEY_CURRENT_USER, const std::wstring& parent = L"Software");
    ~TempRegKey();
    TempRegKey(const TempRegKey&) = delete;
    TempRegKey& operator=(const TempRegKey&) = delete;

    HKEY Root() const { return m_root; }
    const std::wstring& Path() const { return m_path; }  // relative to Root()

private:
    HKEY m_root;
    std::wstring m_path;
};

bool RemoveTree(const std::wstring& folder);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

struct ProcessResult
{
    DWORD exitCode = 0;
    std::string out;  // raw bytes of standard output
    std::string err;
    bool timedOut = false;
};

// Runs a command line with stdin empty, stdout and stderr captured; kills it after the time-out.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                         const std::string& input = std::string());

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);
} // namespace testsupport

namespace testsupport
{
// The pixels of a window's client area as 0x00RRGGBB values, row by row from the top, read
// from the screen (so the window must be visible and on top). Empty when nothing was captured.
struct Capture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned> pixels;
    unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND window);
// Writes a capture as a 24-bit BMP file (for looking at a failing test's screen).
bool SaveBitmap(const Capture& capture, const std::wstring& path);
} // namespace testsupport
