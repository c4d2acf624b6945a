// Catches what is written to the C runtime's standard output meanwhile, through a pipe: the
// console reports some SuiteCore functions write stay out of SuiteDiag's own output.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace suitediag
{
class StdoutCapture
{
public:
    StdoutCapture()
    {
        fflush(stdout);
        HANDLE write = nullptr;
        if (!CreatePipe(&m_read, &write, nullptr, 1 << 16))
            return;
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(write), _O_WRONLY | _O_BINARY);
        m_saved = _dup(1);
        _dup2(fd, 1);
        _close(fd);
    }
    ~StdoutCapture()
    {
        Restore();
        if (m_read)
            CloseHandle(m_read);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture and returns what was written.
    std::string Finish()
    {
        Restore();
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (m_read && ReadFile(m_read, buffer, sizeof(buffer), &got, nullptr) && got)
            text.append(buffer, got);
        return text;
    }

private:
    void Restore()
    {
        if (m_saved < 0)
            return;
        fflush(stdout);
        _dup2(m_saved, 1); // also closes the pipe's writing end
        _close(m_saved);
        m_saved = -1;
    }

    HANDLE m_read = nullptr;
    int m_saved = -1;
};
} // namespace suitediag
