// SuiteDiag's output: UTF-8 text on stdout and stderr, whatever the console or pipe.
#pragma once

#include <framework/string.h>

namespace suitediag
{
void Write(HANDLE stream, LPCWSTR text);
void Out(LPCWSTR text);      // text as given
void OutLine(LPCWSTR text);  // text and a line feed
void ErrLine(LPCWSTR text);
// Formatted with the platform's printf meaning (wide %s).
void OutFormat(LPCWSTR format, ...);
void ErrFormat(LPCWSTR format, ...);

// Collects formatted output and writes it to stdout in large pieces: one write a line is slow
// for commands that print many lines.
class OutBuffer
{
public:
    OutBuffer() = default;
    ~OutBuffer() { Flush(); }
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;

    void AppendFormat(LPCWSTR format, ...);
    void Flush();

private:
    CString m_text;
};
} // namespace suitediag
